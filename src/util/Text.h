#pragma once
// Text helpers of the portable core. Every text inside the program is UTF-8 in std::string;
// UTF-16 appears only where registry data or the Win32 boundary carries it.
//
// The UTF-8 is generalized (WTF-8): a UTF-16 code unit that is an unpaired surrogate, as the
// registry allows in key and value names and in string data, is kept as its own 3-byte
// sequence (ED A0..BF xx), so that a name read from the system converts back to exactly the
// code units it had. Bytes that are no such sequence and no UTF-8 still read as U+FFFD.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

/// Upper-cases the ASCII letters a to z only; every other byte stays as it is.
std::string AsciiUpper(std::string_view text);

/// Appends the UTF-8 bytes of a code point; a surrogate code point gets three bytes of its
/// own, as WTF-8 carries unpaired surrogates.
void AppendUtf8(std::string& out, char32_t cp);

/// Converts UTF-16 code units to UTF-8; an unpaired surrogate keeps its own 3-byte sequence.
std::string Utf16ToUtf8(std::u16string_view text);

/// The code point of UTF-8 text at byte `i`, which moves past it. An unpaired surrogate's
/// sequence gives the surrogate itself; a lead surrogate's sequence directly followed by a
/// trail surrogate's gives the character the pair makes (as two texts joined give it). Any
/// other invalid sequence gives U+FFFD and moves one byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

/// The offset of the first byte of text that is no UTF-8 (unpaired surrogates' sequences
/// count as valid), or npos when there is none.
std::size_t FirstInvalidUtf8Byte(std::string_view text);

/// Appends the UTF-16 units of UTF-8 text to a string of 16-bit units (char16_t, or the
/// Win32 boundary's wchar_t); an unpaired surrogate's sequence gives back that code unit,
/// other invalid sequences become U+FFFD.
template <class Utf16String>
void AppendUtf16(std::string_view text, Utf16String& out) {
  using Unit = typename Utf16String::value_type;
  static_assert(sizeof(Unit) == 2, "UTF-16 code units");
  out.reserve(out.size() + text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp >= 0x10000) {
      out.push_back(static_cast<Unit>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<Unit>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<Unit>(cp));
    }
  }
}

/// Converts UTF-8 to UTF-16, as AppendUtf16 does.
std::u16string Utf8ToUtf16(std::string_view text);

/// Decodes little-endian UTF-16 bytes up to the first NUL character (or the end) as UTF-8.
/// A trailing odd byte is ignored.
std::string Utf16LeBytesToUtf8(const std::uint8_t* data, std::size_t size);

/// Encodes UTF-8 text as little-endian UTF-16 bytes followed by one NUL character, the way
/// the registry stores string values.
std::vector<std::uint8_t> Utf8ToUtf16LeBytes(std::string_view text);

/// Drops the first `count` characters (code points) of UTF-8 text; shorter text gives "".
std::string DropLeadingChars(std::string_view text, std::size_t count);

/// A text as one line of a text file: control characters (a line break, a form feed, a tab)
/// become blanks, so that a name stored with them can neither split nor forge lines.
std::string OneLine(std::string text);

/// Replaces each "%s" of a message template, in order, by the given texts; "%%" gives "%".
std::string FormatText(std::string_view pattern, const std::vector<std::string>& args);
inline std::string FormatText(std::string_view pattern, const std::string& arg) {
  return FormatText(pattern, std::vector<std::string>{arg});
}

/// Parses a whole signed decimal integer (optional sign, digits only, no blanks).
/// Returns false for anything else and for values outside the 64-bit range.
bool ParseDecimal(std::string_view text, std::int64_t& value);

}  // namespace tw
