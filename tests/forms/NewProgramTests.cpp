// The new-entry dialog and the main window's proposal, overwrite question, write and rescan.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "FormTestSupport.h"
#include "forms/FormMain.h"
#include "forms/FormNewProgram.h"
#include "support/Catalogue.h"
#include "util/AppStrings.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;
using test::kUninstallKey;
using test::SetValue;

const std::string kCatalogue = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\";

struct Texts {
  std::string entry, name, command;
  bool operator==(const Texts&) const = default;
};

class NewProgram : public ::testing::Test {
 protected:
  TfrmMain& Open() {
    form = test::OpenMainWindow(h.services);
    return *form;
  }

  // Queues a script for the next new-entry dialog; `seen` gets the texts it opened with.
  void OnDialog(const std::function<void(TNewProgramBox&)>& script, std::vector<Texts>* seen = nullptr) {
    h.modal.scripts.push_back([script, seen](ModalForm& dialog) {
      auto& box = static_cast<TNewProgramBox&>(dialog);
      if (seen != nullptr) {
        seen->push_back({WindowText(box.EntryEdit()), WindowText(box.NameEdit()), WindowText(box.CommandEdit())});
      }
      script(box);
    });
  }
  static void Fill(TNewProgramBox& box, const Texts& texts) {
    SetWindowTextUtf8(box.EntryEdit(), texts.entry);
    SetWindowTextUtf8(box.NameEdit(), texts.name);
    SetWindowTextUtf8(box.CommandEdit(), texts.command);
  }
  static void ClickOk(TNewProgramBox& box) { test::Click(::GetDlgItem(box.ContentPanel(), TNewProgramBox::IdOK)); }

  std::vector<std::string> Names(RootKeyHandle root, const std::string& key) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(root);
    if (!store->OpenPath(key, false)) return {};
    return store->ListValues();
  }
  std::optional<RegValue> Get(const std::string& key, const std::string& name, RootKeyHandle root = RootKey::LocalMachine) {
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(root);
    if (!store->OpenPath(key, false)) return std::nullopt;
    return store->QueryValue(name);
  }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(NewProgram, TabMovesThroughTheFieldsAndButtons) {
  Open();
  std::vector<HWND> order;
  OnDialog([&order](TNewProgramBox& box) {
    ::SetFocus(box.EntryEdit());
    test::PressKey(box, box.EntryEdit(), VK_TAB);
    order.push_back(::GetFocus());
    test::PressKey(box, ::GetFocus(), VK_TAB);
    order.push_back(::GetFocus());
    EXPECT_EQ(order, (std::vector<HWND>{box.NameEdit(), box.CommandEdit()}));
    EXPECT_EQ(WindowText(box.NameEdit()), "");  // no tab character was typed
    test::PressKey(box, ::GetFocus(), VK_ESCAPE);
  });
  form->RunCommand(TfrmMain::CmdNewProgram);
  EXPECT_EQ(order.size(), 2u);
  EXPECT_EQ(h.modal.leftOpen, 0);
}

TEST_F(NewProgram, ProposesTheFirstFreeNewProgramKey) {
  Open();
  std::vector<Texts> seen;
  OnDialog([](TNewProgramBox& box) { test::PressKey(box, box.EntryEdit(), VK_ESCAPE); }, &seen);
  form->RunCommand(TfrmMain::CmdNewProgram);
  AddEntry(h.fake.registry, RootKey::LocalMachine, "NewProgram1", "One", "x");
  OnDialog([](TNewProgramBox& box) { box.cmdCancelClick(); }, &seen);
  form->RunCommand(TfrmMain::CmdNewProgram);
  EXPECT_EQ(seen, (std::vector<Texts>{{kCatalogue + "NewProgram1", "", ""}, {kCatalogue + "NewProgram2", "", ""}}));
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"New Program", "New Program"}));
  EXPECT_EQ(form->RowCount(), 0);  // cancelled: no rescan
  EXPECT_TRUE(Names(RootKey::LocalMachine, std::string(kUninstallKey) + "\\NewProgram2").empty());
}

