#pragma once
// One integer setting below a key of the current user, stored as decimal text.

#include <string>

#include "util/RegistryStore.h"

namespace tw {

/// The setting's value; `def` when the key, the section or the value is absent or its text is
/// not a decimal integer.
int ReadSetting(Registry& registry, const std::string& key, const std::string& section,
                const std::string& name, int def);

/// Stores the integer's decimal text, creating the key and section when missing.
void WriteSetting(Registry& registry, const std::string& key, const std::string& section,
                  const std::string& name, int value);

}  // namespace tw
