#pragma once
// The floor the benchmarks measure against: what any reader of the catalogue must do, on the
// bare API (enumerate, open each entry, read its two values).

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tw::bench {

/// Counts the entries of one catalogue that have a name and a command; -1 when the catalogue
/// cannot be opened.
inline int RawFloor(HKEY root, const wchar_t* catalogueKey) {
  HKEY catalogue = nullptr;
  if (RegOpenKeyExW(root, catalogueKey, 0, KEY_READ, &catalogue) != ERROR_SUCCESS) return -1;
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(catalogue, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  int listed = 0;
  BYTE buffer[2048];
  for (const std::wstring& entryName : names) {
    HKEY entry = nullptr;
    if (RegOpenKeyExW(catalogue, entryName.c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
    DWORD type = 0, size = sizeof buffer;
    const bool hasName = RegQueryValueExW(entry, L"DisplayName", nullptr, &type, buffer, &size) == ERROR_SUCCESS;
    size = sizeof buffer;
    const bool hasCommand = RegQueryValueExW(entry, L"UninstallString", nullptr, &type, buffer, &size) == ERROR_SUCCESS;
    listed += hasName && hasCommand;
    RegCloseKey(entry);
  }
  RegCloseKey(catalogue);
  return listed;
}

/// The floor over every catalogue the program list reads: the machine's, its 32-bit one and
/// the user's (one that does not exist counts none).
inline int FloorOfEveryCatalogue() {
  const wchar_t* const kCatalogue = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const wchar_t* const kCatalogue32 = L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  auto listed = [](HKEY root, const wchar_t* key) { return std::max(0, RawFloor(root, key)); };
  return listed(HKEY_LOCAL_MACHINE, kCatalogue) + listed(HKEY_LOCAL_MACHINE, kCatalogue32) +
         listed(HKEY_CURRENT_USER, kCatalogue);
}

}  // namespace tw::bench
