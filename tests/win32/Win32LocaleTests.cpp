// The user's locale, the time zone and the clock. Expectations are built from the locale
// data the system reports (separators, date and time patterns), not from an assumed locale.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "win32/Win32Locale.h"
#include "win32/WinText.h"

namespace tw {
namespace {

std::string LocaleText(LCTYPE type) {
  wchar_t buffer[128];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
  return length > 0 ? Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1))) : std::string();
}

// Expands the tokens of a short date or time pattern (d dd M MM yy yyyy h hh H HH m mm s ss
// t tt, text in single quotes) the way the locale data describes them.
std::string ExpandPattern(const std::string& pattern, const SYSTEMTIME& st) {
  std::string out;
  auto two = [](int v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", v);
    return std::string(text);
  };
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {
      const std::size_t end = pattern.find('\'', i + 1);
      out += pattern.substr(i + 1, end - i - 1);
      i = end == std::string::npos ? pattern.size() : end + 1;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    const int hour12 = st.wHour % 12 == 0 ? 12 : st.wHour % 12;
    switch (c) {
      case 'd': out += run == 1 ? std::to_string(st.wDay) : two(st.wDay); break;
      case 'M': out += run == 1 ? std::to_string(st.wMonth) : two(st.wMonth); break;
      case 'y': out += run <= 2 ? two(st.wYear % 100) : std::to_string(st.wYear); break;
      case 'h': out += run == 1 ? std::to_string(hour12) : two(hour12); break;
      case 'H': out += run == 1 ? std::to_string(st.wHour) : two(st.wHour); break;
      case 'm': out += run == 1 ? std::to_string(st.wMinute) : two(st.wMinute); break;
      case 's': out += run == 1 ? std::to_string(st.wSecond) : two(st.wSecond); break;
      case 't': {
        const std::string mark = LocaleText(st.wHour < 12 ? LOCALE_S1159 : LOCALE_S2359);
        out += run == 1 ? mark.substr(0, 1) : mark;
        break;
      }
      default: out.append(run, c);
    }
    i += run;
  }
  return out;
}

TEST(Win32Locale, FormatNumberGroupsAndRounds) {
  // The cases below spell numbers with three-digit groups and a leading minus sign.
  ASSERT_EQ(LocaleText(LOCALE_SGROUPING), "3;0") << "the prefix's locale groups differently";
  ASSERT_EQ(LocaleText(LOCALE_INEGNUMBER), "1");
  ASSERT_EQ(LocaleText(LOCALE_ILZERO), "1");
  const std::string t = LocaleText(LOCALE_STHOUSAND);
  const std::string d = LocaleText(LOCALE_SDECIMAL);
  ASSERT_FALSE(t.empty());
  ASSERT_FALSE(d.empty());

  struct Case {
    double value;
    int decimals;
    std::string expected;
  };
  const Case cases[] = {
      {0, 0, "0"},
      {1024, 0, "1" + t + "024"},
      {1023.95, 1, "1" + t + "024" + d + "0"},
      {1048575 / 1024.0, 0, "1" + t + "024"},
      {999.96, 1, "1" + t + "000" + d + "0"},
      {1073741824 / 1048576.0 / 1024, 2, "1" + d + "00"},
      {1234567.891, 2, "1" + t + "234" + t + "567" + d + "89"},
      {12, 2, "12" + d + "00"},
      {0.26, 1, "0" + d + "3"},
      {999, 0, "999"},
      {-1234.5678, 2, "-1" + t + "234" + d + "57"},
      {-0.001, 1, "0" + d + "0"},  // rounds to zero: no minus sign
      {123456789012.0, 0, "123" + t + "456" + t + "789" + t + "012"},
  };
  Win32Locale locale;
  for (const auto& c : cases) {
    EXPECT_EQ(locale.FormatNumber(c.value, c.decimals), c.expected) << c.value << " with " << c.decimals;
  }
}

