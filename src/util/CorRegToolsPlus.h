#pragma once
// Registry key paths: root key handles and their names, and FullKeyPath texts (a root key
// name, a backslash and the path below the root) split into the root and the sub path.

#include <string>
#include <string_view>

#include "util/RegistryStore.h"

namespace tw {

/// The name of a predefined root ("HKEY_LOCAL_MACHINE"); any other handle: "INVALID KEY".
std::string RootKeyName(RootKeyHandle handle);

/// The root named before the first "\" (ASCII letters compared without case); 0 when the
/// name is unknown or the path has no "\".
RootKeyHandle ExtractRootKey(std::string_view fullKeyPath);

/// Everything after the first "\"; a path without "\" is returned whole.
std::string ExtractSubKey(std::string_view fullKeyPath);

/// RootKeyName(root) + "\" + subPath, neither part normalised.
std::string MakeFullKeyPath(RootKeyHandle root, std::string_view subPath);

}  // namespace tw
