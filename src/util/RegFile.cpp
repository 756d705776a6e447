#include "util/RegFile.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "util/AppStrings.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {

namespace {

constexpr std::string_view kHeaderUnicode = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderAnsi = "REGEDIT4";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The system's editor starts a new line once a line of hex bytes reaches this many
// characters, counting three for each byte written so far (see AppendHexData).
constexpr std::size_t kHexWrapColumn = 77;

// --- Text that may hold unpaired surrogates ---------------------------------------------
// The registry's names and the file's text are UTF-16 and may hold unpaired surrogates;
// inside the program they are UTF-8 with each unpaired surrogate as its own three-byte
// sequence, which the text helpers keep both ways.

// Decodes text into `out`; each invalid byte becomes U+FFFD. Returns the offset of the
// first invalid byte, or npos when there is none.
std::size_t Wtf8ToUtf16(std::string_view text, std::u16string& out) {
  AppendUtf16(text, out);
  return FirstInvalidUtf8Byte(text);
}

std::u16string UnitsOfBytes(const std::vector<std::uint8_t>& data) {
  std::u16string units;
  units.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return units;
}

void AppendUnitsAsBytes(std::u16string_view units, std::vector<std::uint8_t>& out) {
  for (char16_t c : units) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

constexpr std::u16string_view kHexDigits = u"0123456789abcdef";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// ASCII text as UTF-16.
std::u16string Ascii16(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::u16string HexNumber(std::uint32_t value, int minDigits) {
  char16_t digits[8];
  int count = 0;
  do {
    digits[7 - count++] = kHexDigits[value & 0xF];
    value >>= 4;
  } while (value != 0 || count < minDigits);
  return std::u16string(digits + 8 - count, digits + 8);
}

// The root a key path starts with (its first part, ASCII letters without case), or 0.
RootKeyHandle RootOfKeyPath(std::string_view path) {
  const std::string first = AsciiUpper(path.substr(0, path.find('\\')));
  for (RootKeyHandle root = RootKey::ClassesRoot; root <= RootKey::DynData; ++root) {
    if (first == RootKeyName(root)) return root;
  }
  return RootKey::Invalid;
}

// Why a key path cannot name a key: no known root, or an empty name in it. "" when it can.
std::string KeyPathProblem(std::string_view path) {
  if (RootOfKeyPath(path) == RootKey::Invalid) {
    return LoadStr(StrId::RegFileNoRootKey);
  }
  std::size_t start = path.find('\\');
  while (start != std::string_view::npos) {
    const std::size_t next = path.find('\\', start + 1);
    const std::size_t end = next == std::string_view::npos ? path.size() : next;
    if (end == start + 1) return LoadStr(StrId::RegFileEmptyKeyName);
    start = next;
  }
  return {};
}

// --- Writer -----------------------------------------------------------------------------

// A name or string as a quoted field: backslash and quote escaped, and line breaks as \r
// and \n, as the system's editor writes them in value names.
std::u16string Quoted(std::u16string_view text) {
  std::u16string out(1, u'"');
  out.reserve(text.size() + 2);
  for (char16_t c : text) {
    switch (c) {
      case u'\\': out += u"\\\\"; break;
      case u'"': out += u"\\\""; break;
      case u'\r': out += u"\\r"; break;
      case u'\n': out += u"\\n"; break;
      default: out.push_back(c);
    }
  }
  out.push_back(u'"');
  return out;
}

// Whether REG_SZ data reads back exactly from a quoted string: whole characters ending in
// the one NUL character, and no line break (the system's editor on Windows writes those
// unescaped, which breaks the line).
bool IsQuotableString(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  const std::u16string units = UnitsOfBytes(data);
  if (units.back() != 0) return false;
  return std::none_of(units.begin(), units.end() - 1,
                      [](char16_t c) { return c == 0 || c == u'\r' || c == u'\n'; });
}

// Appends "hex:" or "hex(type):" and the bytes, wrapped as the system's editor wraps them:
// the count starts at the line's length so far and grows by three for each byte followed
// by a comma; when it reaches kHexWrapColumn the line ends in a backslash and the next
// starts with two spaces.
void AppendHexData(std::u16string& line, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  line += type == RegType::Binary ? std::u16string(u"hex:") : u"hex(" + HexNumber(type, 1) + u"):";
  std::size_t column = line.size();
  line.reserve(line.size() + data.size() * 3 + data.size() / 25 * 5);
  for (std::size_t i = 0; i < data.size(); ++i) {
    line.push_back(kHexDigits[data[i] >> 4]);
    line.push_back(kHexDigits[data[i] & 0xF]);
    if (i + 1 == data.size()) break;
    line += u',';
    column += 3;
    if (column >= kHexWrapColumn) {
      line += u"\\\r\n  ";
      column = 2;
    }
  }
}

void AppendValueLine(std::u16string& out, const RegFileValue& value, const std::string& keyPath) {
  const std::u16string name = Utf8ToUtf16(value.name);
  if (name.find(u'\0') != std::u16string::npos) {
    throw RegFileError(0, FormatText(LoadStr(StrId::RegFileNulInValueName), keyPath));
  }
  std::u16string line = name.empty() ? std::u16string(u"@") : Quoted(name);
  line += u'=';
  const RegValue& v = value.value;
  if (value.remove) {
    line += u'-';
  } else if (v.type == RegType::String && IsQuotableString(v.data)) {
    std::u16string text = UnitsOfBytes(v.data);
    text.pop_back();
    line += Quoted(text);
  } else if (v.type == RegType::Dword && v.data.size() == 4) {
    line += u"dword:" + HexNumber(static_cast<std::uint32_t>(NumberOf(v)), 8);
  } else {
    AppendHexData(line, v.type, v.data);
  }
  out += line;
  out += u"\r\n";
}

// --- Reader -----------------------------------------------------------------------------

enum class Encoding { Utf16, Utf8, Ansi };

// The line of a byte or unit offset, counting CR LF, CR and LF as one line break each.
template <class Text>
int LineOfOffset(const Text& text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }
  return line;
}

[[noreturn]] void Fail(int line, const std::string& message) { throw RegFileError(line, message); }
[[noreturn]] void Fail(int line, StrId message) { Fail(line, LoadStr(message)); }

// The messages about one kind of quoted field, each a whole sentence.
struct QuotedFieldMessages {
  StrId unknownEscape;  // with the escaped character
  StrId noClosingQuote;
};
constexpr QuotedFieldMessages kValueNameMessages{StrId::RegFileNameUnknownEscape, StrId::RegFileNameUnclosed};
constexpr QuotedFieldMessages kStringMessages{StrId::RegFileStringUnknownEscape, StrId::RegFileStringUnclosed};

// The messages about one kind of hex number, each a whole sentence.
struct HexNumberMessages {
  StrId tooManyDigits;
  StrId noDigits;
};
constexpr HexNumberMessages kDwordMessages{StrId::RegFileDwordTooLong, StrId::RegFileDwordMissing};
constexpr HexNumberMessages kHexTypeMessages{StrId::RegFileHexTypeTooLong, StrId::RegFileHexTypeMissing};

class Parser {
 public:
  Parser(std::string_view bytes, AnsiCodec* ansi) : ansi_(ansi) {
    Decode(bytes);
    SplitLines();
  }

  RegFile Parse() {
    ReadHeader();
    while (next_ < lines_.size()) {
      const std::size_t index = next_;
      const std::u16string_view line = TakeLine();
      std::size_t pos = SkipBlanks(line, 0);
      if (pos == line.size() || line[pos] == u';') continue;
      const int number = static_cast<int>(index) + 1;
      switch (line[pos]) {
        case u'[': ParseKeyLine(line, pos + 1, number); break;
        case u'@':
        case u'"': ParseValueLine(line, pos, number); break;
        default: Fail(number, StrId::RegFileNeitherKeyNorValue);
      }
    }
    MarkLinks();
    return std::move(file_);
  }

 private:
  // The file as UTF-16 text, whatever its encoding.
  void Decode(std::string_view bytes) {
    if (bytes.substr(0, 2) == kUtf16Bom) {
      encoding_ = Encoding::Utf16;
      const std::string_view body = bytes.substr(2);
      text_.resize(body.size() / 2);
      for (std::size_t i = 0; i < text_.size(); ++i) {
        text_[i] = static_cast<char16_t>(static_cast<unsigned char>(body[2 * i]) |
                                         (static_cast<unsigned char>(body[2 * i + 1]) << 8));
      }
      if (body.size() % 2 != 0) {
        Fail(LineOfOffset(text_, text_.size()), StrId::RegFileCutCharacter);
      }
      return;
    }
    // An 8-bit file. Its header is ASCII and tells the encoding: the system's editor writes
    // "REGEDIT4" files in the ANSI code page; a file in the Unicode format is UTF-8.
    const bool utf8Bom = bytes.substr(0, 3) == kUtf8Bom;
    const std::string_view body = utf8Bom ? bytes.substr(3) : bytes;
    const std::string_view first = body.substr(0, body.find_first_of("\r\n"));
    const std::string_view header = first.substr(std::min(first.find_first_not_of(" \t"), first.size()));
    if (header != kHeaderAnsi && header != kHeaderUnicode) FailNotRegistryFile();
    encoding_ = header == kHeaderAnsi && !utf8Bom ? Encoding::Ansi : Encoding::Utf8;
    if (encoding_ == Encoding::Utf8) {
      const std::size_t invalid = Wtf8ToUtf16(body, text_);
      if (invalid != std::string_view::npos) Fail(LineOfOffset(body, invalid), StrId::RegFileLineNotUtf8);
    } else {
      text_ = DecodeAnsi(body, [&](std::size_t offset) { return LineOfOffset(body, offset); });
    }
  }

  [[noreturn]] static void FailNotRegistryFile() {
    Fail(1, FormatText(LoadStr(StrId::RegFileNotRegistryFile),
                       {std::string(kHeaderUnicode), std::string(kHeaderAnsi)}));
  }

  // ANSI text as UTF-16 through the code page; without one only ASCII can be read.
  template <class LineOf>
  std::u16string DecodeAnsi(std::string_view bytes, LineOf lineOf) {
    if (ansi_ == nullptr) {
      const auto high = std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
      if (high != bytes.end()) {
        Fail(lineOf(static_cast<std::size_t>(high - bytes.begin())),
             StrId::RegFileAnsiCharacter);
      }
      return Ascii16(bytes);
    }
    return Utf8ToUtf16(ansi_->FromAnsi(std::string(bytes)));
  }

  void SplitLines() {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] != u'\r' && text_[i] != u'\n') continue;
      lines_.push_back(std::u16string_view(text_).substr(start, i - start));
      if (text_[i] == u'\r' && i + 1 < text_.size() && text_[i + 1] == u'\n') ++i;
      start = i + 1;
    }
    lastLineEnded_ = start == text_.size();
    if (!lastLineEnded_) lines_.push_back(std::u16string_view(text_).substr(start));
  }

  // The next line; a last line that no line break ends means the file was cut short.
  std::u16string_view TakeLine() {
    const std::size_t index = next_++;
    if (index + 1 == lines_.size() && !lastLineEnded_) {
      Fail(static_cast<int>(index) + 1, StrId::RegFileCutLine);
    }
    return lines_[index];
  }

  static std::size_t SkipBlanks(std::u16string_view line, std::size_t pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    return pos;
  }

  // Only blanks or a comment may follow what a line holds.
  static void ExpectLineEnd(std::u16string_view line, std::size_t pos, int number, StrId textAfter) {
    pos = SkipBlanks(line, pos);
    if (pos < line.size() && line[pos] != u';') Fail(number, textAfter);
  }

  void ReadHeader() {
    if (lines_.empty()) FailNotRegistryFile();
    const std::u16string_view header = TakeLine();
    const std::u16string_view trimmed = header.substr(SkipBlanks(header, 0));
    if (trimmed != Ascii16(kHeaderUnicode) && trimmed != Ascii16(kHeaderAnsi)) FailNotRegistryFile();
    const std::size_t nul = text_.find(u'\0');
    if (nul != std::u16string::npos) Fail(LineOfOffset(text_, nul), StrId::RegFileNulInLine);
  }

  void ParseKeyLine(std::u16string_view line, std::size_t pos, int number) {
    if (pos == line.size() || IsBlank(line[pos])) Fail(number, StrId::RegFileKeyNameMissing);
    // The key name ends at the line's last "]", so names may hold "]" themselves.
    const std::size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos || close < pos) Fail(number, StrId::RegFileKeyNameUnclosed);
    ExpectLineEnd(line, close + 1, number, StrId::RegFileTextAfterKeyName);
    RegFileKey key;
    key.line = number;
    if (line[pos] == u'-') {
      key.remove = true;
      ++pos;
    }
    key.path = Utf16ToUtf8(line.substr(pos, close - pos));
    const std::string problem = KeyPathProblem(key.path);
    if (!problem.empty()) Fail(number, problem);
    file_.keys.push_back(std::move(key));
  }

  void ParseValueLine(std::u16string_view line, std::size_t pos, int number) {
    if (file_.keys.empty()) Fail(number, StrId::RegFileValueBeforeKey);
    if (file_.keys.back().remove) Fail(number, StrId::RegFileValueOfRemovedKey);
    RegFileValue value;
    value.line = number;
    if (line[pos] == u'@') {
      ++pos;
    } else {
      value.name = Utf16ToUtf8(ReadQuoted(line, pos, number, kValueNameMessages));
    }
    pos = SkipBlanks(line, pos);
    if (pos == line.size() || line[pos] != u'=') Fail(number, StrId::RegFileEqualsMissing);
    pos = SkipBlanks(line, pos + 1);
    const std::u16string_view data = line.substr(pos);
    if (data.substr(0, 1) == u"-") {
      value.remove = true;
      ExpectLineEnd(line, pos + 1, number, StrId::RegFileTextAfterRemoval);
    } else if (data.substr(0, 1) == u"\"") {
      std::u16string text = ReadQuoted(line, pos, number, kStringMessages);
      ExpectLineEnd(line, pos, number, StrId::RegFileTextAfterString);
      text.push_back(u'\0');
      value.value.type = RegType::String;
      AppendUnitsAsBytes(text, value.value.data);
    } else if (data.substr(0, 6) == u"dword:") {
      value.value = RegValue::Number(ReadDword(line, pos + 6, number));
    } else if (data.substr(0, 4) == u"hex:") {
      value.value.type = RegType::Binary;
      value.value.data = ReadHexBytes(line, pos + 4, number);
    } else if (data.substr(0, 4) == u"hex(") {
      pos += 4;
      value.value.type = ReadHexType(line, pos, number);
      value.value.data = ReadHexBytes(line, pos, number);
      if (encoding_ != Encoding::Utf16) value.value.data = EightBitStringData(value.value, number);
    } else {
      Fail(number, StrId::RegFileUnknownType);
    }
    file_.keys.back().values.push_back(std::move(value));
  }

  // A quoted field from the opening quote at `pos`, unescaped; `pos` moves past the
  // closing quote. The escapes are \\, \", \r and \n.
  static std::u16string ReadQuoted(std::u16string_view line, std::size_t& pos, int number,
                                   const QuotedFieldMessages& messages) {
    std::u16string out;
    for (std::size_t i = pos + 1; i < line.size(); ++i) {
      const char16_t c = line[i];
      if (c == u'"') {
        pos = i + 1;
        return out;
      }
      if (c != u'\\') {
        out.push_back(c);
        continue;
      }
      if (++i == line.size()) break;
      switch (line[i]) {
        case u'\\': out.push_back(u'\\'); break;
        case u'"': out.push_back(u'"'); break;
        case u'r': out.push_back(u'\r'); break;
        case u'n': out.push_back(u'\n'); break;
        default:
          Fail(number, FormatText(LoadStr(messages.unknownEscape), Utf16ToUtf8(line.substr(i, 1))));
      }
    }
    Fail(number, messages.noClosingQuote);
  }

  // A number of one to eight hex digits at `pos`, which moves past them.
  static std::uint32_t ReadHexNumber(std::u16string_view line, std::size_t& pos, int number,
                                     const HexNumberMessages& messages) {
    std::uint32_t value = 0;
    int digits = 0;
    for (; pos < line.size() && HexDigitValue(line[pos]) >= 0; ++pos, ++digits) {
      if (digits == 8) Fail(number, messages.tooManyDigits);
      value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(line[pos]));
    }
    if (digits == 0) Fail(number, messages.noDigits);
    return value;
  }

  static std::uint32_t ReadDword(std::u16string_view line, std::size_t pos, int number) {
    pos = SkipBlanks(line, pos);
    const std::uint32_t value = ReadHexNumber(line, pos, number, kDwordMessages);
    if (pos < line.size() && !IsBlank(line[pos]) && line[pos] != u';') Fail(number, StrId::RegFileBadDwordDigit);
    ExpectLineEnd(line, pos, number, StrId::RegFileTextAfterDword);
    return value;
  }

  // The type of "hex(type):" from the digits at `pos`, which moves past "):".
  static std::uint32_t ReadHexType(std::u16string_view line, std::size_t& pos, int number) {
    const std::uint32_t type = ReadHexNumber(line, pos, number, kHexTypeMessages);
    if (line.substr(pos, 2) != u"):") Fail(number, StrId::RegFileHexTypeUnclosed);
    pos += 2;
    return type;
  }

  // Comma-separated bytes of one or two hex digits from `pos`; a backslash after a comma
  // (or first) continues them on the next line that is not blank or a comment.
  std::vector<std::uint8_t> ReadHexBytes(std::u16string_view line, std::size_t pos, int number) {
    std::vector<std::uint8_t> bytes;
    bool byteExpected = true;
    while (true) {
      pos = SkipBlanks(line, pos);
      if (pos == line.size() || line[pos] == u';') return bytes;
      const char16_t c = line[pos];
      if (!byteExpected) {
        if (c != u',') {
          Fail(number, IsAsciiAlnum(c) && HexDigitValue(c) < 0 ? StrId::RegFileBadHexDigit
                                                                : StrId::RegFileCommaMissing);
        }
        byteExpected = true;
        ++pos;
        continue;
      }
      if (c == u'\\') {
        ExpectLineEnd(line, pos + 1, number, StrId::RegFileTextAfterBackslash);
        std::tie(line, number) = ContinuationLine(number);
        pos = SkipBlanks(line, 0);
        if (HexDigitValue(line[pos]) < 0) Fail(number, StrId::RegFileBadHexDigit);
        continue;
      }
      const int high = HexDigitValue(c);
      if (high < 0) Fail(number, StrId::RegFileBadHexDigit);
      int byte = high;
      ++pos;
      if (pos < line.size() && HexDigitValue(line[pos]) >= 0) {
        byte = byte * 16 + HexDigitValue(line[pos]);
        ++pos;
        if (pos < line.size() && HexDigitValue(line[pos]) >= 0) Fail(number, StrId::RegFileLongHexByte);
      }
      bytes.push_back(static_cast<std::uint8_t>(byte));
      byteExpected = false;
    }
  }

  static bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  }

  // The line that continues hex data, with its number: the next line that is not blank or
  // a comment.
  std::pair<std::u16string_view, int> ContinuationLine(int backslashLine) {
    while (next_ < lines_.size()) {
      const int number = static_cast<int>(next_) + 1;
      const std::u16string_view line = TakeLine();
      const std::size_t pos = SkipBlanks(line, 0);
      if (pos < line.size() && line[pos] != u';') return {line, number};
    }
    Fail(backslashLine, StrId::RegFileContinuationMissing);
  }

  // In an 8-bit file the data of a string type is text in the file's encoding, which the
  // registry keeps as UTF-16 ending in a NUL character; each NUL byte is a NUL character.
  std::vector<std::uint8_t> EightBitStringData(const RegValue& value, int number) {
    if (value.type != RegType::String && value.type != RegType::ExpandString &&
        value.type != RegType::MultiString) {
      return value.data;
    }
    if (value.data.empty()) return {};
    std::string text(value.data.begin(), value.data.end());
    if (text.back() != '\0') text.push_back('\0');
    std::u16string units;
    if (encoding_ == Encoding::Utf8) {
      if (Wtf8ToUtf16(text, units) != std::string_view::npos) Fail(number, StrId::RegFileTextNotUtf8);
    } else {
      units = DecodeAnsi(text, [number](std::size_t) { return number; });
    }
    std::vector<std::uint8_t> data;
    AppendUnitsAsBytes(units, data);
    return data;
  }

  // A section of the link shape is a link key unless a key of the file lies below it.
  void MarkLinks() {
    for (auto& key : file_.keys) {
      if (key.remove || !IsLinkSection(key)) continue;
      key.link = std::none_of(file_.keys.begin(), file_.keys.end(), [&](const RegFileKey& other) {
        return other.path.size() > key.path.size() && IsSameOrBelowKey(other.path, key.path);
      });
    }
  }

  AnsiCodec* ansi_;
  Encoding encoding_ = Encoding::Utf16;
  std::u16string text_;
  std::vector<std::u16string_view> lines_;
  bool lastLineEnded_ = true;
  std::size_t next_ = 0;
  RegFile file_;
};

}  // namespace

