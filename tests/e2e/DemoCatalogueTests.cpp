// The demo catalogue seeded into the real registry and file system, scanned by the real
// catalogue code on the Win32 adapters: what the program list would show for each kind of
// entry the demo holds, and the demo uninstallers walked for real.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DemoCatalogue.h"
#include "DemoSeeder.h"
#include "catalogue/ProgramList.h"
#include "RealisticCatalogue.h"
#include "catalogue/UninstallInfoReader.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Icons.h"
#include "win32/Win32Locale.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace tw {
namespace {

const std::string kMachine =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kMachine32 =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kUser =
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring SeederPath() { return demo::ProgramFolder() + L"\\" + Widen(TIDEWELL_SEEDER_PATH); }

// Runs a command line, waits up to a minute and gives its exit code (-1 when it did not run).
int RunAndWait(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return -1;
  DWORD exitCode = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

int Seed(const std::wstring& arguments = L"") {
  return RunAndWait(L"\"" + SeederPath() + L"\" " + arguments);
}

bool KeyExists(const std::string& fullKeyPath) {
  auto store = Win32Registry().NewStore();
  store->SelectRoot(ExtractRootKey(fullKeyPath));
  return store->HasKey(ExtractSubKey(fullKeyPath));
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RowCollector : public ProgramSink {
 public:
  void AddRow(ProgramEntry&& row) override { rows.push_back(std::move(row)); }
  std::vector<ProgramEntry> rows;
};

// The program's icon source, recording the plan each row was given.
struct PlanRecorder : IconSource {
  explicit PlanRecorder(ImageListIconSource& icons) : icons(icons) {}
  int AddRowIcons(const IconPlan& plan) override {
    plans.push_back(plan);
    return icons.AddRowIcons(plan);
  }
  ImageListIconSource& icons;
  std::vector<IconPlan> plans;
};

// One scan of the seeded catalogue, shared by the tests that only read it.
struct Scan {
  Win32Platform system;
  Platform& platform = system.platform;
  ImageListIconSource icons{LoadIcon(nullptr, IDI_APPLICATION), LoadIcon(nullptr, IDI_APPLICATION)};
  PlanRecorder recorder{icons};
  RowCollector sink;
  ScanReport report;
  std::map<std::string, std::string> vars = demo::DemoVariables();

  Scan() { report = ScanCatalogue(platform, sink, &recorder, true); }
  // The icon locations a row was given to try.
  const IconPlan& Plan(const ProgramEntry& row) const { return recorder.plans.at(static_cast<std::size_t>(row.imageIndex)); }

  const ProgramEntry* Row(const std::string& key) const {
    const ProgramEntry* found = nullptr;
    for (const ProgramEntry& row : sink.rows) {
      if (row.KeyPath() != key) continue;
      EXPECT_EQ(found, nullptr) << "listed twice: " << key;
      found = &row;
    }
    return found;
  }
  int Position(const std::string& key) const {
    for (std::size_t i = 0; i < sink.rows.size(); ++i)
      if (sink.rows[i].KeyPath() == key) return static_cast<int>(i);
    return -1;
  }
  // The text a row shows in a column, with this system's locale and time zone.
  std::string Text(const ProgramEntry& row, ListColumn column) const {
    return ColumnText(row, column, platform.locale, platform.timeZone);
  }
  // Replaces {demo}, {system} and the like as the seeder did.
  std::string Expand(std::string text) const {
    for (const auto& [name, value] : vars) {
      const std::string placeholder = "{" + name + "}";
      for (std::size_t at; (at = text.find(placeholder)) != std::string::npos;)
        text.replace(at, placeholder.size(), value);
    }
    return text;
  }
};

class DemoCatalogueScan : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ASSERT_EQ(Seed(), 0) << "tidewell-seed failed";
    scan_ = new Scan;
    catalogue_ = new demo::DemoCatalogue(demo::ParseDemoCatalogue(
        demo::ReadFileBytes(demo::ProgramFolder() + L"\\" +
                            Widen(TIDEWELL_SEEDER_FOLDER) + L"\\catalogue.txt"),
        scan_->vars));
  }
  static void TearDownTestSuite() {
    delete scan_;
    delete catalogue_;
    scan_ = nullptr;
    catalogue_ = nullptr;
  }
  static Scan* scan_;
  static demo::DemoCatalogue* catalogue_;
};
Scan* DemoCatalogueScan::scan_ = nullptr;
demo::DemoCatalogue* DemoCatalogueScan::catalogue_ = nullptr;

TEST_F(DemoCatalogueScan, ListsEachEntryWithNameAndCommandOnceAndNoOther) {
  ASSERT_GE(catalogue_->entries.size(), 40u);
  int listed = 0;
  for (const demo::DemoEntry& entry : catalogue_->entries) {
    const bool listable = entry.Find("DisplayName") && entry.Find("UninstallString");
    const ProgramEntry* row = scan_->Row(entry.FullKeyPath());
    EXPECT_EQ(row != nullptr, listable) << entry.FullKeyPath();
    listed += listable;
  }
  EXPECT_GE(listed, 35);
  // The three entries that lack one of the two values are the ones the scan must skip.
  EXPECT_EQ(scan_->Row(kMachine + "Pellucid Runtime Components"), nullptr);
  EXPECT_EQ(scan_->Row(kMachine + "{0D3E5F70-1A2B-4C3D-9E8F-A0B1C2D3E4F5}"), nullptr);
  EXPECT_EQ(scan_->Row(kUser + "Pinecrest Budget Planner"), nullptr);
  EXPECT_EQ(scan_->report.FirstError(), "");
}

TEST_F(DemoCatalogueScan, ScansMachineThen32BitThenUserCatalogue) {
  const int machine = scan_->Position(kMachine + "Demo App");
  const int machine32 = scan_->Position(kMachine32 + "Copperline VPN Client");
  const int user = scan_->Position(kUser + "Fernbrook Chat");
  ASSERT_GE(machine, 0);
  ASSERT_GE(machine32, 0);
  ASSERT_GE(user, 0);
  EXPECT_LT(machine, scan_->Position(kMachine32 + "Tern Clipboard Manager"));
  EXPECT_LT(machine32, user);
  EXPECT_LT(scan_->Position(kMachine + "Ashgrove Scanner Drivers"), machine32);
  EXPECT_LT(scan_->Position(kMachine32 + "Velvetleaf Screensavers"), user);
}

struct RowCase {
  std::string key;
  std::string caption;
  std::string size, lastUsedOn, frequency;
  bool missing;
};

// What each kind of entry shows: usage texts from bytes to gigabytes and every frequency,
// an empty, a multi-string and a non-Western name, and the uninstaller checks (quoted and
// unquoted paths that are gone, a missing setup file parameter, a batch file, MsiExec on
// products the Installer does not know, RUNDLL32, an existing /LOG= file, an unexpanded
// %ProgramFiles% path).
TEST_F(DemoCatalogueScan, RowsShowNameUsageTextsAndMissingMarks) {
  const std::vector<RowCase> cases = {
      {kMachine + "Demo App", "Demo App", "       1.5 MB", "2024-05-02", "frequently", false},
      {kMachine + "Demo Stubborn Tool", "Demo Stubborn Tool", "       0.0 MB", "2023-11-20",
       "occasionally", false},
      {kMachine + "Oakhurst Disk Cleaner", "Oakhurst Disk Cleaner 4.1", "       0.3 MB",
       "2024-02-29", "occasionally", false},
      {kMachine + "AmbergalePhotoStudio7", "Ambergale Photo Studio 7", "   2,560.0 MB",
       "2024-06-01", "frequently", false},
      {kMachine + "{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}", "Corvane Office Suite 2019",
       "   1,228.8 MB", "2024-03-18", "occasionally", true},
      {kMachine + "{A2C4E6F8-1B3D-4F5A-9C7E-0D2F4A6B8C1E}", "Corvane Office Proofing Tools 2019",
       "      82.5 MB", "", "", true},  // no usage record: the estimated size
      {kMachine + "Halvorsen PDF Reader", "Halvorsen PDF Reader", "      88.3 MB", "2022-08-09",
       "rarely", true},
      {kMachine + "Brindle Backup Agent", "Brindle Backup Agent", "      22.6 MB", "2024-01-09",
       "frequently", true},
      {kMachine + "Brindle Sync", "Brindle Sync", "       9.9 MB", "2024-01-09", "occasionally",
       false},
      {kMachine + "Kestrel Display Tweaks", "Kestrel Display Tweaks", "", "", "", false},
      {kMachine + "Ostrander Font Pack", "Ostrander Font Pack", "", "", "", true},
      {kMachine + "Nimbleway Screen Recorder", "Nimbleway Screen Recorder", "       0.0 MB",
       "2021-01-15", "rarely", false},
      {kMachine + "QuietHelperService", "<no name>", "", "", "", false},
      {kMachine + "QuillonArchiveTool", "Quillon Archive Tool", "", "", "", false},
      {kMachine + "Marlin Weather Widget", "Marlin Weather Widget", "      12.4 MB", "2023-07-04",
       "occasionally", false},
      {kMachine + "Thornfield Tax Assistant 2021", "Thornfield Tax Assistant 2021", "", "", "",
       true},
      {kMachine + "Larkspur Recipe Box", "Larkspur Recipe Box", "", "", "", false},
      {kMachine + "Saltmarsh Video Converter", "Saltmarsh Video Converter", "   3,276.8 MB",
       "2023-12-24", "occasionally", false},
      {kMachine + "Heronsgate Password Safe", "Heronsgate Password Safe", "       6.1 MB",
       "2024-06-11", "frequently", false},
      {kMachine + "Ashgrove Scanner Drivers", "Ashgrove Scanner Drivers", "", "", "", true},
      {kMachine32 + "Copperline VPN Client", "Copperline VPN Client", "      64.2 MB", "2024-06-05",
       "frequently", false},
      {kMachine32 + "Hollowbrook Sketchpad", "Hollowbrook Sketchpad", "     310.5 MB",
       "2023-09-30", "occasionally", false},
      {kMachine32 + "{3B5D7F91-2C4E-4A6B-8D0F-1E3A5C7B9D2F}", "Oriel Media Codecs",
       "      20.0 MB", "2022-12-01", "rarely", true},
      {kMachine32 + "Stonechat Disk Analyzer", "Stonechat Disk Analyzer", "       4.5 MB",
       "2020-10-10", "rarely", true},
      {kMachine32 + "Palisade Firewall Lite", "Palisade Firewall Lite", "", "", "", false},
      {kMachine32 + "Marrowfield Game Launcher", "Marrowfield Game Launcher", "   8,499.2 MB",
       "2024-04-12", "rarely", false},
      {kMachine32 + "Velvetleaf Screensavers", "Velvetleaf Screensavers", "       1.0 MB",
       "2019-03-03", "rarely", true},
      {kMachine32 + "{8E0A2C4E-6F81-4A3C-B5D7-9E1F3A5C7E90}", "Birchmoor Label Printer Utility",
       "", "", "", true},
      {kUser + "Fernbrook Chat", "Fernbrook Chat", "     180.0 MB", "2024-06-10", "frequently",
       false},
      {kUser + "Wrenfield Music Player", "Wrenfield Music Player", "      95.1 MB", "2024-04-30",
       "frequently", false},
      {kUser + "Glasswing Notes", "Glasswing Notes", "     140.2 MB", "2023-03-08",
       "occasionally", true},
      {kUser + "Tidepool Mail", "Tidepool Mail", "       1.0 MB", "2024-01-31", "rarely", false},
      {kUser + "Lanternfish Code Editor", "Lanternfish Code Editor", "     420.7 MB", "2024-06-12",
       "occasionally", false},
      {kUser + "Foxglove Dictation", "Foxglove Dictation", "      50.0 MB", "", "", false},
      {kMachine + "Gannet Sync Service", "Gannet Sync Service", "   6,144.0 MB", "", "", false},
      {kUser + "Boreas Notes", "\xCE\x92\xCE\xBF\xCF\x81\xCE\xAD\xCE\xB1\xCF\x82 \xCE\xA3\xCE\xB5\xCE\xBB\xCE\xAF\xCE\xB4\xCE\xB5\xCF\x82",
       "      12.0 MB", "2024-06-03", "occasionally", false},
      {kMachine + "Pellucid Runtime 2022 x64", "Pellucid Runtime 2022 (x64)", "      22.0 MB", "", "", false},
      {kMachine + "AmbergalePhotoStudio7.Update2", "Update 2 for Ambergale Photo Studio 7", "       1.2 MB", "",
       "", false},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.key);
    const ProgramEntry* row = scan_->Row(c.key);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->caption, c.caption);
    EXPECT_EQ(scan_->Text(*row, ListColumn::Size), c.size);
    EXPECT_EQ(scan_->Text(*row, ListColumn::LastUsedOn), c.lastUsedOn);
    EXPECT_EQ(scan_->Text(*row, ListColumn::Frequency), c.frequency);
    EXPECT_EQ(row->uninstallerMissing, c.missing);
  }
}

