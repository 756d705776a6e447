#pragma once
// Reads the uninstall catalogue of one root into list rows, one ProgramEntry per entry that
// names both a display name and an uninstall command, and offers the value readers the
// details and edit dialogs use.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ProgramEntry.h"
#include "catalogue/UsageCache.h"
#include "util/Platform.h"
#include "util/RegistryStore.h"

namespace tw {

/// Receives the rows of a scan in order.
class ProgramSink {
 public:
  virtual ~ProgramSink() = default;
  virtual void AddRow(ProgramEntry&& row) = 0;
};

/// Supplies a row's icons: adds one large and one small icon for the plan (extracted now or
/// when first drawn) and returns the index both stand at.
class IconSource {
 public:
  virtual ~IconSource() = default;
  virtual int AddRowIcons(const IconPlan& plan) = 0;
};

/// The scan's collaborators; an empty one answers "no record" / "present". Without an icon
/// source the entries' icon locations are not read and rows get no icon index.
struct ScanCollaborators {
  std::function<std::optional<UsageRecord>(const std::string& subKeyName)> usage;
  std::function<bool(const std::string& command)> uninstallerTest;
  IconSource* icons = nullptr;
  /// Whether the entries' details (publisher, version, install date, size, quiet command,
  /// system component, update) are read; without them those fields stay empty.
  bool details = true;
};

/// What a scan reads of each entry beyond its name, its command and the uninstaller test; a
/// run reads what it uses. Icon locations are read where there is an icon source.
struct ScanParts {
  bool usage = true;    ///< the usage record
  bool details = true;  ///< the details ScanCollaborators::details names
};

/// What a scan met: rows added, and the texts of values that could not be read.
struct ScanReport {
  int rows = 0;
  std::vector<std::string> errors;
  /// The one message to show after the scan, or "" when every value was readable.
  std::string FirstError() const { return errors.empty() ? std::string() : errors.front(); }
};

/// The catalogue of the local machine, its 32-bit catalogue (when the key exists) and the
/// current user's, in this order, as the refresh scans them.
struct CatalogueLocation {
  RootKeyHandle root;
  std::string key;
  Catalogue catalogue = Catalogue::Machine64;
};
std::vector<CatalogueLocation> CatalogueLocations(Registry& registry);

/// Appends the rows of one catalogue (its key below its root). An entry whose
/// display name, command or icon location cannot be read is still listed with what could be
/// read ("<no name>", "", the fallback icon) and the error is added to the report.
/// Values of kinds that are not text are read through the ANSI code page.
void ScanUninstallKey(Registry& registry, AnsiCodec& ansi, const CatalogueLocation& location, ProgramSink& sink,
                      const ScanCollaborators& collaborators, bool checkUninstallers,
                      ScanReport& report);

/// Reads what a scan left out of its rows (given in the order the scan added them): the
/// parts `leftOut` names, and with an icon source the rows' icons, as a scan with all of them
/// gives them. Each row's entry is opened again; an entry or a value that cannot be read
/// leaves its fields as a scan leaves them (an icon location, its Target or the default).
void CompleteRows(Platform& platform, const std::vector<ProgramEntry*>& rows, const ScanParts& leftOut,
                  IconSource* icons);

/// The local machine's catalogue of 32-bit programs, the 32-bit view of the uninstall key.
inline constexpr const char* kWow64UninstallKey = "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

/// The refresh's scan of every catalogue with the usage lookup and, when `checkUninstallers`
/// is set, the uninstaller test of the platform; rows get icons only from an icon source.
ScanReport ScanCatalogue(Platform& platform, ProgramSink& sink, IconSource* icons,
                         bool checkUninstallers, const ScanParts& parts = {});

/// A value already read as the one text of a caption, a command or an icon location: the
/// text of a string kind, unexpanded; a multi-string's first string. Raises the read error for
/// a text value stored as a 32- or 64-bit number or binary data, or a value of another kind
/// too long to read as text; a value of another kind loses its first three characters.
std::string ValueAsText(const std::string& name, const std::optional<RegValue>& value, AnsiCodec& ansi);

/// What joins the strings of a multi-string where they are shown as one text.
inline constexpr const char* kMultiStringSeparator = " ";

/// The strings of a multi-string value in order, up to the empty string that ends the list.
std::vector<std::string> MultiStrings(const RegValue& value);

/// A multi-string value of the strings (none of them empty), each ended by a NUL character,
/// and the NUL that ends the list.
RegValue MultiStringValue(const std::vector<std::string>& strings);

/// A multi-string's strings joined by kMultiStringSeparator.
std::string JoinedMultiString(const RegValue& value);

/// The signed number of an 8-byte 64-bit integer value; nothing for any other value.
std::optional<std::int64_t> QwordOf(const RegValue& value);

/// A value as the details view and the value editor show it: 32- and 64-bit numbers as
/// signed decimal text, a multi-string's strings joined by a blank, text kinds and others as
/// ValueAsText reads them; "" for an absent value. Nothing for data that has no text to show
/// (binary data, a number of the wrong length). Raises ValueAsText's error for a value of
/// another kind too long to read.
std::optional<std::string> ValueDisplayText(const std::string& name, const std::optional<RegValue>& value,
                                            AnsiCodec& ansi);

/// Any value of the store's open key as display text (raises the read error for a text value
/// stored as an integer or binary value).
std::string ReadValueAsText(RegistryStore& store, const std::string& name, AnsiCodec& ansi);

/// One value of any key, or nothing when the key or the value is missing.
std::optional<RegValue> QueryValueByPath(Registry& registry, const std::string& fullKeyPath,
                                         const std::string& name);

/// One value of any key as ValueDisplayText shows it; "" for a missing key or value and for
/// data that has no text to show.
std::string ReadValueByPath(Registry& registry, const std::string& fullKeyPath,
                            const std::string& name, AnsiCodec& ansi);

/// A value read leniently for a column or a report, never raising: the text of a string
/// kind (a multi-string's first string, whole), the decimal number of a 32- or 64-bit
/// integer, and "" for binary data, other kinds and an absent value.
std::string LenientText(const std::optional<RegValue>& value);

/// The signed number of a 32- or 64-bit integer value; nothing for any other value.
std::optional<std::int64_t> IntegerOf(const std::optional<RegValue>& value);

/// Whether a ReleaseType names an update ("Security Update", "Update", "Update Rollup",
/// "Hotfix", "Service Pack"; letters a to z without case).
bool IsUpdateReleaseType(const std::string& releaseType);

/// Splits an icon location "file,index" (index 0 when absent or not a number; the file is
/// used as it stands, quotes included). An empty spec gives an empty file.
IconLocation ParseIconSpec(const std::string& spec);

}  // namespace tw
