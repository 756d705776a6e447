#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "catalogue/UninstallKeyTools.h"
#include "support/Catalogue.h"
#include "support/Fakes.h"

namespace tw {
namespace {

using test::kUninstallKey;
using test::SetValue;

// A grid as the edit dialog keeps it; rows filled from the registry carry their original.
struct Grid : ValueTable {
  struct Row {
    std::string name, text;
    std::optional<OriginalValue> original;
  };
  std::vector<Row> rows{{"Registry Key", "Registry Value", std::nullopt}};
  int RowCount() const override { return static_cast<int>(rows.size()); }
  std::string Cell(int column, int row) const override {
    return column == 0 ? rows[static_cast<std::size_t>(row)].name : rows[static_cast<std::size_t>(row)].text;
  }
  const OriginalValue* Original(int row) const override {
    const auto& o = rows[static_cast<std::size_t>(row)].original;
    return o ? &*o : nullptr;
  }
  void Add(std::string name, std::string text) { rows.push_back({std::move(name), std::move(text), std::nullopt}); }
  void AddOriginal(std::string name, std::string text, RegValue value) {
    rows.push_back({name, text, OriginalValue{name, text, std::move(value)}});
  }
};

class KeyTools : public ::testing::Test {
 protected:
  const std::string sub = std::string(kUninstallKey) + "\\App";
  const std::string path = "HKEY_LOCAL_MACHINE\\" + sub;
  std::optional<RegValue> Get(const std::string& name) {
    auto store = fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    if (!store->OpenPath(sub, false)) return std::nullopt;
    return store->QueryValue(name);
  }
  std::vector<std::string> Names() {
    auto store = fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->OpenPath(sub, false);
    return store->ListValues();
  }
  void Put(const std::string& name, const RegValue& value) {
    SetValue(fake.registry, RootKey::LocalMachine, sub, name, value);
  }
  test::FakePlatform fake;
};

TEST_F(KeyTools, WriteWithoutCreateNeedsAnExistingKey) {
  EXPECT_FALSE(WriteUninstallEntry(fake.registry, path, "A", "B", nullptr, false));
  EXPECT_FALSE(UninstallKeyExists(fake.registry, path));
  EXPECT_TRUE(WriteUninstallEntry(fake.registry, path, "A", "B", nullptr, true));
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("A"));
  EXPECT_EQ(Get("UninstallString"), RegValue::Text("B"));
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST_F(KeyTools, WriteReplacesEveryValueAndKeepsSubKeys) {
  Put("EstimatedSize", RegValue::Number(2048));
  Put("Old", RegValue::Text("gone"));
  Put("", RegValue::Text("default value"));
  SetValue(fake.registry, RootKey::LocalMachine, sub + "\\Child", "X", RegValue::Text("kept"));
  ASSERT_TRUE(WriteUninstallEntry(fake.registry, path, "Name", "Cmd", nullptr, false));
  EXPECT_EQ(Names(), (std::vector<std::string>{"DisplayName", "UninstallString"}));
  EXPECT_TRUE(UninstallKeyExists(fake.registry, path + "\\Child"));
}

TEST_F(KeyTools, TableRowsAreWrittenAfterTheFixedValuesAndLaterRowsWin) {
  Grid grid;
  grid.Add("DisplayName", "From Table");
  grid.Add("", "skipped");
  grid.Add("Comments", "one");
  grid.Add("Comments", "two");
  grid.Add("Empty", "");
  ASSERT_TRUE(WriteUninstallEntry(fake.registry, path, "Arg", "Cmd", &grid, true));
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("From Table"));
  EXPECT_EQ(Get("Comments"), RegValue::Text("two"));
  EXPECT_EQ(Get("Empty"), RegValue::Text(""));
  EXPECT_EQ(Names().size(), 4u);

