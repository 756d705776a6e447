#include "catalogue/ProgramList.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "util/CorFileInfoTools.h"
#include "util/Text.h"

namespace tw {

std::optional<std::int64_t> SizeInBytes(const ProgramEntry& row) {
  if (row.hasUsage) {
    if (row.usage.size < 0) return std::nullopt;
    return row.usage.size;
  }
  // The scan keeps estimates up to 2^53 bytes only: the product cannot overflow.
  if (row.estimatedSizeKb < 0) return std::nullopt;
  return row.estimatedSizeKb * 1024;
}

std::optional<DateTime> InstallDateOf(std::string_view stored) {
  if (stored.size() != 8) return std::nullopt;
  int digits[8];
  for (std::size_t i = 0; i < 8; ++i) {
    if (stored[i] < '0' || stored[i] > '9') return std::nullopt;
    digits[i] = stored[i] - '0';
  }
  DateTime date;
  date.year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
  date.month = digits[4] * 10 + digits[5];
  date.day = digits[6] * 10 + digits[7];
  if (!IsCalendarDay(date.year, date.month, date.day)) return std::nullopt;
  return date;
}

std::string InstalledOnText(const std::string& stored) {
  if (!InstallDateOf(stored)) return stored;
  return stored.substr(0, 4) + "-" + stored.substr(4, 2) + "-" + stored.substr(6, 2);
}

namespace {

// Parts of a version key; a part of letters sorts before a number at the same place, and
// the end of a version before either.
constexpr char kLettersPart = 1;
constexpr char kNumberPart = 2;

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks, punctuation and control characters separate the parts of a version.
bool IsVersionSeparator(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x80 && !IsAsciiDigit(c) && !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

void AppendBigEndian(std::string& key, std::uint64_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) key.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A key that starts with a tag byte.
std::string Tagged(char tag, std::string_view rest) {
  std::string key(1, tag);
  key.append(rest);
  return key;
}

}  // namespace

std::string VersionSortKey(std::string_view version) {
  std::string key;
  std::size_t i = 0;
  while (i < version.size()) {
    if (IsVersionSeparator(version[i])) {
      ++i;
    } else if (IsAsciiDigit(version[i])) {
      // A number: its digits without leading zeros, after their count, so that a longer
      // number sorts after a shorter one.
      while (i < version.size() && version[i] == '0') ++i;
      const std::size_t start = i;
      while (i < version.size() && IsAsciiDigit(version[i])) ++i;
      key.push_back(kNumberPart);
      AppendBigEndian(key, i - start, 4);
      key.append(version.substr(start, i - start));
    } else {
      // Letters (and characters beyond ASCII) up to the next digit or separator, ended by a
      // NUL so that a shorter run sorts before its continuations.
      const std::size_t start = i;
      while (i < version.size() && !IsAsciiDigit(version[i]) && !IsVersionSeparator(version[i])) ++i;
      key.push_back(kLettersPart);
      key += AsciiUpper(version.substr(start, i - start));
      key.push_back('\0');
    }
  }
  return key;
}

bool IsSystemComponentOrUpdate(const ProgramEntry& row) { return row.systemComponent || row.update; }

std::string ColumnText(const ProgramEntry& row, ListColumn column, Locale& locale, TimeZone& zone) {
  switch (column) {
    case ListColumn::Name: return row.caption;
    case ListColumn::Key: return row.KeyPath();
    case ListColumn::Target: return row.usage.target;
    case ListColumn::Size: {
      const auto bytes = SizeInBytes(row);
      return bytes ? UsageSizeText(locale, *bytes) : std::string();
    }
    case ListColumn::LastUsedOn:
      return row.hasUsage ? UsageLastUsedText(zone, row.usage.lastUse) : std::string();
    case ListColumn::Frequency: return row.hasUsage ? FrequencyText(row.usage.useCount) : std::string();
    case ListColumn::Publisher: return row.publisher;
    case ListColumn::Version: return row.version;
    case ListColumn::InstalledOn: return InstalledOnText(row.installDate);
    case ListColumn::UninstallCommand: return row.command;
  }
  return {};
}

bool ColumnTextEmpty(const ProgramEntry& row, ListColumn column) {
  // The usage texts are empty exactly where their formats give nothing: a negative size, a
  // zero time, a count above the signed 32-bit range.
  switch (column) {
    case ListColumn::Name: return row.caption.empty();
    case ListColumn::Key: return row.KeyPath().empty();
    case ListColumn::Target: return row.usage.target.empty();
    case ListColumn::Size: return !SizeInBytes(row);
    case ListColumn::LastUsedOn: return !row.hasUsage || row.usage.lastUse == 0;
    case ListColumn::Frequency: return !row.hasUsage || row.usage.useCount > 2147483647u;
    case ListColumn::Publisher: return row.publisher.empty();
    case ListColumn::Version: return row.version.empty();
    case ListColumn::InstalledOn: return row.installDate.empty();
    case ListColumn::UninstallCommand: return row.command.empty();
  }
  return true;
}

void ProgramList::Clear() {
  rows_.clear();
  order_.clear();
}

void ProgramList::AddRow(ProgramEntry&& row) { rows_.push_back(std::move(row)); }

void ProgramList::ShowInNameOrder() {
  order_.clear();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (Listed(rows_[i])) order_.push_back(i);
  }
  SortBy(0, true);
}

int ProgramList::ShowSystemComponents(bool show, int selected) {
  const bool hasSelection = selected >= 0 && selected < Count();
  const std::size_t selectedRow = hasSelection ? order_[static_cast<std::size_t>(selected)] : 0;
  showSystemComponents_ = show;
  // The rows that stay keep their order; rows shown again join them where the order the
  // list stands in puts them.
  std::vector<bool> listed(rows_.size(), false);
  std::vector<std::size_t> order;
  order.reserve(rows_.size());
  for (std::size_t index : order_) {
    if (Listed(rows_[index])) {
      order.push_back(index);
      listed[index] = true;
    }
  }
  const std::size_t kept = order.size();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!listed[i] && Listed(rows_[i])) order.push_back(i);
  }
  order_ = std::move(order);
  if (order_.size() != kept) SortBy(orderColumn_, orderAscending_);
  if (!hasSelection) return -1;
  const auto at = std::find(order_.begin(), order_.end(), selectedRow);
  if (at != order_.end()) return static_cast<int>(at - order_.begin());
  return selected < Count() ? selected : -1;
}

