#include "win32/Win32Registry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "util/Text.h"
#include "win32/WinText.h"

// ntdll's key functions: advapi32 has no call that removes the very key a handle stands for
// (a link opened as itself), nor one that names that key.
extern "C" {
LONG NTAPI NtDeleteKey(HANDLE key);  // NTSTATUS, negative on failure
LONG NTAPI NtQueryKey(HANDLE key, int informationClass, void* information, ULONG length, ULONG* resultLength);
}

namespace tw {

namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
// What removing a key needs of it and of each key below it.
constexpr REGSAM kRemoveAccess = KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE;
constexpr int kKeyNameInformation = 3;  // KEY_INFORMATION_CLASS: the key's full NT name
const wchar_t* const kSymbolicLinkValue = L"SymbolicLinkValue";

// Paths follow the memory store's rules so that both stores accept and refuse the same
// texts: names joined by single backslashes, one trailing backslash tolerated after a name,
// no leading or doubled backslash. The empty path is the root itself. The result has the
// trailing backslash dropped.
std::optional<std::wstring> NormalisePath(const std::string& path) {
  if (path.empty()) return std::wstring();
  std::size_t start = 0;
  bool any = false;
  while (true) {
    const std::size_t pos = path.find('\\', start);
    const std::size_t length = (pos == std::string::npos ? path.size() : pos) - start;
    if (length == 0) {
      if (pos == std::string::npos && any) break;
      return std::nullopt;
    }
    any = true;
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  std::string trimmed = path;
  if (trimmed.back() == '\\') trimmed.pop_back();
  return Widen(trimmed);
}

// Whether `path` is `ancestor` or lies below it, without regard to case.
bool IsSameOrBelow(const std::wstring& path, const std::wstring& ancestor) {
  if (path.size() < ancestor.size()) return false;
  if (path.size() > ancestor.size() && path[ancestor.size()] != L'\\') return false;
  if (ancestor.empty()) return true;
  return ::CompareStringOrdinal(path.data(), static_cast<int>(ancestor.size()), ancestor.data(),
                                static_cast<int>(ancestor.size()), TRUE) == CSTR_EQUAL;
}

// Enumerates the names of a key's sub keys or values with a buffer that grows when a name
// does not fit.
template <class EnumFn>
std::vector<std::string> EnumerateNames(DWORD count, DWORD longest, EnumFn enumerate) {
  std::vector<std::string> names;
  names.reserve(count);
  std::wstring buffer(std::max<DWORD>(longest + 1, 256), L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LSTATUS rc = enumerate(index, buffer.data(), &length);
    if (rc == ERROR_MORE_DATA) {
      buffer.assign(std::max<std::size_t>(buffer.size() * 2, 16384 + 1), L'\0');
      length = static_cast<DWORD>(buffer.size());
      rc = enumerate(index, buffer.data(), &length);
    }
    if (rc != ERROR_SUCCESS) break;
    names.push_back(Narrow(std::wstring_view(buffer.data(), length)));
  }
  return names;
}

// Removes the sub keys of a key, depth first from the last to the first, and then the key
// itself. Every key is opened as itself (REG_OPTION_OPEN_LINK), so that a symbolic link is
// removed as the link: RegDeleteTreeW opens a link as the key it points at and would empty
// and remove that key instead, wherever it lies. A link has no sub keys of its own, so
// nothing below one is ever visited. True when the key itself was removed.
bool RemoveTreeOf(HKEY key) {
  DWORD count = 0, longest = 0;
  if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS) {
    count = 0;
    longest = 0;
  }
  // All names first: removing a sub key renumbers the ones after it.
  const std::vector<std::string> names =
      EnumerateNames(count, longest, [key](DWORD index, wchar_t* name, DWORD* length) {
        return ::RegEnumKeyExW(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
      });
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    UniqueHKey child;
    if (::RegOpenKeyExW(key, Widen(*name).c_str(), REG_OPTION_OPEN_LINK, kRemoveAccess, child.put()) !=
        ERROR_SUCCESS) {
      child.release();
      continue;  // the key itself then stays, holding it
    }
    RemoveTreeOf(child.get());
  }
  return NtDeleteKey(key) >= 0;
}

// The full NT name of an open key (\REGISTRY\...), or "" when it cannot be had.
std::wstring NtNameOf(HKEY key) {
  std::vector<std::uint8_t> buffer(1024);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG needed = 0;
    const LONG status =
        NtQueryKey(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status >= 0) {
      ULONG bytes = 0;
      std::memcpy(&bytes, buffer.data(), sizeof bytes);
      bytes = std::min<ULONG>(bytes, static_cast<ULONG>(buffer.size() - sizeof bytes));
      std::wstring name(bytes / sizeof(wchar_t), L'\0');
      std::memcpy(name.data(), buffer.data() + sizeof bytes, name.size() * sizeof(wchar_t));
      return name;
    }
    if (needed <= buffer.size()) break;
    buffer.resize(needed);
  }
  return {};
}

