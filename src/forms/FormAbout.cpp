#include "forms/FormAbout.h"

#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "ProductInfo.h"

namespace tw {

TAboutBox::TAboutBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"About", 428, 384, 32, 42, 1}) {}

void TAboutBox::BuildContent() {
  const HWND panel = ContentPanel();
  const auto label = [&](int id, const wchar_t* text, int y, int height, HFONT font, COLORREF color) {
    const HWND control = CreateLabel(panel, id, text, Scale(112), Scale(y), Scale(290), Scale(height), font);
    colors_.Set(control, color, RGB(255, 255, 255));
    return control;
  };
  ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, Scale(32), Scale(24), Scale(56),
                    Scale(56), panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdPicture)),
                    ::GetModuleHandleW(nullptr), nullptr);
  label(IdLabel1, L"Tidewell", 24, 24, fonts_.Arial(19, true), RGB(0, 0, 0));
  label(IdLabel3, L"for Windows XP/2000/NT/Me/98/95", 52, 16, fonts_.Arial(13, true), RGB(0, 0, 0));
  label(IdLabel4, L"Version " TIDEWELL_VERSION_TEXT, 72, 16, fonts_.Arial(13, true), RGB(0, 0, 0));
  label(IdLabel2, L"" TIDEWELL_MAKER, 100, 16, fonts_.Arial(13, true), RGB(0, 0, 0));
  label(IdLabel5, L"", 124, 32, fonts_.Arial(13), RGB(0, 0, 0));
  const HWND license = CreateLink(panel, IdLabel6, L"View License Agreement", Scale(112), Scale(168), Scale(200),
                                  Scale(16), fonts_.Arial(13, true, true));
  colors_.Set(license, kLinkColor, RGB(255, 255, 255));
  label(IdLabel7, L"For more information please visit", 200, 16, fonts_.Arial(13), RGB(0, 0, 0));
  const HWND site = CreateLink(panel, IdLabel8, L"" TIDEWELL_WEB_ADDRESS, Scale(112), Scale(218), Scale(200),
                               Scale(16), fonts_.Arial(13, true, true));
  colors_.Set(site, kLinkColor, RGB(255, 255, 255));
  CreateImageButton(panel, IdOK, L"OK", ButtonLook::Page, pictures::Glyph::None, (428 - 136) / 2, 282, 136, 34,
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
