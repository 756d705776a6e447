#pragma once
// A window's state (normal, minimized, maximized) and placement kept as settings.

#include <windows.h>

#include <string>

#include "util/RegistryStore.h"

namespace tw {

/// 0 normal, 1 minimized, 2 maximized.
int WindowStateOf(HWND window);

/// Applies a stored state of 0, 1 or 2; anything else (or nothing stored) is ignored.
void LoadWindowState(HWND window, Registry& registry, const std::string& key,
                     const std::string& section);
void SaveWindowState(HWND window, Registry& registry, const std::string& key,
                     const std::string& section);

/// Applies each stored edge ("Left", "Top", and with size "Width", "Height") independently of
/// the others; absent values leave the window as it is.
void LoadWindowPlacement(HWND window, Registry& registry, const std::string& key,
                         const std::string& section, bool withSize);
void SaveWindowPlacement(HWND window, Registry& registry, const std::string& key,
                         const std::string& section, bool withSize);

}  // namespace tw
