#pragma once
// A window shown modally over its owner. The form sets its modal result (or is destroyed) to
// end the modal loop; the runner (production or a test's script) drives it in between.

#include <windows.h>

#include "forms/Controls.h"

namespace tw {

class ModalForm : public Form {
 public:
  /// Creates the (hidden) window, owned by `owner`, centred on it.
  virtual void CreateForm(HWND owner) = 0;
  /// Runs once the form is shown and active (first activation).
  virtual void FormActivate() {}

  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  /// True while the modal loop should go on.
  bool Running() const { return modalResult_ == kModalNone && hwnd_ != nullptr; }
  /// Ends the modal loop with Cancel, as closing a dialog does.
  void Close() {
    if (modalResult_ == kModalNone) modalResult_ = kModalCancel;
  }

 protected:
  int modalResult_ = kModalNone;
};

/// The production modal loop: the owner is disabled, the form created and shown, and messages
/// run (with the form's key preview) until the form has a modal result or is gone. On every
/// way out, an exception included, the owner is enabled again and the form destroyed.
class Win32ModalRunner : public ModalRunner {
 public:
  int Run(ModalForm& form, HWND owner) override;
};

/// Centres a window on another (or on the screen when there is none).
void CenterOn(HWND window, HWND over);

}  // namespace tw
