#pragma once
// Where the program keeps its settings (a key below HKEY_CURRENT_USER and its section), and
// the settings of the main window bound once to that place.

#include <string>

#include "util/AppStrings.h"
#include "util/RegistryStore.h"

namespace tw {

/// "Software\Quenmark\Tidewell"
inline std::string SettingsKey() { return LoadStr(StrId::SettingsKey); }
/// "Desktop"
inline std::string SettingsSection() { return LoadStr(StrId::SettingsSection); }

/// Stands for "no stored value" in the window settings.
inline constexpr int kNoSetting = 2147483647;

/// Integer settings in one section of one key of the current user, stored as decimal text.
class WindowSettings {
 public:
  explicit WindowSettings(Registry& registry, std::string key = SettingsKey(), std::string section = SettingsSection())
      : registry_(registry), key_(std::move(key)), section_(std::move(section)) {}

  /// The setting's value; `def` when it is absent or its text is not a decimal integer.
  int Read(StrId name, int def) const;
  /// Stores the integer's decimal text, creating the key and section when missing.
  void Write(StrId name, int value) const;

 private:
  Registry& registry_;
  std::string key_;
  std::string section_;
};

}  // namespace tw
