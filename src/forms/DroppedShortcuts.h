#pragma once
// Shortcut files dropped on the main window: each becomes a proposal for a new catalogue
// entry (its target and arguments the uninstall command, its name the display name and its
// short name the key name), which the new-entry dialog then shows.

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "util/Platform.h"

namespace tw {

/// What one shortcut proposes for a new entry.
struct ShortcutProposal {
  std::string keyPath;
  std::string displayName;
  std::string command;
};

/// Whether a file name's extension (from the last dot after the last folder separator) is
/// ".LNK" in any letter case.
bool IsShortcutFileName(const std::string& path);

/// The proposal for a shortcut file. A shortcut that cannot be read gives a command of a
/// single blank; a file without a short name is proposed under its long name without the
/// extension.
ShortcutProposal ProposeFromShortcut(FileSystem& files, const std::string& path);

/// Handles a drop on `window`: brings it to the front and hands each shortcut's proposal,
/// in drop order, to `propose` before the next name is fetched. Other files are passed over.
/// The drop handle is released on every path.
void HandleDroppedFiles(HWND window, HDROP drop, FileSystem& files,
                        const std::function<void(const ShortcutProposal&)>& propose);

}  // namespace tw
