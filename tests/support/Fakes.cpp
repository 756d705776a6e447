#include "support/Fakes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "util/Text.h"

namespace tw::test {

namespace {

std::string Parent(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string Leaf(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

class MemoryFile : public OutputFile {
 public:
  MemoryFile(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  bool Write(const std::string& bytes) override {
    auto* entry = fs_.Find(path_);
    if (!entry || closed_) return false;
    if (fs_.failWritesAfter >= 0 &&
        fs_.bytesWritten + static_cast<std::int64_t>(bytes.size()) > fs_.failWritesAfter) {
      const auto room = static_cast<std::size_t>(std::max<std::int64_t>(0, fs_.failWritesAfter - fs_.bytesWritten));
      entry->bytes += bytes.substr(0, room);
      fs_.bytesWritten += static_cast<std::int64_t>(room);
      return false;
    }
    entry->bytes += bytes;
    fs_.bytesWritten += static_cast<std::int64_t>(bytes.size());
    return true;
  }
  bool Flush() override {
    auto* entry = fs_.Find(path_);
    if (!entry || closed_ || fs_.failFlush) return false;
    entry->flushed = entry->bytes.size();
    return true;
  }
  bool Close() override {
    closed_ = true;
    return true;
  }

 private:
  MemoryFileSystem& fs_;
  std::string path_;
  bool closed_ = false;
};

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  const std::string p = AsciiUpper(pattern);
  const std::string n = AsciiUpper(name);
  std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

bool MemoryFileSystem::Less::operator()(const std::string& a, const std::string& b) const {
  return AsciiUpper(a) < AsciiUpper(b);
}

void MemoryFileSystem::AddFolder(const std::string& path, bool readOnly) {
  const std::string parent = Parent(path);
  if (!parent.empty() && !Exists(parent)) AddFolder(parent);
  auto& e = entries_[path];
  e.folder = true;
  e.readOnly = readOnly;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& bytes, bool readOnly,
                               const std::string& shortName) {
  const std::string parent = Parent(path);
  if (!parent.empty() && !Exists(parent)) AddFolder(parent);
  auto& e = entries_[path];
  e.folder = false;
  e.readOnly = readOnly;
  e.bytes = bytes;
  e.shortName = shortName;
}

bool MemoryFileSystem::Exists(const std::string& path) const { return entries_.count(path) > 0; }

std::string MemoryFileSystem::Contents(const std::string& path) const {
  const auto it = entries_.find(path);
  return it == entries_.end() ? std::string() : it->second.bytes;
}

MemoryFileSystem::Entry* MemoryFileSystem::Find(const std::string& path) {
  const auto it = entries_.find(path);
  return it == entries_.end() ? nullptr : &it->second;
}

std::optional<FindData> MemoryFileSystem::FindFirst(const std::string& pattern) {
  ++searches;
  asked.push_back(pattern);
  const std::string folder = Parent(pattern);
  const std::string leaf = Leaf(pattern);
  if (leaf.empty()) return std::nullopt;
  for (const auto& [path, entry] : entries_) {
    if (AsciiUpper(Parent(path)) != AsciiUpper(folder)) continue;
    if (!WildcardMatch(leaf, Leaf(path))) continue;
    FindData data;
    data.name = Leaf(path);
    data.shortName = entry.shortName;
    data.attributes = (entry.folder ? kAttributeDirectory : 0u) | (entry.readOnly ? kAttributeReadOnly : 0u);
    data.size = entry.bytes.size();
    return data;
  }
  return std::nullopt;
}

std::unique_ptr<OutputFile> MemoryFileSystem::OpenAppend(const std::string& path) {
  auto* entry = Find(path);
  if (!entry || entry->folder || entry->readOnly) return nullptr;
  return std::make_unique<MemoryFile>(*this, path);
}

std::unique_ptr<OutputFile> MemoryFileSystem::Create(const std::string& path, std::string& error) {
  auto* parent = Find(Parent(path));
  if (!parent || !parent->folder) {
    error = "The system cannot find the path specified.";
    return nullptr;
  }
  auto* entry = Find(path);
  if (parent->readOnly || (entry && (entry->folder || entry->readOnly))) {
    error = "Access is denied.";
    return nullptr;
  }
  AddFile(path);
  return std::make_unique<MemoryFile>(*this, path);
}

std::unique_ptr<OutputFile> MemoryFileSystem::CreateNew(const std::string& path, bool& exists, std::string& error) {
  exists = Find(path) != nullptr || takenNames > 0;
  if (exists) {
    if (takenNames > 0) --takenNames;
    error = "The file exists.";
    return nullptr;
  }
  return Create(path, error);
}

namespace {

// Reads from a snapshot of the file's bytes taken when it was opened.
class MemoryInputFile : public InputFile {
 public:
  MemoryInputFile(MemoryFileSystem& fs, std::string bytes) : fs_(fs), bytes_(std::move(bytes)) {}
  std::uint64_t Size() override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, std::string&) override {
    bytes = offset < bytes_.size() ? bytes_.substr(static_cast<std::size_t>(offset), count) : std::string();
    fs_.bytesRead += bytes.size();
    fs_.largestRead = std::max(fs_.largestRead, count);
    return true;
  }

 private:
  MemoryFileSystem& fs_;
  std::string bytes_;
};

}  // namespace

std::unique_ptr<InputFile> MemoryFileSystem::OpenRead(const std::string& path, std::string& error) {
  auto* entry = Find(path);
  if (!entry) {
    error = "The system cannot find the file specified.";
    return nullptr;
  }
  if (entry->folder) {
    error = "Access is denied.";
    return nullptr;
  }
  return std::make_unique<MemoryInputFile>(*this, entry->bytes);
}

bool MemoryFileSystem::ReadAll(const std::string& path, std::string& bytes, std::string& error) {
  std::unique_ptr<InputFile> file = OpenRead(path, error);
  if (!file) return false;
  return file->ReadAt(0, static_cast<std::size_t>(file->Size()), bytes, error);
}

bool MemoryFileSystem::Replace(const std::string& from, const std::string& to, std::string& error) {
  auto* source = Find(from);
  auto* target = Find(to);
  if (!source || (target && (target->folder || target->readOnly))) {
    error = "Access is denied.";
    return false;
  }
  MoveEntry(from, to);
  return true;
}

void MemoryFileSystem::MoveEntry(const std::string& from, const std::string& to) {
  Entry moved = *Find(from);
  entries_.erase(from);
  entries_[to] = moved;
}

bool MemoryFileSystem::MoveToNewName(const std::string& from, const std::string& to, bool& exists,
                                     std::string& error) {
  exists = Find(to) != nullptr;
  auto* source = Find(from);
  auto* parent = Find(Parent(to));
  if (exists) {
    error = "Cannot create a file when that file already exists.";
    return false;
  }
  if (!source || source->folder || !parent || !parent->folder || parent->readOnly) {
    error = "Access is denied.";
    return false;
  }
  MoveEntry(from, to);
  return true;
}

bool MemoryFileSystem::CreateFolder(const std::string& path, std::string& error) {
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (const Entry* entry = Find(folder)) {
    if (entry->folder) return true;
    error = "Cannot create a file when that file already exists.";
    return false;
  }
  const std::string parent = Parent(folder);
  if (!parent.empty() && !CreateFolder(parent, error)) return false;
  if (const Entry* above = Find(parent); above != nullptr && above->readOnly) {
    error = "Access is denied.";
    return false;
  }
  entries_[folder].folder = true;
  return true;
}

std::vector<FindData> MemoryFileSystem::FindAll(const std::string& pattern) {
  std::vector<FindData> found;
  const std::string folder = AsciiUpper(Parent(pattern));
  for (const auto& [path, entry] : entries_) {
    if (AsciiUpper(Parent(path)) != folder || !WildcardMatch(Leaf(pattern), Leaf(path))) continue;
    FindData data;
    data.name = Leaf(path);
    data.attributes = (entry.folder ? kAttributeDirectory : 0u) | (entry.readOnly ? kAttributeReadOnly : 0u);
    data.size = entry.bytes.size();
    found.push_back(data);
  }
  return found;
}

std::vector<std::string> MemoryFileSystem::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, entry] : entries_) paths.push_back(path);
  return paths;
}

bool MemoryFileSystem::Remove(const std::string& path) {
  auto* entry = Find(path);
  if (!entry || entry->folder || entry->readOnly) return false;
  entries_.erase(path);
  return true;
}

std::string MaskTemporaryName(std::string text) {
  const std::size_t at = text.find(".tidewell-tmp");
  if (at != std::string::npos && at >= 8) text.replace(at - 8, 8, "XXXXXXXX");
  return text;
}

std::string FixedLocale::FormatNumber(double value, int decimals) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string digits = buf;
  std::string sign;
  if (!digits.empty() && digits[0] == '-') {
    sign = "-";
    digits.erase(0, 1);
  }
  const std::size_t dot = digits.find('.');
  std::string whole = digits.substr(0, dot);
  const std::string frac = dot == std::string::npos ? std::string() : digits.substr(dot + 1);
  std::string grouped;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += thousands;
    grouped.push_back(whole[i]);
  }
  if (sign == "-" && std::stod(digits) == 0.0) sign.clear();
  return sign + grouped + (frac.empty() ? std::string() : decimal + frac);
}

