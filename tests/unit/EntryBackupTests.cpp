// Whole keys to .reg files and back through the registry store, and the rules of a restore:
// one catalogue entry, exactly as saved, nothing written outside it or from a bad file.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "catalogue/EntryBackup.h"
#include "support/Catalogue.h"
#include "support/Fakes.h"
#include "util/CorRegToolsPlus.h"
#include "util/RegKeyTree.h"

namespace tw {
namespace {

using namespace std::string_literals;

const std::string kEntry = "HKEY_LOCAL_MACHINE\\"s + test::kUninstallKey + "\\App";
const std::string kEntrySub = test::kUninstallKey + "\\App"s;

// Link keys kept beside a memory registry: the registry holds what a link points to, as a
// store that follows links would show it.
struct FakeLinks : SymbolicLinks {
  std::map<std::string, RegValue> links;  // by the path below HKEY_LOCAL_MACHINE
  std::optional<RegValue> LinkValue(RootKeyHandle, const std::string& path) override {
    return links.contains(path) ? std::optional(links[path]) : std::nullopt;
  }
  bool CreateLink(RootKeyHandle root, const std::string& path, const RegValue& value) override {
    return root == RootKey::LocalMachine && links.emplace(path, value).second;
  }
};

class EntryBackup : public ::testing::Test {
 protected:
  void SetUp() override {
    Put(kEntrySub, "DisplayName", RegValue::Text("App"));
    Put(kEntrySub, "", RegValue{RegType::Binary, {1, 2, 3}});
    Put(kEntrySub + "\\sub\\deeper", "n", RegValue::Number(7));
    Put(kEntrySub + "\\Sub2", "odd", RegValue{RegType::String, {0x41}});
    auto store = fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->OpenPath(kEntrySub + "\\empty", true);
  }
  void Put(const std::string& key, const std::string& name, const RegValue& value) {
    test::SetValue(fake.registry, RootKey::LocalMachine, key, name, value);
  }
  RegFile Saved() { return ExportKeyTree(fake.registry, kEntry); }

