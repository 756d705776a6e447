#pragma once
// The main window: the installed programs as a list of catalogue rows, advice on the selected
// row, sorting, searching, view styles, and every command of the program.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/AppConfiguration.h"
#include "catalogue/ProgramList.h"
#include "catalogue/UninstallInfoReader.h"
#include "forms/Controls.h"
#include "forms/ProgramListView.h"
#include "forms/Services.h"
#include "forms/Window.h"
#include "win32/Win32Icons.h"

namespace tw {

/// The registered window message by which the main window answers how many rows in view still
/// wait for their icons.
inline constexpr const wchar_t* kRowsWaitingForIconsMessage = L"TidewellRowsWaitingForIcons";

class TfrmMain : public Form {
 public:
  explicit TfrmMain(Services& services);

  /// Builds the window and its controls, scans the catalogue, selects the first row and
  /// carries out the command line's report or quiet removal. The window stays hidden until
  /// Show.
  void Create();
  /// Centres the window on the screen, applies the stored placement and shows it.
  void Show(int showCommand);
  /// True once a command-line switch asked the program to end.
  bool TerminateRequested() const { return terminateRequested_; }
  void RequestTerminate() { terminateRequested_ = true; }
  /// A command-line switch could not do its work (the report was not written): the program
  /// runs on as an ordinary session (icons, error boxes) and ends with a non-zero status
  /// when the user closes it.
  void MarkCommandLineFailed();
  bool CommandLineFailed() const { return commandLineFailed_; }
  /// Ends the program as if it had run: the window is centred and the stored placement and
  /// view style applied without showing it; destroying it saves the settings, keeping the
  /// stored window state (the hidden window has none of its own).
  void CloseWithoutShowing();
  /// True while the command line asks for a run without a visible list (report switches,
  /// /QU): no icons are drawn and scan errors are not shown.
  bool IsUnattendedRun() const { return unattended_; }

  bool PreTranslate(MSG& msg) override;

  // The list.

  /// Rebuilds the list from the catalogue and selects the row at the position that was
  /// selected before. Texts and marks are filled at once; icons when a row is first drawn.
  /// False when the scan failed (the rows read before the failure are listed, the error is
  /// shown).
  bool RefreshProgramList();
  /// Shows "Please first select the program you want to uninstall" and returns true when no
  /// row is selected.
  bool RequireSelection();
  /// The next row (after the selected one, wrapping) whose caption equals the text or, with
  /// `substring`, contains it (ASCII letters without case); -1 when none. Not silent: tells
  /// the user when nothing was found.
  int FindProgram(const std::string& text, bool substring, bool silent);

  int RowCount() const;
  /// The row shown at a list position.
  const ProgramEntry& RowAt(int position) const;
  /// The list's rows, order and sort state.
  const ProgramList& Programs() const { return list_; }
  /// The position of the selected row, or -1.
  int SelectedIndex() const;
  /// Selects and focuses a row and scrolls it fully into view.
  void SelectRow(int position);
  HWND ListView() const { return view_.Handle(); }
  HWND FindBox() const { return ediFind_; }
  HWND AdviceText() const { return txtSelectedProgram_; }
  HWND Tooltip() const { return tooltip_; }
  HWND HelpButton() const { return cmdHelp_; }
  HWND ViewStyleLink() const { return txtViewStyle_; }
  HWND RefreshLink() const { return txtRefresh_; }
  bool AdviceOkShown() const;
  bool AdviceBadShown() const;
  ViewStyle CurrentViewStyle() const { return view_.Style(); }
  void SetViewStyle(ViewStyle style) { view_.SetStyle(style); }
  /// Width of a list column in pixels.
  int ColumnWidth(int column) const { return view_.ColumnWidth(column); }
  /// The row icons extracted so far (rows are drawn before their icons are made).
  const ImageListIconSource& Icons() const { return view_.Icons(); }
  /// Whether the list shows system components and updates (the choice is kept in the
  /// settings); hiding them hides them from the search, the reports and the switches too.
  bool ShowsSystemComponents() const { return list_.ShowsSystemComponents(); }
  void ShowSystemComponents(bool show);

  /// How many rows in view still wait for their icons. Other programs ask it with the
  /// registered message kRowsWaitingForIconsMessage: the benchmark times how long the first
  /// screen of icons takes to appear by it.
  int RowsInViewWaitingForIcons() const { return view_.RowsInViewWaitingForIcons(); }

  // Event handlers.

  void TheListViewColumnClick(int column);
  void TheListViewChange();
  void TheListViewDblClick();
  void TheListViewMouseDown(POINT client);
  void txtViewStyleClick();
  void Label3Click() { RefreshProgramList(); }
  void cmdFindClick();
  void cmdUninstallClick();
  void cmdDeleteFromListClick();
  void cmdProgramDetailsClick();
  void cmdOtherOptionsClick();
  void cmdHelpClick();
  void ViewEditProgramDetails1Click();
  void Newprogram1Click();
  /// The new-entry dialog with proposed texts: after OK, asks before overwriting an existing
  /// entry, writes the entry and rescans.
  void NewProgramEntry(const std::string& keyPath, const std::string& displayName,
                       const std::string& uninstallCommand);
  /// Files dropped on the window: each shortcut among them proposes a new entry, in order.
  void WMDropFiles(HDROP drop);
  void UninstallLog1Click();
  /// "Restore Deleted Entries...": the backups' dialog; after a restore, the list is rescanned
  /// and the restored entry selected.
  void RestoreDeletedEntries1Click();
  void PrintAuditReport1Click();
  void About1Click();
  void Exit1Click();
  /// "Show System Components and Updates": shows or hides them.
  void popShowSystemComponentsClick();

