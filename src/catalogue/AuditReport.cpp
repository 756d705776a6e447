#include "catalogue/AuditReport.h"

#include <cstdio>
#include <memory>
#include <random>

#include "util/AppStrings.h"
#include "util/CorFileUtils.h"
#include "util/Text.h"

namespace tw {

std::vector<AuditRow> ListedRows(const ProgramList& list) {
  std::vector<AuditRow> rows;
  rows.reserve(static_cast<std::size_t>(list.Count()));
  for (const ProgramEntry* row : list.Shown()) {
    rows.push_back(AuditRow{row->caption, row->command, row->uninstallerMissing, row});
  }
  return rows;
}

namespace {

constexpr const char* kLineEnd = "\r\n";

// How many names a temporary file may try before the folder counts as refusing new files.
constexpr int kTemporaryNameAttempts = 100;

std::string CreateErrorText(const std::string& path, const std::string& reason) {
  if (reason.empty()) return FormatText(LoadStr(StrId::CannotCreateFile), path);
  return FormatText(LoadStr(StrId::CannotCreateFileBecause), {path, reason});
}

std::string WriteErrorText(const std::string& path) { return FormatText(LoadStr(StrId::CannotWriteFile), path); }

// Writes the bytes and closes the file; false when either failed.
bool WriteAndClose(OutputFile& file, const std::string& bytes) {
  const bool written = file.Write(bytes);
  const bool closed = file.Close();
  return written && closed;
}

}  // namespace

std::string FirstChars(std::string_view text, std::size_t count) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A byte that is not a continuation byte starts the next character.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == count) return std::string(text.substr(0, i));
      ++chars;
    }
  }
  return std::string(text);
}

std::string PreparedOnText(Locale& locale, const DateTime& when) {
  return locale.ShortDate(when) + " " + locale.LongTime(when);
}

std::string AuditReportHeader(const std::string& computerName, const std::string& userName,
                              const std::string& preparedOn) {
  const std::string computer = FirstChars(computerName, kMaxReportNameChars);
  const std::string user = FirstChars(userName, kMaxReportNameChars);
  return FormatText(LoadStr(StrId::AuditHeader), {computer, preparedOn, computer, user});
}

std::string AuditReportText(const std::string& header, const std::vector<AuditRow>& rows,
                            bool longFormat) {
  std::string text = header + kLineEnd;
  const std::string missing = longFormat ? LoadStr(StrId::UninstallerMissing) : std::string();
  const std::string uninstallCommand = longFormat ? LoadStr(StrId::ReportUninstallCommand) : std::string();
  for (const AuditRow& row : rows) {
    // A catalogue text is one report line: a line break or a form feed stored in a name
    // would split the entry or start a new printed page.
    text += OneLine(std::string(row.caption)) + kLineEnd;
    if (!longFormat) continue;
    text += FormatText(uninstallCommand, OneLine(std::string(row.uninstallCommand))) + kLineEnd;
    if (row.uninstallerMissing) text += missing + kLineEnd;
    text += kLineEnd;
  }
  return text;
}

std::string ReportTemporaryPath(const std::string& path, std::uint32_t unique) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(unique));
  return path + "." + digits + ".tidewell-tmp";
}

std::unique_ptr<OutputFile> CreateTemporaryFile(FileSystem& files, const std::string& path,
                                                std::string& temporary, std::string& error) {
  // A name that is taken (by a file or a folder of someone else's, or one of another run)
  // is left alone and another one tried.
  std::random_device random;
  std::unique_ptr<OutputFile> file;
  for (int attempt = 0; !file && attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = ReportTemporaryPath(path, random());
    bool exists = false;
    file = files.CreateNew(temporary, exists, error);
    if (!file && !exists) break;
  }
  return file;
}

void SaveReportFile(FileSystem& files, AnsiCodec& ansi, const std::string& path,
                    const std::string& text) {
  SaveReportBytes(files, path, ansi.ToAnsi(text));
}

void SaveReportBytes(FileSystem& files, const std::string& path, const std::string& bytes) {
  if (path.empty()) throw ReportError(CreateErrorText(path, LoadStr(StrId::FileNameEmpty)));
  std::string error;
  if (IsDeviceName(path)) {
    // A device takes the text as it comes: there is no file to replace, and a temporary
    // file of a device's name would be the device itself.
    std::unique_ptr<OutputFile> device = files.Create(path, error);
    if (!device) throw ReportError(CreateErrorText(path, error));
    if (!WriteAndClose(*device, bytes)) throw ReportError(WriteErrorText(path));
    return;
  }
  std::string temporary;
  std::unique_ptr<OutputFile> file = CreateTemporaryFile(files, path, temporary, error);
  if (!file) throw ReportError(CreateErrorText(temporary, error));
  const bool complete = WriteAndClose(*file, bytes);
  file.reset();
  if (!complete) {
    files.Remove(temporary);
    throw ReportError(WriteErrorText(temporary));
  }
  if (!files.Replace(temporary, path, error)) {
    files.Remove(temporary);
    throw ReportError(CreateErrorText(path, error));
  }
}

}  // namespace tw
