// Backups through the windows: each change of an entry saves it first (and not at all when it
// cannot, with the user told and able to retry), and the restore dialog lists the backups and
// writes one back. (The switches: tests/e2e/backup_restore.sh on the real program.)

#include <gtest/gtest.h>

#include <windows.h>

#include "FormTestSupport.h"
#include "catalogue/BackupFolder.h"
#include "forms/FormDeleteKey.h"
#include "forms/FormEditProgram.h"
#include "forms/FormNewProgram.h"
#include "forms/FormRestore.h"
#include "forms/FormUninstall.h"
#include "support/Catalogue.h"
#include "util/RegKeyTree.h"

namespace tw {
namespace {

using namespace std::string_literals;

const std::string kFolder = test::kTestBackupFolder;
const std::string kEntry = "HKEY_LOCAL_MACHINE\\"s + test::kUninstallKey + "\\App";
const std::string kBackup = kFolder + "2026-12-08 14-05-09 My App.reg";

RegFile Saved(test::FormHarness& h) { return ExportKeyTree(h.fake.registry, kEntry); }

// The entry "My App" with a key below it, as it was saved before any change, listed and
// selected in a main window.
struct OnApp {
  OnApp() {
    test::AddEntry(h.fake.registry, RootKey::LocalMachine, "App", "My App", "C:\\App\\unins.exe");
    test::SetValue(h.fake.registry, RootKey::LocalMachine, test::kUninstallKey + "\\App\\Sub"s, "n",
                   RegValue{RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}});
    before = Saved(h);
    form = test::OpenMainWindow(h.services);
    form->SelectRow(test::RowWithCaption(*form, "My App"));
  }
  test::FormHarness h;
  RegFile before;
  std::unique_ptr<TfrmMain> form;
};
struct Backups : ::testing::Test, OnApp {
  RegFile Saved() { return tw::Saved(h); }
};

TEST(BackupsOfChanges, EveryChangeSavesTheEntryFirstAndNotAtAllWhenItCannot) {
  using Change = std::function<void(test::FormHarness&, TfrmMain&)>;
  const struct {
    const char* what;
    std::string_view reason;
    Change change;
  } cases[] = {
      {"Delete From List", "deleted",
       [](auto& h, auto& main) {
         h.modal.scripts.push_back([](ModalForm& box) { test::Click(box.Control(TDeleteKeyBox::IdDelete)); });
         main.RunCommand(TfrmMain::CmdDeleteFromList);
       }},
      {"the clean-up after an uninstall", "cleaned-up",
       [](auto& h, auto& main) {
         h.modal.scripts.push_back([](ModalForm& dialog) {
           auto& box = static_cast<TUninstallBox&>(dialog);
           box.cmdAddRemoveClick();
           box.cmdDoneClick();
           box.cmdCleanupClick();
           box.Close();  // when the clean-up did not happen
         });
         main.RunCommand(TfrmMain::CmdUninstall);
       }},
      {"the edit's write-back", "before-edit",
       [](auto& h, auto& main) {
         h.modal.scripts.push_back([](ModalForm& box) { test::Click(box.Control(TEditProgramBox::IdOK)); });
         main.RunCommand(TfrmMain::CmdEditDetails);
       }},
      {"New Program over the entry", "before-overwrite",
       [](auto& h, auto& main) {
         h.prompts.answers.push_front(IDYES);  // overwrite it
         h.modal.scripts.push_back([](ModalForm& box) { test::Click(box.Control(TNewProgramBox::IdOK)); });
         main.NewProgramEntry(kEntry, "New Name", "new.exe");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int writes = 0;
    bool savedFirst = false;
    OnApp app;
    auto& [h, before, form] = app;
    const std::string folder = kFolder.substr(0, kFolder.size() - 1);
    h.fake.files.AddFolder(folder, true);
    h.fake.registry.failWrite = [&](const std::string&, const std::string&) {
      const auto* file = h.fake.files.Find(kBackup);
      savedFirst = savedFirst || (writes == 0 && file != nullptr && file->flushed == file->bytes.size());
      ++writes;
      return false;
    };

    // A read-only folder: the user is told, naming the file, and Cancel leaves all as it was.
    c.change(h, *form);
    ASSERT_FALSE(h.prompts.shown.empty());  // after the overwrite question, if any
    EXPECT_EQ(h.prompts.shown.back().flags, static_cast<unsigned>(MB_RETRYCANCEL | MB_ICONERROR));
    EXPECT_EQ(h.prompts.shown.back().text,
              "The entry \"" + kEntry + "\" was not changed, because its backup could not be written to \"" + kBackup +
                  "\": Access is denied.\r\n\r\nChoose Retry once the folder can take the file (free some disk space, "
                  "or make the folder writable), or Cancel to leave the entry as it is.");
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(Saved(h), before);
    const std::string log = h.fake.files.Contents("C:\\Tidewell\\ULOG.TXT");
    EXPECT_EQ(log.find("Deleting entry"), std::string::npos) << log;
    EXPECT_EQ(log.find("Removed from list"), std::string::npos) << log;

    // Retry once the folder takes files: the backup is complete before the entry changes.
    h.prompts.shown.clear();
    h.prompts.answers = {IDRETRY};
    h.prompts.onClose = [&](HWND) {
      if ((h.prompts.shown.back().flags & MB_TYPEMASK) == MB_RETRYCANCEL) h.fake.files.Find(folder)->readOnly = false;
    };
    c.change(h, *form);
    EXPECT_EQ(h.prompts.shown.back().flags, static_cast<unsigned>(MB_RETRYCANCEL | MB_ICONERROR));
    EXPECT_GT(writes, 0) << "the change went ahead";
    EXPECT_TRUE(savedFirst);
    const std::string backup = h.fake.files.Contents(kBackup);
    EXPECT_EQ(ReadRegFile(backup), before);
    EXPECT_EQ(BackupReasonWord(ReadBackupRecord(backup).reason), c.reason);
    h.fake.registry.failWrite = nullptr;
  }
}

TEST_F(Backups, TheRestoreDialogListsTheBackupsAndEnterWritesTheSelectedOneBack) {
  h.modal.scripts.push_back([](ModalForm& box) { test::Click(box.Control(TDeleteKeyBox::IdDelete)); });
  form->RunCommand(TfrmMain::CmdDeleteFromList);
  ASSERT_EQ(test::RowWithCaption(*form, "My App"), -1);
  test::AddEntry(h.fake.registry, RootKey::LocalMachine, "Other", "Other", "other.exe");

  // Esc closes it without a rescan; the folder link opens the folder.
  h.modal.scripts.push_back([&](ModalForm& dialog) {
    auto& box = static_cast<TRestoreBox&>(dialog);
    ASSERT_EQ(box.Backups().size(), 1u);
    EXPECT_EQ(box.CellText(0, 0), "My App");
    EXPECT_EQ(box.CellText(0, 1), "12/8/2026 2:05:09 PM");
    EXPECT_EQ(box.CellText(0, 2), "Deleted");
    EXPECT_EQ(box.SelectedIndex(), 0);
    test::Click(box.Control(TRestoreBox::IdOpenFolder));
    test::PressKey(box, box.BackupList(), VK_ESCAPE);
  });
  form->RunCommand(TfrmMain::CmdRestore);
  EXPECT_EQ(h.shell.opened, std::vector<std::string>{kFolder});
  EXPECT_EQ(test::RowWithCaption(*form, "Other"), -1) << "no rescan";

  h.modal.scripts.push_back([](ModalForm& dialog) {
    auto& box = static_cast<TRestoreBox&>(dialog);
    test::PressKey(box, box.BackupList(), VK_RETURN);
  });
  form->RunCommand(TfrmMain::CmdRestore);
  EXPECT_EQ(Saved(), before);
  EXPECT_TRUE(h.prompts.shown.empty()) << "a missing entry is restored without a question";
  ASSERT_GE(form->SelectedIndex(), 0);
  EXPECT_EQ(form->RowAt(form->SelectedIndex()).caption, "My App") << "rescanned, the entry selected";

  // The entry is there now: No writes nothing; Yes saves it as it is, then replaces it.
  test::SetValue(h.fake.registry, RootKey::LocalMachine, test::kUninstallKey + "\\App"s, "DisplayName",
                 RegValue::Text("Renamed"));
  const RegFile renamed = Saved();
  for (const int answer : {IDNO, IDYES}) {
    h.prompts.answers = {answer};
    h.modal.scripts.push_back([](ModalForm& dialog) {
      auto& box = static_cast<TRestoreBox&>(dialog);
      test::PressKey(box, box.BackupList(), VK_RETURN);
      box.Close();  // after No
    });
    form->RunCommand(TfrmMain::CmdRestore);
    EXPECT_EQ(h.prompts.shown.back().text,
              "There is already an entry \"" + kEntry + "\". Do you want to replace it with the backup?\r\n\r\n"
              "The entry as it is now is saved as a backup first.");
    EXPECT_EQ(Saved(), answer == IDNO ? renamed : before);
  }
  EXPECT_EQ(ReadRegFile(h.fake.files.Contents(kFolder + "2026-12-08 14-05-09 Renamed.reg")), renamed);
}

}  // namespace
}  // namespace tw
