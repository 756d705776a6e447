#include "forms/FormUninstall.h"

#include <commctrl.h>

#include "catalogue/UninstallKeyTools.h"
#include "forms/FormDeleteKey.h"
#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "win32/Win32Locale.h"
#include "win32/WinText.h"

namespace tw {

namespace {

// Layout at 96 DPI. The pages fill the content panel above the CANCEL strip; the main
// button of every page sits at the same spot, so the user clicks one place through the walk.
constexpr int kPageX = 2, kPageY = 0, kPageWidth = 424, kPageHeight = 226;
constexpr int kTextX = 84, kTextWidth = 320;
constexpr int kMainX = 84, kMainY = 176, kMainWidth = 136, kMainHeight = 34;
constexpr int kCancelX = 318, kCancelY = 238, kCancelWidth = 90, kCancelHeight = 26;
constexpr int kPictureX = 20, kPictureY = 24, kPictureSize = 48;

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

TUninstallBox::TUninstallBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"Uninstall", 428, 309, 30, 42, 1}) {}

void TUninstallBox::BuildContent() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const HFONT plain = fonts_.Arial(13);
  const HFONT bold = fonts_.Arial(13, true);

  for (Panel& page : pages_) {
    page.Create(ContentPanel(), Scale(kPageX), Scale(kPageY), Scale(kPageWidth), Scale(kPageHeight),
                RGB(255, 255, 255));
    ::ShowWindow(page.Handle(), SW_HIDE);
  }
  const auto text = [&](int page, int id, const wchar_t* caption, int y, int height, HFONT font) {
    const HWND label = CreateLabel(pages_[static_cast<std::size_t>(page)].Handle(), id, caption, Scale(kTextX),
                                   Scale(y), Scale(kTextWidth), Scale(height), font);
    colors_.Set(label, RGB(0, 0, 0), RGB(255, 255, 255));
    return label;
  };
  const auto picture = [&](int page, int id) {
    ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, Scale(kPictureX), Scale(kPictureY),
                      Scale(kPictureSize), Scale(kPictureSize), pages_[static_cast<std::size_t>(page)].Handle(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  const auto mainButton = [&](int page, int id, const wchar_t* label) {
    CreateImageButton(pages_[static_cast<std::size_t>(page)].Handle(), id, label, ButtonLook::Page,
                      pictures::Glyph::None, kMainX, kMainY, kMainWidth, kMainHeight, Dpi());
  };

  // Page 0: what is about to be uninstalled.
  picture(0, IdPicture0);
  text(0, IdText01, L"You are about to uninstall or modify the installed components of the following program:", 24,
       32, plain);
  // SS_NOTIFY lets the label see the mouse, so that its tooltip can show a name too long for it.
  txtAppName_ = CreateLabel(pages_[0].Handle(), IdAppName, Widen(ProgramName), Scale(kTextX), Scale(64),
                            Scale(kTextWidth), Scale(48), bold, SS_NOTIFY);
  colors_.Set(txtAppName_, RGB(0, 0, 0), RGB(255, 255, 255));
  text(0, IdText03, L"Click this button to run the vendor's Uninstall program:", 132, 32, plain);
  mainButton(0, IdAddRemove, L"UNINSTALL");

  tooltip_ = CreateTooltip(hwnd_, Scale(400));
  AddTooltip(tooltip_, txtAppName_, Widen(ProgramName));

  // Page 1: waiting for the uninstaller, with the busy animation where the picture stands.
  progressBar_ = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, Scale(16), Scale(40), Scale(56),
                                   Scale(16), pages_[1].Handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdProgress)), instance, nullptr);
  ::SendMessageW(progressBar_, PBM_SETRANGE32, 0, kProgressMax);
  ::SendMessageW(progressBar_, PBM_SETPOS, kProgressStart, 0);
  text(1, IdText11, L"Tidewell is now running the vendor's Uninstall program.", 24, 32, plain);
  text(1, IdText12, L"When the Uninstall program completes, press the Continue button.", 72, 32, plain);
  mainButton(1, IdDone, L"CONTINUE");

  // Page 2: the uninstaller left the entry behind.
  picture(2, IdPicture2);
  text(2, IdText21,
       L"The Uninstall program has completed. However, it did not remove the program name from the list of "
       L"programs installed on your computer.",
       24, 64, plain);
  text(2, IdText22, L"Click this button to delete the program from the list:", 132, 32, plain);
  mainButton(2, IdCleanup, L"CLEAN-UP");

  // Page 3: the entry is gone.
  picture(3, IdPicture3);
  text(3, IdText31,
       L"The Uninstall program has completed and the program name was removed from the list of programs "
       L"installed on your computer.",
       24, 64, plain);
  mainButton(3, IdClose, L"CLOSE");

  cmdCancel_ = CreateImageButton(ContentPanel(), IdCancel, L"CANCEL", ButtonLook::Small, pictures::Glyph::None,
                                 kCancelX, kCancelY, kCancelWidth, kCancelHeight, Dpi());

  // The animation runs from creation to release, whichever page shows.
  ::SetTimer(hwnd_, kTimerId, kTimerInterval, nullptr);
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
