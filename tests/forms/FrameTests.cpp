#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <span>
#include <stdexcept>

#include "FormTestSupport.h"
#include "forms/FormAbout.h"
#include "forms/FormAudit.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormEditProgram.h"
#include "forms/FormMain.h"
#include "forms/FormNewProgram.h"
#include "forms/FormProgramDetails.h"
#include "forms/FormRestore.h"
#include "forms/FormUninstall.h"
#include "forms/FormUninstallLog.h"
#include "forms/ModalForm.h"
#include "support/Catalogue.h"

namespace tw {
namespace {

// A top-level window standing in for the main window, destroyed with the test.
class OwnerWindow {
 public:
  OwnerWindow()
      : hwnd_(::CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() { ::DestroyWindow(hwnd_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// A form that records what its owner looked like while it was made, and fails where told.
class ProbeForm : public ModalForm {
 public:
  void CreateForm(HWND owner) override {
    CreateWindowOf(L"TidewellTestProbeForm", WS_POPUP, 0, L"Probe", 0, 0, 120, 80, owner);
    created = hwnd_;
    ownerEnabledWhileCreated = ::IsWindowEnabled(owner) != FALSE;
    if (failCreate) throw std::runtime_error("creation failed");
  }
  void FormActivate() override {
    ownerEnabledWhileActive = ::IsWindowEnabled(::GetWindow(hwnd_, GW_OWNER)) != FALSE;
    if (failActivate) throw std::runtime_error("activation failed");
    SetModalResult(kModalOk);
  }

  bool failCreate = false;
  bool failActivate = false;
  HWND created = nullptr;
  bool ownerEnabledWhileCreated = true;
  bool ownerEnabledWhileActive = true;
};

TEST(ModalRunner, TheOwnerIsDisabledFromTheFormsCreationToItsEnd) {
  OwnerWindow owner;
  ASSERT_NE(owner.get(), nullptr);
  ProbeForm form;
  Win32ModalRunner runner;
  EXPECT_EQ(runner.Run(form, owner.get()), kModalOk);
  EXPECT_FALSE(form.ownerEnabledWhileCreated) << "an error shown while the form is made sits over a dead owner";
  EXPECT_FALSE(form.ownerEnabledWhileActive);
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
  EXPECT_EQ(form.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(form.created));
}

TEST(ModalRunner, AFormThatFailsGivesItsOwnerBack) {
  for (const bool inActivation : {false, true}) {
    SCOPED_TRACE(inActivation ? "activation throws" : "creation throws");
    OwnerWindow owner;
    ProbeForm form;
    (inActivation ? form.failActivate : form.failCreate) = true;
    Win32ModalRunner runner;
    EXPECT_THROW(runner.Run(form, owner.get()), std::runtime_error);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    ASSERT_NE(form.created, nullptr);
    EXPECT_FALSE(::IsWindow(form.created));
    EXPECT_EQ(form.Handle(), nullptr);
  }
}

TEST(ModalRunner, AnOwnerDisabledBeforehandStaysDisabled) {
  OwnerWindow owner;
  ::EnableWindow(owner.get(), FALSE);
  ProbeForm form;
  form.failActivate = true;
  Win32ModalRunner runner;
  EXPECT_THROW(runner.Run(form, owner.get()), std::runtime_error);
  EXPECT_FALSE(::IsWindowEnabled(owner.get()));
}

// The height of the font a control draws with, as its LOGFONT gives it.
LONG FontHeightOf(HWND control) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  if (handle == nullptr || ::GetObjectW(handle, sizeof font, &font) == 0) return 0;
  return font.lfHeight;
}

// Moved to a monitor of 144 DPI, every window lays itself out again: a control of its layout
// table stands at its place scaled by 1.5, a text takes the font height of 144 DPI, and a
// dialog takes its client size at 144 DPI.
TEST(DpiChange, EveryWindowFollowsAMoveTo144Dpi) {
  struct Case {
    const char* window;
    int command;  ///< the main window's command that opens the dialog; 0: the main window
    std::span<const ControlLayout> table;
    int placed;   ///< a control of the table whose place is checked
    std::function<HWND(Form&)> text;  ///< a text of 13 pixels at 96 DPI
    SIZE client;  ///< at 144 DPI; 0 by 0: the main window takes the suggested bounds
    std::function<void(Form&)> more = nullptr;  ///< what else follows the DPI
  };
  const Case cases[] = {
      {"main window", 0, TfrmMain::LayoutTable(), TfrmMain::IdUninstall,
       [](Form& w) { return w.Control(TfrmMain::IdHeader); }, {0, 0}},
      {"Uninstall", TfrmMain::CmdUninstall, TUninstallBox::LayoutTable(), TUninstallBox::IdAppName,
       [](Form& w) { return w.Control(TUninstallBox::IdAppName); }, {642, 464}},
      {"Delete From List", TfrmMain::CmdDeleteFromList, TDeleteKeyBox::LayoutTable(), TDeleteKeyBox::IdAdvice,
       [](Form& w) { return w.Control(TDeleteKeyBox::IdAdvice); }, {684, 599}},
      {"Program Details", TfrmMain::CmdProgramDetails, TProgramDetailsBox::LayoutTable(), TProgramDetailsBox::IdOK,
       [](Form& w) { return static_cast<TProgramDetailsBox&>(w).Rows().front().captionLabel; }, {804, 588}},
      {"Edit Program Details", TfrmMain::CmdEditDetails, TEditProgramBox::LayoutTable(), TEditProgramBox::IdKey,
       [](Form& w) { return w.Control(TEditProgramBox::IdKey); }, {708, 621},
       [](Form& w) {
         // The grid's rows, columns and font follow too.
         ValueGrid& grid = static_cast<TEditProgramBox&>(w).gridAllInfo();
         EXPECT_EQ(grid.ColumnWidth(0), 180);
         EXPECT_EQ(grid.ColumnWidth(1), 432);
         const RECT cell = grid.CellRect(1, 1);
         EXPECT_EQ(cell.bottom - cell.top, 30);
         EXPECT_EQ(FontHeightOf(grid.Handle()), -20);
         EXPECT_EQ(FontHeightOf(grid.Editor()), -20);
       }},
      {"New Program", TfrmMain::CmdNewProgram, TNewProgramBox::LayoutTable(), TNewProgramBox::IdName,
       [](Form& w) { return w.Control(TNewProgramBox::IdName); }, {608, 455}},
      {"Print or Save Audit Report", TfrmMain::CmdAuditReport, TAuditBox::LayoutTable(), TAuditBox::IdPrint,
       [](Form& w) { return w.Control(TAuditBox::IdLongFormat); }, {927, 594}},
      {"Uninstall Log", TfrmMain::CmdUninstallLog, TUninstallLogBox::LayoutTable(), TUninstallLogBox::IdMemo,
       [](Form& w) { return w.Control(TUninstallLogBox::IdMemo); }, {936, 528}},
      {"About", TfrmMain::CmdAbout, TAboutBox::LayoutTable(), TAboutBox::IdLabel7,
       [](Form& w) { return w.Control(TAboutBox::IdLabel7); }, {642, 576}},
      {"Restore Deleted Entries", TfrmMain::CmdRestore, TRestoreBox::LayoutTable(), TRestoreBox::IdRestore,
       [](Form& w) { return w.Control(TRestoreBox::IdIntro); }, {900, 558},
       [](Form& w) {
         // The list's columns follow too.
         const HWND list = static_cast<TRestoreBox&>(w).BackupList();
         EXPECT_EQ(ListView_GetColumnWidth(list, 0), 345);
         EXPECT_EQ(FontHeightOf(list), -20);
       }},
  };
  test::FormHarness h;
  test::AddEntry(h.fake.registry, RootKey::LocalMachine, "App", "My App", "C:\\App\\unins.exe");
  auto main = test::OpenMainWindow(h.services);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    const auto check = [&](Form& window) {
      RECT bounds;
      ::GetWindowRect(window.Handle(), &bounds);
      RECT suggested{bounds.left, bounds.top, bounds.left + (bounds.right - bounds.left) * 3 / 2,
                     bounds.top + (bounds.bottom - bounds.top) * 3 / 2};
      ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
      EXPECT_EQ(window.Dpi(), 144u);
      const ControlLayout& at = LayoutEntry(c.table, c.placed);
      const HWND placed = window.Control(c.placed);
      ASSERT_NE(placed, nullptr);
      const RECT place = test::RectIn(::GetParent(placed), placed);
      EXPECT_EQ(place.left, MulDiv(at.x, 3, 2));
      EXPECT_EQ(place.top, MulDiv(at.y, 3, 2));
      EXPECT_EQ(place.right - place.left, MulDiv(at.width, 3, 2));
      EXPECT_EQ(place.bottom - place.top, MulDiv(at.height, 3, 2));
      EXPECT_EQ(FontHeightOf(c.text(window)), -20);
      RECT client;
      ::GetClientRect(window.Handle(), &client);
      if (c.client.cx == 0) {
        ::GetWindowRect(window.Handle(), &bounds);
        EXPECT_TRUE(::EqualRect(&bounds, &suggested));
      } else {
        EXPECT_EQ(client.right, c.client.cx);
        EXPECT_EQ(client.bottom, c.client.cy);
      }
      if (c.more) c.more(window);
    };
    if (c.command == 0) {
      check(*main);
      continue;
    }
    h.modal.scripts.push_back([&](ModalForm& dialog) {
      check(dialog);
      dialog.Close();
    });
    main->RunCommand(c.command);
    EXPECT_EQ(h.modal.leftOpen, 0);
  }
}

}  // namespace
}  // namespace tw