// Today's values: the quiet command, a 64-bit size.
TEST_F(DemoCatalogueScan, RowsCarryTheQuietCommandAndA64BitSize) {
  const ProgramEntry* gannet = scan_->Row(kMachine + "Gannet Sync Service");
  ASSERT_NE(gannet, nullptr);
  const std::string uninstaller = scan_->Expand("\"{demo}\\Gannet Sync\\uninstall.exe\" /key \"") + kMachine +
                                  "Gannet Sync Service\"";
  EXPECT_EQ(gannet->command, uninstaller + " /mark interactive.ran");
  EXPECT_EQ(gannet->quietCommand, uninstaller + " /S /mark quiet.ran");
  EXPECT_EQ(gannet->estimatedSizeKb, 6291456);
  EXPECT_EQ(ProgramSizeBytes(*gannet), 6442450944);
}

struct DetailsCase {
  std::string key;
  std::string publisher, version, installedOn;
  bool systemComponent, update;
};

// Publisher, version and install date as the list shows them (a date stored as a number, one
// that is no yyyymmdd), and the entries the system's own list leaves out.
TEST_F(DemoCatalogueScan, RowsShowPublisherVersionInstallDateAndWhatTheSystemHides) {
  const std::vector<DetailsCase> cases = {
      {kMachine + "Demo App", "Tidewell Demo Works", "1.0.4", "2024-03-12", false, false},
      {kMachine + "{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}", "Corvane Software", "19.0.4410", "2019-08-11", false,
       false},
      {kMachine + "Kestrel Display Tweaks", "Kestrel Labs", "1.0.0.7", "06/30/2021", false, false},
      {kMachine + "Ostrander Font Pack", "Ostrander Type Foundry", "", "", false, false},
      {kMachine + "QuietHelperService", "", "", "", false, false},
      {kUser + "Tidepool Mail", "Tidepool Communications", "10.2", "2024-01-31", false, false},
      {kUser + "Wrenfield Music Player", "Wrenfield Audio", "9.14", "", false, false},
      {kMachine + "Pellucid Runtime 2022 x64", "Pellucid Systems", "14.38.33130", "2024-01-18", true, false},
      {kMachine + "AmbergalePhotoStudio7.Update2", "Ambergale Imaging", "7.2.1.2", "2024-04-20", false, true},
  };
  for (const DetailsCase& c : cases) {
    SCOPED_TRACE(c.key);
    const ProgramEntry* row = scan_->Row(c.key);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(scan_->Text(*row, ListColumn::Publisher), c.publisher);
    EXPECT_EQ(scan_->Text(*row, ListColumn::Version), c.version);
    EXPECT_EQ(scan_->Text(*row, ListColumn::InstalledOn), c.installedOn);
    EXPECT_EQ(row->systemComponent, c.systemComponent);
    EXPECT_EQ(row->update, c.update);
  }
  int hidden = 0;
  for (const ProgramEntry& row : scan_->sink.rows) hidden += IsSystemComponentOrUpdate(row);
  EXPECT_EQ(hidden, 2);
}

