#pragma once
// The registry's own export format, the .reg file: a model of what a file holds, a writer
// that gives the bytes the system's editor writes ("Windows Registry Editor Version 5.00",
// UTF-16 LE with a byte-order mark, CR LF), and a reader of the files that editor reads
// (also 8-bit "REGEDIT4" files in the ANSI code page, and UTF-8 files). Every value keeps
// its type and its bytes exactly, whatever they hold.
//
// Names are UTF-8 in std::string; a name holding an unpaired UTF-16 surrogate carries it
// as its own three-byte sequence (ED A0-BF xx), so that every registry name survives.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "util/Platform.h"
#include "util/RegistryStore.h"

namespace tw {

/// One value line of a key section: "name"=data, @=data for the default value (the empty
/// name), or "name"=- which removes the value.
struct RegFileValue {
  std::string name;
  RegValue value;
  bool remove = false;
  /// The line the reader found it on; 0 for values made in code.
  int line = 0;

  /// Equal in name, removal and value; the line is not compared.
  friend bool operator==(const RegFileValue& a, const RegFileValue& b) {
    return a.name == b.name && a.remove == b.remove && a.value == b.value;
  }
};

/// One key section: [path] and its values, or [-path], which removes the key with
/// everything below it.
struct RegFileKey {
  /// The key's full path: the root's name ("HKEY_CURRENT_USER"), "\", the path below it.
  std::string path;
  std::vector<RegFileValue> values;
  bool remove = false;
  /// A symbolic link key, kept as the link and not as the key it points to: its one value
  /// is the link's target, "SymbolicLinkValue" of type REG_LINK (see IsLinkSection). The
  /// system's editor imports such a section as an ordinary key holding that value.
  bool link = false;
  /// The line of the key's "[" line; 0 for keys made in code.
  int line = 0;

  /// Equal in path, values, removal and link; the line is not compared.
  friend bool operator==(const RegFileKey& a, const RegFileKey& b) {
    return a.path == b.path && a.remove == b.remove && a.link == b.link && a.values == b.values;
  }
};

/// What a .reg file holds: its key sections in file order.
struct RegFile {
  std::vector<RegFileKey> keys;
  bool operator==(const RegFile&) const = default;
};

/// The name of the value that holds a symbolic link key's target.
inline constexpr const char* kSymbolicLinkValueName = "SymbolicLinkValue";

/// Whether a section has the shape of a link key: one value, named "SymbolicLinkValue" (in
/// any letter case), of type REG_LINK.
bool IsLinkSection(const RegFileKey& key);

/// An error in a .reg file, or something the format cannot hold. what() is the text the
/// user is shown; it starts with "Line N: " when the error has a line.
class RegFileError : public std::runtime_error {
 public:
  RegFileError(int line, const std::string& message);
  /// The line of the file the error is on; 0 when it is not about one line.
  int line() const { return line_; }

 private:
  int line_;
};

/// The bytes of a .reg file as the system's editor writes it: a byte-order mark, the
/// header, and for each key a blank line, "[path]" and one line per value ("@" for the
/// default value), ending in a blank line. Strings that read back exactly are quoted;
/// DWORDs of four bytes are dword:xxxxxxxx; everything else is hex bytes, "hex:" for
/// binary and "hex(type):" for the other types, wrapped with a backslash and two spaces
/// as that editor wraps them. Raises RegFileError for what no line can hold: a key path
/// without a known root or with an empty name, a line break in a key path, a NUL character
/// in any name, a link section of another shape.
std::string WriteRegFile(const RegFile& file);

/// Reads the bytes of a .reg file. UTF-16 LE with its byte-order mark is read as it is;
/// UTF-8 with its byte-order mark, and an 8-bit "Windows Registry Editor Version 5.00"
/// file, are read as UTF-8; an 8-bit "REGEDIT4" file is read in the ANSI code page through
/// `ansi` (without one, only ASCII). In an 8-bit file the data of hex(1), hex(2) and
/// hex(7) values is text in the file's encoding, and becomes UTF-16 with a terminating NUL,
/// as the system's editor reads it. Comment lines (";") and blank lines are skipped.
/// Raises RegFileError, with the line, at the first thing that is not valid: a missing
/// header, a line that is neither key nor value, an unknown type, a bad hex digit, a bad
/// escape, an unterminated string, a value outside a key, a file that ends inside a line or
/// a continued value, text that is not valid in the file's encoding.
RegFile ReadRegFile(std::string_view bytes, AnsiCodec* ansi = nullptr);

/// Whether `path` is `ancestor` or lies below it; ASCII letters compare without case.
bool IsSameOrBelowKey(std::string_view path, std::string_view ancestor);

}  // namespace tw
