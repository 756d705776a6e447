#pragma once
// The uninstall dialog: starts a program's own uninstall command, waits until the user says
// the uninstaller has finished, tests whether the catalogue entry went away, offers to remove
// an entry the uninstaller left behind, and writes each step into the uninstall log.

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "forms/SkinnedFrame.h"

namespace tw {

class TUninstallBox : public SkinnedFrame {
 public:
  explicit TUninstallBox(Services& services);

  /// Set before the dialog is shown: the name shown (and logged), the command line to start
  /// and the entry's full key path.
  std::string ProgramName;
  std::string UninstallCommand;
  std::string KeyPath;

  /// Shows the first page.
  void FormActivate() override;
  // The handlers below act when called. Their buttons and Enter reach them only while the
  // button's page shows and has shown for the system's double-click time.
  /// UNINSTALL: logs the start, shows the waiting page and starts the uninstaller.
  void cmdAddRemoveClick();
  /// CONTINUE: tests whether the entry is gone and shows the outcome.
  void cmdDoneClick();
  /// CLEAN-UP: deletes the entry the uninstaller left and closes.
  void cmdCleanupClick();
  void cmdCloseClick() { Close(); }
  void cmdCancelClick() { Close(); }
  /// Advances the busy animation of the waiting page.
  void Timer1Timer();

  /// The page showing (0 to 3), or -1 before the dialog was activated.
  int PageIndex() const { return page_; }
  bool CancelShown() const;
  int ProgressPosition() const;
  /// The text of txtAppName and of its tooltip.
  std::string AppNameText() const;
  std::string AppNameTip() const;
  /// The panel of a page.
  HWND Page(int index) const { return pages_[static_cast<std::size_t>(index)].Handle(); }

  enum : int {
    IdAddRemove = 100, IdDone, IdCleanup, IdClose, IdCancel, IdAppName, IdProgress,
    IdPicture0, IdPicture2, IdPicture3, IdText01, IdText03, IdText11, IdText12, IdText21, IdText22, IdText31,
    IdPage0, IdPage1, IdPage2, IdPage3,
  };
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTimerInterval = 200;
  /// The places of the dialog's controls at 96 DPI: the pages on the content panel, and each
  /// page's controls on their page.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void LayoutApplied() override;
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdCancel; }
  int EnterButton() const override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowPage(int index);
  /// Whether the showing page's button may act: the system's double-click time has passed
  /// since the page was shown, on the platform clock.
  bool PageButtonArmed();
  void ShowCancel(bool show);
  /// Appends a record to the uninstall log; the first record of the run that cannot be
  /// written is told to the user.

  std::array<Panel, 4> pages_;
  int page_ = -1;
  /// When the showing page was shown, in milliseconds of the platform clock.
  std::optional<std::int64_t> pageShownAt_;
  HWND txtAppName_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND progressBar_ = nullptr;
  HWND cmdCancel_ = nullptr;
};

}  // namespace tw