TEST_F(DemoCatalogueScan, RowsCarryTargetAndCommandAsStored) {
  const ProgramEntry* demoApp = scan_->Row(kMachine + "Demo App");
  ASSERT_NE(demoApp, nullptr);
  EXPECT_EQ(demoApp->Target(), scan_->Expand("{demo}\\Demo App\\demoapp.exe"));
  EXPECT_EQ(demoApp->command,
            scan_->Expand("\"{demo}\\Demo App\\uninstall.exe\" /key \"") + kMachine + "Demo App\"");

  // A record with unknown size, no last use and a count past the signed range still names
  // its Target; a record one byte short is no record at all.
  const ProgramEntry* tax = scan_->Row(kMachine + "Thornfield Tax Assistant 2021");
  ASSERT_NE(tax, nullptr);
  EXPECT_EQ(tax->Target(), "C:\\Program Files\\Thornfield\\Tax 2021\\tax2021.exe");
  const ProgramEntry* recipes = scan_->Row(kMachine + "Larkspur Recipe Box");
  ASSERT_NE(recipes, nullptr);
  EXPECT_EQ(recipes->Target(), "");

  // An expandable command is shown unexpanded; the user's rows take their usage record from
  // the machine's usage cache.
  const ProgramEntry* marlin = scan_->Row(kMachine + "Marlin Weather Widget");
  ASSERT_NE(marlin, nullptr);
  EXPECT_EQ(marlin->command.rfind(
                "%ProgramFiles%\\Tidewell Demo\\Marlin Weather\\uninstall.exe /key ", 0),
            0u);
  const ProgramEntry* chat = scan_->Row(kUser + "Fernbrook Chat");
  ASSERT_NE(chat, nullptr);
  EXPECT_EQ(chat->Target(),
            scan_->Expand("{userapps}\\Tidewell Demo\\Fernbrook Chat\\chat.exe"));
}

