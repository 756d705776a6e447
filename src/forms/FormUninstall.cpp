#include "forms/FormUninstall.h"

#include <commctrl.h>

#include "catalogue/UninstallKeyTools.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormRestore.h"
#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "win32/Win32Locale.h"
#include "win32/WinText.h"

namespace tw {

namespace {

// The places of the controls at 96 DPI. The pages fill the content panel above the CANCEL
// strip; the main button of every page sits at the same spot, so the user clicks one place
// through the walk.
constexpr int kPageX = 2, kPageY = 0, kPageWidth = 424, kPageHeight = 226;
constexpr int kTextX = 84, kTextWidth = 320;
constexpr int kMainX = 84, kMainY = 176, kMainWidth = 136, kMainHeight = 34;
constexpr int kPictureX = 20, kPictureY = 24, kPictureSize = 48;
constexpr int kTextFont = 13;
constexpr int kTooltipWidth = 400;

constexpr ControlLayout kLayout[] = {
    {TUninstallBox::IdPage0, kPageX, kPageY, kPageWidth, kPageHeight},
    {TUninstallBox::IdPage1, kPageX, kPageY, kPageWidth, kPageHeight},
    {TUninstallBox::IdPage2, kPageX, kPageY, kPageWidth, kPageHeight},
    {TUninstallBox::IdPage3, kPageX, kPageY, kPageWidth, kPageHeight},
    // Page 0: what is about to be uninstalled.
    {TUninstallBox::IdPicture0, kPictureX, kPictureY, kPictureSize, kPictureSize},
    {TUninstallBox::IdText01, kTextX, 24, kTextWidth, 32, kTextFont},
    {TUninstallBox::IdAppName, kTextX, 64, kTextWidth, 48, kTextFont, true},
    {TUninstallBox::IdText03, kTextX, 132, kTextWidth, 32, kTextFont},
    {TUninstallBox::IdAddRemove, kMainX, kMainY, kMainWidth, kMainHeight},
    // Page 1: waiting for the uninstaller, with the busy animation where the picture stands.
    {TUninstallBox::IdProgress, 16, 40, 56, 16},
    {TUninstallBox::IdText11, kTextX, 24, kTextWidth, 32, kTextFont},
    {TUninstallBox::IdText12, kTextX, 72, kTextWidth, 32, kTextFont},
    {TUninstallBox::IdDone, kMainX, kMainY, kMainWidth, kMainHeight},
    // Page 2: the uninstaller left the entry behind.
    {TUninstallBox::IdPicture2, kPictureX, kPictureY, kPictureSize, kPictureSize},
    {TUninstallBox::IdText21, kTextX, 24, kTextWidth, 64, kTextFont},
    {TUninstallBox::IdText22, kTextX, 132, kTextWidth, 32, kTextFont},
    {TUninstallBox::IdCleanup, kMainX, kMainY, kMainWidth, kMainHeight},
    // Page 3: the entry is gone.
    {TUninstallBox::IdPicture3, kPictureX, kPictureY, kPictureSize, kPictureSize},
    {TUninstallBox::IdText31, kTextX, 24, kTextWidth, 64, kTextFont},
    {TUninstallBox::IdClose, kMainX, kMainY, kMainWidth, kMainHeight},
    // Below the pages, at the right.
    {TUninstallBox::IdCancel, 318, 238, 90, 26},
};

constexpr int kProgressStart = 67;
constexpr int kProgressStep = 20;
constexpr int kProgressMax = 100;

// A point of the clock's time line in milliseconds; nothing for a date the system rejects.
std::optional<std::int64_t> MillisecondsOf(const DateTime& t) {
  const SYSTEMTIME st = SystemTimeOf(t);
  FILETIME ft{};
  if (!::SystemTimeToFileTime(&st, &ft)) return std::nullopt;
  const std::uint64_t ticks = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10000);
}

}  // namespace

std::span<const ControlLayout> TUninstallBox::LayoutTable() { return kLayout; }

TUninstallBox::TUninstallBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::UninstallTitle)), 428, 309, 30, 42, 1}) {}

