#pragma once
// The uninstall log ULOG.TXT beside the executable: a running account, in the ANSI code page
// with CR LF line ends, of every uninstall the program started and every entry it removed.
// One object lives for the whole run: it knows the log's path, writes the records with the
// current date and time, and remembers whether the user was told that a record was lost.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "util/Platform.h"

namespace tw {

class UninstallLog {
 public:
  UninstallLog(FileSystem& files, AnsiCodec& ansi, Locale& locale, Clock& clock, const std::string& exeFolder);

  /// The log's full path: the executable's folder (with its trailing backslash) + "ULOG.TXT".
  const std::string& Path() const { return path_; }

  /// Appends one record and CR LF; a missing log is created with the header first. False
  /// when the record could not be written (a read-only log, a folder in its place, a folder
  /// that takes no new file); an existing log is never replaced then.
  bool AppendToUninstallLog(const std::string& record);
  /// Writes the header into the log the viewer has just emptied.
  void ClearUninstallLog();

  // The records, each with its own text; the ones that start an operation carry the current
  // date and time and the program's name. False when the record could not be written.
  bool UninstallStarted(const std::string& name);
  bool StartFailed();
  bool UninstallSucceeded();
  bool UninstallIncomplete();
  bool CleanedUp();
  bool DeleteStarted(const std::string& name);
  bool DeleteSucceeded();
  bool DeleteFailed();

  /// True the first time it is asked after a record was lost, so the user is told once a
  /// run; false before any loss and ever after.
  bool TakeFailureToTell();
  /// What the user is told then.
  std::string NotWrittenText() const;

  /// CR LF, "Tidewell Uninstall Log", CR LF, the description line, CR LF.
  static std::string Header();

 private:
  bool Record(const std::string& text);
  /// CR LF, the date and time text, CR LF, and the first line of a record.
  std::string Opening(const std::string& firstLine);

  FileSystem& files_;
  AnsiCodec& ansi_;
  Locale& locale_;
  Clock& clock_;
  std::string path_;
  bool lost_ = false;
  bool told_ = false;
};

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

}  // namespace tw
