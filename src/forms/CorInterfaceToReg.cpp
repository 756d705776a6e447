#include "forms/CorInterfaceToReg.h"

namespace tw {

int WindowStateOf(HWND window) {
  if (::IsIconic(window)) return 1;
  if (::IsZoomed(window)) return 2;
  return 0;
}

void LoadWindowState(HWND window, const WindowSettings& settings) {
  switch (settings.Read(StrId::WindowState, kNoSetting)) {
    case 0:
      if (WindowStateOf(window) != 0) ::ShowWindow(window, SW_RESTORE);
      break;
    case 1: ::ShowWindow(window, SW_MINIMIZE); break;
    case 2: ::ShowWindow(window, SW_MAXIMIZE); break;
    default: break;
  }
}

void LoadWindowPlacement(HWND window, const WindowSettings& settings, bool withSize) {
  RECT rc;
  ::GetWindowRect(window, &rc);
  int left = rc.left, top = rc.top, width = rc.right - rc.left, height = rc.bottom - rc.top;
  if (const int v = settings.Read(StrId::Left, kNoSetting); v != kNoSetting) left = v;
  if (const int v = settings.Read(StrId::Top, kNoSetting); v != kNoSetting) top = v;
  if (withSize) {
    if (const int v = settings.Read(StrId::Width, kNoSetting); v != kNoSetting) width = v;
    if (const int v = settings.Read(StrId::Height, kNoSetting); v != kNoSetting) height = v;
  }
  ::SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SaveWindowPlacement(HWND window, const WindowSettings& settings, bool withSize) {
  RECT rc;
  ::GetWindowRect(window, &rc);
  settings.Write(StrId::Left, rc.left);
  settings.Write(StrId::Top, rc.top);
  if (withSize) {
    settings.Write(StrId::Width, rc.right - rc.left);
    settings.Write(StrId::Height, rc.bottom - rc.top);
  }
}

}  // namespace tw
