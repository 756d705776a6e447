#include "util/Text.h"

#include <limits>

namespace tw {

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The trail surrogate whose 3-byte sequence starts at `at`, or 0 when none does.
char32_t TrailSurrogateAt(std::string_view s, std::size_t at) {
  if (at + 2 >= s.size()) return 0;
  const auto b0 = static_cast<unsigned char>(s[at]);
  const auto b1 = static_cast<unsigned char>(s[at + 1]);
  const auto b2 = static_cast<unsigned char>(s[at + 2]);
  if (b0 != 0xED || (b1 & 0xF0) != 0xB0 || !IsContinuation(b2)) return 0;
  return 0xD000 | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
}

}  // namespace

namespace {

// Decodes one code point at `i`: true, with the code point, and `i` past it; false for an
// invalid sequence, with `i` moved one byte.
bool DecodeOne(std::string_view s, std::size_t& i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    cp = b0;
    return true;
  }
  int extra = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1; cp = b0 & 0x1F; min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2; cp = b0 & 0x0F; min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3; cp = b0 & 0x07; min = 0x10000;
  } else {
    ++i;
    return false;
  }
  if (i + extra >= s.size()) {
    ++i;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if (!IsContinuation(b)) {
      ++i;
      return false;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) {
    ++i;
    return false;
  }
  i += extra + 1;
  if (cp >= 0xD800 && cp <= 0xDBFF) {
    if (const char32_t trail = TrailSurrogateAt(s, i)) {
      i += 3;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (trail - 0xDC00);
    }
  }
  return true;
}

}  // namespace

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  char32_t cp = 0;
  return DecodeOne(s, i, cp) ? cp : 0xFFFD;
}

std::size_t FirstInvalidUtf8Byte(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t at = i;
    char32_t cp = 0;
    if (!DecodeOne(text, i, cp)) return at;
  }
  return std::string_view::npos;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    // An unpaired surrogate is written as its own 3-byte sequence.
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  AppendUtf16(text, out);
  return out;
}

std::string Utf16LeBytesToUtf8(const std::uint8_t* data, std::size_t size) {
  std::u16string units;
  units.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    units.push_back(c);
  }
  return Utf16ToUtf8(units);
}

std::vector<std::uint8_t> Utf8ToUtf16LeBytes(std::string_view text) {
  const std::u16string units = Utf8ToUtf16(text);
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2 + 2);
  for (char16_t c : units) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::string DropLeadingChars(std::string_view text, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < count; ++n) {
    if (i >= text.size()) return {};
    NextCodePoint(text, i);
  }
  return std::string(text.substr(i));
}

std::string OneLine(std::string text) {
  for (char& ch : text) {
    if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
  }
  return text;
}

std::string FormatText(std::string_view pattern, const std::vector<std::string>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == 's') {
        if (next < args.size()) out += args[next];
        ++next;
        ++i;
        continue;
      }
      if (pattern[i + 1] == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
    }
    out.push_back(pattern[i]);
  }
  return out;
}

bool ParseDecimal(std::string_view text, std::int64_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  // Accumulate as a negative number so that the 64-bit minimum parses too.
  std::int64_t acc = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (acc < (kMin + digit) / 10) return false;
    acc = acc * 10 - digit;
  }
  if (!negative) {
    if (acc == kMin) return false;
    acc = -acc;
  }
  value = acc;
  return true;
}

}  // namespace tw
