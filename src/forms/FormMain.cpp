#include "forms/FormMain.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "app/AppConfiguration.h"
#include "app/CommandLine.h"
#include "app/CorDirectReg.h"
#include "app/CorInterfaceToReg.h"
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
#include "util/CorRegToolsPlus.h"
#include "catalogue/UninstallKeyTools.h"
#include "util/CorFileInfoTools.h"
#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/WinText.h"

namespace tw {

bool TfrmMain::SortAscending = true;

namespace {

constexpr int kDesignWidth = 654;
constexpr int kDesignHeight = 460;
constexpr int kTopHeight = 57;
constexpr int kAdviceHeight = 81;
constexpr int kBottomHeight = 66;
constexpr int kBottomCenterWidth = 638;
constexpr int kBannerWidth = 492;
constexpr int kBannerHeight = 41;
constexpr UINT kFirstActivate = WM_APP + 1;

UINT RowsWaitingForIconsMessage() {
  static const UINT message = ::RegisterWindowMessageW(kRowsWaitingForIconsMessage);
  return message;
}

struct ColumnSpec {
  const wchar_t* caption;
  int width;
  int format;
};
constexpr ColumnSpec kColumns[7] = {
    {L"Name", 150, LVCFMT_LEFT},       {L"Key", 1, LVCFMT_LEFT},
    {L"Target", 1, LVCFMT_LEFT},       {L"Size", 80, LVCFMT_RIGHT},
    {L"Last Used On", 100, LVCFMT_LEFT}, {L"Frequency", 100, LVCFMT_LEFT},
    {L"Uninstall Command", 300, LVCFMT_LEFT},
};

const char* const kSelectFirst = "Please first select the program you want to uninstall";

// The rows a scan appends, collected before they are shown.
struct RowCollector : ProgramSink {
  std::vector<ProgramEntry>& rows;
  explicit RowCollector(std::vector<ProgramEntry>& r) : rows(r) {}
  void AddRow(ProgramEntry&& row) override { rows.push_back(std::move(row)); }
};

HMENU MakeMenu(std::initializer_list<std::pair<int, const wchar_t*>> items) {
  HMENU menu = ::CreatePopupMenu();
  for (const auto& [id, caption] : items) {
    if (id == 0) {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), caption);
    }
  }
  return menu;
}

}  // namespace

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

TfrmMain::TfrmMain(Services& services) : services_(services) {}

TfrmMain::~TfrmMain() {
  for (HMENU menu : {popOtherOptions_, popProgramPopupMenu_, popProgramNilPopupMenu_, popViewStyle_}) {
    if (menu != nullptr) ::DestroyMenu(menu);
  }
}

// ---------------------------------------------------------------------------------------
// Creation, showing, activation, closing