  /// The command line's report and quiet-removal switches, once after the first scan: a
  /// switch that was carried out asks the program to end.
  void ProcessCommandLine();
  /// The /UNINSTALL switch, when the window is first activated.
  void ProcessUninstallSwitch();

  /// Runs a menu or button command by its identifier.
  void RunCommand(int id);

  Services& services() { return services_; }

  // Control and command identifiers.
  enum : int {
    IdList = 100, IdFind, IdFindButton, IdViewStyle, IdRefresh, IdAdvice, IdAdviceOk, IdAdviceBad,
    IdUninstall, IdDeleteFromList, IdProgramDetails, IdOtherOptions, IdHelp, IdBanner, IdHeader, IdBottomCenter,
    CmdEditDetails = 200, CmdNewProgram, CmdUninstallLog, CmdAuditReport, CmdAbout, CmdExit,
    CmdUninstall, CmdDeleteFromList, CmdProgramDetails,
    CmdViewLarge = 220, CmdViewSmall, CmdViewList, CmdViewDetails,
    CmdRestore = 240, CmdShowSystemComponents,
  };
  /// The places of the window's controls at 96 DPI, each in its panel. Where a place depends
  /// on the window's size (the find box and its button at the right, the links below the
  /// list, the centred banner and button strip, the widths of the header and the advice),
  /// the table holds 0 and the resize rules set it; the list is placed by those rules alone.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ReportError(const std::string& text) override;
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  /// What else the DPI decides: the list's pictures and column widths, the advice pictures,
  /// the hint width, and the places that depend on the window's size.
  void LayoutApplied() override;

 private:
  void BuildControls();
  void BuildMenus();
  void LayoutAll();
  void panTopResize();
  void panLVContainerResize();
  void panAdviceResize();
  void panBottomResize();
  void FormActivateFirst();
  /// Marks the first activation as done and queues its work.
  void StartFirstActivation();
  void FormClose();
  void FormDestroy();
  LRESULT OnNotify(NMHDR* header);
  void ShowMenu(HMENU menu, POINT screen);
  /// Removes the named programs without asking: saves each one's entry, starts its quiet
  /// uninstall command (its uninstall command when it records none) and deletes its
  /// catalogue key at once. Nothing is logged. An entry that cannot be saved is left alone;
  /// false (after telling why) when one was.
  bool QuietUninstall();
  /// Selects the row of an entry by its FullKeyPath (letters without regard to case).
  void SelectEntry(const std::string& keyPath);
  /// Centres the window on the screen and applies the stored placement.
  void PlaceWindow();
  /// Turns an unattended run into an ordinary session: the rows shown in the list with their
  /// icons (the first one selected, when asked), errors shown.
  void LeaveUnattendedRun(bool selectFirstRow);
  /// The view style the settings store, or nothing when they store none of the four.
  std::optional<ViewStyle> StoredViewStyle();
  int OuterWidth() const;

  Services& services_;
  /// The window's settings below the program's key of the current user.
  WindowSettings settings_;
  ProgramList list_;
  ProgramListView view_{list_};
  /// The view the list is made in: the stored one.
  ViewStyle initialStyle_ = ViewStyle::LargeIcons;
  /// What the last scan read of each entry (a run nobody sees reads only what it uses).
  ScanParts scanned_;
  bool terminateRequested_ = false;
  bool commandLineFailed_ = false;
  bool activated_ = false;
  bool activationPending_ = false;
  bool creating_ = false;
  bool unattended_ = false;
  /// The stored window state, kept for a window that closes without being shown.
  int hiddenWindowState_ = -1;

  Panel panTop_, panLVContainer_, panAdvice_, panBottom_, panBottomCenter_;
  HWND imgTop_ = nullptr, txtHeader_ = nullptr, ediFind_ = nullptr, cmdFind_ = nullptr;
  HWND txtViewStyle_ = nullptr, txtRefresh_ = nullptr;
  HWND txtSelectedProgram_ = nullptr, imgSelectedProgramOK_ = nullptr, imgSelectedProgramBad_ = nullptr;
  HWND cmdUninstall_ = nullptr, cmdDeleteFromList_ = nullptr, cmdProgramDetails_ = nullptr;
  HWND cmdOtherOptions_ = nullptr, cmdHelp_ = nullptr, tooltip_ = nullptr;
  UniqueHIcon adviceOkIcon_, adviceBadIcon_;
  UniqueHMenu popOtherOptions_, popProgramPopupMenu_, popProgramNilPopupMenu_, popViewStyle_;
};

}  // namespace tw