TEST(Win32Locale, ShortDateAndLongTimeFollowTheLocalePatterns) {
  const std::string datePattern = LocaleText(LOCALE_SSHORTDATE);
  const std::string timePattern = LocaleText(LOCALE_STIMEFORMAT);
  ASSERT_FALSE(datePattern.empty());
  ASSERT_FALSE(timePattern.empty());
  Win32Locale locale;
  const DateTime moments[] = {
      {2003, 5, 4, 14, 5, 9, 0},
      {2026, 12, 8, 0, 0, 0, 0},
      {1999, 1, 31, 9, 7, 3, 500},
      {2010, 10, 10, 23, 59, 59, 0},
      {2010, 10, 10, 12, 0, 1, 0},
  };
  for (const auto& m : moments) {
    const SYSTEMTIME st{static_cast<WORD>(m.year), static_cast<WORD>(m.month), 0, static_cast<WORD>(m.day),
                        static_cast<WORD>(m.hour), static_cast<WORD>(m.minute), static_cast<WORD>(m.second),
                        static_cast<WORD>(m.millisecond)};
    EXPECT_EQ(locale.ShortDate(m), ExpandPattern(datePattern, st)) << datePattern;
    EXPECT_EQ(locale.LongTime(m), ExpandPattern(timePattern, st)) << timePattern;
  }
  // An impossible date gives no text rather than a wrong one.
  EXPECT_EQ(locale.ShortDate(DateTime{2003, 13, 40}), "");
}

TEST(Win32Locale, CompareIsLinguisticAndCaseSensitive) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  };
  const Case cases[] = {
      {"abc", "abc", 0},
      {"a", "b", -1},
      {"b", "a", 1},
      {"", "a", -1},
      {"apple", "Banana", -1},  // by letters, not by code (B < a in code order)
      {"a", "A", -1},           // case decides between otherwise equal texts
      {"A", "a", 1},
      {"Abc", "abd", -1},       // letters first, case only breaks ties
      {"\xC3\xA9t\xC3\xA9", "f", -1},  // "été" sorts with e, before f
      {"Program 2", "Program 10", 1},
  };
  Win32Locale locale;
  for (const auto& c : cases) {
    EXPECT_EQ(locale.Compare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
  }
}

std::uint64_t FileTimeOf(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  const SYSTEMTIME st{year, month, 0, day, hour, minute, second, 0};
  FILETIME ft{};
  EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft));
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

TEST(Win32TimeZone, LocalFileTimeUsesTheCurrentBias) {
  TIME_ZONE_INFORMATION zone{};
  const DWORD which = ::GetTimeZoneInformation(&zone);
  ASSERT_NE(which, TIME_ZONE_ID_INVALID);
  const LONG bias = zone.Bias + (which == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias);
  Win32TimeZone tz;
  const std::uint64_t utc = FileTimeOf(2003, 5, 4, 23, 30);
  std::uint64_t local = 0;
  ASSERT_TRUE(tz.ToLocalFileTime(utc, local));
  EXPECT_EQ(static_cast<std::int64_t>(local - utc), -static_cast<std::int64_t>(bias) * 60 * 10000000);
}

TEST(Win32TimeZone, DosDateTimeOnlyForTimesADosDateCanHold) {
  struct Case {
    const char* label;
    std::uint64_t fileTime;
    bool ok;
    std::uint16_t date;
    std::uint16_t time;
  };
  const Case cases[] = {
      {"2003-05-04 23:30:10", FileTimeOf(2003, 5, 4, 23, 30, 10), true, (23 << 9) | (5 << 5) | 4,
       (23 << 11) | (30 << 5) | 5},
      {"odd second rounds down", FileTimeOf(2003, 5, 4, 23, 30, 11), true, (23 << 9) | (5 << 5) | 4,
       (23 << 11) | (30 << 5) | 5},
      {"first DOS day", FileTimeOf(1980, 1, 1), true, (1 << 5) | 1, 0},
      {"last DOS second", FileTimeOf(2107, 12, 31, 23, 59, 58), true, (127 << 9) | (12 << 5) | 31,
       (23 << 11) | (59 << 5) | 29},
      {"before 1980", FileTimeOf(1979, 12, 31, 23, 59, 59), false, 0, 0},
      {"1601", 0, false, 0, 0},
      {"after 2107", FileTimeOf(2108, 1, 1), false, 0, 0},
      {"2110 would wrap to 1982", FileTimeOf(2110, 1, 4), false, 0, 0},
  };
  Win32TimeZone tz;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::uint16_t date = 0xBEEF;
    std::uint16_t time = 0xBEEF;
    EXPECT_EQ(tz.ToDosDateTime(c.fileTime, date, time), c.ok);
    if (c.ok) {
      EXPECT_EQ(date, c.date);
      EXPECT_EQ(time, c.time);
    } else {
      EXPECT_EQ(date, 0xBEEF) << "outputs untouched on failure";
      EXPECT_EQ(time, 0xBEEF);
    }
  }
}

