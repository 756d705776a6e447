#pragma once
// Decides whether the program an uninstall command would run, and every file path among its
// parameters, still exists.

#include <cstddef>
#include <optional>
#include <string>

#include "util/Platform.h"

namespace tw {

/// True when the command's program and every drive path among its parameters exist; a
/// command with "RUNDLL" is always present, one without ".EXE" never is. Paths and
/// parameters of any length are tested whole.
bool UninstallerPresent(FileSystem& files, const std::string& command);

/// The product code of a command that runs the Windows Installer on a product: MsiExec (with
/// or without a path and ".exe", in any letter case) with a parameter /X or /I directly
/// followed by a GUID in braces. The code is upper-cased; nothing for any other command.
std::optional<std::string> InstallerProductCode(const std::string& command);

/// The catalogue scan's uninstaller test: UninstallerPresent, and for a command that runs the
/// Windows Installer on a product, whether the Installer knows that product (asked only for
/// such commands, and only when there is an Installer to ask).
bool UninstallerPresent(FileSystem& files, InstallerProducts* installer, const std::string& command);

/// True when the text holds no drive path ("X:\"); otherwise whether the file named from the
/// drive letter on exists.
bool DrivePathExists(FileSystem& files, const std::string& text);

/// Takes the next blank-separated parameter of `text` from `position` (quotes group blanks
/// and are not copied); returns the position after it. An empty `param` ends the command.
std::size_t NextParam(const std::string& text, std::size_t position, std::string& param);

}  // namespace tw
