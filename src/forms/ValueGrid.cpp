#include "forms/ValueGrid.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kLine = 1;           // grid line width in pixels, at any DPI
constexpr int kDividerSlack = 3;   // how near a header divider the pointer must be to drag it (96 DPI)
constexpr int kMinimumWidth = 4;   // a column dragged narrower keeps this much (96 DPI)
constexpr int kEditorId = 1;
const COLORREF kLineColor = RGB(192, 192, 192);
const COLORREF kHeaderLineColor = RGB(128, 128, 128);

const std::string kEmpty;

}  // namespace

// The editor's keys: moving between cells belongs to the grid.
LRESULT CALLBACK ValueGridEditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR data) {
  auto* grid = reinterpret_cast<ValueGrid*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      return ::DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_KEYDOWN: {
      if (wParam == VK_LEFT || wParam == VK_RIGHT) {
        // Left at the start and Right at the end of the text step to the next cell.
        DWORD start = 0, end = 0;
        ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const DWORD length = static_cast<DWORD>(::GetWindowTextLengthW(hwnd));
        const bool atEdge = wParam == VK_LEFT ? (start == 0 && end == 0) : (start == length && end == length);
        if (atEdge && ::GetKeyState(VK_SHIFT) >= 0 && grid->NavigateKey(wParam)) return 0;
        break;
      }
      if (grid->NavigateKey(wParam)) return 0;
      break;
    }
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, &ValueGridEditorProc, 1);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

ValueGrid::~ValueGrid() = default;

HWND ValueGrid::Create(HWND parent, int id, int columns, int rows, int defaultColumnWidth96, int rowHeight96) {
  widths_.assign(static_cast<std::size_t>(std::max(columns, 1)), defaultColumnWidth96);
  cells_.assign(static_cast<std::size_t>(std::max(rows, 1)), std::vector<std::string>(widths_.size()));
  rowHeight96_ = rowHeight96;
  rowHeight_ = rowHeight96;
  row_ = RowCount() > 1 ? 1 : 0;
  column_ = 0;
  top_ = 1;
  CreateWindowOf(L"TidewellValueGrid", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_CLIPCHILDREN,
                 WS_EX_CLIENTEDGE, L"", 0, 0, 0, 0, parent, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  if (hwnd_ == nullptr) return nullptr;
  // The widths and the row height stand at 96 DPI until SetDpi says otherwise.
  dpi_ = 96;
  ::SetWindowLongPtrW(hwnd_, GWLP_ID, id);
  editor_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL | ES_LEFT, 0, 0, 10, 10, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorId)),
                              ::GetModuleHandleW(nullptr), nullptr);
  SetEditorMargins();
  ::SetWindowSubclass(editor_, &ValueGridEditorProc, 1, reinterpret_cast<DWORD_PTR>(this));
  UpdateScrollBar();
  if (row_ > 0) SetCurrent(column_, row_);
  return hwnd_;
}

