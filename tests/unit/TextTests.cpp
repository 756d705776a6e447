#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {
namespace {

TEST(Text, AsciiUpperTouchesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpper("abc xyz 09 {}"), "ABC XYZ 09 {}");
  EXPECT_EQ(AsciiUpper("caf\xC3\xA9"), "CAF\xC3\xA9");  // é stays as it is
}

// UTF-16 code units and their generalized UTF-8: every unit comes back, an unpaired
// surrogate included (registry names may hold one).
TEST(Text, Utf16RoundTripsEveryCodeUnitIncludingUnpairedSurrogates) {
  struct Case {
    const char* label;
    std::u16string units;
    std::string bytes;
  };
  const Case cases[] = {
      {"A e-acute euro smiley", {u'A', 0xE9, 0x20AC, 0xD83D, 0xDE00}, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"lone lead inside", {u'a', 0xD800, u'b'}, "a\xED\xA0\x80" "b"},
      {"lone lead at the end", {u'x', 0xDBFF}, "x\xED\xAF\xBF"},
      {"lone trail", {0xDC00}, "\xED\xB0\x80"},
      {"last trail", {0xDFFF, u'.'}, "\xED\xBF\xBF."},
      {"trail before lead", {0xDC00, 0xD800}, "\xED\xB0\x80\xED\xA0\x80"},
      {"two leads", {0xD800, 0xDBFF}, "\xED\xA0\x80\xED\xAF\xBF"},
      {"lead then a plain unit", {0xD800, 0xE000}, "\xED\xA0\x80\xEE\x80\x80"},
      {"pair after a lone trail", {0xDC00, 0xD83D, 0xDE00}, "\xED\xB0\x80\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Utf16ToUtf8(c.units), c.bytes);
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.units);
    std::vector<std::uint8_t> le;
    for (char16_t unit : c.units) {
      le.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      le.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    EXPECT_EQ(Utf16LeBytesToUtf8(le.data(), le.size()), c.bytes);
    le.insert(le.end(), {0, 0});
    EXPECT_EQ(Utf8ToUtf16LeBytes(c.bytes), le);
  }
}

// Bytes that are neither UTF-8 nor an unpaired surrogate's sequence read as U+FFFD, one per
// byte that starts no character.
TEST(Text, Utf8ThatIsInvalidBecomesReplacementCharacters) {
  constexpr char16_t R = 0xFFFD;
  struct Case {
    const char* label;
    std::string bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {"cut two-byte sequence", "\xC3", {R}},
      {"cut three-byte sequence", "\xE2\x82", {R, R}},
      {"cut surrogate sequence", "\xED\xA0", {R, R}},
      {"overlong slash", "\xC0\xAF", {R, R}},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
      {"stray continuation", "a\x80" "b", {u'a', R, u'b'}},
      {"byte FF", "\xFF", {R}},
      // A lead and a trail surrogate written apart make their pair, as joining two texts does.
      {"pair written as two sequences", "\xED\xA0\xBD\xED\xB8\x80", {0xD83D, 0xDE00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.units);
  }
}

TEST(Text, Utf16LeBytesStopAtFirstNulAndIgnoreOddByte) {
  const std::uint8_t bytes[] = {'H', 0, 'i', 0, 0, 0, 'X', 0};
  EXPECT_EQ(Utf16LeBytesToUtf8(bytes, sizeof bytes), "Hi");
  const std::uint8_t odd[] = {'O', 0, 'K', 0, 'Z'};
  EXPECT_EQ(Utf16LeBytesToUtf8(odd, sizeof odd), "OK");
  EXPECT_EQ(Utf16LeBytesToUtf8(nullptr, 0), "");
  EXPECT_EQ(Utf8ToUtf16LeBytes("A"), (std::vector<std::uint8_t>{'A', 0, 0, 0}));
}

TEST(Text, DropLeadingCharsCountsCharactersNotBytes) {
  EXPECT_EQ(DropLeadingChars("\xC3\xA9\xC3\xA9\xC3\xA9rest", 3), "rest");
  EXPECT_EQ(DropLeadingChars("ab", 3), "");
  EXPECT_EQ(DropLeadingChars("abc", 3), "");
  EXPECT_EQ(DropLeadingChars("\xED\xA0\x80" "abc", 3), "c");  // an unpaired surrogate is one character
}

TEST(Text, FormatMessageFillsPlaceholdersInOrder) {
  EXPECT_EQ(FormatText("Invalid data type for '%s'", "DisplayName"),
            "Invalid data type for 'DisplayName'");
  EXPECT_EQ(FormatText("%s and %s, 100%%", std::vector<std::string>{"a", "b"}), "a and b, 100%");
  EXPECT_EQ(FormatText("%s %s", std::vector<std::string>{"only"}), "only ");
  // A placeholder's text is never read as a pattern.
  EXPECT_EQ(FormatText("[%s]", "%s%%"), "[%s%%]");
}

TEST(Text, ParseDecimalAcceptsOnlyWholeNumbersInRange) {
  struct Case {
    const char* text;
    bool ok;
    std::int64_t value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"2048", true, 2048},
      {"-1", true, -1},
      {"+7", true, 7},
      {"9223372036854775807", true, INT64_MAX},
      {"-9223372036854775808", true, INT64_MIN},
      {"9223372036854775808", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"12a", false, 0},
      {"0x10", false, 0},
      {"1.5", false, 0},
  };
  for (const auto& c : cases) {
    std::int64_t value = 123;
    EXPECT_EQ(ParseDecimal(c.text, value), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(KeyPaths, RootNamesAndInvalidHandles) {
  EXPECT_EQ(RootKeyName(0x80000000u), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(RootKeyName(0x80000002u), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeyName(0x80000006u), "HKEY_DYN_DATA");
  EXPECT_EQ(RootKeyName(0x80000007u), "INVALID KEY");
  EXPECT_EQ(RootKeyName(0), "INVALID KEY");
}

TEST(KeyPaths, SplittingFullKeyPaths) {
  struct Case {
    const char* path;
    RootKeyHandle root;
    const char* sub;
  };
  const Case cases[] = {
      {"hkey_local_machine\\Software\\X", RootKey::LocalMachine, "Software\\X"},
      {"HKEY_CURRENT_USER\\a\\b\\c", RootKey::CurrentUser, "a\\b\\c"},
      {"HKEY_LOCAL_MACHINE", RootKey::Invalid, "HKEY_LOCAL_MACHINE"},
      {"HKLM\\Software", RootKey::Invalid, "Software"},
      {"HKEY_USERS\\", RootKey::Users, ""},
      {"\\", RootKey::Invalid, ""},
      {"", RootKey::Invalid, ""},
      {"HKEY_LOCAL_MACHINEX\\A", RootKey::Invalid, "A"},
      {" HKEY_LOCAL_MACHINE\\A", RootKey::Invalid, "A"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractRootKey(c.path), c.root) << c.path;
    EXPECT_EQ(ExtractSubKey(c.path), c.sub) << c.path;
  }
  EXPECT_EQ(MakeFullKeyPath(RootKey::CurrentUser, "Software\\A"), "HKEY_CURRENT_USER\\Software\\A");
}

}  // namespace
}  // namespace tw