  Grid onlyBlank;
  onlyBlank.Add("", "x");
  ASSERT_TRUE(WriteUninstallEntry(fake.registry, path, "", "", &onlyBlank, false));
  EXPECT_EQ(Names(), (std::vector<std::string>{"DisplayName", "UninstallString"}));
  EXPECT_EQ(Get("DisplayName"), RegValue::Text(""));
}

TEST_F(KeyTools, EditingOneValueKeepsTheTypesOfTheOthers) {
  const RegValue size = RegValue::Number(2048);
  const RegValue binary{RegType::Binary, {0, 1, 2, 0xFF}};
  const RegValue multi{RegType::MultiString, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}};
  const RegValue expand = RegValue::Text("%SystemRoot%\\x.exe", RegType::ExpandString);
  const RegValue version = RegValue::Number(3);
  Grid grid;
  grid.AddOriginal("DisplayName", "App", RegValue::Text("App"));
  grid.AddOriginal("UninstallString", "u.exe", RegValue::Text("u.exe"));
  grid.AddOriginal("EstimatedSize", "2048", size);
  grid.AddOriginal("Blob", "(cannot display information)", binary);
  grid.AddOriginal("Multi", "ltiString", multi);
  grid.AddOriginal("Icon", "%SystemRoot%\\x.exe", expand);
  grid.AddOriginal("VersionMajor", "3", version);
  grid.AddOriginal("NoModify", "1", RegValue::Number(1));
  grid.AddOriginal("Path", "%A%", RegValue::Text("%A%", RegType::ExpandString));
  grid.AddOriginal("Comments", "old", RegValue::Text("old"));
  // The user edits these rows:
  grid.rows[7].text = "4";                  // an integer, still a number
  grid.rows[8].text = "yes";                // an integer, no longer a number
  grid.rows[9].text = "%B%";                // an expandable string
  grid.rows[10].text = "new comment";       // a string
  grid.AddOriginal("Renamed", "9", RegValue::Number(9));
  grid.rows.back().name = "NewName";        // renamed, text untouched: the same value, new name
  grid.AddOriginal("OldBlob", "(cannot display information)", binary);
  grid.rows.back().name = "NewBlob";        // renamed binary: its bytes, not the placeholder
  grid.AddOriginal("OldNumber", "7", RegValue::Number(7));
  grid.rows.back().name = "NewNumber";
  grid.rows.back().text = "8";              // renamed and changed: a new value, a string
  grid.AddOriginal("Version", "7", RegValue::Number(7));
  grid.rows.back().name = "VERSION";        // the same value (names ignore case): a number
  grid.rows.back().text = "9";
  grid.Add("Added", "5");

  ASSERT_TRUE(WriteUninstallEntry(fake.registry, path, "", "", &grid, true));
  EXPECT_EQ(Get("EstimatedSize"), size);
  EXPECT_EQ(Get("Blob"), binary);
  EXPECT_EQ(Get("Multi"), multi);
  EXPECT_EQ(Get("Icon"), expand);
  EXPECT_EQ(Get("VersionMajor"), RegValue::Number(4));
  EXPECT_EQ(Get("NoModify"), RegValue::Text("yes"));
  EXPECT_EQ(Get("Path"), RegValue::Text("%B%", RegType::ExpandString));
  EXPECT_EQ(Get("Comments"), RegValue::Text("new comment"));
  EXPECT_EQ(Get("NewName"), RegValue::Number(9));
  EXPECT_FALSE(Get("Renamed").has_value());
  EXPECT_EQ(Get("NewBlob"), binary);
  EXPECT_FALSE(Get("OldBlob").has_value());
  EXPECT_EQ(Get("NewNumber"), RegValue::Text("8"));
  EXPECT_EQ(Get("Version"), RegValue::Number(9));
  EXPECT_EQ(Get("Added"), RegValue::Text("5"));
}

TEST_F(KeyTools, ChangedNumbersMustFitThirtyTwoBits) {
  Grid grid;
  for (const char* text : {"-2147483648", "4294967295", "4294967296", "-2147483649"}) {
    grid.AddOriginal(std::string("N") + text, "0", RegValue::Number(0));
    grid.rows.back().text = text;
  }
  ASSERT_TRUE(WriteUninstallEntry(fake.registry, path, "", "", &grid, true));
  EXPECT_EQ(Get("N-2147483648"), RegValue::Number(0x80000000u));
  EXPECT_EQ(Get("N4294967295"), RegValue::Number(0xFFFFFFFFu));
  EXPECT_EQ(Get("N4294967296"), RegValue::Text("4294967296"));
  EXPECT_EQ(Get("N-2147483649"), RegValue::Text("-2147483649"));
}

