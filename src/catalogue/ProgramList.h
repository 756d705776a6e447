#pragma once
// The program list as a model: the rows of the last scan, which of them it shows and in what
// order, the texts of its columns (derived from the rows' typed fields), sorting by a column,
// the search over captions and the reselection after a refresh. The main window shows it.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
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
  Publisher = 6,
  Version = 7,
  InstalledOn = 8,
  UninstallCommand = 9,
};
inline constexpr int kListColumnCount = 10;

/// The text a row shows in a column: the caption, the key path, the usage record's Target,
/// size ("%10.1n MB"), last use ("yyyy-mm-dd") and frequency word, the publisher, the
/// version, the install date and the uninstall command.
std::string ColumnText(const ProgramEntry& row, ListColumn column, Locale& locale, TimeZone& zone);

/// Whether a row's text in a column is empty, decided from its fields alone.
bool ColumnTextEmpty(const ProgramEntry& row, ListColumn column);

/// The bytes the Size column shows: the usage record's size, or for a row without a record
/// its estimated size (kilobytes times 1024); nothing when the size is unknown.
std::optional<std::int64_t> SizeInBytes(const ProgramEntry& row);

/// The day an InstallDate names when it is eight digits yyyymmdd of a calendar day.
std::optional<DateTime> InstallDateOf(std::string_view stored);

/// The Installed On text: "yyyy-mm-dd" for eight digits yyyymmdd of a calendar day, any
/// other text as stored.
std::string InstalledOnText(const std::string& stored);

/// A key whose byte order orders versions by their parts: runs of digits by their numbers
/// (10.2 after 9.14, 1.10 after 1.9), runs of letters without regard to case and before any
/// number at the same place, a version before its own continuations (1.2 before 1.2.1 and
/// 1.2 beta). Blanks and punctuation only separate the parts.
std::string VersionSortKey(std::string_view version);

/// Whether the system's own list of programs leaves the entry out: a system component, an
/// update, or a part of another entry.
bool IsSystemComponentOrUpdate(const ProgramEntry& row);

class ProgramList : public ProgramSink {
 public:
  ProgramList(Locale& locale, TimeZone& zone) : locale_(locale), zone_(zone) {}

  /// Removes every row.
  void Clear();
  /// Appends a row of a scan; it is shown once Show() puts the rows in name order.
  void AddRow(ProgramEntry&& row) override;
  /// Shows every row added (but system components and updates while they are hidden), in
  /// ascending order of captions (the locale's comparison), whatever column was sorted before.
  void ShowInNameOrder();

  /// Whether the rows of system components and updates are shown (they are at first).
  bool ShowsSystemComponents() const { return showSystemComponents_; }
  /// Shows or hides the rows of system components and updates; the rows keep the order they
  /// stand in. Returns the new position of the row shown at `selected`; when that row is
  /// hidden, the same position while a row stands there (-1 stays -1, and past the end is -1).
  int ShowSystemComponents(bool show, int selected);

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
  /// True when every row's text in the column is empty (and for an empty list). Rows that
  /// are hidden count too: a column collapsed once stays collapsed, and showing them again
  /// must not find their column gone.
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
  /// The sort comparison of two rows by a column, in the current direction (-1, 0, 1). Size
  /// compares bytes, Installed On days, Version its parts (VersionSortKey); a size or a
  /// version that is unknown comes before every known one, and an install date that is
  /// no day comes after the empty ones and before every day. The other columns compare
  /// their texts by the locale's case-sensitive comparison.
  int CompareRows(const ProgramEntry& row1, const ProgramEntry& row2, int column) const;

  /// The search over captions: from the row after `selected` (after row 0 when `silent` or
  /// nothing is selected), wrapping, the start row tested last. Letters a to z match without
  /// case; with `substring` the text may stand anywhere in the caption, otherwise the
  /// caption must equal it (and a row without a name never matches). -1 when none, and for
  /// an empty text.
  int Find(const std::string& text, bool substring, bool silent, int selected) const;
  /// The position of the shown row of an entry by its full key path (letters A to Z without
  /// regard to case, as the registry compares them), or -1.
  int FindKey(const std::string& keyPath) const;

  /// The position to select after a refresh, given the one selected before: the same
  /// position while it still exists, else none (-1).
  int ReselectAfterRefresh(int previous) const;

 private:
  /// Orders the shown rows by a column; rows that compare equal keep their order.
  void SortBy(int column, bool ascending);
  /// The bytes by which a row sorts in a column (CompareRows).
  std::string SortKey(const ProgramEntry& row, ListColumn column) const;
  bool Listed(const ProgramEntry& row) const { return showSystemComponents_ || !IsSystemComponentOrUpdate(row); }

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
  bool showSystemComponents_ = true;
};

}  // namespace tw
