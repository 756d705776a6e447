#pragma once
// The registry store on advapi32: the same results and errors as MemoryRegistryStore, on the
// real registry. Keys open for reading and writing, or for reading only where writing is
// refused (a non-administrator reading HKEY_LOCAL_MACHINE). Removing keys goes below advapi32
// (ntdll's NtDeleteKey) so that a symbolic link is removed as itself, never followed.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/RegKeyTree.h"
#include "util/RegistryStore.h"
#include "win32/UniqueHandle.h"

namespace tw {

/// The predefined HKEY of a root handle; nullptr for 0 and any handle not among the seven.
HKEY PredefinedKey(RootKeyHandle root);

class Win32RegistryStore : public RegistryStore {
 public:
  Win32RegistryStore() = default;

  void SelectRoot(RootKeyHandle root) override;
  RootKeyHandle CurrentRoot() const override { return root_; }
  bool OpenPath(const std::string& path, bool create) override;
  void ClosePath() override;
  bool IsOpen() const override { return static_cast<bool>(key_); }
  bool IsWritable() const override { return key_ && !readOnly_; }
  std::vector<std::string> ListSubKeys() override;
  std::vector<std::string> ListValues() override;
  bool HasKey(const std::string& path) override;
  std::optional<RegValue> QueryValue(const std::string& name) override;
  void WriteValue(const std::string& name, const RegValue& value) override;
  bool RemoveValue(const std::string& name) override;
  bool RemoveKey(const std::string& path) override;
  std::optional<std::string> LinkTarget(const std::string& path) override;

  /// Whether the open key was opened for reading only.
  bool IsReadOnly() const { return readOnly_; }

 private:
  RootKeyHandle root_ = RootKey::CurrentUser;
  UniqueHKey key_;
  std::wstring openPath_;  // the open key's path below the root, without a trailing "\"
  bool readOnly_ = false;
};

/// Link keys read as themselves (REG_OPTION_OPEN_LINK) and made with REG_OPTION_CREATE_LINK.
class Win32SymbolicLinks : public SymbolicLinks {
 public:
  std::optional<RegValue> LinkValue(RootKeyHandle root, const std::string& path) override;
  bool CreateLink(RootKeyHandle root, const std::string& path, const RegValue& linkValue) override;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryStore> NewStore() override;
  SymbolicLinks* Links() override { return &links_; }

 private:
  Win32SymbolicLinks links_;
};

}  // namespace tw
