#include "forms/ProgramListView.h"

#include <windowsx.h>

#include <algorithm>

#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kLargeIcon = 32, kSmallIcon = 16;

struct ColumnSpec {
  StrId caption;
  int width;  ///< at 96 DPI; 1: always collapsed
  int format;
};
constexpr ColumnSpec kColumns[kListColumnCount] = {
    {StrId::ColumnName, 150, LVCFMT_LEFT},
    {StrId::ColumnKey, 1, LVCFMT_LEFT},
    {StrId::ColumnTarget, 1, LVCFMT_LEFT},
    {StrId::ColumnSize, 80, LVCFMT_RIGHT},
    {StrId::ColumnLastUsedOn, 100, LVCFMT_LEFT},
    {StrId::ColumnFrequency, 100, LVCFMT_LEFT},
    {StrId::ColumnPublisher, 150, LVCFMT_LEFT},
    {StrId::ColumnVersion, 80, LVCFMT_LEFT},
    {StrId::ColumnInstalledOn, 100, LVCFMT_LEFT},
    {StrId::ColumnUninstallCommand, 300, LVCFMT_LEFT},
};

// The columns that collapse when their text is empty in every row.
constexpr ListColumn kCollapsible[] = {ListColumn::Size,      ListColumn::LastUsedOn, ListColumn::Frequency,
                                       ListColumn::Publisher, ListColumn::Version,    ListColumn::InstalledOn};

// The list's window style of each view style, in the order of ViewStyle.
constexpr DWORD kListStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

int ScaleTo(UINT dpi, int value96) { return MulDiv(value96, static_cast<int>(dpi), 96); }

}  // namespace

LRESULT CALLBACK ProgramListView::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
  if (message == WM_RBUTTONDOWN) {
    // The handler is the window's, which shows the errors of what it runs.
    auto* view = reinterpret_cast<ProgramListView*>(data);
    if (view->onRightPress_) view->onRightPress_(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &SubclassProc, 1);
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void ProgramListView::Create(HWND parent, int id, ViewStyle style, std::function<void(POINT client)> onRightPress) {
  onRightPress_ = std::move(onRightPress);
  style_ = style;
  hwnd_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | kListStyles[static_cast<int>(style)] |
                                LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS |
                                LVS_OWNERDATA,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            ::GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_DOUBLEBUFFER);
  ::SetWindowSubclass(hwnd_, &SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // The list holds no rows of its own: texts, icons and the question mark come from the rows
  // when it draws them, so filling it costs nothing per row.
  ListView_SetCallbackMask(hwnd_, LVIS_STATEIMAGEMASK);
  for (int c = 0; c < kListColumnCount; ++c) {
    std::wstring caption = Widen(StrText(kColumns[c].caption));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[c].format;
    column.cx = 1;  // widths at the window's DPI come with ApplyDpi
    column.pszText = caption.data();
    column.iSubItem = c;
    ListView_InsertColumn(hwnd_, c, &column);
  }
  for (int c = 0; c < kListColumnCount; ++c) collapsed_[static_cast<std::size_t>(c)] = kColumns[c].width == 1;
}

void ProgramListView::ApplyDpi(UINT dpi) {
  MakeImageLists(dpi);
  for (int column = 0; column < kListColumnCount; ++column) {
    if (collapsed_[static_cast<std::size_t>(column)]) continue;
    LVCOLUMNW info{};
    info.mask = LVCF_WIDTH;
    info.cx = ScaleTo(dpi, kColumns[column].width);
    ListView_SetColumn(hwnd_, column, &info);
  }
}

void ProgramListView::MakeImageLists(UINT dpi) {
  // The image lists at the DPI: rows' icons (filled as rows are drawn), the defaults and the
  // state mark. The list shares them (LVS_SHAREIMAGELISTS): the old ones are destroyed only
  // after it holds the new ones.
  const int large = ScaleTo(dpi, kLargeIcon);
  const int small = ScaleTo(dpi, kSmallIcon);
  UniqueHImageList oldBad = std::move(badIcons_);
  UniqueHIcon oldLargeIcon = std::move(defaultLargeIcon_), oldSmallIcon = std::move(defaultSmallIcon_);
  defaultLargeIcon_.reset(pictures::CreateDefaultProgramIcon(large));
  defaultSmallIcon_.reset(pictures::CreateDefaultProgramIcon(small));
  badIcons_.reset(::ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, 1, 1));
  {
    UniqueHIcon question(pictures::CreateQuestionMarkIcon(small));
    ::ImageList_AddIcon(badIcons_.get(), question.get());
  }
  UniqueHImageList rowsLarge(::ImageList_Create(large, large, ILC_COLOR32 | ILC_MASK, 64, 256));
  UniqueHImageList rowsSmall(::ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, 64, 256));
  std::pair<UniqueHImageList, UniqueHImageList> oldRows;
  if (icons_ == nullptr) {
    // Rows' icons are extracted when the list first draws them.
    icons_ = std::make_unique<ImageListIconSource>(std::move(rowsLarge), std::move(rowsSmall),
                                                   defaultLargeIcon_.get(), defaultSmallIcon_.get(),
                                                   ImageListIconSource::Mode::Deferred);
  } else {
    oldRows = icons_->ReplaceLists(std::move(rowsLarge), std::move(rowsSmall), defaultLargeIcon_.get(),
                                   defaultSmallIcon_.get());
  }
  ListView_SetImageList(hwnd_, icons_->LargeList(), LVSIL_NORMAL);
  ListView_SetImageList(hwnd_, icons_->SmallList(), LVSIL_SMALL);
  ListView_SetImageList(hwnd_, badIcons_.get(), LVSIL_STATE);
}

