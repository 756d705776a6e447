#include "forms/FormRestore.h"

#include <commctrl.h>

#include "forms/ImageButton.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/Text.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kClientWidth = 600;
constexpr int kClientHeight = 372;
constexpr int kFont = 13;

// The text above the list, the list, and below it the folder's link at the left and the two
// buttons at the right.
constexpr ControlLayout kLayout[] = {
    {TRestoreBox::IdIntro, 16, 12, 568, 32, kFont},
    {TRestoreBox::IdList, 16, 50, 568, 218, kFont},
    {TRestoreBox::IdOpenFolder, 16, 293, 140, 16, kFont, false, true},
    {TRestoreBox::IdRestore, 296, 284, 136, 34},
    {TRestoreBox::IdClose, 448, 284, 136, 34},
};

struct Column {
  StrId caption;
  int width;  ///< at 96 DPI
};
constexpr Column kColumns[] = {
    {StrId::RestoreColumnProgram, 230},
    {StrId::RestoreColumnSaved, 150},
    {StrId::RestoreColumnReason, 164},
};

// Asks before a restore replaces an existing entry.
bool ConfirmReplace(Services& services, HWND owner, const std::string& entry) {
  return services.prompts.Show(owner, FormatText(LoadStr(StrId::RestoreReplaceQuestion), entry),
                               std::string(kAppTitle), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

bool BackUpBeforeChange(Services& services, HWND owner, const std::string& entryKeyPath, BackupReason reason) {
  while (true) {
    try {
      SaveEntryBackup(services.platform, services.backupFolder, entryKeyPath, reason);
      return true;
    } catch (const BackupError& e) {
      const std::string text = std::string(e.what()) + "\r\n\r\n" + LoadStr(StrId::BackupRetryHint);
      const int answer = services.prompts.Show(owner, text, std::string(kAppTitle), MB_RETRYCANCEL | MB_ICONERROR);
      if (answer != IDRETRY) return false;
    }
  }
}

RestoreOutcome RestoreForCommandLine(Services& services, HWND owner, const std::string& fileName) {
  try {
    const auto confirm = [&](const std::string& entry) { return ConfirmReplace(services, owner, entry); };
    return RestoreEntryBackup(services.platform, services.backupFolder, fileName, confirm) ? RestoreOutcome::Restored
                                                                                          : RestoreOutcome::Declined;
  } catch (const std::exception& e) {
    ShowStandardError(services.prompts, owner, e.what());
    return RestoreOutcome::Failed;
  }
}

std::string ReasonText(BackupReason reason) {
  switch (reason) {
    case BackupReason::Deleted: return LoadStr(StrId::ReasonDeleted);
    case BackupReason::CleanedUp: return LoadStr(StrId::ReasonCleanedUp);
    case BackupReason::QuietRemoval: return LoadStr(StrId::ReasonQuietRemoval);
    case BackupReason::BeforeEdit: return LoadStr(StrId::ReasonBeforeEdit);
    case BackupReason::BeforeOverwrite: return LoadStr(StrId::ReasonBeforeOverwrite);
    case BackupReason::BeforeRestore: return LoadStr(StrId::ReasonBeforeRestore);
    case BackupReason::Unknown: break;
  }
  return LoadStr(StrId::ReasonUnknown);
}

// ---------------------------------------------------------------------------------------
// The dialog

std::span<const ControlLayout> TRestoreBox::LayoutTable() { return kLayout; }

TRestoreBox::TRestoreBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::RestoreTitle)), kClientWidth, kClientHeight, 32, 42, 1}) {}

