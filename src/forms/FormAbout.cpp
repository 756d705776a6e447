#include "forms/FormAbout.h"

#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/WinText.h"
#include "ProductInfo.h"

namespace tw {

namespace {

constexpr int kWidth = 428;
constexpr int kHeight = 384;

// The labels stand in one column right of the picture.
constexpr ControlLayout kLayout[] = {
    {TAboutBox::IdPicture, 32, 24, 56, 56},
    {TAboutBox::IdLabel1, 112, 24, 290, 24, 19, true},
    {TAboutBox::IdLabel3, 112, 52, 290, 16, 13, true},
    {TAboutBox::IdLabel4, 112, 72, 290, 16, 13, true},
    {TAboutBox::IdLabel2, 112, 100, 290, 16, 13, true},
    {TAboutBox::IdLabel5, 112, 124, 290, 32, 13},
    {TAboutBox::IdLabel6, 112, 168, 200, 16, 13, true, true},
    {TAboutBox::IdLabel7, 112, 200, 290, 16, 13},
    {TAboutBox::IdLabel8, 112, 218, 200, 16, 13, true, true},
    {TAboutBox::IdOK, (kWidth - 136) / 2, 282, 136, 34},
};

}  // namespace

std::span<const ControlLayout> TAboutBox::LayoutTable() { return kLayout; }

TAboutBox::TAboutBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::AboutTitle)), kWidth, kHeight, 32, 42, 1}) {}

void TAboutBox::BuildContent() {
  const HWND panel = ContentPanel();
  const auto label = [&](int id, const std::string& text) {
    const HWND control = CreateLabel(panel, id, Widen(text), 0, 0, 0, 0, nullptr);
    colors_.Set(control, RGB(0, 0, 0), RGB(255, 255, 255));
  };
  const auto link = [&](int id, const std::string& text) {
    const HWND control = CreateLink(panel, id, Widen(text), 0, 0, 0, 0, nullptr);
    colors_.Set(control, kLinkColor, RGB(255, 255, 255));
  };
  ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, 0, 0, panel,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdPicture)), ::GetModuleHandleW(nullptr), nullptr);
  label(IdLabel1, kAppTitle);
  label(IdLabel3, LoadStr(StrId::AboutSystems));
  label(IdLabel4, FormatText(StrText(StrId::AboutVersion), std::string(TIDEWELL_VERSION_TEXT)));
  label(IdLabel2, TIDEWELL_MAKER);
  label(IdLabel5, "");
  link(IdLabel6, LoadStr(StrId::AboutLicenseLink));
  label(IdLabel7, LoadStr(StrId::AboutMoreInfo));
  link(IdLabel8, TIDEWELL_WEB_ADDRESS);
  CreateImageButton(panel, IdOK, Widen(StrText(StrId::ButtonOk)), ButtonLook::Page, pictures::Glyph::None, 0, 0, 0, 0,
                    Dpi());
}

void TAboutBox::OnCommand(int id, int code) {
  if (id == IdOK && code == BN_CLICKED) cmdOKClick();
  if (code != STN_CLICKED) return;
  if (id == IdLabel6) Label6Click();
  if (id == IdLabel8) Label8Click();
}

void TAboutBox::Label6Click() { services_.shell.Open(hwnd_, services_.exeFolder + "LICENSE.TXT"); }

void TAboutBox::Label8Click() { services_.shell.Open(hwnd_, services_.exeFolder + "PRODUCT.URL"); }

bool TAboutBox::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != static_cast<UINT>(IdPicture)) return false;
  DrawPicture(item, pictures::PagePicture::Program);
  return true;
}

}  // namespace tw
