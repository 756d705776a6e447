#pragma once
// The delete-from-list dialog: a warning before a catalogue entry is removed without running
// its uninstaller, with the offer to try the uninstall first. It only asks; the main window
// deletes and logs.

#include <windows.h>

#include <string>

#include "forms/SkinnedFrame.h"

namespace tw {

class TDeleteKeyBox : public SkinnedFrame {
 public:
  explicit TDeleteKeyBox(Services& services);

  /// The user's answer.
  enum : int { ChoiceTryToUninstall = 0, ChoiceDelete = 1, ChoiceCancel = 2 };

  /// Set before the dialog is shown: the display name the warning names.
  std::string DeleteKeyProgramName;
  /// The answer, read after the dialog closed. Every way of closing other than the two
  /// buttons means cancel.
  int Choice = ChoiceCancel;

  void cmdTryToUninstallClick();
  void cmdDeleteClick();
  void cmdCancelClick() { Close(); }
  /// Focus entering the warning text: nothing to do.
  void ediAdviceEnter() {}

  HWND Advice() const { return ediAdvice_; }

  enum : int { IdAdvice = 100, IdTryToUninstall, IdDelete, IdCancel, IdPicture };
  /// The places of the dialog's controls on its content panel at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdCancel; }
  int EnterButton() const override { return IdTryToUninstall; }
  bool DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  /// Whether the memo's text is taller than the memo.
  bool AdviceOverflows() const;
  HWND ediAdvice_ = nullptr;
};

}  // namespace tw
