#include "forms/Window.h"

#include "util/AppStrings.h"
#include "win32/WinText.h"

namespace tw {

Window::~Window() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    const HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    ::DestroyWindow(hwnd);
  }
}

UINT Window::Dpi() const {
  if (hwnd_ == nullptr) return 96;
  if (dpi_ != 0) return dpi_;
  const UINT dpi = ::GetDpiForWindow(hwnd_);
  return dpi == 0 ? 96 : dpi;
}

HWND Window::CreateWindowOf(const wchar_t* className, DWORD style, DWORD exStyle,
                            const std::wstring& title, int x, int y, int width, int height,
                            HWND parent, HBRUSH background) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!::GetClassInfoExW(instance, className, &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background != nullptr ? background : reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    ::RegisterClassExW(&wc);
  }
  return ::CreateWindowExW(exStyle, className, title.c_str(), style, x, y, width, height, parent,
                           nullptr, instance, this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Window::ReportError(const std::string& text) {
  ::MessageBoxW(hwnd_, Widen(text).c_str(), Widen(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
    self->hwnd_ = nullptr;
    self->Destroyed();
    return result;
  }
  LRESULT result = 0;
  self->RunGuarded([&] { result = self->HandleMessage(message, wParam, lParam); });
  return result;
}

bool Window::PreTranslateGuarded(MSG& msg) noexcept {
  bool consumed = true;  // a key whose handling failed goes no further
  RunGuarded([&] { consumed = PreTranslate(msg); });
  return consumed;
}

void Window::ReportErrorSafely(const std::string& text) noexcept {
  // Showing the error must not raise another one out of a window procedure.
  try {
    ReportError(text);
  } catch (...) {
  }
}

void ShowStandardError(Prompts& prompts, HWND owner, const std::string& text) {
  prompts.Show(owner, text, std::string(kAppTitle), MB_OK | MB_ICONERROR);
}

void TellLogNotWritten(Services& services, HWND owner) {
  if (!services.log.TakeFailureToTell()) return;
  services.prompts.Show(owner, services.log.NotWrittenText(), std::string(kAppTitle), MB_OK | MB_ICONWARNING);
}

bool IsSelfOrDescendant(HWND ancestor, HWND child) {
  return child != nullptr && (child == ancestor || ::IsChild(ancestor, child));
}

}  // namespace tw
