// The value editor on the real dialog and grid, and the main window's write-back.

#include <gtest/gtest.h>

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <set>

#include "FormTestSupport.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormEditProgram.h"
#include "forms/FormMain.h"
#include "support/Catalogue.h"
#include "support/RegistryLinks.h"
#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;
using test::kUninstallKey;
using test::SetValue;

const std::string kKey = std::string(kUninstallKey) + "\\App";

// A registry that lists some values it cannot read, as values that went away after the
// names were listed.
class UnreadableValues : public Registry {
 public:
  UnreadableValues(MemoryRegistry& inner, std::set<std::string> hidden) : inner_(inner), hidden_(std::move(hidden)) {}
  std::unique_ptr<RegistryStore> NewStore() override { return std::make_unique<Store>(inner_, hidden_); }

 private:
  class Store : public MemoryRegistryStore {
   public:
    Store(MemoryRegistry& registry, const std::set<std::string>& hidden) : MemoryRegistryStore(registry), hidden_(hidden) {}
    std::optional<RegValue> QueryValue(const std::string& name) override {
      if (hidden_.count(name) != 0) return std::nullopt;
      return MemoryRegistryStore::QueryValue(name);
    }

   private:
    const std::set<std::string>& hidden_;
  };

  MemoryRegistry& inner_;
  std::set<std::string> hidden_;
};

class EditProgram : public ::testing::Test {
 protected:
  void SetUp() override { AddEntry(h.fake.registry, RootKey::LocalMachine, "App", "My App", "C:\\App\\unins.exe"); }

