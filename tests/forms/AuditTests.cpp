#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>

#include "FormTestSupport.h"
#include "app/CommandLine.h"
#include "catalogue/AuditReport.h"
#include "forms/FormAudit.h"
#include "forms/FormMain.h"
#include "support/Catalogue.h"
#include "win32/Win32Identity.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;

const char* const kMissing =
    "It seems that the uninstall program for this product (or one of its components) is missing. "
    "It is possible that you have already removed this program from your computer.";

// The header the fake clock and locale give, with this machine's real names (each cut to
// 15 characters).
std::string ExpectedHeader() {
  const std::string computer = ComputerName().substr(0, 15);
  return "Software Audit Report for: " + computer +
         "\r\n"
         "Prepared on 12/8/2026 2:05:09 PM\r\n"
         "\r\n"
         "By Tidewell\r\n"
         "Copyright (c) Quenmark. All rights reserved.\r\n"
         "\r\n"
         "Computer Name: " +
         computer + "\r\nUser Name: " + UserName().substr(0, 15) +
         "\r\n"
         "\r\n"
         "INSTALLED PROGRAMS:\r\n"
         "\r\n";
}

// The recording printers, with the chosen printer made to fail after some pieces on demand.
class FlakyPrinters : public PrinterService {
 public:
  explicit FlakyPrinters(test::RecordingPrinters& inner) : inner_(inner) {}
  std::unique_ptr<PrintSurface> ChoosePrinter(HWND owner, const std::string& title) override {
    auto surface = inner_.ChoosePrinter(owner, title);
    if (surface && failAfterPieces >= 0) inner_.jobs.back()->failAfterPieces = failAfterPieces;
    if (surface && pageWidth > 0) inner_.jobs.back()->pageWidth = pageWidth;
    return surface;
  }
  std::unique_ptr<PrintSurface> DefaultPrinter(const std::string& title) override {
    return inner_.DefaultPrinter(title);
  }
  int failAfterPieces = -1;
  int pageWidth = 0;

 private:
  test::RecordingPrinters& inner_;
};

class AuditReportWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    h.fake.files.AddFolder("C:\\Reports");
    h.fake.files.AddFile("C:\\Apps\\alpha.exe", "MZ");
    // Three programs; Beta's uninstaller is missing, Gamma's command is an existing file.
    AddEntry(h.fake.registry, RootKey::LocalMachine, "gamma", "Gamma", "C:\\Apps\\alpha.exe /gamma");
    AddEntry(h.fake.registry, RootKey::LocalMachine, "alpha", "Alpha", "C:\\Apps\\alpha.exe /remove");
    AddEntry(h.fake.registry, RootKey::CurrentUser, "beta", "Beta", "C:\\Gone\\uninstall.exe");
  }
  TfrmMain& Open(std::vector<std::string> parameters = {}) {
    services.request = ParseStartupRequest(parameters);
    form = std::make_unique<TfrmMain>(services);
    form->Create();
    if (!form->TerminateRequested()) {
      form->Show(SW_SHOW);
      test::PumpMessages();
    }
    return *form;
  }
  // Opens the audit box from the menu item and runs `script` against it.
  void RunBox(std::function<void(TAuditBox&)> script) {
    h.modal.scripts.push_back([script](ModalForm& dialog) { script(static_cast<TAuditBox&>(dialog)); });
    form->RunCommand(TfrmMain::CmdAuditReport);
  }
  static void Press(TAuditBox& box, int id) { test::Click(::GetDlgItem(box.ContentPanel(), id)); }
  // The value of a window setting, "" when absent.
  std::string Stored(const char* name) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    if (!store->OpenPath("Software\\Quenmark\\Tidewell\\Desktop", false) || !store->HasValue(name)) return "";
    return store->ReadText(name);
  }

  test::FormHarness h;
  FlakyPrinters printers{h.printers};
  Services services{h.fake.platform, h.process,     h.shell, h.prompts,         h.menus, h.modal,
                    printers,        h.fileDialogs, h.log,   "C:\\Tidewell\\", {}};
  std::unique_ptr<TfrmMain> form;
};

