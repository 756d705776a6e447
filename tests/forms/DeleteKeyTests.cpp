#include <gtest/gtest.h>

#include <windows.h>

#include "FormTestSupport.h"
#include "catalogue/UninstallKeyTools.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormMain.h"
#include "forms/FormUninstall.h"
#include "support/Catalogue.h"
#include "win32/WinText.h"

namespace tw {
namespace {

using test::AddEntry;
using test::kUninstallKey;

constexpr const char* kLogPath = "C:\\Tidewell\\ULOG.TXT";
const std::string kHeader =
    "\r\nTidewell Uninstall Log\r\nContains information about programs you have uninstalled from your computer\r\n\r\n";
const std::string kDeleteStarted = "\r\n12/8/2026 2:05:09 PM\r\nDeleting entry ";

// The warning the dialog shows for a program of this name.
std::string Warning(const std::string& name) {
  return "Are you sure you want to delete \"" + name +
         "\" from the list of programs installed on your computer?\r\n\r\n"
         "WARNING: You should only delete the entries for programs that you know for sure that are no longer on "
         "your computer. If the program is still on your computer and you delete it from the list, you may not be "
         "able to uninstall it later.\r\n\r\n"
         "Note: If the program has a question mark near its name in the list, it does not mean for sure that the "
         "program is no longer on your  computer. To check if the program is really gone, please first try to "
         "uninstall it.";
}

class DeleteFromList : public ::testing::Test {
 protected:
  void SetUp() override {
    AddEntry(h.fake.registry, RootKey::LocalMachine, "Stale", "Stale Tool", "C:\\Stale\\un.exe");
    AddEntry(h.fake.registry, RootKey::LocalMachine, "Other", "Other Tool", "C:\\Other\\un.exe");
  }
  void Open(const std::string& select) {
    form = test::OpenMainWindow(h.services);
    const int row = test::RowWithCaption(*form, select);
    ASSERT_GE(row, 0) << select;
    form->SelectRow(row);
  }
  bool Listed(const std::string& caption) { return test::RowWithCaption(*form, caption) >= 0; }
  bool KeyExists(const std::string& sub) {
    return UninstallKeyExists(h.fake.registry, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\" + sub);
  }
  // Adds an entry behind the list's back: it shows only after a rescan.
  void AddLateEntry() { AddEntry(h.fake.registry, RootKey::LocalMachine, "Late", "Late Arrival", "late.exe"); }

  test::FormHarness h;
  std::unique_ptr<TfrmMain> form;
};

TEST_F(DeleteFromList, DeleteRemovesTheEntryLogsItAndRescans) {
  Open("Stale Tool");
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TDeleteKeyBox&>(dialog);
    EXPECT_EQ(WindowText(box.Caption()), "Delete From List");
    RECT rc;
    ::GetClientRect(box.Handle(), &rc);
    EXPECT_EQ(rc.right, box.Scale(456));
    EXPECT_EQ(rc.bottom, box.Scale(399));
    EXPECT_EQ(box.Choice, TDeleteKeyBox::ChoiceCancel);
    EXPECT_EQ(WindowText(box.Advice()), Warning("Stale Tool"));
    EXPECT_NE(::GetWindowLongW(box.Advice(), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(::GetWindowLongW(box.Advice(), GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_EQ(::GetWindowLongW(box.Advice(), GWL_STYLE) & WS_VSCROLL, 0);  // the text fits
    AddLateEntry();
    test::Click(box.Control(TDeleteKeyBox::IdDelete));
    EXPECT_FALSE(box.Running());
    EXPECT_EQ(box.Choice, TDeleteKeyBox::ChoiceDelete);
  });
  form->cmdDeleteFromListClick();
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Delete From List"}));
  EXPECT_FALSE(KeyExists("Stale"));
  EXPECT_TRUE(KeyExists("Other"));
  EXPECT_EQ(h.fake.files.Contents(kLogPath), kHeader + kDeleteStarted + "Stale Tool\r\nDeleted OK.\r\n");
  EXPECT_FALSE(Listed("Stale Tool"));
  EXPECT_TRUE(Listed("Late Arrival"));
  EXPECT_TRUE(h.prompts.shown.empty());
  EXPECT_TRUE(h.process.started.empty());
}

TEST_F(DeleteFromList, AWarningTooLongForTheMemoCanBeScrolledToItsEnd) {
  const std::string longName(240, 'W');
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Long", longName, "C:\\Long\\un.exe");
  Open(longName);
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TDeleteKeyBox&>(dialog);
    EXPECT_EQ(WindowText(box.Advice()), Warning(longName));
    EXPECT_NE(::GetWindowLongW(box.Advice(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(::GetDlgItem(box.ContentPanel(), TDeleteKeyBox::IdAdvice), box.Advice());  // only one memo
    test::PressKey(box, box.Advice(), VK_ESCAPE);
  });
  form->cmdDeleteFromListClick();
  EXPECT_TRUE(KeyExists("Long"));
}

// The warning picture stands on the dialog's white, like the pictures of the uninstall
// dialog and the about box: around the triangle the dialog shows through.
TEST_F(DeleteFromList, TheWarningPictureStandsOnTheDialogsWhite) {
  Open("Stale Tool");
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TDeleteKeyBox&>(dialog);
    const HWND picture = box.Control(TDeleteKeyBox::IdPicture);
    ::RedrawWindow(box.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const test::Screenshot shot = test::Capture(picture);
    const int s = shot.width;
    ASSERT_EQ(s, box.Scale(LayoutEntry(TDeleteKeyBox::LayoutTable(), TDeleteKeyBox::IdPicture).width));
    // The corners above the triangle's sides and the rows below its base.
    const RECT clear[] = {{0, 0, s / 6, s / 6}, {s - s / 6, 0, s, s / 6}, {0, s - s / 16, s, s}};
    for (const RECT& area : clear) {
      EXPECT_EQ(shot.Count(area, RGB(255, 255, 255)), (area.right - area.left) * (area.bottom - area.top))
          << area.left << "," << area.top;
    }
    EXPECT_GT(shot.Count(RECT{0, 0, s, s}, RGB(248, 186, 36)), s * s / 8);  // the amber triangle
    test::PressKey(box, box.Advice(), VK_ESCAPE);
  });
  form->cmdDeleteFromListClick();
}

TEST_F(DeleteFromList, ALogThatCannotBeWrittenIsToldAndKeptAsItWas) {
  h.fake.files.AddFile(kLogPath, "the old log", true);  // read only
  Open("Stale Tool");
  h.modal.scripts.push_back([](ModalForm& dialog) {
    test::Click(static_cast<TDeleteKeyBox&>(dialog).Control(TDeleteKeyBox::IdDelete));
  });
  form->cmdDeleteFromListClick();
  EXPECT_FALSE(KeyExists("Stale"));
  EXPECT_FALSE(Listed("Stale Tool"));
  EXPECT_EQ(h.fake.files.Contents(kLogPath), "the old log");
  ASSERT_EQ(h.prompts.shown.size(), 1u);  // once for the whole deletion
  EXPECT_EQ(h.prompts.shown[0].text, "The uninstall log \"C:\\Tidewell\\ULOG.TXT\" could not be written, so this operation is not "
            "fully recorded in it.");
  EXPECT_EQ(h.prompts.shown[0].caption, std::optional<std::string>("Tidewell"));
  // Told once a run: the next deletion goes on without asking again.
  form->SelectRow(test::RowWithCaption(*form, "Other Tool"));
  h.modal.scripts.push_back([](ModalForm& dialog) {
    test::Click(static_cast<TDeleteKeyBox&>(dialog).Control(TDeleteKeyBox::IdDelete));
  });
  form->cmdDeleteFromListClick();
  EXPECT_FALSE(KeyExists("Other"));
  EXPECT_EQ(h.prompts.shown.size(), 1u);
}

TEST_F(DeleteFromList, EveryWayOfCancellingLeavesEverythingUntouched) {
  const std::vector<std::pair<const char*, std::function<void(TDeleteKeyBox&)>>> ways = {
      {"CANCEL", [](TDeleteKeyBox& box) { test::Click(box.Control(TDeleteKeyBox::IdCancel)); }},
      {"Esc", [](TDeleteKeyBox& box) { test::PressKey(box, box.Advice(), VK_ESCAPE); }},
      {"close image", [](TDeleteKeyBox& box) { test::Click(box.CloseImage()); }},
  };
  for (const auto& [name, way] : ways) {
    SCOPED_TRACE(name);
    Open("Stale Tool");
    h.modal.scripts.push_back([&, way = way](ModalForm& dialog) {
      auto& box = static_cast<TDeleteKeyBox&>(dialog);
      AddLateEntry();
      way(box);
      EXPECT_FALSE(box.Running());
      EXPECT_EQ(box.Choice, TDeleteKeyBox::ChoiceCancel);
    });
    form->cmdDeleteFromListClick();
    EXPECT_TRUE(KeyExists("Stale"));
    EXPECT_FALSE(h.fake.files.Exists(kLogPath));
    EXPECT_TRUE(Listed("Stale Tool"));
    EXPECT_FALSE(Listed("Late Arrival")) << "no rescan";
    EXPECT_EQ(form->RowAt(form->SelectedIndex()).caption, "Stale Tool");
    EXPECT_EQ(h.modal.leftOpen, 0);
    form.reset();
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->RemoveKey(std::string(kUninstallKey) + "\\Late");
  }
}

TEST_F(DeleteFromList, EnterTriesTheUninstallInsteadOfDeleting) {
  Open("Stale Tool");
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TDeleteKeyBox&>(dialog);
    test::PressKey(box, box.Advice(), VK_RETURN);
    EXPECT_FALSE(box.Running());
    EXPECT_EQ(box.Choice, TDeleteKeyBox::ChoiceTryToUninstall);
  });
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TUninstallBox&>(dialog);
    EXPECT_EQ(box.AppNameText(), "Stale Tool");
    EXPECT_EQ(box.UninstallCommand, "C:\\Stale\\un.exe");
    AddLateEntry();
    test::Click(box.Control(TUninstallBox::IdCancel));
  });
  form->cmdDeleteFromListClick();
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Delete From List", "Uninstall"}));
  EXPECT_TRUE(KeyExists("Stale"));
  EXPECT_FALSE(h.fake.files.Exists(kLogPath));
  EXPECT_TRUE(Listed("Late Arrival")) << "the uninstall dialog rescans";

