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
  return "\r\n" + LoadStr(StrId::LogTitle) + "\r\n" + LoadStr(StrId::LogDescription) + "\r\n";
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
  return Record(Opening(FormatText(LoadStr(StrId::LogUninstalling), OneLine(name))));
}
bool UninstallLog::StartFailed() { return Record(LoadStr(StrId::LogStartFailed)); }
bool UninstallLog::UninstallSucceeded() { return Record(LoadStr(StrId::LogUninstallOk)); }
bool UninstallLog::UninstallIncomplete() {
  return Record(LoadStr(StrId::LogUninstallIncomplete));
}
bool UninstallLog::CleanedUp() { return Record(FormatText(LoadStr(StrId::LogRemovedFromList), kAppTitle)); }
bool UninstallLog::DeleteStarted(const std::string& name) { return Record(Opening(FormatText(LoadStr(StrId::LogDeleting), OneLine(name)))); }
bool UninstallLog::DeleteSucceeded() { return Record(LoadStr(StrId::LogDeleted)); }
bool UninstallLog::DeleteFailed() { return Record(LoadStr(StrId::LogNotDeleted)); }

bool UninstallLog::TakeFailureToTell() {
  if (!lost_ || told_) return false;
  told_ = true;
  return true;
}

std::string UninstallLog::NotWrittenText() const {
  return FormatText(LoadStr(StrId::LogNotWritten), path_);
}

namespace {

// How much of a log is read and converted at a time while it is printed.
constexpr std::size_t kLogPieceBytes = 1 << 20;

// A byte below 0x40 is a character of its own in every ANSI code page (lead and trail bytes
// of double-byte characters lie above it), so a text may be cut right after one.
std::size_t SafeCut(const std::string& bytes) {
  for (std::size_t i = bytes.size(); i > 0; --i) {
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
  }
  return 0;
}

// The lines of a text: CR LF, CR and LF each end a line; a break at the very end does not
// begin another line.
std::vector<std::string> SplitLogLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text, start, i - start);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text, start);
  return lines;
}

// A NUL would end the memo's text there (a log re-saved as UTF-16 would show only its byte
// order mark); shown and printed as a blank, so screen and paper agree.
void BlankNuls(std::string& text) {
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
}

}  // namespace

bool ReadLogExcerpt(InputFile& file, AnsiCodec& ansi, std::uint64_t limit, LogExcerpt& excerpt,
                    std::string& error) {
  const std::uint64_t size = file.Size();
  std::string bytes;
  std::uint64_t leftOut = 0;
  if (size <= limit) {
    if (!file.ReadAt(0, static_cast<std::size_t>(size), bytes, error)) return false;
  } else {
    // One byte more, before the part: whether the part begins right after a line end.
    const std::uint64_t from = size - limit - 1;
    if (!file.ReadAt(from, static_cast<std::size_t>(limit + 1), bytes, error)) return false;
    std::size_t start = bytes.find_first_of("\r\n");
    if (start == std::string::npos) {
      start = bytes.size();
    } else {
      start += bytes[start] == '\r' && start + 1 < bytes.size() && bytes[start + 1] == '\n' ? 2 : 1;
    }
    bytes.erase(0, start);
    leftOut = from + start;
  }
  std::string text = ansi.FromAnsi(bytes);
  bytes = std::string();
  BlankNuls(text);
  excerpt.lines = SplitLogLines(text);
  excerpt.leftOut = leftOut;
  return true;
}

bool ReadLogText(InputFile& file, AnsiCodec& ansi, const std::function<void(const std::string&)>& piece,
                 std::string& error) {
  std::uint64_t offset = 0;
  std::string pending;       // bytes read but not yet converted
  bool afterCr = false;      // the last piece ended with a CR (made an LF)
  bool lineOpen = false;     // text has been handed on since the last line end
  while (true) {
    std::string bytes;
    if (!file.ReadAt(offset, kLogPieceBytes, bytes, error)) return false;
    offset += bytes.size();
    const bool atEnd = bytes.empty();
    pending += bytes;
    bytes = std::string();
    const std::size_t cut = atEnd ? pending.size() : SafeCut(pending);
    std::string text = ansi.FromAnsi(pending.substr(0, cut));
    pending.erase(0, cut);
    // Every line end becomes one LF; an LF right after a CR belongs to it, also across pieces.
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
      if (c == '\n' && afterCr) {
        afterCr = false;
        continue;
      }
      afterCr = c == '\r';
      out.push_back(c == '\r' ? '\n' : c == '\0' ? ' ' : c);
    }
    if (!out.empty()) {
      lineOpen = out.back() != '\n';
      piece(out);
    }
    if (atEnd) break;
  }
  if (lineOpen) piece("\n");
  return true;
}

}  // namespace tw
