#pragma once
// Registry values written out for tests of the .reg format, and how GoogleTest prints a
// .reg file model when a comparison fails: one line per key and per value, data in hex.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "util/RegFile.h"

namespace tw {

namespace test {

/// The little-endian bytes of UTF-16 code units, as the registry keeps text.
inline std::vector<std::uint8_t> Units(std::u16string_view text) {
  std::vector<std::uint8_t> data;
  for (char16_t c : text) data.insert(data.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
  return data;
}

/// A string value as the registry stores text: its code units and a NUL character.
inline RegValue Sz(std::u16string_view text, std::uint32_t type = RegType::String) {
  return RegValue{type, Units(std::u16string(text) + u'\0')};
}

/// `count` bytes 0, step, 2 * step, ... (mod 256).
inline std::vector<std::uint8_t> Sequence(int count, int step = 1) {
  std::vector<std::uint8_t> data;
  for (int i = 0; i < count; ++i) data.push_back(static_cast<std::uint8_t>(i * step));
  return data;
}

}  // namespace test

/// A file model on a failed comparison: one line per key, then per value its type and bytes.
inline void PrintTo(const RegFile& file, std::ostream* out) {
  for (const RegFileKey& key : file.keys) {
    *out << "\n[" << (key.remove ? "-" : "") << key.path << "]" << (key.link ? " link" : "");
    for (const RegFileValue& value : key.values) {
      *out << "\n  \"" << value.name << "\" " << (value.remove ? "removed" : "type " + std::to_string(value.value.type));
      for (std::uint8_t b : value.value.data) *out << ' ' << "0123456789abcdef"[b >> 4] << "0123456789abcdef"[b & 0xF];
    }
  }
}

}  // namespace tw