void TUninstallBox::BuildContent() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);

  for (std::size_t i = 0; i < pages_.size(); ++i) {
    pages_[i].CreateControl(ContentPanel(), IdPage0 + static_cast<int>(i), RGB(255, 255, 255));
    ::ShowWindow(pages_[i].Handle(), SW_HIDE);
  }
  const auto page = [&](int index) { return pages_[static_cast<std::size_t>(index)].Handle(); };
  const auto text = [&](int index, int id, StrId caption) {
    const HWND label = CreateLabel(page(index), id, Widen(StrText(caption)), 0, 0, 0, 0, nullptr);
    colors_.Set(label, RGB(0, 0, 0), RGB(255, 255, 255));
  };
  const auto picture = [&](int index, int id) {
    ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 0, 0, page(index),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  const auto mainButton = [&](int index, int id, StrId label) {
    CreateImageButton(page(index), id, Widen(StrText(label)), ButtonLook::Page, pictures::Glyph::None, 0, 0, 0, 0,
                      Dpi());
  };

  picture(0, IdPicture0);
  text(0, IdText01, StrId::UninstallAbout);
  // SS_NOTIFY lets the label see the mouse, so that its tooltip can show a name too long for it.
  txtAppName_ = CreateLabel(page(0), IdAppName, Widen(ProgramName), 0, 0, 0, 0, nullptr, SS_NOTIFY);
  colors_.Set(txtAppName_, RGB(0, 0, 0), RGB(255, 255, 255));
  text(0, IdText03, StrId::UninstallRunPrompt);
  mainButton(0, IdAddRemove, StrId::UninstallStartButton);

  tooltip_ = CreateTooltip(hwnd_, Scale(kTooltipWidth));
  AddTooltip(tooltip_, txtAppName_, Widen(ProgramName));

  progressBar_ = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, page(1),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdProgress)), instance, nullptr);
  ::SendMessageW(progressBar_, PBM_SETRANGE32, 0, kProgressMax);
  ::SendMessageW(progressBar_, PBM_SETPOS, kProgressStart, 0);
  text(1, IdText11, StrId::UninstallRunning);
  text(1, IdText12, StrId::UninstallWhenDone);
  mainButton(1, IdDone, StrId::UninstallContinueButton);

  picture(2, IdPicture2);
  text(2, IdText21, StrId::UninstallEntryLeft);
  text(2, IdText22, StrId::UninstallCleanupPrompt);
  mainButton(2, IdCleanup, StrId::UninstallCleanupButton);

  picture(3, IdPicture3);
  text(3, IdText31, StrId::UninstallEntryGone);
  mainButton(3, IdClose, StrId::ButtonClose);

  cmdCancel_ = CreateImageButton(ContentPanel(), IdCancel, Widen(StrText(StrId::ButtonCancel)), ButtonLook::Small,
                                 pictures::Glyph::None, 0, 0, 0, 0, Dpi());

  // The animation runs from creation to release, whichever page shows.
  ::SetTimer(hwnd_, kTimerId, kTimerInterval, nullptr);
}

void TUninstallBox::LayoutApplied() {
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(kTooltipWidth));
}

void TUninstallBox::FormActivate() { ShowPage(0); }

void TUninstallBox::ShowPage(int index) {
  page_ = index;
  pageShownAt_ = MillisecondsOf(services_.platform.clock.Now());
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    ::ShowWindow(pages_[i].Handle(), static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
}

void TUninstallBox::ShowCancel(bool show) { ::ShowWindow(cmdCancel_, show ? SW_SHOW : SW_HIDE); }

bool TUninstallBox::CancelShown() const {
  return (::GetWindowLongW(cmdCancel_, GWL_STYLE) & WS_VISIBLE) != 0;
}

int TUninstallBox::ProgressPosition() const {
  return static_cast<int>(::SendMessageW(progressBar_, PBM_GETPOS, 0, 0));
}

std::string TUninstallBox::AppNameText() const { return WindowText(txtAppName_); }

std::string TUninstallBox::AppNameTip() const {
  if (tooltip_ == nullptr) return {};
  std::wstring buffer(1024, L'\0');
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = pages_[0].Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(txtAppName_);
  tool.lpszText = buffer.data();
  ::SendMessageW(tooltip_, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&tool));
  return Narrow(buffer.c_str());
}

int TUninstallBox::EnterButton() const {
  switch (page_) {
    case 0: return IdAddRemove;
    case 1: return IdDone;
    case 2: return IdCleanup;
    case 3: return IdClose;
    default: return 0;
  }
}

