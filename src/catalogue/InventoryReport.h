#pragma once
// The inventory of the listed programs for other programs to read: CSV (RFC 4180, UTF-8 with
// a byte-order mark, CR LF) and JSON (UTF-8, the computer, the user, the time and one object
// per program). Every character of every text is kept, whatever the system's code page.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ProgramEntry.h"
#include "util/Platform.h"

namespace tw {

/// The two formats of the inventory.
enum class InventoryFormat { Csv, Json };

/// One listed program as the inventory gives it, field by field in the inventory's order.
struct InventoryRow {
  std::string name;                      ///< the display name; "" for an entry without one
  std::string publisher;
  std::string version;
  std::string installDate;               ///< yyyy-mm-dd; "" when unknown
  std::optional<std::int64_t> sizeBytes; ///< nothing when unknown
  std::string lastUsed;                  ///< local yyyy-mm-dd of the last use; "" without one
  std::string frequency;                 ///< the Frequency column's word
  std::string uninstallCommand;
  std::string quietUninstallCommand;
  bool uninstallerMissing = false;
  bool systemComponent = false;
  Catalogue catalogue = Catalogue::Machine64;
  std::string keyPath;
};

/// Who and when the inventory was made: the computer and user names (whole) and the local
/// time in ISO 8601 with its offset from UTC.
struct InventoryHeader {
  std::string computerName;
  std::string userName;
  std::string created;
};

/// A stored InstallDate yyyymmdd that names a day of the calendar as "yyyy-mm-dd"; "" for
/// anything else.
std::string IsoInstallDate(const std::string& stored);

/// A local date and time and its offset from UTC in minutes as ISO 8601:
/// "2026-12-08T14:05:09+01:00".
std::string IsoDateTime(const DateTime& local, int offsetMinutes);

/// The catalogue's name in the inventory: "machine 64-bit", "machine 32-bit" or "user".
std::string CatalogueName(Catalogue catalogue);

/// A list row as the inventory gives it; the last use is the local date as the Last Used On
/// column shows it, "" where that column is empty or cannot name the day.
InventoryRow InventoryRowOf(const ProgramEntry& row, TimeZone& zone);

/// The inventory as CSV: the byte-order mark, a header line, then one line per row. Fields
/// that hold a comma, a double quote or a line break are quoted, quotes doubled.
std::string InventoryCsv(const std::vector<InventoryRow>& rows);

/// The inventory as JSON: an object with the computer name, the user name, the time and the
/// array of programs (unknown dates and sizes are null).
std::string InventoryJson(const InventoryHeader& header, const std::vector<InventoryRow>& rows);

/// The inventory in a format, as the bytes of its file.
std::string InventoryText(InventoryFormat format, const InventoryHeader& header,
                          const std::vector<InventoryRow>& rows);

/// The format a report file's name asks for: ".csv" and ".json" in any letter case; nothing
/// for any other name (the text report).
std::optional<InventoryFormat> InventoryFormatOfFile(const std::string& path);

}  // namespace tw
