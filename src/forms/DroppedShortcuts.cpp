#include "forms/DroppedShortcuts.h"

#include <vector>

#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/CorFileUtils.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"
#include "win32/CorShellShortcut.h"
#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw {

namespace {

struct DropTraits {
  using pointer = HDROP;
  static pointer Invalid() noexcept { return nullptr; }
  static void Close(pointer h) noexcept { ::DragFinish(h); }
};
using UniqueDrop = UniqueHandle<DropTraits>;

}  // namespace

bool IsShortcutFileName(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/:");
  const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return false;
  return AsciiUpper(path.substr(dot)) == ".LNK";
}

ShortcutProposal ProposeFromShortcut(FileSystem& files, const std::string& path) {
  // Neither result stops the proposal: whatever could not be read stays empty, and the
  // user sees and corrects the proposal in the dialog.
  TShortcutInfo info;
  ReadShortcut(path, {ShortcutField::All}, info);
  FindData record;
  const bool found = FindFileData(files, path, record);

  ShortcutProposal proposal;
  proposal.command = info.Path + " " + info.Arguments;
  proposal.displayName = RemoveFileExt(ExtractFileName(path));
  // The short (8.3) name, as the key name; where the volume keeps none for the file (its
  // name already is one, or the volume makes none), the long name stands in, so that the
  // proposal always names a key below the catalogue rather than the catalogue itself.
  std::string keyName = found ? record.shortName : std::string();
  if (keyName.empty()) keyName = found && !record.name.empty() ? record.name : ExtractFileName(path);
  proposal.keyPath =
      MakeFullKeyPath(RootKey::LocalMachine, LoadStr(StrId::UninstallKey)) + "\\" + RemoveFileExt(keyName);
  return proposal;
}

void HandleDroppedFiles(HWND window, HDROP drop, FileSystem& files,
                        const std::function<void(const ShortcutProposal&)>& propose) {
  UniqueDrop owned(drop);
  ::SetForegroundWindow(window);
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::vector<wchar_t> name(static_cast<std::size_t>(length) + 1, L'\0');
    ::DragQueryFileW(drop, i, name.data(), length + 1);
    const std::string path = Narrow(name.data());
    if (IsShortcutFileName(path)) propose(ProposeFromShortcut(files, path));
  }
}

}  // namespace tw
