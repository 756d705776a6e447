#pragma once
// Settings kept as decimal text in string values below one key of the current user's hive.

#include <cstdint>
#include <string>

#include "util/RegistryStore.h"

namespace tw {

class SettingsStore {
 public:
  /// `keyPath` is below HKEY_CURRENT_USER, such as "Software\Quenmark\Tidewell".
  SettingsStore(Registry& registry, std::string keyPath);

  /// Value `ident` of sub key `section` as a decimal integer; `def` when the key or value is
  /// absent, unreadable, or its text is not a whole decimal number in the 32-bit range.
  std::int32_t ReadSettingNumber(const std::string& section, const std::string& ident,
                                 std::int32_t def);

  /// Creates the sub key when missing and stores the number as decimal text.
  void WriteSettingNumber(const std::string& section, const std::string& ident,
                          std::int32_t value);

 private:
  Registry& registry_;
  std::string keyPath_;
};

}  // namespace tw