void TfrmMain::Create() {
  creating_ = true;
  unattended_ = tw::IsUnattendedRun(services_.parameters);
  const UINT systemDpi = ::GetDpiForSystem();
  CreateWindowOf(L"TidewellMain", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_ACCEPTFILES,
                 Widen(kAppTitle), CW_USEDEFAULT, CW_USEDEFAULT,
                 MulDiv(kDesignWidth, static_cast<int>(systemDpi), 96),
                 MulDiv(kDesignHeight, static_cast<int>(systemDpi), 96), nullptr,
                 reinterpret_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  if (hwnd_ == nullptr) throw std::runtime_error("The main window could not be created.");
  if (Dpi() != systemDpi) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, Scale(kDesignWidth), Scale(kDesignHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::DragAcceptFiles(hwnd_, TRUE);
  fonts_.SetDpi(Dpi());
  BuildControls();
  BuildMenus();
  LayoutAll();

  SortColumn = 0;
  SortAscending = true;
  TheListViewColumnClick(0);  // on the empty list: the first click on "Name" sorts ascending

  const bool scanned = RefreshProgramList();
  creating_ = false;
  if (!scanned) {
    // A failed scan skips the first selection and the command line: the window shows what
    // could be read, as an ordinary session. A switch that was not carried out ends the
    // program with a failure status.
    if (IsUnattendedRun()) commandLineFailed_ = true;
    LeaveUnattendedRun();
    return;
  }
  if (RowCount() > 0) SelectRow(0);
  ProcessCommandLine(*this);
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
  LoadWindowPlacement(hwnd_, services_.platform.registry, SettingsKey(), SettingsSection(), true);
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
  // Saved as on any exit, but from what is stored: the hidden window was never maximised,
  // never given the stored view style, and a first run stores the centred bounds.
  PlaceWindow();
  Registry& registry = services_.platform.registry;
  const int style = ReadSetting(registry, SettingsKey(), SettingsSection(),
                                LoadStr(StrId::MainViewStyle), static_cast<int>(viewStyle_));
  if (style >= 0 && style <= 3) viewStyle_ = static_cast<ViewStyle>(style);
  const int state = ReadSetting(registry, SettingsKey(), SettingsSection(),
                                LoadStr(StrId::WindowState), 0);
  hiddenWindowState_ = state >= 0 && state <= 2 ? state : 0;
  ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TfrmMain::MarkCommandLineFailed() {
  commandLineFailed_ = true;
  LeaveUnattendedRun();
}

void TfrmMain::LeaveUnattendedRun() {
  if (!unattended_) return;
  unattended_ = false;
  services_.extractIcons = true;
  if (listView_ != nullptr) ::InvalidateRect(listView_, nullptr, TRUE);
}

void TfrmMain::FormActivateFirst() {
  LoadWindowState(hwnd_, services_.platform.registry, SettingsKey(), SettingsSection());
  const int style = ReadSetting(services_.platform.registry, SettingsKey(), SettingsSection(),
                                LoadStr(StrId::MainViewStyle), static_cast<int>(viewStyle_));
  // A stored style outside 0 to 3 is ignored, like an out-of-range window state.
  if (style >= 0 && style <= 3) SetViewStyle(static_cast<ViewStyle>(style));
  ProcessUninstallSwitch(*this);
}

void TfrmMain::FormClose() { ::DragAcceptFiles(hwnd_, FALSE); }

void TfrmMain::FormDestroy() {
  Registry& registry = services_.platform.registry;
  try {
    const int state = hiddenWindowState_ >= 0 ? hiddenWindowState_ : WindowStateOf(hwnd_);
    WriteSetting(registry, SettingsKey(), SettingsSection(), LoadStr(StrId::WindowState), state);
    if (state == 0) {
      SaveWindowPlacement(hwnd_, registry, SettingsKey(), SettingsSection(), true);
    }
    WriteSetting(registry, SettingsKey(), SettingsSection(), LoadStr(StrId::MainViewStyle),
                 static_cast<int>(viewStyle_));
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
  panTop_.Create(hwnd_, 0, 0, 10, Scale(kTopHeight), kBandColor);
  panLVContainer_.Create(hwnd_, 0, 0, 10, 10, RGB(255, 255, 255));
  panAdvice_.Create(hwnd_, 0, 0, 10, Scale(kAdviceHeight), RGB(255, 255, 255));
  panBottom_.Create(hwnd_, 0, 0, 10, Scale(kBottomHeight), RGB(255, 255, 255));
  panBottomCenter_.Create(panBottom_.Handle(), 0, 0, Scale(kBottomCenterWidth), Scale(kBottomHeight),
                          RGB(255, 255, 255));
  panTop_.onResize = [this] { panTopResize(); };
  panLVContainer_.onResize = [this] { panLVContainerResize(); };
  panAdvice_.onResize = [this] { panAdviceResize(); };
  panBottom_.onResize = [this] { panBottomResize(); };

  imgTop_ = ::CreateWindowExW(0, L"STATIC", L"Tidewell", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW,
                              0, Scale((kTopHeight - kBannerHeight) / 2), Scale(kBannerWidth),
                              Scale(kBannerHeight), panTop_.Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdBanner)), instance, nullptr);

  const HWND container = panLVContainer_.Handle();
  txtHeader_ = CreateLabel(container, IdHeader,
                           L"Select the program(s) you want to uninstall from your computer:",
                           Scale(14), Scale(18), Scale(440), Scale(16), fonts_.Arial(13, true));
  colors_.Set(txtHeader_, RGB(0, 0, 0), RGB(255, 255, 255));
  ediFind_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, Scale(16),
                               Scale(97), Scale(19), container,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdFind)), instance, nullptr);
  ::SendMessageW(ediFind_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
  cmdFind_ = CreateImageButton(container, IdFindButton, L"Find", ButtonLook::Icon, pictures::Glyph::Find,
                               0, 15, 23, 21, Dpi());

  listView_ = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
          LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
      Scale(14), Scale(50), Scale(100), Scale(100), container,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdList)), instance, nullptr);
  ListView_SetExtendedListViewStyle(listView_, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB | LVS_EX_DOUBLEBUFFER);
  ::SetWindowSubclass(listView_, &ListViewProc, 1, reinterpret_cast<DWORD_PTR>(this));
  // The list holds no rows of its own: texts, icons and the question mark come from the rows
  // when it draws them, so filling it costs nothing per row.
  ListView_SetCallbackMask(listView_, LVIS_STATEIMAGEMASK);
  for (int c = 0; c < 7; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[c].format;
    column.cx = kColumns[c].width == 1 ? 1 : Scale(kColumns[c].width);
    column.pszText = const_cast<wchar_t*>(kColumns[c].caption);
    column.iSubItem = c;
    ListView_InsertColumn(listView_, c, &column);
  }
  collapsed_[1] = collapsed_[2] = true;  // Key and Target are always one pixel wide

  MakeImageLists();

  txtViewStyle_ = CreateLink(container, IdViewStyle, L"View Style", 0, 0, Scale(62), Scale(16),
                             fonts_.Arial(13, false, true), SS_RIGHT);
  txtRefresh_ = CreateLink(container, IdRefresh, L"Refresh", 0, 0, Scale(46), Scale(16),
                           fonts_.Arial(13, false, true), SS_RIGHT);
  colors_.Set(txtViewStyle_, kLinkColor, RGB(255, 255, 255));
  colors_.Set(txtRefresh_, kLinkColor, RGB(255, 255, 255));

  const HWND advice = panAdvice_.Handle();
  txtSelectedProgram_ = CreateLabel(advice, IdAdvice, L"", Scale(64), Scale(16), Scale(500),
                                    Scale(65), fonts_.Arial(13));
  colors_.Set(txtSelectedProgram_, RGB(0, 0, 0), RGB(255, 255, 255));
  adviceOkIcon_.reset(pictures::CreateAdviceIcon(true, Scale(32)));
  adviceBadIcon_.reset(pictures::CreateAdviceIcon(false, Scale(32)));
  imgSelectedProgramOK_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_ICON | SS_REALSIZECONTROL,
                                            Scale(22), Scale(16), Scale(32), Scale(32), advice,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdAdviceOk)), instance, nullptr);
  imgSelectedProgramBad_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_ICON | SS_REALSIZECONTROL,
                                             Scale(22), Scale(16), Scale(32), Scale(32), advice,
                                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdAdviceBad)), instance, nullptr);
  ::SendMessageW(imgSelectedProgramOK_, STM_SETICON, reinterpret_cast<WPARAM>(adviceOkIcon_.get()), 0);
  ::SendMessageW(imgSelectedProgramBad_, STM_SETICON, reinterpret_cast<WPARAM>(adviceBadIcon_.get()), 0);

  const HWND center = panBottomCenter_.Handle();
  cmdUninstall_ = CreateImageButton(center, IdUninstall, L"Uninstall", ButtonLook::Large,
                                    pictures::Glyph::Uninstall, 14, 12, 136, 43, Dpi());
  cmdDeleteFromList_ = CreateImageButton(center, IdDeleteFromList, L"Delete From List", ButtonLook::Large,
                                         pictures::Glyph::DeleteFromList, 158, 12, 136, 43, Dpi());
  cmdProgramDetails_ = CreateImageButton(center, IdProgramDetails, L"Program Details", ButtonLook::Large,
                                         pictures::Glyph::ProgramDetails, 302, 12, 136, 43, Dpi());
  cmdOtherOptions_ = CreateImageButton(center, IdOtherOptions, L"Other Options", ButtonLook::Large,
                                       pictures::Glyph::OtherOptions, 446, 12, 136, 43, Dpi());
  cmdHelp_ = CreateImageButton(center, IdHelp, L"Help", ButtonLook::Icon, pictures::Glyph::Help,
                               587, 15, 37, 36, Dpi());
  tooltip_ = CreateTooltip(hwnd_, Scale(320));
  AddTooltip(tooltip_, cmdHelp_, L"Help");
}

