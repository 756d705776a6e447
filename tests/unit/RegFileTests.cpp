// The .reg format both ways: literal files as the system's editor writes them, round trips of
// every type and of names and data the format must escape or spell as hex, the other
// encodings it reads, and the errors it refuses with their lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Fakes.h"
#include "support/RegFileValues.h"
#include "util/RegFile.h"

namespace tw {
namespace {

using namespace std::string_literals;
using test::Sequence;
using test::Sz;
using test::Units;

// A file's bytes from its text: the UTF-16 LE byte-order mark and the text's code units.
std::string Utf16File(std::u16string_view text) {
  const std::vector<std::uint8_t> units = Units(text);
  return "\xFF\xFE" + std::string(units.begin(), units.end());
}

// What the system's editor under Wine wrote for this key (regedit /E), byte for byte.
constexpr std::u16string_view kRegeditExport =
    u"Windows Registry Editor Version 5.00\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\RfGold\\Entry]\r\n"
    u"@=\"Default \\\"quoted\\\" C:\\\\path\"\r\n"
    u"\"be\"=hex(5):00,00,01,00\r\n"
    u"\"big type\"=hex(100000):\r\n"
    u"\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
    u"  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29\r\n"
    u"\"dw\"=dword:0000abcd\r\n"
    u"\"eq=\\\"\\\\\"=\"a=b\"\r\n"
    u"\"expand\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
    u"  00,25,00,5c,00,73,00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,00,00\r\n"
    u"\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    u"\"na\\nme\"=\"x\"\r\n"
    u"\"none\"=hex(0):\r\n"
    u"\"odd type\"=hex(3039):01\r\n"
    u"\"qword\"=hex(b):88,77,66,55,44,33,22,11\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\RfGold\\Entry\\e]mpty]\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\RfGold\\Entry\\Sub]\r\n"
    u"\"x\"=\"y\"\r\n"
    u"\r\n";

RegFile RegeditExportModel() {
  const std::string key = "HKEY_CURRENT_USER\\Software\\RfGold\\Entry";
  RegFile file;
  file.keys.push_back({key,
                       {{"", Sz(u"Default \"quoted\" C:\\path")},
                        {"be", {RegType::DwordBigEndian, {0, 0, 1, 0}}},
                        {"big type", {0x100000, {}}},
                        {"bin", {RegType::Binary, Sequence(42)}},
                        {"dw", RegValue::Number(0xABCD)},
                        {"eq=\"\\", Sz(u"a=b")},
                        {"expand", Sz(u"%SystemRoot%\\system32", RegType::ExpandString)},
                        {"multi", {RegType::MultiString, Units(u"a\0b\0\0"s)}},
                        {"na\nme", Sz(u"x")},
                        {"none", {RegType::None, {}}},
                        {"odd type", {12345, {1}}},
                        {"qword", {RegType::Qword, {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}}}}});
  file.keys.push_back({key + "\\e]mpty", {}});
  file.keys.push_back({key + "\\Sub", {{"x", Sz(u"y")}}});
  return file;
}

TEST(RegFile, WritesWhatTheSystemsEditorWrites) {
  EXPECT_EQ(WriteRegFile(RegeditExportModel()), Utf16File(kRegeditExport));
}

TEST(RegFile, ReadsWhatTheSystemsEditorWrites) {
  const RegFile file = ReadRegFile(Utf16File(kRegeditExport));
  EXPECT_EQ(file, RegeditExportModel());
  EXPECT_EQ(file.keys[1].line, 19);
  EXPECT_EQ(file.keys[0].values[3].line, 7);
}

// Values the registry may hold that a quoted string or a dword would not give back exactly,
// with the line each must be written as.
TEST(RegFile, WritesInexactStringsAndNumbersAsHex) {
  const struct {
    RegFileValue value;
    std::u16string_view line;
  } cases[] = {
      {{"no NUL", {RegType::String, Units(u"AB")}}, u"\"no NUL\"=hex(1):41,00,42,00"},
      {{"odd", {RegType::String, {0x41, 0, 0x42}}}, u"\"odd\"=hex(1):41,00,42"},
      {{"empty", {RegType::String, {}}}, u"\"empty\"=hex(1):"},
      {{"inner NUL", {RegType::String, Units(u"A\0B\0"s)}}, u"\"inner NUL\"=hex(1):41,00,00,00,42,00,00,00"},
      {{"lines", Sz(u"a\r\nb")}, u"\"lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00"},
      {{"short", {RegType::Dword, {1, 2}}}, u"\"short\"=hex(4):01,02"},
      {{"long", {RegType::Dword, {1, 2, 3, 4, 5}}}, u"\"long\"=hex(4):01,02,03,04,05"},
      {{"lone", Sz(u"\xD800x")}, u"\"lone\"=\"\xD800x\""},
      {{"gone", {}, true}, u"\"gone\"=-"},
  };
  for (const auto& c : cases) {
    const RegFile file{{{"HKEY_CURRENT_USER\\K", {c.value}}}};
    const std::u16string expected = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n" +
                                    std::u16string(c.line) + u"\r\n\r\n";
    EXPECT_EQ(WriteRegFile(file), Utf16File(expected)) << c.value.name;
    EXPECT_EQ(ReadRegFile(WriteRegFile(file)), file) << c.value.name;
  }
}

TEST(RegFile, EveryTypeAndAwkwardNamesRoundTrip) {
  const std::string lone = "\xED\xA0\x80";  // an unpaired high surrogate
  RegFile file{{{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Name \"with\" = and " + lone + " and ]", {}, false, false}}};
  const std::uint32_t types[] = {0, 1, 2, 3, 4, 5, 6, 7, 11, 0x100000, 12345, 0xFFFFFFFF};
  for (std::uint32_t type : types) {
    for (int size : {0, 1, 4, 77, 300}) {
      file.keys[0].values.push_back({std::to_string(type) + "/" + std::to_string(size), {type, Sequence(size)}});
    }
  }
  for (const std::string& name : {std::string("q\"uote"), std::string("back\\slash"), std::string("a=b"),
                                  std::string("cr\rlf\n"), lone + "x", "x" + lone, std::string("@"),
                                  std::string(" lead and trail "), std::string(200, 'n')}) {
    file.keys[0].values.push_back({name, Sz(u"\"\\=\xDC00 text")});
  }
  file.keys.push_back({file.keys[0].path + "\\" + lone + "sub", {{"", Sz(u"default")}}});
  EXPECT_EQ(ReadRegFile(WriteRegFile(file)), file);
}

TEST(RegFile, ReadsTheOtherEncodingsAndLayouts) {
  test::Cp1252Codec cp1252;
  const RegFile expected{{{"HKEY_CURRENT_USER\\Caf\xC3\xA9",
                           {{"s", Sz(u"caf\u00E9 \u20AC")},
                            {"e", {RegType::ExpandString, Units(u"caf\u00E9\0"s)}},
                            {"m", {RegType::MultiString, Units(u"a\0b\0\0"s)}},
                            {"b", {RegType::Binary, {0xE9}}}}}}};
  // An ANSI file as the system's editor writes it: string data in hex is ANSI text.
  EXPECT_EQ(ReadRegFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Caf\xE9]\r\n\"s\"=\"caf\xE9 \x80\"\r\n"
                        "\"e\"=hex(2):63,61,66,e9\r\n\"m\"=hex(7):61,00,62,00,00\r\n\"b\"=hex:e9\r\n",
                        &cp1252),
            expected);
  // UTF-8 with and without its mark, line feeds alone, comments, blanks and spacing.
  const std::string utf8 =
      "Windows Registry Editor Version 5.00\n; a comment\n[HKEY_CURRENT_USER\\Caf\xC3\xA9]  ; key\n"
      "  \"s\" = \"caf\xC3\xA9 \xE2\x82\xAC\"\n\"e\"=hex(2):63,61,66,c3,a9\n"
      "\"m\"=hex(7):61,00,\\\n\n ; between\n  62,00,00\n\"b\"=hex:E9 ; upper case\n";
  EXPECT_EQ(ReadRegFile(utf8), expected);
  EXPECT_EQ(ReadRegFile("\xEF\xBB\xBF" + utf8), expected);
}

