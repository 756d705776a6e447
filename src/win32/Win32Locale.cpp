#include "win32/Win32Locale.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "win32/WinText.h"

namespace tw {

namespace {

std::wstring LocaleText(LCTYPE type) {
  wchar_t buffer[128];
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
  return length > 0 ? std::wstring(buffer, static_cast<std::size_t>(length - 1)) : std::wstring();
}

UINT LocaleNumber(LCTYPE type, UINT fallback) {
  DWORD value = 0;
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type | LOCALE_RETURN_NUMBER,
                                       reinterpret_cast<wchar_t*>(&value), sizeof value / sizeof(wchar_t));
  return length > 0 ? value : fallback;
}

// LOCALE_SGROUPING ("3;0", "3;2;0", "3") as NUMBERFMT.Grouping (3, 32, 30): the digits in
// order; a final ";0" (repeat the last group) is dropped, its absence adds a 0.
UINT GroupingOf(const std::wstring& text) {
  UINT grouping = 0;
  bool lastWasZero = false;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') continue;
    grouping = grouping * 10 + static_cast<UINT>(c - L'0');
    lastWasZero = c == L'0';
  }
  return lastWasZero ? grouping / 10 : grouping * 10;
}


template <class Call>
std::string CallForText(Call call) {
  const int needed = call(nullptr, 0);
  if (needed <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(needed), L'\0');
  const int length = call(buffer.data(), needed);
  if (length <= 0) return {};
  buffer.resize(static_cast<std::size_t>(length - 1));
  return Narrow(buffer);
}

}  // namespace

SYSTEMTIME SystemTimeOf(const DateTime& value) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(value.year);
  st.wMonth = static_cast<WORD>(value.month);
  st.wDay = static_cast<WORD>(value.day);
  st.wHour = static_cast<WORD>(value.hour);
  st.wMinute = static_cast<WORD>(value.minute);
  st.wSecond = static_cast<WORD>(value.second);
  st.wMilliseconds = static_cast<WORD>(value.millisecond);
  return st;
}

std::string Win32Locale::FormatNumber(double value, int decimals) {
  decimals = std::max(decimals, 0);
  char plain[400];
  std::snprintf(plain, sizeof plain, "%.*f", decimals, value);
  if (!std::isfinite(value)) return plain;
  // A value that rounds to zero shows no minus sign.
  const char* digits = plain;
  if (plain[0] == '-' && std::strtod(plain + 1, nullptr) == 0.0) ++digits;

  const std::wstring decimalSep = LocaleText(LOCALE_SDECIMAL);
  const std::wstring thousandSep = LocaleText(LOCALE_STHOUSAND);
  NUMBERFMTW format{};
  format.NumDigits = static_cast<UINT>(decimals);
  format.LeadingZero = LocaleNumber(LOCALE_ILZERO, 1);
  format.Grouping = GroupingOf(LocaleText(LOCALE_SGROUPING));
  format.lpDecimalSep = const_cast<wchar_t*>(decimalSep.c_str());
  format.lpThousandSep = const_cast<wchar_t*>(thousandSep.c_str());
  format.NegativeOrder = LocaleNumber(LOCALE_INEGNUMBER, 1);

  const std::wstring input = Widen(digits);
  const std::string text = CallForText([&](wchar_t* out, int size) {
    return ::GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, input.c_str(), &format, out, size);
  });
  return text.empty() ? std::string(digits) : text;
}

std::string Win32Locale::ShortDate(const DateTime& date) {
  const SYSTEMTIME st = SystemTimeOf(date);
  return CallForText([&](wchar_t* out, int size) {
    return ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, out, size, nullptr);
  });
}

std::string Win32Locale::LongTime(const DateTime& time) {
  const SYSTEMTIME st = SystemTimeOf(time);
  return CallForText([&](wchar_t* out, int size) {
    return ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, out, size);
  });
}

int Win32Locale::Compare(const std::string& a, const std::string& b) {
  const std::wstring wa = Widen(a);
  const std::wstring wb = Widen(b);
  const int result = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, 0, wa.data(), static_cast<int>(wa.size()),
                                       wb.data(), static_cast<int>(wb.size()), nullptr, nullptr, 0);
  if (result == CSTR_LESS_THAN) return -1;
  if (result == CSTR_GREATER_THAN) return 1;
  if (result == CSTR_EQUAL) return 0;
  // The comparison itself failed: fall back to code-unit order so sorting stays total.
  return wa < wb ? -1 : (wb < wa ? 1 : 0);
}

std::string Win32Locale::SortKey(const std::string& text) {
  // The sort key of the same comparison Compare makes (no flags), as bytes; when the system
  // cannot make one, the text's UTF-16 units in big-endian order keep the order total.
  if (text.empty()) return {};  // before every other text, as the comparison has it
  const std::wstring wide = Widen(text);
  // Most keys fit a buffer on the stack: one call instead of one for the size and one more.
  char buffer[512];
  const int direct = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.c_str(),
                                     static_cast<int>(wide.size()), reinterpret_cast<LPWSTR>(buffer),
                                     static_cast<int>(sizeof buffer), nullptr, nullptr, 0);
  if (direct > 0) return std::string(buffer, static_cast<std::size_t>(direct));
  const int size = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.c_str(),
                                   static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr, 0);
  std::string key;
  if (size > 0) {
    key.resize(static_cast<std::size_t>(size));
    const int made = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.c_str(),
                                     static_cast<int>(wide.size()), reinterpret_cast<LPWSTR>(key.data()), size,
                                     nullptr, nullptr, 0);
    if (made > 0) {
      key.resize(static_cast<std::size_t>(made));
      return key;
    }
    key.clear();
  }
  key.push_back('\xFF');  // after every real sort key
  for (wchar_t c : wide) {
    key.push_back(static_cast<char>(c >> 8));
    key.push_back(static_cast<char>(c & 0xFF));
  }
  return key;
}

bool Win32TimeZone::ToLocalFileTime(std::uint64_t utc, std::uint64_t& local) {
  FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
  FILETIME out{};
  if (!::FileTimeToLocalFileTime(&in, &out)) return false;
  local = (static_cast<std::uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
  return true;
}

bool Win32TimeZone::ToDosDateTime(std::uint64_t fileTime, std::uint16_t& dosDate, std::uint16_t& dosTime) {
  const FILETIME in{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
  // FileTimeToDosDateTime refuses times before 1980 but wraps the 7-bit year of times after
  // 2107 into a wrong date and reports success (2110 comes back as 1982): check the range.
  SYSTEMTIME st{};
  if (!::FileTimeToSystemTime(&in, &st) || st.wYear < 1980 || st.wYear > 2107) return false;
  WORD date = 0;
  WORD time = 0;
  if (!::FileTimeToDosDateTime(&in, &date, &time)) return false;
  dosDate = date;
  dosTime = time;
  return true;
}

DateTime Win32Clock::Now() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace tw
