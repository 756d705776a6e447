#include "forms/ImageButton.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "win32/UniqueHandle.h"

namespace tw {
namespace {

using pictures::Glyph;

constexpr wchar_t kButtonProperty[] = L"Tidewell.ImageButton";
constexpr UINT_PTR kSubclassId = 0x54574942;  // "TWIB"

// What a button needs to paint itself, beyond its window text.
struct ButtonData {
  ButtonLook look;
  Glyph glyph;
  UINT dpi;
  bool hot = false;
};

int Scaled(int value96, UINT dpi) { return ::MulDiv(value96, static_cast<int>(dpi), 96); }

ButtonData* Data(HWND window) {
  return window ? static_cast<ButtonData*>(::GetPropW(window, kButtonProperty)) : nullptr;
}

UniqueHFont LabelFont(int heightPx) {
  LOGFONTW lf{};
  lf.lfHeight = -heightPx;
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  ::lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
  return UniqueHFont(::CreateFontIndirectW(&lf));
}

struct Face {
  COLORREF border;
  COLORREF top;
  COLORREF bottom;
  COLORREF text;
};

Face FaceOf(ButtonLook look, const ButtonState& s) {
  switch (look) {
    case ButtonLook::Page:
      if (s.disabled) return {RGB(190, 190, 204), RGB(216, 216, 228), RGB(200, 200, 214), RGB(246, 246, 250)};
      if (s.pressed) return {RGB(70, 70, 190), RGB(94, 94, 224), RGB(122, 122, 246), RGB(255, 255, 255)};
      if (s.hot) return {RGB(84, 84, 214), RGB(162, 162, 255), RGB(120, 120, 248), RGB(255, 255, 255)};
      return {RGB(84, 84, 206), RGB(146, 146, 255), RGB(102, 102, 238), RGB(255, 255, 255)};
    case ButtonLook::Small:
      if (s.disabled) return {RGB(206, 206, 214), RGB(250, 250, 250), RGB(244, 244, 246), RGB(164, 164, 174)};
      if (s.pressed) return {RGB(96, 96, 232), RGB(222, 222, 255), RGB(240, 240, 255), RGB(70, 70, 200)};
      if (s.hot) return {RGB(110, 110, 244), RGB(248, 248, 255), RGB(230, 230, 255), RGB(70, 70, 200)};
      return {RGB(128, 128, 255), RGB(255, 255, 255), RGB(242, 242, 255), RGB(80, 80, 210)};
    case ButtonLook::Large:
    case ButtonLook::Icon:
      break;
  }
  if (s.disabled) return {RGB(208, 208, 216), RGB(251, 251, 251), RGB(239, 239, 242), RGB(150, 150, 162)};
  if (s.pressed) return {RGB(100, 100, 222), RGB(206, 212, 255), RGB(234, 237, 255), RGB(30, 36, 100)};
  if (s.hot) return {RGB(116, 116, 236), RGB(252, 252, 255), RGB(212, 218, 255), RGB(30, 36, 100)};
  return {RGB(164, 166, 226), RGB(255, 255, 255), RGB(228, 231, 255), RGB(34, 40, 104)};
}

// Draws `label` in `area`, vertically centred; on several lines when `wrap`. A label that
// does not fit at `height96` is drawn in a smaller size, down to three quarters of it, and
// only then cut short with an ellipsis.
void PaintLabel(HDC dc, RECT area, const std::wstring& label, int height96, UINT dpi, COLORREF color, UINT align,
                bool wrap, bool showAccelerator) {
  UINT format = align | DT_END_ELLIPSIS | (showAccelerator ? 0 : DT_HIDEPREFIX);
  format |= wrap ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
  const LONG width = area.right - area.left;
  const LONG height = area.bottom - area.top;
  const int length = static_cast<int>(label.size());
  const int largest = Scaled(height96, dpi);
  const int smallest = std::max(1, largest * 3 / 4);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, color);
  for (int size = largest;; --size) {
    UniqueHFont font = LabelFont(size);
    SelectGuard use(dc, font.get());
    RECT measure = area;
    ::DrawTextW(dc, label.c_str(), length, &measure, (format & ~DT_END_ELLIPSIS) | DT_CALCRECT);
    const LONG needed = measure.bottom - measure.top;
    if (size > smallest && (measure.right - measure.left > width || needed > height)) continue;
    RECT target = area;
    if (wrap) target.top += std::max(0L, (height - needed) / 2);
    ::DrawTextW(dc, label.c_str(), length, &target, format);
    return;
  }
}

std::wstring Upper(std::wstring text) {
  if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

void PaintFace(HDC dc, int w, int h, const std::wstring& label, ButtonLook look, Glyph glyph, UINT dpi,
               const ButtonState& state) {
  const Face face = FaceOf(look, state);
  const RECT all{0, 0, w, h};
  pictures::DrawRoundedFace(dc, all, Scaled(look == ButtonLook::Small ? 3 : 4, dpi), face.border, face.top,
                            face.bottom);

  // A pressed button's content moves down and right, as if pushed in.
  const int shift = state.pressed ? std::max(1, Scaled(1, dpi)) : 0;
  const auto moved = [shift](RECT r) {
    ::OffsetRect(&r, shift, shift);
    return r;
  };

  switch (look) {
    case ButtonLook::Large: {
      int textLeft = Scaled(8, dpi);
      if (glyph != Glyph::None) {
        const int size = std::min(h - 2 * Scaled(6, dpi), Scaled(28, dpi));
        const int x = Scaled(9, dpi);
        const int y = (h - size) / 2;
        pictures::DrawGlyph(dc, moved(RECT{x, y, x + size, y + size}), glyph, state.disabled);
        textLeft = x + size + Scaled(8, dpi);
      }
      const RECT text{textLeft, Scaled(3, dpi), w - Scaled(6, dpi), h - Scaled(3, dpi)};
      PaintLabel(dc, moved(text), label, 13, dpi, face.text, glyph == Glyph::None ? DT_CENTER : DT_LEFT,
                 true, state.showAccelerator);
      break;
    }
    case ButtonLook::Page:
    case ButtonLook::Small: {
      int textLeft = Scaled(6, dpi);
      if (glyph != Glyph::None) {
        const int size = std::min(h - 2 * Scaled(6, dpi), Scaled(20, dpi));
        const int x = Scaled(8, dpi);
        const int y = (h - size) / 2;
        pictures::DrawGlyph(dc, moved(RECT{x, y, x + size, y + size}), glyph, state.disabled);
        textLeft = x + size + Scaled(4, dpi);
      }
      const RECT text{textLeft, 0, w - Scaled(6, dpi), h};
      PaintLabel(dc, moved(text), Upper(label), look == ButtonLook::Page ? 13 : 11, dpi, face.text, DT_CENTER, false,
                 state.showAccelerator);
      break;
    }
    case ButtonLook::Icon: {
      const int side = std::min(w, h);
      const int size = std::max(0, side - 2 * std::min(Scaled(5, dpi), side / 6));
      const int x = (w - size) / 2;
      const int y = (h - size) / 2;
      pictures::DrawGlyph(dc, moved(RECT{x, y, x + size, y + size}), glyph, state.disabled);
      break;
    }
  }

  if (state.focused) {
    const int inset = Scaled(3, dpi);
    const RECT focus{inset, inset, w - inset, h - inset};
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  auto* data = reinterpret_cast<ButtonData*>(ref);
  switch (message) {
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      if (!data->hot) {
        data->hot = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
        ::TrackMouseEvent(&track);
        ::InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      data->hot = false;
      ::InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports a double click instead of a second click, which
      // would swallow every other click of a user who clicks quickly.
      return ::DefSubclassProc(window, WM_LBUTTONDOWN, wParam, lParam);
    case WM_ERASEBKGND:
      return TRUE;  // the face covers the whole button
    case WM_NCDESTROY: {
      // The button's data goes with the button: taken back into an owner here.
      const std::unique_ptr<ButtonData> owned(data);
      ::RemoveWindowSubclass(window, ButtonProc, kSubclassId);
      ::RemovePropW(window, kButtonProperty);
      return ::DefSubclassProc(window, message, wParam, lParam);
    }
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

HWND CreateImageButton(HWND parent, int id, const std::wstring& label, ButtonLook look, Glyph glyph, int x96,
                       int y96, int w96, int h96, UINT dpi) {
  auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  HWND button = ::CreateWindowExW(0, WC_BUTTONW, label.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
                                  Scaled(x96, dpi), Scaled(y96, dpi), Scaled(w96, dpi), Scaled(h96, dpi), parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!button) return nullptr;
  auto data = std::make_unique<ButtonData>(ButtonData{look, glyph, dpi, false});
  if (!::SetPropW(button, kButtonProperty, data.get()) ||
      !::SetWindowSubclass(button, ButtonProc, kSubclassId, reinterpret_cast<DWORD_PTR>(data.get()))) {
    ::RemovePropW(button, kButtonProperty);
    ::DestroyWindow(button);
    return nullptr;
  }
  // From here the button owns its data and frees it when it is destroyed (WM_NCDESTROY).
  data.release();
  return button;
}

bool DrawImageButton(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_BUTTON) return false;
  const ButtonData* data = Data(item.hwndItem);
  if (!data) return false;
  ButtonState state;
  state.pressed = (item.itemState & ODS_SELECTED) != 0;
  state.disabled = (item.itemState & ODS_DISABLED) != 0;
  state.focused = (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0;
  state.showAccelerator = (item.itemState & ODS_NOACCEL) == 0;
  state.hot = data->hot && !state.disabled;
  PaintImageButton(item.hDC, item.rcItem, WindowText(item.hwndItem), data->look, data->glyph, data->dpi, state);
  return true;
}

void MoveImageButton(HWND button, int x96, int y96, int w96, int h96, UINT dpi) {
  if (ButtonData* data = Data(button)) data->dpi = dpi;
  ::SetWindowPos(button, nullptr, Scaled(x96, dpi), Scaled(y96, dpi), Scaled(w96, dpi), Scaled(h96, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(button, nullptr, FALSE);
}

bool IsImageButton(HWND window) { return Data(window) != nullptr; }

void PaintImageButton(HDC dc, const RECT& rect, const std::wstring& label, ButtonLook look, Glyph glyph, UINT dpi,
                      const ButtonState& state) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  // Painted off screen and copied in one go, so the button never flickers.
  BITMAPINFO info = pictures::TopDown32(w, h);
  void* bits = nullptr;
  UniqueHBitmap bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueHdc buffer(::CreateCompatibleDC(dc));
  if (!bitmap || !buffer) return;
  SelectGuard select(buffer.get(), bitmap.get());
  // The buttons stand on the program's white surfaces; the rounded corners show white.
  const RECT all{0, 0, w, h};
  ::FillRect(buffer.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  PaintFace(buffer.get(), w, h, label, look, glyph, dpi, state);
  ::BitBlt(dc, rect.left, rect.top, w, h, buffer.get(), 0, 0, SRCCOPY);
}

}  // namespace tw
