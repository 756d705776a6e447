#pragma once
// The program list as a model: the rows of the last scan, the order the list shows them in,
// the texts of its columns (derived from the rows' typed fields), sorting by a column, the
// search over captions and the reselection after a refresh. The main window shows it.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "catalogue/ProgramEntry.h"
#include "catalogue/UninstallInfoReader.h"
#include "util/Platform.h"

namespace tw {

/// The list's columns, by index: 0 the caption, c the sub item c - 1.
enum class ListColumn : int {
  Name = 0,
  Key = 1,
  Target = 2,
  Size = 3,
  LastUsedOn = 4,
  Frequency = 5,
  UninstallCommand = 6,
};
inline constexpr int kListColumnCount = 7;

/// The text a row shows in a column: the caption, the key path, the usage record's Target,
/// size ("%10.1n MB"), last use ("yyyy-mm-dd") and frequency word, and the uninstall command.
std::string ColumnText(const ProgramEntry& row, ListColumn column, Locale& locale, TimeZone& zone);

/// Whether a row's text in a column is empty, decided from its fields alone.
bool ColumnTextEmpty(const ProgramEntry& row, ListColumn column);

class ProgramList : public ProgramSink {
 public:
  ProgramList(Locale& locale, TimeZone& zone) : locale_(locale), zone_(zone) {}

  /// Removes every row.
  void Clear();
  /// Appends a row of a scan; it is shown once Show() puts the rows in name order.
  void AddRow(ProgramEntry&& row) override;
  /// Shows every row added, in ascending order of captions (the locale's comparison),
  /// whatever column was sorted before.
  void ShowInNameOrder();

  /// The number of rows shown.
  int Count() const { return static_cast<int>(order_.size()); }
  /// The row shown at a position.
  const ProgramEntry& At(int position) const;
  /// The rows in the order they are shown.
  std::vector<const ProgramEntry*> Shown() const;
  /// Every row in the order the scan added it.
  std::vector<ProgramEntry*> RowsInScanOrder();
  /// The text of the row at a position in a column.
  std::string Text(int position, ListColumn column) const;
  /// True when every row's text in the column is empty (and for an empty list).
  bool ColumnIsEmpty(ListColumn column) const;

  /// The order the rows stand in: the column they were last ordered by and its direction
  /// (after a refresh, ascending names whatever the sort state says).
  int OrderColumn() const { return orderColumn_; }
  bool OrderAscending() const { return orderAscending_; }

  /// The sort state: the column last clicked and the direction of the next sort by it.
  int SortColumn() const { return sortColumn_; }
  bool SortAscending() const { return sortAscending_; }
  /// Sets the sort state as a new window does: column 0, then one click on it (on the
  /// still empty list), so the first click on "Name" sorts ascending.
  void ResetSortState();
  /// A click on a column header: the same column inverts the direction, another one sorts
  /// ascending; then the rows are ordered by it. Returns the new position of the row that
  /// stood at `selected` (-1 stays -1).
  int ColumnClick(int column, int selected);
  /// The sort comparison of two rows by a column, in the current direction: the locale's
  /// case-sensitive comparison of their texts (-1, 0, 1).
  int CompareRows(const ProgramEntry& row1, const ProgramEntry& row2, int column) const;

  /// The search over captions: from the row after `selected` (after row 0 when `silent` or
  /// nothing is selected), wrapping, the start row tested last. Letters a to z match without
  /// case; with `substring` the text may stand anywhere in the caption, otherwise the
  /// caption must equal it (and a row without a name never matches). -1 when none, and for
  /// an empty text.
  int Find(const std::string& text, bool substring, bool silent, int selected) const;

  /// The position to select after a refresh, given the one selected before: the same
  /// position while it still exists, else none (-1).
  int ReselectAfterRefresh(int previous) const;

 private:
  void SortBy(int column, bool ascending);

  Locale& locale_;
  TimeZone& zone_;
  /// The rows as the scan added them; a deque grows without moving the rows already read.
  std::deque<ProgramEntry> rows_;
  /// The rows in the order they are shown (indexes into rows_).
  std::vector<std::size_t> order_;
  int sortColumn_ = 0;
  bool sortAscending_ = true;
  int orderColumn_ = 0;
  bool orderAscending_ = true;
};

}  // namespace tw