RegFileError::RegFileError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? FormatText(LoadStr(StrId::RegFileLine), {std::to_string(line), message})
                                  : message),
      line_(line) {}

bool IsLinkSection(const RegFileKey& key) {
  return key.values.size() == 1 && !key.values[0].remove && key.values[0].value.type == RegType::Link &&
         AsciiUpper(key.values[0].name) == AsciiUpper(kSymbolicLinkValueName);
}

bool IsSameOrBelowKey(std::string_view path, std::string_view ancestor) {
  if (path.size() < ancestor.size()) return false;
  if (path.size() > ancestor.size() && path[ancestor.size()] != '\\') return false;
  return AsciiUpper(path.substr(0, ancestor.size())) == AsciiUpper(ancestor);
}

std::string WriteRegFile(const RegFile& file) {
  std::u16string text = Ascii16(kHeaderUnicode) + u"\r\n";
  for (const RegFileKey& key : file.keys) {
    const std::u16string path = Utf8ToUtf16(key.path);
    std::string problem = KeyPathProblem(key.path);
    if (problem.empty() && path.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string::npos) {
      problem = LoadStr(StrId::RegFileBreakInKeyName);
    }
    if (problem.empty() && key.link && !IsLinkSection(key)) {
      problem = LoadStr(StrId::RegFileLinkKeyShape);
    }
    if (problem.empty() && key.remove && !key.values.empty()) problem = LoadStr(StrId::RegFileRemovedKeyValues);
    if (!problem.empty()) throw RegFileError(0, FormatText(LoadStr(StrId::RegFileKeyCannotBeSaved), {key.path, problem}));
    text += key.remove ? u"\r\n[-" : u"\r\n[";
    text += path;
    text += u"]\r\n";
    for (const RegFileValue& value : key.values) AppendValueLine(text, value, key.path);
  }
  text += u"\r\n";

  std::string bytes(kUtf16Bom.size() + text.size() * 2, '\0');
  kUtf16Bom.copy(bytes.data(), kUtf16Bom.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[kUtf16Bom.size() + 2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[kUtf16Bom.size() + 2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

RegFile ReadRegFile(std::string_view bytes, AnsiCodec* ansi) { return Parser(bytes, ansi).Parse(); }

}  // namespace tw
