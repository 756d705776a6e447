#include "catalogue/ProgramList.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "util/Text.h"

namespace tw {

std::string ColumnText(const ProgramEntry& row, ListColumn column, Locale& locale, TimeZone& zone) {
  switch (column) {
    case ListColumn::Name: return row.caption;
    case ListColumn::Key: return row.KeyPath();
    case ListColumn::Target: return row.usage.target;
    case ListColumn::Size:
      return row.hasUsage ? UsageSizeText(locale, row.usage.size) : std::string();
    case ListColumn::LastUsedOn:
      return row.hasUsage ? UsageLastUsedText(zone, row.usage.lastUse) : std::string();
    case ListColumn::Frequency: return row.hasUsage ? FrequencyText(row.usage.useCount) : std::string();
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
    case ListColumn::Size: return !row.hasUsage || row.usage.size < 0;
    case ListColumn::LastUsedOn: return !row.hasUsage || row.usage.lastUse == 0;
    case ListColumn::Frequency: return !row.hasUsage || row.usage.useCount > 2147483647u;
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
  order_.resize(rows_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
  SortBy(0, true);
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
  // The locale's sort keys order texts as its comparison (CompareRows) does, at one call per
  // row instead of two conversions and a call per comparison; they live only while sorting,
  // one after the other in one text.
  const auto listColumn = static_cast<ListColumn>(column);
  std::string keys;
  std::vector<std::size_t> ends;  // where each row's key ends in `keys`
  ends.reserve(rows_.size());
  for (const ProgramEntry& row : rows_) {
    keys += locale_.SortKey(ColumnText(row, listColumn, locale_, zone_));
    ends.push_back(keys.size());
  }
  const auto key = [&keys, &ends](std::size_t row) {
    const std::size_t begin = row == 0 ? 0 : ends[row - 1];
    return std::string_view(keys).substr(begin, ends[row] - begin);
  };
  std::sort(order_.begin(), order_.end(), [&key, ascending](std::size_t a, std::size_t b) {
    return ascending ? key(a) < key(b) : key(b) < key(a);
  });
}

int ProgramList::CompareRows(const ProgramEntry& row1, const ProgramEntry& row2, int column) const {
  const auto listColumn = static_cast<ListColumn>(column);
  const int result =
      locale_.Compare(ColumnText(row1, listColumn, locale_, zone_), ColumnText(row2, listColumn, locale_, zone_));
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

int ProgramList::ReselectAfterRefresh(int previous) const {
  return previous >= 0 && previous < Count() ? previous : -1;
}

}  // namespace tw