TEST_F(NewProgram, EveryFieldMustHoldTextAndBlanksCount) {
  Open();
  const Texts incomplete[] = {{"", "Name", "cmd"}, {kCatalogue + "Mine", "", "cmd"}, {kCatalogue + "Mine", "Name", ""}};
  OnDialog([&](TNewProgramBox& box) {
    for (const Texts& texts : incomplete) {
      Fill(box, texts);
      ClickOk(box);
      EXPECT_TRUE(box.Running());
    }
    Fill(box, {kCatalogue + "Mine", " ", "  "});
    test::PressKey(box, box.CommandEdit(), VK_RETURN);  // Enter in an edit confirms
    EXPECT_FALSE(box.Running());
  });
  form->RunCommand(TfrmMain::CmdNewProgram);
  ASSERT_EQ(h.prompts.shown.size(), 3u);
  for (const auto& prompt : h.prompts.shown) {
    EXPECT_EQ(prompt.text, "Please fill in all the fields");
    EXPECT_EQ(prompt.caption, std::optional<std::string>("Error"));
    EXPECT_EQ(prompt.flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  }
  const std::string key = std::string(kUninstallKey) + "\\Mine";
  EXPECT_EQ(Names(RootKey::LocalMachine, key), (std::vector<std::string>{"DisplayName", "UninstallString"}));
  EXPECT_EQ(Get(key, "DisplayName"), RegValue::Text(" "));
  EXPECT_EQ(Get(key, "UninstallString"), RegValue::Text("  "));
  ASSERT_EQ(form->RowCount(), 1);  // rescanned
  EXPECT_EQ(form->RowAt(0).caption, " ");
}

TEST_F(NewProgram, TheOverwriteQuestionsThreeAnswers) {
  const std::string key = std::string(kUninstallKey) + "\\Taken";
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Taken", "Old Name", "old.exe");
  SetValue(h.fake.registry, RootKey::LocalMachine, key, "EstimatedSize", RegValue::Number(5));
  Open();
  const std::string question = "There is already an Add/Remove entry called \"" + kCatalogue + "Taken\". Do you want to overwrite it?";

  // Cancel: nothing written, no rescan.
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Later", "Later", "x");
  h.prompts.answers = {IDCANCEL};
  OnDialog([&](TNewProgramBox& box) {
    Fill(box, {kCatalogue + "Taken", "New Name", "new.exe"});
    ClickOk(box);
  });
  form->NewProgramEntry(kCatalogue + "Proposed", "Proposed Name", "proposed.exe");
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, question);
  EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
  EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_YESNOCANCEL | MB_ICONQUESTION));
  EXPECT_EQ(Get(key, "DisplayName"), RegValue::Text("Old Name"));
  EXPECT_EQ(form->RowCount(), 1);

  // No: the dialog again, with the texts first proposed; then Esc ends it.
  h.prompts.answers = {IDNO};
  std::vector<Texts> seen;
  OnDialog([&](TNewProgramBox& box) {
    Fill(box, {kCatalogue + "Taken", "Typed", "typed.exe"});
    ClickOk(box);
  }, &seen);
  OnDialog([&](TNewProgramBox& box) { test::PressKey(box, box.NameEdit(), VK_ESCAPE); }, &seen);
  form->NewProgramEntry(kCatalogue + "Proposed", "Proposed Name", "proposed.exe");
  const Texts proposed{kCatalogue + "Proposed", "Proposed Name", "proposed.exe"};
  EXPECT_EQ(seen, (std::vector<Texts>{proposed, proposed}));
  EXPECT_EQ(Get(key, "DisplayName"), RegValue::Text("Old Name"));
  EXPECT_EQ(form->RowCount(), 1);

  // Yes: the entry holds only the two new values.
  h.prompts.answers = {IDYES};
  OnDialog([&](TNewProgramBox& box) {
    Fill(box, {kCatalogue + "Taken", "New Name", "new.exe"});
    ClickOk(box);
  });
  form->NewProgramEntry(kCatalogue + "Proposed", "", "");
  EXPECT_EQ(Names(RootKey::LocalMachine, key), (std::vector<std::string>{"DisplayName", "UninstallString"}));
  EXPECT_EQ(Get(key, "DisplayName"), RegValue::Text("New Name"));
  EXPECT_EQ(Get(key, "UninstallString"), RegValue::Text("new.exe"));
  EXPECT_EQ(form->RowCount(), 2);
  EXPECT_EQ(h.modal.leftOpen, 0);
}