  void Set(const std::string& name, const RegValue& value) {
    SetValue(h.fake.registry, RootKey::LocalMachine, kKey, name, value);
  }
  std::optional<RegValue> Get(const std::string& name, const std::string& key = kKey) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    if (!store->OpenPath(key, false)) return std::nullopt;
    return store->QueryValue(name);
  }
  std::vector<std::string> Names(const std::string& key = kKey) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    if (!store->OpenPath(key, false)) return {};
    return store->ListValues();
  }
  void RemoveKey(const std::string& key) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->RemoveKey(key);
  }

  TfrmMain& Open() {
    form = test::OpenMainWindow(h.services);
    return *form;
  }

  // Runs the edit command on the selected row with a script for the dialog.
  void Edit(const std::function<void(TEditProgramBox&)>& script) {
    h.modal.scripts.push_back([script](ModalForm& dialog) { script(static_cast<TEditProgramBox&>(dialog)); });
    form->RunCommand(TfrmMain::CmdEditDetails);
    EXPECT_EQ(h.modal.leftOpen, 0);
  }

  static std::vector<std::pair<std::string, std::string>> GridRows(TEditProgramBox& box) {
    std::vector<std::pair<std::string, std::string>> rows;
    ValueGrid& grid = box.gridAllInfo();
    for (int r = 0; r < grid.RowCount(); ++r) rows.emplace_back(grid.Cell(0, r), grid.Cell(1, r));
    return rows;
  }

  // Types into a cell the way the user does: the cell becomes current and the editor gets
  // the text.
  static void Type(TEditProgramBox& box, int column, int row, const std::string& text) {
    ValueGrid& grid = box.gridAllInfo();
    grid.SetCurrent(column, row);
    ::SendMessageW(grid.Editor(), EM_SETSEL, 0, -1);
    ::SendMessageW(grid.Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(EditProgram, ShowsEveryValueWithTheKeyAndEscWritesNothing) {
  Set("EstimatedSize", RegValue::Number(2048));
  Open();
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Later", "Later", "x");  // would show after a rescan
  Edit([&](TEditProgramBox& box) {
    EXPECT_EQ(WindowText(box.Caption()), "Edit Program Details");
    EXPECT_EQ(WindowText(box.KeyEdit()), "HKEY_LOCAL_MACHINE\\" + kKey);
    EXPECT_TRUE(::GetWindowLongW(box.KeyEdit(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(GridRows(box), (std::vector<std::pair<std::string, std::string>>{{"Registry Key", "Registry Value"},
                                                                              {"DisplayName", "My App"},
                                                                              {"UninstallString", "C:\\App\\unins.exe"},
                                                                              {"EstimatedSize", "2048"}}));
    ValueGrid& grid = box.gridAllInfo();
    EXPECT_EQ(grid.ColumnWidth(0), box.Scale(120));
    const ControlLayout& place = LayoutEntry(TEditProgramBox::LayoutTable(), TEditProgramBox::IdGrid);
    EXPECT_EQ(grid.ColumnWidth(1), box.Scale(place.width) - box.Scale(120) - box.Scale(30));
    EXPECT_FALSE(::GetWindowLongW(grid.Handle(), GWL_STYLE) & WS_VSCROLL);  // all rows fit
    RECT client;
    ::GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, box.Scale(472));
    EXPECT_EQ(client.bottom, box.Scale(414));
    Type(box, 1, 3, "99");
    test::PressKey(box, grid.Editor(), VK_ESCAPE);
    EXPECT_FALSE(box.Running());
    EXPECT_EQ(box.ModalResult(), kModalCancel);
  });
  EXPECT_EQ(Get("EstimatedSize"), RegValue::Number(2048));
  EXPECT_EQ(form->RowCount(), 1);  // no rescan
  EXPECT_TRUE(h.prompts.shown.empty());
}

// The key path is longer than its box: the box shows its end, the entry's own key name, and
// still holds the whole path to select and copy.
TEST_F(EditProgram, TheKeyBoxShowsTheEndOfALongPath) {
  const std::string entry = "{3B5D7F91-2C4E-4A6B-8D0F-1E3A5C7B9D22}_is1";
  AddEntry(h.fake.registry, RootKey::LocalMachine, entry, "Long Key", "x");
  const std::string path = "HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\\" + entry;
  Open();
  form->SelectRow(test::RowWithCaption(*form, "Long Key"));
  Edit([&](TEditProgramBox& box) {
    const HWND key = box.KeyEdit();
    ::RedrawWindow(box.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(WindowText(key), path);
    EXPECT_TRUE(::GetWindowLongW(key, GWL_STYLE) & ES_READONLY);
    RECT client;
    ::GetClientRect(key, &client);
    const int length = ::GetWindowTextLengthW(key);
    // The start is scrolled out of sight; the last character is in sight, whole.
    EXPECT_GT(::SendMessageW(key, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    const LRESULT last = ::SendMessageW(key, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1), 0);
    const int lastX = static_cast<short>(LOWORD(last));
    EXPECT_GE(lastX, 0);
    EXPECT_LE(lastX + box.Scale(4), client.right);
    test::PressKey(box, key, VK_ESCAPE);
  });
}

TEST_F(EditProgram, AddKeyThenOkWritesTheNewValueAndRescans) {
  Open();
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Later", "Later", "x");
  Edit([&](TEditProgramBox& box) {
    test::Click(::GetDlgItem(box.ContentPanel(), TEditProgramBox::IdAddKey));
    ASSERT_EQ(box.gridAllInfo().RowCount(), 4);
    EXPECT_EQ(GridRows(box).back(), (std::pair<std::string, std::string>{"", ""}));
    Type(box, 0, 3, "Publisher");
    Type(box, 1, 3, "Maker Ltd");
    test::Click(::GetDlgItem(box.ContentPanel(), TEditProgramBox::IdOK));
    EXPECT_EQ(box.ModalResult(), kModalOk);
  });
  EXPECT_EQ(Get("Publisher"), RegValue::Text("Maker Ltd"));
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("My App"));
  EXPECT_EQ(form->RowCount(), 2);  // rescanned
  EXPECT_TRUE(h.prompts.shown.empty());
}

TEST_F(EditProgram, DeleteKeyOnTheDisplayNameLeavesAnEmptyNameListedAsNoName) {
  Open();
  Edit([&](TEditProgramBox& box) {
    box.gridAllInfo().SetCurrent(1, 1);
    test::Click(::GetDlgItem(box.ContentPanel(), TEditProgramBox::IdDeleteKey));
    EXPECT_EQ(GridRows(box)[1], (std::pair<std::string, std::string>{"", ""}));
    EXPECT_EQ(box.gridAllInfo().RowCount(), 3);  // the row stays
    box.cmdOKClick();
  });
  EXPECT_EQ(Get("DisplayName"), RegValue::Text(""));
  ASSERT_EQ(form->RowCount(), 1);
  EXPECT_EQ(form->RowAt(0).caption, "<no name>");
}

TEST_F(EditProgram, EnterWhileACellIsEditedConfirmsAndWritesWhatWasTyped) {
  Open();
  Edit([&](TEditProgramBox& box) {
    ValueGrid& grid = box.gridAllInfo();
    grid.SetCurrent(1, 1);
    ::SetFocus(grid.Editor());
    ::SendMessageW(grid.Editor(), EM_SETSEL, 0, -1);
    for (char c : std::string("NEW NAME")) ::SendMessageW(grid.Editor(), WM_CHAR, static_cast<WPARAM>(c), 0);
    test::PressKey(box, grid.Editor(), VK_RETURN);
    EXPECT_FALSE(box.Running());
    EXPECT_EQ(box.ModalResult(), kModalOk);
  });
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("NEW NAME"));
  EXPECT_EQ(form->RowAt(0).caption, "NEW NAME");
}

TEST_F(EditProgram, EditingOneRowKeepsEveryOtherValueByteForByte) {
  const std::vector<std::pair<std::string, RegValue>> kept = {
      {"DisplayName", RegValue::Text("My App")},
      {"UninstallString", RegValue::Text("C:\\App\\unins.exe")},
      {"EstimatedSize", RegValue::Number(2048)},
      {"SystemComponent", RegValue::Number(0)},
      {"NoModify", RegValue::Number(1)},
      {"VersionMajor", RegValue::Number(0xFFFFFFFFu)},
      {"DisplayIcon", RegValue::Text("%ProgramFiles%\\App\\app.exe,0", RegType::ExpandString)},
      {"Blob", RegValue{RegType::Binary, {0, 1, 2, 0xFE, 0xFF}}},
      {"EmptyBlob", RegValue{RegType::Binary, {}}},
      {"Multi", RegValue{RegType::MultiString, {'o', 0, 'n', 0, 'e', 0, 0, 0, 't', 0, 'w', 0, 'o', 0, 0, 0, 0, 0}}},
      {"Big", RegValue{RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {"Odd", RegValue{RegType::Dword, {1, 2}}},
      {"Huge", RegValue{RegType::MultiString, std::vector<std::uint8_t>(5000, 'a')}},
      {"HugeOther", RegValue{RegType::None, std::vector<std::uint8_t>(5000, 'a')}},
  };
  for (const auto& [name, value] : kept) Set(name, value);
  Set("Comments", RegValue::Text("old"));
  Open();
  Edit([&](TEditProgramBox& box) {
    const auto rows = GridRows(box);
    int comments = -1;
    for (int r = 1; r < static_cast<int>(rows.size()); ++r) {
      if (rows[static_cast<std::size_t>(r)].first == "Comments") comments = r;
      if (rows[static_cast<std::size_t>(r)].first == "Blob" || rows[static_cast<std::size_t>(r)].first == "Odd" ||
          rows[static_cast<std::size_t>(r)].first == "HugeOther") {
        EXPECT_EQ(rows[static_cast<std::size_t>(r)].second, "(cannot display information)");
      }
      // A multi-string is text, shown whole however long it is.
      if (rows[static_cast<std::size_t>(r)].first == "Huge") {
        std::string expected;
        for (int i = 0; i < 2500; ++i) expected += "\xE6\x85\xA1";  // U+6161, two 'a' bytes each
        EXPECT_EQ(rows[static_cast<std::size_t>(r)].second, expected);
      }
      if (rows[static_cast<std::size_t>(r)].first == "VersionMajor") {
        EXPECT_EQ(rows[static_cast<std::size_t>(r)].second, "-1");
      }
    }
    ASSERT_GT(comments, 0);
    Type(box, 1, comments, "new comment");
    box.cmdOKClick();
  });
  for (const auto& [name, value] : kept) EXPECT_EQ(Get(name), value) << name;
  EXPECT_EQ(Get("Comments"), RegValue::Text("new comment"));
  EXPECT_EQ(Names().size(), kept.size() + 1);
}

// A 64-bit number whose new text is no number is refused at OK, with the dialog still open to
// mend it; mended, it is written back as a 64-bit number.
TEST_F(EditProgram, AChangedSixtyFourBitNumberIsCheckedAtOk) {
  Set("Stamp", test::QwordValue(6442450944u));
  Open();
  Edit([&](TEditProgramBox& box) {
    const auto rows = GridRows(box);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3], (std::pair<std::string, std::string>{"Stamp", "6442450944"}));
    Type(box, 1, 1, "Renamed App");
    Type(box, 1, 3, "soon");
    test::Click(::GetDlgItem(box.ContentPanel(), TEditProgramBox::IdOK));
    ASSERT_TRUE(box.Running());
    ASSERT_EQ(h.prompts.shown.size(), 1u);
    EXPECT_EQ(h.prompts.shown[0].text,
              "The value \"Stamp\" holds a 64-bit number, and \"soon\" is not one. Type a whole number from "
              "-9223372036854775808 to 18446744073709551615. Nothing has been written.");
    EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(Get("DisplayName"), RegValue::Text("My App"));  // nothing written
    Type(box, 1, 3, "-1");
    test::Click(::GetDlgItem(box.ContentPanel(), TEditProgramBox::IdOK));
    EXPECT_FALSE(box.Running());
  });
  EXPECT_EQ(Get("DisplayName"), RegValue::Text("Renamed App"));
  EXPECT_EQ(Get("Stamp"), test::QwordValue(0xFFFFFFFFFFFFFFFFu));
  EXPECT_EQ(h.prompts.shown.size(), 1u);
}

// The default (unnamed) value is a value like the others: it shows as "(Default)", an OK
// with nothing changed keeps it byte for byte whatever its type, and its row is blanked,
// renamed or retyped like any other. A value really named "(Default)" keeps its name.
TEST_F(EditProgram, TheDefaultValueComesThroughAnEditLikeAnyOther) {
  const RegValue text = RegValue::Text("default text");
  const RegValue blob{RegType::Binary, {1, 2, 0, 0xFF}};
  struct Case {
    const char* label;
    RegValue stored;
    std::function<void(TEditProgramBox&)> change;  // the default value stands in row 3
    std::optional<RegValue> defaultAfter;
    std::vector<std::string> namesAfter;
  };
  const Case cases[] = {
      {"string, unchanged", text, nullptr, text, {"DisplayName", "UninstallString", ""}},
      {"binary, unchanged", blob, nullptr, blob, {"DisplayName", "UninstallString", ""}},
      {"DELETE KEY removes it", blob,
       [](TEditProgramBox& box) {
         box.gridAllInfo().SetCurrent(0, 3);
         box.Image4Click();
       },
       std::nullopt, {"DisplayName", "UninstallString"}},
      {"renamed, it keeps its data under the new name", blob, [](TEditProgramBox& box) { Type(box, 0, 3, "Former"); },
       std::nullopt, {"DisplayName", "UninstallString", "Former"}},
      {"a new text makes it a string", blob, [](TEditProgramBox& box) { Type(box, 1, 3, "typed"); },
       RegValue::Text("typed"), {"DisplayName", "UninstallString", ""}},
      {"an added row named (Default) writes it", blob,
       [](TEditProgramBox& box) {
         box.gridAllInfo().SetCurrent(0, 3);
         box.Image4Click();
         box.Image3Click();
         Type(box, 0, 4, "(Default)");
         Type(box, 1, 4, "added");
       },
       RegValue::Text("added"), {"DisplayName", "UninstallString", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    RemoveKey(kKey);
    AddEntry(h.fake.registry, RootKey::LocalMachine, "App", "My App", "C:\\App\\unins.exe");
    Set("", c.stored);
    Open();
    Edit([&](TEditProgramBox& box) {
      const std::string shown = c.stored == text ? "default text" : "(cannot display information)";
      EXPECT_EQ(GridRows(box)[3], (std::pair<std::string, std::string>{"(Default)", shown}));
      if (c.change) c.change(box);
      box.cmdOKClick();
    });
    EXPECT_EQ(Get(""), c.defaultAfter);
    EXPECT_EQ(Names(), c.namesAfter);
    if (c.namesAfter.back() == "Former") {
      EXPECT_EQ(Get("Former"), blob);
    }
  }

  Set("(Default)", RegValue::Text("named"));
  Open();
  Edit([&](TEditProgramBox& box) {
    EXPECT_EQ(GridRows(box).back(), (std::pair<std::string, std::string>{"(Default)", "named"}));
    box.cmdOKClick();
  });
  EXPECT_EQ(Get("(Default)"), RegValue::Text("named"));
  EXPECT_EQ(Get(""), RegValue::Text("added"));
}

TEST_F(EditProgram, AValueThatCouldNotBeReadIsNeverWrittenAsThePlaceholder) {
  const RegValue blob{RegType::Binary, {9, 8, 7}};
  Set("Unread", blob);
  Set("Retyped", blob);
  Set("Renamed", blob);
  UnreadableValues registry(h.fake.registry, {"Unread", "Retyped", "Renamed"});
  Platform platform{registry, h.fake.files, h.fake.locale, h.fake.timeZone, h.fake.clock, h.fake.ansi};
  Services services{platform, h.process, h.shell, h.prompts, h.menus, h.modal, h.printers,
                    h.fileDialogs, h.log, "C:\\Tidewell\\", {}, test::kTestBackupFolder};
  form = test::OpenMainWindow(services);
  Edit([&](TEditProgramBox& box) {
    EXPECT_EQ(GridRows(box), (std::vector<std::pair<std::string, std::string>>{
                                 {"Registry Key", "Registry Value"},
                                 {"DisplayName", "My App"},
                                 {"UninstallString", "C:\\App\\unins.exe"},
                                 {"Unread", "(cannot display information)"},
                                 {"Retyped", "(cannot display information)"},
                                 {"Renamed", "(cannot display information)"}}));
    Type(box, 1, 4, "typed text");
    Type(box, 0, 5, "NewName");
    // An added row is the user's own, whatever its text.
    box.Image3Click();
    Type(box, 0, 6, "Added");
    Type(box, 1, 6, "(cannot display information)");
    box.cmdOKClick();
  });
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_EQ(Get("Unread"), blob);  // not written: the edit could not see it
  EXPECT_EQ(Get("Retyped"), RegValue::Text("typed text"));
  EXPECT_EQ(Get("Renamed"), blob);
  EXPECT_FALSE(Get("NewName").has_value());
  EXPECT_EQ(Get("Added"), RegValue::Text("(cannot display information)"));
}

TEST_F(EditProgram, AKeyThatVanishedWhileTheDialogWasOpenIsReportedAndNotRecreated) {
  Open();
  Edit([&](TEditProgramBox& box) {
    RemoveKey(kKey);
    Type(box, 1, 1, "Renamed");
    box.cmdOKClick();
  });
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "Unable to modify the entry.");
  EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
  EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(Names().empty());
  EXPECT_FALSE(Get("DisplayName").has_value());
  EXPECT_EQ(form->RowCount(), 0);  // rescanned all the same
}

TEST_F(EditProgram, AKeyGoneBeforeTheDialogGivesAnEmptyGrid) {
  Open();
  RemoveKey(kKey);
  Edit([&](TEditProgramBox& box) {
    EXPECT_EQ(GridRows(box), (std::vector<std::pair<std::string, std::string>>{{"", ""}, {"", ""}}));
    EXPECT_TRUE(h.prompts.shown.empty());
    box.cmdOKClick();
  });
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "Unable to modify the entry.");
}

TEST_F(EditProgram, TheGridMovesByKeysScrollsAndItsColumnsResize) {
  for (int i = 0; i < 30; ++i) Set("Value" + std::to_string(i + 10), RegValue::Text("text " + std::to_string(i)));
  // Wider than the name column, narrower than the value column.
  Set("UninstallString", RegValue::Text("C:\\Program Files\\App\\unins000.exe"));
  Open();
  Edit([&](TEditProgramBox& box) {
    ValueGrid& grid = box.gridAllInfo();
    ASSERT_EQ(grid.RowCount(), 33);
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_EQ(WindowText(grid.Editor()), "DisplayName");
    test::PressKey(box, grid.Editor(), VK_DOWN);
    EXPECT_EQ(grid.CurrentRow(), 2);
    EXPECT_EQ(WindowText(grid.Editor()), "UninstallString");
    // Right at the end of the text steps to the value column.
    ::SendMessageW(grid.Editor(), EM_SETSEL, 15, 15);
    test::PressKey(box, grid.Editor(), VK_RIGHT);
    EXPECT_EQ(grid.CurrentColumn(), 1);
    EXPECT_EQ(WindowText(grid.Editor()), "C:\\Program Files\\App\\unins000.exe");
    // The editor, widened to the value column, shows the text from its start.
    EXPECT_EQ(static_cast<short>(LOWORD(::SendMessageW(grid.Editor(), EM_POSFROMCHAR, 0, 0))), box.Scale(2));
    // Paging down past the visible rows scrolls the grid and keeps the editor on its cell.
    test::PressKey(box, grid.Editor(), VK_NEXT);
    test::PressKey(box, grid.Editor(), VK_NEXT);
    EXPECT_GT(grid.TopRow(), 1);
    RECT editor, cell = grid.CellRect(1, grid.CurrentRow());
    ::GetWindowRect(grid.Editor(), &editor);
    ::MapWindowPoints(nullptr, grid.Handle(), reinterpret_cast<POINT*>(&editor), 2);
    EXPECT_EQ(editor.left, cell.left);
    EXPECT_GE(editor.top, cell.top);
    EXPECT_LE(editor.bottom, cell.bottom);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ::GetScrollInfo(grid.Handle(), SB_VERT, &info);
    EXPECT_EQ(info.nPos, grid.TopRow() - 1);
    ::SendMessageW(grid.Handle(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid.TopRow(), 1);

    // Dragging the divider after the first header cell widens the first column.
    const int before = grid.ColumnWidth(0);
    const int edge = grid.CellRect(0, 0).right;
    const int y = grid.CellRect(0, 0).top + 5;
    ::SendMessageW(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge, y));
    ::SendMessageW(grid.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge + 40, y));
    ::SendMessageW(grid.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(edge + 40, y));
    EXPECT_EQ(grid.ColumnWidth(0), before + 40);
    EXPECT_EQ(grid.CellRect(1, 1).left, before + 40 + 1);
    // Columns wider than the grid are cut at its edge: the only scroll bar is the vertical one.
    const LONG style = ::GetWindowLongW(grid.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & WS_HSCROLL);
    // A click in a cell makes it current.
    const RECT target = grid.CellRect(0, 3);
    ::SendMessageW(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(target.left + 5, target.top + 5));
    ::SendMessageW(grid.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(target.left + 5, target.top + 5));
    EXPECT_EQ(grid.CurrentRow(), 3);
    EXPECT_EQ(grid.CurrentColumn(), 0);
    box.cmdCancelClick();
  });
}

// A catalogue key whose name holds an unpaired surrogate, as the registry allows, on Wine's
// real registry: it is listed under its exact name, its values come through an edit, and it
// is deleted like any other. On screen and in the ANSI log the surrogate is a replacement
// character.
TEST_F(EditProgram, AnEntryNamedWithAnUnpairedSurrogateIsListedEditedAndDeleted) {
  test::RealRegistryHarness r;
  const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
  const std::wstring path = Widen(kUninstallKey) + L"\\Tidewell" + wchar_t(0xD800) + L"Lone-" + pid;
  const std::string caption = "Lone \xED\xB0\x80 Entry " + Narrow(pid);  // with U+DC00
  const std::wstring noteName = std::wstring(L"Note") + wchar_t(0xDBFF);
  const std::vector<BYTE> note = {'a', 0, 0x00, 0xDC, 0, 0};  // "a" and U+DC00
  struct RemovedAtEnd {
    const std::wstring& path;
    ~RemovedAtEnd() { ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str()); }
  } removedAtEnd{path};
  {
    UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                nullptr),
              ERROR_SUCCESS);
    const std::wstring display = L"Lone " + std::wstring(1, wchar_t(0xDC00)) + L" Entry " + pid;
    ::RegSetValueExW(key.get(), L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(display.c_str()),
                     static_cast<DWORD>((display.size() + 1) * sizeof(wchar_t)));
    ::RegSetValueExW(key.get(), L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"un.exe"), 14);
    ::RegSetValueExW(key.get(), noteName.c_str(), 0, REG_SZ, note.data(), static_cast<DWORD>(note.size()));
  }
  const std::vector<std::string> before = test::RegistryTree(HKEY_CURRENT_USER, path);

  // Listed under the name the registry gave, which opens the key again.
  form = test::OpenMainWindow(r.services);
  const int row = test::RowWithCaption(*form, caption);
  ASSERT_GE(row, 0) << "the entry is not listed";
  EXPECT_EQ(form->RowAt(row).KeyPath(),
            "HKEY_CURRENT_USER\\" + std::string(kUninstallKey) + "\\Tidewell\xED\xA0\x80Lone-" + Narrow(pid));
  form->SelectRow(row);

  // Edited: an added row joins the values, which all come back as they were.
  r.fakes.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TEditProgramBox&>(dialog);
    const auto rows = GridRows(box);
    EXPECT_NE(std::find(rows.begin(), rows.end(), std::pair<std::string, std::string>{"Note\xED\xAF\xBF", "a\xED\xB0\x80"}),
              rows.end());
    box.Image3Click();
    box.gridAllInfo().SetCell(0, 4, "Added\xED\xA0\x80");
    box.gridAllInfo().SetCell(1, 4, "b\xED\xBF\xBF");
    box.cmdOKClick();
  });
  form->RunCommand(TfrmMain::CmdEditDetails);
  std::vector<std::string> after = before;
  after.push_back(".|Added\\ud800|1|6200ffdf0000");
  std::sort(after.begin(), after.end());
  EXPECT_EQ(test::RegistryTree(HKEY_CURRENT_USER, path), after);

  // Deleted from the list, and logged with a replacement character for the surrogate.
  const int edited = test::RowWithCaption(*form, caption);
  ASSERT_GE(edited, 0);
  form->SelectRow(edited);
  r.fakes.modal.scripts.push_back(
      [](ModalForm& dialog) { test::Click(static_cast<TDeleteKeyBox&>(dialog).Control(TDeleteKeyBox::IdDelete)); });
  form->RunCommand(TfrmMain::CmdDeleteFromList);
  EXPECT_FALSE(test::KeyItselfExists(HKEY_CURRENT_USER, path));
  EXPECT_EQ(test::RowWithCaption(*form, caption), -1);
  const std::string log = r.fakes.fake.files.Contents("C:\\Tidewell\\ULOG.TXT");
  EXPECT_TRUE(log.ends_with("\r\nDeleting entry Lone ? Entry " + Narrow(pid) + "\r\nDeleted OK.\r\n")) << log;
  Win32AnsiCodec ansi;
  EXPECT_EQ(ansi.ToAnsi(caption), "Lone ? Entry " + Narrow(pid));
  EXPECT_TRUE(r.fakes.prompts.shown.empty());
}

}  // namespace
}  // namespace tw
