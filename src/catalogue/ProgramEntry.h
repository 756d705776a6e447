#pragma once
// One row of the program list as data: what the catalogue and the usage cache say of one
// entry, in typed fields. The texts the list shows are derived from them (ProgramList).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/UsageCache.h"

namespace tw {

/// An icon location: a file and an icon index (negative: a resource id).
struct IconLocation {
  std::string file;
  int index = 0;
  bool operator==(const IconLocation&) const = default;
};

/// The icon locations to try for a row, in order; when none gives an icon, the row shows
/// the default icon. The plan depends only on the row's values and the Targets of earlier
/// rows, never on whether an extraction succeeded, so extraction can wait until the row is
/// first drawn and still give exactly the icon an immediate extraction would.
struct IconPlan {
  std::vector<IconLocation> locations;
  bool operator==(const IconPlan&) const = default;
};

/// The catalogue an entry is kept in.
enum class Catalogue { Machine64, Machine32, User };

/// One row of the program list.
struct ProgramEntry {
  std::string caption;             ///< display name, or "<no name>" when it reads empty
  bool named = true;               ///< false when the caption is the placeholder
  /// The FullKeyPath of the entry's catalogue and a backslash, one text for all its rows.
  std::shared_ptr<const std::string> catalogueKeyPath;
  std::string keyName;             ///< the entry's sub key name in its catalogue
  std::string command;             ///< UninstallString as text
  bool uninstallerMissing = false; ///< the uninstaller test said the program is gone
  bool hasUsage = false;           ///< a usage record was found
  UsageRecord usage;               ///< size, last use, use count and Target (zero without one)
  int imageIndex = -1;             ///< index in the large and small icon lists (-1: no icon)
  Catalogue catalogue = Catalogue::Machine64;
  // What today's catalogues record beside the name and the command. Read leniently: a value
  // of an unexpected kind or form leaves its field empty (or unknown) and is never an error.
  std::string publisher;           ///< Publisher
  std::string version;             ///< DisplayVersion
  std::string installDate;         ///< InstallDate as stored (normally yyyymmdd)
  std::int64_t estimatedSizeKb = -1;  ///< EstimatedSize in kilobytes; -1 when unknown
  std::string quietCommand;        ///< QuietUninstallString
  bool systemComponent = false;    ///< SystemComponent is the number 1
  bool update = false;             ///< an update or a child of another entry

  /// The FullKeyPath of the catalogue entry.
  std::string KeyPath() const { return catalogueKeyPath ? *catalogueKeyPath + keyName : keyName; }
  /// The display name the row was listed with: "" for a row without one.
  std::string DisplayName() const { return named ? caption : std::string(); }
  /// The Target of the usage record, "" without one.
  const std::string& Target() const { return usage.target; }
};

/// The program's size in bytes: the usage record's size when there is one and it is not
/// negative, else EstimatedSize in bytes; nothing when neither is known.
inline std::optional<std::int64_t> ProgramSizeBytes(const ProgramEntry& row) {
  if (row.hasUsage && row.usage.size >= 0) return row.usage.size;
  if (row.estimatedSizeKb >= 0 && row.estimatedSizeKb <= INT64_MAX / 1024) return row.estimatedSizeKb * 1024;
  return std::nullopt;
}

}  // namespace tw