// The link value of a key below a root that is a symbolic link, its bytes as the link keeps
// them; nothing for an ordinary or a missing key.
std::optional<std::vector<std::uint8_t>> LinkValueOf(HKEY root, const std::string& path) {
  const auto subPath = NormalisePath(path);
  if (root == nullptr || !subPath || subPath->empty()) return std::nullopt;
  UniqueHKey self;
  if (::RegOpenKeyExW(root, subPath->c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, self.put()) != ERROR_SUCCESS) {
    self.release();
    return std::nullopt;
  }
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(self.get(), kSymbolicLinkValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_LINK) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> value(size + sizeof(wchar_t));
  size = static_cast<DWORD>(value.size());
  if (::RegQueryValueExW(self.get(), kSymbolicLinkValue, nullptr, &type, value.data(), &size) != ERROR_SUCCESS ||
      type != REG_LINK) {
    return std::nullopt;
  }
  value.resize(size);

  // An ordinary key may hold a value of that name and type too: a link is a key that, opened
  // the ordinary way, is another key (or none, when its target is gone).
  UniqueHKey followed;
  if (::RegOpenKeyExW(root, subPath->c_str(), 0, KEY_QUERY_VALUE, followed.put()) == ERROR_SUCCESS) {
    const std::wstring selfName = NtNameOf(self.get());
    if (!selfName.empty() && selfName == NtNameOf(followed.get())) return std::nullopt;
  } else {
    followed.release();
  }
  return value;
}

}  // namespace

