#include "DemoCatalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw::demo {
namespace {

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kUninstallKey32 =
    "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kUsageCacheKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache";

std::string Trim(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

[[noreturn]] void Fail(int line, const std::string& message) {
  throw std::runtime_error("catalogue line " + std::to_string(line) + ": " + message);
}

std::string Substitute(const std::string& text, const std::map<std::string, std::string>& vars,
                       int line) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t open = text.find('{', pos);
    if (open == std::string::npos) break;
    std::size_t close = text.find('}', open);
    if (close == std::string::npos) break;
    std::string name = text.substr(open + 1, close - open - 1);
    auto found = vars.find(name);
    if (found == vars.end()) {
      // Braces that name no variable are data (a product code such as {6F1A...}).
      if (name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") == std::string::npos &&
          !name.empty())
        Fail(line, "unknown placeholder {" + name + "}");
      out.append(text, pos, close + 1 - pos);
    } else {
      out.append(text, pos, open - pos);
      out += found->second;
    }
    pos = close + 1;
  }
  out.append(text, pos, std::string::npos);
  return out;
}

bool ParseInteger(const std::string& text, std::int64_t& value) {
  return ParseDecimal(text, value);
}

std::int64_t ParseSize(const std::string& text, int line) {
  static const struct { const char* suffix; double factor; } kUnits[] = {
      {"GB", 1073741824.0}, {"MB", 1048576.0}, {"KB", 1024.0}};
  for (const auto& unit : kUnits) {
    std::size_t n = std::strlen(unit.suffix);
    if (text.size() > n && text.compare(text.size() - n, n, unit.suffix) == 0) {
      std::string number = text.substr(0, text.size() - n);
      char* end = nullptr;
      double value = std::strtod(number.c_str(), &end);
      if (end == number.c_str() || *end != '\0') Fail(line, "bad size " + text);
      return static_cast<std::int64_t>(std::llround(value * unit.factor));
    }
  }
  std::int64_t value = 0;
  if (!ParseInteger(text, value)) Fail(line, "bad size " + text);
  return value;
}

std::uint64_t ParseDate(const std::string& text, int line) {
  if (text == "0") return 0;
  int y = 0, m = 0, d = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3 || m < 1 || m > 12 ||
      d < 1 || d > 31)
    Fail(line, "bad date " + text + " (yyyy-mm-dd or 0)");
  return NoonUtcFileTime(y, m, d);
}

DemoUsage ParseUsage(const std::string& args, int line) {
  DemoUsage usage;
  std::size_t targetAt = args.find("target=");
  if (targetAt == std::string::npos) Fail(line, "@usage needs target= at its end");
  usage.target = Trim(args.substr(targetAt + 7));
  std::istringstream fields(args.substr(0, targetAt));
  std::string field;
  while (fields >> field) {
    std::size_t eq = field.find('=');
    if (eq == std::string::npos) Fail(line, "bad @usage field " + field);
    std::string key = field.substr(0, eq), value = field.substr(eq + 1);
    std::int64_t number = 0;
    if (key == "size") {
      usage.size = ParseSize(value, line);
    } else if (key == "last") {
      usage.lastUse = ParseDate(value, line);
    } else if (key == "count") {
      if (!ParseInteger(value, number)) Fail(line, "bad count " + value);
      usage.count = static_cast<std::uint32_t>(number);
    } else if (key == "length") {
      if (!ParseInteger(value, number) || number < 0) Fail(line, "bad length " + value);
      usage.length = static_cast<std::size_t>(number);
    } else {
      Fail(line, "unknown @usage field " + key);
    }
  }
  return usage;
}

RegValue ParseValue(const std::string& type, const std::string& data, int line) {
  RegValue value;
  if (type == "sz" || type == "expand") {
    value = RegValue::Text(data, type == "sz" ? RegType::String : RegType::ExpandString);
  } else if (type == "multi") {
    // Each string with its NUL, and one more NUL after the last.
    value.type = RegType::MultiString;
    std::size_t pos = 0;
    while (true) {
      std::size_t bar = data.find('|', pos);
      std::vector<std::uint8_t> bytes =
          Utf8ToUtf16LeBytes(data.substr(pos, bar == std::string::npos ? bar : bar - pos));
      value.data.insert(value.data.end(), bytes.begin(), bytes.end());
      if (bar == std::string::npos) break;
      pos = bar + 1;
    }
    value.data.push_back(0);
    value.data.push_back(0);
  } else if (type == "dword" || type == "qword") {
    std::int64_t number = 0;
    if (!ParseInteger(data, number)) Fail(line, "bad number " + data);
    value.type = type == "dword" ? RegType::Dword : RegType::Qword;
    int width = type == "dword" ? 4 : 8;
    for (int i = 0; i < width; ++i)
      value.data.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(number) >> (8 * i)));
  } else if (type == "binary") {
    value.type = RegType::Binary;
    std::istringstream hex(data);
    std::string byte;
    while (hex >> byte) {
      char* end = nullptr;
      unsigned long b = std::strtoul(byte.c_str(), &end, 16);
      if (byte.size() != 2 || *end != '\0') Fail(line, "bad byte " + byte);
      value.data.push_back(static_cast<std::uint8_t>(b));
    }
  } else {
    Fail(line, "unknown value type " + type);
  }
  return value;
}

}  // namespace