TEST(Win32Clock, NowIsTheLocalTime) {
  auto asFileTime = [](const SYSTEMTIME& st) {
    FILETIME ft{};
    ::SystemTimeToFileTime(&st, &ft);
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  };
  SYSTEMTIME before{}, after{};
  ::GetLocalTime(&before);
  Win32Clock clock;
  const DateTime now = clock.Now();
  ::GetLocalTime(&after);
  const SYSTEMTIME got{static_cast<WORD>(now.year), static_cast<WORD>(now.month), 0, static_cast<WORD>(now.day),
                       static_cast<WORD>(now.hour), static_cast<WORD>(now.minute), static_cast<WORD>(now.second),
                       static_cast<WORD>(now.millisecond)};
  EXPECT_LE(asFileTime(before), asFileTime(got));
  EXPECT_LE(asFileTime(got), asFileTime(after));
}

TEST(Win32AnsiCodec, RoundTripsThroughTheAnsiCodePage) {
  Win32AnsiCodec codec;
  const std::string euro = "caf\xC3\xA9 \xE2\x82\xAC 5";  // "café € 5"
  const std::string ansi = codec.ToAnsi(euro);
  if (::GetACP() == 1252) {
    EXPECT_EQ(ansi, "caf\xE9 \x80 5");
  }
  EXPECT_EQ(codec.FromAnsi(ansi), euro);
  EXPECT_EQ(codec.ToAnsi(""), "");
  EXPECT_EQ(codec.FromAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
  // A character the code page lacks becomes the code page's default character.
  EXPECT_EQ(codec.FromAnsi(codec.ToAnsi("\xE6\x97\xA5")).size(), 1u);
}

TEST(WinText, WidenNarrowAndErrorTexts) {
  const std::string text = "A\xC3\xA9\xF0\x9F\x98\x80";
  EXPECT_EQ(Widen(text), std::wstring(L"A\u00E9\U0001F600"));
  EXPECT_EQ(Narrow(Widen(text)), text);
  EXPECT_EQ(Widen(""), L"");
  const std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(notFound.empty());
  EXPECT_NE(notFound.back(), '\n');
  EXPECT_NE(notFound.back(), '\r');
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED), notFound);
  EXPECT_EQ(SystemErrorText(0xDEADBEEF), "System error 3735928559.");
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(Win32LocaleSortKeys, OrderTextsAsTheComparisonDoes) {
  Win32Locale locale;
  const std::vector<std::string> texts = {"apple", "Apple", "APPLE", "apple2", "apple10", "Zebra", "zebra",
                                          "\xC3\x89" "clair", "eclair", "co-op", "coop", "", " lead", "_under",
                                          "\xE6\x97\xA5\xE6\x9C\xAC", "Demo App", "demo app", "<no name>",
                                          // keys longer than the first buffer the locale tries
                                          std::string(300, 'a'), std::string(300, 'a') + "b",
                                          std::string(299, 'a') + "B"};
  for (const auto& a : texts) {
    for (const auto& b : texts) {
      const int byCompare = locale.Compare(a, b);
      const std::string ka = locale.SortKey(a);
      const std::string kb = locale.SortKey(b);
      const int byKey = ka < kb ? -1 : (kb < ka ? 1 : 0);
      EXPECT_EQ(byKey, byCompare) << "'" << a << "' vs '" << b << "'";
    }
  }
}

}  // namespace
}  // namespace tw
