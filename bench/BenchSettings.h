#pragma once
// The main window's settings during a benchmark: every run starts at the design size in one
// view style, and the settings found are put back at the end.

#include <windows.h>

#include <string>
#include <vector>

namespace tw::bench {

/// The window settings the program keeps, put back as they were when this ends.
class SavedSettings {
 public:
  static constexpr const wchar_t* kKey = L"Software\\Quenmark\\Tidewell\\Desktop";

  SavedSettings() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    wchar_t name[256];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
      DWORD nameLength = 256, size = sizeof data, type = 0;
      if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
      values_.push_back({std::wstring(name, nameLength), type, std::vector<BYTE>(data, data + size)});
    }
    ::RegCloseKey(key);
  }
  SavedSettings(const SavedSettings&) = delete;
  SavedSettings& operator=(const SavedSettings&) = delete;

  ~SavedSettings() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    if (!existed_) {
      // The keys above, when nothing else is in them.
      ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tidewell");
      ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quenmark");
      return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    for (const Value& v : values_)
      ::RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
    ::RegCloseKey(key);
  }

  /// Starts every run at the design size in one view style: no placement, no window state.
  static void UseView(int style) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    const std::wstring text = std::to_wstring(style);
    ::RegSetValueExW(key, L"MainViewStyle", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
  }

 private:
  struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
  };
  bool existed_ = false;
  std::vector<Value> values_;
};

}  // namespace tw::bench