TEST_F(AuditReportWindow, TheBoxOpensWithTheHeaderAndTheShortForm) {
  Open();
  RunBox([&](TAuditBox& box) {
    EXPECT_EQ(WindowText(box.Caption()), "Print or Save Audit Report");
    RECT rc;
    ::GetClientRect(box.Handle(), &rc);
    EXPECT_EQ(rc.right, box.Scale(618));
    EXPECT_EQ(rc.bottom, box.Scale(396));
    EXPECT_EQ(WindowText(box.memHeader()), ExpectedHeader());
    EXPECT_EQ(WindowText(::GetDlgItem(box.ContentPanel(), TAuditBox::IdHeaderLabel)),
              "Raport Header (add, change or remove text):");
    EXPECT_EQ(WindowText(box.rbShortFormat()), "Short Format (program names only)");
    EXPECT_EQ(WindowText(box.rbLongFormat()),
              "Long Format (program name, uninstall command and program status)");
    EXPECT_EQ(::SendMessageW(box.rbShortFormat(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(box.LongFormatChosen());
    test::PressKey(box, box.memHeader(), VK_RETURN);
    EXPECT_TRUE(box.Running());  // Enter belongs to the memo here
    test::PressKey(box, box.memHeader(), VK_ESCAPE);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Print or Save Audit Report"}));
  EXPECT_EQ(h.modal.leftOpen, 0);
  EXPECT_EQ(h.printers.dialogsShown, 0);
  EXPECT_TRUE(h.fileDialogs.requests.empty());
}

TEST_F(AuditReportWindow, CancellingThePrintDialogClosesTheBox) {
  Open();
  h.printers.confirm = {false};
  RunBox([&](TAuditBox& box) {
    Press(box, TAuditBox::IdPrint);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(h.printers.dialogsShown, 1);
  EXPECT_TRUE(h.printers.jobs.empty());
  EXPECT_EQ(h.modal.leftOpen, 0);
}

TEST_F(AuditReportWindow, SaveCancelKeepsTheBoxAndSaveWritesTheEditedHeaderInTheLongForm) {
  Open();
  h.fileDialogs.answers = {std::nullopt, std::string("C:\\Reports\\audit.txt")};
  RunBox([&](TAuditBox& box) {
    Press(box, TAuditBox::IdSave);
    EXPECT_TRUE(box.Running());
    SetWindowTextUtf8(box.memHeader(), "Audit of the front desk\r\nBy Caf\xC3\xA9 IT");
    Press(box, TAuditBox::IdLongFormat);
    EXPECT_TRUE(box.LongFormatChosen());
    EXPECT_EQ(::SendMessageW(box.rbShortFormat(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Press(box, TAuditBox::IdSave);
    EXPECT_FALSE(box.Running());
  });
  ASSERT_EQ(h.fileDialogs.requests.size(), 2u);
  EXPECT_EQ(h.fileDialogs.requests[0].title, "Save Report As");
  EXPECT_EQ(h.fileDialogs.requests[0].filter,
            "Text Files (.TXT)|*.TXT|CSV Files (.CSV)|*.CSV|JSON Files (.JSON)|*.JSON");
  EXPECT_EQ(h.fileDialogs.requests[0].defaultExtension, "txt");
  // The memo's last line gets its line end, then the empty line before the programs.
  EXPECT_EQ(h.fake.files.Contents("C:\\Reports\\audit.txt"),
            std::string("Audit of the front desk\r\nBy Caf\xE9 IT\r\n\r\n"
                        "Alpha\r\nUninstall Command: C:\\Apps\\alpha.exe /remove\r\n\r\n"
                        "Beta\r\nUninstall Command: C:\\Gone\\uninstall.exe\r\n") +
                kMissing +
                "\r\n\r\n"
                "Gamma\r\nUninstall Command: C:\\Apps\\alpha.exe /gamma\r\n\r\n");
}

// The inventory of the listed rows in the list's order, as the CSV file holds it.
const char* const kInventoryCsv =
    "\xEF\xBB\xBF"
    "Name,Publisher,Version,Install Date,Size (bytes),Last Used,Frequency,Uninstall Command,"
    "Quiet Uninstall Command,Uninstaller Missing,System Component,Catalogue,Key Path\r\n"
    "Alpha,\"Alpha Soft, Inc.\",2.1,2024-03-12,2097152,,,C:\\Apps\\alpha.exe /remove,"
    "C:\\Apps\\alpha.exe /remove /quiet,false,false,machine 64-bit,"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\alpha\r\n"
    "Beta,,,,,,,C:\\Gone\\uninstall.exe,,true,false,user,"
    "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\beta\r\n"
    "Gamma,,,,,,,C:\\Apps\\alpha.exe /gamma,,false,false,machine 64-bit,"
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\gamma\r\n";

TEST_F(AuditReportWindow, SaveAsCsvOrJsonWritesTheInventoryOfTheListedRows) {
  // Alpha's publisher (with a comma), version, install date, size and quiet command.
  const std::string key = std::string(test::kUninstallKey) + "\\alpha";
  const std::pair<const char*, RegValue> values[] = {
      {"Publisher", RegValue::Text("Alpha Soft, Inc.")},
      {"DisplayVersion", RegValue::Text("2.1")},
      {"InstallDate", RegValue::Text("20240312")},
      {"EstimatedSize", RegValue::Number(2048)},
      {"QuietUninstallString", RegValue::Text("C:\\Apps\\alpha.exe /remove /quiet")},
  };
  for (const auto& [name, value] : values) test::SetValue(h.fake.registry, RootKey::LocalMachine, key, name, value);
  Open();
  // The save dialog gives a name the extension of the file type chosen in it.
  h.fileDialogs.answers = {std::string("C:\\Reports\\inventory.CSV"), std::string("C:\\Reports\\inventory.json")};
  for (int i = 0; i < 2; ++i) {
    RunBox([&](TAuditBox& box) {
      Press(box, TAuditBox::IdLongFormat);  // the forms are the text report's: no effect here
      Press(box, TAuditBox::IdSave);
      EXPECT_FALSE(box.Running());
    });
  }
  EXPECT_EQ(h.fake.files.Contents("C:\\Reports\\inventory.CSV"), kInventoryCsv);
  // The JSON file: the same rows (their order is the CSV's), after this machine and user.
  const std::string json = h.fake.files.Contents("C:\\Reports\\inventory.json");
  EXPECT_EQ(json.rfind("{\r\n  \"computerName\": \"" + ComputerName() + "\",\r\n  \"userName\": \"" + UserName(), 0), 0u)
      << json;
  EXPECT_TRUE(h.prompts.shown.empty());
}

// Without a file name there is nothing to write to: the user is told, and the program runs on
// as an ordinary session (and ends with a failure status).
TEST_F(AuditReportWindow, AnInventorySwitchWithoutAFileNameIsReported) {
  Open({"/Rfj"});
  EXPECT_FALSE(form->TerminateRequested());
  EXPECT_TRUE(form->CommandLineFailed());
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "The switch /Rfj needs the name of the file to write the inventory to.");
  EXPECT_TRUE(::IsWindowVisible(form->Handle()));
  ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  test::PumpMessages();
}

TEST_F(AuditReportWindow, PrintingFollowsTheListsCurrentOrder) {
  Open();
  form->TheListViewColumnClick(0);
  form->TheListViewColumnClick(0);  // Name, descending
  ASSERT_EQ(form->RowAt(0).caption, "Gamma");
  RunBox([&](TAuditBox& box) {
    Press(box, TAuditBox::IdPrint);
    EXPECT_FALSE(box.Running());
  });
  ASSERT_EQ(h.printers.jobs.size(), 1u);
  const test::RecordingSurface& job = *h.printers.jobs[0];
  EXPECT_EQ(h.printers.titles, (std::vector<std::string>{"Software Audit Report"}));
  EXPECT_TRUE(job.ended);
  EXPECT_FALSE(job.aborted);
  // Printed lines (empty lines draw nothing): the header's, then one name per line.
  const std::vector<std::string> lines = job.Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
            (std::vector<std::string>{"Gamma", "Beta", "Alpha"}));
  EXPECT_EQ(lines[lines.size() - 4], "INSTALLED PROGRAMS:");
}

TEST_F(AuditReportWindow, PrintedLongFormContinuesWideLinesOnTheNextLine) {
  const std::string command = "C:\\Apps\\alpha.exe /remove /silent /norestart /keep-user-settings /quiet";
  AddEntry(h.fake.registry, RootKey::LocalMachine, "alpha", "Alpha", command);
  Open();
  printers.pageWidth = 400;  // 40 characters of the recording surface
  RunBox([&](TAuditBox& box) {
    Press(box, TAuditBox::IdLongFormat);
    Press(box, TAuditBox::IdPrint);
    EXPECT_FALSE(box.Running());
  });
  ASSERT_EQ(h.printers.jobs.size(), 1u);
  const std::vector<std::string> lines = h.printers.jobs[0]->Lines();
  const auto alpha = std::find(lines.begin(), lines.end(), "Alpha");
  ASSERT_NE(alpha, lines.end());
  const std::string full = "Uninstall Command: " + command;
  EXPECT_EQ(std::vector<std::string>(alpha + 1, alpha + 4),
            (std::vector<std::string>{full.substr(0, 40), full.substr(40, 40), full.substr(80)}));
  EXPECT_EQ(*(alpha + 4), "Beta");
  // The status sentence of Beta, broken into page-wide pieces in order.
  std::string sentence;
  for (auto line = alpha + 6; line != lines.end() && *line != "Gamma"; ++line) sentence += *line;
  EXPECT_EQ(sentence, kMissing);
}

TEST_F(AuditReportWindow, AReportThatCannotBeWrittenIsShownAndTheBoxStaysOpen) {
  Open();
  h.fake.files.AddFile("C:\\Reports\\locked.txt", "the old report", true);
  h.fileDialogs.answers = {std::string("C:\\Reports\\locked.txt")};
  RunBox([&](TAuditBox& box) {
    Press(box, TAuditBox::IdSave);
    EXPECT_TRUE(box.Running());
    ASSERT_EQ(h.prompts.shown.size(), 1u);
    EXPECT_EQ(h.prompts.shown[0].text, "Cannot create file \"C:\\Reports\\locked.txt\". Access is denied.");
    EXPECT_TRUE(h.prompts.shown[0].flags & MB_ICONERROR);
    // A printer that fails half way: the job is abandoned and the box stays open.
    printers.failAfterPieces = 3;
    Press(box, TAuditBox::IdPrint);
    EXPECT_TRUE(box.Running());
    ASSERT_EQ(h.prompts.shown.size(), 2u);
    EXPECT_EQ(h.prompts.shown[1].text, "The printer is out of paper.");
    ASSERT_EQ(h.printers.jobs.size(), 1u);
    EXPECT_TRUE(h.printers.jobs[0]->aborted);
    EXPECT_FALSE(h.printers.jobs[0]->ended);
    Press(box, TAuditBox::IdClose);
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(h.fake.files.Contents("C:\\Reports\\locked.txt"), "the old report");
  EXPECT_FALSE(h.fake.files.FindFirst("C:\\Reports\\locked.txt.*.tidewell-tmp"));
}

// Report switches: what is written where, and whether the program ends.
TEST_F(AuditReportWindow, ReportSwitchesWriteAndEnd) {
  const std::string shortBody = "\r\nAlpha\r\nBeta\r\nGamma\r\n";
  struct Case {
    std::vector<std::string> parameters;
    const char* file;  // nullptr: printed on the default printer
    bool longFormat;
  } const cases[] = {
      {{"/RFL", "C:\\Reports\\long.txt"}, "C:\\Reports\\long.txt", true},
      {{"/rfs", "C:\\Reports\\short.txt"}, "C:\\Reports\\short.txt", false},
      {{"/Rfs", "C:\\Reports\\short.txt", "ignored"}, "C:\\Reports\\short.txt", false},
      {{"/RPL"}, nullptr, true},
      {{"/rps"}, nullptr, false},
      {{"/RFL"}, nullptr, true},   // no file name: the printer
      {{"/RFS", ""}, nullptr, false},
  };
  for (const auto& c : cases) {
    h.printers.jobs.clear();
    h.fake.files.Remove("C:\\Reports\\long.txt");
    h.fake.files.Remove("C:\\Reports\\short.txt");
    Open(c.parameters);
    const std::string what = c.parameters[0];
    EXPECT_TRUE(form->TerminateRequested()) << what;
    EXPECT_TRUE(h.prompts.shown.empty()) << what;
    if (c.file != nullptr) {
      EXPECT_TRUE(h.printers.jobs.empty()) << what;
      const std::string report = h.fake.files.Contents(c.file);
      EXPECT_EQ(report.rfind(ExpectedHeader(), 0), 0u) << what;
      if (c.longFormat) {
        EXPECT_NE(report.find(kMissing), std::string::npos) << what;
      } else {
        EXPECT_EQ(report.substr(ExpectedHeader().size()), shortBody) << what;
      }
    } else {
      ASSERT_EQ(h.printers.jobs.size(), 1u) << what;
      EXPECT_TRUE(h.printers.jobs[0]->ended) << what;
      const std::vector<std::string> lines = h.printers.jobs[0]->Lines();
      EXPECT_EQ(lines.back(), c.longFormat ? "Uninstall Command: C:\\Apps\\alpha.exe /gamma" : "Gamma") << what;
    }
    // The program ends as on any exit: the window settings are written.
    form->CloseWithoutShowing();
    test::PumpMessages();
    EXPECT_EQ(Stored("MainViewStyle"), "0") << what;
    EXPECT_EQ(Stored("WindowState"), "0") << what;
    form.reset();
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    store->RemoveKey("Software\\Quenmark\\Tidewell\\Desktop");
  }
}

TEST_F(AuditReportWindow, AFailedReportSwitchIsShownAndTheProgramRunsOn) {
  struct Case {
    std::vector<std::string> parameters;
    bool hasPrinter;
    const char* message;
  } const cases[] = {
      {{"/RFL", "C:\\No Such Folder\\out.txt"}, true,
       "Cannot create file \"C:\\No Such Folder\\out.txt.XXXXXXXX.tidewell-tmp\". The system cannot find the path "
       "specified."},
      {{"/rps"}, false, "There is no default printer."},
  };
  for (const auto& c : cases) {
    h.prompts.shown.clear();
    h.printers.hasDefault = c.hasPrinter;
    Open(c.parameters);
    EXPECT_FALSE(form->TerminateRequested()) << c.parameters[0];
    ASSERT_EQ(h.prompts.shown.size(), 1u) << c.parameters[0];
    EXPECT_EQ(test::MaskTemporaryName(h.prompts.shown[0].text), c.message);
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(form->SelectedIndex(), 0);
    // From here on it is an ordinary session: rows get their icons, errors are shown.
    EXPECT_FALSE(form->IsUnattendedRun());
    ::UpdateWindow(form->ListView());
    EXPECT_GT(form->Icons().ResolvedRows(), 0) << c.parameters[0];
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    test::PumpMessages();
    form.reset();
  }
  EXPECT_FALSE(h.fake.files.Exists("C:\\No Such Folder\\out.txt"));
}

}  // namespace
}  // namespace tw
