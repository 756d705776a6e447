#pragma once
// Where the program keeps its settings: the key below HKEY_CURRENT_USER and its section.

#include <string>

#include "util/AppStrings.h"

namespace tw {

/// "Software\Quenmark\Tidewell"
inline std::string SettingsKey() { return LoadStr(StrId::SettingsKey); }
/// "Desktop"
inline std::string SettingsSection() { return LoadStr(StrId::SettingsSection); }

/// Stands for "no stored value" in the window settings.
inline constexpr int kNoSetting = 2147483647;

}  // namespace tw
