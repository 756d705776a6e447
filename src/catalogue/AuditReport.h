#pragma once
// The software audit report of the listed programs: its header, its text in the short form
// (one name per line) or the long form (name, uninstall command and status), and saving it
// as an ANSI text file that replaces an older report only once it is complete.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ProgramList.h"
#include "util/Platform.h"

namespace tw {

/// A report that could not be written; what() is the user-facing text naming the error.
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// One listed program as the report shows it. Its texts are the list row's own, not copies:
/// the row must outlive it.
struct AuditRow {
  std::string_view caption;
  std::string_view uninstallCommand;
  bool uninstallerMissing = false;
  /// The whole row, for the inventory reports (none where only the text report is made).
  const ProgramEntry* entry = nullptr;
};

/// The listed rows in the order the list shows them; they refer to the list's rows.
std::vector<AuditRow> ListedRows(const ProgramList& list);

/// Computer and user names in the header keep at most this many characters.
inline constexpr std::size_t kMaxReportNameChars = 15;

/// The first `count` characters (code points) of UTF-8 text.
std::string FirstChars(std::string_view text, std::size_t count);

/// "Prepared on" text: the date in the short date format, a blank, the time in the long
/// time format.
std::string PreparedOnText(Locale& locale, const DateTime& when);

/// The header with the computer name, the date text and the user name filled in (names cut
/// to 15 characters). Every line ends with CR LF; the last line is empty.
std::string AuditReportHeader(const std::string& computerName, const std::string& userName,
                              const std::string& preparedOn);

/// The whole report as UTF-8 with CR LF line ends: the header and a line end, then each row
/// in the order given. The short form lists captions only; the long form adds the
/// uninstall command line, the missing-uninstaller sentence where it applies, and an empty
/// line after each program.
std::string AuditReportText(const std::string& header, const std::vector<AuditRow>& rows,
                            bool longFormat);

/// A temporary file beside `path` for the report to be written to before it takes the place
/// of `path`: the report's name, `unique` in eight hexadecimal digits and ".tidewell-tmp".
std::string ReportTemporaryPath(const std::string& path, std::uint32_t unique);

/// Creates a new temporary file beside `path` under a ReportTemporaryPath name with a random
/// number that nothing has yet (other numbers are tried while names are taken), and sets
/// `temporary` to its path (to the last one tried when none could be made, with the reason
/// in `error` and nullptr returned).
std::unique_ptr<OutputFile> CreateTemporaryFile(FileSystem& files, const std::string& path,
                                                std::string& temporary, std::string& error);

/// Writes the text in the ANSI code page to a new temporary file beside `path` (a name that
/// nothing has yet, so no file or folder is ever taken for it) and moves it over `path` once
/// it is complete, so an error never leaves a half-written file in place of a good one, and a
/// read-only report is kept. A device name (NUL, a port, the console) is written to directly.
/// On any failure the temporary file is removed and ReportError raised, naming the file that
/// failed.
void SaveReportFile(FileSystem& files, AnsiCodec& ansi, const std::string& path,
                    const std::string& text);

/// Saves a report's bytes as they are (the inventories, already UTF-8), exactly as
/// SaveReportFile saves its text.
void SaveReportBytes(FileSystem& files, const std::string& path, const std::string& bytes);

}  // namespace tw