bool CatalogueOfAlias(const std::string& alias, RootKeyHandle& root, std::string& key) {
  if (alias == "machine") {
    root = RootKey::LocalMachine;
    key = kUninstallKey;
  } else if (alias == "machine32") {
    root = RootKey::LocalMachine;
    key = kUninstallKey32;
  } else if (alias == "user") {
    root = RootKey::CurrentUser;
    key = kUninstallKey;
  } else {
    return false;
  }
  return true;
}

std::string UsageKeyOf(const std::string& subKeyName) {
  return std::string(kUsageCacheKey) + "\\" + subKeyName;
}

std::string DemoEntry::FullKeyPath() const {
  return MakeFullKeyPath(root, catalogueKey + "\\" + name);
}

const DemoValue* DemoEntry::Find(const std::string& valueName) const {
  for (const DemoValue& v : values)
    if (v.name == valueName) return &v;
  return nullptr;
}

std::uint64_t NoonUtcFileTime(int year, int month, int day) {
  // Days from 1601-01-01 by the proleptic Gregorian calendar (days-from-civil).
  auto daysFromCivil = [](int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + doe;
  };
  std::int64_t days = daysFromCivil(year, month, day) - daysFromCivil(1601, 1, 1);
  return static_cast<std::uint64_t>(days * 86400 + 12 * 3600) * 10000000ull;
}

std::vector<std::uint8_t> EncodeUsageRecord(const DemoUsage& usage) {
  std::vector<std::uint8_t> record(552, 0);
  auto put = [&](std::size_t offset, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  // The first eight bytes (the record's own size and a flag) are not read by the program;
  // they are filled as a real record has them.
  put(0, 552, 4);
  put(4, 1, 4);
  put(8, static_cast<std::uint64_t>(usage.size), 8);
  put(16, usage.lastUse, 8);
  put(24, usage.count, 4);
  std::vector<std::uint8_t> target = Utf8ToUtf16LeBytes(usage.target);
  std::size_t room = 552 - 28;
  std::copy_n(target.begin(), std::min(room, target.size()), record.begin() + 28);
  record.resize(usage.length, 0);
  return record;
}

DemoCatalogue ParseDemoCatalogue(const std::string& text,
                                 const std::map<std::string, std::string>& variables) {
  DemoCatalogue catalogue;
  std::istringstream lines(text);
  std::string raw;
  int line = 0;
  DemoEntry* entry = nullptr;
  while (std::getline(lines, raw)) {
    ++line;
    std::string trimmed = Trim(raw);
    if (trimmed.empty() || trimmed[0] == '#') continue;

    if (trimmed.front() == '[') {
      if (trimmed.back() != ']') Fail(line, "section header without ]");
      std::string inner = trimmed.substr(1, trimmed.size() - 2);
      std::size_t slash = inner.find('\\');
      if (slash == std::string::npos) Fail(line, "section needs alias\\name");
      DemoEntry next;
      next.alias = inner.substr(0, slash);
      next.name = inner.substr(slash + 1);
      if (!CatalogueOfAlias(next.alias, next.root, next.catalogueKey))
        Fail(line, "unknown catalogue " + next.alias);
      if (next.name.empty()) Fail(line, "empty sub key name");
      for (const DemoEntry& e : catalogue.entries)
        if (e.alias == next.alias && AsciiUpper(e.name) == AsciiUpper(next.name))
          Fail(line, "entry seeded twice: " + next.name);
      catalogue.entries.push_back(std::move(next));
      entry = &catalogue.entries.back();
      continue;
    }

    std::map<std::string, std::string> vars = variables;
    if (entry != nullptr) vars["key"] = entry->FullKeyPath();
    std::string content = Substitute(trimmed, vars, line);

    if (content.front() == '@') {
      std::size_t space = content.find_first_of(" \t");
      std::string directive = content.substr(1, space == std::string::npos ? space : space - 1);
      std::string args = space == std::string::npos ? "" : Trim(content.substr(space));
      if (directive == "root") {
        if (entry != nullptr) Fail(line, "@root belongs before the first entry");
        catalogue.roots.push_back(args);
        continue;
      }
      if (entry == nullptr) Fail(line, "@" + directive + " outside an entry");
      if (args.empty()) Fail(line, "@" + directive + " needs an argument");
      if (directive == "usage") {
        entry->usage = ParseUsage(args, line);
      } else if (directive == "uninstaller") {
        catalogue.files.push_back({FileKind::Uninstaller, args, {}});
      } else if (directive == "icon") {
        catalogue.files.push_back({FileKind::Icon, args, {}});
      } else if (directive == "file") {
        catalogue.files.push_back({FileKind::Text, args, {}});
      } else if (directive == "folder") {
        catalogue.files.push_back({FileKind::Folder, args, {}});
      } else {
        Fail(line, "unknown directive @" + directive);
      }
      continue;
    }

    if (entry == nullptr) Fail(line, "value outside an entry");
    std::size_t eq = content.find('=');
    std::size_t colon = eq == std::string::npos ? eq : content.find(':', eq);
    if (colon == std::string::npos) Fail(line, "expected: Name = type: data");
    DemoValue value;
    value.name = Trim(content.substr(0, eq));
    std::string type = Trim(content.substr(eq + 1, colon - eq - 1));
    value.value = ParseValue(type, Trim(content.substr(colon + 1)), line);
    entry->values.push_back(std::move(value));
  }
  return catalogue;
}

}  // namespace tw::demo
