#include "forms/FormMain.h"

#include <shellapi.h>

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

/// One item of a popup menu; an item without an id is a separator.
struct MenuItem {
  int id = 0;
  StrId caption{};
};

// What a run nobody sees reads of each entry beyond its name, its command and the uninstaller
// test: what its switch uses. A window reads everything, and so does a run whose list hides
// the system components and updates (the details tell which rows those are).
ScanParts PartsUsedBy(StartupAction action, bool hidesSystemComponents) {
  if (hidesSystemComponents) return ScanParts{false, true};
  switch (action) {
    case StartupAction::Report: return ScanParts{false, false};         // names and commands
    case StartupAction::QuietUninstall: return ScanParts{false, true};  // the quiet commands
    case StartupAction::Restore: return ScanParts{false, false};
    default: return ScanParts{};                                        // the inventories
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
  if (const auto style = StoredViewStyle()) initialStyle_ = *style;
  BuildControls();
  BuildMenus();
  ApplyLayout(Dpi());

  list_.ResetSortState();  // one click on "Name" on the empty list: the first click sorts ascending
  // Known before the first scan, so that the command line acts on what the list shows. Only
  // 0 hides; any other stored text keeps the default.
  if (settings_.Read(StrId::ShowSystemComponents, 1) == 0) list_.ShowSystemComponents(false, -1);

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
  if (view_.Handle() == nullptr) return;
  // A run nobody was to see read only what its switch used, no icon locations, and put no
  // rows in the list view. The user sees the rows now, with all a scan for the window reads.
  try {
    CompleteRows(services_.platform, list_.RowsInScanOrder(), ScanParts{!scanned_.usage, !scanned_.details},
                 &view_.Icons());
    view_.Icons().Commit();
  } catch (const std::exception&) {
    // What could not be read stays empty, as a scan leaves it.
  }
  scanned_ = ScanParts{};
  view_.BeginUpdate();
  view_.Show(true);
  view_.CollapseEmptyColumns();
  view_.ShowRows();
  if (selectFirstRow && RowCount() > 0) SelectRow(0);
}

std::optional<ViewStyle> TfrmMain::StoredViewStyle() {
  const int style = settings_.Read(StrId::MainViewStyle, static_cast<int>(initialStyle_));
  // A stored style outside 0 to 3 is ignored, like an out-of-range window state.
  if (style < 0 || style > 3) return std::nullopt;
  return static_cast<ViewStyle>(style);
}

void TfrmMain::FormActivateFirst() {
  LoadWindowState(hwnd_, settings_);
  // The list was made in the stored view; it is applied again only when it changed since.
  if (const auto style = StoredViewStyle(); style && *style != view_.Style()) SetViewStyle(*style);
  ProcessUninstallSwitch();
}

void TfrmMain::FormClose() { ::DragAcceptFiles(hwnd_, FALSE); }

void TfrmMain::FormDestroy() {
  try {
    const int state = hiddenWindowState_ >= 0 ? hiddenWindowState_ : WindowStateOf(hwnd_);
    settings_.Write(StrId::WindowState, state);
    if (state == 0) SaveWindowPlacement(hwnd_, settings_, true);
    settings_.Write(StrId::MainViewStyle, static_cast<int>(view_.Style()));
    settings_.Write(StrId::ShowSystemComponents, list_.ShowsSystemComponents() ? 1 : 0);
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

  // The menu a right press opens runs its commands inside the list's window procedure: their
  // errors are shown here, as those of commands started from the buttons are.
  // The list is made in the view it will show: made in another one, it would arrange every
  // row for that view first. A run nobody sees puts no rows in it.
  view_.Create(container, IdList, initialStyle_, [this](POINT at) { RunGuarded([&] { TheListViewMouseDown(at); }); });
  view_.Show(!unattended_);

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
                               {CmdShowSystemComponents, StrId::MenuShowSystemComponents},
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

void TfrmMain::LayoutApplied() {
  view_.ApplyDpi(Dpi());
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
  LayoutAll();
}

void TfrmMain::panTopResize() {
  if (imgTop_ == nullptr) return;
  ::SetWindowPos(imgTop_, nullptr, (OuterWidth() - Scale(kBanner.width)) / 2, Scale(kBanner.y), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::panLVContainerResize() {
  if (view_.Handle() == nullptr) return;
  RECT rc;
  ::GetClientRect(panLVContainer_.Handle(), &rc);
  const int listWidth = std::max(0, static_cast<int>(rc.right) - Scale(kListWidthLess));
  const int listHeight = std::max(0, static_cast<int>(rc.bottom) - Scale(kListHeightLess));
  view_.Place(Scale(kListLeft), Scale(kListTop), listWidth, listHeight);
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

int TfrmMain::RowCount() const { return view_.Count(); }

const ProgramEntry& TfrmMain::RowAt(int position) const { return list_.At(position); }

int TfrmMain::SelectedIndex() const { return view_.Selected(); }

void TfrmMain::SelectRow(int position) { view_.Select(position); }

bool TfrmMain::RefreshProgramList() {
  const int selected = SelectedIndex();
  // A run nobody sees needs the rows but no icons, and reads only what its switch uses.
  const bool shown = !IsUnattendedRun();
  scanned_ = shown ? ScanParts{} : PartsUsedBy(services_.request.action, !list_.ShowsSystemComponents());
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  view_.BeginUpdate();
  ScanReport report;
  std::string failure;
  list_.Clear();
  try {
    view_.Icons().Reset();
    report = ScanCatalogue(services_.platform, list_, shown ? &view_.Icons() : nullptr, true, scanned_);
  } catch (const std::exception& e) {
    failure = e.what();
  }
  try {
    // The rows read before a failure are listed too.
    if (shown) view_.Icons().Commit();
    list_.ShowInNameOrder();
    view_.CollapseEmptyColumns();
  } catch (const std::exception& e) {
    if (failure.empty()) failure = e.what();
  }
  view_.ShowRows();
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

void TfrmMain::ShowSystemComponents(bool show) {
  if (show == list_.ShowsSystemComponents()) return;
  const int selected = SelectedIndex();
  view_.BeginUpdate();
  const int reselect = list_.ShowSystemComponents(show, selected);
  view_.ShowRows();
  SelectRow(reselect);
  TheListViewChange();
}

void TfrmMain::popShowSystemComponentsClick() { ShowSystemComponents(!list_.ShowsSystemComponents()); }

void TfrmMain::TheListViewColumnClick(int column) {
  const int selected = list_.ColumnClick(column, SelectedIndex());
  if (selected >= 0) SelectRow(selected);
  view_.ShowRows();
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
    ShowStandardError(services_.prompts, hwnd_, FormatText(LoadStr(StrId::ProgramNotFound), text));
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
  const int item = view_.RowAt(client);
  POINT screen = client;
  ::ClientToScreen(view_.Handle(), &screen);
  ::SetFocus(view_.Handle());
  if (item >= 0) {
    // The row lies under the pointer: scrolling it fully into view would move another
    // program under the menu than the one it acts on.
    view_.SelectInPlace(item);
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
                       CmdViewLarge + static_cast<int>(view_.Style()), MF_BYCOMMAND);
  POINT cursor;
  ::GetCursorPos(&cursor);
  ShowMenu(popViewStyle_.get(), cursor);
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
    case CmdShowSystemComponents: popShowSystemComponentsClick(); break;
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
  // The details tell the usage record's size from the estimate, which the list's Size column
  // shows for a row without a record.
  box.SizeText = row.hasUsage ? UsageSizeText(services_.platform.locale, row.usage.size) : std::string();
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
    ShowStandardError(services_.prompts, hwnd_, LoadStr(StrId::UnableToModify));
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
      ShowStandardError(services_.prompts, hwnd_, LoadStr(StrId::UnableToCreate));
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
  if (const int position = list_.FindKey(keyPath); position >= 0) SelectRow(position);
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
  ::CheckMenuItem(popOtherOptions_.get(), CmdShowSystemComponents,
                  MF_BYCOMMAND | (list_.ShowsSystemComponents() ? MF_CHECKED : MF_UNCHECKED));
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
    if (msg.hwnd == view_.Handle()) {
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
  if (LRESULT result = 0; view_.Answer(header, result)) return result;
  if (header->hwndFrom == view_.Handle()) {
    switch (header->code) {
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
  return 0;
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_SIZE:
      if (view_.Handle() != nullptr) {
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
