#pragma once
// RegistryStore: the one component through which the program reads and writes the
// hierarchical key/value store. A store is a short-lived handle: it has a root, at most one
// open key, and releases everything when destroyed. Two implementations give the same
// results and raise the same errors: the Win32 store (win32/Win32Registry) and
// MemoryRegistryStore (util/MemoryRegistryStore) for portable tests.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tw {

class SymbolicLinks;

/// A predefined root key by its numeric handle; 0 is the invalid root.
using RootKeyHandle = std::uint32_t;

namespace RootKey {
inline constexpr RootKeyHandle Invalid = 0;
inline constexpr RootKeyHandle ClassesRoot = 0x80000000u;
inline constexpr RootKeyHandle CurrentUser = 0x80000001u;
inline constexpr RootKeyHandle LocalMachine = 0x80000002u;
inline constexpr RootKeyHandle Users = 0x80000003u;
inline constexpr RootKeyHandle PerformanceData = 0x80000004u;
inline constexpr RootKeyHandle CurrentConfig = 0x80000005u;
inline constexpr RootKeyHandle DynData = 0x80000006u;
}  // namespace RootKey

/// Registry value types by their Windows numbers.
namespace RegType {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t String = 1;        // REG_SZ
inline constexpr std::uint32_t ExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t Binary = 3;        // REG_BINARY
inline constexpr std::uint32_t Dword = 4;         // REG_DWORD
inline constexpr std::uint32_t DwordBigEndian = 5;
inline constexpr std::uint32_t Link = 6;
inline constexpr std::uint32_t MultiString = 7;   // REG_MULTI_SZ
inline constexpr std::uint32_t Qword = 11;
}  // namespace RegType

/// The kind of a value as the program distinguishes it, in this order.
enum class ValueKind { Unknown = 0, String = 1, ExpandString = 2, Integer = 3, Binary = 4 };

/// A value exactly as stored: its registry type and its bytes.
struct RegValue {
  std::uint32_t type = RegType::None;
  std::vector<std::uint8_t> data;

  bool operator==(const RegValue&) const = default;

  static RegValue Text(const std::string& utf8, std::uint32_t type = RegType::String);
  static RegValue Number(std::uint32_t value);
};

/// An error of the registry component; what() is the user-facing text.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The kind a registry type maps to.
ValueKind KindOfType(std::uint32_t type);

/// The signed 32-bit number in the first four (little-endian) bytes of a value's data, which
/// the caller has checked are there.
std::int32_t NumberOf(const RegValue& value);

/// One handle on the store: select a root, open one key, read and write its values.
/// Paths are names joined by "\" and always start at the root.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  /// Selects one of the seven roots; the invalid handle 0 makes every open fail.
  virtual void SelectRoot(RootKeyHandle root) = 0;
  virtual RootKeyHandle CurrentRoot() const = 0;

  /// Opens a key below the root for reading and writing (read only where writing is
  /// refused); with `create`, missing keys on the way are created. Failure leaves no key open.
  virtual bool OpenPath(const std::string& path, bool create) = 0;
  virtual void ClosePath() = 0;
  virtual bool IsOpen() const = 0;
  /// Whether the open key was opened for writing: false with no key open, and false for a
  /// key that writing is refused on and that was opened for reading only.
  virtual bool IsWritable() const = 0;

  /// Names of the open key's direct sub keys / values, in the store's order.
  virtual std::vector<std::string> ListSubKeys() = 0;
  virtual std::vector<std::string> ListValues() = 0;

  /// Whether a key exists below the root; opens nothing.
  virtual bool HasKey(const std::string& path) = 0;

  /// The whole value of the open key, or nothing when it (or an open key) is absent.
  virtual std::optional<RegValue> QueryValue(const std::string& name) = 0;

  /// Stores a value in the open key; raises "Failed to set data for '%s'" on failure.
  virtual void WriteValue(const std::string& name, const RegValue& value) = 0;

  /// Removes a value of the open key; false when it could not be removed.
  virtual bool RemoveValue(const std::string& name) = 0;

  /// Removes a key below the root with all its sub keys; true when the key itself went.
  /// A path that OpenPath refuses, the empty path (the root) and a path ending in a
  /// backslash remove nothing. A symbolic link, the key itself or one below it, is removed
  /// as the link: the key it points at is never touched.
  virtual bool RemoveKey(const std::string& path) = 0;

  /// What a key below the root points at when it is a symbolic link (a key made with
  /// REG_OPTION_CREATE_LINK): its target as the link stores it, an NT path such as
  /// \Registry\Machine\SOFTWARE\... Nothing for an ordinary or a missing key. Opening a
  /// link opens its target, when that exists.
  virtual std::optional<std::string> LinkTarget(const std::string& path) = 0;

  // The typed operations, the same for every implementation.

  bool HasValue(const std::string& name);
  tw::ValueKind ValueKind(const std::string& name);
  /// Size in bytes, -1 when absent.
  std::int64_t ValueSize(const std::string& name);
  /// String kinds: text up to the first NUL, unexpanded. Absent or empty: "".
  /// Any other kind with data: RegistryError "Invalid data type for '%s'".
  std::string ReadText(const std::string& name);
  /// The 32-bit integer of an integer value; any other kind raises the read error.
  std::int32_t ReadNumber(const std::string& name);
  /// Binary or unknown kind with size <= capacity: copies the data and returns its size.
  /// Absent: 0, buffer untouched. Otherwise the read error.
  std::size_t ReadBytes(const std::string& name, std::uint8_t* buffer, std::size_t capacity);
  /// Stores a string value.
  void WriteText(const std::string& name, const std::string& text);
};

/// Creates store handles: every use of the registry takes a new one.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual std::unique_ptr<RegistryStore> NewStore() = 0;
  /// The registry's symbolic link keys as themselves (util/RegKeyTree.h), or nullptr for a
  /// registry that cannot make them.
  virtual SymbolicLinks* Links() { return nullptr; }
};

/// The text of a string-kind value read from the store, as ReadText gives it: "" for no value
/// or empty data, the text up to the first NUL for string kinds, the read error otherwise.
std::string TextOfStringValue(const std::string& name, const std::optional<RegValue>& value);

/// The read error text for a value name.
std::string InvalidDataTypeText(const std::string& name);
/// The write error text for a value name.
std::string FailedToSetDataText(const std::string& name);

}  // namespace tw
