#include "forms/FormNewProgram.h"

#include <string_view>

#include "forms/ImageButton.h"
#include "util/AppStrings.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kWidth = 405;
constexpr int kHeight = 303;
constexpr int kLeft = 20;
constexpr int kEditWidth = 366;

constexpr ControlLayout kLayout[] = {
    {TNewProgramBox::IdEntryLabel, kLeft, 20, kEditWidth, 16, 13, true},
    {TNewProgramBox::IdEntry, kLeft, 38, kEditWidth, 21, 13},
    {TNewProgramBox::IdNameLabel, kLeft, 72, kEditWidth, 16, 13, true},
    {TNewProgramBox::IdName, kLeft, 90, kEditWidth, 21, 13},
    {TNewProgramBox::IdCommandLabel, kLeft, 124, kEditWidth, 16, 13, true},
    {TNewProgramBox::IdCommand, kLeft, 142, kEditWidth, 21, 13},
    {TNewProgramBox::IdOK, 86, 196, 136, 34},
    {TNewProgramBox::IdCancel, 232, 200, 90, 26},
};

// The fields, each with the label whose marked letter (after "&") focuses it with Alt.
struct Field {
  int labelId;
  StrId label;
  int editId;
};
constexpr Field kFields[] = {
    {TNewProgramBox::IdEntryLabel, StrId::NewEntryLabel, TNewProgramBox::IdEntry},
    {TNewProgramBox::IdNameLabel, StrId::NewNameLabel, TNewProgramBox::IdName},
    {TNewProgramBox::IdCommandLabel, StrId::NewCommandLabel, TNewProgramBox::IdCommand},
};

/// The key of a label's marked letter, in capitals; 0 when none is marked.
constexpr WPARAM MnemonicKey(std::string_view label) {
  const std::size_t amp = label.find('&');
  if (amp == std::string_view::npos || amp + 1 >= label.size()) return 0;
  const char c = label[amp + 1];
  return static_cast<WPARAM>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

}  // namespace

std::span<const ControlLayout> TNewProgramBox::LayoutTable() { return kLayout; }

TNewProgramBox::TNewProgramBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::NewTitle)), kWidth, kHeight, 32, 42, 1}) {}

void TNewProgramBox::BuildContent() {
  const HWND panel = ContentPanel();
  const auto field = [&](const Field& f, const std::string& text) {
    const HWND label = CreateLabel(panel, f.labelId, Widen(StrText(f.label)), 0, 0, 0, 0, nullptr, 0, true);
    colors_.Set(label, RGB(0, 0, 0), RGB(255, 255, 255));
    return ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Widen(text).c_str(),
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, panel,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(f.editId)), ::GetModuleHandleW(nullptr),
                             nullptr);
  };
  ediEntry_ = field(kFields[0], KeyPath);
  ediName_ = field(kFields[1], DisplayName);
  ediCommand_ = field(kFields[2], UninstallCommand);
  CreateImageButton(panel, IdOK, Widen(StrText(StrId::ButtonOk)), ButtonLook::Page, pictures::Glyph::None, 0, 0, 0,
                    0, Dpi());
  CreateImageButton(panel, IdCancel, Widen(StrText(StrId::ButtonCancel)), ButtonLook::Small, pictures::Glyph::None, 0,
                    0, 0, 0, Dpi());
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
    for (const Field& f : kFields) {
      if (msg.wParam == MnemonicKey(StrText(f.label))) target = Control(f.editId);
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
