#pragma once
// Size and date texts for display, and file-name helpers.

#include <cstdint>
#include <string>
#include <string_view>

#include "util/Platform.h"

namespace tw {

/// A byte count as "1.00 GB", "1.0 MB", "1 KB" or "1,024 bytes"; negative gives "".
std::string FormatFileSize(Locale& locale, std::int64_t bytes);

/// `format` (such as "%10.1n MB") applied to bytes / 1048576; negative gives "".
std::string FormatSizeMB(Locale& locale, std::string_view format, std::int64_t bytes);

/// A number by a "%[-][width][.precision]n" format (thousands separators, rounded); the
/// other characters of the format are copied, "%%" gives "%".
std::string FormatNumberPattern(Locale& locale, std::string_view format, double value);

/// A UTC file time as local date and time by a date format ("yyyy-mm-dd"): 0 gives "", a time
/// with no DOS date and time (before 1980 or after 2107) gives "(unknown)".
std::string FormatFileTime(TimeZone& zone, std::uint64_t fileTime, std::string_view format);

/// Date and time by a format of the tokens yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss, s (the
/// minutes are "nn"); text in double or single quotes and every other character is copied.
std::string FormatDateTimePattern(std::string_view format, const DateTime& value);

/// Whether year, month and day name a day of the (proleptic Gregorian) calendar in the
/// years 1 to 9999: no month 13, no 30 February, 29 February only in leap years.
bool IsValidDate(int year, int month, int day);

/// The text before the last "."; a name without "." is returned whole.
std::string RemoveFileExt(const std::string& name);

/// The local date and time as the log and the report show it: the short date, then, unless
/// the time of day is exactly midnight, a blank and the long time.
std::string DateTimeText(Locale& locale, const DateTime& now);

}  // namespace tw
