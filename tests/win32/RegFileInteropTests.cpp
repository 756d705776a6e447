// .reg files through Wine's real registry and its real regedit: what Tidewell exports,
// regedit /S imports into another place byte for byte; what regedit /E exports, Tidewell
// reads and imports byte for byte.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/BackupFolder.h"
#include "support/RegistryLinks.h"
#include "support/ScratchFolder.h"
#include "support/RegFileValues.h"
#include "util/RegFile.h"
#include "util/RegKeyTree.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using namespace std::string_literals;
using test::Sequence;
using test::Sz;
using test::Units;

// A value of every kind, with whether regedit under Wine imports (/S) and exports (/E) it
// exactly. Measured: its import appends a NUL character to string-type data that does not
// end in one (and spoils data of an odd size); its export writes REG_SZ data only up to the
// first NUL (an empty value as "", which imports as one NUL character) and a REG_DWORD of
// any size as eight hex digits.
struct Case {
  std::string name;
  RegValue value;
  bool regeditImports = true;
  bool regeditExports = true;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"", Sz(u"default \"quoted\" back\\slash")},
      {"string", Sz(u"quote \" back \\ equals = semicolon ; lone \xD800 surrogate")},
      {"q\"uote \\ = name", Sz(u"x")},
      {"line\r\nbreak", Sz(u"name with a line break")},
      {"@", Sz(u"a value named @, not the default")},
      {"expand", Sz(u"%SystemRoot%\\system32", RegType::ExpandString)},
      {"binary", {RegType::Binary, Sequence(100, 7)}},
      {"dword", RegValue::Number(0xDEADBEEF)},
      {"big endian", {RegType::DwordBigEndian, {0, 0, 1, 2}}},
      {"link", {RegType::Link, Units(u"\\REGISTRY\\MACHINE\\SOFTWARE")}},
      {"multi", {RegType::MultiString, Units(u"one\0two\0\0"s)}},
      {"resources", {8, Sequence(30, 7)}},
      {"qword", {RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {"none", {RegType::None, {}}},
      {"none bytes", {RegType::None, {0, 1, 2}}},
      {"odd type", {0x100000, {0xFF}}},
      {"type 12345", {12345, {}}},
      {"text lines", Sz(u"first\r\nsecond\n")},
      {"inner NUL", {RegType::String, Units(u"a\0b\0"s)}, true, false},
      {"empty string", {RegType::String, {}}, true, false},
      {"short dword", {RegType::Dword, {1, 2}}, true, false},
      {"long dword", {RegType::Dword, Sequence(8, 7)}, true, false},
      {"no NUL", {RegType::String, Units(u"AB")}, false, false},
      {"odd size", {RegType::String, {0x41, 0, 0x42}}, false, false},
      {"expand no NUL", {RegType::ExpandString, Units(u"%x%")}, false},
      {"multi no NUL", {RegType::MultiString, Units(u"a")}, false},
  };
  return cases;
}

// The same sections with the key at `from` moved to `to`.
RegFile Moved(RegFile file, const std::string& from, const std::string& to) {
  for (RegFileKey& key : file.keys) {
    EXPECT_TRUE(IsSameOrBelowKey(key.path, from)) << key.path;
    key.path = to + key.path.substr(from.size());
  }
  return file;
}

class RegFileInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\TidewellTest\\" + std::to_string(::GetCurrentProcessId()) + "-regfile";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(base_).c_str());
    ASSERT_TRUE(folder_.Made());
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(base_).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TidewellTest");
  }
  std::string Full(const std::string& relative) const { return "HKEY_CURRENT_USER\\" + base_ + "\\" + relative; }

  // Writes the values whose case passes `take`, and three keys below, at a full key path.
  template <class Take>
  void Fill(const std::string& fullPath, Take take) {
    auto store = registry_.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    const std::string path = fullPath.substr(fullPath.find('\\') + 1);
    ASSERT_TRUE(store->OpenPath(path, true));
    for (const Case& c : Cases()) {
      if (take(c)) store->WriteValue(c.name, c.value);
    }
    ASSERT_TRUE(store->OpenPath(path + "\\Sub\\Deeper", true));
    store->WriteValue("", Sz(u"deeper default"));
    ASSERT_TRUE(store->OpenPath(path + "\\odd ] name = \"q\"", true));
    store->WriteValue("v", RegValue::Number(1));
    ASSERT_TRUE(store->OpenPath(path + "\\empty", true));
  }

  // Runs regedit with these arguments and waits for it; its exit status, -1 when it did not start.
  static int Regedit(const std::wstring& arguments) {
    std::wstring line = L"regedit.exe " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      return -1;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
  }

  std::string ReadFile(const std::string& path) {
    std::string bytes, error;
    EXPECT_TRUE(Win32FileSystem().ReadAll(path, bytes, error)) << error;
    return bytes;
  }

  std::string base_;
  Win32Registry registry_;
  test::ScratchFolder folder_{"TidewellRegFile"};
};