const ProgramEntry& ProgramList::At(int position) const {
  if (position < 0 || position >= Count()) throw std::out_of_range("no row at this position");
  return rows_[order_[static_cast<std::size_t>(position)]];
}

std::vector<const ProgramEntry*> ProgramList::Shown() const {
  std::vector<const ProgramEntry*> shown;
  shown.reserve(order_.size());
  for (std::size_t index : order_) shown.push_back(&rows_[index]);
  return shown;
}

std::vector<ProgramEntry*> ProgramList::RowsInScanOrder() {
  std::vector<ProgramEntry*> rows;
  rows.reserve(rows_.size());
  for (ProgramEntry& row : rows_) rows.push_back(&row);
  return rows;
}

std::string ProgramList::Text(int position, ListColumn column) const {
  return ColumnText(At(position), column, locale_, zone_);
}

bool ProgramList::ColumnIsEmpty(ListColumn column) const {
  return std::all_of(rows_.begin(), rows_.end(),
                     [column](const ProgramEntry& row) { return ColumnTextEmpty(row, column); });
}

void ProgramList::ResetSortState() {
  sortColumn_ = 0;
  sortAscending_ = true;
  ColumnClick(0, -1);
}

int ProgramList::ColumnClick(int column, int selected) {
  if (column == sortColumn_) {
    sortAscending_ = !sortAscending_;
  } else {
    sortColumn_ = column;
    sortAscending_ = true;
  }
  // The selected row keeps its selection wherever the sort takes it.
  const bool hasSelection = selected >= 0 && selected < Count();
  const std::size_t selectedRow = hasSelection ? order_[static_cast<std::size_t>(selected)] : 0;
  SortBy(sortColumn_, sortAscending_);
  if (!hasSelection) return -1;
  return static_cast<int>(std::find(order_.begin(), order_.end(), selectedRow) - order_.begin());
}

