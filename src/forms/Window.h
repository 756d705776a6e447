#pragma once
// The base of every window of the program: one window class per form, registered once, and
// a static window procedure that finds the C++ object through GWLP_USERDATA (set at
// WM_NCCREATE, cleared at WM_NCDESTROY) and forwards to HandleMessage. No exception leaves
// the procedure: it is shown as the application's standard error box.

#include <windows.h>

#include <exception>
#include <string>

#include "forms/Services.h"
#include "util/AppStrings.h"

namespace tw {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  /// The window's DPI (96 before it exists); after a DPI change, the new one.
  UINT Dpi() const;
  /// A 96-DPI length scaled to the window's DPI.
  int Scale(int value96) const { return MulDiv(value96, static_cast<int>(Dpi()), 96); }

  /// Lets the window see a key message before the control it is meant for ("key preview");
  /// true when the message was consumed.
  virtual bool PreTranslate(MSG& msg) {
    (void)msg;
    return false;
  }
  /// PreTranslate for message loops: an error it raises is shown as the standard error box
  /// and the message counts as consumed.
  bool PreTranslateGuarded(MSG& msg) noexcept;

  /// Runs `handler` where no exception may leave (window procedures of subclassed controls,
  /// callbacks): an error is shown as the standard error box.
  template <class Handler>
  void RunGuarded(Handler&& handler) noexcept {
    try {
      handler();
    } catch (const std::exception& e) {
      ReportErrorSafely(e.what());
    } catch (...) {
      ReportErrorSafely(LoadStr(StrId::UnexpectedError));
    }
  }

 protected:
  /// Registers `className` once (with this class's procedure) and creates the window.
  HWND CreateWindowOf(const wchar_t* className, DWORD style, DWORD exStyle,
                      const std::wstring& title, int x, int y, int width, int height,
                      HWND parent, HBRUSH background = nullptr);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  /// Shows an error that escaped a message handler; the default is a plain message box.
  virtual void ReportError(const std::string& text);
  /// Called from WM_NCDESTROY, after which the object no longer owns a window.
  virtual void Destroyed() {}

  HWND hwnd_ = nullptr;
  /// The DPI a WM_DPICHANGED announced (0: ask the system).
  UINT dpi_ = 0;

 private:
  void ReportErrorSafely(const std::string& text) noexcept;
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

/// The application's standard error box: the error's text, the application title and the
/// error icon.
void ShowStandardError(Prompts& prompts, HWND owner, const std::string& text);

/// Tells the user, once a run, when a record of the uninstall log could not be written: the
/// operation goes on, but it is not fully recorded.
void TellLogNotWritten(Services& services, HWND owner);

/// Whether `child` is `ancestor` or lies below it.
bool IsSelfOrDescendant(HWND ancestor, HWND child);

}  // namespace tw
