#pragma once
// A window's state (normal, minimized, maximized) and placement kept as settings.

#include <windows.h>

#include "app/AppConfiguration.h"

namespace tw {

/// 0 normal, 1 minimized, 2 maximized.
int WindowStateOf(HWND window);

/// Applies a stored state of 0, 1 or 2; anything else (or nothing stored) is ignored.
void LoadWindowState(HWND window, const WindowSettings& settings);

/// Applies each stored edge ("Left", "Top", and with size "Width", "Height") independently of
/// the others; absent values leave the window as it is.
void LoadWindowPlacement(HWND window, const WindowSettings& settings, bool withSize);
void SaveWindowPlacement(HWND window, const WindowSettings& settings, bool withSize);

}  // namespace tw
