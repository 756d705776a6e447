#pragma once
// Builds catalogue entries and usage records in a memory registry for tests.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/MemoryRegistryStore.h"

namespace tw::test {

inline constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kWowUninstallKey =
    "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const char* kArpCacheKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

/// A multi-string value of exactly these code units (NULs included), as the registry keeps
/// it: u"One\0Two\0\0"sv.
inline RegValue MultiValue(std::u16string_view units) {
  RegValue value{RegType::MultiString, {}};
  for (char16_t c : units) value.data.insert(value.data.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
  return value;
}

/// A 64-bit number value, its eight bytes little-endian.
inline RegValue QwordValue(std::uint64_t number) {
  RegValue value{RegType::Qword, {}};
  for (int i = 0; i < 8; ++i) value.data.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
  return value;
}

/// Sets a value of a key (created when missing).
void SetValue(MemoryRegistry& registry, RootKeyHandle root, const std::string& key,
              const std::string& name, const RegValue& value);

/// Adds a catalogue entry below `catalogue` with a display name and an uninstall command
/// as string values.
void AddEntry(MemoryRegistry& registry, RootKeyHandle root, const std::string& subKey,
              const std::string& displayName, const std::string& command,
              const std::string& catalogue = kUninstallKey);

/// A 552-byte usage record.
std::vector<std::uint8_t> UsageRecordBytes(std::int64_t size, std::uint64_t lastUse,
                                           std::uint32_t count, const std::u16string& target);

/// Stores a usage record for a catalogue sub key in the local machine's cache.
void AddUsage(MemoryRegistry& registry, const std::string& subKey, const RegValue& record);

}  // namespace tw::test