std::string FixedLocale::ShortDate(const DateTime& d) {
  return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + std::to_string(d.year);
}

std::string FixedLocale::LongTime(const DateTime& t) {
  char buf[64];
  const int h12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, t.minute, t.second, t.hour < 12 ? "AM" : "PM");
  return buf;
}

int FixedLocale::Compare(const std::string& a, const std::string& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000ull;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

}  // namespace

std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDaysFrom1601To1970;
  const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
}

bool FixedOffsetTimeZone::ToLocalFileTime(std::uint64_t utc, std::uint64_t& local) {
  const std::int64_t shift = static_cast<std::int64_t>(offset_) * 60 * static_cast<std::int64_t>(kTicksPerSecond);
  if (shift < 0 && utc < static_cast<std::uint64_t>(-shift)) return false;
  local = static_cast<std::uint64_t>(static_cast<std::int64_t>(utc) + shift);
  return true;
}

bool FixedOffsetTimeZone::ToDosDateTime(std::uint64_t fileTime, std::uint16_t& dosDate,
                                        std::uint16_t& dosTime) {
  const std::int64_t seconds = static_cast<std::int64_t>(fileTime / kTicksPerSecond);
  const std::int64_t days = seconds / 86400 - kDaysFrom1601To1970;
  const std::int64_t rest = seconds % 86400;
  int y = 0, m = 0, d = 0;
  CivilFromDays(days, y, m, d);
  if (y < 1980 || y > 2107) return false;
  dosDate = static_cast<std::uint16_t>(((y - 1980) << 9) | (m << 5) | d);
  dosTime = static_cast<std::uint16_t>(((rest / 3600) << 11) | (((rest / 60) % 60) << 5) | ((rest % 60) / 2));
  return true;
}

namespace {
// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
}  // namespace

std::string Cp1252Codec::ToAnsi(const std::string& utf8) {
  std::string out;
  for (char16_t c : Utf8ToUtf16(utf8)) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == c) mapped = static_cast<char>(0x80 + i);
    }
    out.push_back(mapped);
  }
  return out;
}

std::string Cp1252Codec::FromAnsi(const std::string& ansi) {
  std::u16string units;
  for (unsigned char c : ansi) {
    if (c >= 0x80 && c < 0xA0) {
      units.push_back(kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : static_cast<char16_t>(c));
    } else {
      units.push_back(c);
    }
  }
  return Utf16ToUtf8(units);
}

}  // namespace tw::test