void TRestoreBox::BuildContent() {
  const HWND panel = ContentPanel();
  txtIntro_ = CreateLabel(panel, IdIntro, L"", 0, 0, 0, 0, nullptr);
  colors_.Set(txtIntro_, RGB(0, 0, 0), RGB(255, 255, 255));

  lvBackups_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                     LVS_NOSORTHEADER,
                                 0, 0, 0, 0, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdList)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(lvBackups_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  // Screen readers name the list by its window text.
  ::SetWindowTextW(lvBackups_, Widen(StrText(StrId::RestoreListName)).c_str());
  for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
    std::wstring caption = Widen(StrText(kColumns[c].caption));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = kColumns[c].width;  // at the window's DPI once the layout is applied
    column.pszText = caption.data();
    column.iSubItem = c;
    ListView_InsertColumn(lvBackups_, c, &column);
  }

  const HWND link = CreateLink(panel, IdOpenFolder, Widen(StrText(StrId::RestoreOpenFolder)), 0, 0, 0, 0, nullptr);
  colors_.Set(link, kLinkColor, RGB(255, 255, 255));
  const HWND restore = CreateImageButton(panel, IdRestore, Widen(StrText(StrId::RestoreButton)), ButtonLook::Page,
                                         pictures::Glyph::None, 0, 0, 0, 0, Dpi());
  ::SetWindowLongW(restore, GWL_STYLE, ::GetWindowLongW(restore, GWL_STYLE) | WS_GROUP);
  CreateImageButton(panel, IdClose, Widen(StrText(StrId::ButtonClose)), ButtonLook::Page, pictures::Glyph::None, 0, 0,
                    0, 0, Dpi());
  LoadBackups();
}

void TRestoreBox::LayoutApplied() {
  for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
    ListView_SetColumnWidth(lvBackups_, c, Scale(kColumns[c].width));
  }
}

void TRestoreBox::FormActivate() { ::SetFocus(lvBackups_); }

void TRestoreBox::LoadBackups() {
  backups_ = ListEntryBackups(services_.platform, services_.backupFolder);
  SetWindowTextUtf8(txtIntro_, LoadStr(backups_.empty() ? StrId::RestoreNoBackups : StrId::RestoreIntro));
  ListView_DeleteAllItems(lvBackups_);
  for (int row = 0; row < static_cast<int>(backups_.size()); ++row) {
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
      std::wstring text = Widen(CellText(row, column));
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = column;
      item.pszText = text.data();
      if (column == 0) {
        ListView_InsertItem(lvBackups_, &item);
      } else {
        ListView_SetItem(lvBackups_, &item);
      }
    }
  }
  if (!backups_.empty()) {
    ListView_SetItemState(lvBackups_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

std::string TRestoreBox::CellText(int row, int column) const {
  const BackupListing& backup = backups_.at(static_cast<std::size_t>(row));
  switch (column) {
    case 0: return OneLine(backup.programName);
    case 1: return backup.saved ? DateTimeText(services_.platform.locale, *backup.saved) : std::string();
    default:
      return backup.problem.empty() ? ReasonText(backup.reason) : LoadStr(StrId::RestoreCannotBeRestored);
  }
}

int TRestoreBox::SelectedIndex() const { return ListView_GetNextItem(lvBackups_, -1, LVNI_SELECTED); }

void TRestoreBox::cmdRestoreClick() {
  const int selected = SelectedIndex();
  if (selected < 0) {
    services_.prompts.Show(hwnd_, LoadStr(StrId::RestoreSelectFirst), std::string(kAppTitle), MB_OK);
    return;
  }
  const std::string path = backups_[static_cast<std::size_t>(selected)].path;
  std::optional<std::string> entry;
  try {
    const auto confirm = [this](const std::string& existing) { return ConfirmReplace(services_, hwnd_, existing); };
    entry = RestoreEntryBackup(services_.platform, services_.backupFolder, path, confirm);
  } catch (const std::exception&) {
    // A restore that failed half way may have changed the catalogue, and the entry as it was
    // may have been saved first: the list shows it. The restore's error is the one told.
    restoreStarted_ = true;
    try {
      LoadBackups();
    } catch (const std::exception&) {
    }
    throw;
  }
  if (!entry) return;  // declined: nothing was written
  restoreStarted_ = true;
  RestoredEntry = *entry;
  SetModalResult(kModalOk);
}

void TRestoreBox::txtOpenFolderClick() {
  const std::string& folder = services_.backupFolder;
  if (folder.empty()) return;
  std::string error;
  services_.platform.files.CreateFolder(folder, error);  // the shell says so when it is still missing
  services_.shell.Open(hwnd_, folder);
}

void TRestoreBox::OnCommand(int id, int code) {
  if (id == IdOpenFolder) {
    if (code == STN_CLICKED) txtOpenFolderClick();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IdRestore: cmdRestoreClick(); break;
    case IdClose: cmdCloseClick(); break;
    default: break;
  }
}

LRESULT TRestoreBox::OnNotify(NMHDR* header) {
  if (header->hwndFrom == lvBackups_ && header->code == NM_DBLCLK && SelectedIndex() >= 0) cmdRestoreClick();
  return 0;
}

}  // namespace tw