struct IconCase {
  std::string key;
  std::vector<IconLocation> plan;
  int working;  ///< index of the first location that yields an icon; -1: the default icon
};

// Icon locations as the scan plans them, and which of them really give an icon in this
// system: drawn .ico files, system files with an index, a quoted file, an unexpanded path, a
// missing file, and the Target as the fallback.
TEST_F(DemoCatalogueScan, IconPlansFollowIconLocationThenTarget) {
  const std::vector<IconCase> cases = {
      {kMachine + "Demo App",
       {{scan_->Expand("{demo}\\Demo App\\demoapp.ico"), 0},
        {scan_->Expand("{demo}\\Demo App\\demoapp.exe"), 0}},
       0},
      {kMachine + "Demo Stubborn Tool",
       {{scan_->Expand("{system}\\shell32.dll"), 2},
        {scan_->Expand("{demo}\\Stubborn Tool\\stubborn.exe"), 0}},
       0},
      {kMachine + "Oakhurst Disk Cleaner",
       {{scan_->Expand("\"{demo}\\Oakhurst Disk Cleaner\\cleaner.ico\""), 0},
        {scan_->Expand("{demo}\\Oakhurst Disk Cleaner\\cleaner.ico"), 0}},
       1},
      {kMachine + "AmbergalePhotoStudio7",
       {{scan_->Expand("\"{demo}\\Ambergale Photo Studio\\studio.ico\""), 0},
        {scan_->Expand("{demo}\\Ambergale Photo Studio\\studio.exe"), 0}},
       -1},
      {kMachine + "Brindle Backup Agent",
       {{scan_->Expand("{system}\\shell32.dll"), 0},
        {scan_->Expand("{demo}\\Brindle Backup\\agent.exe"), 0}},
       0},
      {kMachine + "Kestrel Display Tweaks", {{scan_->Expand("{system}\\shell32.dll"), -4}}, 0},
      {kMachine + "Marlin Weather Widget",
       {{"%SystemRoot%\\system32\\shell32.dll", 4},
        {scan_->Expand("{demo}\\Marlin Weather\\widget.exe"), 0}},
       -1},
      {kMachine + "{A2C4E6F8-1B3D-4F5A-9C7E-0D2F4A6B8C1E}", {}, -1},
      {kMachine + "Ashgrove Scanner Drivers", {{"C:\\Program Files\\Ashgrove\\Scan\\scan.ico", 0}},
       -1},
      {kMachine32 + "Copperline VPN Client",
       {{scan_->Expand("{demo32}\\Copperline VPN\\vpn.ico"), 0},
        {scan_->Expand("{demo32}\\Copperline VPN\\vpnclient.exe"), 0}},
       0},
      {kMachine32 + "Tern Clipboard Manager", {{scan_->Expand("{system}\\shell32.dll"), 22}}, 0},
      {kUser + "Fernbrook Chat",
       {{scan_->Expand("{userapps}\\Tidewell Demo\\Fernbrook Chat\\chat.ico"), 0},
        {scan_->Expand("{userapps}\\Tidewell Demo\\Fernbrook Chat\\chat.exe"), 0}},
       0},
      {kUser + "Foxglove Dictation",
       {{scan_->Expand("{userapps}\\Tidewell Demo\\Foxglove Dictation\\foxglove.ico"), 0}},
       -1},
  };
  for (const IconCase& c : cases) {
    SCOPED_TRACE(c.key);
    const ProgramEntry* row = scan_->Row(c.key);
    ASSERT_NE(row, nullptr);
    const IconPlan& plan = scan_->Plan(*row);
    EXPECT_EQ(plan.locations, c.plan);
    int working = -1;
    for (std::size_t i = 0; i < plan.locations.size() && working < 0; ++i)
      if (ExtractIconPair(plan.locations[i])) working = static_cast<int>(i);
    EXPECT_EQ(working, c.working);
  }
}

