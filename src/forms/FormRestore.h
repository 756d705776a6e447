#pragma once
// Backups in the windows: an entry is saved before every change, and the user is told (and
// may retry) when that fails; the dialog "Restore Deleted Entries" lists the backups, newest
// first, and writes the chosen one back; the /RESTORE switch does the same for one file.

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "catalogue/BackupFolder.h"
#include "forms/SkinnedFrame.h"

namespace tw {

/// Saves an entry into the backup folder before a change. When that fails, a message box
/// says why and names the file, and the user chooses Retry (after freeing space, say) or
/// Cancel. True when the change may go ahead: the entry is saved, or there is none to save.
bool BackUpBeforeChange(Services& services, HWND owner, const std::string& entryKeyPath, BackupReason reason);

/// What a run of /RESTORE came to.
enum class RestoreOutcome { Restored, Declined, Failed };

/// The /RESTORE switch: restores the entry of a backup file. An existing entry is replaced
/// only when the user answers Yes to the question the dialog asks too (Declined otherwise,
/// with nothing written); a file that cannot be read or restored is shown in the standard
/// error box (Failed).
RestoreOutcome RestoreForCommandLine(Services& services, HWND owner, const std::string& fileName);

/// The text a reason is shown by ("Deleted", "Before edit", ...).
std::string ReasonText(BackupReason reason);

class TRestoreBox : public SkinnedFrame {
 public:
  explicit TRestoreBox(Services& services);

  /// The FullKeyPath of the entry that RESTORE wrote back; the dialog then closes with OK.
  std::string RestoredEntry;
  /// Whether a restore was started, so that the catalogue may have changed (also when it
  /// failed half way, or replaced an entry).
  bool CatalogueChanged() const { return restoreStarted_; }

  /// Reads the backup folder again and shows its backups, newest first; the first is
  /// selected.
  void LoadBackups();
  /// RESTORE (Enter, a double click on a row): restores the selected backup, asking before
  /// an existing entry is replaced.
  void cmdRestoreClick();
  /// "Open Backup Folder": the folder in the shell (made first when missing).
  void txtOpenFolderClick();
  void cmdCloseClick() { Close(); }
  /// The list takes the focus when the dialog shows.
  void FormActivate() override;

  const std::vector<BackupListing>& Backups() const { return backups_; }
  HWND BackupList() const { return lvBackups_; }
  /// The position of the selected row, or -1.
  int SelectedIndex() const;
  /// The text of a row's column as shown.
  std::string CellText(int row, int column) const;

  enum : int { IdIntro = 100, IdList, IdOpenFolder, IdRestore, IdClose };

  /// The controls' places at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void BuildContent() override;
  void LayoutApplied() override;
  void OnCommand(int id, int code) override;
  LRESULT OnNotify(NMHDR* header) override;
  int EscapeButton() const override { return IdClose; }
  int EnterButton() const override { return IdRestore; }

 private:
  HWND txtIntro_ = nullptr;
  HWND lvBackups_ = nullptr;
  std::vector<BackupListing> backups_;
  bool restoreStarted_ = false;
};

}  // namespace tw
