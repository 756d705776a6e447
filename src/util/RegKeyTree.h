#pragma once
// A key with everything below it, read from the registry into the model of a .reg file and
// written back from it: every value with its type and bytes, every sub key, link keys as
// links.

#include <cstddef>
#include <limits>
#include <optional>
#include <string>

#include "util/RegFile.h"
#include "util/RegistryStore.h"

namespace tw {

/// Symbolic link keys, for a registry that can tell them. RegistryStore opens a link as the
/// key it points to; without this, a link is read as its target and cannot be written.
class SymbolicLinks {
 public:
  virtual ~SymbolicLinks() = default;
  /// The "SymbolicLinkValue" (REG_LINK) of a key that is a symbolic link, read without
  /// following the link; nothing for an ordinary or a missing key.
  virtual std::optional<RegValue> LinkValue(RootKeyHandle root, const std::string& path) = 0;
  /// Creates the key as a symbolic link with that link value; false when it cannot.
  virtual bool CreateLink(RootKeyHandle root, const std::string& path, const RegValue& linkValue) = 0;
};

/// Reads the key at a full key path with every value and every key below it: one section
/// per key, each before the keys below it, in the store's order. A link key (known through
/// `links`) is one section holding its link value, and nothing below it is read. Raises
/// RegistryError when the key is missing or a key below it cannot be opened, so that what is
/// returned is always the whole key.
RegFile ExportKeyTree(Registry& registry, const std::string& fullKeyPath, SymbolicLinks* links = nullptr);

/// Checks that ImportKeyTree would write the file below `keyPath`: every section is
/// `keyPath` or lies below it, none removes a key or a value, no value holds more than
/// `maxValueBytes`, and a link section comes only with `linksSupported`. Raises
/// RegFileError with the line of the first that does not.
void CheckKeyTreeImport(const RegFile& file, const std::string& keyPath, bool linksSupported,
                        std::size_t maxValueBytes = std::numeric_limits<std::size_t>::max());

/// Writes the file's sections into the registry, each key's values with their types and
/// bytes, creating the keys. The whole file is checked first (CheckKeyTreeImport), so that
/// nothing is written from a file that does not pass.
/// An existing key at `keyPath` is removed first with everything below it when
/// `replaceExisting` is set; otherwise it is left untouched and RegistryError is raised.
/// A link section becomes a link key through `links` (RegFileError without them). A value
/// that cannot be written raises the store's write error, and what was written stays.
void ImportKeyTree(Registry& registry, const RegFile& file, const std::string& keyPath, bool replaceExisting,
                   SymbolicLinks* links = nullptr);

}  // namespace tw