TEST_F(DemoCatalogueScan, SharedTargetGivesItsIconOnlyToTheFirstRow) {
  const int notes = scan_->Position(kMachine + "Sparrowhill Notes");
  const int sync = scan_->Position(kMachine + "Sparrowhill Notes Sync");
  ASSERT_GE(notes, 0);
  ASSERT_GE(sync, 0);
  const IconPlan withTarget{{{scan_->Expand("{system}\\notepad.exe"), 0}}};
  const ProgramEntry& first = scan_->sink.rows[std::min(notes, sync)];
  const ProgramEntry& second = scan_->sink.rows[std::max(notes, sync)];
  EXPECT_EQ(scan_->Plan(first), withTarget);
  EXPECT_TRUE(scan_->Plan(second).locations.empty());
  EXPECT_TRUE(ExtractIconPair(withTarget.locations[0]));
}

TEST_F(DemoCatalogueScan, EveryRowHasItsOwnIconSlotInScanOrder) {
  ASSERT_EQ(scan_->icons.RowCount(), static_cast<int>(scan_->sink.rows.size()));
  for (std::size_t i = 0; i < scan_->sink.rows.size(); ++i)
    EXPECT_EQ(scan_->sink.rows[i].imageIndex, static_cast<int>(i));
  EXPECT_EQ(ImageList_GetImageCount(scan_->icons.LargeList()), scan_->icons.RowCount());
  EXPECT_EQ(ImageList_GetImageCount(scan_->icons.SmallList()), scan_->icons.RowCount());
}

