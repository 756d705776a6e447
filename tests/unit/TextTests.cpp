#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {
namespace {

TEST(Text, AsciiUpperTouchesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpper("abc xyz 09 {}"), "ABC XYZ 09 {}");
  EXPECT_EQ(AsciiUpper("caf\xC3\xA9"), "CAF\xC3\xA9");  // é stays as it is
}

TEST(Text, Utf16RoundTripsIncludingSurrogatesAndBadInput) {
  const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A é € 😀
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16(text).size(), 5u);
  // An unpaired surrogate and a broken UTF-8 sequence both become U+FFFD.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), std::u16string(1, char16_t(0xFFFD)));
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), (std::u16string{char16_t(0xFFFD), char16_t(0xFFFD)}));
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