TEST_F(NewProgram, RootNamesInAnyCaseAndUnknownRoots) {
  Open();
  struct Case {
    std::string entry;
    bool created;
  };
  const Case cases[] = {
      {"hkey_local_machine\\" + std::string(kUninstallKey) + "\\Lower", true},
      {"Hkey_Current_User\\" + std::string(kUninstallKey) + "\\Mine", true},
      {"HKLM\\" + std::string(kUninstallKey) + "\\Short", false},
      {"NoBackslashAtAll", false},
      // Names that are no entry below a key: writing would rewrite the root's or the
      // catalogue's own values.
      {"HKEY_LOCAL_MACHINE\\", false},
      {kCatalogue, false},
  };
  for (const Case& c : cases) {
    h.prompts.shown.clear();
    AddEntry(h.fake.registry, RootKey::CurrentUser, "Marker" + std::to_string(form->RowCount()), "M", "m");
    const int before = form->RowCount();
    OnDialog([&](TNewProgramBox& box) {
      Fill(box, {c.entry, "Name", "cmd"});
      ClickOk(box);
    });
    form->NewProgramEntry("x", "", "");
    EXPECT_EQ(form->RowCount(), before + 1 + (c.created ? 1 : 0)) << c.entry;  // rescanned either way
    if (c.created) {
      EXPECT_TRUE(h.prompts.shown.empty()) << c.entry;
    } else {
      ASSERT_EQ(h.prompts.shown.size(), 1u) << c.entry;
      EXPECT_EQ(h.prompts.shown[0].text, "Unable to create the new entry.");
      EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
      EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
    }
  }
  EXPECT_EQ(Get(std::string(kUninstallKey) + "\\Lower", "DisplayName"), RegValue::Text("Name"));
  EXPECT_EQ(Get(std::string(kUninstallKey) + "\\Mine", "DisplayName", RootKey::CurrentUser), RegValue::Text("Name"));
  EXPECT_TRUE(Names(RootKey::LocalMachine, kUninstallKey).empty());
  EXPECT_TRUE(Names(RootKey::LocalMachine, "").empty());
}

TEST_F(NewProgram, AltKeysFocusTheFieldsAndTheLabelsShowThem) {
  Open();
  OnDialog([&](TNewProgramBox& box) {
    EXPECT_EQ(::GetFocus(), box.EntryEdit());
    const std::pair<UINT, HWND> keys[] = {{'N', box.NameEdit()}, {'C', box.CommandEdit()}, {'R', box.EntryEdit()}};
    for (const auto& [key, edit] : keys) {
      MSG msg{};
      msg.hwnd = ::GetFocus();
      msg.message = WM_SYSKEYDOWN;
      msg.wParam = key;
      msg.lParam = 1 << 29;  // Alt is down
      EXPECT_TRUE(box.PreTranslate(msg));
      EXPECT_EQ(::GetFocus(), edit);
    }
    EXPECT_EQ(WindowText(::GetDlgItem(box.ContentPanel(), TNewProgramBox::IdEntryLabel)), "&Registry Entry Name:");
    EXPECT_EQ(WindowText(::GetDlgItem(box.ContentPanel(), TNewProgramBox::IdNameLabel)),
              "Program &Name (how it appears in the list):");
    EXPECT_EQ(WindowText(::GetDlgItem(box.ContentPanel(), TNewProgramBox::IdCommandLabel)), "Uninstall &Command:");
    RECT client;
    ::GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, box.Scale(405));
    EXPECT_EQ(client.bottom, box.Scale(303));
    RECT edit;
    ::GetWindowRect(box.NameEdit(), &edit);
    const ControlLayout& place = LayoutEntry(TNewProgramBox::LayoutTable(), TNewProgramBox::IdName);
    EXPECT_EQ(place.width, 366);
    EXPECT_EQ(edit.right - edit.left, box.Scale(place.width));
    box.cmdCancelClick();
  });
  form->RunCommand(TfrmMain::CmdNewProgram);
  EXPECT_EQ(h.modal.leftOpen, 0);
}

}  // namespace
}  // namespace tw
