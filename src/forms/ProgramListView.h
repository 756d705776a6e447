#pragma once
// The list view that shows the program list: an owner-data list view over a ProgramList. It
// keeps the columns (and collapses those that are empty in every row), the image lists with
// the rows' icons (made when a row is first drawn), the question marks, the sort arrow, the
// view style and the selection, and answers the list view's questions about its rows. The
// main window places it, fills the model and reacts to its events.

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>

#include "catalogue/ProgramList.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32Icons.h"

namespace tw {

/// View styles of the list, as the settings store them.
enum class ViewStyle { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

class ProgramListView {
 public:
  explicit ProgramListView(const ProgramList& list) : list_(list) {}
  ProgramListView(const ProgramListView&) = delete;
  ProgramListView& operator=(const ProgramListView&) = delete;

  /// Creates the list view below `parent` with its columns, in a view style. A press of the right mouse button
  /// calls `onRightPress` with the point in the list's client pixels: the list's own handling
  /// would run a drag loop and open a menu only on release.
  void Create(HWND parent, int id, ViewStyle style, std::function<void(POINT client)> onRightPress);
  HWND Handle() const { return hwnd_; }

  /// The image lists, default icons and column widths at a DPI (again after a change: the
  /// rows' icons are made again as they are drawn; collapsed columns keep their pixel).
  void ApplyDpi(UINT dpi);
  /// Moves and sizes the list.
  void Place(int x, int y, int width, int height);

  /// Whether the list holds the model's rows and shows their icons: not while the command line
  /// runs without a visible list (it then holds no row, and nothing is arranged for it).
  void Show(bool shown);
  /// The source of the rows' icons, for a scan.
  ImageListIconSource& Icons() { return *icons_; }
  const ImageListIconSource& Icons() const { return *icons_; }

  /// Stops drawing and shows no rows, while the model's rows change.
  void BeginUpdate();
  /// Shows the model's rows in their order and marks the column they are ordered by; draws
  /// again when BeginUpdate stopped it. Called after every change of the model's rows or order.
  void ShowRows();
  /// Collapses to one pixel the columns whose text is empty in every row (Size, Last Used On,
  /// Frequency, Publisher, Version, Installed On). A collapsed column never widens again.
  void CollapseEmptyColumns();

  int Count() const;
  /// The position of the selected row, or -1.
  int Selected() const;
  /// Selects and focuses a row and scrolls it fully into view.
  void Select(int position);
  /// Selects and focuses a row where it stands, without scrolling; false for no row.
  bool SelectInPlace(int position);
  /// The row under a point of the list's client area, or -1.
  int RowAt(POINT client) const;
  /// Width of a column in pixels.
  int ColumnWidth(int column) const;

  ViewStyle Style() const { return style_; }
  void SetStyle(ViewStyle style);

  /// How many rows in view still wait for their icons.
  int RowsInViewWaitingForIcons() const;

  /// Answers the notifications that concern only the list's display: the texts, icons and
  /// marks of rows, and the header's resizing of collapsed columns. False for any other.
  bool Answer(NMHDR* header, LRESULT& result);

 private:
  void MakeImageLists(UINT dpi);
  void ShowSortArrow();
  void Collapse(int column);

  const ProgramList& list_;
  HWND hwnd_ = nullptr;
  std::function<void(POINT)> onRightPress_;
  std::unique_ptr<ImageListIconSource> icons_;
  UniqueHImageList badIcons_;
  UniqueHIcon defaultLargeIcon_, defaultSmallIcon_;
  std::array<bool, kListColumnCount> collapsed_{};
  ViewStyle style_ = ViewStyle::LargeIcons;
  bool shown_ = true;
  bool updating_ = false;

  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data);
};

}  // namespace tw
