#include "util/SettingsStore.h"

#include <limits>

#include "util/Text.h"

namespace tw {

SettingsStore::SettingsStore(Registry& registry, std::string keyPath)
    : registry_(registry), keyPath_(std::move(keyPath)) {}

std::int32_t SettingsStore::ReadSettingNumber(const std::string& section, const std::string& ident,
                                              std::int32_t def) {
  auto store = registry_.NewStore();
  store->SelectRoot(RootKey::CurrentUser);
  if (!store->OpenPath(keyPath_ + "\\" + section, false)) return def;
  std::string text;
  try {
    text = store->ReadText(ident);
  } catch (const RegistryError&) {
    return def;  // a value of another type is no setting of ours
  }
  std::int64_t value = 0;
  if (!ParseDecimal(text, value) || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return def;
  }
  return static_cast<std::int32_t>(value);
}

void SettingsStore::WriteSettingNumber(const std::string& section, const std::string& ident,
                                       std::int32_t value) {
  auto store = registry_.NewStore();
  store->SelectRoot(RootKey::CurrentUser);
  if (!store->OpenPath(keyPath_ + "\\" + section, true)) {
    throw RegistryError(FailedToSetDataText(ident));
  }
  store->WriteText(ident, std::to_string(value));
}

}  // namespace tw
