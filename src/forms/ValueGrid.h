#pragma once
// A string grid: rows of text cells under one fixed header row, grid lines on every cell,
// columns the user resizes by dragging a header divider, a vertical scroll bar, and an edit
// box always open on the current cell, so typing changes the cell at once.

#include <windows.h>

#include <string>
#include <vector>

#include "forms/Controls.h"
#include "forms/Window.h"

namespace tw {

class ValueGrid : public Window {
 public:
  ValueGrid() = default;
  ~ValueGrid() override;

  /// Creates the grid as control `id` of `parent`, with no size yet, with `columns` columns,
  /// `rows` rows (row 0 is the header), the default column width and the row height (both
  /// at 96 DPI). Its font comes with WM_SETFONT, its place with its form's layout.
  HWND Create(HWND parent, int id, int columns, int rows, int defaultColumnWidth96, int rowHeight96);
  /// Rows and columns at a new DPI: the row height is scaled from 96 DPI, and every column's
  /// width, also one the user dragged, by the ratio of the new DPI to the last one.
  void SetDpi(UINT dpi);

  int ColumnCount() const { return static_cast<int>(widths_.size()); }
  int RowCount() const { return static_cast<int>(cells_.size()); }
  /// Sets the number of rows, the header included (at least 2: one row to edit); new rows
  /// are empty, dropped rows are gone.
  void SetRowCount(int rows);
  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, const std::string& text);

  int ColumnWidth(int column) const { return widths_[static_cast<std::size_t>(column)]; }
  void SetColumnWidth(int column, int width);

  int CurrentColumn() const { return column_; }
  int CurrentRow() const { return row_; }
  /// Makes a cell (below the header) current, scrolls it into view and opens the editor on it.
  void SetCurrent(int column, int row);
  /// The first row shown below the header.
  int TopRow() const { return top_; }
  /// Rows below the header that fit in the grid.
  int VisibleRows() const;

  /// The edit box on the current cell.
  HWND Editor() const { return editor_; }
  /// The rectangle of a cell in the grid's client pixels.
  RECT CellRect(int column, int row) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  friend LRESULT CALLBACK ValueGridEditorProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  void Paint(HDC dc);
  void SetEditorMargins();
  void PlaceEditor();
  void UpdateScrollBar();
  void ScrollToRow(int top);
  void EnsureVisible(int row);
  /// Moves the current cell by a key; true when the key was used.
  bool NavigateKey(WPARAM key);
  /// The header divider under a point (the column whose right edge it is), or -1.
  int DividerAt(POINT client) const;
  int ColumnLeft(int column) const;

  std::vector<std::vector<std::string>> cells_;
  std::vector<int> widths_;
  int rowHeight96_ = 20;
  int rowHeight_ = 20;
  int column_ = 0;
  int row_ = 1;
  int top_ = 1;
  HFONT font_ = nullptr;
  HWND editor_ = nullptr;
  bool settingEditor_ = false;
  int resizing_ = -1;  ///< the column being resized by a drag, or -1
  int resizeOrigin_ = 0;
  int resizeStartWidth_ = 0;
};

}  // namespace tw
