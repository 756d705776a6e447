#pragma once
// The shell's cached usage record of a catalogue entry: size, last use, use count and the
// program file (Target), kept as the 552-byte binary value "SlowInfoCache" below
// HKEY_LOCAL_MACHINE\...\App Management\ARPCache\<sub key name>.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "util/Platform.h"

namespace tw {

inline constexpr std::size_t kUsageRecordSize = 552;

/// The decoded usage record of one program.
struct UsageRecord {
  std::int64_t size = 0;          ///< bytes; negative means unknown
  std::uint64_t lastUse = 0;      ///< UTC file time; 0 means never
  std::uint32_t useCount = 0;
  std::string target;             ///< program file, UTF-8
};

/// The texts a list row shows of a usage record.
struct UsageTexts {
  std::string target;
  std::string size;
  std::string lastUsedOn;
  std::string frequency;
};

/// Decodes a record; false unless it is exactly 552 bytes. The Target ends at the first NUL
/// character or at the end of the record.
bool DecodeUsageRecord(const std::vector<std::uint8_t>& bytes, UsageRecord& record);

/// Reads the record of a catalogue sub key from the local machine's usage cache. On failure
/// (no key, no value, wrong size or kind) the record keeps 0, 0, 0 and "".
bool ReadUsageRecord(Registry& registry, const std::string& subKeyName, UsageRecord& record);

/// "rarely" (0 to 2), "occasionally" (3 to 10), "frequently" (11 to 2147483647), or ""
/// (2147483648 and above).
std::string FrequencyText(std::uint32_t count);

/// The Size text of a record's size: "%10.1n MB" of the bytes; negative gives "".
std::string UsageSizeText(Locale& locale, std::int64_t size);

/// The Last Used On text of a record's last use: "yyyy-mm-dd" of the local date; 0 gives "".
std::string UsageLastUsedText(TimeZone& zone, std::uint64_t lastUse);

/// The row texts of a record: "%10.1n MB" of the size, "yyyy-mm-dd" of the last use and the
/// frequency word.
UsageTexts MakeUsageTexts(Locale& locale, TimeZone& zone, const UsageRecord& record);

/// The usage lookup of the catalogue scan: no record, or the record.
std::optional<UsageRecord> LookupUsage(Registry& registry, const std::string& subKeyName);

/// A text that two names share whenever the registry takes them for the same name (it
/// compares names without regard to case): letters a to z upper-cased, the dotless i and the
/// long s as the I and S they upper-case to, and every other character outside ASCII as one
/// and the same placeholder. Names that differ only outside ASCII share it too; an open of
/// the key tells them apart.
std::string RegistryNameKey(std::string_view name);

/// The usage cache's record names, listed once for a whole scan: most catalogue entries have
/// no record, and a lookup opens only the records whose name is listed.
class UsageCacheIndex {
 public:
  /// Lists the record names of the local machine's cache; without the cache there are none.
  explicit UsageCacheIndex(Registry& registry);

  /// Whether the cache exists on this system.
  bool CacheExists() const { return cacheExists_; }
  /// Whether a record of this catalogue sub key name may exist: false when no listed name
  /// is the same name to the registry.
  bool MayHaveRecord(const std::string& subKeyName) const;
  /// The record of a catalogue sub key name, as LookupUsage reads it, or nothing.
  std::optional<UsageRecord> Lookup(const std::string& subKeyName) const;

 private:
  Registry& registry_;
  bool cacheExists_ = false;
  std::unordered_set<std::string> names_;  ///< RegistryNameKey of every record name
};

}  // namespace tw
