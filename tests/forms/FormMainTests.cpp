#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "FormTestSupport.h"
#include "forms/FormAbout.h"
#include "forms/Controls.h"
#include "forms/FormMain.h"
#include "support/Catalogue.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;
using test::AddUsage;
using test::kUninstallKey;
using test::SetValue;
using test::UsageRecordBytes;

const char* const kSelectFirst = "Please first select the program you want to uninstall";

class MainWindow : public ::testing::Test {
 protected:
  void AddPrograms(std::initializer_list<const char*> names) {
    for (const char* name : names) AddEntry(h.fake.registry, RootKey::LocalMachine, name, name, "MsiExec.exe /X{1}");
  }
  // Programs P000, P001, ...: more than the list shows at once.
  void AddNumberedPrograms(int count) {
    for (int i = 0; i < count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "P%03d", i);
      AddEntry(h.fake.registry, RootKey::LocalMachine, name, name, "x");
    }
  }
  TfrmMain& Open() {
    form = test::OpenMainWindow(h.services);
    return *form;
  }
  std::vector<std::string> Captions() {
    std::vector<std::string> out;
    for (int i = 0; i < form->RowCount(); ++i) out.push_back(form->RowAt(i).caption);
    return out;
  }
  void DeleteEntry(const std::string& sub) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->RemoveKey(std::string(kUninstallKey) + "\\" + sub);
  }
  std::string AdviceText() { return WindowText(form->AdviceText()); }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(MainWindow, StartsSortedByNameWithTheFirstRowSelected) {
  AddPrograms({"beta", "Alpha", "gamma", "Delta"});
  Open();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Alpha", "Delta", "beta", "gamma"}));
  EXPECT_EQ(form->SelectedIndex(), 0);
  EXPECT_EQ(WindowText(form->Handle()), "Tidewell");
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::LargeIcons);
}

TEST_F(MainWindow, ColumnClicksSortNameFirstAscendingAndOtherColumnsTwice) {
  AddPrograms({"B", "A", "C"});
  AddUsage(h.fake.registry, "A", RegValue{RegType::Binary, UsageRecordBytes(3 << 20, 0, 0, u"")});
  AddUsage(h.fake.registry, "B", RegValue{RegType::Binary, UsageRecordBytes(1 << 20, 0, 0, u"")});
  AddUsage(h.fake.registry, "C", RegValue{RegType::Binary, UsageRecordBytes(20 << 20, 0, 0, u"")});
  Open();
  EXPECT_FALSE(form->Programs().SortAscending());  // the click on the empty list at creation
  form->TheListViewColumnClick(0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"A", "B", "C"}));
  form->TheListViewColumnClick(0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"C", "B", "A"}));
  form->TheListViewColumnClick(3);  // Size: first ascending, by the fixed-width text
  EXPECT_EQ(Captions(), (std::vector<std::string>{"B", "A", "C"}));
  form->TheListViewColumnClick(3);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"C", "A", "B"}));
  // A real header click goes the same way.
  NMLISTVIEW click{};
  click.hdr.hwndFrom = form->ListView();
  click.hdr.idFrom = TfrmMain::IdList;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = 0;
  ::SendMessageW(form->Handle(), WM_NOTIFY, TfrmMain::IdList, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"A", "B", "C"}));
  // A refresh leaves the list in name order whatever was sorted before.
  form->TheListViewColumnClick(0);
  form->RefreshProgramList();
  EXPECT_EQ(Captions(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(MainWindow, FindStartsAfterTheSelectedRowAndWraps) {
  AddPrograms({"Alpha Tool", "Beta", "Gamma TOOL", "Delta"});
  Open();  // Alpha Tool, Beta, Delta, Gamma TOOL; row 0 selected
  EXPECT_EQ(form->FindProgram("tool", true, false), 3);
  form->SelectRow(3);
  EXPECT_EQ(form->FindProgram("tool", true, false), 0);  // wraps
  EXPECT_EQ(form->FindProgram("beta", false, false), 1);
  EXPECT_EQ(form->FindProgram("bet", false, true), -1);  // whole names only
  EXPECT_EQ(form->FindProgram("", true, false), -1);     // nothing, silently
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_EQ(form->FindProgram("zzz", true, false), -1);
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "The program you are looking for (zzz) was not found");
  EXPECT_EQ(h.prompts.shown[0].flags & MB_ICONMASK, static_cast<unsigned>(MB_ICONERROR));
  // The find box steps through the matches, Enter in it included.
  form->SelectRow(0);
  SetWindowTextUtf8(form->FindBox(), "TOOL");
  test::PressKey(*form, form->FindBox(), VK_RETURN);
  EXPECT_EQ(form->SelectedIndex(), 3);
  test::PressKey(*form, form->FindBox(), VK_RETURN);
  EXPECT_EQ(form->SelectedIndex(), 0);
}

TEST_F(MainWindow, FindInAnEmptyListFindsNothing) {
  Open();
  EXPECT_EQ(form->FindProgram("x", true, true), -1);
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_EQ(form->FindProgram("x", true, false), -1);
  EXPECT_EQ(h.prompts.shown.size(), 1u);
}

TEST_F(MainWindow, RefreshReselectsByPosition) {
  AddPrograms({"P01", "P02", "P03", "P04", "P05", "P06", "P07", "P08", "P09", "P10"});
  Open();
  form->SelectRow(2);
  DeleteEntry("P03");
  form->RefreshProgramList();
  EXPECT_EQ(form->SelectedIndex(), 2);
  EXPECT_EQ(form->RowAt(2).caption, "P04");
  form->SelectRow(8);
  DeleteEntry("P10");
  form->RefreshProgramList();
  EXPECT_EQ(form->SelectedIndex(), -1);
  EXPECT_EQ(AdviceText(), "");
}

TEST_F(MainWindow, EmptyUsageColumnsCollapseAndNeverWidenAgain) {
  AddPrograms({"A", "B"});
  Open();
  form->SetViewStyle(ViewStyle::Details);
  for (int column : {1, 2, 3, 4, 5, 6, 7, 8}) EXPECT_EQ(form->ColumnWidth(column), 1) << column;
  EXPECT_GT(form->ColumnWidth(0), 1);
  EXPECT_GT(form->ColumnWidth(9), 1);
  AddUsage(h.fake.registry, "A", RegValue{RegType::Binary, UsageRecordBytes(5 << 20, test::FileTimeOf(2025, 5, 5), 7, u"C:\\a.exe")});
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\B", "Publisher", RegValue::Text("Maker"));
  form->RefreshProgramList();
  for (int column : {3, 4, 5, 6}) EXPECT_EQ(form->ColumnWidth(column), 1) << column;
  // Collapsed columns refuse the user's resizing.
  NMHEADERW track{};
  track.hdr.hwndFrom = ListView_GetHeader(form->ListView());
  track.hdr.code = HDN_BEGINTRACKW;
  track.iItem = 3;
  EXPECT_EQ(::SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track)), TRUE);
  track.iItem = 0;
  EXPECT_EQ(::SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track)), FALSE);
}

