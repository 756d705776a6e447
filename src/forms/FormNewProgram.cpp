#include "forms/FormNewProgram.h"

#include "forms/ImageButton.h"
#include "util/AppStrings.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kWidth = 405;
constexpr int kHeight = 303;
constexpr int kLeft = 20;
constexpr int kEditWidth = 366;

}  // namespace

TNewProgramBox::TNewProgramBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"New Program", kWidth, kHeight, 32, 42, 1}) {}

void TNewProgramBox::BuildContent() {
  const HWND panel = ContentPanel();
  const auto field = [&](int labelId, const wchar_t* caption, int editId, int top, const std::string& text) {
    const HWND label = CreateLabel(panel, labelId, caption, Scale(kLeft), Scale(top), Scale(kEditWidth), Scale(16),
                                   fonts_.Arial(13, true), 0, true);
    colors_.Set(label, RGB(0, 0, 0), RGB(255, 255, 255));
    const HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Widen(text).c_str(),
                                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, Scale(kLeft),
                                        Scale(top + 18), Scale(kEditWidth), Scale(21), panel,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(editId)),
                                        ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
    return edit;
  };
  ediEntry_ = field(IdEntryLabel, L"&Registry Entry Name:", IdEntry, 20, KeyPath);
  ediName_ = field(IdNameLabel, L"Program &Name (how it appears in the list):", IdName, 72, DisplayName);
  ediCommand_ = field(IdCommandLabel, L"Uninstall &Command:", IdCommand, 124, UninstallCommand);
  CreateImageButton(panel, IdOK, L"OK", ButtonLook::Page, pictures::Glyph::None, 86, 196, 136, 34, Dpi());
  CreateImageButton(panel, IdCancel, L"Cancel", ButtonLook::Small, pictures::Glyph::None, 232, 200, 90, 26, Dpi());
}

void TNewProgramBox::FormActivate() {
  ::SetFocus(ediEntry_);
  ::SendMessageW(ediEntry_, EM_SETSEL, 0, -1);
}

void TNewProgramBox::cmdOKClick() {
  const std::string entry = WindowText(ediEntry_);
  const std::string name = WindowText(ediName_);
  const std::string command = WindowText(ediCommand_);
  if (entry.empty() || name.empty() || command.empty()) {
    services_.prompts.Show(hwnd_, LoadStr(StrId::FillAllFields), LoadStr(StrId::Error), MB_OK | MB_ICONERROR);
    return;
  }
  KeyPath = entry;
  DisplayName = name;
  UninstallCommand = command;
  SetModalResult(kModalOk);
}

bool TNewProgramBox::PreTranslate(MSG& msg) {
  if (msg.message == WM_SYSKEYDOWN && hwnd_ != nullptr && IsSelfOrDescendant(hwnd_, msg.hwnd)) {
    HWND target = nullptr;
    switch (msg.wParam) {
      case 'R': target = ediEntry_; break;
      case 'N': target = ediName_; break;
      case 'C': target = ediCommand_; break;
      default: break;
    }
    if (target != nullptr) {
      ::SetFocus(target);
      ::SendMessageW(target, EM_SETSEL, 0, -1);
      return true;
    }
  }
  return SkinnedFrame::PreTranslate(msg);
}

void TNewProgramBox::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IdOK) cmdOKClick();
  if (id == IdCancel) cmdCancelClick();
}

}  // namespace tw
