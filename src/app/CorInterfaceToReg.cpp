#include "app/CorInterfaceToReg.h"

#include "app/AppConfiguration.h"
#include "app/CorDirectReg.h"
#include "util/AppStrings.h"

namespace tw {

int WindowStateOf(HWND window) {
  if (::IsIconic(window)) return 1;
  if (::IsZoomed(window)) return 2;
  return 0;
}

void LoadWindowState(HWND window, Registry& registry, const std::string& key,
                     const std::string& section) {
  const int state = ReadSetting(registry, key, section, LoadStr(StrId::WindowState), kNoSetting);
  switch (state) {
    case 0:
      if (WindowStateOf(window) != 0) ::ShowWindow(window, SW_RESTORE);
      break;
    case 1: ::ShowWindow(window, SW_MINIMIZE); break;
    case 2: ::ShowWindow(window, SW_MAXIMIZE); break;
    default: break;
  }
}

void SaveWindowState(HWND window, Registry& registry, const std::string& key,
                     const std::string& section) {
  WriteSetting(registry, key, section, LoadStr(StrId::WindowState), WindowStateOf(window));
}

void LoadWindowPlacement(HWND window, Registry& registry, const std::string& key,
                         const std::string& section, bool withSize) {
  RECT rc;
  ::GetWindowRect(window, &rc);
  int left = rc.left, top = rc.top, width = rc.right - rc.left, height = rc.bottom - rc.top;
  const auto read = [&](StrId id) { return ReadSetting(registry, key, section, LoadStr(id), kNoSetting); };
  if (const int v = read(StrId::Left); v != kNoSetting) left = v;
  if (const int v = read(StrId::Top); v != kNoSetting) top = v;
  if (withSize) {
    if (const int v = read(StrId::Width); v != kNoSetting) width = v;
    if (const int v = read(StrId::Height); v != kNoSetting) height = v;
  }
  ::SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SaveWindowPlacement(HWND window, Registry& registry, const std::string& key,
                         const std::string& section, bool withSize) {
  RECT rc;
  ::GetWindowRect(window, &rc);
  WriteSetting(registry, key, section, LoadStr(StrId::Left), rc.left);
  WriteSetting(registry, key, section, LoadStr(StrId::Top), rc.top);
  if (withSize) {
    WriteSetting(registry, key, section, LoadStr(StrId::Width), rc.right - rc.left);
    WriteSetting(registry, key, section, LoadStr(StrId::Height), rc.bottom - rc.top);
  }
}

}  // namespace tw
