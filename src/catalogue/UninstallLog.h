#pragma once
// The uninstall log ULOG.TXT beside the executable: a running account, in the ANSI code page
// with CR LF line ends, of every uninstall the program started and every entry it removed.
// One object lives for the whole run: it knows the log's path, writes the records with the
// current date and time, and remembers whether the user was told that a record was lost.

#include <string>

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

}  // namespace tw
