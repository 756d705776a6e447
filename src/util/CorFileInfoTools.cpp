#include "util/CorFileInfoTools.h"

#include <cstdio>

#include "util/AppStrings.h"
#include "util/Text.h"

namespace tw {

namespace {

std::size_t CountChars(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string Pad(std::string text, int width, bool leftAlign) {
  const std::size_t len = CountChars(text);
  if (width <= 0 || len >= static_cast<std::size_t>(width)) return text;
  const std::string fill(static_cast<std::size_t>(width) - len, ' ');
  return leftAlign ? text + fill : fill + text;
}

}  // namespace

std::string FormatNumberPattern(Locale& locale, std::string_view format, double value) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out.push_back(format[i]);
      continue;
    }
    std::size_t j = i + 1;
    if (j < format.size() && format[j] == '%') {
      out.push_back('%');
      i = j;
      continue;
    }
    bool leftAlign = false;
    if (j < format.size() && format[j] == '-') {
      leftAlign = true;
      ++j;
    }
    int width = 0;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9' && width < 1000) {
      width = width * 10 + (format[j++] - '0');
    }
    int precision = 2;
    if (j < format.size() && format[j] == '.') {
      ++j;
      precision = 0;
      while (j < format.size() && format[j] >= '0' && format[j] <= '9' && precision < 100) {
        precision = precision * 10 + (format[j++] - '0');
      }
    }
    if (j < format.size() && (format[j] == 'n' || format[j] == 'N')) {
      out += Pad(locale.FormatNumber(value, precision > 18 ? 18 : precision), width, leftAlign);
      i = j;
    } else {
      // Not a number specifier: copy the text as it stands.
      out.append(format.substr(i, j - i));
      i = j - 1;
    }
  }
  return out;
}

std::string FormatFileSize(Locale& locale, std::int64_t bytes) {
  if (bytes < 0) return {};
  const double kb = static_cast<double>(bytes) / 1024.0;
  const double mb = static_cast<double>(bytes) / 1048576.0;
  if (mb >= 1024.0) return FormatText(LoadStr(StrId::SizeGigabytes), locale.FormatNumber(mb / 1024.0, 2));
  if (kb >= 1024.0) return FormatText(LoadStr(StrId::SizeMegabytes), locale.FormatNumber(kb / 1024.0, 1));
  if (bytes > 1024) return FormatText(LoadStr(StrId::SizeKilobytes), locale.FormatNumber(kb, 0));
  return FormatText(LoadStr(StrId::SizeBytes), locale.FormatNumber(static_cast<double>(bytes), 0));
}

std::string FormatSizeMB(Locale& locale, std::string_view format, std::int64_t bytes) {
  if (bytes < 0) return {};
  return FormatNumberPattern(locale, format, static_cast<double>(bytes) / 1048576.0);
}

std::string FormatDateTimePattern(std::string_view format, const DateTime& v) {
  std::string out;
  auto two = [](int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return std::string(buf);
  };
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    std::size_t run = 1;
    while (i + run < format.size() && (format[i + run] == c)) ++run;
    if (c == '"' || c == '\'') {
      const std::size_t end = format.find(c, i + 1);
      const std::size_t stop = end == std::string_view::npos ? format.size() : end;
      out.append(format.substr(i + 1, stop - i - 1));
      i = stop == format.size() ? stop : stop + 1;
      continue;
    }
    switch (lower) {
      case 'y':
        if (run >= 3) {
          char buf[16];
          std::snprintf(buf, sizeof buf, "%04d", v.year);
          out += buf;
        } else {
          out += two(v.year % 100);
        }
        break;
      case 'm': out += run >= 2 ? two(v.month) : std::to_string(v.month); break;
      case 'd': out += run >= 2 ? two(v.day) : std::to_string(v.day); break;
      case 'h': out += run >= 2 ? two(v.hour) : std::to_string(v.hour); break;
      case 'n': out += run >= 2 ? two(v.minute) : std::to_string(v.minute); break;
      case 's': out += run >= 2 ? two(v.second) : std::to_string(v.second); break;
      default: out.append(format.substr(i, run)); break;
    }
    i += run;
  }
  return out;
}

std::string FormatFileTime(TimeZone& zone, std::uint64_t fileTime, std::string_view format) {
  if (fileTime == 0) return {};
  std::uint64_t local = 0;
  std::uint16_t dosDate = 0;
  std::uint16_t dosTime = 0;
  if (!zone.ToLocalFileTime(fileTime, local) || !zone.ToDosDateTime(local, dosDate, dosTime) ||
      (dosDate == 0 && dosTime == 0)) {
    return LoadStr(StrId::UnknownDate);
  }
  DateTime v;
  v.year = 1980 + (dosDate >> 9);
  v.month = (dosDate >> 5) & 0x0F;
  v.day = dosDate & 0x1F;
  v.hour = dosTime >> 11;
  v.minute = (dosTime >> 5) & 0x3F;
  v.second = (dosTime & 0x1F) * 2;
  return FormatDateTimePattern(format, v);
}

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string RemoveFileExt(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DateTimeText(Locale& locale, const DateTime& now) {
  std::string text = locale.ShortDate(now);
  if (now.hour != 0 || now.minute != 0 || now.second != 0 || now.millisecond != 0) {
    text += ' ';
    text += locale.LongTime(now);
  }
  return text;
}

}  // namespace tw