TEST_F(MainWindow, UsageColumnsStayWhenAnyRowHasData) {
  AddPrograms({"A", "B"});
  AddUsage(h.fake.registry, "A", RegValue{RegType::Binary, UsageRecordBytes(5 << 20, test::FileTimeOf(2025, 5, 5), 7, u"C:\\a.exe")});
  Open();
  EXPECT_EQ(form->ColumnWidth(3), form->Scale(80));
  EXPECT_EQ(form->ColumnWidth(4), form->Scale(100));
  EXPECT_EQ(form->Programs().Text(0, ListColumn::Size), "       5.0 MB");
}

// What today's catalogues record shows in the Details view: publisher, version and install
// date in columns of their own, the estimated size where no usage record exists; a megabyte
// of text comes out of the list view cut to the reader's buffer.
TEST_F(MainWindow, TodaysCatalogueValuesShowInTheirColumns) {
  const std::string key = std::string(kUninstallKey) + "\\";
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Alpha", "Alpha", "x");
  const std::pair<const char*, RegValue> values[] = {
      {"Publisher", RegValue::Text("Quenmark")},    {"DisplayVersion", RegValue::Text("10.2")},
      {"InstallDate", RegValue::Text("20240315")}, {"EstimatedSize", RegValue::Number(2048)}};
  for (const auto& [name, value] : values) SetValue(h.fake.registry, RootKey::LocalMachine, key + "Alpha", name, value);
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Gamma", "Gamma", "x");
  SetValue(h.fake.registry, RootKey::LocalMachine, key + "Gamma", "Publisher", RegValue::Text(std::string(1 << 20, 'P')));
  Open();
  form->SetViewStyle(ViewStyle::Details);
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_EQ(form->ColumnWidth(3), form->Scale(80));
  EXPECT_EQ(form->ColumnWidth(6), form->Scale(150));
  EXPECT_EQ(form->ColumnWidth(7), form->Scale(80));
  EXPECT_EQ(form->ColumnWidth(8), form->Scale(100));
  const char* const expected[][5] = {
      // Name, Size, Publisher, Version, Installed On
      {"Alpha", "       2.0 MB", "Quenmark", "10.2", "2024-03-15"},
      {"Gamma", "", "PPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPPP", "", ""},
  };
  for (int row = 0; row < 2; ++row) {
    int c = 0;
    for (int column : {0, 3, 6, 7, 8}) {
      wchar_t text[64] = L"";
      ListView_GetItemText(form->ListView(), row, column, text, 64);
      EXPECT_EQ(Narrow(text), expected[row][c++]) << row << "," << column;
    }
  }
}

