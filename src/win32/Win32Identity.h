#pragma once
// The names of this computer and of the user running the program.

#include <string>

namespace tw {

/// The computer's NetBIOS name; "" when the system cannot give it.
std::string ComputerName();

/// The name of the user the program runs as; "" when the system cannot give it.
std::string UserName();

}  // namespace tw
