#pragma once
// Reads shortcut files (.lnk) through the shell link object, with the wide interfaces so
// that targets and arguments outside the ANSI code page come through unchanged. The
// calling thread must have initialised COM.

#include <windows.h>
#include <shtypes.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>

namespace tw {

/// Releases an item identifier list with the shell's allocator.
struct ShellIdListDeleter {
  void operator()(ITEMIDLIST* list) const noexcept;
};
using ShellIdList = std::unique_ptr<ITEMIDLIST, ShellIdListDeleter>;

/// What a shortcut records. Texts are UTF-8; the string fields start empty.
struct TShortcutInfo {
  std::string Arguments;
  std::string Description;
  std::string Path;
  std::string IconPath;
  std::string WorkingDirectory;
  std::uint16_t Hotkey = 0;
  std::int32_t IconIndex = 0;
  std::int32_t ShowCommand = 0;
  /// The target as an item identifier list (owned: released with the shell's allocator).
  ShellIdList IdList;
  /// What the shortcut records of its target file, filled together with Path.
  WIN32_FIND_DATAW FindData{};
};

/// The fields ReadShortcut can read; All stands for every one of them.
enum class ShortcutField : int {
  All = 0,
  Arguments = 1,
  Description = 2,
  Hotkey = 3,
  IconLocation = 4,
  IdList = 5,
  ShowCommand = 6,
  Path = 7,
  WorkingDirectory = 8,
};
using ShortcutFields = std::set<ShortcutField>;

/// Fills `info` with the requested fields of a shortcut file, in the order arguments,
/// description, hot key, icon location, item identifier list, path, show command, working
/// directory. Returns S_OK, or the first failure: when the shell link object cannot be
/// made or the file cannot be loaded, `info` is untouched; when a field cannot be read,
/// the fields read before it stay filled.
HRESULT ReadShortcut(const std::string& fileName, const ShortcutFields& fields, TShortcutInfo& info);

}  // namespace tw
