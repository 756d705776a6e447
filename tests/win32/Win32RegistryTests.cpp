// The Win32 registry store against Wine's real registry: the shared contract (run against
// the memory store too, so both give the same results), and what only the real registry
// has: the 32-bit view, keys that refuse writing, values made by other programs.

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "support/RegistryContract.h"
#include "support/RegistryLinks.h"
#include "catalogue/UninstallKeyTools.h"
#include "util/CorRegToolsPlus.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace tw {
namespace {

// A key of its own for each case, below HKCU\Software\TidewellTest\<process id>-<n>,
// removed with everything in it when the case ends.
class Win32Target : public test::RegistryTarget {
 public:
  Win32Target() {
    static std::atomic<int> counter{0};
    base_ = "Software\\TidewellTest\\" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, Widen(base_).c_str());
    UniqueHKey key;
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Widen(base_).c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                                key.put(), nullptr),
              ERROR_SUCCESS);
  }
  ~Win32Target() override {
    // Removed as the program removes keys: a link a case left behind is removed as a link,
    // where RegDeleteTreeW would follow it.
    Win32RegistryStore().RemoveKey(base_);
    UniqueHKey key;
    // The parent goes too once the last process's keys are gone.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TidewellTest");
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(base_).c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS)
        << "the case's key was not removed";
    key.release();
  }
  Registry& registry() override { return registry_; }
  std::string Base() const override { return base_; }
  std::string MakeLink(const std::string& path, const std::string& targetPath) override {
    const std::wstring target = test::CurrentUserNtPath(Widen(targetPath));
    EXPECT_TRUE(test::MakeRegistryLink(HKEY_CURRENT_USER, Widen(path), target)) << path;
    return Narrow(target);
  }

 private:
  Win32Registry registry_;
  std::string base_;
};

test::RegistryTargetFactory Win32RegistryTarget() {
  return {"Win32", [] { return std::unique_ptr<test::RegistryTarget>(std::make_unique<Win32Target>()); }};
}

}  // namespace
}  // namespace tw

namespace tw::test {
INSTANTIATE_TEST_SUITE_P(Stores, RegistryContract,
                         ::testing::Values(MemoryRegistryTarget(), tw::Win32RegistryTarget()),
                         RegistryTargetName);
}  // namespace tw::test

namespace tw {
namespace {

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { target_ = std::make_unique<Win32Target>(); }
  void TearDown() override { target_.reset(); }
  std::string Path(const std::string& relative) const { return target_->Base() + "\\" + relative; }
  std::wstring WidePath(const std::string& relative) const { return Widen(Path(relative)); }

  // Gives a key the access list `sddl` (everyone's rights); false when it cannot be set.
  static bool SetAccess(HKEY key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
      return false;
    }
    const LSTATUS set = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
    return set == ERROR_SUCCESS;
  }
  // Gives a case's key full access back, so that it can be removed.
  void GiveFullAccess(const std::string& relative) {
    UniqueHKey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, WidePath(relative).c_str(), 0, WRITE_DAC, key.put()), ERROR_SUCCESS);
    EXPECT_TRUE(SetAccess(key.get(), L"D:P(A;;KA;;;WD)"));
  }

  std::unique_ptr<Win32Target> target_;
  Win32Registry registry_;
};

TEST_F(Win32RegistryTest, ThirtyTwoBitViewAppearsUnderWow6432Node) {
  const std::wstring name = L"TidewellTest-" + std::to_wstring(::GetCurrentProcessId());
  UniqueHKey made;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + name).c_str(), 0, nullptr, 0,
                              KEY_READ | KEY_WRITE | KEY_WOW64_32KEY, nullptr, made.put(), nullptr),
            ERROR_SUCCESS);
  const BYTE data[] = {'3', 0, '2', 0, 0, 0};
  ASSERT_EQ(::RegSetValueExW(made.get(), L"DisplayName", 0, REG_SZ, data, sizeof data), ERROR_SUCCESS);
  made.reset();

  auto store = registry_.NewStore();
  store->SelectRoot(RootKey::LocalMachine);
  const std::string narrow = Narrow(name);
  EXPECT_TRUE(store->HasKey("SOFTWARE\\WOW6432Node\\" + narrow));
  EXPECT_FALSE(store->HasKey("SOFTWARE\\" + narrow)) << "the 64-bit view must not see it";
  ASSERT_TRUE(store->OpenPath("SOFTWARE\\Wow6432Node\\" + narrow, false));
  EXPECT_EQ(store->ReadText("DisplayName"), "32");
  store->ClosePath();

  EXPECT_TRUE(store->RemoveKey("SOFTWARE\\WOW6432Node\\" + narrow));
  UniqueHKey gone;
  EXPECT_NE(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + name).c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                            gone.put()),
            ERROR_SUCCESS);
  gone.release();
}

