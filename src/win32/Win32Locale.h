#pragma once
// The user's regional settings, the time-zone rules and the clock on kernel32.

#include <windows.h>

#include <string>

#include "util/Platform.h"

namespace tw {

/// A date and time of the program as the system's SYSTEMTIME.
SYSTEMTIME SystemTimeOf(const DateTime& value);

/// The user default locale's number, date and time formats and string comparison.
class Win32Locale : public Locale {
 public:
  std::string FormatNumber(double value, int decimals) override;
  std::string ShortDate(const DateTime& date) override;
  std::string LongTime(const DateTime& time) override;
  int Compare(const std::string& a, const std::string& b) override;
  std::string SortKey(const std::string& text) override;
};

class Win32TimeZone : public TimeZone {
 public:
  bool ToLocalFileTime(std::uint64_t utc, std::uint64_t& local) override;
  /// False for times outside 1980 to 2107, which a DOS date cannot hold.
  bool ToDosDateTime(std::uint64_t fileTime, std::uint16_t& dosDate, std::uint16_t& dosTime) override;
};

class Win32Clock : public Clock {
 public:
  DateTime Now() override;
};

}  // namespace tw