// The demo uninstallers are real programs: the normal one removes its entry, the one run
// with /leave keeps it; the seeder puts both back and removes the whole demo on request.
class DemoUninstallers : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Seed(), 0); }
  void TearDown() override { EXPECT_EQ(Seed(), 0); }

  static std::string CommandOf(const std::string& key) {
    return ReadValueByPath(registry_, key, "UninstallString", ansi_);
  }
  static Win32Registry registry_;
  static Win32AnsiCodec ansi_;
};
Win32Registry DemoUninstallers::registry_;
Win32AnsiCodec DemoUninstallers::ansi_;

TEST_F(DemoUninstallers, UninstallRemovesTheEntryAndLeaveKeepsIt) {
  const std::string demoApp = kMachine + "Demo App";
  const std::string stubborn = kMachine + "Demo Stubborn Tool";
  const std::string sketchpad = kMachine32 + "Hollowbrook Sketchpad";
  const std::string chat = kUser + "Fernbrook Chat";
  for (const std::string& key : {demoApp, stubborn, sketchpad, chat}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(KeyExists(key));
    EXPECT_EQ(RunAndWait(Widen(CommandOf(key))), 0);
    EXPECT_EQ(KeyExists(key), key == stubborn);
  }
  // The entry is gone now: running its uninstaller again reports the failure.
  const std::string demoUninstaller = demo::DemoVariables().at("demo") + "\\Demo App\\uninstall.exe";
  EXPECT_NE(RunAndWait(L"\"" + Widen(demoUninstaller) + L"\" /key \"" + Widen(demoApp) + L"\""), 0);

  ASSERT_EQ(Seed(), 0);
  EXPECT_TRUE(KeyExists(demoApp));
  EXPECT_TRUE(KeyExists(sketchpad));
  EXPECT_TRUE(KeyExists(chat));
}