// The Other Options item hides what the system's own list leaves out and shows it again; the
// selected program stays selected while it is shown.
TEST_F(MainWindow, SystemComponentsAndUpdatesCanBeHiddenAndShown) {
  AddPrograms({"App", "Base", "Tool"});
  const std::string catalogue = std::string(kUninstallKey) + "\\";
  AddEntry(h.fake.registry, RootKey::LocalMachine, "C", "Component", "c.exe");
  SetValue(h.fake.registry, RootKey::LocalMachine, catalogue + "C", "SystemComponent", RegValue::Number(1));
  AddEntry(h.fake.registry, RootKey::LocalMachine, "KB1", "Hotfix for App", "kb.exe");
  SetValue(h.fake.registry, RootKey::LocalMachine, catalogue + "KB1", "ParentKeyName", RegValue::Text("App"));
  Open();
  const std::vector<std::string> all{"App", "Base", "Component", "Hotfix for App", "Tool"};
  EXPECT_EQ(Captions(), all);
  form->SelectRow(4);
  h.menus.choices.push_back(TfrmMain::CmdShowSystemComponents);
  form->RunCommand(TfrmMain::IdOtherOptions);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"App", "Base", "Tool"}));
  EXPECT_EQ(form->SelectedIndex(), 2);
  EXPECT_EQ(AdviceText(),
            "The selected program (Tool) can be uninstalled from your computer by clicking the "
            "Uninstall button below.");
  EXPECT_EQ(form->FindProgram("Hotfix", true, false), -1);
  form->RunCommand(TfrmMain::IdOtherOptions);
  EXPECT_EQ(h.menus.shown[1].checked[6], false);
  form->RunCommand(TfrmMain::CmdShowSystemComponents);
  EXPECT_EQ(Captions(), all);
  EXPECT_EQ(ListView_GetItemCount(form->ListView()), 5);
  EXPECT_EQ(form->SelectedIndex(), 4);
}

