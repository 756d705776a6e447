#include "catalogue/UninstallLog.h"

#include <memory>

#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/Text.h"

namespace tw {

UninstallLog::UninstallLog(FileSystem& files, AnsiCodec& ansi, Locale& locale, Clock& clock,
                           const std::string& exeFolder)
    : files_(files), ansi_(ansi), locale_(locale), clock_(clock), path_(exeFolder) {
  if (!path_.empty() && path_.back() != '\\') path_ += '\\';
  path_ += LoadStr(StrId::LogFileName);
}

std::string UninstallLog::Header() {
  return "\r\nTidewell Uninstall Log\r\n"
         "Contains information about programs you have uninstalled from your computer\r\n";
}

bool UninstallLog::AppendToUninstallLog(const std::string& record) {
  std::unique_ptr<OutputFile> file = files_.OpenAppend(path_);
  if (!file) {
    // Only a log that does not exist yet is created. One that exists but cannot be opened
    // now (read only, or held by another program) is never replaced by a new, empty one.
    if (files_.FindFirst(path_).has_value()) return false;
    std::string error;
    file = files_.Create(path_, error);
    if (!file) return false;
    if (!file->Write(ansi_.ToAnsi(Header() + "\r\n"))) {
      file->Close();
      return false;
    }
  }
  const bool written = file->Write(ansi_.ToAnsi(record + "\r\n"));
  return file->Close() && written;
}

void UninstallLog::ClearUninstallLog() { AppendToUninstallLog(Header()); }

bool UninstallLog::Record(const std::string& text) {
  const bool written = AppendToUninstallLog(text);
  if (!written) lost_ = true;
  return written;
}

// The texts filled into a record stay on their own lines: a name holding a line break
// would otherwise write lines of its choosing into the log.
std::string UninstallLog::Opening(const std::string& firstLine) {
  return "\r\n" + OneLine(DateTimeText(locale_, clock_.Now())) + "\r\n" + firstLine;
}

bool UninstallLog::UninstallStarted(const std::string& name) {
  return Record(Opening("Uninstalling " + OneLine(name)));
}
bool UninstallLog::StartFailed() { return Record("Running uninstall command failed."); }
bool UninstallLog::UninstallSucceeded() { return Record("Uninstall OK. Uninstaller removed program from list."); }
bool UninstallLog::UninstallIncomplete() {
  return Record("Uninstaller did not complete the uninstall process or did not remove program from list.");
}
bool UninstallLog::CleanedUp() { return Record(std::string("Removed from list by ") + kAppTitle + "."); }
bool UninstallLog::DeleteStarted(const std::string& name) { return Record(Opening("Deleting entry " + OneLine(name))); }
bool UninstallLog::DeleteSucceeded() { return Record("Deleted OK."); }
bool UninstallLog::DeleteFailed() { return Record("NOT Deleted - error encountered while deleting from registry."); }

bool UninstallLog::TakeFailureToTell() {
  if (!lost_ || told_) return false;
  told_ = true;
  return true;
}

std::string UninstallLog::NotWrittenText() const {
  return "The uninstall log \"" + path_ + "\" could not be written, so this operation is not fully recorded in it.";
}

}  // namespace tw