// Changed values keep their kind. A 64-bit number takes the signed and the unsigned range; a
// multi-string is split at the blanks only where blanks can have stood between its strings.
TEST_F(KeyTools, ChangedSixtyFourBitNumbersAndMultiStringsKeepTheirKind) {
  using namespace std::string_view_literals;
  const struct {
    const char* text;
    std::uint64_t stored;
  } numbers[] = {
      {"0", 0},
      {"6442450944", 6442450944u},
      {"+7", 7},
      {"-1", 0xFFFFFFFFFFFFFFFFu},
      {"-9223372036854775808", 0x8000000000000000u},
      {"9223372036854775807", 0x7FFFFFFFFFFFFFFFu},
      {"18446744073709551615", 0xFFFFFFFFFFFFFFFFu},
  };
  const struct {
    std::u16string_view before;
    const char* text;
    std::u16string_view after;
  } lists[] = {
      // Several strings without blanks: a list, split at the blanks.
      {u"a.dll\0b.dll\0\0"sv, "a.dll c.dll d.dll", u"a.dll\0c.dll\0d.dll\0\0"sv},
      {u"a.dll\0b.dll\0\0"sv, "  a.dll   c.dll ", u"a.dll\0c.dll\0\0"sv},
      // One string, or strings with blanks of their own: the whole text is one string.
      {u"Jasper Suite\0\0"sv, "Jasper Suite 2", u"Jasper Suite 2\0\0"sv},
      {u"Jasper Suite\0Tools\0\0"sv, "Jasper Suite Tools 2", u"Jasper Suite Tools 2\0\0"sv},
      {u"a\0b\0\0"sv, "", u"\0"sv},
  };
  Grid grid;
  for (const auto& c : numbers) {
    grid.AddOriginal(std::string("Q") + c.text, "5", test::QwordValue(5));
    grid.rows.back().text = c.text;
  }
  char list = 'A';
  for (const auto& c : lists) {
    grid.AddOriginal(std::string("M") + list++, "(as shown)", test::MultiValue(c.before));
    grid.rows.back().text = c.text;
  }
  grid.AddOriginal("Renamed", "5", test::QwordValue(5));
  grid.rows.back().name = "Other";  // renamed and changed: a new value, a string
  grid.rows.back().text = "six";
  ASSERT_FALSE(ValueTableRefusal(grid).has_value());
  ASSERT_TRUE(WriteUninstallEntry(fake.registry, path, "", "", &grid, true));
  for (const auto& c : numbers) EXPECT_EQ(Get(std::string("Q") + c.text), test::QwordValue(c.stored)) << c.text;
  list = 'A';
  for (const auto& c : lists) EXPECT_EQ(Get(std::string("M") + list++), test::MultiValue(c.after)) << c.text;
  EXPECT_EQ(Get("Other"), RegValue::Text("six"));
}