TEST(RegFile, RefusesInvalidFilesWithTheLine) {
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n";
  const struct {
    std::string bytes;
    int line;
    std::string message;
  } cases[] = {
      {"", 1, "not a registry file"},
      {"REGEDIT5\r\n", 1, "not a registry file"},
      {Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"a\"=\"b\"\r\n").substr(0, 132), 4, "ends in the middle of this line"},
      {Utf16File(u"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n") + "x", 4, "middle of a character"},
      {head + "\"a\"=hex:01,\\\r\n", 4, "file ends before the value"},
      {head + "\"a\"=hex:01,\\\r\n  02,0g\r\n", 5, "bad hex digit"},
      {head + "\"a\"=hex:01 02\r\n", 4, "comma must separate"},
      {head + "\"a\"=hex:123\r\n", 4, "more than two digits"},
      {head + "\"a\"=qword:1\r\n", 4, "type is unknown"},
      {head + "\"a\"=hex(0x1):00\r\n", 4, "type is unknown"},
      {head + "\"a\"=dword:123456789\r\n", 4, "more than eight"},
      {head + "\"a\"=dword:12x\r\n", 4, "bad hex digit"},
      {head + "\"a\"=\"open\r\n", 4, "no closing quote"},
      {head + "\"a\"=\"\\t\"\r\n", 4, "unknown escape \\t"},
      {head + "\"a\"=\"b\" c\r\n", 4, "text after the string"},
      {head + "\"a\" \"b\"\r\n", 4, "an = must follow"},
      {head + "junk\r\n", 4, "neither a key nor a value"},
      {"REGEDIT4\r\n\"a\"=\"b\"\r\n", 2, "before the first key"},
      {"REGEDIT4\r\n[-HKEY_CURRENT_USER\\K]\r\n\"a\"=\"b\"\r\n", 3, "removes its key"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\K\r\n", 2, "no closing ]"},
      {"REGEDIT4\r\n[HKLM\\K]\r\n", 2, "root key"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\\\K]\r\n", 2, "empty key name"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\K] x\r\n", 2, "text after the key name"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\K\xE9]\r\n", 2, "ANSI code page"},
      {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K\xE9]\r\n", 3, "not valid UTF-8"},
      {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\K]\r\n\"e\"=hex(2):c3\r\n", 3, "not valid UTF-8"},
      {Utf16File(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\K\0]\r\n"s), 2, "NUL character"},
  };
  for (const auto& c : cases) {
    try {
      ReadRegFile(c.bytes);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const RegFileError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("Line " + std::to_string(c.line) + ": ", 0), 0u) << e.what();
    }
  }
}

