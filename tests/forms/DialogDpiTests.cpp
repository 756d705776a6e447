// The dialogs moved to a monitor of another DPI: each lays itself out again from its table.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <span>

#include "FormTestSupport.h"
#include "forms/FormAbout.h"
#include "forms/FormAudit.h"
#include "forms/FormEditProgram.h"
#include "forms/FormMain.h"
#include "forms/FormNewProgram.h"
#include "forms/FormUninstallLog.h"
#include "support/Catalogue.h"

namespace tw {
namespace {

// The height of the font a control draws with, as its LOGFONT gives it.
LONG FontHeightOf(HWND control) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  if (handle == nullptr || ::GetObjectW(handle, sizeof font, &font) == 0) return 0;
  return font.lfHeight;
}

// Moved to 144 DPI, a control of the dialog's layout table stands at its place scaled by
// 1.5, a text of 13 pixels takes the font of 144 DPI, and the dialog its client size at
// 144 DPI.
TEST(DialogDpi, EachDialogFollowsAMoveTo144Dpi) {
  struct Case {
    const char* dialog;
    int command;
    std::span<const ControlLayout> table;
    int control;  ///< placed by the table, with a text of 13 pixels at 96 DPI
    SIZE client;  ///< at 144 DPI
    std::function<void(Form&)> more;
  };
  const Case cases[] = {
      {"Edit Program Details", TfrmMain::CmdEditDetails, TEditProgramBox::LayoutTable(), TEditProgramBox::IdKey,
       {708, 621},
       [](Form& dialog) {
         // The grid's rows and columns follow too.
         ValueGrid& grid = static_cast<TEditProgramBox&>(dialog).gridAllInfo();
         EXPECT_EQ(grid.ColumnWidth(0), 180);
         EXPECT_EQ(grid.ColumnWidth(1), 432);
         const RECT cell = grid.CellRect(1, 1);
         EXPECT_EQ(cell.bottom - cell.top, 30);
         EXPECT_EQ(FontHeightOf(grid.Handle()), -20);
         EXPECT_EQ(FontHeightOf(grid.Editor()), -20);
       }},
      {"New Program", TfrmMain::CmdNewProgram, TNewProgramBox::LayoutTable(), TNewProgramBox::IdName, {608, 455},
       nullptr},
      {"Print or Save Audit Report", TfrmMain::CmdAuditReport, TAuditBox::LayoutTable(), TAuditBox::IdLongFormat,
       {927, 594}, nullptr},
      {"Uninstall Log", TfrmMain::CmdUninstallLog, TUninstallLogBox::LayoutTable(), TUninstallLogBox::IdMemo,
       {936, 528}, nullptr},
      {"About", TfrmMain::CmdAbout, TAboutBox::LayoutTable(), TAboutBox::IdLabel7, {642, 576}, nullptr},
  };
  test::FormHarness h;
  test::AddEntry(h.fake.registry, RootKey::LocalMachine, "App", "My App", "C:\\App\\unins.exe");
  auto main = test::OpenMainWindow(h.services);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    h.modal.scripts.push_back([&](ModalForm& dialog) {
      RECT bounds;
      ::GetWindowRect(dialog.Handle(), &bounds);
      RECT suggested{bounds.left, bounds.top, bounds.left + (bounds.right - bounds.left) * 3 / 2,
                     bounds.top + (bounds.bottom - bounds.top) * 3 / 2};
      ::SendMessageW(dialog.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
      EXPECT_EQ(dialog.Dpi(), 144u);
      const auto at = std::ranges::find(c.table, c.control, &ControlLayout::id);
      ASSERT_NE(at, c.table.end());
      const HWND control = dialog.Control(c.control);
      ASSERT_NE(control, nullptr);
      const RECT place = test::RectIn(::GetParent(control), control);
      EXPECT_EQ(place.left, MulDiv(at->x, 3, 2));
      EXPECT_EQ(place.top, MulDiv(at->y, 3, 2));
      EXPECT_EQ(place.right - place.left, MulDiv(at->width, 3, 2));
      EXPECT_EQ(place.bottom - place.top, MulDiv(at->height, 3, 2));
      EXPECT_EQ(FontHeightOf(control), -20);
      RECT client;
      ::GetClientRect(dialog.Handle(), &client);
      EXPECT_EQ(client.right, c.client.cx);
      EXPECT_EQ(client.bottom, c.client.cy);
      if (c.more) c.more(dialog);
      dialog.Close();
    });
    main->RunCommand(c.command);
    EXPECT_EQ(h.modal.leftOpen, 0);
  }
}

}  // namespace
}  // namespace tw
