#pragma once
// The new-entry dialog: the key path, the display name and the uninstall command of an entry
// to create. The main window proposes the texts, and after OK reads what the user confirmed.

#include <windows.h>

#include <span>
#include <string>

#include "forms/SkinnedFrame.h"

namespace tw {

class TNewProgramBox : public SkinnedFrame {
 public:
  explicit TNewProgramBox(Services& services);

  // The texts the dialog opens with; after OK, the texts the user confirmed.
  std::string KeyPath;
  std::string DisplayName;
  std::string UninstallCommand;

  HWND EntryEdit() const { return ediEntry_; }
  HWND NameEdit() const { return ediName_; }
  HWND CommandEdit() const { return ediCommand_; }

  /// OK when every field holds text (blanks count); otherwise the dialog says so and stays.
  void cmdOKClick();
  void cmdCancelClick() { Close(); }
  /// The first field takes the keyboard once the dialog shows.
  void FormActivate() override;
  /// Alt with a label's underlined letter focuses that label's field.
  bool PreTranslate(MSG& msg) override;

  enum : int { IdEntryLabel = 100, IdEntry, IdNameLabel, IdName, IdCommandLabel, IdCommand, IdOK, IdCancel };

  /// The controls' places at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdCancel; }
  int EnterButton() const override { return IdOK; }

 private:
  HWND ediEntry_ = nullptr;
  HWND ediName_ = nullptr;
  HWND ediCommand_ = nullptr;
};

}  // namespace tw
