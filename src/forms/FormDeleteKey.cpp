#include "forms/FormDeleteKey.h"

#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr ControlLayout kLayout[] = {
    {TDeleteKeyBox::IdPicture, 20, 20, 48, 48},
    {TDeleteKeyBox::IdAdvice, 88, 16, 344, 233, 13},
    {TDeleteKeyBox::IdTryToUninstall, 88, 264, 136, 34},
    {TDeleteKeyBox::IdDelete, 240, 264, 136, 34},
    {TDeleteKeyBox::IdCancel, 346, 320, 90, 26},
};

}  // namespace

std::span<const ControlLayout> TDeleteKeyBox::LayoutTable() { return kLayout; }

TDeleteKeyBox::TDeleteKeyBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::DeleteTitle)), 456, 399, 32, 42, 1}) {}

void TDeleteKeyBox::BuildContent() {
  Choice = ChoiceCancel;
  const HWND panel = ContentPanel();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 0, 0, panel,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdPicture)), instance, nullptr);
  // A read-only, borderless memo that tabbing passes by. A long program name can push the
  // closing advice below its fixed height: then it is made again with a vertical scroll bar,
  // so that no sentence of the warning is out of reach. It is measured at its place.
  const std::string advice = FormatText(LoadStr(StrId::DeleteConfirm), DeleteKeyProgramName);
  constexpr const ControlLayout& memo = LayoutEntry(kLayout, IdAdvice);
  for (const DWORD scroll : {DWORD{0}, DWORD{WS_VSCROLL}}) {
    if (ediAdvice_ != nullptr) ::DestroyWindow(ediAdvice_);
    ediAdvice_ = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | scroll,
                                   Scale(memo.x), Scale(memo.y), Scale(memo.width), Scale(memo.height), panel,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdAdvice)), instance, nullptr);
    ::SendMessageW(ediAdvice_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(memo.fontPixels)), FALSE);
    SetWindowTextUtf8(ediAdvice_, advice);
    if (!AdviceOverflows()) break;
  }
  colors_.Set(ediAdvice_, RGB(0, 0, 0), RGB(255, 255, 255));

  const auto button = [&](int id, StrId label, ButtonLook look) {
    CreateImageButton(panel, id, Widen(StrText(label)), look, pictures::Glyph::None, 0, 0, 0, 0, Dpi());
  };
  button(IdTryToUninstall, StrId::DeleteTryButton, ButtonLook::Page);
  button(IdDelete, StrId::DeleteButton, ButtonLook::Page);
  button(IdCancel, StrId::ButtonCancel, ButtonLook::Small);
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
