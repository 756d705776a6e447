#include "catalogue/InventoryReport.h"

#include <cstdio>

#include "catalogue/ProgramList.h"
#include "catalogue/UsageCache.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/Text.h"

namespace tw {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

// The text as UTF-8 proper: an unpaired surrogate, which UTF-8 cannot carry, and bytes that
// are no UTF-8 become U+FFFD.
std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = NextCodePoint(text, i);
    AppendUtf8(out, IsSurrogate(cp) ? kReplacementCharacter : cp);
  }
  return out;
}

std::string CsvField(const std::string& text) {
  std::string field = ValidUtf8(text);
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string Hex4(unsigned value) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "\\u%04x", value);
  return digits;
}

// A JSON string: quotes, backslashes and control characters escaped, an unpaired surrogate
// kept as its \u escape (JSON carries it where UTF-8 cannot), everything else as UTF-8.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = NextCodePoint(text, i);
    switch (cp) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (cp < 0x20 || IsSurrogate(cp)) {
          out += Hex4(static_cast<unsigned>(cp));
        } else {
          AppendUtf8(out, cp);
        }
        break;
    }
  }
  out += '"';
  return out;
}

std::string JsonOptionalString(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

const char* BoolText(bool value) { return value ? "true" : "false"; }

std::string SizeText(const std::optional<std::int64_t>& size) {
  return size ? std::to_string(*size) : std::string();
}

std::string TwoDigits(int value) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02d", value);
  return digits;
}

}  // namespace

std::string IsoInstallDate(const std::string& stored) {
  // The Installed On column's date, which is ISO already; nothing for any other text.
  return InstallDateOf(stored) ? InstalledOnText(stored) : std::string();
}

std::string IsoDateTime(const DateTime& local, int offsetMinutes) {
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", local.year, local.month, local.day, local.hour,
                local.minute, local.second);
  const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  return std::string(date) + (offsetMinutes < 0 ? "-" : "+") + TwoDigits(offset / 60) + ":" +
         TwoDigits(offset % 60);
}

std::string CatalogueName(Catalogue catalogue) {
  switch (catalogue) {
    case Catalogue::Machine64: return "machine 64-bit";
    case Catalogue::Machine32: return "machine 32-bit";
    case Catalogue::User: return "user";
  }
  return {};
}

InventoryRow InventoryRowOf(const ProgramEntry& row, TimeZone& zone) {
  InventoryRow item;
  item.name = row.DisplayName();
  item.publisher = row.publisher;
  item.version = row.version;
  item.installDate = IsoInstallDate(row.installDate);
  item.sizeBytes = ProgramSizeBytes(row);
  if (row.hasUsage) {
    // The column's date, unless it says that the time names no day it can show.
    item.lastUsed = UsageLastUsedText(zone, row.usage.lastUse);
    if (item.lastUsed == LoadStr(StrId::UnknownDate)) item.lastUsed.clear();
    item.frequency = FrequencyText(row.usage.useCount);
  }
  item.uninstallCommand = row.command;
  item.quietUninstallCommand = row.quietCommand;
  item.uninstallerMissing = row.uninstallerMissing;
  item.systemComponent = row.systemComponent;
  item.catalogue = row.catalogue;
  item.keyPath = row.KeyPath();
  return item;
}

std::string InventoryCsv(const std::vector<InventoryRow>& rows) {
  std::string text = kByteOrderMark + LoadStr(StrId::InventoryCsvHeader) + kLineEnd;
  for (const InventoryRow& row : rows) {
    const std::string fields[] = {CsvField(row.name),
                                  CsvField(row.publisher),
                                  CsvField(row.version),
                                  row.installDate,
                                  SizeText(row.sizeBytes),
                                  row.lastUsed,
                                  CsvField(row.frequency),
                                  CsvField(row.uninstallCommand),
                                  CsvField(row.quietUninstallCommand),
                                  BoolText(row.uninstallerMissing),
                                  BoolText(row.systemComponent),
                                  CatalogueName(row.catalogue),
                                  CsvField(row.keyPath)};
    for (std::size_t i = 0; i < std::size(fields); ++i) {
      if (i > 0) text += ',';
      text += fields[i];
    }
    text += kLineEnd;
  }
  return text;
}

std::string InventoryJson(const InventoryHeader& header, const std::vector<InventoryRow>& rows) {
  std::string text = std::string("{") + kLineEnd;
  text += "  \"computerName\": " + JsonString(header.computerName) + "," + kLineEnd;
  text += "  \"userName\": " + JsonString(header.userName) + "," + kLineEnd;
  text += "  \"created\": " + JsonString(header.created) + "," + kLineEnd;
  text += "  \"programs\": [";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const InventoryRow& row = rows[r];
    const std::pair<const char*, std::string> members[] = {
        {"name", JsonString(row.name)},
        {"publisher", JsonString(row.publisher)},
        {"version", JsonString(row.version)},
        {"installDate", JsonOptionalString(row.installDate)},
        {"sizeBytes", row.sizeBytes ? std::to_string(*row.sizeBytes) : "null"},
        {"lastUsed", JsonOptionalString(row.lastUsed)},
        {"frequency", JsonString(row.frequency)},
        {"uninstallCommand", JsonString(row.uninstallCommand)},
        {"quietUninstallCommand", JsonString(row.quietUninstallCommand)},
        {"uninstallerMissing", BoolText(row.uninstallerMissing)},
        {"systemComponent", BoolText(row.systemComponent)},
        {"catalogue", JsonString(CatalogueName(row.catalogue))},
        {"keyPath", JsonString(row.keyPath)},
    };
    text += (r == 0 ? "" : ",") + std::string(kLineEnd) + "    {" + kLineEnd;
    for (std::size_t i = 0; i < std::size(members); ++i) {
      text += std::string("      \"") + members[i].first + "\": " + members[i].second;
      text += (i + 1 < std::size(members) ? "," : "") + std::string(kLineEnd);
    }
    text += "    }";
  }
  text += rows.empty() ? "]" : kLineEnd + std::string("  ]");
  text += kLineEnd + std::string("}") + kLineEnd;
  return text;
}

std::string InventoryText(InventoryFormat format, const InventoryHeader& header,
                          const std::vector<InventoryRow>& rows) {
  return format == InventoryFormat::Csv ? InventoryCsv(rows) : InventoryJson(header, rows);
}

std::optional<InventoryFormat> InventoryFormatOfFile(const std::string& path) {
  const std::string upper = AsciiUpper(path);
  if (upper.ends_with(".CSV")) return InventoryFormat::Csv;
  if (upper.ends_with(".JSON")) return InventoryFormat::Json;
  return std::nullopt;
}

}  // namespace tw