TEST_F(KeyTools, AChangedSixtyFourBitNumberThatIsNoNumberIsRefusedBeforeAnythingChanges) {
  Put("DisplayName", RegValue::Text("Original"));
  Put("Stamp", test::QwordValue(5));
  for (const char* text : {"", "six", "18446744073709551616", "-9223372036854775809", "0x10", "-"}) {
    SCOPED_TRACE(text);
    Grid grid;
    grid.AddOriginal("DisplayName", "Original", RegValue::Text("Original"));
    grid.rows.back().text = "Changed";
    grid.AddOriginal("Stamp", "5", test::QwordValue(5));
    grid.rows.back().text = text;
    const std::string message = std::string("The value \"Stamp\" holds a 64-bit number, and \"") + text +
                                "\" is not one. Type a whole number from -9223372036854775808 to "
                                "18446744073709551615. Nothing has been written.";
    EXPECT_EQ(ValueTableRefusal(grid), message);
    EXPECT_THROW(WriteUninstallEntry(fake.registry, path, "", "", &grid, false), RegistryError);
    EXPECT_EQ(Names(), (std::vector<std::string>{"DisplayName", "Stamp"}));
    EXPECT_EQ(Get("DisplayName"), RegValue::Text("Original"));
    EXPECT_EQ(Get("Stamp"), test::QwordValue(5));
  }
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST_F(KeyTools, AFailedWriteRestoresTheEntryAndRaises) {
  Put("DisplayName", RegValue::Text("Original"));
  Put("UninstallString", RegValue::Text("orig.exe"));
  Put("EstimatedSize", RegValue::Number(77));
  Put("Blob", RegValue{RegType::Binary, {9, 8, 7}});
  const auto before = Names();
  fake.registry.failWrite = [](const std::string&, const std::string& name) { return name == "Bad"; };
  Grid grid;
  grid.Add("Comments", "written before the failure");
  grid.Add("Bad", "x");
  try {
    WriteUninstallEntry(fake.registry, path, "New", "new.exe", &grid, false);
    FAIL() << "the write error must travel on";
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Bad'");
  }
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("Original"));
  EXPECT_EQ(Get("EstimatedSize"), RegValue::Number(77));
  EXPECT_EQ(Get("Blob"), (RegValue{RegType::Binary, {9, 8, 7}}));
  EXPECT_FALSE(Get("Comments").has_value());
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST_F(KeyTools, AFailedWriteOfANewEntryLeavesNoKeyBehind) {
  fake.registry.failWrite = [](const std::string&, const std::string& name) {
    return name == "UninstallString";
  };
  EXPECT_THROW(WriteUninstallEntry(fake.registry, path, "A", "B", nullptr, true), RegistryError);
  EXPECT_FALSE(UninstallKeyExists(fake.registry, path));
}

TEST_F(KeyTools, DeleteAndExists) {
  Put("DisplayName", RegValue::Text("x"));
  SetValue(fake.registry, RootKey::LocalMachine, sub + "\\A\\B", "v", RegValue::Text("x"));
  EXPECT_TRUE(UninstallKeyExists(fake.registry, path));
  EXPECT_TRUE(UninstallKeyExists(fake.registry, "hkey_local_machine\\" + sub));
  EXPECT_TRUE(DeleteUninstallKey(fake.registry, path));
  EXPECT_FALSE(UninstallKeyExists(fake.registry, path));
  EXPECT_FALSE(UninstallKeyExists(fake.registry, path + "\\A"));
  EXPECT_FALSE(DeleteUninstallKey(fake.registry, path));
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

TEST_F(KeyTools, PathsThatNameNoEntryChangeNothing) {
  Put("DisplayName", RegValue::Text("x"));
  for (const std::string& bad : {"HKLM\\" + sub, sub, std::string("HKEY_LOCAL_MACHINE\\"),
                                "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\\",
                                std::string("\\"), std::string("")}) {
    EXPECT_FALSE(DeleteUninstallKey(fake.registry, bad)) << bad;
    EXPECT_FALSE(WriteUninstallEntry(fake.registry, bad.empty() ? "x" : bad + "x\\\\y", "a", "b", nullptr, true)) << bad;
  }
  EXPECT_FALSE(UninstallKeyExists(fake.registry, "HKLM\\" + sub));
  EXPECT_TRUE(UninstallKeyExists(fake.registry, path));
}

// A path naming a root or the catalogue key itself (nothing after the last backslash) would
// open that key and wipe its values; a doubled backslash would name a bigger key to delete.
TEST_F(KeyTools, PathsNamingARootOrTheCatalogueAreNeverWrittenOrDeleted) {
  Put("DisplayName", RegValue::Text("x"));
  SetValue(fake.registry, RootKey::LocalMachine, "", "AtRoot", RegValue::Number(1));
  SetValue(fake.registry, RootKey::LocalMachine, kUninstallKey, "InCatalogue", RegValue::Number(2));
  const auto valuesOf = [&](const std::string& key) {
    auto store = fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    EXPECT_TRUE(store->OpenPath(key, false)) << key;
    return store->ListValues();
  };
  for (const std::string& bad : {std::string("HKEY_LOCAL_MACHINE\\"), std::string("HKEY_LOCAL_MACHINE"),
                                "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\\"}) {
    SCOPED_TRACE(bad);
    for (const bool create : {false, true}) {
      EXPECT_FALSE(WriteUninstallEntry(fake.registry, bad, "a", "b", nullptr, create));
    }
  }
  EXPECT_EQ(valuesOf(""), std::vector<std::string>{"AtRoot"});
  EXPECT_EQ(valuesOf(kUninstallKey), std::vector<std::string>{"InCatalogue"});

  for (const std::string& bad : {std::string("HKEY_LOCAL_MACHINE\\\\SOFTWARE"), std::string("HKEY_LOCAL_MACHINE\\\\"),
                                "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\\\\App"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(DeleteUninstallKey(fake.registry, bad));
  }
  EXPECT_TRUE(UninstallKeyExists(fake.registry, path));
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

// A key that allows reading but refuses writing opens for reading only: the entry is not
// rewritten, and none of its values is removed on the way.
TEST_F(KeyTools, AKeyThatRefusesWritingIsLeftAsItWas) {
  Put("DisplayName", RegValue::Text("Original"));
  Put("EstimatedSize", RegValue::Number(5));
  const std::string missing = path + "Missing";
  fake.registry.denyWrite = [&](const std::string& keyPath) {
    return keyPath == path || keyPath == missing;
  };
  {
    auto store = fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    ASSERT_TRUE(store->OpenPath(sub, false));
    EXPECT_TRUE(store->IsOpen());
    EXPECT_FALSE(store->IsWritable());
    EXPECT_FALSE(store->RemoveValue("EstimatedSize"));
    EXPECT_THROW(store->WriteText("DisplayName", "x"), RegistryError);
  }
  Grid grid;
  grid.Add("Comments", "c");
  for (const bool create : {false, true}) {
    EXPECT_FALSE(WriteUninstallEntry(fake.registry, path, "New", "new.exe", &grid, create));
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"DisplayName", "EstimatedSize"}));
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("Original"));
  EXPECT_EQ(Get("EstimatedSize"), RegValue::Number(5));
  EXPECT_TRUE(UninstallKeyExists(fake.registry, path));

  // A missing key where writing is refused is not created.
  EXPECT_FALSE(WriteUninstallEntry(fake.registry, missing, "New", "new.exe", nullptr, true));
  EXPECT_FALSE(UninstallKeyExists(fake.registry, missing));
  EXPECT_EQ(fake.registry.storesAlive, 0);
}

}  // namespace
}  // namespace tw
