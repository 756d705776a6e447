#include "forms/ModalForm.h"

namespace tw {

void CenterOn(HWND window, HWND over) {
  RECT outer;
  if (over != nullptr && ::IsWindowVisible(over)) {
    ::GetWindowRect(over, &outer);
  } else {
    outer = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  RECT rc;
  ::GetWindowRect(window, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  ::SetWindowPos(window, nullptr, outer.left + (outer.right - outer.left - width) / 2,
                 outer.top + (outer.bottom - outer.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Win32ModalRunner::Run(ModalForm& form, HWND owner) {
  form.CreateForm(owner);
  if (form.Handle() == nullptr) return kModalCancel;
  const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(form.Handle(), SW_SHOW);
  ::SetForegroundWindow(form.Handle());
  form.FormActivate();
  MSG msg;
  bool quit = false;
  while (form.Running()) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = true;
      break;
    }
    if (form.PreTranslate(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  if (owner != nullptr) ::SetActiveWindow(owner);
  if (form.Handle() != nullptr) ::DestroyWindow(form.Handle());
  if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
  return form.ModalResult() == kModalNone ? kModalCancel : form.ModalResult();
}

}  // namespace tw