  test::FakePlatform fake;
};

TEST_F(EntryBackup, ExportsEveryKeyBeforeTheKeysBelowIt) {
  const RegFile expected{{{kEntry, {{"DisplayName", RegValue::Text("App")}, {"", {RegType::Binary, {1, 2, 3}}}}},
                          {kEntry + "\\empty", {}},
                          {kEntry + "\\sub", {}},
                          {kEntry + "\\sub\\deeper", {{"n", RegValue::Number(7)}}},
                          {kEntry + "\\Sub2", {{"odd", {RegType::String, {0x41}}}}}}};
  EXPECT_EQ(Saved(), expected);
  EXPECT_THROW(ExportKeyTree(fake.registry, kEntry + "\\missing"), RegistryError);
  fake.registry.denyOpen = [](const std::string& path) { return path.ends_with("\\deeper"); };
  EXPECT_THROW(ExportKeyTree(fake.registry, kEntry), RegistryError) << "a backup is whole or none";
}

TEST_F(EntryBackup, RestoresExactlyWhatWasSaved) {
  const RegFile before = Saved();
  const std::string backup = BackupUninstallEntry(fake.registry, kEntry);

  // Gone: restored as it was.
  auto store = fake.registry.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  ASSERT_TRUE(store->RemoveKey(kEntrySub));
  EXPECT_EQ(RestoreUninstallEntry(fake.registry, backup, nullptr, false), kEntry);
  EXPECT_EQ(Saved(), before);

  // Changed since: kept unless replacing is asked for; then wholly as it was.
  Put(kEntrySub + "\\new", "DisplayName", RegValue::Text("New"));
  Put(kEntrySub, "DisplayName", RegValue::Number(1));
  const RegFile changed = Saved();
  EXPECT_THROW(RestoreUninstallEntry(fake.registry, backup, nullptr, false), RegistryError);
  EXPECT_EQ(Saved(), changed);
  RestoreUninstallEntry(fake.registry, backup, nullptr, true);
  EXPECT_EQ(Saved(), before);

  Put(kEntrySub, "big", RegValue{RegType::Binary, std::vector<std::uint8_t>(kMaxRestoredValueBytes + 1)});
  EXPECT_THROW(BackupUninstallEntry(fake.registry, kEntry), RegFileError) << "it could not be restored";
}

TEST_F(EntryBackup, RestoresOnlyOneCatalogueEntry) {
  const std::string hklm = "HKEY_LOCAL_MACHINE\\"s + test::kUninstallKey;
  const std::string wow = "hkey_local_machine\\software\\wow6432node\\microsoft\\windows\\currentversion\\uninstall";
  const std::string hkcu = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const std::string v = "\n\"DisplayName\"=\"x\"";
  const auto bytes = [](std::size_t count) {  // "big"=hex:01,01,...,01
    std::string line = "\n\"big\"=hex:01";
    for (std::size_t i = 1; i < count; ++i) line += ",01";
    return line;
  };
  const struct {
    std::string body;  // the lines after the header
    int line;          // the line refused, or 0 for a file that restores
    std::string message;
  } cases[] = {
      {"[" + hklm + "\\App]" + v, 0, ""},
      {"[" + wow + "\\App]" + v + "\n[" + wow + "\\APP\\Sub]" + v, 0, ""},
      {"[" + hkcu + "\\App]" + v, 0, ""},
      {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\App]" + v, 2, "not an entry of an uninstall catalogue"},
      {"[HKEY_USERS\\S-1-5-21\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App]" + v, 2, "not an entry"},
      {"[" + hklm + "]" + v, 2, "catalogue itself"},
      {"[" + hklm + "\\App\\Sub]" + v, 2, "below a catalogue entry"},
      {"[" + hklm + "\\App]" + v + "\n[" + hklm + "\\Other]" + v, 4, "lies outside"},
      {"[" + hklm + "\\App]" + v + "\n[" + hkcu + "\\App]" + v, 4, "lies outside"},
      {"[" + hklm + "\\App]" + v + "\n[-" + hklm + "\\App\\Sub]", 4, "removes a key"},
      {"[" + hklm + "\\App]" + v + "\n\"v\"=-", 4, "removes a value"},
      {"[" + hklm + "\\App]" + v + "\n[" + hklm + "\\App\\L]\n\"SymbolicLinkValue\"=hex(6):5c,00", 4, "symbolic link"},
      {"[" + hklm + "\\App]" + v + bytes(1024 * 1024), 0, ""},
      {"[" + hklm + "\\App]" + v + bytes(1024 * 1024 + 1), 4, "more than the 1048576"},
  };
  for (const auto& c : cases) {
    const std::string text = "Windows Registry Editor Version 5.00\n" + c.body + "\n";
    MemoryRegistry registry;
    try {
      const std::string entry = RestoreUninstallEntry(registry, text, nullptr, false);
      EXPECT_EQ(c.line, 0) << "restored " << entry << " from\n" << text;
      auto store = registry.NewStore();
      store->SelectRoot(ExtractRootKey(entry));
      EXPECT_TRUE(store->OpenPath(ExtractSubKey(entry), false));
      EXPECT_EQ(store->ReadText("DisplayName"), "x");
    } catch (const RegFileError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(registry.storesCreated, 0) << "nothing may be written from a file that is refused";
    }
  }
}

TEST_F(EntryBackup, KeepsLinkKeysAsLinks) {
  FakeLinks links;
  const RegValue target{RegType::Link, {0x5C, 0, 0x58, 0}};  // "\X", no NUL, as the registry keeps it
  links.links[kEntrySub + "\\sub"] = target;
  const std::string backup = BackupUninstallEntry(fake.registry, kEntry, &links);
  const RegFile file = ReadRegFile(backup);
  ASSERT_EQ(file.keys.size(), 4u) << "nothing below the link is saved";
  EXPECT_EQ(file.keys[2], (RegFileKey{kEntry + "\\sub", {{"SymbolicLinkValue", target}}, false, true}));

  FakeLinks restored;
  MemoryRegistry registry;
  EXPECT_THROW(RestoreUninstallEntry(registry, backup, nullptr, false), RegFileError);
  RestoreUninstallEntry(registry, backup, nullptr, false, &restored);
  EXPECT_EQ(restored.links, links.links);
  EXPECT_EQ(registry.Find(RootKey::LocalMachine, kEntrySub + "\\sub"), nullptr) << "made as a link, not a key";
}

// An entry that is a link whose target is gone is still the entry: a restore replaces the
// link and never writes through it to wherever it points.
TEST_F(EntryBackup, ARestoreReplacesALinkWhoseTargetIsGone) {
  const std::string backup = BackupUninstallEntry(fake.registry, kEntry);
  MemoryRegistry registry;
  registry.MakeLink(RootKey::LocalMachine, kEntrySub, "\\REGISTRY\\MACHINE\\Gone");
  EXPECT_THROW(RestoreUninstallEntry(registry, backup, nullptr, false, registry.Links()), RegistryError);
  RestoreUninstallEntry(registry, backup, nullptr, true, registry.Links());
  EXPECT_EQ(registry.Links()->LinkValue(RootKey::LocalMachine, kEntrySub), std::nullopt);
  EXPECT_EQ(ExportKeyTree(registry, kEntry), Saved());
  EXPECT_EQ(registry.Find(RootKey::LocalMachine, "Gone"), nullptr);
}

}  // namespace
}  // namespace tw