  // The button does the same.
  h.modal.titles.clear();
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    test::Click(static_cast<TDeleteKeyBox&>(dialog).Control(TDeleteKeyBox::IdTryToUninstall));
  });
  h.modal.scripts.push_back([&](ModalForm& dialog) { test::PressKey(static_cast<TUninstallBox&>(dialog), dialog.Handle(), VK_ESCAPE); });
  form->cmdDeleteFromListClick();
  EXPECT_EQ(h.modal.titles, (std::vector<std::string>{"Delete From List", "Uninstall"}));
  EXPECT_TRUE(KeyExists("Stale"));
}

TEST_F(DeleteFromList, AnEntryWithoutANameIsNamedEmpty) {
  AddEntry(h.fake.registry, RootKey::LocalMachine, "Nameless", "", "un.exe");
  Open("<no name>");
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TDeleteKeyBox&>(dialog);
    const std::string advice = WindowText(box.Advice());
    EXPECT_EQ(advice.rfind("Are you sure you want to delete \"\" from the list", 0), 0u) << advice;
    test::Click(box.Control(TDeleteKeyBox::IdDelete));
  });
  form->cmdDeleteFromListClick();
  EXPECT_EQ(h.fake.files.Contents(kLogPath), kHeader + kDeleteStarted + "\r\nDeleted OK.\r\n");
  EXPECT_FALSE(KeyExists("Nameless"));
}

TEST_F(DeleteFromList, AKeyAlreadyGoneIsLoggedAsNotDeletedReportedAndRescanned) {
  Open("Stale Tool");
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TDeleteKeyBox&>(dialog);
    auto store = h.fake.registry.NewStore();
    store->SelectRoot(RootKey::LocalMachine);
    store->RemoveKey(std::string(kUninstallKey) + "\\Stale");
    test::Click(box.Control(TDeleteKeyBox::IdDelete));
  });
  form->cmdDeleteFromListClick();
  EXPECT_EQ(h.fake.files.Contents(kLogPath),
            kHeader + kDeleteStarted + "Stale Tool\r\nNOT Deleted - error encountered while deleting from registry.\r\n");
  ASSERT_EQ(h.prompts.shown.size(), 1u);
  EXPECT_EQ(h.prompts.shown[0].text, "Unable to delete key");
  EXPECT_EQ(h.prompts.shown[0].caption, std::nullopt);
  EXPECT_EQ(h.prompts.shown[0].flags, static_cast<unsigned>(MB_OK | MB_ICONERROR));
  EXPECT_FALSE(Listed("Stale Tool"));
}

}  // namespace
}  // namespace tw
