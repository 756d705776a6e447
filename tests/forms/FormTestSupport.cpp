#include "FormTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "forms/Controls.h"
#include "forms/Pictures.h"
#include "win32/UniqueHandle.h"
#include "win32/ShellServices.h"
#include "win32/WinText.h"

namespace tw::test {

int ScriptedPrompts::Show(HWND owner, const std::string& text, const std::optional<std::string>& caption,
                          unsigned flags) {
  shown.push_back({text, caption, flags});
  if (onClose) onClose(owner);
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  const unsigned buttons = flags & MB_TYPEMASK;
  return (buttons == MB_OK || buttons == MB_OKCANCEL) ? IDOK : IDCANCEL;
}

bool RecordingProcess::Start(const std::string& commandLine) {
  started.push_back(commandLine);
  if (real) {
    Win32ProcessStarter starter;
    return starter.Start(commandLine);
  }
  return succeed;
}

std::intptr_t RecordingShell::Open(HWND, const std::string& target) {
  opened.push_back(target);
  if (throwOnOpen) throw std::runtime_error("The shell failed.");
  return result;
}

int ScriptedMenus::Track(HWND, HMENU menu, POINT screen) {
  MenuRecord record;
  record.at = screen;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 255;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    record.items.push_back((info.fType & MFT_SEPARATOR) ? std::string("-") : Narrow(text));
    record.checked.push_back((info.fState & MFS_CHECKED) != 0);
  }
  shown.push_back(record);
  if (choices.empty()) return 0;
  const int choice = choices.front();
  choices.pop_front();
  return choice;
}

namespace {

// Hands the recording surface to the job while the harness keeps it for the test to read.
class BorrowedSurface : public PrintSurface {
 public:
  explicit BorrowedSurface(RecordingSurface& s) : s_(s) {}
  void BeginDocument() override { s_.BeginDocument(); }
  void BeginPage() override { s_.BeginPage(); }
  void EndPage() override { s_.EndPage(); }
  void EndDocument() override { s_.EndDocument(); }
  void AbortDocument() override { s_.AbortDocument(); }
  int PageWidth() override { return s_.PageWidth(); }
  int PageHeight() override { return s_.PageHeight(); }
  int TextWidth(const std::string& t) override { return s_.TextWidth(t); }
  int TextHeight(const std::string& t) override { return s_.TextHeight(t); }
  std::vector<int> CharacterExtents(std::string_view t) override { return s_.CharacterExtents(t); }
  int CellHeight() override { return s_.CellHeight(); }
  int AverageCharWidth() override { return s_.AverageCharWidth(); }
  void DrawString(int x, int y, const std::string& t) override { s_.DrawString(x, y, t); }

 private:
  RecordingSurface& s_;
};

}  // namespace

std::unique_ptr<PrintSurface> RecordingPrinters::NewJob(const std::string& title) {
  titles.push_back(title);
  owned_.push_back(std::make_unique<RecordingSurface>());
  jobs.push_back(owned_.back().get());
  return std::make_unique<BorrowedSurface>(*owned_.back());
}

std::unique_ptr<PrintSurface> RecordingPrinters::ChoosePrinter(HWND, const std::string& documentTitle) {
  ++dialogsShown;
  bool ok = true;
  if (!confirm.empty()) {
    ok = confirm.front();
    confirm.pop_front();
  }
  if (!ok) return nullptr;
  return NewJob(documentTitle);
}

std::unique_ptr<PrintSurface> RecordingPrinters::DefaultPrinter(const std::string& documentTitle) {
  if (!hasDefault) throw PrintError("There is no default printer.");
  return NewJob(documentTitle);
}