// The messages that name the part of a line at fault, in full: each part has its own words.
TEST(RegFile, NamesThePartOfTheLineAtFault) {
  const std::string head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n";
  const struct {
    std::string bytes;
    std::string message;
  } cases[] = {
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\K] x\r\n", "Line 2: there is text after the key name"},
      {head + "\"a\"=\"b\" c\r\n", "Line 3: there is text after the string"},
      {head + "\"a\"=- c\r\n", "Line 3: there is text after the - that removes the value"},
      {head + "\"a\"=dword:1 c\r\n", "Line 3: there is text after the dword"},
      {head + "\"a\"=hex:01,\\ c\r\n02\r\n", "Line 3: there is text after the backslash that continues the value"},
      {head + "\"a\\t\"=\"b\"\r\n", "Line 3: the value name holds an unknown escape \\t"},
      {head + "\"a\r\n", "Line 3: the value name has no closing quote"},
      {head + "\"a\"=\"\\x\"\r\n", "Line 3: the string holds an unknown escape \\x"},
      {head + "\"a\"=\"b\r\n", "Line 3: the string has no closing quote"},
      {head + "\"a\"=dword:\r\n", "Line 3: a dword needs a hex number"},
      {head + "\"a\"=dword:123456789\r\n", "Line 3: a dword has more than eight hex digits"},
      {head + "\"a\"=hex():00\r\n", "Line 3: the type in hex(type) needs a hex number"},
      {head + "\"a\"=hex(123456789):00\r\n", "Line 3: the type in hex(type) has more than eight hex digits"},
  };
  for (const auto& c : cases) {
    try {
      ReadRegFile(c.bytes);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const RegFileError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(RegFile, RefusesToWriteWhatNoLineCanHold) {
  const RegFile cases[] = {
      {{{"HKEY_CURRENT_USER\\K\r\nL", {}}}},
      {{{"HKLM\\K", {}}}},
      {{{"HKEY_CURRENT_USER\\K\\", {}}}},
      {{{"HKEY_CURRENT_USER\\K", {{"a\0b"s, Sz(u"")}}}}},
      {{{"HKEY_CURRENT_USER\\K", {{"v", Sz(u"")}}, false, true}}},
  };
  for (const RegFile& file : cases) EXPECT_THROW(WriteRegFile(file), RegFileError) << file.keys[0].path;
}

}  // namespace
}  // namespace tw
