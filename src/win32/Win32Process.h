#pragma once
// Facts about the running process.

#include <string>

namespace tw {

/// The folder of the running executable, with its trailing backslash.
std::string ExecutableFolder();

}  // namespace tw