TEST_F(RegFileInterop, RegeditImportsWhatTidewellExports) {
  Fill(Full("A"), [](const Case& c) { return c.regeditImports; });
  const RegFile saved = ExportKeyTree(registry_, Full("A"));
  ASSERT_EQ(saved.keys.size(), 5u);
  for (const Case& c : Cases()) {
    const auto& values = saved.keys[0].values;
    const bool found = std::find(values.begin(), values.end(), RegFileValue{c.name, c.value}) != values.end();
    EXPECT_EQ(found, c.regeditImports) << c.name;
  }

  const std::string file = folder_.MakeFile("tidewell.reg", WriteRegFile(Moved(saved, Full("A"), Full("B"))));
  ASSERT_EQ(Regedit(L"/S \"" + Widen(file) + L"\""), 0);
  EXPECT_EQ(ExportKeyTree(registry_, Full("B")), Moved(saved, Full("A"), Full("B")));
}

TEST_F(RegFileInterop, TidewellImportsWhatRegeditExports) {
  Fill(Full("A"), [](const Case& c) { return c.regeditExports; });
  const std::wstring file = Widen(folder_.In("regedit.reg"));
  ASSERT_EQ(Regedit(L"/E \"" + file + L"\" \"" + Widen(Full("A")) + L"\""), 0);
  const std::string bytes = ReadFile(folder_.In("regedit.reg"));
  ASSERT_EQ(bytes.substr(0, 4), "\xFF\xFEW\0"s) << "UTF-16 with its byte-order mark";

  ImportKeyTree(registry_, Moved(ReadRegFile(bytes), Full("A"), Full("B")), Full("B"), false);
  EXPECT_EQ(ExportKeyTree(registry_, Full("B")), Moved(ExportKeyTree(registry_, Full("A")), Full("A"), Full("B")));

  // Byte for byte the file regedit writes, but for strings with line breaks, which Tidewell
  // writes as hex(1): the editor on Windows neither escapes nor reads escaped line breaks.
  auto store = registry_.NewStore();
  store->SelectRoot(RootKey::CurrentUser);
  ASSERT_TRUE(store->OpenPath(base_ + "\\A", false));
  ASSERT_TRUE(store->RemoveValue("text lines"));
  ASSERT_EQ(Regedit(L"/E \"" + file + L"\" \"" + Widen(Full("A")) + L"\""), 0);
  const std::string again = ReadFile(folder_.In("regedit.reg"));
  EXPECT_EQ(WriteRegFile(ReadRegFile(again)), again);
}

// Names with unpaired surrogates, through regedit both ways and the raw API (the store's
// names are UTF-8 and cannot carry them yet).
TEST_F(RegFileInterop, UnpairedSurrogateNamesInterchangeWithRegedit) {
  const std::string lone = "\xED\xA0\x80";  // U+D800 on its own
  const RegFile file{{{Full("S" + lone), {{"v" + lone, Sz(u"\xDC00")}}}}};
  const std::string path = folder_.MakeFile("lone.reg", WriteRegFile(file));
  ASSERT_EQ(Regedit(L"/S \"" + Widen(path) + L"\""), 0);

  UniqueHKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (Widen(base_) + L"\\S\xD800").c_str(), 0, KEY_READ, key.put()),
            ERROR_SUCCESS);
  wchar_t data[8] = {};
  DWORD type = 0, size = sizeof data;
  ASSERT_EQ(::RegQueryValueExW(key.get(), L"v\xD800", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(data, size / 2), std::wstring(L"\xDC00", 2));

  ASSERT_EQ(Regedit(L"/E \"" + Widen(path) + L"\" \"" + Widen(Full("S")) + L"\xD800\""), 0);
  EXPECT_EQ(ReadRegFile(ReadFile(path)), file);
}

