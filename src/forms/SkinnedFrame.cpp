#include "forms/SkinnedFrame.h"

#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "util/AppStrings.h"
#include "win32/WinText.h"

namespace tw {

SkinnedFrame::SkinnedFrame(Services& services, FrameLook look)
    : services_(services), look_(std::move(look)) {}

void SkinnedFrame::CreateForm(HWND owner) {
  const UINT dpi = owner != nullptr ? ::GetDpiForWindow(owner) : ::GetDpiForSystem();
  const auto scale = [dpi](int v) { return MulDiv(v, static_cast<int>(dpi == 0 ? 96 : dpi), 96); };
  CreateWindowOf(L"TidewellDialog", WS_POPUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, look_.title, 0, 0,
                 scale(look_.clientWidth), scale(look_.clientHeight), owner,
                 static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
  if (hwnd_ == nullptr) return;
  fonts_.SetDpi(Dpi());
  txtCaption_ = CreateLabel(hwnd_, kCaptionId, look_.title, 0, 0, 0, 0, fonts_.Arial(16, true));
  colors_.Set(txtCaption_, RGB(255, 255, 255), kBandColor, true);
  panel1_.Create(hwnd_, 0, 0, 0, 0, RGB(255, 255, 255), Panel::Left | Panel::Right | Panel::Bottom, 2);
  panel2_.Create(hwnd_, 0, 0, 0, 0, kBandColor);
  imgClose_ = ::CreateWindowExW(0, L"STATIC", Widen(StrText(StrId::CloseImage)).c_str(),
                                WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0, panel2_.Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseImageId)),
                                ::GetModuleHandleW(nullptr), nullptr);
  PlaceFrame();
  BuildContent();
  ApplyLayout(Dpi());
  CenterOn(hwnd_, owner);
}

void SkinnedFrame::PlaceFrame() {
  fonts_.SetDpi(Dpi());
  const int width = Scale(look_.clientWidth);
  const int height = Scale(look_.clientHeight);
  const int band = Scale(look_.bandHeight);
  const auto place = [](HWND control, int x, int y, int w, int h) {
    ::SetWindowPos(control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(txtCaption_, Scale(12), Scale(8), width - Scale(80), Scale(19));
  ::SendMessageW(txtCaption_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(16, true)), TRUE);
  place(panel1_.Handle(), 0, band, width, height - band);
  place(panel2_.Handle(), width - Scale(look_.closeBoxInset) - Scale(look_.closeBoxWidth), Scale(2),
        Scale(look_.closeBoxWidth), Scale(21));
  place(imgClose_, Scale(20), 0, Scale(21), Scale(21));
}

LRESULT SkinnedFrame::WMNCHitTest(LPARAM lParam) {
  const LRESULT hit = ::DefWindowProcW(hwnd_, WM_NCHITTEST, 0, lParam);
  return hit == HTCLIENT ? HTCAPTION : hit;
}

bool SkinnedFrame::FormKeyPress(WPARAM key) {
  if (key == VK_ESCAPE) {
    OnCommand(EscapeButton(), BN_CLICKED);
    return true;
  }
  if (key == VK_RETURN && EnterButton() != 0) {
    OnCommand(EnterButton(), BN_CLICKED);
    return true;
  }
  return false;
}

bool SkinnedFrame::PreTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN || hwnd_ == nullptr || !IsSelfOrDescendant(hwnd_, msg.hwnd)) return false;
  if (msg.wParam == VK_TAB) {
    // Tab and Shift+Tab move the focus through the dialog's controls (hidden pages' buttons
    // are skipped), as in any dialog box.
    const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (const HWND next = ::GetNextDlgTabItem(hwnd_, ::GetFocus(), back ? TRUE : FALSE)) ::SetFocus(next);
    return true;
  }
  if (msg.wParam != VK_ESCAPE && msg.wParam != VK_RETURN) return false;
  // A held key repeats its key-down (bit 30: the key was already down). Only a fresh press
  // acts, so that holding Enter cannot walk through the buttons of several pages; the repeats
  // of a key the frame acts on are swallowed.
  if ((msg.lParam & (LPARAM{1} << 30)) != 0) return msg.wParam == VK_ESCAPE || EnterButton() != 0;
  return FormKeyPress(msg.wParam);
}

void SkinnedFrame::DrawPicture(const DRAWITEMSTRUCT& item, pictures::PagePicture picture) const {
  PaintParentBackground(item.hwndItem, item.hDC);
  pictures::DrawPagePicture(item.hDC, item.rcItem, picture, Dpi());
}

void SkinnedFrame::ReportError(const std::string& text) {
  ShowStandardError(services_.prompts, hwnd_, text);
}

LRESULT SkinnedFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return WMNCHitTest(lParam);
    case WM_ERASEBKGND: {
      // The window's own surface: the band colour with a one-pixel dark outline; the content
      // panel covers all but the title band.
      const HDC dc = reinterpret_cast<HDC>(wParam);
      RECT rc;
      ::GetClientRect(hwnd_, &rc);
      UniqueHandle<GdiObjectTraits<HBRUSH>> fill(::CreateSolidBrush(kBandColor));
      UniqueHandle<GdiObjectTraits<HBRUSH>> line(::CreateSolidBrush(kFrameLineColor));
      ::FillRect(dc, &rc, fill.get());
      ::FrameRect(dc, &rc, line.get());
      return 1;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == kCloseImageId) {
        if (HIWORD(wParam) == STN_CLICKED) imgCloseClick();
        return 0;
      }
      OnCommand(id, HIWORD(wParam));
      return 0;
    }
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID == static_cast<UINT>(kCloseImageId)) {
        pictures::DrawCloseImage(item->hDC, item->rcItem, Dpi(), false);
        return TRUE;
      }
      if (DrawImageButton(*item)) return TRUE;
      return DrawItem(*item) ? TRUE : FALSE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush = colors_.Handle(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DPICHANGED: {
      // The frame and the controls at the new DPI; the dialog keeps its place and takes its
      // size at that DPI.
      dpi_ = HIWORD(wParam);
      PlaceFrame();
      ApplyLayout(dpi_);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, Scale(look_.clientWidth),
                     Scale(look_.clientHeight), SWP_NOZORDER | SWP_NOACTIVATE);
      ::InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    }
    default:
      break;
  }
  return ModalForm::HandleMessage(message, wParam, lParam);
}

}  // namespace tw
