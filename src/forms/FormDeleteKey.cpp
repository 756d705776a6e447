#include "forms/FormDeleteKey.h"

#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/WinText.h"

namespace tw {

TDeleteKeyBox::TDeleteKeyBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"Delete From List", 456, 399, 32, 42, 1}) {}

void TDeleteKeyBox::BuildContent() {
  Choice = ChoiceCancel;
  const HWND panel = ContentPanel();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, Scale(20), Scale(20), Scale(48),
                    Scale(48), panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdPicture)), instance, nullptr);
  // A read-only, borderless memo that tabbing passes by. A long program name can push the
  // closing advice below its fixed height: then it is made again with a vertical scroll bar,
  // so that no sentence of the warning is out of reach.
  const std::string advice = FormatText(LoadStr(StrId::DeleteConfirm), DeleteKeyProgramName);
  for (const DWORD scroll : {DWORD{0}, DWORD{WS_VSCROLL}}) {
    if (ediAdvice_ != nullptr) ::DestroyWindow(ediAdvice_);
    ediAdvice_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | scroll,
                                   Scale(88), Scale(16), Scale(344), Scale(233), panel,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdAdvice)), instance, nullptr);
    ::SendMessageW(ediAdvice_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
    SetWindowTextUtf8(ediAdvice_, advice);
    if (!AdviceOverflows()) break;
  }
  colors_.Set(ediAdvice_, RGB(0, 0, 0), RGB(255, 255, 255));

  CreateImageButton(panel, IdTryToUninstall, L"TRY TO UNINSTALL", ButtonLook::Page, pictures::Glyph::None, 88, 264,
                    136, 34, Dpi());
  CreateImageButton(panel, IdDelete, L"DELETE", ButtonLook::Page, pictures::Glyph::None, 240, 264, 136, 34, Dpi());
  CreateImageButton(panel, IdCancel, L"CANCEL", ButtonLook::Small, pictures::Glyph::None, 346, 320, 90, 26, Dpi());
}

bool TDeleteKeyBox::AdviceOverflows() const {
  RECT format{};
  ::SendMessageW(ediAdvice_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const auto lines = static_cast<int>(::SendMessageW(ediAdvice_, EM_GETLINECOUNT, 0, 0));
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(ediAdvice_, WM_GETFONT, 0, 0));
  return lines * TextMetricsIn(ediAdvice_, font).tmHeight > format.bottom - format.top;
}

void TDeleteKeyBox::cmdTryToUninstallClick() {
  Choice = ChoiceTryToUninstall;
  Close();
}

void TDeleteKeyBox::cmdDeleteClick() {
  Choice = ChoiceDelete;
  Close();
}

void TDeleteKeyBox::OnCommand(int id, int code) {
  if (id == IdAdvice) {
    if (code == EN_SETFOCUS) ediAdviceEnter();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IdTryToUninstall: cmdTryToUninstallClick(); break;
    case IdDelete: cmdDeleteClick(); break;
    case IdCancel: cmdCancelClick(); break;
    default: break;
  }
}

bool TDeleteKeyBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != static_cast<UINT>(IdPicture)) return false;
  DrawPicture(item, pictures::PagePicture::Warning);
  return true;
}

}  // namespace tw
