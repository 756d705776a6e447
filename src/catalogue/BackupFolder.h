#pragma once
// The folder of entry backups. Before the program deletes or changes a catalogue entry, the
// whole entry is saved there as a .reg file of its own, named by the time and the entry, and
// the change goes ahead only once that file is complete on the disk. The folder's backups are
// listed for the user, newest first, and an entry is restored from one of them.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "util/Platform.h"

namespace tw {

/// What was done to an entry right after it was saved.
enum class BackupReason {
  Deleted,          ///< Delete From List
  CleanedUp,        ///< the uninstall dialog's clean-up of a left-over entry
  QuietRemoval,     ///< the /QU switch
  BeforeEdit,       ///< the edit dialog's write-back
  BeforeOverwrite,  ///< New Program over an existing entry
  BeforeRestore,    ///< a restore that replaced the entry
  Unknown,          ///< a file that does not say (made by another program)
};

/// The word a backup file records its reason by ("deleted", "before-edit", ...).
std::string_view BackupReasonWord(BackupReason reason);
/// The reason a recorded word stands for; Unknown for any other word.
BackupReason BackupReasonOfWord(std::string_view word);

/// A backup that cannot be written, or a file that cannot be restored. what() is the whole
/// message for the user; it names the file.
class BackupError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The file name of a backup: the local date and time as "yyyy-mm-dd hh-nn-ss", a blank, the
/// entry's name made safe for the file system, and ".reg"; from the second backup of one
/// second and name on, " (N)" stands before ".reg". Characters that no file name may hold
/// (\ / : * ? " < > | and control characters) and unpaired surrogates become "_"; the name
/// keeps at most 64 characters and no blank or dot at its end; an empty name is "entry".
std::string BackupFileName(const DateTime& saved, const std::string& entryName, int counter = 1);

/// The bytes of a backup file: a .reg file's bytes (UTF-16, as WriteRegFile gives them)
/// with the backup's record, comment lines that the system's editor skips, after the header:
/// "; Tidewell backup", "; Reason: <word>", "; Saved: yyyy-mm-dd hh:nn:ss.mmm".
std::string WithBackupRecord(const std::string& regFileBytes, BackupReason reason, const DateTime& saved);

/// The record of a backup file's bytes, when it has one.
struct BackupRecord {
  BackupReason reason = BackupReason::Unknown;
  std::optional<DateTime> saved;
};
BackupRecord ReadBackupRecord(std::string_view bytes);

/// Saves the whole key of a catalogue entry (every value and key below it, a link key as the
/// link) as a new file in `folder` (a path ending in a backslash; made when missing) before a
/// change: written under a temporary name, flushed to the disk, and moved to the backup's
/// name, so that no backup is ever replaced and a file of that name is always complete.
/// Returns the file's path; nothing when the entry does not exist, not even as a link (there
/// is nothing to lose). Raises BackupError, naming the file and why, when the entry cannot
/// be read whole or the file cannot be written: the change must not happen then.
std::optional<std::string> SaveEntryBackup(Platform& platform, const std::string& folder,
                                           const std::string& entryKeyPath, BackupReason reason);

/// One backup file of the folder, as the user is shown it.
struct BackupListing {
  std::string path;
  std::string fileName;
  /// The entry's DisplayName as saved, or its key name; for a file that cannot be read, the
  /// name its file name gives.
  std::string programName;
  /// The FullKeyPath the backup restores; "" when it cannot be restored.
  std::string entryKeyPath;
  BackupReason reason = BackupReason::Unknown;
  /// When it was saved: its record, else the time its file name gives.
  std::optional<DateTime> saved;
  /// Why it cannot be restored, with the line; "" when it can.
  std::string problem;
  std::uint64_t lastWriteTime = 0;
};

/// The backups (*.reg files) of a folder, newest first; none when the folder is missing.
/// Every file is read and checked, so that the list says which cannot be restored.
std::vector<BackupListing> ListEntryBackups(Platform& platform, const std::string& folder);

/// Restores the entry of a backup file exactly as saved (ReadRegFile, UninstallEntryOfBackup,
/// ImportKeyTree; link keys as links) and returns its FullKeyPath. When the entry exists,
/// `confirmReplace` is asked with its FullKeyPath first: when it declines nothing is written
/// and nothing is returned; when it agrees, the entry as it is is saved to `folder`
/// (BeforeRestore) and then replaced wholly. Raises BackupError naming the file, with the
/// line, when it cannot be read or restored; nothing is written from a file that does not
/// pass the checks.
std::optional<std::string> RestoreEntryBackup(Platform& platform, const std::string& folder,
                                              const std::string& backupPath,
                                              const std::function<bool(const std::string&)>& confirmReplace);

}  // namespace tw