HKEY PredefinedKey(RootKeyHandle root) {
  if (root < RootKey::ClassesRoot || root > RootKey::DynData) return nullptr;
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

void Win32RegistryStore::SelectRoot(RootKeyHandle root) {
  ClosePath();
  root_ = root;
}

bool Win32RegistryStore::OpenPath(const std::string& path, bool create) {
  ClosePath();
  const HKEY root = PredefinedKey(root_);
  const auto subPath = NormalisePath(path);
  if (root == nullptr || !subPath) return false;

  UniqueHKey key;
  bool readOnly = false;
  LSTATUS rc;
  if (create) {
    rc = ::RegCreateKeyExW(root, subPath->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kReadWrite,
                           nullptr, key.put(), nullptr);
  } else {
    rc = ::RegOpenKeyExW(root, subPath->c_str(), 0, kReadWrite, key.put());
  }
  if (rc == ERROR_ACCESS_DENIED) {
    // Writing is refused (HKEY_LOCAL_MACHINE for a non-administrator): reading still works,
    // and an existing key opens for reading. A missing key cannot be created then. The
    // failed call may have left garbage in the handle, which must not be closed.
    readOnly = true;
    key.release();
    rc = ::RegOpenKeyExW(root, subPath->c_str(), 0, KEY_READ, key.put());
  }
  if (rc != ERROR_SUCCESS) {
    // Some failing calls leave garbage in the output; never close what was not opened.
    key.release();
    return false;
  }
  key_ = std::move(key);
  openPath_ = *subPath;
  readOnly_ = readOnly;
  return true;
}

void Win32RegistryStore::ClosePath() {
  key_.reset();
  openPath_.clear();
  readOnly_ = false;
}

std::vector<std::string> Win32RegistryStore::ListSubKeys() {
  if (!key_) return {};
  DWORD count = 0, longest = 0;
  if (::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    count = 0;
    longest = 0;
  }
  return EnumerateNames(count, longest, [this](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumKeyExW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> Win32RegistryStore::ListValues() {
  if (!key_) return {};
  DWORD count = 0, longest = 0;
  if (::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    count = 0;
    longest = 0;
  }
  return EnumerateNames(count, longest, [this](DWORD index, wchar_t* name, DWORD* length) {
    return ::RegEnumValueW(key_.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

bool Win32RegistryStore::HasKey(const std::string& path) {
  const HKEY root = PredefinedKey(root_);
  const auto subPath = NormalisePath(path);
  if (root == nullptr || !subPath) return false;
  UniqueHKey probe;
  if (::RegOpenKeyExW(root, subPath->c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, probe.put()) !=
      ERROR_SUCCESS) {
    probe.release();
    return false;
  }
  return true;
}

std::optional<RegValue> Win32RegistryStore::QueryValue(const std::string& name) {
  if (!key_) return std::nullopt;
  const std::wstring wideName = Widen(name);

  // Most values fit the stack buffer: one call per value, no allocation before the copy.
  BYTE stackBuffer[1024];
  DWORD type = REG_NONE;
  DWORD size = sizeof stackBuffer;
  LSTATUS rc = ::RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, stackBuffer, &size);
  if (rc == ERROR_SUCCESS) {
    return RegValue{type, std::vector<std::uint8_t>(stackBuffer, stackBuffer + size)};
  }
  // Larger values: retry with the size the registry asked for (it may grow in between).
  std::vector<std::uint8_t> heap;
  for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 8; ++attempt) {
    heap.resize(size);
    rc = ::RegQueryValueExW(key_.get(), wideName.c_str(), nullptr, &type, heap.data(), &size);
  }
  if (rc != ERROR_SUCCESS) return std::nullopt;
  heap.resize(size);
  return RegValue{type, std::move(heap)};
}

void Win32RegistryStore::WriteValue(const std::string& name, const RegValue& value) {
  if (!key_ || value.data.size() > std::numeric_limits<DWORD>::max() - 4) {
    throw RegistryError(FailedToSetDataText(name));
  }
  // RegSetValueExW extends a string value whose count leaves out the terminating NUL when
  // the character just past the data is NUL, reading past the caller's buffer to find out
  // (and one character before it for a 1-byte value). The data goes in a copy with a
  // non-NUL guard on both sides so that the bytes stored are exactly the bytes given.
  std::vector<std::uint8_t> guarded(value.data.size() + 4, 0xFF);
  if (!value.data.empty()) std::memcpy(guarded.data() + 2, value.data.data(), value.data.size());
  const LSTATUS rc = ::RegSetValueExW(key_.get(), Widen(name).c_str(), 0, value.type, guarded.data() + 2,
                                      static_cast<DWORD>(value.data.size()));
  if (rc != ERROR_SUCCESS) throw RegistryError(FailedToSetDataText(name));
}

bool Win32RegistryStore::RemoveValue(const std::string& name) {
  if (!key_) return false;
  return ::RegDeleteValueW(key_.get(), Widen(name).c_str()) == ERROR_SUCCESS;
}

bool Win32RegistryStore::RemoveKey(const std::string& path) {
  const HKEY root = PredefinedKey(root_);
  if (root == nullptr) return false;
  // The whole path follows the rules OpenPath applies: a leading or doubled backslash would
  // otherwise name a bigger key than the one meant. The key is named by its last component,
  // which must not be empty: an empty path or a trailing backslash removes nothing, where
  // the parent or the root would otherwise be opened.
  if (path.empty() || path.back() == '\\') return false;
  const auto normalised = NormalisePath(path);
  if (!normalised || normalised->empty()) return false;
  const std::wstring& fullPath = *normalised;

  // The key as itself: a link is removed, not the key it points at.
  UniqueHKey key;
  if (::RegOpenKeyExW(root, fullPath.c_str(), REG_OPTION_OPEN_LINK, kRemoveAccess, key.put()) != ERROR_SUCCESS) {
    key.release();
    return false;
  }
  // Removing can fail half way (a sub key that may not be removed); what counts is whether
  // the key itself is gone.
  if (!RemoveTreeOf(key.get())) return false;
  if (key_ && IsSameOrBelow(openPath_, fullPath)) {
    // A handle whose key was removed no longer sees it.
    ClosePath();
  }
  return true;
}

std::optional<std::string> Win32RegistryStore::LinkTarget(const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> value = LinkValueOf(PredefinedKey(root_), path);
  if (!value) return std::nullopt;
  return Utf16LeBytesToUtf8(value->data(), value->size());
}

std::optional<RegValue> Win32SymbolicLinks::LinkValue(RootKeyHandle root, const std::string& path) {
  std::optional<std::vector<std::uint8_t>> value = LinkValueOf(PredefinedKey(root), path);
  if (!value) return std::nullopt;
  return RegValue{RegType::Link, std::move(*value)};
}

bool Win32SymbolicLinks::CreateLink(RootKeyHandle root, const std::string& path, const RegValue& linkValue) {
  const HKEY rootKey = PredefinedKey(root);
  const auto subPath = NormalisePath(path);
  if (rootKey == nullptr || !subPath || subPath->empty() || linkValue.type != REG_LINK ||
      linkValue.data.size() > std::numeric_limits<DWORD>::max()) {
    return false;
  }
  // A link is made non-volatile: a restored link outlives a restart, as an entry does.
  UniqueHKey link;
  DWORD disposition = 0;
  if (::RegCreateKeyExW(rootKey, subPath->c_str(), 0, nullptr, REG_OPTION_CREATE_LINK | REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), &disposition) != ERROR_SUCCESS) {
    link.release();
    return false;
  }
  if (disposition != REG_CREATED_NEW_KEY) return false;  // an existing key was opened, not made
  if (::RegSetValueExW(link.get(), kSymbolicLinkValue, 0, REG_LINK, linkValue.data.data(),
                       static_cast<DWORD>(linkValue.data.size())) == ERROR_SUCCESS) {
    return true;
  }
  // A link without its target is of no use: it goes again.
  NtDeleteKey(link.get());
  return false;
}

std::unique_ptr<RegistryStore> Win32Registry::NewStore() {
  return std::make_unique<Win32RegistryStore>();
}

}  // namespace tw
