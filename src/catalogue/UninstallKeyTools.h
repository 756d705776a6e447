#pragma once
// The only operations that change the uninstall catalogue: write, delete and test one entry
// by its FullKeyPath.

#include <optional>
#include <string>

#include "util/Platform.h"
#include "util/RegistryStore.h"

namespace tw {

/// What a row of a value table stood for when the table was filled from the registry.
struct OriginalValue {
  std::string name;
  std::string text;
  RegValue value;
};

/// The two-column grid of the edit dialog: column 0 value names, column 1 texts; row 0 is a
/// header row and is never written.
class ValueTable {
 public:
  virtual ~ValueTable() = default;
  virtual int RowCount() const = 0;
  virtual std::string Cell(int column, int row) const = 0;
  /// The value the row was filled from, or nullptr for a row added later.
  virtual const OriginalValue* Original(int row) const {
    (void)row;
    return nullptr;
  }
  /// The name of the value a row writes ("" is the key's default value), or nothing for a
  /// row that writes none. A plain table writes every row whose name cell is not empty.
  virtual std::optional<std::string> ValueName(int row) const {
    std::string name = Cell(0, row);
    if (name.empty()) return std::nullopt;
    return name;
  }
};

/// Rewrites an entry: removes every value of the key, writes DisplayName and
/// UninstallString, then the table's rows (later rows win). A row unchanged since it was
/// filled keeps its type and data. A changed row under its own name keeps its kind where the
/// text allows: a 32-bit integer row whose text is still a 32-bit number stays one, a 64-bit
/// row must hold a 64-bit number (-9223372036854775808 to 18446744073709551615), an
/// expandable row stays expandable, a multi-string stays a multi-string (split at blanks only
/// when it held several strings without blanks); every other row is a string. False when the
/// key cannot be opened (or created) for writing, or the path names no key below a root (its
/// sub key empty or ending in a backslash), with nothing changed. A 64-bit row whose text is
/// no number raises the refusal (ValueTableRefusal) before anything is changed; a value that
/// cannot be written restores the values the key held before and raises the write error.
bool WriteUninstallEntry(Registry& registry, const std::string& keyPath,
                         const std::string& displayName, const std::string& uninstallCommand,
                         const ValueTable* table, bool createIfMissing);

/// Why the table cannot be written (a changed 64-bit number row whose text is no 64-bit
/// number), or nothing when every row can be.
std::optional<std::string> ValueTableRefusal(const ValueTable& table);

/// Deletes the key with everything below it; true when the key itself was deleted.
bool DeleteUninstallKey(Registry& registry, const std::string& keyPath);

/// True when the key can be opened for reading.
bool UninstallKeyExists(Registry& registry, const std::string& keyPath);

}  // namespace tw