void ProgramList::SortBy(int column, bool ascending) {
  orderColumn_ = column;
  orderAscending_ = ascending;
  // Keys order the rows as CompareRows does, at one locale call per row instead of two
  // conversions and a call per comparison; they live only while sorting, one after the other
  // in one text.
  const auto listColumn = static_cast<ListColumn>(column);
  std::string keys;
  std::vector<std::size_t> begins(rows_.size(), 0), ends(rows_.size(), 0);
  for (std::size_t index : order_) {
    begins[index] = keys.size();
    keys += SortKey(rows_[index], listColumn);
    ends[index] = keys.size();
  }
  const auto key = [&keys, &begins, &ends](std::size_t row) {
    return std::string_view(keys).substr(begins[row], ends[row] - begins[row]);
  };
  std::stable_sort(order_.begin(), order_.end(), [&key, ascending](std::size_t a, std::size_t b) {
    return ascending ? key(a) < key(b) : key(b) < key(a);
  });
}

std::string ProgramList::SortKey(const ProgramEntry& row, ListColumn column) const {
  // Where a column sorts by meaning, an unknown value has the empty key and sorts first, a
  // known one starts with a byte that puts it after every unknown one.
  switch (column) {
    case ListColumn::Size: {
      const auto bytes = SizeInBytes(row);
      if (!bytes) return {};
      std::string key = Tagged('\x01', {});
      AppendBigEndian(key, static_cast<std::uint64_t>(*bytes), 8);
      return key;
    }
    case ListColumn::Version:
      return VersionSortKey(row.version);
    case ListColumn::InstalledOn:
      // Texts that are no day come after the empty ones and before every day: in the
      // newest-first order they sink below the days.
      if (row.installDate.empty()) return {};
      return InstallDateOf(row.installDate) ? Tagged('\x02', row.installDate)
                                            : Tagged('\x01', locale_.SortKey(row.installDate));
    default:
      return locale_.SortKey(ColumnText(row, column, locale_, zone_));
  }
}

int ProgramList::CompareRows(const ProgramEntry& row1, const ProgramEntry& row2, int column) const {
  const auto listColumn = static_cast<ListColumn>(column);
  const int order = SortKey(row1, listColumn).compare(SortKey(row2, listColumn));
  const int result = order < 0 ? -1 : (order > 0 ? 1 : 0);
  return sortAscending_ ? result : -result;
}

int ProgramList::Find(const std::string& text, bool substring, bool silent, int selected) const {
  const int count = Count();
  if (text.empty() || count == 0) return -1;
  const std::string wanted = AsciiUpper(text);
  const int start = (silent || selected < 0 || selected >= count) ? 0 : selected;
  int index = start;
  while (true) {
    index = (index + 1) % count;
    // A whole-name search (/UNINSTALL, /QU) never matches an entry without a name by its
    // placeholder caption: every such entry shows it, and it names none of them.
    const ProgramEntry& row = At(index);
    const std::string caption = AsciiUpper(row.caption);
    const bool match = substring ? caption.find(wanted) != std::string::npos : caption == wanted && row.named;
    if (match) return index;
    if (index == start) return -1;
  }
}

int ProgramList::FindKey(const std::string& keyPath) const {
  const std::string wanted = AsciiUpper(keyPath);
  for (int position = 0; position < Count(); ++position) {
    if (AsciiUpper(At(position).KeyPath()) == wanted) return position;
  }
  return -1;
}

int ProgramList::ReselectAfterRefresh(int previous) const {
  return previous >= 0 && previous < Count() ? previous : -1;
}

}  // namespace tw