TEST_F(DemoUninstallers, RemoveTakesAwayEntriesRecordsAndFiles) {
  const std::map<std::string, std::string> vars = demo::DemoVariables();
  const std::string uninstaller = vars.at("demo") + "\\Demo App\\uninstall.exe";
  const std::string record =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Demo App";
  ASSERT_TRUE(FileExists(uninstaller));
  ASSERT_TRUE(KeyExists(record));

  ASSERT_EQ(Seed(L"--remove"), 0);
  EXPECT_FALSE(KeyExists(kMachine + "Demo App"));
  EXPECT_FALSE(KeyExists(kMachine32 + "Copperline VPN Client"));
  EXPECT_FALSE(KeyExists(kUser + "Fernbrook Chat"));
  EXPECT_FALSE(KeyExists(record));
  EXPECT_FALSE(FileExists(vars.at("demo")));
  EXPECT_FALSE(FileExists(vars.at("demo32")));
  EXPECT_FALSE(FileExists(vars.at("userapps") + "\\Tidewell Demo"));
  // The folder the demo's folder stood in stays.
  EXPECT_TRUE(FileExists(vars.at("userapps")));
}

// The benchmark's realistic catalogue: its mix of entries, and the real seeder writing it into
// the system's catalogues and taking it away again.

TEST(RealisticCatalogue, MixesEntriesAsAWellUsedMachineHoldsThem) {
  const std::map<std::string, std::string> vars = demo::DemoVariables();
  const demo::DemoCatalogue catalogue = demo::RealisticCatalogue(2000, "tw-mix", vars);
  ASSERT_EQ(catalogue.entries.size(), 2000u);
  std::map<std::string, int> perCatalogue;
  std::set<std::string> keys;
  int usage = 0, unnamed = 0, beyondAscii = 0;
  for (const demo::DemoEntry& entry : catalogue.entries) {
    ++perCatalogue[entry.alias];
    usage += entry.usage.has_value();
    EXPECT_TRUE(keys.insert(AsciiUpper(entry.FullKeyPath())).second) << entry.FullKeyPath();
    const demo::DemoValue* tag = entry.Find(demo::kRealisticTagValue);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->value, RegValue::Text("tw-mix"));
    const demo::DemoValue* name = entry.Find("DisplayName");
    if (name == nullptr) {
      ++unnamed;
    } else {
      beyondAscii += std::any_of(name->value.data.begin(), name->value.data.end(), [](std::uint8_t b) { return b >= 0x80; });
    }
  }
  EXPECT_NEAR(perCatalogue["machine"], 1200, 80);
  EXPECT_NEAR(perCatalogue["machine32"], 500, 70);
  EXPECT_NEAR(perCatalogue["user"], 300, 60);
  EXPECT_NEAR(usage, 660, 70);
  EXPECT_NEAR(unnamed, 40, 25);
  EXPECT_GT(beyondAscii, 100);
  for (const demo::DemoFile& file : catalogue.files) {
    EXPECT_TRUE(std::any_of(catalogue.roots.begin(), catalogue.roots.end(),
                            [&](const std::string& root) { return file.path.rfind(root + "\\", 0) == 0; }))
        << file.path;
  }
  // An entry stays what it is however many are made.
  const demo::DemoCatalogue fewer = demo::RealisticCatalogue(100, "tw-mix", vars);
  for (std::size_t i = 0; i < fewer.entries.size(); ++i) {
    EXPECT_EQ(fewer.entries[i].FullKeyPath(), catalogue.entries[i].FullKeyPath());
    ASSERT_EQ(fewer.entries[i].values.size(), catalogue.entries[i].values.size());
    for (std::size_t v = 0; v < fewer.entries[i].values.size(); ++v)
      EXPECT_EQ(fewer.entries[i].values[v].value, catalogue.entries[i].values[v].value);
  }
}