bool TUninstallBox::PageButtonArmed() {
  if (!pageShownAt_) return true;
  const std::optional<std::int64_t> now = MillisecondsOf(services_.platform.clock.Now());
  if (!now) return true;
  const std::int64_t elapsed = *now - *pageShownAt_;
  // A clock set back since the page showed must not leave the button dead.
  return elapsed < 0 || elapsed >= static_cast<std::int64_t>(::GetDoubleClickTime());
}

void TUninstallBox::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IdCancel) {
    cmdCancelClick();
    return;
  }
  // A page's button acts only while its page shows (the one Enter clicks), and only once the
  // page has shown for a double-click time: every page's button sits at the same spot, so
  // the second click of a double click, or a quick second Enter, would otherwise land on the
  // next page's button before the user saw that page (CONTINUE, then CLEAN-UP).
  if (id != EnterButton() || !PageButtonArmed()) return;
  switch (id) {
    case IdAddRemove: cmdAddRemoveClick(); break;
    case IdDone: cmdDoneClick(); break;
    case IdCleanup: cmdCleanupClick(); break;
    case IdClose: cmdCloseClick(); break;
    default: break;
  }
}

void TUninstallBox::cmdAddRemoveClick() {
  services_.log.UninstallStarted(AppNameText());
  TellLogNotWritten(services_, hwnd_);
  ShowPage(1);
  ShowCancel(false);
  if (services_.process.Start(UninstallCommand)) return;
  services_.log.StartFailed();
  TellLogNotWritten(services_, hwnd_);
  services_.prompts.Show(hwnd_, LoadStr(StrId::ErrorExecuting), UninstallCommand, MB_OK | MB_ICONERROR);
  // Nothing runs that the user could wait for: the outcome is tested at once.
  cmdDoneClick();
}

void TUninstallBox::cmdDoneClick() {
  if (UninstallKeyExists(services_.platform.registry, KeyPath)) {
    ShowCancel(true);
    services_.log.UninstallIncomplete();
    TellLogNotWritten(services_, hwnd_);
    ShowPage(2);
  } else {
    ShowCancel(false);
    services_.log.UninstallSucceeded();
    TellLogNotWritten(services_, hwnd_);
    ShowPage(3);
  }
}

void TUninstallBox::cmdCleanupClick() {
  // An entry that cannot be saved first stays, and so does the dialog on its page.
  if (!BackUpBeforeChange(services_, hwnd_, KeyPath, BackupReason::CleanedUp)) return;
  Registry& registry = services_.platform.registry;
  if (DeleteUninstallKey(registry, KeyPath)) {
    services_.log.CleanedUp();
  } else if (!UninstallKeyExists(registry, KeyPath)) {
    // The uninstaller removed the entry itself after all, between CONTINUE and now.
    services_.log.UninstallSucceeded();
  } else {
    // The log never claims a removal that did not happen, and the user is told.
    services_.log.DeleteFailed();
    TellLogNotWritten(services_, hwnd_);
    services_.prompts.Show(hwnd_, LoadStr(StrId::UnableToDeleteKey), std::nullopt, MB_OK | MB_ICONERROR);
  }
  TellLogNotWritten(services_, hwnd_);
  Close();
}

void TUninstallBox::Timer1Timer() {
  const int position = ProgressPosition();
  ::SendMessageW(progressBar_, PBM_SETPOS, position >= kProgressMax ? 0 : position + kProgressStep, 0);
}

bool TUninstallBox::DrawItem(const DRAWITEMSTRUCT& item) {
  pictures::PagePicture picture;
  switch (item.CtlID) {
    case IdPicture0: picture = pictures::PagePicture::Program; break;
    case IdPicture2: picture = pictures::PagePicture::Warning; break;
    case IdPicture3: picture = pictures::PagePicture::Success; break;
    default: return false;
  }
  DrawPicture(item, picture);
  return true;
}

LRESULT TUninstallBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    Timer1Timer();
    return 0;
  }
  if (message == WM_DESTROY) ::KillTimer(hwnd_, kTimerId);
  return SkinnedFrame::HandleMessage(message, wParam, lParam);
}

}  // namespace tw
