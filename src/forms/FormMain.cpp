#include "forms/FormMain.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "app/AppConfiguration.h"
#include "forms/CorInterfaceToReg.h"
#include "forms/FormAbout.h"
#include "forms/FormAudit.h"
#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormUninstall.h"
#include "forms/FormUninstallLog.h"
#include "forms/DroppedShortcuts.h"
#include "forms/FormEditProgram.h"
#include "forms/FormNewProgram.h"
#include "forms/FormProgramDetails.h"
#include "forms/FormRestore.h"
#include "util/CorRegToolsPlus.h"
#include "catalogue/UninstallKeyTools.h"
#include "util/CorFileInfoTools.h"
#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kDesignWidth = 654;
constexpr int kDesignHeight = 460;
constexpr UINT kFirstActivate = WM_APP + 1;

// The window's bands, top to bottom: the banner, the list (it takes the rest), the advice,
// the buttons. The places below are at 96 DPI.
constexpr int kTopHeight = 57;
constexpr int kAdviceHeight = 81;
constexpr int kBottomHeight = 66;
constexpr int kBannerWidth = 492;
constexpr int kBannerHeight = 41;
constexpr int kBottomCenterWidth = 638;
// The list stands at (14, 50) of its band, as wide as the band less 28 and as high as it
// less 76: the header strip above it, the links' strip below.
constexpr int kListLeft = 14, kListTop = 50, kListWidthLess = 28, kListHeightLess = 76;
// The find button ends where the list ends, the find box 4 before it, and the header text
// 8 before the box. The links stand 5 below the list, right-aligned with it, 14 apart, each
// 2 wider than its text.
constexpr int kFindGap = 4, kHeaderGap = 8, kLinksBelowList = 5, kLinksGap = 14, kLinkSlack = 2;
// The advice text is as wide as the window less 78.
constexpr int kAdviceWidthLess = 78;
constexpr int kTooltipWidth = 320;
constexpr int kAdvicePicture = 32;
constexpr int kLargeIcon = 32, kSmallIcon = 16;
constexpr int kFont = 13;

constexpr ControlLayout kLayout[] = {
    {TfrmMain::IdBanner, 0, (kTopHeight - kBannerHeight) / 2, kBannerWidth, kBannerHeight},
    {TfrmMain::IdHeader, 14, 18, 0, 16, kFont, true},
    {TfrmMain::IdFind, 0, 16, 97, 19, kFont},
    {TfrmMain::IdFindButton, 0, 15, 23, 21},
    {TfrmMain::IdViewStyle, 0, 0, 0, 16, kFont, false, true},
    {TfrmMain::IdRefresh, 0, 0, 0, 16, kFont, false, true},
    {TfrmMain::IdAdvice, 64, 16, 0, 65, kFont},
    {TfrmMain::IdAdviceOk, 22, 16, kAdvicePicture, kAdvicePicture},
    {TfrmMain::IdAdviceBad, 22, 16, kAdvicePicture, kAdvicePicture},
    {TfrmMain::IdBottomCenter, 0, 0, kBottomCenterWidth, kBottomHeight},
    {TfrmMain::IdUninstall, 14, 12, 136, 43},
    {TfrmMain::IdDeleteFromList, 158, 12, 136, 43},
    {TfrmMain::IdProgramDetails, 302, 12, 136, 43},
    {TfrmMain::IdOtherOptions, 446, 12, 136, 43},
    {TfrmMain::IdHelp, 587, 15, 37, 36},
};
constexpr const ControlLayout& kBanner = LayoutEntry(kLayout, TfrmMain::IdBanner);
constexpr const ControlLayout& kHeader = LayoutEntry(kLayout, TfrmMain::IdHeader);
constexpr const ControlLayout& kFind = LayoutEntry(kLayout, TfrmMain::IdFind);
constexpr const ControlLayout& kFindButton = LayoutEntry(kLayout, TfrmMain::IdFindButton);
constexpr const ControlLayout& kViewStyleLink = LayoutEntry(kLayout, TfrmMain::IdViewStyle);
constexpr const ControlLayout& kRefreshLink = LayoutEntry(kLayout, TfrmMain::IdRefresh);
constexpr const ControlLayout& kAdvice = LayoutEntry(kLayout, TfrmMain::IdAdvice);
constexpr const ControlLayout& kBottomCenter = LayoutEntry(kLayout, TfrmMain::IdBottomCenter);

UINT RowsWaitingForIconsMessage() {
  static const UINT message = ::RegisterWindowMessageW(kRowsWaitingForIconsMessage);
  return message;
}

// The list's window style of each view style, in the order of ViewStyle.
constexpr DWORD kListStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

struct ColumnSpec {
  StrId caption;
  int width;  ///< 1: always collapsed
  int format;
};
constexpr ColumnSpec kColumns[7] = {
    {StrId::ColumnName, 150, LVCFMT_LEFT},         {StrId::ColumnKey, 1, LVCFMT_LEFT},
    {StrId::ColumnTarget, 1, LVCFMT_LEFT},         {StrId::ColumnSize, 80, LVCFMT_RIGHT},
    {StrId::ColumnLastUsedOn, 100, LVCFMT_LEFT},   {StrId::ColumnFrequency, 100, LVCFMT_LEFT},
    {StrId::ColumnUninstallCommand, 300, LVCFMT_LEFT},
};

/// One item of a popup menu; an item without an id is a separator.
struct MenuItem {
  int id = 0;
  StrId caption{};
};

// What a run nobody sees reads of each entry beyond its name, its command and the uninstaller
// test: what its switch uses. A window reads everything.
ScanParts PartsUsedBy(StartupAction action) {
  switch (action) {
    case StartupAction::Report: return ScanParts{false, false};          // names and commands
    case StartupAction::QuietUninstall: return ScanParts{false, true};   // the quiet commands
    case StartupAction::Restore: return ScanParts{false, false};
    default: return ScanParts{};                                         // the inventories
  }
}

UniqueHMenu MakeMenu(std::initializer_list<MenuItem> items) {
  UniqueHMenu menu(::CreatePopupMenu());
  for (const MenuItem& item : items) {
    if (item.id == 0) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.id), Widen(StrText(item.caption)).c_str());
    }
  }
  return menu;
}

}  // namespace

std::span<const ControlLayout> TfrmMain::LayoutTable() { return kLayout; }