// ---------------------------------------------------------------------------------------
// Backups of catalogue entries: a backup file, its record included, imports with regedit;
// regedit's export restores through Tidewell; link keys come back as links.

class BackupInterop : public RegFileInterop {
 protected:
  void SetUp() override {
    RegFileInterop::SetUp();
    entry_ = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TidewellBackupTest-" +
             std::to_string(::GetCurrentProcessId());
    Remove(entry_);
  }
  void TearDown() override {
    Remove(entry_);
    RegFileInterop::TearDown();
  }
  void Remove(const std::string& fullPath) {
    auto store = registry_.NewStore();
    store->SelectRoot(RootKey::CurrentUser);
    store->RemoveKey(fullPath.substr(fullPath.find('\\') + 1));
  }
  RegFile Saved() { return ExportKeyTree(registry_, entry_, registry_.Links()); }
  std::string Folder() const { return folder_.In("Backups\\"); }

  std::string entry_;
  Win32Platform system_;
};

TEST_F(BackupInterop, RegeditImportsABackupOfEveryKindOfValue) {
  Fill(entry_, [](const Case& c) { return c.regeditImports; });
  const RegFile before = Saved();
  const std::optional<std::string> backup =
      SaveEntryBackup(system_.platform, Folder(), entry_, BackupReason::Deleted);
  ASSERT_TRUE(backup);
  Remove(entry_);
  ASSERT_EQ(Regedit(L"/S \"" + Widen(*backup) + L"\""), 0);
  EXPECT_EQ(Saved(), before);
}

TEST_F(BackupInterop, TidewellRestoresWhatRegeditExports) {
  Fill(entry_, [](const Case& c) { return c.regeditExports; });
  const RegFile before = Saved();
  const std::string file = folder_.In("regedit.reg");
  ASSERT_EQ(Regedit(L"/E \"" + Widen(file) + L"\" \"" + Widen(entry_) + L"\""), 0);
  Remove(entry_);
  const auto never = [](const std::string&) { return false; };
  EXPECT_EQ(RestoreEntryBackup(system_.platform, Folder(), file, never), entry_);
  EXPECT_EQ(Saved(), before);
}

// An entry that is a link, and an entry with a link below it: saved and restored as links,
// and the keys they point at never touched.
TEST_F(BackupInterop, LinkKeysAreSavedAndRestoredAsLinks) {
  Fill(Full("Target"), [](const Case& c) { return c.name == "dword"; });
  const std::wstring target = Widen(base_ + "\\Target");
  const std::vector<std::string> targetTree = test::RegistryTree(HKEY_CURRENT_USER, target);
  const std::string linkEntry = entry_ + "-link";
  const auto below = [](const std::string& full) { return Widen(full.substr(full.find('\\') + 1)); };
  Fill(entry_, [](const Case& c) { return c.name == "string"; });
  ASSERT_TRUE(test::MakeRegistryLink(HKEY_CURRENT_USER, below(entry_) + L"\\Link", test::CurrentUserNtPath(target)));
  ASSERT_TRUE(test::MakeRegistryLink(HKEY_CURRENT_USER, below(linkEntry), test::CurrentUserNtPath(target)));

  for (const std::string& entry : {entry_, linkEntry}) {
    SCOPED_TRACE(entry);
    const RegFile before = ExportKeyTree(registry_, entry, registry_.Links());
    ASSERT_TRUE(std::any_of(before.keys.begin(), before.keys.end(), [](const RegFileKey& key) { return key.link; }));
    const std::optional<std::string> backup = SaveEntryBackup(system_.platform, Folder(), entry, BackupReason::Deleted);
    ASSERT_TRUE(backup);
    Remove(entry);
    ASSERT_FALSE(test::KeyItselfExists(HKEY_CURRENT_USER, below(entry)));
    EXPECT_EQ(RestoreEntryBackup(system_.platform, Folder(), *backup, [](const std::string&) { return false; }), entry);
    EXPECT_EQ(ExportKeyTree(registry_, entry, registry_.Links()), before);
    EXPECT_EQ(test::RegistryTree(HKEY_CURRENT_USER, target), targetTree);
  }
  Remove(linkEntry);
}

}  // namespace
}  // namespace tw