void TfrmMain::BuildMenus() {
  popOtherOptions_ = MakeMenu({{CmdEditDetails, L"Edit Program Details..."},
                               {CmdNewProgram, L"New Program..."},
                               {0, nullptr},
                               {CmdUninstallLog, L"Uninstall Log..."},
                               {CmdAuditReport, L"Print or Save Audit Report..."},
                               {0, nullptr},
                               {CmdAbout, L"About..."},
                               {0, nullptr},
                               {CmdExit, L"Exit"}});
  popProgramPopupMenu_ = MakeMenu({{CmdUninstall, L"Uninstall"},
                                   {CmdDeleteFromList, L"Delete From List"},
                                   {0, nullptr},
                                   {CmdProgramDetails, L"Program Details..."},
                                   {CmdEditDetails, L"Edit Program Details..."}});
  popProgramNilPopupMenu_ = MakeMenu({{CmdNewProgram, L"New Program..."}});
  popViewStyle_ = MakeMenu({{CmdViewLarge, L"Large Icons"},
                            {CmdViewSmall, L"Small Icons"},
                            {CmdViewList, L"List"},
                            {CmdViewDetails, L"Details"}});
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
  const int large = Scale(32);
  const int small = Scale(16);
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

void TfrmMain::ApplyDpi() {
  // Fonts, fixed sizes and the picture buttons follow the new DPI; LayoutAll then places
  // what depends on the window's size.
  fonts_.SetDpi(Dpi());
  const auto font = [](HWND control, HFONT f) { ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE); };
  font(txtHeader_, fonts_.Arial(13, true));
  font(ediFind_, fonts_.Arial(13));
  font(txtViewStyle_, fonts_.Arial(13, false, true));
  font(txtRefresh_, fonts_.Arial(13, false, true));
  font(txtSelectedProgram_, fonts_.Arial(13));
  Place(txtHeader_, *this, 14, 18, 440, 16);
  ::SetWindowPos(ediFind_, nullptr, 0, 0, Scale(97), Scale(19), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveImageButton(cmdFind_, 0, 15, 23, 21, Dpi());
  ::SetWindowPos(imgTop_, nullptr, 0, 0, Scale(kBannerWidth), Scale(kBannerHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Place(txtSelectedProgram_, *this, 64, 16, 500, 65);
  Place(imgSelectedProgramOK_, *this, 22, 16, 32, 32);
  Place(imgSelectedProgramBad_, *this, 22, 16, 32, 32);
  ::SetWindowPos(panBottomCenter_.Handle(), nullptr, 0, 0, Scale(kBottomCenterWidth), Scale(kBottomHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveImageButton(cmdUninstall_, 14, 12, 136, 43, Dpi());
  MoveImageButton(cmdDeleteFromList_, 158, 12, 136, 43, Dpi());
  MoveImageButton(cmdProgramDetails_, 302, 12, 136, 43, Dpi());
  MoveImageButton(cmdOtherOptions_, 446, 12, 136, 43, Dpi());
  MoveImageButton(cmdHelp_, 587, 15, 37, 36, Dpi());
  MakeImageLists();
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(320));
  {
    // The advice pictures at the new size; the old ones live until the controls let go.
    UniqueHIcon ok(pictures::CreateAdviceIcon(true, Scale(32)));
    UniqueHIcon bad(pictures::CreateAdviceIcon(false, Scale(32)));
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
}

void TfrmMain::panTopResize() {
  if (imgTop_ == nullptr) return;
  RECT rc;
  ::GetWindowRect(imgTop_, &rc);
  const int bannerWidth = rc.right - rc.left;
  ::SetWindowPos(imgTop_, nullptr, (OuterWidth() - bannerWidth) / 2, Scale((kTopHeight - kBannerHeight) / 2),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panLVContainerResize() {
  if (listView_ == nullptr) return;
  RECT rc;
  ::GetClientRect(panLVContainer_.Handle(), &rc);
  const int listWidth = std::max(0, static_cast<int>(rc.right) - Scale(28));
  const int listHeight = std::max(0, static_cast<int>(rc.bottom) - Scale(76));
  ::SetWindowPos(listView_, nullptr, Scale(14), Scale(50), listWidth, listHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  // The list arranges its icons for its new size before it settles its scroll bars, so a
  // column can stick out under a vertical bar that appears. Turning its drawing off and on
  // arranges them again in the room the bars left, and settles the bars anew.
  if (viewStyle_ == ViewStyle::LargeIcons || viewStyle_ == ViewStyle::SmallIcons) {
    ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  }
  // The find box and its button at the right of the header strip, the links right-aligned
  // below the list.
  const int right = Scale(14) + listWidth;
  RECT button;
  ::GetWindowRect(cmdFind_, &button);
  const int buttonWidth = button.right - button.left;
  ::SetWindowPos(cmdFind_, nullptr, right - buttonWidth, Scale(15), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(ediFind_, nullptr, right - buttonWidth - Scale(4) - Scale(97), Scale(16), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const int linksTop = Scale(50) + listHeight + Scale(5);
  // The links are as wide as their texts, right-aligned with the list.
  const int refreshWidth = TextWidthOf(txtRefresh_) + Scale(2);
  const int viewStyleWidth = TextWidthOf(txtViewStyle_) + Scale(2);
  ::SetWindowPos(txtRefresh_, nullptr, right - refreshWidth, linksTop, refreshWidth, Scale(16),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(txtViewStyle_, nullptr, right - refreshWidth - Scale(14) - viewStyleWidth, linksTop,
                 viewStyleWidth, Scale(16), SWP_NOZORDER | SWP_NOACTIVATE);
  // The header text runs up to the find box.
  const int findLeft = right - buttonWidth - Scale(4) - Scale(97);
  ::SetWindowPos(txtHeader_, nullptr, 0, 0, std::max(0, findLeft - Scale(8) - Scale(14)), Scale(16),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panAdviceResize() {
  if (txtSelectedProgram_ == nullptr) return;
  ::SetWindowPos(txtSelectedProgram_, nullptr, 0, 0, std::max(0, OuterWidth() - Scale(78)), Scale(65),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panBottomResize() {
  if (panBottomCenter_.Handle() == nullptr) return;
  ::SetWindowPos(panBottomCenter_.Handle(), nullptr, (OuterWidth() - Scale(kBottomCenterWidth)) / 2, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------
// The list

int TfrmMain::RowCount() const { return ListView_GetItemCount(listView_); }

const ProgramEntry& TfrmMain::RowAt(int position) const {
  return rows_.at(order_.at(static_cast<std::size_t>(position)));
}

int TfrmMain::SelectedIndex() const { return ListView_GetNextItem(listView_, -1, LVNI_SELECTED); }

void TfrmMain::SelectRow(int position) {
  if (!SelectRowInPlace(position)) return;
  ListView_EnsureVisible(listView_, position, FALSE);
}

bool TfrmMain::SelectRowInPlace(int position) {
  if (position < 0 || position >= RowCount()) return false;
  ListView_SetItemState(listView_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(listView_, position, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  return true;
}

bool TfrmMain::ColumnIsEmpty(int subItem) const {
  for (const ProgramEntry& row : rows_) {
    if (!row.subItems[static_cast<std::size_t>(subItem)].empty()) return false;
  }
  return true;
}

int TfrmMain::ColumnWidth(int column) const {
  // Asked through the column itself: the width message answers only in the details view.
  LVCOLUMNW info{};
  info.mask = LVCF_WIDTH;
  return ListView_GetColumn(listView_, column, &info) ? info.cx : -1;
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
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  ::SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
  ScanReport report;
  std::string failure;
  ListView_SetItemCountEx(listView_, 0, 0);
  rows_.clear();
  order_.clear();
  try {
    icons_->Reset();
    RowCollector collector(rows_);
    report = ScanCatalogue(services_.platform, collector, icons_.get(), true);
  } catch (const std::exception& e) {
    failure = e.what();
  }
  try {
    // The rows read before a failure are listed too.
    icons_->Commit();
    SortByCaption();
    ListView_SetItemCountEx(listView_, static_cast<int>(rows_.size()), 0);
    for (int subItem = SubItem::Size; subItem <= SubItem::Frequency; ++subItem) {
      if (ColumnIsEmpty(subItem)) CollapseColumn(subItem + 1);
    }
  } catch (const std::exception& e) {
    if (failure.empty()) failure = e.what();
  }
  ::SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(listView_, nullptr, TRUE);
  if (selected != -1 && selected < RowCount()) SelectRow(selected);
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
  TheListViewChange();
  const bool scanned = failure.empty();
  // Values that could not be read: one error box after the whole scan, none in unattended
  // runs. A scan that failed outright is always shown.
  if (scanned && !report.errors.empty() && !IsUnattendedRun()) failure = report.FirstError();
  if (!failure.empty()) ShowStandardError(services_.prompts, hwnd_, failure);
  return scanned;
}

namespace {

// The text a row shows in a column (0 the caption, c the sub item c - 1).
const std::string& ColumnText(const ProgramEntry& row, int column) {
  return column == 0 ? row.caption : row.subItems[static_cast<std::size_t>(column - 1)];
}

}  // namespace

void TfrmMain::SortByCaption() {
  order_.resize(rows_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
  SortRows(0, true);
}

void TfrmMain::SortRows(int column, bool ascending) {
  // The locale's sort keys order texts as its comparison (CompareRows) does, at one call per
  // row instead of two conversions and a call per comparison.
  Locale& locale = services_.platform.locale;
  std::vector<std::string> keys;
  keys.reserve(rows_.size());
  for (const ProgramEntry& row : rows_) keys.push_back(locale.SortKey(ColumnText(row, column)));
  std::sort(order_.begin(), order_.end(), [&keys, ascending](std::size_t a, std::size_t b) {
    return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
  });
  shownOrder_ = {column, ascending};
  ShowSortArrow();
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
    if (column == shownOrder_.column) item.fmt |= shownOrder_.ascending ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, column, &item);
  }
}

int TfrmMain::CompareRows(const ProgramEntry& row1, const ProgramEntry& row2, int column) const {
  const int result = services_.platform.locale.Compare(ColumnText(row1, column), ColumnText(row2, column));
  return SortAscending ? result : -result;
}

void TfrmMain::TheListViewColumnClick(int column) {
  if (column == SortColumn) {
    SortAscending = !SortAscending;
  } else {
    SortColumn = column;
    SortAscending = true;
  }
  // The selected row keeps its selection wherever the sort takes it.
  const int selected = SelectedIndex();
  const std::size_t selectedRow = selected >= 0 ? order_[static_cast<std::size_t>(selected)] : rows_.size();
  SortRows(SortColumn, SortAscending);
  if (selectedRow < rows_.size()) {
    const auto at = std::find(order_.begin(), order_.end(), selectedRow);
    SelectRow(static_cast<int>(at - order_.begin()));
  }
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
  const bool missing = row.stateMark == 0;
  SetWindowTextUtf8(txtSelectedProgram_,
                    FormatText(LoadStr(missing ? StrId::AdviceMissing : StrId::AdviceOk), row.caption));
  ::ShowWindow(imgSelectedProgramOK_, missing ? SW_HIDE : SW_SHOW);
  ::ShowWindow(imgSelectedProgramBad_, missing ? SW_SHOW : SW_HIDE);
}

int TfrmMain::RowsInViewWaitingForIcons() const {
  const int count = RowCount();
  if (!services_.extractIcons || count == 0) return 0;
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
  services_.prompts.Show(hwnd_, kSelectFirst, std::string(kAppTitle), MB_OK);
  return true;
}

int TfrmMain::FindProgram(const std::string& text, bool substring, bool silent) {
  if (text.empty()) return -1;
  const int count = RowCount();
  const std::string wanted = AsciiUpper(text);
  if (count > 0) {
    const int selected = SelectedIndex();
    const int start = (silent || selected < 0) ? 0 : selected;
    int index = start;
    while (true) {
      index = (index + 1) % count;
      // A whole-name search (/UNINSTALL, /QU) never matches an entry without a name by its
      // placeholder caption: every such entry shows it, and it names none of them.
      const ProgramEntry& row = RowAt(index);
      const std::string caption = AsciiUpper(row.caption);
      const bool match = substring ? caption.find(wanted) != std::string::npos : caption == wanted && row.named;
      if (match) return index;
      if (index == start) break;
    }
  }
  if (!silent) {
    services_.prompts.Show(hwnd_, "The program you are looking for (" + text + ") was not found",
                           std::string(kAppTitle), MB_OK | MB_ICONERROR);
  }
  return -1;
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
    ShowMenu(popProgramPopupMenu_, screen);
  } else {
    ShowMenu(popProgramNilPopupMenu_, screen);
  }
}

void TfrmMain::ShowMenu(HMENU menu, POINT screen) {
  const int chosen = services_.menus.Track(hwnd_, menu, screen);
  if (chosen != 0) RunCommand(chosen);
}

void TfrmMain::txtViewStyleClick() {
  // The current style carries the radio check mark when the menu opens.
  ::CheckMenuRadioItem(popViewStyle_, CmdViewLarge, CmdViewDetails,
                       CmdViewLarge + static_cast<int>(viewStyle_), MF_BYCOMMAND);
  POINT cursor;
  ::GetCursorPos(&cursor);
  ShowMenu(popViewStyle_, cursor);
}

void TfrmMain::SetViewStyle(ViewStyle style) {
  viewStyle_ = style;
  ApplyViewStyle();
}

void TfrmMain::ApplyViewStyle() {
  static constexpr DWORD kStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  const DWORD current = static_cast<DWORD>(::GetWindowLongW(listView_, GWL_STYLE));
  ::SetWindowLongW(listView_, GWL_STYLE,
                   static_cast<LONG>((current & ~LVS_TYPEMASK) | kStyles[static_cast<int>(viewStyle_)]));
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

namespace {

// The display name a row was listed with: empty for a row whose caption is the stand-in
// that the scan shows for an entry without a name.
std::string DisplayNameOf(const ProgramEntry& row) { return row.named ? row.caption : std::string(); }

}  // namespace

void TfrmMain::cmdUninstallClick() {
  if (RequireSelection()) return;
  const ProgramEntry& row = RowAt(SelectedIndex());
  {
    TUninstallBox box(services_);
    // A row without a display name is named by its key path.
    const std::string name = DisplayNameOf(row);
    box.ProgramName = name.empty() ? row.subItems[SubItem::Key] : name;
    box.UninstallCommand = row.subItems[SubItem::UninstallCommand];
    box.KeyPath = row.subItems[SubItem::Key];
    services_.modal.Run(box, hwnd_);
  }
  // However the dialog was closed, the catalogue may have changed.
  RefreshProgramList();
}

void TfrmMain::cmdDeleteFromListClick() {
  if (RequireSelection()) return;
  const ProgramEntry& row = RowAt(SelectedIndex());
  const std::string keyPath = row.subItems[SubItem::Key];
  const std::string name = DisplayNameOf(row);
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
  Platform& platform = services_.platform;
  const std::string logPath = UninstallLogPath(services_.exeFolder);
  bool logged = AppendToUninstallLog(platform.files, platform.ansi, logPath,
                                     DeleteStartedRecord(DateTimeText(platform.locale, platform.clock.Now()), name));
  const bool deleted = DeleteUninstallKey(platform.registry, keyPath);
  logged = AppendToUninstallLog(platform.files, platform.ansi, logPath, deleted ? kDeleteOkRecord : kDeleteFailedRecord) &&
           logged;
  if (!deleted) services_.prompts.Show(hwnd_, kUnableToDeleteKey, std::nullopt, MB_OK | MB_ICONERROR);
  if (!logged) TellLogNotWritten(services_, hwnd_, logPath);
  RefreshProgramList();
}

void TfrmMain::cmdProgramDetailsClick() {
  if (RequireSelection()) return;
  const ProgramEntry& row = RowAt(SelectedIndex());
  TProgramDetailsBox box(services_);
  box.KeyPath = row.subItems[SubItem::Key];
  box.SizeText = row.subItems[SubItem::Size];
  box.LastUsedText = row.subItems[SubItem::LastUsedOn];
  box.FrequencyText = row.subItems[SubItem::Frequency];
  services_.modal.Run(box, hwnd_);
}

void TfrmMain::ViewEditProgramDetails1Click() {
  if (RequireSelection()) return;
  const std::string keyPath = RowAt(SelectedIndex()).subItems[SubItem::Key];
  TEditProgramBox box(services_);
  box.KeyPath = keyPath;
  if (services_.modal.Run(box, hwnd_) != kModalOk) return;
  if (!WriteUninstallEntry(services_.platform.registry, keyPath, "", "", &box.Values(), false)) {
    services_.prompts.Show(hwnd_, "Unable to modify the entry.", std::string(kAppTitle), MB_OK | MB_ICONERROR);
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

void TfrmMain::PrintAuditReport1Click() {
  TAuditBox box(services_, ListedRows(*this));
  services_.modal.Run(box, hwnd_);
}

void TfrmMain::About1Click() {
  TAboutBox box(services_);
  services_.modal.Run(box, hwnd_);
}

void TfrmMain::cmdOtherOptionsClick() {
  POINT cursor;
  ::GetCursorPos(&cursor);
  ShowMenu(popOtherOptions_, cursor);
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
        if (info->item.iItem < 0 || static_cast<std::size_t>(info->item.iItem) >= order_.size()) return 0;
        ProgramEntry& row = rows_[order_[static_cast<std::size_t>(info->item.iItem)]];
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText != nullptr && info->item.cchTextMax > 0) {
          const std::string& text = ColumnText(row, info->item.iSubItem);
          const std::wstring wide = Widen(text);
          lstrcpynW(info->item.pszText, wide.c_str(), info->item.cchTextMax);
        }
        if (info->item.mask & LVIF_IMAGE) {
          info->item.iImage = services_.extractIcons ? icons_->ResolveRow(row.imageIndex) : -1;
        }
        if (info->item.mask & LVIF_STATE) {
          info->item.state = INDEXTOSTATEIMAGEMASK(row.stateMark == 0 ? 1 : 0);
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
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      dpi_ = HIWORD(wParam);
      ApplyDpi();
      ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayoutAll();
      return 0;
    }
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
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace tw
