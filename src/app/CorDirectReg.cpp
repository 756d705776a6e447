#include "app/CorDirectReg.h"

#include "util/SettingsStore.h"

namespace tw {

int ReadSetting(Registry& registry, const std::string& key, const std::string& section,
                const std::string& name, int def) {
  SettingsStore settings(registry, key);
  return settings.ReadSettingNumber(section, name, def);
}

void WriteSetting(Registry& registry, const std::string& key, const std::string& section,
                  const std::string& name, int value) {
  SettingsStore settings(registry, key);
  settings.WriteSettingNumber(section, name, value);
}

}  // namespace tw
