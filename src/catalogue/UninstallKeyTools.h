#pragma once
// The only operations that change the uninstall catalogue (write, delete and test one entry
// by its FullKeyPath), and the uninstall log ULOG.TXT beside the executable.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/Platform.h"
#include "util/RegistryStore.h"

namespace tw {

/// What a row of a value table stood for when the table was filled from the registry.
struct OriginalValue {
  std::string name;
  std::string text;
  RegValue value;
};

/// The two-column grid of the edit dialog: column 0 value names, column 1 texts; row 0 is a
/// header row and is never written.
class ValueTable {
 public:
  virtual ~ValueTable() = default;
  virtual int RowCount() const = 0;
  virtual std::string Cell(int column, int row) const = 0;
  /// The value the row was filled from, or nullptr for a row added later.
  virtual const OriginalValue* Original(int row) const {
    (void)row;
    return nullptr;
  }
  /// The name of the value a row writes ("" is the key's default value), or nothing for a
  /// row that writes none. A plain table writes every row whose name cell is not empty.
  virtual std::optional<std::string> ValueName(int row) const {
    std::string name = Cell(0, row);
    if (name.empty()) return std::nullopt;
    return name;
  }
};

/// Rewrites an entry: removes every value of the key, writes DisplayName and
/// UninstallString, then the table's rows (later rows win). A row unchanged since it was
/// filled keeps its type and data; a changed integer row whose text is still a 32-bit
/// number stays an integer; a changed expandable row stays expandable; every other row is a
/// string. False when the key cannot be opened (or created) for writing, or the path names
/// no key below a root (its sub key empty or ending in a backslash), with nothing changed.
/// A value that cannot be written restores the values the key held before and raises the
/// write error.
bool WriteUninstallEntry(Registry& registry, const std::string& keyPath,
                         const std::string& displayName, const std::string& uninstallCommand,
                         const ValueTable* table, bool createIfMissing);

/// Deletes the key with everything below it; true when the key itself was deleted.
bool DeleteUninstallKey(Registry& registry, const std::string& keyPath);

/// True when the key can be opened for reading.
bool UninstallKeyExists(Registry& registry, const std::string& keyPath);

// The uninstall log.

/// CR LF, "Tidewell Uninstall Log", CR LF, the description line, CR LF.
std::string UninstallLogHeader();

/// The log's full path: the executable's folder (with its trailing backslash) + "ULOG.TXT".
std::string UninstallLogPath(const std::string& exeFolder);

/// Appends one record and CR LF, in the ANSI code page; a missing log is created with the
/// header first. False when the record could not be written (a read-only log, a folder in
/// its place, a folder that takes no new file); an existing log is never replaced then.
bool AppendToUninstallLog(FileSystem& files, AnsiCodec& ansi, const std::string& logPath,
                          const std::string& record);

/// What the user is told (once a run) when an operation's records could not be written.
std::string LogNotWrittenText(const std::string& logPath);

/// Writes the header into the (just emptied) log.
void ClearUninstallLog(FileSystem& files, AnsiCodec& ansi, const std::string& logPath);

/// What the log viewer shows of a log: its lines (CR LF, CR and LF each end one), and how
/// many bytes at its start are left out.
struct LogExcerpt {
  std::vector<std::string> lines;
  std::uint64_t leftOut = 0;
};

/// Reads a log for showing, converted from the ANSI code page with NUL characters as blanks:
/// the whole of it when it holds at most `limit` bytes, otherwise its newest part of at most
/// `limit` bytes that begins at the start of a line (no line at all when no line starts
/// there). Only that part is read. False with the system's description of the error.
bool ReadLogExcerpt(InputFile& file, AnsiCodec& ansi, std::uint64_t limit, LogExcerpt& excerpt,
                    std::string& error);

/// Reads a whole log in pieces of bounded size, converted from the ANSI code page, with NUL
/// characters as blanks and every line end (CR LF, CR or LF) as one LF, and hands the pieces
/// on in order; a last line without its end gets one. False with the system's description
/// of a read error (the pieces before it were handed on).
bool ReadLogText(InputFile& file, AnsiCodec& ansi, const std::function<void(const std::string&)>& piece,
                 std::string& error);

/// The records of the log. `when` is the date and time text (DateTimeText). Control
/// characters in the texts filled in become blanks: each record keeps its own lines.
std::string UninstallStartedRecord(const std::string& when, const std::string& name);
std::string DeleteStartedRecord(const std::string& when, const std::string& name);
inline constexpr const char* kStartFailedRecord = "Running uninstall command failed.";
inline constexpr const char* kUninstallOkRecord =
    "Uninstall OK. Uninstaller removed program from list.";
inline constexpr const char* kUninstallIncompleteRecord =
    "Uninstaller did not complete the uninstall process or did not remove program from list.";
std::string CleanedUpRecord();
inline constexpr const char* kDeleteOkRecord = "Deleted OK.";
inline constexpr const char* kDeleteFailedRecord =
    "NOT Deleted - error encountered while deleting from registry.";

}  // namespace tw