void ProgramListView::Place(int x, int y, int width, int height) {
  RECT before;
  ::GetWindowRect(hwnd_, &before);
  const bool resized = before.right - before.left != width || before.bottom - before.top != height;
  ::SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  // The list arranges its icons for its new size before it settles its scroll bars, so a
  // column can stick out under a vertical bar that appears. Turning its drawing off and on
  // arranges them again in the room the bars left, and settles the bars anew. A list that
  // kept its size keeps its arrangement: arranging every row again costs as much as the
  // first time.
  if (resized && !updating_ && (style_ == ViewStyle::LargeIcons || style_ == ViewStyle::SmallIcons)) {
    ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  }
}

void ProgramListView::Show(bool shown) {
  shown_ = shown;
  if (hwnd_ != nullptr) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ProgramListView::BeginUpdate() {
  ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  updating_ = true;
  ListView_SetItemCountEx(hwnd_, 0, 0);
}

void ProgramListView::ShowRows() {
  ShowSortArrow();
  // Rows only sorted keep their count; the list is told of a new one only.
  const int count = shown_ ? list_.Count() : 0;
  if (Count() != count) ListView_SetItemCountEx(hwnd_, count, 0);
  if (updating_) {
    updating_ = false;
    ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ProgramListView::CollapseEmptyColumns() {
  for (const ListColumn column : kCollapsible) {
    if (list_.ColumnIsEmpty(column)) Collapse(static_cast<int>(column));
  }
}

void ProgramListView::Collapse(int column) {
  collapsed_[static_cast<std::size_t>(column)] = true;
  LVCOLUMNW info{};
  info.mask = LVCF_WIDTH;
  info.cx = 1;
  ListView_SetColumn(hwnd_, column, &info);
}

void ProgramListView::ShowSortArrow() {
  // The arrow shows the order the rows stand in, which a refresh puts back to ascending
  // names whatever the sort state says.
  const HWND header = ListView_GetHeader(hwnd_);
  if (header == nullptr) return;  // made with the Details view; it is marked then
  for (int column = 0; column < Header_GetItemCount(header); ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header, column, &item)) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == list_.OrderColumn()) item.fmt |= list_.OrderAscending() ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, column, &item);
  }
}

int ProgramListView::Count() const { return ListView_GetItemCount(hwnd_); }

int ProgramListView::Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }

void ProgramListView::Select(int position) {
  if (!SelectInPlace(position)) return;
  ListView_EnsureVisible(hwnd_, position, FALSE);
}

bool ProgramListView::SelectInPlace(int position) {
  if (position < 0 || position >= Count()) return false;
  // The list selects one row at most: the selected and the focused row are the ones to clear.
  // Clearing every row would make the list visit each one and ask for its data.
  for (const UINT which : {LVNI_SELECTED, LVNI_FOCUSED}) {
    const int current = ListView_GetNextItem(hwnd_, -1, which);
    if (current >= 0) ListView_SetItemState(hwnd_, current, 0, LVIS_SELECTED | LVIS_FOCUSED);
  }
  ListView_SetItemState(hwnd_, position, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  return true;
}

int ProgramListView::RowAt(POINT client) const {
  LVHITTESTINFO hit{};
  hit.pt = client;
  return ListView_HitTest(hwnd_, &hit);
}

int ProgramListView::ColumnWidth(int column) const {
  // Asked through the column itself: the width message answers only in the details view.
  LVCOLUMNW info{};
  info.mask = LVCF_WIDTH;
  return ListView_GetColumn(hwnd_, column, &info) ? info.cx : -1;
}

void ProgramListView::SetStyle(ViewStyle style) {
  style_ = style;
  const DWORD current = static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE));
  ::SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>((current & ~LVS_TYPEMASK) | kListStyles[static_cast<int>(style_)]));
  ShowSortArrow();
  // The list settles its scroll bars for the new style as it first draws it, and leaves
  // the strip above a new bar as the old style drew it: drawn once, it is drawn again.
  ::InvalidateRect(hwnd_, nullptr, TRUE);
  ::UpdateWindow(hwnd_);
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

