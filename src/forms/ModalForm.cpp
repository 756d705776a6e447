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

namespace {

// Gives the owner back on every way out of the modal run, also when the form's creation or
// activation throws: the owner enabled again and active, and the form's window gone.
class OwnerRestore {
 public:
  OwnerRestore(ModalForm& form, HWND owner)
      : form_(form), owner_(owner), reenable_(owner != nullptr && ::IsWindowEnabled(owner)) {
    if (reenable_) ::EnableWindow(owner_, FALSE);
  }
  OwnerRestore(const OwnerRestore&) = delete;
  OwnerRestore& operator=(const OwnerRestore&) = delete;
  ~OwnerRestore() {
    // Enabled before the form goes, so that activation falls back to the owner.
    if (reenable_) ::EnableWindow(owner_, TRUE);
    if (owner_ != nullptr) ::SetActiveWindow(owner_);
    if (form_.Handle() != nullptr) ::DestroyWindow(form_.Handle());
  }

 private:
  ModalForm& form_;
  HWND owner_;
  bool reenable_;
};

}  // namespace

int Win32ModalRunner::Run(ModalForm& form, HWND owner) {
  bool quit = false;
  WPARAM quitCode = 0;
  {
    // The owner is disabled before the form is made: whatever the form shows while it is
    // being created (an error report) must not leave the owner usable under it.
    OwnerRestore restore(form, owner);
    form.CreateForm(owner);
    if (form.Handle() == nullptr) return kModalCancel;
    ::ShowWindow(form.Handle(), SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    form.FormActivate();
    MSG msg;
    while (form.Running()) {
      const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      if (form.PreTranslateGuarded(msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
  return form.ModalResult() == kModalNone ? kModalCancel : form.ModalResult();
}

}  // namespace tw