TEST(RealisticCatalogue, SeededItListsMissingUninstallersAndUsageThenGoesAway) {
  const std::string tag = "tidewell-test-realistic";
  ASSERT_EQ(Seed(L"--realistic 300 --prefix " + Widen(tag)), 0);
  const demo::DemoCatalogue catalogue = demo::RealisticCatalogue(300, tag, demo::DemoVariables());
  std::set<std::string> named;
  for (const demo::DemoEntry& entry : catalogue.entries)
    if (entry.Find("DisplayName") != nullptr) named.insert(entry.FullKeyPath());

  Win32Platform system;
  RowCollector sink;
  ScanCatalogue(system.platform, sink, nullptr, true);
  std::size_t rows = 0;
  int missing = 0, withUsage = 0, installer = 0, installerMissing = 0;
  for (const ProgramEntry& row : sink.rows) {
    if (named.count(row.KeyPath()) == 0) continue;
    ++rows;
    withUsage += !row.Target().empty();
    // The Installer knows none of the made-up products: every one of its entries is missing.
    if (row.command.rfind("MsiExec.exe /X{", 0) == 0) {
      ++installer;
      installerMissing += row.uninstallerMissing;
    } else {
      missing += row.uninstallerMissing;
    }
  }
  EXPECT_EQ(rows, named.size());
  EXPECT_NEAR(installer, 100, 25);  // about a third of the entries
  EXPECT_EQ(installerMissing, installer);
  EXPECT_NEAR(missing, 45, 20);     // about 15%: uninstallers and whole folders gone
  EXPECT_NEAR(withUsage, 95, 25);  // about a third (a record of the wrong size counts as none)

  ASSERT_EQ(Seed(L"--remove-realistic " + Widen(tag)), 0);
  int left = 0;
  for (const demo::DemoEntry& entry : catalogue.entries) {
    left += KeyExists(entry.FullKeyPath());
    left += entry.usage && KeyExists("HKEY_LOCAL_MACHINE\\" + demo::UsageKeyOf(entry.name));
  }
  EXPECT_EQ(left, 0);
  for (const std::string& root : catalogue.roots) EXPECT_FALSE(FileExists(root)) << root;
}

}  // namespace
}  // namespace tw