TEST_F(MainWindow, AdviceFollowsTheSelection) {
  h.fake.files.AddFile("C:\\Here\\uninst.exe");
  AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "Present", "C:\\Here\\uninst.exe");
  AddEntry(h.fake.registry, RootKey::LocalMachine, "B", "Vanished", "C:\\Gone\\uninst.exe");
  Open();
  EXPECT_TRUE(form->RowAt(1).uninstallerMissing);
  EXPECT_EQ(ListView_GetItemState(form->ListView(), 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
  EXPECT_EQ(ListView_GetItemState(form->ListView(), 0, LVIS_STATEIMAGEMASK), 0u);
  EXPECT_EQ(AdviceText(),
            "The selected program (Present) can be uninstalled from your computer by clicking the Uninstall button "
            "below.");
  EXPECT_TRUE(form->AdviceOkShown());
  EXPECT_FALSE(form->AdviceBadShown());
  form->SelectRow(1);
  EXPECT_EQ(AdviceText(),
            "It seems that the uninstall program for Vanished (or one of its components) is missing. It is possible "
            "that you have already removed this program from your computer. To check if the program is really "
            "gone, please try to uninstall it by clicking the Uninstall button below.");
  EXPECT_FALSE(form->AdviceOkShown());
  EXPECT_TRUE(form->AdviceBadShown());
  ListView_SetItemState(form->ListView(), -1, 0, LVIS_SELECTED);
  EXPECT_EQ(AdviceText(), "");
  EXPECT_FALSE(form->AdviceOkShown());
  EXPECT_FALSE(form->AdviceBadShown());
}

TEST_F(MainWindow, AnEmptyCatalogueShowsNothing) {
  Open();
  EXPECT_EQ(form->RowCount(), 0);
  EXPECT_EQ(form->SelectedIndex(), -1);
  EXPECT_EQ(AdviceText(), "");
  EXPECT_FALSE(form->AdviceOkShown());
  EXPECT_FALSE(form->AdviceBadShown());
}

TEST_F(MainWindow, RowCommandsNeedASelection) {
  AddPrograms({"A"});
  Open();
  ListView_SetItemState(form->ListView(), -1, 0, LVIS_SELECTED);
  const int commands[] = {TfrmMain::CmdUninstall, TfrmMain::CmdDeleteFromList, TfrmMain::CmdProgramDetails,
                          TfrmMain::CmdEditDetails, TfrmMain::IdUninstall, TfrmMain::IdDeleteFromList,
                          TfrmMain::IdProgramDetails};
  for (int id : commands) {
    h.prompts.shown.clear();
    form->RunCommand(id);
    ASSERT_EQ(h.prompts.shown.size(), 1u) << id;
    EXPECT_EQ(h.prompts.shown[0].text, kSelectFirst);
    EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
  }
  // Double click and Enter with no selection do nothing at all.
  h.prompts.shown.clear();
  form->TheListViewDblClick();
  test::PressKey(*form, form->ListView(), VK_RETURN);
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_TRUE(h.modal.titles.empty());
}

TEST_F(MainWindow, RightPressOpensTheMenuOfWhatLiesUnderThePointer) {
  AddPrograms({"A", "B"});
  Open();
  form->SetViewStyle(ViewStyle::Details);
  RECT item;
  ListView_GetItemRect(form->ListView(), 1, &item, LVIR_LABEL);
  ::SendMessageW(form->ListView(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(item.left + 3, item.top + 3));
  ASSERT_EQ(h.menus.shown.size(), 1u);
  EXPECT_EQ(h.menus.shown[0].items, (std::vector<std::string>{"Uninstall", "Delete From List", "-",
                                                               "Program Details...", "Edit Program Details..."}));
  EXPECT_EQ(form->SelectedIndex(), 1);  // the row pressed on is the one the commands act on
  RECT client;
  ::GetClientRect(form->ListView(), &client);
  ::SendMessageW(form->ListView(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.right - 5, client.bottom - 5));
  ASSERT_EQ(h.menus.shown.size(), 2u);
  EXPECT_EQ(h.menus.shown[1].items, (std::vector<std::string>{"New Program..."}));
}

// In the List view the last column of names is cut off at the right edge. A right press on
// a name there selects it where it stands: the list does not scroll, so the menu opens over
// the program it acts on, at the pointer.
TEST_F(MainWindow, ARightPressInTheListViewSelectsWithoutScrolling) {
  for (int i = 1; i <= 60; ++i) {
    const std::string name = "A Program With A Long Name " + std::to_string(100 + i);
    AddEntry(h.fake.registry, RootKey::LocalMachine, name, name, "x");
  }
  Open();
  form->SetViewStyle(ViewStyle::List);
  test::PumpMessages();
  RECT client;
  ::GetClientRect(form->ListView(), &client);
  int cut = -1;
  RECT item{};
  for (int i = 0; i < form->RowCount() && cut < 0; ++i) {
    ListView_GetItemRect(form->ListView(), i, &item, LVIR_BOUNDS);
    if (item.left < client.right - 10 && item.right > client.right) cut = i;
  }
  ASSERT_GE(cut, 0) << "no name is cut off at the right edge";
  const int scrolled = ::GetScrollPos(form->ListView(), SB_HORZ);
  const POINT press{client.right - 5, item.top + 3};
  ::SendMessageW(form->ListView(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(press.x, press.y));
  EXPECT_EQ(form->SelectedIndex(), cut);
  EXPECT_EQ(::GetScrollPos(form->ListView(), SB_HORZ), scrolled);
  ASSERT_EQ(h.menus.shown.size(), 1u);
  POINT screen = press;
  ::ClientToScreen(form->ListView(), &screen);
  EXPECT_EQ(h.menus.shown[0].at.x, screen.x);
  EXPECT_EQ(h.menus.shown[0].at.y, screen.y);
  EXPECT_EQ(::GetFocus(), form->ListView());
}

// The row menu's commands run inside the list's own window procedure: an error they raise is
// shown in the standard error box and goes no further.
TEST_F(MainWindow, AnErrorInARowMenuCommandIsShownAndGoesNoFurther) {
  struct FailingMenus : MenuTracker {
    int Track(HWND, HMENU, POINT) override { throw std::runtime_error("The menu failed."); }
  } failing;
  Services services{h.fake.platform, h.process, h.shell, h.prompts, failing, h.modal, h.printers,
                    h.fileDialogs, h.log, "C:\\Tidewell\\", {}};
  AddPrograms({"A"});
  form = test::OpenMainWindow(services);
  RECT item;
  ListView_GetItemRect(form->ListView(), 0, &item, LVIR_ICON);
  ::SendMessageW(form->ListView(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(item.left + 3, item.top + 3));
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "The menu failed.");
  EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
  // A key the main window handles itself is guarded the same way.
  MSG msg{form->ListView(), WM_KEYDOWN, VK_F1, 0, 0, {}};
  h.shell.throwOnOpen = true;
  EXPECT_TRUE(form->PreTranslateGuarded(msg));
  EXPECT_EQ(h.prompts.shown.size(), 2u);
}

// A scan that fails outright: the rows read before it are listed, the error is shown even in
// an unattended run, and the first selection and the command line are skipped.
TEST_F(MainWindow, AFailedScanListsWhatWasReadAndSkipsTheCommandLine) {
  struct FailingFiles : test::MemoryFileSystem {
    int calls = 0;
    bool Exists(const std::string& pattern) override {
      if (++calls == 2) throw std::runtime_error("The disk went away.");
      return test::MemoryFileSystem::Exists(pattern);
    }
  } files;
  Platform platform{h.fake.registry, files, h.fake.locale, h.fake.timeZone, h.fake.clock, h.fake.ansi};
  Services services{platform,      h.process, h.shell, h.prompts,       h.menus,
                    h.modal,       h.printers, h.fileDialogs, h.log, "C:\\Tidewell\\",
                    ParseStartupRequest({"/QU", "A"})};
  for (const char* name : {"A", "B", "C"}) {
    AddEntry(h.fake.registry, RootKey::LocalMachine, name, name, std::string("C:\\Apps\\") + name + ".exe");
  }
  form = test::OpenMainWindow(services);
  EXPECT_EQ(form->RowCount(), 1);
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "The disk went away.");
  EXPECT_EQ(form->SelectedIndex(), -1);
  EXPECT_FALSE(form->TerminateRequested());
  EXPECT_TRUE(h.process.started.empty());  // /QU did not run
  EXPECT_TRUE(form->CommandLineFailed());   // and the exit status will say so
  EXPECT_FALSE(form->IsUnattendedRun());
}

TEST_F(MainWindow, TabMovesTheFocusThroughTheControls) {
  AddPrograms({"A"});
  Open();
  ::SetFocus(form->ListView());
  std::vector<HWND> visited;
  for (int i = 0; i < 12; ++i) {
    test::PressKey(*form, ::GetFocus(), VK_TAB);
    visited.push_back(::GetFocus());
  }
  auto seen = [&](HWND control) { return std::find(visited.begin(), visited.end(), control) != visited.end(); };
  EXPECT_TRUE(seen(form->FindBox()));
  EXPECT_TRUE(seen(form->HelpButton()));
  EXPECT_TRUE(seen(form->ListView()));  // round again
  // The Help button is reached with the keyboard and pressed with the space bar.
  ::SetFocus(form->HelpButton());
  ::SendMessageW(form->HelpButton(), WM_KEYDOWN, VK_SPACE, 0);
  ::SendMessageW(form->HelpButton(), WM_KEYUP, VK_SPACE, 0xC0000001);
  test::PumpMessages();
  EXPECT_EQ(h.shell.opened, (std::vector<std::string>{"C:\\Tidewell\\TIDEWELL.CHM"}));
}

// Keys a user expects: Delete on a selected row asks to delete it from the list (but edits
// the find box while typing there), F5 refreshes, Ctrl+F goes to the find box.
TEST_F(MainWindow, DeleteF5AndCtrlF) {
  AddPrograms({"Alpha", "Beta"});
  Open();
  form->SelectRow(1);
  ::SetFocus(form->ListView());
  h.modal.scripts.push_back([](ModalForm& dialog) { test::PressKey(static_cast<Window&>(dialog), dialog.Handle(), VK_ESCAPE); });
  test::PressKey(*form, form->ListView(), VK_DELETE);
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Delete From List"}));
  EXPECT_EQ(h.modal.leftOpen, 0);
  EXPECT_EQ(form->RowCount(), 2);  // cancelled: nothing deleted

  // In the find box Delete deletes the character after the caret.
  SetWindowTextUtf8(form->FindBox(), "abc");
  ::SendMessageW(form->FindBox(), EM_SETSEL, 0, 0);
  test::PressKey(*form, form->FindBox(), VK_DELETE);
  EXPECT_EQ(WindowText(form->FindBox()), "bc");
  // With no row selected Delete does nothing, as Enter does.
  ListView_SetItemState(form->ListView(), -1, 0, LVIS_SELECTED);
  test::PressKey(*form, form->ListView(), VK_DELETE);
  EXPECT_EQ(h.modal.titles.size(), 1u);
  EXPECT_TRUE(h.prompts.shown.empty());

  // F5 rescans, wherever the focus is.
  AddPrograms({"Gamma"});
  test::PressKey(*form, form->FindBox(), VK_F5);
  EXPECT_EQ(form->RowCount(), 3);

  // Ctrl+F puts the focus in the find box with its text selected, ready to be typed over; a
  // plain F stays with the list.
  ::SetFocus(form->ListView());
  test::PressKey(*form, form->ListView(), 'F');
  EXPECT_EQ(::GetFocus(), form->ListView());
  test::PressKey(*form, form->ListView(), 'F', true);
  EXPECT_EQ(::GetFocus(), form->FindBox());
  DWORD start = 0, end = 0;
  ::SendMessageW(form->FindBox(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
}

// The Details view marks the column the rows are ordered by, in the direction the user sees:
// from the start the list is in ascending name order, and a refresh puts it back there.
TEST_F(MainWindow, TheSortArrowShowsTheOrderOfTheRows) {
  AddPrograms({"B", "A", "C"});
  Open();
  const auto arrows = [&] {
    std::string out;
    const HWND header = ListView_GetHeader(form->ListView());
    for (int column = 0; column < kListColumnCount; ++column) {
      HDITEMW item{};
      item.mask = HDI_FORMAT;
      Header_GetItem(header, column, &item);
      out += (item.fmt & HDF_SORTUP) ? (item.fmt & HDF_SORTDOWN ? '!' : '^') : (item.fmt & HDF_SORTDOWN ? 'v' : '.');
    }
    return out;
  };
  // Sorted before the Details view shows: the arrow is there when it does.
  form->TheListViewColumnClick(3);
  form->SetViewStyle(ViewStyle::Details);
  EXPECT_EQ(arrows(), "...^......");
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* arrows;
  };
  const Step steps[] = {
      {"refresh", [&] { form->RefreshProgramList(); }, "^........."},
      {"Name, first click", [&] { form->TheListViewColumnClick(0); }, "^........."},
      {"Name, second click", [&] { form->TheListViewColumnClick(0); }, "v........."},
      {"Installed On", [&] { form->TheListViewColumnClick(8); }, "........^."},
      {"Uninstall Command", [&] { form->TheListViewColumnClick(9); }, ".........^"},
      {"Uninstall Command again", [&] { form->TheListViewColumnClick(9); }, ".........v"},
      {"F5", [&] { test::PressKey(*form, form->ListView(), VK_F5); }, "^........."},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(arrows(), step.arrows) << step.what;
  }
  // The Size column stays right-aligned.
  HDITEMW size{};
  size.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(form->ListView()), 3, &size);
  EXPECT_EQ(size.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);
}

TEST_F(MainWindow, OtherOptionsMenuAndViewStyles) {
  AddPrograms({"A"});
  Open();
  form->RunCommand(TfrmMain::IdOtherOptions);
  ASSERT_EQ(h.menus.shown.size(), 1u);
  EXPECT_EQ(h.menus.shown[0].items,
            (std::vector<std::string>{"Edit Program Details...", "New Program...", "-", "Uninstall Log...",
                                      "Restore Deleted Entries...", "Print or Save Audit Report...", "-",
                                      "Show System Components and Updates", "-", "About...", "-", "Exit"}));
  EXPECT_EQ(h.menus.shown[0].checked,
            (std::vector<bool>{false, false, false, false, false, false, false, true, false, false, false, false}));
  h.menus.choices.push_back(TfrmMain::CmdViewDetails);
  form->txtViewStyleClick();
  EXPECT_EQ(h.menus.shown[1].items, (std::vector<std::string>{"Large Icons", "Small Icons", "List", "Details"}));
  EXPECT_EQ(h.menus.shown[1].checked, (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(form->CurrentViewStyle(), ViewStyle::Details);
  EXPECT_EQ(::GetWindowLongW(form->ListView(), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  form->txtViewStyleClick();
  EXPECT_EQ(h.menus.shown[2].checked, (std::vector<bool>{false, false, false, true}));
}

TEST_F(MainWindow, ResizeRules) {
  AddPrograms({"A"});
  Open();
  ::SetWindowPos(form->Handle(), nullptr, 0, 0, 900, 640, SWP_NOMOVE | SWP_NOZORDER);
  RECT outer, list, container;
  ::GetWindowRect(form->Handle(), &outer);
  ::GetWindowRect(form->ListView(), &list);
  ::GetClientRect(::GetParent(form->ListView()), &container);
  EXPECT_EQ(list.right - list.left, container.right - form->Scale(28));
  EXPECT_EQ(list.bottom - list.top, container.bottom - form->Scale(76));
  RECT advice;
  ::GetWindowRect(form->AdviceText(), &advice);
  EXPECT_EQ(advice.right - advice.left, 900 - form->Scale(78));
  RECT client;
  ::GetClientRect(form->Handle(), &client);
  EXPECT_EQ(container.right, client.right);
}

// What the window shows after each change of size or view is what a full repaint draws: no
// rows of the view before (the list scrolls back when all rows fit, a new scroll bar leaves a
// strip of the old view above it), and the links below the list are drawn where they now are.
TEST_F(MainWindow, EveryResizeAndViewChangeDrawsTheWholeWindowAnew) {
  for (int i = 1; i <= 40; ++i) {
    // Long names take two lines under their icons.
    const std::string name = "Corvane Office Suite Proofing " + std::to_string(100 + i);
    AddEntry(h.fake.registry, RootKey::LocalMachine, name, name, "x");
  }
  Open();
  // Back at its size after a maximize, the icons are arranged to the list's width again, with
  // room for its vertical scroll bar: no sideways scrolling.
  ASSERT_EQ(::GetWindowLongW(form->ListView(), GWL_STYLE) & WS_HSCROLL, 0);
  ::ShowWindow(form->Handle(), SW_MAXIMIZE);
  test::PumpMessages();
  ::ShowWindow(form->Handle(), SW_RESTORE);
  test::PumpMessages();
  EXPECT_EQ(::GetWindowLongW(form->ListView(), GWL_STYLE) & WS_HSCROLL, 0);

  struct Step {
    const char* name;
    std::function<void(HWND)> change;
  };
  const Step steps[] = {
      {"list view", [&](HWND) { form->SetViewStyle(ViewStyle::List); }},
      {"details view, scrolled down", [&](HWND) {
         form->SetViewStyle(ViewStyle::Details);
         form->SelectRow(39);
       }},
      {"maximize", [](HWND w) { ::ShowWindow(w, SW_MAXIMIZE); }},
      {"restore", [](HWND w) { ::ShowWindow(w, SW_RESTORE); }},
      {"larger", [](HWND w) { ::SetWindowPos(w, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER); }},
      {"smaller", [](HWND w) { ::SetWindowPos(w, nullptr, 0, 0, 700, 480, SWP_NOMOVE | SWP_NOZORDER); }},
      {"maximize in icons", [&](HWND w) {
         ::ShowWindow(w, SW_RESTORE);
         form->SetViewStyle(ViewStyle::LargeIcons);
         form->SelectRow(39);
         test::PumpMessages();
         ::ShowWindow(w, SW_MAXIMIZE);
       }},
  };
  for (const Step& step : steps) {
    step.change(form->Handle());
    test::PumpMessages();
    const test::Screenshot shown = test::Capture(form->Handle());
    ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const test::Screenshot repainted = test::Capture(form->Handle());
    EXPECT_EQ(shown.Differences(repainted, RECT{0, 0, shown.width, shown.height}), 0) << step.name;
    for (HWND link : {form->ViewStyleLink(), form->RefreshLink()}) {
      EXPECT_GT(shown.Count(test::RectIn(form->Handle(), link), kLinkColor), 0) << step.name;
    }
  }
}

TEST_F(MainWindow, HelpOpensTheHelpFileBesideTheProgram) {
  Open();
  // The Help button's hint.
  ASSERT_NE(form->Tooltip(), nullptr);
  wchar_t hint[64] = L"";
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = ::GetParent(form->HelpButton());
  tool.uId = reinterpret_cast<UINT_PTR>(form->HelpButton());
  tool.lpszText = hint;
  ::SendMessageW(form->Tooltip(), TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(hint, L"Help");
  form->RunCommand(TfrmMain::IdHelp);
  test::PressKey(*form, form->ListView(), VK_F1);
  EXPECT_EQ(h.shell.opened, (std::vector<std::string>{"C:\\Tidewell\\TIDEWELL.CHM", "C:\\Tidewell\\TIDEWELL.CHM"}));
}

TEST_F(MainWindow, AnUnreadableEntryIsListedAndReportedOnce) {
  AddPrograms({"A", "C"});
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\B", "DisplayName", RegValue::Number(1));
  SetValue(h.fake.registry, RootKey::LocalMachine, std::string(kUninstallKey) + "\\B", "UninstallString", RegValue::Number(2));
  Open();
  EXPECT_EQ(form->RowCount(), 3);
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "Invalid data type for 'DisplayName'");
  EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
}

TEST_F(MainWindow, IconsAreMadeWhenRowsAreDrawn) {
  AddNumberedPrograms(300);
  Open();
  EXPECT_EQ(form->Icons().RowCount(), 300);
  ::UpdateWindow(form->ListView());
  EXPECT_GT(form->Icons().ResolvedRows(), 0);
  EXPECT_LT(form->Icons().ResolvedRows(), 300);  // only the rows on screen
}

TEST_F(MainWindow, TellsHowManyRowsInViewStillWaitForTheirIcons) {
  AddNumberedPrograms(300);
  Open();
  const UINT asked = ::RegisterWindowMessageW(kRowsWaitingForIconsMessage);
  for (ViewStyle style : {ViewStyle::Details, ViewStyle::LargeIcons, ViewStyle::List, ViewStyle::SmallIcons}) {
    form->SetViewStyle(style);
    // After a refresh every row waits for its icons, but only the rows in view count, until
    // the list draws them.
    form->RefreshProgramList();
    const int waiting = form->RowsInViewWaitingForIcons();
    EXPECT_GT(waiting, 0) << static_cast<int>(style);
    EXPECT_LT(waiting, 150) << static_cast<int>(style);
    EXPECT_EQ(::SendMessageW(form->Handle(), asked, 0, 0), waiting) << static_cast<int>(style);
    ::UpdateWindow(form->ListView());
    EXPECT_EQ(form->RowsInViewWaitingForIcons(), 0) << static_cast<int>(style);
  }
}

TEST_F(MainWindow, AboutBoxLinksEscAndFrame) {
  Open();
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& about = static_cast<TAboutBox&>(dialog);
    EXPECT_EQ(WindowText(about.Caption()), "About");
    RECT rc;
    ::GetClientRect(about.Handle(), &rc);
    EXPECT_EQ(rc.right, about.Scale(428));
    EXPECT_EQ(rc.bottom, about.Scale(384));
    test::Click(::GetDlgItem(about.ContentPanel(), TAboutBox::IdLabel6));
    test::Click(::GetDlgItem(about.ContentPanel(), TAboutBox::IdLabel8));
    EXPECT_TRUE(about.Running());
    // The band drags the dialog; the content panel and the close box answer for themselves.
    POINT band{about.Scale(200), about.Scale(10)};
    ::ClientToScreen(about.Handle(), &band);
    EXPECT_EQ(::SendMessageW(about.Handle(), WM_NCHITTEST, 0, MAKELPARAM(band.x, band.y)), HTCAPTION);
    POINT content{about.Scale(200), about.Scale(200)};
    ::ClientToScreen(about.Handle(), &content);
    EXPECT_EQ(::WindowFromPoint(content) == about.Handle(), false);
    test::PressKey(about, about.ContentPanel(), VK_RETURN);
    EXPECT_TRUE(about.Running());  // Enter does nothing here
    test::PressKey(about, about.ContentPanel(), VK_ESCAPE);
    EXPECT_FALSE(about.Running());
  });
  form->RunCommand(TfrmMain::CmdAbout);
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"About"}));
  EXPECT_EQ(h.modal.leftOpen, 0);
  EXPECT_EQ(h.shell.opened, (std::vector<std::string>{"C:\\Tidewell\\LICENSE.TXT", "C:\\Tidewell\\PRODUCT.URL"}));
}

TEST_F(MainWindow, TheCloseImageClosesADialog) {
  Open();
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& about = static_cast<TAboutBox&>(dialog);
    test::Click(about.CloseImage());
    EXPECT_FALSE(about.Running());
    EXPECT_EQ(about.ModalResult(), kModalCancel);
  });
  form->RunCommand(TfrmMain::CmdAbout);
  EXPECT_EQ(h.modal.leftOpen, 0);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(MainWindowDpi, ADpiChangeLaysTheWindowOutAgainAtTheNewScale) {
  test::FormHarness h;
  test::AddEntry(h.fake.registry, RootKey::LocalMachine, "A", "A", "x");
  auto form = test::OpenMainWindow(h.services);
  const UINT before = form->Dpi();
  RECT outer;
  ::GetWindowRect(form->Handle(), &outer);
  const UINT after = before * 3 / 2;
  RECT suggested{0, 0, (outer.right - outer.left) * 3 / 2, (outer.bottom - outer.top) * 3 / 2};
  ::SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(after, after), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form->Dpi(), after);
  // The picture buttons, the list's place and the columns follow the new scale.
  RECT list;
  ::GetWindowRect(form->ListView(), &list);
  POINT topLeft{list.left, list.top};
  ::ScreenToClient(::GetParent(form->ListView()), &topLeft);
  EXPECT_EQ(topLeft.x, MulDiv(14, static_cast<int>(after), 96));
  EXPECT_EQ(topLeft.y, MulDiv(50, static_cast<int>(after), 96));
  EXPECT_EQ(form->ColumnWidth(0), MulDiv(150, static_cast<int>(after), 96));
  EXPECT_EQ(form->ColumnWidth(9), MulDiv(300, static_cast<int>(after), 96));
  RECT advice;
  ::GetWindowRect(form->AdviceText(), &advice);
  const ControlLayout& adviceAt = LayoutEntry(TfrmMain::LayoutTable(), TfrmMain::IdAdvice);
  EXPECT_EQ(advice.bottom - advice.top, MulDiv(adviceAt.height, static_cast<int>(after), 96));
  RECT window;
  ::GetWindowRect(form->Handle(), &window);
  EXPECT_EQ(window.right - window.left, suggested.right - suggested.left);
  // The advice text is still drawn in a live font.
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(form->AdviceText(), WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  ASSERT_NE(::GetObjectW(font, sizeof lf, &lf), 0);
  EXPECT_EQ(lf.lfHeight, -MulDiv(adviceAt.fontPixels, static_cast<int>(after), 96));
  // The list's pictures are made again at the new size, rows' icons as they are drawn.
  int cx = 0, cy = 0;
  ::ImageList_GetIconSize(ListView_GetImageList(form->ListView(), LVSIL_NORMAL), &cx, &cy);
  EXPECT_EQ(cx, MulDiv(32, static_cast<int>(after), 96));
  ::ImageList_GetIconSize(ListView_GetImageList(form->ListView(), LVSIL_SMALL), &cx, &cy);
  EXPECT_EQ(cx, MulDiv(16, static_cast<int>(after), 96));
  ::ImageList_GetIconSize(ListView_GetImageList(form->ListView(), LVSIL_STATE), &cx, &cy);
  EXPECT_EQ(cx, MulDiv(16, static_cast<int>(after), 96));
  EXPECT_EQ(form->Icons().ResolvedRows(), 0);
  ::InvalidateRect(form->ListView(), nullptr, TRUE);
  ::UpdateWindow(form->ListView());
  EXPECT_EQ(form->Icons().ResolvedRows(), 1);
  EXPECT_EQ(::ImageList_GetImageCount(form->Icons().LargeList()), 1);
}

}  // namespace
}  // namespace tw
