#include "forms/Controls.h"

#include <commctrl.h>

#include "forms/ImageButton.h"
#include "win32/WinText.h"

namespace tw {

HWND Panel::Create(HWND parent, int x, int y, int width, int height, COLORREF color,
                   unsigned edges, int edgeWidth, COLORREF edgeColor) {
  color_ = color;
  edges_ = edges;
  edgeWidth_ = edgeWidth;
  edgeColor_ = edgeColor;
  return CreateWindowOf(L"TidewellPanel", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                        WS_EX_CONTROLPARENT, L"", x, y, width, height, parent,
                        static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)));
}

HWND Panel::CreateControl(HWND parent, int id, COLORREF color, unsigned edges, int edgeWidth,
                          COLORREF edgeColor) {
  const HWND panel = Create(parent, 0, 0, 0, 0, color, edges, edgeWidth, edgeColor);
  if (panel != nullptr) ::SetWindowLongPtrW(panel, GWLP_ID, id);
  return panel;
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      RECT rc;
      ::GetClientRect(hwnd_, &rc);
      UniqueHandle<GdiObjectTraits<HBRUSH>> fill(::CreateSolidBrush(color_));
      ::FillRect(dc, &rc, fill.get());
      if (edges_ != None) {
        UniqueHandle<GdiObjectTraits<HBRUSH>> line(::CreateSolidBrush(edgeColor_));
        const int w = Scale(edgeWidth_);
        if (edges_ & Left) { RECT r{rc.left, rc.top, rc.left + w, rc.bottom}; ::FillRect(dc, &r, line.get()); }
        if (edges_ & Right) { RECT r{rc.right - w, rc.top, rc.right, rc.bottom}; ::FillRect(dc, &r, line.get()); }
        if (edges_ & Bottom) { RECT r{rc.left, rc.bottom - w, rc.right, rc.bottom}; ::FillRect(dc, &r, line.get()); }
        if (edges_ & Top) { RECT r{rc.left, rc.top, rc.right, rc.top + w}; ::FillRect(dc, &r, line.get()); }
      }
      return 1;
    }
    case WM_SIZE:
      if (onResize) onResize();
      ::InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return ::SendMessageW(::GetAncestor(hwnd_, GA_ROOT), message, wParam, lParam);
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

namespace {

struct ControlSearch {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK FindControl(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ControlSearch*>(data);
  if (::GetDlgCtrlID(child) != search->id) return TRUE;
  search->found = child;
  return FALSE;
}

}  // namespace

HWND Form::Control(int id) const {
  if (hwnd_ == nullptr) return nullptr;
  ControlSearch search{id};
  ::EnumChildWindows(hwnd_, &FindControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Form::ApplyLayout(UINT dpi) {
  dpi_ = dpi;
  fonts_.SetDpi(dpi);
  for (const ControlLayout& item : Layout()) {
    const HWND control = Control(item.id);
    if (control == nullptr) continue;
    if (IsImageButton(control)) {
      MoveImageButton(control, item.x, item.y, item.width, item.height, dpi);
      continue;
    }
    ::SetWindowPos(control, nullptr, Scale(item.x), Scale(item.y), Scale(item.width), Scale(item.height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (item.fontPixels > 0) {
      ::SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts_.Arial(item.fontPixels, item.bold, item.underline)), TRUE);
    }
  }
  LayoutApplied();
}

void Form::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  ApplyLayout(HIWORD(wParam));
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT FontSet::Arial(int pixels, bool bold, bool underline) {
  const int key = pixels * 4 + (bold ? 1 : 0) + (underline ? 2 : 0);
  auto& font = fonts_[key];
  if (!font) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(pixels, static_cast<int>(dpi_), 96);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(lf.lfFaceName, L"Arial");
    font.reset(::CreateFontIndirectW(&lf));
  }
  return font.get();
}

void FontSet::SetDpi(UINT dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  retired_ = std::move(fonts_);
  fonts_.clear();
}

void ControlColors::Set(HWND control, COLORREF text, COLORREF background, bool transparent) {
  entries_[control] = Entry{text, background, transparent};
}

HBRUSH ControlColors::Handle(HDC dc, HWND control) {
  const auto it = entries_.find(control);
  if (it == entries_.end()) return nullptr;
  ::SetTextColor(dc, it->second.text);
  ::SetBkColor(dc, it->second.background);
  ::SetBkMode(dc, it->second.transparent ? TRANSPARENT : OPAQUE);
  auto& brush = brushes_[it->second.background];
  if (!brush) brush.reset(::CreateSolidBrush(it->second.background));
  return brush.get();
}

HWND CreateLabel(HWND parent, int id, const std::wstring& text, int x, int y, int width, int height,
                 HFONT font, DWORD extraStyle, bool prefix) {
  const HWND label = ::CreateWindowExW(
      0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | (prefix ? 0 : SS_NOPREFIX) | extraStyle, x, y,
      width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

namespace {

LRESULT CALLBACK HandCursorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR, DWORD_PTR) {
  if (message == WM_SETCURSOR) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &HandCursorProc, 1);
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void UseHandCursor(HWND control) { ::SetWindowSubclass(control, &HandCursorProc, 1, 0); }

HWND CreateLink(HWND parent, int id, const std::wstring& text, int x, int y, int width,
                int height, HFONT font, DWORD extraStyle) {
  const HWND link = CreateLabel(parent, id, text, x, y, width, height, font, SS_NOTIFY | extraStyle);
  UseHandCursor(link);
  return link;
}

int TextWidthOf(HWND control) {
  const int length = ::GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::GetWindowTextW(control, text.data(), length + 1);
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  return TextExtentIn(control, font, std::wstring_view(text.data(), static_cast<std::size_t>(length))).cx;
}

SIZE TextExtentIn(HWND window, HFONT font, std::wstring_view text) {
  SIZE size{};
  const WindowDc dc(window);
  const SelectGuard select(dc.get(), font);
  ::GetTextExtentPoint32W(dc.get(), text.data(), static_cast<int>(text.size()), &size);
  return size;
}

TEXTMETRICW TextMetricsIn(HWND window, HFONT font) {
  TEXTMETRICW metrics{};
  const WindowDc dc(window);
  const SelectGuard select(dc.get(), font);
  ::GetTextMetricsW(dc.get(), &metrics);
  return metrics;
}

std::string WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return Narrow(text);
}

void SetWindowTextUtf8(HWND hwnd, const std::string& text) {
  ::SetWindowTextW(hwnd, Widen(text).c_str());
}

void PaintParentBackground(HWND control, HDC dc) {
  const HWND parent = ::GetParent(control);
  POINT offset{0, 0};
  ::MapWindowPoints(control, parent, &offset, 1);
  // The parent erases its whole surface into the control's device context, moved so that the
  // part under the control lands on it; the context's clipping keeps the rest out.
  POINT origin;
  ::OffsetViewportOrgEx(dc, -offset.x, -offset.y, &origin);
  ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

void Place(HWND hwnd, const Window& scaleBy, int x, int y, int width, int height) {
  ::SetWindowPos(hwnd, nullptr, scaleBy.Scale(x), scaleBy.Scale(y), scaleBy.Scale(width),
                 scaleBy.Scale(height), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tw

namespace tw {

HWND CreateTooltip(HWND owner, int maxWidth) {
  const HWND tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
  if (tooltip != nullptr) ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  return tooltip;
}

void AddTooltip(HWND tooltip, HWND control, const std::wstring& text) {
  if (tooltip == nullptr || control == nullptr) return;
  std::wstring copy = text;  // the tool info takes a non-const text; the control copies it
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the control
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = ::GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = copy.data();
  ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace tw
