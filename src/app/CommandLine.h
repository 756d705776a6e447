#pragma once
// The command line as data: the parameters split as Windows splits them, and what they ask
// the program to do. Parsing knows no window; the main window acts on the request.

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/InventoryReport.h"

namespace tw {

/// What the first parameter asks for.
enum class StartupAction {
  None,            ///< no switch, or one the program does not know: an ordinary session
  Report,          ///< /RFL, /RFS, /RPL, /RPS: the audit report to a file or the printer, then end
  QuietUninstall,  ///< /QU: remove the named programs without asking, then end
  Uninstall,       ///< /UNINSTALL: the uninstall dialog for the named program
  Inventory,       ///< /RFC, /RFJ: the inventory as CSV or JSON to a file, then end
  Restore,         ///< /RESTORE: write an entry back from a backup file, then end
};

/// The parsed command line.
struct StartupRequest {
  StartupAction action = StartupAction::None;
  /// Report: the long form (name, command and status) rather than names only.
  bool longFormat = false;
  /// Report: the file to write; "" sends the report to the default printer. Inventory: the
  /// file to write; "" is an error (an inventory is never printed). Restore: the backup
  /// file to read ("" when none was given).
  std::string fileName;
  /// Inventory: the format, and the switch as it was given (for the message when the file
  /// name is missing).
  InventoryFormat inventoryFormat = InventoryFormat::Csv;
  std::string switchName;
  /// QuietUninstall: the display names, in order; Uninstall: the one name (may be "").
  std::vector<std::string> names;

  /// A run without the user (a report, an inventory, the quiet removal, a restore): no
  /// icons, no error boxes of the scan, and the program ends when the work is done.
  bool Unattended() const {
    return action == StartupAction::Report || action == StartupAction::QuietUninstall ||
           action == StartupAction::Inventory || action == StartupAction::Restore;
  }
};

/// The request of the parameters after the program name. Only the first parameter is a
/// switch, compared whole with its letters a to z upper-cased; the parameters after it are
/// its file name or names.
StartupRequest ParseStartupRequest(const std::vector<std::string>& parameters);

/// The parameters of a whole command line after the program name, split by the rules of the
/// system's command-line splitter: blanks and tabs separate; double quotes group (a doubled
/// quote inside quotes is a literal one); backslashes are literal unless they precede a
/// quote, where each pair gives one backslash and an odd one makes the quote literal.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace tw