int ProgramListView::RowsInViewWaitingForIcons() const {
  const int count = Count();
  if (!shown_ || count == 0) return 0;
  // Rows lie in index order down the list (across it in the list view): the rows in view are
  // those from the first whose icon ends below the top (or the header) to the last whose icon
  // begins above the bottom. Icon boxes are measured without asking the window for any row.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  if (style_ == ViewStyle::Details) {
    RECT header;
    if (::GetWindowRect(ListView_GetHeader(hwnd_), &header)) client.top = header.bottom - header.top;
  }
  const bool across = style_ == ViewStyle::List;
  const auto iconBox = [this](int position) {
    RECT box{};
    ListView_GetItemRect(hwnd_, position, &box, LVIR_ICON);
    return box;
  };
  const auto firstWhere = [count](auto beyond) {
    int low = 0, high = count;
    while (low < high) {
      const int middle = low + (high - low) / 2;
      if (beyond(middle)) high = middle; else low = middle + 1;
    }
    return low;
  };
  const int first = firstWhere([&](int i) {
    const RECT box = iconBox(i);
    return across ? box.right > client.left : box.bottom > client.top;
  });
  const int end = firstWhere([&](int i) {
    const RECT box = iconBox(i);
    return across ? box.left >= client.right : box.top >= client.bottom;
  });
  int waiting = 0;
  for (int position = first; position < end; ++position) waiting += !icons_->IsResolved(list_.At(position).imageIndex);
  return waiting;
}

bool ProgramListView::Answer(NMHDR* header, LRESULT& result) {
  result = 0;
  if (header->hwndFrom == hwnd_ && header->code == LVN_GETDISPINFOW) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    const int position = item.iItem;
    if (position < 0 || position >= list_.Count()) return true;
    const ProgramEntry& row = list_.At(position);
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0 && item.iSubItem >= 0 &&
        item.iSubItem < kListColumnCount) {
      std::string text = list_.Text(position, static_cast<ListColumn>(item.iSubItem));
      // The list shows at most cchTextMax characters, and no character takes more than three
      // bytes to give one of them: a value of a megabyte is not converted whole at each paint.
      const std::size_t enough = static_cast<std::size_t>(item.cchTextMax) * 3;
      if (text.size() > enough) text.resize(enough);
      lstrcpynW(item.pszText, Widen(text).c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE) item.iImage = shown_ ? icons_->ResolveRow(row.imageIndex) : -1;
    if (item.mask & LVIF_STATE) {
      item.state = INDEXTOSTATEIMAGEMASK(row.uninstallerMissing ? 1 : 0);
      item.stateMask = LVIS_STATEIMAGEMASK;
    }
    return true;
  }
  if (hwnd_ == nullptr || header->hwndFrom != ListView_GetHeader(hwnd_)) return false;
  switch (header->code) {
    case HDN_BEGINTRACKW:
    case HDN_BEGINTRACKA:
    case HDN_DIVIDERDBLCLICKW:
    case HDN_DIVIDERDBLCLICKA:
    case HDN_ITEMCHANGINGW:
    case HDN_ITEMCHANGINGA: {
      // Collapsed columns keep their one pixel: they may not be resized.
      const auto* item = reinterpret_cast<const NMHEADERW*>(header);
      if (item->iItem >= 0 && item->iItem < kListColumnCount && collapsed_[static_cast<std::size_t>(item->iItem)]) {
        const bool changing = header->code == HDN_ITEMCHANGINGW || header->code == HDN_ITEMCHANGINGA;
        const bool keepsItsPixel =
            item->pitem == nullptr || !(item->pitem->mask & HDI_WIDTH) || item->pitem->cxy == 1;
        result = changing && keepsItsPixel ? FALSE : TRUE;
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace tw