TEST_F(Win32RegistryTest, ReadsTheMachineCatalogue) {
  auto store = registry_.NewStore();
  store->SelectRoot(ExtractRootKey("hkey_local_machine\\x"));
  ASSERT_TRUE(store->OpenPath("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false));
  const auto keys = store->ListSubKeys();
  EXPECT_NE(std::find(keys.begin(), keys.end(), "Uninstall"), keys.end());
  EXPECT_FALSE(store->ReadText("ProgramFilesDir").empty());
}

// Values written by another program with the raw API read as the store promises, and values
// the store writes are exactly what the raw API sees.
TEST_F(Win32RegistryTest, AgreesWithTheRawApi) {
  UniqueHKey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, WidePath("Raw").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), nullptr),
            ERROR_SUCCESS);
  const wchar_t expand[] = L"%ProgramFiles%\\App\\app.exe,1";
  ASSERT_EQ(::RegSetValueExW(key.get(), L"DisplayIcon", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                             sizeof expand),
            ERROR_SUCCESS);
  const DWORD number = 0x01020304;
  ASSERT_EQ(::RegSetValueExW(key.get(), L"EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number),
            ERROR_SUCCESS);

  auto store = registry_.NewStore();
  ASSERT_TRUE(store->OpenPath(Path("Raw"), false));
  EXPECT_EQ(store->ValueKind("DisplayIcon"), ValueKind::ExpandString);
  EXPECT_EQ(store->ReadText("DisplayIcon"), "%ProgramFiles%\\App\\app.exe,1");
  EXPECT_EQ(store->ReadNumber("EstimatedSize"), 0x01020304);

  // An unterminated string goes in as the bytes given: the API would otherwise count a NUL
  // that happens to follow the data in memory.
  const std::vector<std::uint8_t> abc = {'a', 0, 'b', 0, 'c', 0};
  store->WriteValue("Unterminated", RegValue{RegType::String, abc});
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(::RegQueryValueExW(key.get(), L"Unterminated", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 6u);
  store->WriteValue("One byte", RegValue{RegType::String, {'z'}});
  ASSERT_EQ(::RegQueryValueExW(key.get(), L"One byte", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 1u);
}

// A key whose security allows reading only: it opens for reading (as HKEY_LOCAL_MACHINE does
// for a non-administrator), reads work, and writing raises the store's error.
TEST_F(Win32RegistryTest, KeyThatRefusesWritingOpensForReading) {
  UniqueHKey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, WidePath("ReadOnly").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  const wchar_t text[] = L"kept";
  ASSERT_EQ(::RegSetValueExW(key.get(), L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  // Everyone may read the key and change its security (so the case can clean up); no one
  // may write values or make sub keys.
  ASSERT_TRUE(SetAccess(key.get(), L"D:P(A;;KRWD;;;WD)"));
  key.reset();

  UniqueHKey probe;
  const LSTATUS writable = ::RegOpenKeyExW(HKEY_CURRENT_USER, WidePath("ReadOnly").c_str(), 0,
                                           KEY_READ | KEY_WRITE, probe.put());
  if (writable == ERROR_SUCCESS) {
    GTEST_SKIP() << "this registry does not enforce key security";
  }
  probe.release();
  ASSERT_EQ(writable, ERROR_ACCESS_DENIED);

  Win32RegistryStore store;
  ASSERT_TRUE(store.OpenPath(Path("ReadOnly"), false));
  EXPECT_TRUE(store.IsReadOnly());
  EXPECT_FALSE(store.IsWritable());
  EXPECT_EQ(store.ReadText("v"), "kept");
  EXPECT_THROW(store.WriteText("v", "changed"), RegistryError);
  EXPECT_EQ(store.ReadText("v"), "kept");
  // With create, an existing key that refuses writing still opens for reading.
  ASSERT_TRUE(store.OpenPath(Path("ReadOnly"), true));
  EXPECT_TRUE(store.IsReadOnly());
  EXPECT_EQ(store.ReadText("v"), "kept");
  EXPECT_THROW(store.WriteText("v", "changed"), RegistryError);
  store.ClosePath();

  // Such a key is one that cannot be opened for rewriting an entry: nothing is written, and
  // the call says so instead of failing on its first write.
  const std::string keyPath = "HKEY_CURRENT_USER\\" + Path("ReadOnly");
  for (const bool create : {false, true}) {
    EXPECT_FALSE(WriteUninstallEntry(registry_, keyPath, "Name", "cmd.exe", nullptr, create));
  }
  EXPECT_TRUE(UninstallKeyExists(registry_, keyPath));
  ASSERT_TRUE(store.OpenPath(Path("ReadOnly"), false));
  EXPECT_EQ(store.ListValues(), std::vector<std::string>{"v"});
  store.ClosePath();

  GiveFullAccess("ReadOnly");
}

// A key exists for the program when it opens for reading its values and its sub keys; one
// that only lets its values be queried does not count.
TEST_F(Win32RegistryTest, HasKeyNeedsSubKeyEnumeration) {
  UniqueHKey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, WidePath("QueryOnly").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  // Everyone may query values (CC is KEY_QUERY_VALUE) and change the security; nothing else.
  ASSERT_TRUE(SetAccess(key.get(), L"D:P(A;;CCWD;;;WD)"));
  key.reset();

  UniqueHKey probe;
  const LSTATUS enumerable = ::RegOpenKeyExW(HKEY_CURRENT_USER, WidePath("QueryOnly").c_str(), 0,
                                             KEY_ENUMERATE_SUB_KEYS, probe.put());
  if (enumerable == ERROR_SUCCESS) {
    GTEST_SKIP() << "this registry does not enforce key security";
  }
  probe.release();
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, WidePath("QueryOnly").c_str(), 0, KEY_QUERY_VALUE, probe.put()),
            ERROR_SUCCESS);
  probe.reset();

  auto store = registry_.NewStore();
  EXPECT_FALSE(store->HasKey(Path("QueryOnly")));
  EXPECT_FALSE(UninstallKeyExists(registry_, "HKEY_CURRENT_USER\\" + Path("QueryOnly")));

  GiveFullAccess("QueryOnly");
}

}  // namespace
}  // namespace tw