namespace {

// The list's own right-button handling would run a drag loop and open the menu on release;
// the program list opens its menu on the press.
LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
  if (message == WM_RBUTTONDOWN) {
    // The menu's commands run inside this procedure: their errors are shown here, as those
    // of commands started from the buttons are.
    auto* form = reinterpret_cast<TfrmMain*>(data);
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    form->RunGuarded([&] { form->TheListViewMouseDown(at); });
    return 0;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &ListViewProc, 1);
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

TfrmMain::TfrmMain(Services& services)
    : services_(services),
      settings_(services.platform.registry),
      list_(services.platform.locale, services.platform.timeZone),
      unattended_(services.request.Unattended()) {}

// ---------------------------------------------------------------------------------------
// Creation, showing, activation, closing

void TfrmMain::Create() {
  creating_ = true;
  const UINT systemDpi = ::GetDpiForSystem();
  CreateWindowOf(L"TidewellMain", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_ACCEPTFILES,
                 Widen(kAppTitle), CW_USEDEFAULT, CW_USEDEFAULT,
                 MulDiv(kDesignWidth, static_cast<int>(systemDpi), 96),
                 MulDiv(kDesignHeight, static_cast<int>(systemDpi), 96), nullptr,
                 reinterpret_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  if (hwnd_ == nullptr) throw std::runtime_error(LoadStr(StrId::MainWindowNotCreated));
  if (Dpi() != systemDpi) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, Scale(kDesignWidth), Scale(kDesignHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::DragAcceptFiles(hwnd_, TRUE);
  if (const auto style = StoredViewStyle()) viewStyle_ = *style;
  BuildControls();
  BuildMenus();
  ApplyLayout(Dpi());

  list_.ResetSortState();  // one click on "Name" on the empty list: the first click sorts ascending

  const bool scanned = RefreshProgramList();
  creating_ = false;
  if (!scanned) {
    // A failed scan skips the first selection and the command line: the window shows what
    // could be read, as an ordinary session. A switch that was not carried out ends the
    // program with a failure status.
    if (IsUnattendedRun()) commandLineFailed_ = true;
    LeaveUnattendedRun(false);
    return;
  }
  if (RowCount() > 0) SelectRow(0);
  ProcessCommandLine();
}

void TfrmMain::PlaceWindow() {
  RECT rc;
  ::GetWindowRect(hwnd_, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  ::SetWindowPos(hwnd_, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  LoadWindowPlacement(hwnd_, settings_, true);
}

void TfrmMain::Show(int showCommand) {
  PlaceWindow();
  ::ShowWindow(hwnd_, showCommand);
  ::UpdateWindow(hwnd_);
  if (!activated_ && ::IsWindowVisible(hwnd_) && (activationPending_ || ::GetActiveWindow() == hwnd_)) {
    StartFirstActivation();
  }
}

void TfrmMain::StartFirstActivation() {
  activated_ = true;
  activationPending_ = false;
  // The first activation's work may open dialogs: run it once activation is complete.
  ::PostMessageW(hwnd_, kFirstActivate, 0, 0);
}

void TfrmMain::CloseWithoutShowing() {
  // Saved as on any exit, but from what is stored: the hidden window (made in the stored view
  // style) was never maximised, and a first run stores the centred bounds.
  PlaceWindow();
  const int state = settings_.Read(StrId::WindowState, 0);
  hiddenWindowState_ = state >= 0 && state <= 2 ? state : 0;
  ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TfrmMain::MarkCommandLineFailed() {
  commandLineFailed_ = true;
  LeaveUnattendedRun(true);
}

void TfrmMain::LeaveUnattendedRun(bool selectFirstRow) {
  if (!unattended_) return;
  unattended_ = false;
  if (listView_ == nullptr) return;
  // A run nobody was to see read only what its switch used, no icon locations, and put no
  // rows in the list view. The user sees the rows now, with all a scan for the window reads.
  try {
    CompleteRows(services_.platform, list_.RowsInScanOrder(), ScanParts{!scanned_.usage, !scanned_.details},
                 icons_.get());
    icons_->Commit();
  } catch (const std::exception&) {
    // What could not be read stays empty, as a scan leaves it.
  }
  scanned_ = ScanParts{};
  ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCountEx(listView_, list_.Count(), 0);
  CollapseEmptyUsageColumns();
  ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(listView_, nullptr, TRUE);
  if (selectFirstRow && RowCount() > 0) SelectRow(0);
}

std::optional<ViewStyle> TfrmMain::StoredViewStyle() {
  const int style = settings_.Read(StrId::MainViewStyle, static_cast<int>(viewStyle_));
  // A stored style outside 0 to 3 is ignored, like an out-of-range window state.
  if (style < 0 || style > 3) return std::nullopt;
  return static_cast<ViewStyle>(style);
}

void TfrmMain::FormActivateFirst() {
  LoadWindowState(hwnd_, settings_);
  // The list was made in the stored view; it is applied again only when it changed since.
  if (const auto style = StoredViewStyle(); style && *style != viewStyle_) SetViewStyle(*style);
  ProcessUninstallSwitch();
}

void TfrmMain::FormClose() { ::DragAcceptFiles(hwnd_, FALSE); }

void TfrmMain::FormDestroy() {
  try {
    const int state = hiddenWindowState_ >= 0 ? hiddenWindowState_ : WindowStateOf(hwnd_);
    settings_.Write(StrId::WindowState, state);
    if (state == 0) SaveWindowPlacement(hwnd_, settings_, true);
    settings_.Write(StrId::MainViewStyle, static_cast<int>(viewStyle_));
  } catch (const RegistryError&) {
    // Settings that cannot be stored are not worth stopping the exit for.
  }
}

int TfrmMain::OuterWidth() const {
  RECT rc;
  ::GetWindowRect(hwnd_, &rc);
  return rc.right - rc.left;
}

void TfrmMain::ReportError(const std::string& text) {
  ShowStandardError(services_.prompts, hwnd_, text);
}

// ---------------------------------------------------------------------------------------
// Controls and layout

void TfrmMain::BuildControls() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto control = [instance](const wchar_t* className, DWORD exStyle, DWORD style, HWND parent, int id) {
    return ::CreateWindowExW(exStyle, className, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  const auto button = [this](HWND parent, int id, StrId label, ButtonLook look, pictures::Glyph glyph) {
    return CreateImageButton(parent, id, Widen(StrText(label)), look, glyph, 0, 0, 0, 0, Dpi());
  };
  panTop_.Create(hwnd_, 0, 0, 0, 0, kBandColor);
  panLVContainer_.Create(hwnd_, 0, 0, 0, 0, RGB(255, 255, 255));
  panAdvice_.Create(hwnd_, 0, 0, 0, 0, RGB(255, 255, 255));
  panBottom_.Create(hwnd_, 0, 0, 0, 0, RGB(255, 255, 255));
  panBottomCenter_.CreateControl(panBottom_.Handle(), IdBottomCenter, RGB(255, 255, 255));
  panTop_.onResize = [this] { panTopResize(); };
  panLVContainer_.onResize = [this] { panLVContainerResize(); };
  panAdvice_.onResize = [this] { panAdviceResize(); };
  panBottom_.onResize = [this] { panBottomResize(); };

  imgTop_ = control(L"STATIC", 0, WS_VISIBLE | SS_OWNERDRAW, panTop_.Handle(), IdBanner);
  ::SetWindowTextW(imgTop_, Widen(kAppTitle).c_str());

  const HWND container = panLVContainer_.Handle();
  txtHeader_ = CreateLabel(container, IdHeader, Widen(StrText(StrId::MainListHeader)), 0, 0, 0, 0, nullptr);
  colors_.Set(txtHeader_, RGB(0, 0, 0), RGB(255, 255, 255));
  ediFind_ = control(L"EDIT", WS_EX_CLIENTEDGE, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, container, IdFind);
  cmdFind_ = button(container, IdFindButton, StrId::FindButton, ButtonLook::Icon, pictures::Glyph::Find);

  // The list is made in the view it will show: made in another one, it would arrange every
  // row for that view first.
  listView_ = control(WC_LISTVIEWW, WS_EX_CLIENTEDGE,
                      WS_VISIBLE | WS_TABSTOP | kListStyles[static_cast<int>(viewStyle_)] | LVS_SINGLESEL |
                          LVS_SHOWSELALWAYS | LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
                      container, IdList);
  ListView_SetExtendedListViewStyle(listView_, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_DOUBLEBUFFER);
  ::SetWindowSubclass(listView_, &ListViewProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // The list holds no rows of its own: texts, icons and the question mark come from the rows
  // when it draws them, so filling it costs nothing per row.
  ListView_SetCallbackMask(listView_, LVIS_STATEIMAGEMASK);
  for (int c = 0; c < 7; ++c) {
    std::wstring caption = Widen(StrText(kColumns[c].caption));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[c].format;
    column.cx = 1;  // widths at the window's DPI come with the layout
    column.pszText = caption.data();
    column.iSubItem = c;
    ListView_InsertColumn(listView_, c, &column);
  }
  collapsed_[1] = collapsed_[2] = true;  // Key and Target are always one pixel wide

  txtViewStyle_ = CreateLink(container, IdViewStyle, Widen(StrText(StrId::ViewStyleLink)), 0, 0, 0, 0, nullptr,
                             SS_RIGHT);
  txtRefresh_ = CreateLink(container, IdRefresh, Widen(StrText(StrId::RefreshLink)), 0, 0, 0, 0, nullptr, SS_RIGHT);
  colors_.Set(txtViewStyle_, kLinkColor, RGB(255, 255, 255));
  colors_.Set(txtRefresh_, kLinkColor, RGB(255, 255, 255));

  const HWND advice = panAdvice_.Handle();
  txtSelectedProgram_ = CreateLabel(advice, IdAdvice, L"", 0, 0, 0, 0, nullptr);
  colors_.Set(txtSelectedProgram_, RGB(0, 0, 0), RGB(255, 255, 255));
  imgSelectedProgramOK_ = control(L"STATIC", 0, SS_ICON | SS_REALSIZECONTROL, advice, IdAdviceOk);
  imgSelectedProgramBad_ = control(L"STATIC", 0, SS_ICON | SS_REALSIZECONTROL, advice, IdAdviceBad);

  const HWND center = panBottomCenter_.Handle();
  cmdUninstall_ = button(center, IdUninstall, StrId::UninstallButton, ButtonLook::Large, pictures::Glyph::Uninstall);
  cmdDeleteFromList_ = button(center, IdDeleteFromList, StrId::DeleteFromListButton, ButtonLook::Large,
                              pictures::Glyph::DeleteFromList);
  cmdProgramDetails_ = button(center, IdProgramDetails, StrId::ProgramDetailsButton, ButtonLook::Large,
                              pictures::Glyph::ProgramDetails);
  cmdOtherOptions_ = button(center, IdOtherOptions, StrId::OtherOptionsButton, ButtonLook::Large,
                            pictures::Glyph::OtherOptions);
  cmdHelp_ = button(center, IdHelp, StrId::HelpButton, ButtonLook::Icon, pictures::Glyph::Help);
  tooltip_ = CreateTooltip(hwnd_, Scale(kTooltipWidth));
  AddTooltip(tooltip_, cmdHelp_, Widen(StrText(StrId::HelpButton)));
}

void TfrmMain::BuildMenus() {
  popOtherOptions_ = MakeMenu({{CmdEditDetails, StrId::MenuEditProgramDetails},
                               {CmdNewProgram, StrId::MenuNewProgram},
                               {},
                               {CmdUninstallLog, StrId::MenuUninstallLog},
                               {CmdRestore, StrId::MenuRestore},
                               {CmdAuditReport, StrId::MenuAuditReport},
                               {},
                               {CmdAbout, StrId::MenuAbout},
                               {},
                               {CmdExit, StrId::MenuExit}});
  popProgramPopupMenu_ = MakeMenu({{CmdUninstall, StrId::MenuUninstall},
                                   {CmdDeleteFromList, StrId::MenuDeleteFromList},
                                   {},
                                   {CmdProgramDetails, StrId::MenuProgramDetails},
                                   {CmdEditDetails, StrId::MenuEditProgramDetails}});
  popProgramNilPopupMenu_ = MakeMenu({{CmdNewProgram, StrId::MenuNewProgram}});
  popViewStyle_ = MakeMenu({{CmdViewLarge, StrId::MenuLargeIcons},
                            {CmdViewSmall, StrId::MenuSmallIcons},
                            {CmdViewList, StrId::MenuList},
                            {CmdViewDetails, StrId::MenuDetails}});
}

void TfrmMain::LayoutAll() {
  RECT rc;
  ::GetClientRect(hwnd_, &rc);
  const int width = rc.right;
  const int height = rc.bottom;
  const int top = Scale(kTopHeight);
  const int bottom = Scale(kBottomHeight);
  const int advice = Scale(kAdviceHeight);
  const int container = std::max(0, height - top - advice - bottom);
  ::SetWindowPos(panTop_.Handle(), nullptr, 0, 0, width, top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(panLVContainer_.Handle(), nullptr, 0, top, width, container, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(panAdvice_.Handle(), nullptr, 0, top + container, width, advice, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(panBottom_.Handle(), nullptr, 0, top + container + advice, width, bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  // Rules that depend on the outer width run again even when a panel kept its size.
  panTopResize();
  panLVContainerResize();
  panAdviceResize();
  panBottomResize();
}

void TfrmMain::MakeImageLists() {
  // The image lists at the window's DPI: rows' icons (filled as rows are drawn), the defaults
  // and the state mark. The list shares them (LVS_SHAREIMAGELISTS): the old ones are
  // destroyed only after it holds the new ones.
  const int large = Scale(kLargeIcon);
  const int small = Scale(kSmallIcon);
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
  ListView_SetImageList(listView_, icons_->LargeList(), LVSIL_NORMAL);
  ListView_SetImageList(listView_, icons_->SmallList(), LVSIL_SMALL);
  ListView_SetImageList(listView_, badIcons_.get(), LVSIL_STATE);
}

void TfrmMain::LayoutApplied() {
  MakeImageLists();
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(kTooltipWidth));
  {
    // The advice pictures at the window's size; the old ones live until the controls let go.
    UniqueHIcon ok(pictures::CreateAdviceIcon(true, Scale(kAdvicePicture)));
    UniqueHIcon bad(pictures::CreateAdviceIcon(false, Scale(kAdvicePicture)));
    ::SendMessageW(imgSelectedProgramOK_, STM_SETICON, reinterpret_cast<WPARAM>(ok.get()), 0);
    ::SendMessageW(imgSelectedProgramBad_, STM_SETICON, reinterpret_cast<WPARAM>(bad.get()), 0);
    adviceOkIcon_ = std::move(ok);
    adviceBadIcon_ = std::move(bad);
  }
  for (int column = 0; column < 7; ++column) {
    if (collapsed_[static_cast<std::size_t>(column)]) continue;
    LVCOLUMNW info{};
    info.mask = LVCF_WIDTH;
    info.cx = Scale(kColumns[column].width);
    ListView_SetColumn(listView_, column, &info);
  }
  LayoutAll();
}

void TfrmMain::panTopResize() {
  if (imgTop_ == nullptr) return;
  ::SetWindowPos(imgTop_, nullptr, (OuterWidth() - Scale(kBanner.width)) / 2, Scale(kBanner.y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panLVContainerResize() {
  if (listView_ == nullptr) return;
  RECT rc;
  ::GetClientRect(panLVContainer_.Handle(), &rc);
  const int listWidth = std::max(0, static_cast<int>(rc.right) - Scale(kListWidthLess));
  const int listHeight = std::max(0, static_cast<int>(rc.bottom) - Scale(kListHeightLess));
  RECT before;
  ::GetWindowRect(listView_, &before);
  const bool resized = before.right - before.left != listWidth || before.bottom - before.top != listHeight;
  ::SetWindowPos(listView_, nullptr, Scale(kListLeft), Scale(kListTop), listWidth, listHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  // The list arranges its icons for its new size before it settles its scroll bars, so a
  // column can stick out under a vertical bar that appears. Turning its drawing off and on
  // arranges them again in the room the bars left, and settles the bars anew. A list that
  // kept its size keeps its arrangement: arranging every row again costs as much as the
  // first time.
  if (resized && (viewStyle_ == ViewStyle::LargeIcons || viewStyle_ == ViewStyle::SmallIcons)) {
    ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  }
  // The find box and its button at the right of the header strip, the links right-aligned
  // below the list.
  const int right = Scale(kListLeft) + listWidth;
  const int buttonLeft = right - Scale(kFindButton.width);
  const int findLeft = buttonLeft - Scale(kFindGap) - Scale(kFind.width);
  ::SetWindowPos(cmdFind_, nullptr, buttonLeft, Scale(kFindButton.y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(ediFind_, nullptr, findLeft, Scale(kFind.y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int linksTop = Scale(kListTop) + listHeight + Scale(kLinksBelowList);
  // The links are as wide as their texts, right-aligned with the list.
  const int refreshWidth = TextWidthOf(txtRefresh_) + Scale(kLinkSlack);
  const int viewStyleWidth = TextWidthOf(txtViewStyle_) + Scale(kLinkSlack);
  ::SetWindowPos(txtRefresh_, nullptr, right - refreshWidth, linksTop, refreshWidth, Scale(kRefreshLink.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(txtViewStyle_, nullptr, right - refreshWidth - Scale(kLinksGap) - viewStyleWidth, linksTop,
                 viewStyleWidth, Scale(kViewStyleLink.height), SWP_NOZORDER | SWP_NOACTIVATE);
  // The header text runs up to the find box.
  ::SetWindowPos(txtHeader_, nullptr, 0, 0, std::max(0, findLeft - Scale(kHeaderGap) - Scale(kHeader.x)),
                 Scale(kHeader.height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panAdviceResize() {
  if (txtSelectedProgram_ == nullptr) return;
  ::SetWindowPos(txtSelectedProgram_, nullptr, 0, 0, std::max(0, OuterWidth() - Scale(kAdviceWidthLess)),
                 Scale(kAdvice.height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panBottomResize() {
  if (panBottomCenter_.Handle() == nullptr) return;
  ::SetWindowPos(panBottomCenter_.Handle(), nullptr, (OuterWidth() - Scale(kBottomCenter.width)) / 2, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------
// The list

int TfrmMain::RowCount() const { return ListView_GetItemCount(listView_); }

const ProgramEntry& TfrmMain::RowAt(int position) const { return list_.At(position); }

int TfrmMain::SelectedIndex() const { return ListView_GetNextItem(listView_, -1, LVNI_SELECTED); }

void TfrmMain::SelectRow(int position) {
  if (!SelectRowInPlace(position)) return;
  ListView_EnsureVisible(listView_, position, FALSE);
}

bool TfrmMain::SelectRowInPlace(int position) {
  if (position < 0 || position >= RowCount()) return false;
  // The list selects one row at most: the selected and the focused row are the ones to clear.
  // Clearing every row would make the list visit each one and ask for its data.
  for (const UINT which : {LVNI_SELECTED, LVNI_FOCUSED}) {
    const int current = ListView_GetNextItem(listView_, -1, which);
    if (current >= 0) ListView_SetItemState(listView_, current, 0, LVIS_SELECTED | LVIS_FOCUSED);
  }
  ListView_SetItemState(listView_, position, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  return true;
}

int TfrmMain::ColumnWidth(int column) const {
  // Asked through the column itself: the width message answers only in the details view.
  LVCOLUMNW info{};
  info.mask = LVCF_WIDTH;
  return ListView_GetColumn(listView_, column, &info) ? info.cx : -1;
}

void TfrmMain::CollapseEmptyUsageColumns() {
  for (const ListColumn column : {ListColumn::Size, ListColumn::LastUsedOn, ListColumn::Frequency}) {
    if (list_.ColumnIsEmpty(column)) CollapseColumn(static_cast<int>(column));
  }
}

void TfrmMain::CollapseColumn(int column) {
  collapsed_[static_cast<std::size_t>(column)] = true;
  LVCOLUMNW info{};
  info.mask = LVCF_WIDTH;
  info.cx = 1;
  ListView_SetColumn(listView_, column, &info);
}

bool TfrmMain::RefreshProgramList() {
  const int selected = SelectedIndex();
  // A run nobody sees needs the rows but no icons, and no list view to show them in.
  const bool shown = !IsUnattendedRun();
  scanned_ = shown ? ScanParts{} : PartsUsedBy(services_.request.action);
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
  ScanReport report;
  std::string failure;
  ListView_SetItemCountEx(listView_, 0, 0);
  list_.Clear();
  try {
    icons_->Reset();
    report = ScanCatalogue(services_.platform, list_, shown ? icons_.get() : nullptr, true, scanned_);
  } catch (const std::exception& e) {
    failure = e.what();
  }
  try {
    // The rows read before a failure are listed too.
    if (shown) icons_->Commit();
    list_.ShowInNameOrder();
    ShowSortArrow();
    if (shown) {
      ListView_SetItemCountEx(listView_, list_.Count(), 0);
      CollapseEmptyUsageColumns();
    }
  } catch (const std::exception& e) {
    if (failure.empty()) failure = e.what();
  }
  ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(listView_, nullptr, TRUE);
  if (const int reselect = list_.ReselectAfterRefresh(selected); reselect >= 0) SelectRow(reselect);
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  TheListViewChange();
  const bool scanned = failure.empty();
  // Values that could not be read: one error box after the whole scan, none in unattended
  // runs. A scan that failed outright is always shown.
  if (scanned && !report.errors.empty() && !IsUnattendedRun()) failure = report.FirstError();
  if (!failure.empty()) ShowStandardError(services_.prompts, hwnd_, failure);
  return scanned;
}

void TfrmMain::ShowSortArrow() {
  // The arrow shows the order the rows stand in, which a refresh puts back to ascending
  // names whatever the sort state says.
  const HWND header = ListView_GetHeader(listView_);
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

void TfrmMain::TheListViewColumnClick(int column) {
  const int selected = list_.ColumnClick(column, SelectedIndex());
  if (selected >= 0) SelectRow(selected);
  ShowSortArrow();
  ::InvalidateRect(listView_, nullptr, TRUE);
}

void TfrmMain::TheListViewChange() {
  const int selected = SelectedIndex();
  if (selected < 0) {
    ::SetWindowTextW(txtSelectedProgram_, L"");
    ::ShowWindow(imgSelectedProgramOK_, SW_HIDE);
    ::ShowWindow(imgSelectedProgramBad_, SW_HIDE);
    return;
  }
  const ProgramEntry& row = RowAt(selected);
  const bool missing = row.uninstallerMissing;
  SetWindowTextUtf8(txtSelectedProgram_,
                    FormatText(LoadStr(missing ? StrId::AdviceMissing : StrId::AdviceOk), row.caption));
  ::ShowWindow(imgSelectedProgramOK_, missing ? SW_HIDE : SW_SHOW);
  ::ShowWindow(imgSelectedProgramBad_, missing ? SW_SHOW : SW_HIDE);
}

int TfrmMain::RowsInViewWaitingForIcons() const {
  const int count = RowCount();
  if (unattended_ || count == 0) return 0;
  // Rows lie in index order down the list (across it in the list view): the rows in view are
  // those from the first whose icon ends below the top (or the header) to the last whose icon
  // begins above the bottom. Icon boxes are measured without asking the window for any row.
  RECT client;
  ::GetClientRect(listView_, &client);
  if (viewStyle_ == ViewStyle::Details) {
    RECT header;
    if (::GetWindowRect(ListView_GetHeader(listView_), &header)) client.top = header.bottom - header.top;
  }
  const bool across = viewStyle_ == ViewStyle::List;
  const auto iconBox = [this](int position) {
    RECT box{};
    ListView_GetItemRect(listView_, position, &box, LVIR_ICON);
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
  for (int position = first; position < end; ++position) waiting += !icons_->IsResolved(RowAt(position).imageIndex);
  return waiting;
}

bool TfrmMain::AdviceOkShown() const { return (::GetWindowLongW(imgSelectedProgramOK_, GWL_STYLE) & WS_VISIBLE) != 0; }
bool TfrmMain::AdviceBadShown() const { return (::GetWindowLongW(imgSelectedProgramBad_, GWL_STYLE) & WS_VISIBLE) != 0; }

bool TfrmMain::RequireSelection() {
  if (SelectedIndex() >= 0) return false;
  services_.prompts.Show(hwnd_, LoadStr(StrId::SelectFirst), std::string(kAppTitle), MB_OK);
  return true;
}

int TfrmMain::FindProgram(const std::string& text, bool substring, bool silent) {
  const int found = list_.Find(text, substring, silent, SelectedIndex());
  if (found < 0 && !silent && !text.empty()) {
    services_.prompts.Show(hwnd_, FormatText(LoadStr(StrId::ProgramNotFound), text), std::string(kAppTitle),
                           MB_OK | MB_ICONERROR);
  }
  return found;
}

void TfrmMain::cmdFindClick() {
  const int found = FindProgram(WindowText(ediFind_), true, false);
  if (found >= 0) SelectRow(found);
}

void TfrmMain::TheListViewDblClick() {
  if (SelectedIndex() >= 0) cmdUninstallClick();
}

void TfrmMain::TheListViewMouseDown(POINT client) {
  LVHITTESTINFO hit{};
  hit.pt = client;
  const int item = ListView_HitTest(listView_, &hit);
  POINT screen = client;
  ::ClientToScreen(listView_, &screen);
  ::SetFocus(listView_);
  if (item >= 0) {
    // The row lies under the pointer: scrolling it fully into view would move another
    // program under the menu than the one it acts on.
    SelectRowInPlace(item);
    ShowMenu(popProgramPopupMenu_.get(), screen);
  } else {
    ShowMenu(popProgramNilPopupMenu_.get(), screen);
  }
}

void TfrmMain::ShowMenu(HMENU menu, POINT screen) {
  const int chosen = services_.menus.Track(hwnd_, menu, screen);
  if (chosen != 0) RunCommand(chosen);
}

void TfrmMain::txtViewStyleClick() {
  // The current style carries the radio check mark when the menu opens.
  ::CheckMenuRadioItem(popViewStyle_.get(), CmdViewLarge, CmdViewDetails,
                       CmdViewLarge + static_cast<int>(viewStyle_), MF_BYCOMMAND);
  POINT cursor;
  ::GetCursorPos(&cursor);
  ShowMenu(popViewStyle_.get(), cursor);
}

void TfrmMain::SetViewStyle(ViewStyle style) {
  viewStyle_ = style;
  ApplyViewStyle();
}

void TfrmMain::ApplyViewStyle() {
  const DWORD current = static_cast<DWORD>(::GetWindowLongW(listView_, GWL_STYLE));
  ::SetWindowLongW(listView_, GWL_STYLE,
                   static_cast<LONG>((current & ~LVS_TYPEMASK) | kListStyles[static_cast<int>(viewStyle_)]));
  ShowSortArrow();
  // The list settles its scroll bars for the new style as it first draws it, and leaves
  // the strip above a new bar as the old style drew it: drawn once, it is drawn again.
  ::InvalidateRect(listView_, nullptr, TRUE);
  ::UpdateWindow(listView_);
  ::RedrawWindow(listView_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

// ---------------------------------------------------------------------------------------
// Commands

void TfrmMain::RunCommand(int id) {
  switch (id) {
    case IdFindButton: cmdFindClick(); break;
    case IdViewStyle: txtViewStyleClick(); break;
    case IdRefresh: Label3Click(); break;
    case IdUninstall:
    case CmdUninstall: cmdUninstallClick(); break;
    case IdDeleteFromList:
    case CmdDeleteFromList: cmdDeleteFromListClick(); break;
    case IdProgramDetails:
    case CmdProgramDetails: cmdProgramDetailsClick(); break;
    case IdOtherOptions: cmdOtherOptionsClick(); break;
    case IdHelp: cmdHelpClick(); break;
    case CmdEditDetails: ViewEditProgramDetails1Click(); break;
    case CmdNewProgram: Newprogram1Click(); break;
    case CmdUninstallLog: UninstallLog1Click(); break;
    case CmdRestore: RestoreDeletedEntries1Click(); break;
    case CmdAuditReport: PrintAuditReport1Click(); break;
    case CmdAbout: About1Click(); break;
    case CmdExit: Exit1Click(); break;
    case CmdViewLarge: SetViewStyle(ViewStyle::LargeIcons); break;
    case CmdViewSmall: SetViewStyle(ViewStyle::SmallIcons); break;
    case CmdViewList: SetViewStyle(ViewStyle::List); break;
    case CmdViewDetails: SetViewStyle(ViewStyle::Details); break;
    default: break;
  }
}

void TfrmMain::cmdUninstallClick() {
  if (RequireSelection()) return;
  const ProgramEntry& row = RowAt(SelectedIndex());
  {
    TUninstallBox box(services_);
    // A row without a display name is named by its key path.
    const std::string name = row.DisplayName();
    box.ProgramName = name.empty() ? row.KeyPath() : name;
    box.UninstallCommand = row.command;
    box.KeyPath = row.KeyPath();
    services_.modal.Run(box, hwnd_);
  }
  // However the dialog was closed, the catalogue may have changed.
  RefreshProgramList();
}

void TfrmMain::cmdDeleteFromListClick() {
  if (RequireSelection()) return;
  const ProgramEntry& row = RowAt(SelectedIndex());
  const std::string keyPath = row.KeyPath();
  const std::string name = row.DisplayName();
  int choice = TDeleteKeyBox::ChoiceCancel;
  {
    TDeleteKeyBox box(services_);
    box.DeleteKeyProgramName = name;
    services_.modal.Run(box, hwnd_);
    choice = box.Choice;
  }
  if (choice == TDeleteKeyBox::ChoiceTryToUninstall) {
    cmdUninstallClick();
    return;
  }
  if (choice != TDeleteKeyBox::ChoiceDelete) return;
  if (!BackUpBeforeChange(services_, hwnd_, keyPath, BackupReason::Deleted)) return;
  UninstallLog& log = services_.log;
  log.DeleteStarted(name);
  const bool deleted = DeleteUninstallKey(services_.platform.registry, keyPath);
  if (deleted) {
    log.DeleteSucceeded();
  } else {
    log.DeleteFailed();
    services_.prompts.Show(hwnd_, LoadStr(StrId::UnableToDeleteKey), std::nullopt, MB_OK | MB_ICONERROR);
  }
  TellLogNotWritten(services_, hwnd_);
  RefreshProgramList();
}

void TfrmMain::cmdProgramDetailsClick() {
  if (RequireSelection()) return;
  const ProgramEntry& row = RowAt(SelectedIndex());
  TProgramDetailsBox box(services_);
  const int selected = SelectedIndex();
  box.KeyPath = row.KeyPath();
  box.SizeText = list_.Text(selected, ListColumn::Size);
  box.LastUsedText = list_.Text(selected, ListColumn::LastUsedOn);
  box.FrequencyText = list_.Text(selected, ListColumn::Frequency);
  services_.modal.Run(box, hwnd_);
}

void TfrmMain::ViewEditProgramDetails1Click() {
  if (RequireSelection()) return;
  const std::string keyPath = RowAt(SelectedIndex()).KeyPath();
  TEditProgramBox box(services_);
  box.KeyPath = keyPath;
  if (services_.modal.Run(box, hwnd_) != kModalOk) return;
  // The write-back removes every value and writes them again.
  if (!BackUpBeforeChange(services_, hwnd_, keyPath, BackupReason::BeforeEdit)) return;
  if (!WriteUninstallEntry(services_.platform.registry, keyPath, "", "", &box.Values(), false)) {
    services_.prompts.Show(hwnd_, LoadStr(StrId::UnableToModify), std::string(kAppTitle), MB_OK | MB_ICONERROR);
  }
  RefreshProgramList();
}

void TfrmMain::Newprogram1Click() {
  const std::string catalogue = MakeFullKeyPath(RootKey::LocalMachine, LoadStr(StrId::UninstallKey)) + "\\";
  for (int n = 1; n <= 10000; ++n) {
    const std::string keyPath = catalogue + LoadStr(StrId::NewProgram) + std::to_string(n);
    if (!UninstallKeyExists(services_.platform.registry, keyPath)) {
      NewProgramEntry(keyPath, "", "");
      return;
    }
  }
}

namespace {

// A key path that names no entry: its sub key is empty or ends in a backslash, so writing
// to it would rewrite the values of a root or of the catalogue key itself.
bool NamesNoEntry(const std::string& keyPath) {
  const std::string subKey = ExtractSubKey(keyPath);
  return keyPath.find('\\') == std::string::npos || subKey.empty() || subKey.back() == '\\';
}

}  // namespace

void TfrmMain::NewProgramEntry(const std::string& keyPath, const std::string& displayName,
                               const std::string& uninstallCommand) {
  Registry& registry = services_.platform.registry;
  while (true) {
    TNewProgramBox box(services_);
    box.KeyPath = keyPath;
    box.DisplayName = displayName;
    box.UninstallCommand = uninstallCommand;
    if (services_.modal.Run(box, hwnd_) != kModalOk) return;
    const std::string entry = box.KeyPath;
    if (!NamesNoEntry(entry) && UninstallKeyExists(registry, entry)) {
      const int answer = services_.prompts.Show(hwnd_, FormatText(LoadStr(StrId::AlreadyExists), entry),
                                                std::string(kAppTitle), MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDNO) continue;  // the dialog again, with the texts first proposed
      if (answer != IDYES) return;
      if (!BackUpBeforeChange(services_, hwnd_, entry, BackupReason::BeforeOverwrite)) return;
    }
    const bool written =
        !NamesNoEntry(entry) && WriteUninstallEntry(registry, entry, box.DisplayName, box.UninstallCommand, nullptr, true);
    if (!written) {
      services_.prompts.Show(hwnd_, LoadStr(StrId::UnableToCreate), std::string(kAppTitle), MB_OK | MB_ICONERROR);
    }
    RefreshProgramList();
    return;
  }
}

void TfrmMain::WMDropFiles(HDROP drop) {
  HandleDroppedFiles(hwnd_, drop, services_.platform.files, [this](const ShortcutProposal& proposal) {
    NewProgramEntry(proposal.keyPath, proposal.displayName, proposal.command);
  });
}

void TfrmMain::UninstallLog1Click() {
  TUninstallLogBox box(services_);
  services_.modal.Run(box, hwnd_);
}

void TfrmMain::RestoreDeletedEntries1Click() {
  std::string restored;
  bool changed = false;
  {
    TRestoreBox box(services_);
    services_.modal.Run(box, hwnd_);
    restored = box.RestoredEntry;
    changed = box.CatalogueChanged();
  }
  if (!changed) return;
  RefreshProgramList();
  if (!restored.empty()) SelectEntry(restored);
}

void TfrmMain::SelectEntry(const std::string& keyPath) {
  const std::string wanted = AsciiUpper(keyPath);
  for (int position = 0; position < RowCount(); ++position) {
    if (AsciiUpper(RowAt(position).KeyPath()) == wanted) {
      SelectRow(position);
      return;
    }
  }
}

void TfrmMain::PrintAuditReport1Click() {
  TAuditBox box(services_, ListedRows(list_));
  services_.modal.Run(box, hwnd_);
}

// ---------------------------------------------------------------------------------------
// The command line

void TfrmMain::ProcessCommandLine() {
  const StartupRequest& request = services_.request;
  switch (request.action) {
    case StartupAction::Report:
      if (WriteReportForCommandLine(services_, hwnd_, ListedRows(list_), request.fileName, request.longFormat)) {
        RequestTerminate();
      } else {
        MarkCommandLineFailed();
      }
      return;
    case StartupAction::QuietUninstall:
      if (QuietUninstall()) {
        RequestTerminate();
      } else {
        // The entries left alone show, with what the others left behind.
        MarkCommandLineFailed();
        RefreshProgramList();
      }
      return;
    case StartupAction::Restore:
      switch (RestoreForCommandLine(services_, hwnd_, request.fileName)) {
        case RestoreOutcome::Restored:
          RequestTerminate();
          break;
        case RestoreOutcome::Declined:
          // Nothing was written, as the user chose; the status says it was not restored.
          MarkCommandLineFailed();
          RequestTerminate();
          break;
        case RestoreOutcome::Failed:
          MarkCommandLineFailed();
          RefreshProgramList();  // a restore may have failed half way
          break;
      }
      return;
    case StartupAction::Inventory:
      if (WriteInventoryForCommandLine(services_, hwnd_, ListedRows(list_), request)) {
        RequestTerminate();
      } else {
        MarkCommandLineFailed();
      }
      return;
    default:
      return;
  }
}

bool TfrmMain::QuietUninstall() {
  std::string skipped;
  for (const std::string& name : services_.request.names) {
    const int position = FindProgram(name, false, true);
    if (position < 0) continue;
    const ProgramEntry& row = RowAt(position);
    try {
      SaveEntryBackup(services_.platform, services_.backupFolder, row.KeyPath(), BackupReason::QuietRemoval);
    } catch (const BackupError& e) {
      skipped += std::string("\r\n\r\n") + e.what();
      continue;
    }
    // The installer's own unattended command where the entry records one.
    services_.process.Start(row.quietCommand.empty() ? row.command : row.quietCommand);
    DeleteUninstallKey(services_.platform.registry, row.KeyPath());
  }
  if (skipped.empty()) return true;
  ShowStandardError(services_.prompts, hwnd_, LoadStr(StrId::QuietRemovalSkipped) + skipped);
  return false;
}

void TfrmMain::ProcessUninstallSwitch() {
  const StartupRequest& request = services_.request;
  if (request.action != StartupAction::Uninstall) return;
  const int position = FindProgram(request.names.empty() ? std::string() : request.names.front(), false, false);
  if (position < 0) return;
  SelectRow(position);
  cmdUninstallClick();
}

void TfrmMain::About1Click() {
  TAboutBox box(services_);
  services_.modal.Run(box, hwnd_);
}

void TfrmMain::cmdOtherOptionsClick() {
  POINT cursor;
  ::GetCursorPos(&cursor);
  ShowMenu(popOtherOptions_.get(), cursor);
}

void TfrmMain::cmdHelpClick() {
  services_.shell.Open(hwnd_, services_.exeFolder + "TIDEWELL.CHM");
}

void TfrmMain::Exit1Click() { ::SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

// ---------------------------------------------------------------------------------------
// Messages

bool TfrmMain::PreTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN || !IsSelfOrDescendant(hwnd_, msg.hwnd)) return false;
  if (msg.wParam == VK_F1) {
    cmdHelpClick();
    return true;
  }
  if (msg.wParam == VK_TAB) {
    // Tab and Shift+Tab move the focus through the find box, the list and the buttons, as in
    // a dialog (the panels are control parents).
    const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (const HWND next = ::GetNextDlgTabItem(hwnd_, ::GetFocus(), back ? TRUE : FALSE)) ::SetFocus(next);
    return true;
  }
  if (msg.wParam == VK_F5) {
    Label3Click();
    return true;
  }
  if (msg.wParam == 'F' && (::GetKeyState(VK_CONTROL) & 0x8000) != 0 && (::GetKeyState(VK_MENU) & 0x8000) == 0) {
    // To the find box, its text selected so that typing replaces it.
    ::SetFocus(ediFind_);
    ::SendMessageW(ediFind_, EM_SETSEL, 0, -1);
    return true;
  }
  if (msg.wParam == VK_DELETE && msg.hwnd != ediFind_) {
    // While typing in the find box Delete edits the text; elsewhere it acts on the selected
    // row as the Delete From List button does. Without a selection it does nothing, as Enter.
    if (SelectedIndex() >= 0) cmdDeleteFromListClick();
    return true;
  }
  if (msg.wParam == VK_RETURN) {
    if (msg.hwnd == listView_) {
      if (SelectedIndex() >= 0) cmdUninstallClick();
      return true;
    }
    if (msg.hwnd == ediFind_) {
      cmdFindClick();
      return true;
    }
  }
  return false;
}

LRESULT TfrmMain::OnNotify(NMHDR* header) {
  if (header->hwndFrom == listView_) {
    switch (header->code) {
      case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        const int position = info->item.iItem;
        if (position < 0 || position >= list_.Count()) return 0;
        const ProgramEntry& row = list_.At(position);
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText != nullptr && info->item.cchTextMax > 0 &&
            info->item.iSubItem >= 0 && info->item.iSubItem < kListColumnCount) {
          const std::wstring wide = Widen(list_.Text(position, static_cast<ListColumn>(info->item.iSubItem)));
          lstrcpynW(info->item.pszText, wide.c_str(), info->item.cchTextMax);
        }
        if (info->item.mask & LVIF_IMAGE) {
          info->item.iImage = unattended_ ? -1 : icons_->ResolveRow(row.imageIndex);
        }
        if (info->item.mask & LVIF_STATE) {
          info->item.state = INDEXTOSTATEIMAGEMASK(row.uninstallerMissing ? 1 : 0);
          info->item.stateMask = LVIS_STATEIMAGEMASK;
        }
        return 0;
      }
      case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
          TheListViewChange();
        }
        return 0;
      }
      case LVN_COLUMNCLICK:
        TheListViewColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return 0;
      case NM_DBLCLK:
        TheListViewDblClick();
        return 0;
      default:
        return 0;
    }
  }
  if (header->hwndFrom == ListView_GetHeader(listView_)) {
    switch (header->code) {
      case HDN_BEGINTRACKW:
      case HDN_BEGINTRACKA:
      case HDN_DIVIDERDBLCLICKW:
      case HDN_DIVIDERDBLCLICKA:
      case HDN_ITEMCHANGINGW:
      case HDN_ITEMCHANGINGA: {
        // Collapsed columns keep their one pixel: they may not be resized.
        const auto* item = reinterpret_cast<NMHEADERW*>(header);
        if (item->iItem >= 0 && item->iItem < 7 && collapsed_[static_cast<std::size_t>(item->iItem)]) {
          if ((header->code == HDN_ITEMCHANGINGW || header->code == HDN_ITEMCHANGINGA) &&
              (item->pitem == nullptr || !(item->pitem->mask & HDI_WIDTH) || item->pitem->cxy == 1)) {
            return FALSE;
          }
          return TRUE;
        }
        return FALSE;
      }
      default:
        return 0;
    }
  }
  return 0;
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_SIZE:
      if (listView_ != nullptr) {
        LayoutAll();
        // Moved and resized controls keep the pixels they had: the list may have scrolled back
        // (all its rows fit now) without drawing again, and the links would show what lay
        // at their new places before. Everything is drawn anew at its new place.
        ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !activated_) {
        // An activation before the window shows (an error box of the first scan gives the
        // activation back to its hidden owner) is kept for Show: no later one would come.
        if (creating_ || !::IsWindowVisible(hwnd_)) {
          activationPending_ = true;
        } else {
          StartFirstActivation();
        }
      }
      break;
    case kFirstActivate:
      FormActivateFirst();
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (lParam == 0) {
        RunCommand(id);  // menus and accelerators
      } else if (code == BN_CLICKED || (code == STN_CLICKED && (id == IdViewStyle || id == IdRefresh))) {
        RunCommand(id);
      }
      return 0;
    }
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == static_cast<UINT>(IdBanner)) {
        pictures::DrawBanner(item->hDC, item->rcItem, Dpi());
        return TRUE;
      }
      return DrawImageButton(*item) ? TRUE : FALSE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = colors_.Handle(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_DPICHANGED:
      // The layout at the new DPI, then the suggested bounds; a change of size places the
      // parts that follow it once more.
      OnDpiChanged(wParam, lParam);
      return 0;
    case WM_DROPFILES: WMDropFiles(reinterpret_cast<HDROP>(wParam)); break;
    case WM_CLOSE:
      FormClose();
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      FormDestroy();
      ::PostQuitMessage(0);
      return 0;
    default:
      if (message == RowsWaitingForIconsMessage()) return RowsInViewWaitingForIcons();
      break;
  }
  return Form::HandleMessage(message, wParam, lParam);
}

}  // namespace tw