std::optional<std::string> ScriptedFileDialogs::ChooseSaveFile(HWND, const SaveFileRequest& request) {
  requests.push_back(request);
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

int ScriptedModalRunner::Run(ModalForm& form, HWND owner) {
  form.CreateForm(owner);
  if (form.Handle() == nullptr) return kModalCancel;
  titles.push_back(WindowText(form.Handle()));
  ::ShowWindow(form.Handle(), SW_SHOWNA);
  form.FormActivate();
  if (!scripts.empty()) {
    Script script = std::move(scripts.front());
    scripts.pop_front();
    script(form);
  }
  if (form.Running()) {
    ++leftOpen;
    form.Close();
  }
  if (form.Handle() != nullptr) ::DestroyWindow(form.Handle());
  return form.ModalResult() == kModalNone ? kModalCancel : form.ModalResult();
}

void PressKey(Window& form, HWND target, UINT vk, bool control) {
  // The key state the handlers read (GetKeyState) holds Ctrl down for the press.
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  const BYTE before = keys[VK_CONTROL];
  keys[VK_CONTROL] = control ? 0x80 : 0;
  ::SetKeyboardState(keys);
  MSG msg{};
  msg.hwnd = target;
  msg.message = WM_KEYDOWN;
  msg.wParam = vk;
  if (!form.PreTranslateGuarded(msg)) {
    ::SendMessageW(target, WM_KEYDOWN, vk, 0);
    if (vk == VK_RETURN || vk == VK_ESCAPE || (vk >= 0x30 && vk <= 0x5A)) {
      // With Ctrl a letter types its control character.
      ::SendMessageW(target, WM_CHAR, control && vk >= 'A' ? vk & 0x1F : vk, 0);
    }
    ::SendMessageW(target, WM_KEYUP, vk, 0);
  }
  keys[VK_CONTROL] = before;
  ::SetKeyboardState(keys);
}

std::unique_ptr<TfrmMain> OpenMainWindow(Services& services) {
  auto form = std::make_unique<TfrmMain>(services);
  form->Create();
  form->Show(SW_SHOW);
  PumpMessages();
  return form;
}

int RowWithCaption(const TfrmMain& form, const std::string& caption) {
  for (int i = 0; i < form.RowCount(); ++i) {
    if (form.RowAt(i).caption == caption) return i;
  }
  return -1;
}

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 50; ++round) {
    bool any = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (!any) break;
  }
}

void Click(HWND control) {
  wchar_t className[32] = {};
  ::GetClassNameW(control, className, 32);
  if (lstrcmpiW(className, L"Button") == 0) {
    ::SendMessageW(control, BM_CLICK, 0, 0);
    return;
  }
  // A notifying static control tells its parent about a click.
  ::SendMessageW(::GetParent(control), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(control), STN_CLICKED), reinterpret_cast<LPARAM>(control));
}

int Screenshot::Count(const RECT& area, COLORREF color) const {
  const std::uint32_t wanted = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  int count = 0;
  for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(height, static_cast<int>(area.bottom)); ++y)
    for (int x = std::max(0, static_cast<int>(area.left)); x < std::min(width, static_cast<int>(area.right)); ++x)
      if (At(x, y) == wanted) ++count;
  return count;
}

int Screenshot::Differences(const Screenshot& other, const RECT& area) const {
  if (other.width != width || other.height != height) return width * height;
  int count = 0;
  for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(height, static_cast<int>(area.bottom)); ++y)
    for (int x = std::max(0, static_cast<int>(area.left)); x < std::min(width, static_cast<int>(area.right)); ++x)
      if (At(x, y) != other.At(x, y)) ++count;
  return count;
}

Screenshot Capture(HWND window) {
  Screenshot shot;
  RECT client;
  ::GetClientRect(window, &client);
  shot.width = client.right;
  shot.height = client.bottom;
  shot.pixels.assign(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height), 0);
  if (shot.width <= 0 || shot.height <= 0) return shot;
  BITMAPINFO info = pictures::TopDown32(shot.width, shot.height);
  std::uint32_t* bits = nullptr;
  UniqueHBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
  UniqueHdc memory(::CreateCompatibleDC(nullptr));
  {
    const SelectGuard select(memory.get(), bitmap.get());
    const WindowDc screen(window);
    ::BitBlt(memory.get(), 0, 0, shot.width, shot.height, screen.get(), 0, 0, SRCCOPY);
    ::GdiFlush();
    for (std::size_t i = 0; i < shot.pixels.size(); ++i) shot.pixels[i] = bits[i] & 0xFFFFFF;
  }
  return shot;
}

RECT RectIn(HWND window, HWND control) {
  RECT rc;
  ::GetWindowRect(control, &rc);
  ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

}  // namespace tw::test
