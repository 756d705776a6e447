#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/UninstallInfoReader.h"
#include "support/Catalogue.h"
#include "support/Fakes.h"

namespace tw {
namespace {

using test::AddEntry;
using test::AddUsage;
using test::kUninstallKey;
using test::kWowUninstallKey;
using test::SetValue;
using test::UsageRecordBytes;

struct RowList : ProgramSink {
  std::vector<ProgramEntry> rows;
  void AddRow(ProgramEntry&& row) override { rows.push_back(std::move(row)); }
  const ProgramEntry* Find(const std::string& caption) const {
    for (const auto& r : rows) {
      if (r.caption == caption) return &r;
    }
    return nullptr;
  }
};

// Records every plan and hands out consecutive indexes, as the image lists would.
struct RecordingIcons : IconSource {
  std::vector<IconPlan> plans;
  int AddRowIcons(const IconPlan& plan) override {
    plans.push_back(plan);
    return static_cast<int>(plans.size()) - 1;
  }
};

class CatalogueScan : public ::testing::Test {
 protected:
  std::string Key(const std::string& sub) { return std::string(kUninstallKey) + "\\" + sub; }
  ScanReport Scan(RowList& rows, IconSource* icons = nullptr, const ScanParts& parts = {}) {
    return ScanCatalogue(fake.platform, rows, icons, true, parts);
  }
  // A scan that leaves out the parts named (false), then reads them for its rows.
  void ScanThenComplete(RowList& rows, const ScanParts& leftOut, IconSource* icons = nullptr) {
    Scan(rows, nullptr, ScanParts{!leftOut.usage, !leftOut.details});
    std::vector<ProgramEntry*> scanned;
    for (ProgramEntry& row : rows.rows) {
      if (leftOut.usage) {
        EXPECT_FALSE(row.hasUsage);
      }
      if (leftOut.details) {
        EXPECT_TRUE(row.publisher.empty() && row.estimatedSizeKb == -1 && !row.update);
      }
      scanned.push_back(&row);
    }
    CompleteRows(fake.platform, scanned, leftOut, icons);
  }
  test::FakePlatform fake;
};

TEST_F(CatalogueScan, ListsEntriesOfAllCataloguesInOrderWithTheirKeys) {
  AddEntry(fake.registry, RootKey::LocalMachine, "Zeta", "Zeta Tool", "MsiExec.exe /X{1}");
  AddEntry(fake.registry, RootKey::LocalMachine, "alpha", "Alpha Suite", "MsiExec.exe /X{2}");
  AddEntry(fake.registry, RootKey::LocalMachine, "Old32", "Old 32-bit App", "MsiExec.exe /X{3}",
           kWowUninstallKey);
  AddEntry(fake.registry, RootKey::CurrentUser, "Mine", "User App", "MsiExec.exe /X{4}");
  // Not listed: a name without a command, a command without a name, a bare key.
  SetValue(fake.registry, RootKey::LocalMachine, Key("NoCommand"), "DisplayName", RegValue::Text("x"));
  SetValue(fake.registry, RootKey::LocalMachine, Key("NoName"), "UninstallString", RegValue::Text("x"));
  SetValue(fake.registry, RootKey::LocalMachine, Key("Bare\\Sub"), "DisplayName", RegValue::Text("x"));

  RowList rows;
  const ScanReport report = Scan(rows);
  ASSERT_EQ(rows.rows.size(), 4u);
  EXPECT_EQ(report.rows, 4);
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(rows.rows[0].caption, "Alpha Suite");  // the store's order: by name
  EXPECT_EQ(rows.rows[1].caption, "Zeta Tool");
  EXPECT_EQ(rows.rows[2].caption, "Old 32-bit App");
  EXPECT_EQ(rows.rows[3].caption, "User App");
  EXPECT_EQ(rows.rows[0].KeyPath(),
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\alpha");
  EXPECT_EQ(rows.rows[2].KeyPath(),
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Old32");
  EXPECT_EQ(rows.rows[3].KeyPath(),
            "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mine");
  EXPECT_EQ(rows.rows[1].command, "MsiExec.exe /X{1}");
  for (const auto& row : rows.rows) {
    EXPECT_FALSE(row.hasUsage);
    EXPECT_EQ(row.imageIndex, -1);
    EXPECT_FALSE(row.uninstallerMissing);
  }
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST_F(CatalogueScan, WithoutThe32BitCatalogueOnlyTwoAreScanned) {
  EXPECT_EQ(CatalogueLocations(fake.registry).size(), 2u);
  AddEntry(fake.registry, RootKey::LocalMachine, "A", "A", "x", kWowUninstallKey);
  const auto locations = CatalogueLocations(fake.registry);
  ASSERT_EQ(locations.size(), 3u);
  EXPECT_EQ(locations[1].key, kWowUninstallKey);
  EXPECT_EQ(locations[2].root, RootKey::CurrentUser);
}

TEST_F(CatalogueScan, UsageRecordsComeFromTheLocalMachineCacheForEveryRoot) {
  AddEntry(fake.registry, RootKey::CurrentUser, "UserApp", "User App", "x");
  AddEntry(fake.registry, RootKey::LocalMachine, "Plain", "Plain", "x");
  AddUsage(fake.registry, "UserApp",
           RegValue{RegType::Binary, UsageRecordBytes(3LL << 30, test::FileTimeOf(2025, 1, 2, 3), 42,
                                                       u"C:\\Apps\\user.exe")});
  // Read in the scan, or after a scan that left the records out.
  for (const bool late : {false, true}) {
    SCOPED_TRACE(late ? "read after the scan" : "read in the scan");
    RowList rows;
    if (late) {
      ScanThenComplete(rows, ScanParts{true, false});
    } else {
      Scan(rows);
    }
    const ProgramEntry* user = rows.Find("User App");
    ASSERT_NE(user, nullptr);
    EXPECT_TRUE(user->hasUsage);
    EXPECT_EQ(user->Target(), "C:\\Apps\\user.exe");
    EXPECT_EQ(user->usage.size, 3LL << 30);
    EXPECT_EQ(user->usage.lastUse, test::FileTimeOf(2025, 1, 2, 3));
    EXPECT_EQ(user->usage.useCount, 42u);
    const ProgramEntry* plain = rows.Find("Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->hasUsage);
    EXPECT_EQ(plain->Target(), "");
  }
}

TEST_F(CatalogueScan, MissingUninstallersAreMarked) {
  fake.files.AddFile("C:\\Tools\\uninst.exe");
  AddEntry(fake.registry, RootKey::LocalMachine, "Here", "Here", "\"C:\\Tools\\uninst.exe\" /S");
  AddEntry(fake.registry, RootKey::LocalMachine, "Gone", "Gone", "\"C:\\Gone\\uninst.exe\"");
  AddEntry(fake.registry, RootKey::LocalMachine, "Batch", "Batch", "C:\\Tools\\remove.bat");
  RowList rows;
  Scan(rows);
  EXPECT_FALSE(rows.Find("Here")->uninstallerMissing);
  EXPECT_TRUE(rows.Find("Gone")->uninstallerMissing);
  EXPECT_TRUE(rows.Find("Batch")->uninstallerMissing);

  // Without the check nothing is marked.
  RowList unchecked;
  ScanCatalogue(fake.platform, unchecked, nullptr, false);
  for (const auto& row : unchecked.rows) EXPECT_FALSE(row.uninstallerMissing);
}

TEST_F(CatalogueScan, IconPlansFollowTheEntrysIconThenItsTargetOnce) {
  auto withIcon = [&](const std::string& sub, const std::string& icon) {
    AddEntry(fake.registry, RootKey::LocalMachine, sub, sub, "x");
    if (!icon.empty()) SetValue(fake.registry, RootKey::LocalMachine, Key(sub), "DisplayIcon", RegValue::Text(icon));
  };
  withIcon("A1", "C:\\App\\app.exe,2");
  withIcon("A2", "C:\\App\\app.exe,abc");
  withIcon("A3", "\"C:\\App\\app.exe\"");
  withIcon("A4", "C:\\App\\app.exe,-101");
  withIcon("B1", "");
  withIcon("B2", "");
  for (const char* sub : {"B1", "B2"}) {
    AddUsage(fake.registry, sub, RegValue{RegType::Binary, UsageRecordBytes(1, 0, 0, u"C:\\Shared\\tool.exe")});
  }
  AddEntry(fake.registry, RootKey::CurrentUser, "B3", "B3", "x");
  AddUsage(fake.registry, "B3", RegValue{RegType::Binary, UsageRecordBytes(1, 0, 0, u"c:\\shared\\TOOL.exe")});

  // The plans are the same whether the scan has an icon source or the icons are added to the
  // rows after a scan without one (a run that turns out to be seen after all).
  for (const bool late : {false, true}) {
    SCOPED_TRACE(late ? "added after the scan" : "in the scan");
    RowList rows;
    RecordingIcons icons;
    if (!late) Scan(rows, &icons);
    if (late) {
      ScanThenComplete(rows, ScanParts{false, false}, &icons);
    }
    ASSERT_EQ(icons.plans.size(), 7u);
    using L = IconLocation;
    EXPECT_EQ(icons.plans[0].locations, (std::vector<L>{{"C:\\App\\app.exe", 2}}));
    EXPECT_EQ(icons.plans[1].locations, (std::vector<L>{{"C:\\App\\app.exe", 0}}));
    EXPECT_EQ(icons.plans[2].locations, (std::vector<L>{{"\"C:\\App\\app.exe\"", 0}}));
    EXPECT_EQ(icons.plans[3].locations, (std::vector<L>{{"C:\\App\\app.exe", -101}}));
    // Two rows of one catalogue with the same Target: only the first tries it.
    EXPECT_EQ(icons.plans[4].locations, (std::vector<L>{{"C:\\Shared\\tool.exe", 0}}));
    EXPECT_TRUE(icons.plans[5].locations.empty());
    // Each catalogue starts with no known Targets, whatever the letter case.
    EXPECT_EQ(icons.plans[6].locations, (std::vector<L>{{"c:\\shared\\TOOL.exe", 0}}));
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
      EXPECT_EQ(rows.rows[i].imageIndex, static_cast<int>(i));
    }
  }
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST_F(CatalogueScan, AnUnreadableValueNoLongerHidesTheRestOfTheCatalogue) {
  AddEntry(fake.registry, RootKey::LocalMachine, "A", "First", "x");
  SetValue(fake.registry, RootKey::LocalMachine, Key("B"), "DisplayName", RegValue::Number(5));
  SetValue(fake.registry, RootKey::LocalMachine, Key("B"), "UninstallString", RegValue::Text("cmd"));
  AddEntry(fake.registry, RootKey::LocalMachine, "C", "Binary Command", "x");
  SetValue(fake.registry, RootKey::LocalMachine, Key("C"), "UninstallString", RegValue{RegType::Binary, {1, 2, 3}});
  AddEntry(fake.registry, RootKey::LocalMachine, "D", "Numeric Icon", "x");
  SetValue(fake.registry, RootKey::LocalMachine, Key("D"), "DisplayIcon", RegValue::Number(1));
  AddEntry(fake.registry, RootKey::CurrentUser, "E", "Last", "x");

  // Without an icon source the icon location is not read, and its error not met.
  RowList unseen;
  EXPECT_EQ(Scan(unseen).errors.size(), 2u);

  RowList rows;
  RecordingIcons icons;
  const ScanReport report = Scan(rows, &icons);
  ASSERT_EQ(rows.rows.size(), 5u);
  EXPECT_EQ(rows.rows[1].caption, "<no name>");
  EXPECT_EQ(rows.rows[1].command, "cmd");
  EXPECT_EQ(rows.rows[2].command, "");
  EXPECT_TRUE(icons.plans[3].locations.empty());
  EXPECT_EQ(rows.rows[4].caption, "Last");
  ASSERT_EQ(report.errors.size(), 3u);
  EXPECT_EQ(report.FirstError(), "Invalid data type for 'DisplayName'");
  EXPECT_EQ(report.errors[1], "Invalid data type for 'UninstallString'");
  EXPECT_EQ(report.errors[2], "Invalid data type for 'DisplayIcon'");
}

TEST_F(CatalogueScan, DisplayNamesOfEveryKind) {
  struct Case {
    const char* sub;
    RegValue value;
    const char* caption;
    bool error;
  };
  using namespace std::string_view_literals;
  std::vector<std::uint8_t> none = {'A', 'B', 'C', 'D', 0xE9, 0, 'Z'};
  const Case cases[] = {
      {"Empty", RegValue{RegType::String, {}}, "<no name>", false},
      {"EmptyText", RegValue::Text(""), "<no name>", false},
      {"Expand", RegValue::Text("%ProgramFiles%\\x", RegType::ExpandString), "%ProgramFiles%\\x", false},
      // A multi-string gives its first string, whole; a 64-bit number is no name, like a
      // 32-bit one.
      {"Multi", test::MultiValue(u"Program\0Two\0\0"sv), "Program", false},
      {"MultiUnended", test::MultiValue(u"Jasper Suite"sv), "Jasper Suite", false},
      {"MultiEmpty", test::MultiValue(u"\0Two\0\0"sv), "<no name>", false},
      {"MultiLong", test::MultiValue(std::u16string(1500, u'm')), nullptr, false},
      {"None", RegValue{RegType::None, none}, "D\xC3\xA9", false},
      {"Qword", test::QwordValue(0x0807060504030201u), "<no name>", true},
      {"EmptyQword", RegValue{RegType::Qword, {}}, "<no name>", false},
      {"Short", RegValue{RegType::None, {'a', 'b', 'c'}}, "<no name>", false},
      {"Big", RegValue{RegType::None, std::vector<std::uint8_t>(2049, 'x')}, "<no name>", true},
      {"Limit", RegValue{RegType::None, std::vector<std::uint8_t>(2048, 'x')}, nullptr, false},
      {"Binary", RegValue{RegType::Binary, {'a', 0}}, "<no name>", true},
      {"EmptyBinary", RegValue{RegType::Binary, {}}, "<no name>", false},
      {"NoNul", RegValue{RegType::String, {'H', 0, 'i', 0}}, "Hi", false},
      {"Odd", RegValue{RegType::String, {'O', 0, 'K', 0, 'x'}}, "OK", false},
  };
  for (const auto& c : cases) {
    SetValue(fake.registry, RootKey::LocalMachine, Key(c.sub), "DisplayName", c.value);
    SetValue(fake.registry, RootKey::LocalMachine, Key(c.sub), "UninstallString", RegValue::Text("x"));
  }
  RowList rows;
  const ScanReport report = Scan(rows);
  ASSERT_EQ(rows.rows.size(), std::size(cases));
  int errors = 0;
  for (const auto& c : cases) {
    const auto it = std::find_if(rows.rows.begin(), rows.rows.end(), [&](const ProgramEntry& r) {
      return r.KeyPath().ends_with(std::string("\\") + c.sub);
    });
    ASSERT_NE(it, rows.rows.end()) << c.sub;
    if (c.caption) {
      EXPECT_EQ(it->caption, c.caption) << c.sub;
    }
    errors += c.error ? 1 : 0;
  }
  EXPECT_EQ(report.errors.size(), static_cast<std::size_t>(errors));
}

// What today's catalogues record beside the name and the command is read leniently: a value
// of an unexpected kind or form is left empty and never reported.
TEST_F(CatalogueScan, DetailsOfTodaysCataloguesAreReadWithoutErrors) {
  const auto multi = [](const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
      bytes.push_back(static_cast<std::uint8_t>(c));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return RegValue{RegType::MultiString, bytes};
  };
  const auto qword = [](std::uint64_t v) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return RegValue{RegType::Qword, bytes};
  };
  struct Case {
    const char* value;
    RegValue data;
    const char* publisher;
    std::int64_t sizeKb;
    bool system;
    bool update;
  };
  const Case cases[] = {
      {"Publisher", RegValue::Text("Quill & Co"), "Quill & Co", -1, false, false},
      {"Publisher", multi(std::u16string(u"Jasper Suite\0Two\0\0", 18)), "Jasper Suite", -1, false, false},
      {"Publisher", RegValue::Number(7), "7", -1, false, false},
      {"Publisher", RegValue{RegType::Binary, {'a', 0}}, "", -1, false, false},
      {"EstimatedSize", RegValue::Number(2048), "", 2048, false, false},
      {"EstimatedSize", RegValue::Number(0xFFFFFFFFu), "", -1, false, false},  // negative
      {"EstimatedSize", qword(1ULL << 43), "", 1LL << 43, false, false},        // 2^53 bytes
      {"EstimatedSize", qword((1ULL << 43) + 1), "", -1, false, false},         // over 2^53 bytes
      {"EstimatedSize", RegValue::Text("2048"), "", -1, false, false},
      {"EstimatedSize", RegValue{RegType::Dword, {1, 2}}, "", -1, false, false},
      {"SystemComponent", RegValue::Number(1), "", -1, true, false},
      {"SystemComponent", qword(1), "", -1, true, false},
      {"SystemComponent", RegValue::Text("1"), "", -1, false, false},
      {"SystemComponent", RegValue::Number(2), "", -1, false, false},
      {"ParentKeyName", RegValue::Text("OfficeSuite"), "", -1, false, true},
      {"ParentKeyName", RegValue::Text(""), "", -1, false, false},
      {"ReleaseType", RegValue::Text("security update"), "", -1, false, true},
      {"ReleaseType", RegValue::Text("Hotfix"), "", -1, false, true},
      {"ReleaseType", RegValue::Text("Product"), "", -1, false, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string sub = "Case" + std::to_string(n++);
    AddEntry(fake.registry, RootKey::CurrentUser, sub, sub, "x");
    SetValue(fake.registry, RootKey::CurrentUser, Key(sub), c.value, c.data);
  }
  AddEntry(fake.registry, RootKey::LocalMachine, "Full", "Full", "x");
  SetValue(fake.registry, RootKey::LocalMachine, Key("Full"), "DisplayVersion", RegValue::Text("10.2.1"));
  SetValue(fake.registry, RootKey::LocalMachine, Key("Full"), "InstallDate", RegValue::Text("20240115"));
  SetValue(fake.registry, RootKey::LocalMachine, Key("Full"), "QuietUninstallString",
           RegValue::Text("uninst.exe /S", RegType::ExpandString));
  AddEntry(fake.registry, RootKey::LocalMachine, "Old32", "Old32", "x", kWowUninstallKey);

  // Read in the scan, or after a scan that left the details out.
  for (const bool late : {false, true}) {
    SCOPED_TRACE(late ? "read after the scan" : "read in the scan");
    RowList rows;
    if (late) {
      ScanThenComplete(rows, ScanParts{false, true});
    } else {
      EXPECT_TRUE(Scan(rows).errors.empty());
    }
    n = 0;
    for (const auto& c : cases) {
      const ProgramEntry* row = rows.Find("Case" + std::to_string(n++));
      ASSERT_NE(row, nullptr);
      SCOPED_TRACE(row->caption);
      EXPECT_EQ(row->publisher, c.publisher);
      EXPECT_EQ(row->estimatedSizeKb, c.sizeKb);
      EXPECT_EQ(row->systemComponent, c.system);
      EXPECT_EQ(row->update, c.update);
      EXPECT_EQ(row->catalogue, Catalogue::User);
    }
    const ProgramEntry* full = rows.Find("Full");
    EXPECT_EQ(full->version, "10.2.1");
    EXPECT_EQ(full->installDate, "20240115");
    EXPECT_EQ(full->quietCommand, "uninst.exe /S");
    EXPECT_EQ(full->catalogue, Catalogue::Machine64);
    EXPECT_EQ(rows.Find("Old32")->catalogue, Catalogue::Machine32);
  }
}

// The scan's uninstaller test asks the platform's Installer about Installer commands.
TEST_F(CatalogueScan, InstallerEntriesOfProductsTheInstallerDoesNotKnowAreMissing) {
  const std::string known = "{11111111-2222-3333-4444-555555555555}";
  const std::string gone = "{66666666-7777-8888-9999-AAAAAAAAAAAA}";
  test::FakeInstallerProducts installer;
  installer.known = {known};
  fake.platform.installer = &installer;
  AddEntry(fake.registry, RootKey::LocalMachine, "Known", "Known", "MsiExec.exe /X" + known);
  AddEntry(fake.registry, RootKey::LocalMachine, "Gone", "Gone", "MsiExec.exe /I" + gone);
  AddEntry(fake.registry, RootKey::LocalMachine, "Other", "Other", "uninst.exe /X" + gone);
  // Asked one by one, or of one listing for the whole scan where the Installer offers it.
  for (const bool listed : {false, true}) {
    SCOPED_TRACE(listed ? "listed" : "one by one");
    installer.listed = listed;
    installer.asked.clear();
    RowList rows;
    Scan(rows);
    EXPECT_FALSE(rows.Find("Known")->uninstallerMissing);
    EXPECT_TRUE(rows.Find("Gone")->uninstallerMissing);
    EXPECT_FALSE(rows.Find("Other")->uninstallerMissing);
    std::vector<std::string> asked = listed ? installer.askedOfListing : installer.asked;
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{known, gone}));
    if (listed) {
      EXPECT_TRUE(installer.asked.empty());
    }
  }
}

TEST_F(CatalogueScan, ReadValueByPathGivesTextsOfEveryKind) {
  const std::string path = "HKEY_LOCAL_MACHINE\\" + Key("App");
  SetValue(fake.registry, RootKey::LocalMachine, Key("App"), "S", RegValue::Text("text"));
  SetValue(fake.registry, RootKey::LocalMachine, Key("App"), "N", RegValue::Number(2048));
  SetValue(fake.registry, RootKey::LocalMachine, Key("App"), "Neg", RegValue::Number(0xFFFFFFFFu));
  SetValue(fake.registry, RootKey::LocalMachine, Key("App"), "B", RegValue{RegType::Binary, {1, 2}});
  SetValue(fake.registry, RootKey::LocalMachine, Key("App"), "Bad", RegValue{RegType::Dword, {1, 2}});
  EXPECT_EQ(ReadValueByPath(fake.registry, path, "S", fake.ansi), "text");
  EXPECT_EQ(ReadValueByPath(fake.registry, path, "N", fake.ansi), "2048");
  EXPECT_EQ(ReadValueByPath(fake.registry, path, "Neg", fake.ansi), "-1");
  EXPECT_EQ(ReadValueByPath(fake.registry, path, "B", fake.ansi), "");
  EXPECT_EQ(ReadValueByPath(fake.registry, path, "Bad", fake.ansi), "");
  EXPECT_EQ(ReadValueByPath(fake.registry, path, "Missing", fake.ansi), "");
  EXPECT_EQ(ReadValueByPath(fake.registry, path + "x", "S", fake.ansi), "");
  EXPECT_EQ(ReadValueByPath(fake.registry, "HKLM\\" + Key("App"), "S", fake.ansi), "");
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

// The details view and the value editor show 64-bit numbers as numbers and every string of a
// multi-string.
TEST(ValueDisplay, EveryKindAsTheDetailsAndTheEditorShowIt) {
  using namespace std::string_view_literals;
  test::Cp1252Codec ansi;
  struct Case {
    const char* label;
    std::optional<RegValue> value;
    std::optional<std::string> shown;
  };
  const Case cases[] = {
      {"expandable", RegValue::Text("%ProgramFiles%\\J", RegType::ExpandString), "%ProgramFiles%\\J"},
      {"multi", test::MultiValue(u"Jasper Suite\0Tools\0\0"sv), "Jasper Suite Tools"},
      {"multi cut short", test::MultiValue(u"A\0B"sv), "A B"},
      {"multi after an empty string", test::MultiValue(u"A\0\0B\0\0"sv), "A"},
      {"negative dword", RegValue::Number(0xFFFFFFFFu), "-1"},
      {"qword", test::QwordValue(6442450944u), "6442450944"},
      {"negative qword", test::QwordValue(0xFFFFFFFFFFFFFFFEu), "-2"},
      {"short qword", RegValue{RegType::Qword, {1, 2, 3, 4}}, std::nullopt},
      {"binary", RegValue{RegType::Binary, {1, 2}}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueDisplayText("V", c.value, ansi), c.shown) << c.label;
}

TEST(ValueDisplay, MultiStringValuesHoldTheirStringsAndReadBack) {
  using namespace std::string_view_literals;
  const std::vector<std::string> strings = {"Jasper Suite", "\xE5\x8C\x97\xE6\x96\x97"};
  const RegValue value = MultiStringValue(strings);
  EXPECT_EQ(value.type, RegType::MultiString);
  EXPECT_EQ(value.data, test::MultiValue(u"Jasper Suite\0\u5317\u6597\0\0"sv).data);
  EXPECT_EQ(MultiStrings(value), strings);
  EXPECT_EQ(MultiStringValue({}).data, (std::vector<std::uint8_t>{0, 0}));
}

TEST(IconSpec, ParsesFileAndIndex) {
  EXPECT_EQ(ParseIconSpec("C:\\a.exe,2"), (IconLocation{"C:\\a.exe", 2}));
  EXPECT_EQ(ParseIconSpec("C:\\a.exe, 2"), (IconLocation{"C:\\a.exe", 0}));
  EXPECT_EQ(ParseIconSpec("C:\\a.exe,-3"), (IconLocation{"C:\\a.exe", -3}));
  EXPECT_EQ(ParseIconSpec("C:\\a.exe,1,2"), (IconLocation{"C:\\a.exe", 0}));
  EXPECT_EQ(ParseIconSpec("C:\\a.exe,99999999999"), (IconLocation{"C:\\a.exe", 0}));
  EXPECT_EQ(ParseIconSpec("\"C:\\a b.exe\""), (IconLocation{"\"C:\\a b.exe\"", 0}));
  EXPECT_EQ(ParseIconSpec(""), (IconLocation{"", 0}));
}

}  // namespace
}  // namespace tw
