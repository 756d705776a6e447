#include "catalogue/AuditReport.h"

#include <memory>

#include "util/AppStrings.h"
#include "util/Text.h"

namespace tw {

std::vector<AuditRow> ListedRows(const ProgramList& list) {
  std::vector<AuditRow> rows;
  rows.reserve(static_cast<std::size_t>(list.Count()));
  for (const ProgramEntry* row : list.Shown()) rows.push_back(AuditRow{row->caption, row->command, row->uninstallerMissing});
  return rows;
}

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string CreateErrorText(const std::string& path, const std::string& reason) {
  std::string text = "Cannot create file \"" + path + "\".";
  if (!reason.empty()) text += " " + reason;
  return text;
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
  for (const AuditRow& row : rows) {
    // A catalogue text is one report line: a line break or a form feed stored in a name
    // would split the entry or start a new printed page.
    text += OneLine(row.caption) + kLineEnd;
    if (!longFormat) continue;
    text += "Uninstall Command: " + OneLine(row.uninstallCommand) + kLineEnd;
    if (row.uninstallerMissing) text += missing + kLineEnd;
    text += kLineEnd;
  }
  return text;
}

std::string ReportTemporaryPath(const std::string& path) { return path + ".tidewell-tmp"; }

void SaveReportFile(FileSystem& files, AnsiCodec& ansi, const std::string& path,
                    const std::string& text) {
  if (path.empty()) throw ReportError(CreateErrorText(path, "The file name is empty."));
  const std::string temporary = ReportTemporaryPath(path);
  std::string error;
  std::unique_ptr<OutputFile> file = files.Create(temporary, error);
  if (!file) throw ReportError(CreateErrorText(path, error));
  const bool written = file->Write(ansi.ToAnsi(text));
  const bool closed = file->Close();
  file.reset();
  if (!written || !closed) {
    files.Remove(temporary);
    throw ReportError("Cannot write to file \"" + path + "\". An input/output error occurred while writing.");
  }
  if (!files.Replace(temporary, path, error)) {
    files.Remove(temporary);
    throw ReportError(CreateErrorText(path, error));
  }
}

}  // namespace tw
