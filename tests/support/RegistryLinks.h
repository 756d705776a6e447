#pragma once
// Symbolic links in the real registry, made with the raw API as any program of the user can
// make them, and keys read back whole with the raw API, for tests that must show that a key
// stayed byte for byte. Windows test programs only.

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tw::test {

/// The current user's SID as text (S-1-5-21-...), or "" when it cannot be had.
inline std::wstring CurrentUserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> buffer(512);
  DWORD length = 0;
  const BOOL got = ::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &length);
  ::CloseHandle(token);
  wchar_t* text = nullptr;
  if (!got || !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  std::wstring sid = text;
  ::LocalFree(text);
  return sid;
}

/// The NT path of a key below HKEY_CURRENT_USER, as a link stores its target.
inline std::wstring CurrentUserNtPath(const std::wstring& path) {
  return L"\\REGISTRY\\USER\\" + CurrentUserSid() + L"\\" + path;
}

/// Makes a symbolic link at `path` below `root` to an NT path; false when it cannot be made.
inline bool MakeRegistryLink(HKEY root, const std::wstring& path, const std::wstring& ntTarget) {
  HKEY link = nullptr;
  if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                        nullptr, &link, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS set = ::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                       reinterpret_cast<const BYTE*>(ntTarget.data()),
                                       static_cast<DWORD>(ntTarget.size() * sizeof(wchar_t)));
  ::RegCloseKey(link);
  return set == ERROR_SUCCESS;
}

/// Whether a key exists as itself (a link is not followed).
inline bool KeyItselfExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

/// A name as printable text: characters outside ASCII as \u followed by four hex digits.
inline std::string PrintableName(const wchar_t* name, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    if (name[i] >= 0x20 && name[i] < 0x7F) {
      text += static_cast<char>(name[i]);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(name[i]));
      text += escaped;
    }
  }
  return text;
}

/// Every key and value of a tree, one line each ("key|name|type|hex bytes"), keys as
/// relative paths, in sorted order. Empty when the key cannot be opened.
inline std::vector<std::string> RegistryTree(HKEY root, const std::wstring& path, const std::string& relative = ".") {
  std::vector<std::string> lines;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return lines;
  lines.push_back(relative);
  std::vector<std::wstring> subKeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384;
    std::vector<BYTE> data(65536);
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    std::string line = relative + "|" + PrintableName(name, nameLength) + "|" + std::to_string(type) + "|";
    for (DWORD b = 0; b < size; ++b) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x", data[b]);
      line += hex;
    }
    lines.push_back(line);
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subKeys.emplace_back(name, nameLength);
  }
  ::RegCloseKey(key);
  for (const std::wstring& sub : subKeys) {
    const std::string subRelative = relative + "\\" + PrintableName(sub.data(), sub.size());
    for (auto& line : RegistryTree(root, path + L"\\" + sub, subRelative)) lines.push_back(std::move(line));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace tw::test