void ValueGrid::SetDpi(UINT dpi) {
  const UINT from = Dpi();
  if (hwnd_ == nullptr || dpi == 0 || dpi == from) return;
  for (int& width : widths_) width = MulDiv(width, static_cast<int>(dpi), static_cast<int>(from));
  dpi_ = dpi;
  rowHeight_ = Scale(rowHeight96_);
  SetEditorMargins();
  UpdateScrollBar();
  ScrollToRow(top_);
  PlaceEditor();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ValueGrid::SetEditorMargins() {
  ::SendMessageW(editor_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(Scale(2), Scale(2)));
}

void ValueGrid::SetRowCount(int rows) {
  rows = std::max(rows, 1);
  cells_.resize(static_cast<std::size_t>(rows), std::vector<std::string>(widths_.size()));
  if (row_ >= rows) row_ = rows - 1;
  if (row_ < 1 && rows > 1) row_ = 1;
  if (hwnd_ == nullptr) return;
  UpdateScrollBar();
  ScrollToRow(top_);
  if (row_ > 0) {
    SetCurrent(column_, row_);
  } else {
    PlaceEditor();
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

const std::string& ValueGrid::Cell(int column, int row) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return kEmpty;
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void ValueGrid::SetCell(int column, int row, const std::string& text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return;
  cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  if (hwnd_ == nullptr) return;
  if (row == row_ && column == column_) {
    settingEditor_ = true;
    SetWindowTextUtf8(editor_, text);
    settingEditor_ = false;
  }
  RECT rc = CellRect(column, row);
  ::InvalidateRect(hwnd_, &rc, TRUE);
}

void ValueGrid::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= ColumnCount()) return;
  widths_[static_cast<std::size_t>(column)] = std::max(width, 0);
  if (hwnd_ == nullptr) return;
  PlaceEditor();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int ValueGrid::ColumnLeft(int column) const {
  int left = 0;
  for (int c = 0; c < column; ++c) left += widths_[static_cast<std::size_t>(c)] + kLine;
  return left;
}

RECT ValueGrid::CellRect(int column, int row) const {
  const int pitch = rowHeight_ + kLine;
  const int top = row == 0 ? 0 : pitch * (1 + row - top_);
  const int left = ColumnLeft(column);
  return RECT{left, top, left + widths_[static_cast<std::size_t>(column)], top + rowHeight_};
}

int ValueGrid::VisibleRows() const {
  RECT client{};
  if (hwnd_ != nullptr) ::GetClientRect(hwnd_, &client);
  const int pitch = rowHeight_ + kLine;
  return std::max(static_cast<int>(client.bottom - pitch) / pitch, 1);
}

void ValueGrid::SetCurrent(int column, int row) {
  if (RowCount() < 2) return;
  column_ = std::clamp(column, 0, ColumnCount() - 1);
  row_ = std::clamp(row, 1, RowCount() - 1);
  EnsureVisible(row_);
  settingEditor_ = true;
  SetWindowTextUtf8(editor_, Cell(column_, row_));
  settingEditor_ = false;
  ::SendMessageW(editor_, EM_SETSEL, 0, -1);
  PlaceEditor();
}

void ValueGrid::PlaceEditor() {
  if (editor_ == nullptr) return;
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const bool shown = row_ >= 1 && row_ >= top_ && CellRect(column_, row_).top < client.bottom;
  if (!shown) {
    // Hidden first, so that the grid keeps the focus instead of handing it back.
    const bool focused = ::GetFocus() == editor_;
    ::ShowWindow(editor_, SW_HIDE);
    if (focused) ::SetFocus(hwnd_);
    return;
  }
  const RECT cell = CellRect(column_, row_);
  // The edit box takes the height of its text, centred in the cell like the cells' texts.
  const TEXTMETRICW metrics = TextMetricsIn(editor_, font_);
  const int height = std::min(static_cast<int>(metrics.tmHeight) + 2, rowHeight_);
  const int top = cell.top + (rowHeight_ - height) / 2;
  RECT before;
  ::GetClientRect(editor_, &before);
  ::SetWindowPos(editor_, HWND_TOP, cell.left, top, cell.right - cell.left, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RECT after;
  ::GetClientRect(editor_, &after);
  if (after.right != before.right) {
    // An edit box keeps its text scrolled as it was at its former width: a text set while
    // the box was narrower (or not yet sized) would show its end even where all of it fits
    // now. Scrolled to the start and then to the caret, it shows what a box of this width
    // shows.
    DWORD start = 0, end = 0;
    ::SendMessageW(editor_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    ::SendMessageW(editor_, EM_SETSEL, 0, 0);
    ::SendMessageW(editor_, EM_SCROLLCARET, 0, 0);
    ::SendMessageW(editor_, EM_SETSEL, start, static_cast<LPARAM>(end));
    ::SendMessageW(editor_, EM_SCROLLCARET, 0, 0);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ValueGrid::UpdateScrollBar() {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(RowCount() - 2, 0);
  info.nPage = static_cast<UINT>(VisibleRows());
  info.nPos = top_ - 1;
  ::SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

void ValueGrid::ScrollToRow(int top) {
  const int last = std::max(RowCount() - VisibleRows(), 1);
  top = std::clamp(top, 1, last);
  if (top == top_) {
    UpdateScrollBar();
    return;
  }
  top_ = top;
  UpdateScrollBar();
  PlaceEditor();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ValueGrid::EnsureVisible(int row) {
  const int visible = VisibleRows();
  if (row < top_) {
    ScrollToRow(row);
  } else if (row >= top_ + visible) {
    ScrollToRow(row - visible + 1);
  }
}

bool ValueGrid::NavigateKey(WPARAM key) {
  if (RowCount() < 2) return false;
  switch (key) {
    case VK_UP: SetCurrent(column_, row_ - 1); return true;
    case VK_DOWN: SetCurrent(column_, row_ + 1); return true;
    case VK_PRIOR: SetCurrent(column_, row_ - VisibleRows()); return true;
    case VK_NEXT: SetCurrent(column_, row_ + VisibleRows()); return true;
    case VK_LEFT:
      if (column_ == 0) return false;
      SetCurrent(column_ - 1, row_);
      return true;
    case VK_RIGHT:
      if (column_ + 1 >= ColumnCount()) return false;
      SetCurrent(column_ + 1, row_);
      return true;
    default: return false;
  }
}

int ValueGrid::DividerAt(POINT client) const {
  if (client.y < 0 || client.y >= rowHeight_ + kLine) return -1;
  for (int c = 0; c < ColumnCount(); ++c) {
    const int edge = ColumnLeft(c) + widths_[static_cast<std::size_t>(c)];
    if (client.x >= edge - Scale(kDividerSlack) && client.x <= edge + Scale(kDividerSlack)) return c;
  }
  return -1;
}

void ValueGrid::Paint(HDC dc) {
  RECT client;
  ::GetClientRect(hwnd_, &client);
  UniqueHandle<GdiObjectTraits<HBRUSH>> window(::CreateSolidBrush(RGB(255, 255, 255)));
  UniqueHandle<GdiObjectTraits<HBRUSH>> header(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
  UniqueHandle<GdiObjectTraits<HBRUSH>> line(::CreateSolidBrush(kLineColor));
  UniqueHandle<GdiObjectTraits<HBRUSH>> headerLine(::CreateSolidBrush(kHeaderLineColor));
  ::FillRect(dc, &client, window.get());
  const SelectGuard selectFont(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  const int visibleRows = VisibleRows() + 1;  // and the one cut by the bottom edge
  for (int r = 0; r < RowCount(); ++r) {
    if (r != 0 && (r < top_ || r > top_ + visibleRows)) continue;
    for (int c = 0; c < ColumnCount(); ++c) {
      const RECT cell = CellRect(c, r);
      if (cell.top >= client.bottom) continue;
      if (r == 0) ::FillRect(dc, &cell, header.get());
      const RECT right{cell.right, cell.top, cell.right + kLine, cell.bottom + kLine};
      const RECT bottom{cell.left, cell.bottom, cell.right + kLine, cell.bottom + kLine};
      ::FillRect(dc, &right, r == 0 ? headerLine.get() : line.get());
      ::FillRect(dc, &bottom, r == 0 ? headerLine.get() : line.get());
      if (r == row_ && c == column_ && ::IsWindowVisible(editor_)) continue;
      RECT text = cell;
      text.left += Scale(4);
      text.right -= Scale(2);
      const std::wstring wide = Widen(Cell(c, r));
      ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    }
  }
}

LRESULT ValueGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const PaintDc dc(hwnd_);
      RECT client;
      ::GetClientRect(hwnd_, &client);
      // Drawn off screen first, so the grid does not flicker while it scrolls. The bitmap is
      // taken out of the memory context before either is destroyed, on every way out.
      UniqueHdc memory(::CreateCompatibleDC(dc.get()));
      UniqueHBitmap bitmap(
          ::CreateCompatibleBitmap(dc.get(), std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
      const SelectGuard select(memory.get(), bitmap.get());
      Paint(memory.get());
      ::BitBlt(dc.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
      return 0;
    }
    case WM_SIZE:
      UpdateScrollBar();
      ScrollToRow(top_);
      PlaceEditor();
      return 0;
    case WM_SETFOCUS:
      if (::IsWindowVisible(editor_)) ::SetFocus(editor_);
      return 0;
    case WM_SETFONT:
      // The cells and the editor take the font; the editor is sized to it anew.
      font_ = reinterpret_cast<HFONT>(wParam);
      ::SendMessageW(editor_, WM_SETFONT, wParam, FALSE);
      SetEditorMargins();  // a new font resets an edit box's margins
      PlaceEditor();
      if (LOWORD(lParam) != 0) ::InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (NavigateKey(wParam)) return 0;
      break;
    case WM_CHAR:
      // Typing while the current cell is scrolled away brings it back and types into it.
      if (wParam >= 0x20 && row_ >= 1) {
        EnsureVisible(row_);
        PlaceEditor();
        ::SetFocus(editor_);
        ::SendMessageW(editor_, WM_CHAR, wParam, lParam);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == editor_ && HIWORD(wParam) == EN_CHANGE && !settingEditor_ && row_ >= 1) {
        cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(column_)] = WindowText(editor_);
        return 0;
      }
      break;
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      ::GetScrollInfo(hwnd_, SB_VERT, &info);
      int top = top_;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: --top; break;
        case SB_LINEDOWN: ++top; break;
        case SB_PAGEUP: top -= VisibleRows(); break;
        case SB_PAGEDOWN: top += VisibleRows(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: top = info.nTrackPos + 1; break;
        case SB_TOP: top = 1; break;
        case SB_BOTTOM: top = RowCount(); break;
        default: break;
      }
      ScrollToRow(top);
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollToRow(top_ - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT cursor;
        ::GetCursorPos(&cursor);
        ::ScreenToClient(hwnd_, &cursor);
        if (resizing_ >= 0 || DividerAt(cursor) >= 0) {
          ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
          return TRUE;
        }
      }
      break;
    case WM_LBUTTONDOWN: {
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const int divider = DividerAt(at);
      if (divider >= 0) {
        resizing_ = divider;
        resizeOrigin_ = at.x;
        resizeStartWidth_ = ColumnWidth(divider);
        ::SetCapture(hwnd_);
        return 0;
      }
      const int pitch = rowHeight_ + kLine;
      if (at.y < pitch) return 0;  // the header row is not edited
      const int row = top_ + at.y / pitch - 1;
      int column = -1;
      for (int c = 0; c < ColumnCount(); ++c) {
        const RECT cell = CellRect(c, top_);
        if (at.x >= cell.left && at.x < cell.right + kLine) column = c;
      }
      if (row >= 1 && row < RowCount() && column >= 0) {
        SetCurrent(column, row);
        ::SetFocus(editor_);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (resizing_ >= 0) {
        SetColumnWidth(resizing_,
                       std::max(resizeStartWidth_ + GET_X_LPARAM(lParam) - resizeOrigin_, Scale(kMinimumWidth)));
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (resizing_ >= 0) {
        resizing_ = -1;
        ::ReleaseCapture();
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      resizing_ = -1;
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tw
