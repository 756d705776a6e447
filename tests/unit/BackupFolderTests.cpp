// The backup folder: a backup is complete on the disk under a name of its own before a change,
// a backup that cannot be written leaves nothing behind, and the list shows newest first and
// says which files cannot be restored. (Restores: tests/forms/RestoreTests.cpp, and through
// the real registry and regedit in tests/win32/RegFileInteropTests.cpp.)

#include <gtest/gtest.h>

#include <string>

#include "catalogue/BackupFolder.h"
#include "support/Catalogue.h"
#include "support/Fakes.h"

namespace tw {
namespace {

using namespace std::string_literals;

const std::string kFolder = "C:\\Local\\Quenmark\\Tidewell\\Backups\\";
const std::string kEntry = "HKEY_LOCAL_MACHINE\\"s + test::kUninstallKey + "\\App";
const std::string kEntrySub = test::kUninstallKey + "\\App"s;

// A text of ASCII lines (LF) as the UTF-16 bytes, CR LF and byte-order mark of a .reg file.
std::string Utf16File(const std::string& lines) {
  std::string bytes = "\xFF\xFE";
  for (const char c : lines) {
    if (c == '\n') bytes += "\r\0"s;
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

class BackupFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    test::SetValue(fake.registry, RootKey::LocalMachine, kEntrySub, "DisplayName", RegValue::Text("Demo: App"));
    test::SetValue(fake.registry, RootKey::LocalMachine, kEntrySub, "EstimatedSize", RegValue::Number(2048));
    test::SetValue(fake.registry, RootKey::LocalMachine, kEntrySub + "\\Sub", "", {RegType::Binary, {1, 2}});
  }
  std::string Save(BackupReason reason = BackupReason::Deleted) {
    return SaveEntryBackup(fake.platform, kFolder, kEntry, reason).value_or("<none>");
  }

  test::FakePlatform fake;
};

TEST_F(BackupFolder, NamesAreSafeForTheFileSystem) {
  const DateTime t{2026, 12, 8, 14, 3, 55, 0};
  const struct {
    std::string name;
    int counter;
    std::string file;
  } cases[] = {
      {"Demo App", 1, "2026-12-08 14-03-55 Demo App.reg"},
      {"Demo App", 2, "2026-12-08 14-03-55 Demo App (2).reg"},
      {"a\\b/c:d*e?f\"g<h>i|j", 1, "2026-12-08 14-03-55 a_b_c_d_e_f_g_h_i_j.reg"},
      {"two\r\nlines\t", 1, "2026-12-08 14-03-55 two__lines_.reg"},
      {"dots and blanks. . ", 1, "2026-12-08 14-03-55 dots and blanks.reg"},
      {" . ", 1, "2026-12-08 14-03-55 entry.reg"},
      {"lone \xED\xA0\x80 surrogate", 1, "2026-12-08 14-03-55 lone _ surrogate.reg"},
      {"Caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80", 1,
       "2026-12-08 14-03-55 Caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80.reg"},
      {std::string(70, 'x'), 1, "2026-12-08 14-03-55 " + std::string(64, 'x') + ".reg"},
  };
  for (const auto& c : cases) EXPECT_EQ(BackupFileName(t, c.name, c.counter), c.file) << c.name;
}

TEST_F(BackupFolder, ABackupIsCompleteOnTheDiskUnderANameOfItsOwn) {
  EXPECT_EQ(SaveEntryBackup(fake.platform, kFolder, kEntry + "Missing", BackupReason::Deleted), std::nullopt);
  EXPECT_FALSE(fake.files.Exists("C:\\Local")) << "nothing to save, nothing made";

  const std::string first = Save();
  EXPECT_EQ(first, kFolder + "2026-12-08 14-05-09 Demo_ App.reg");
  const std::string bytes = fake.files.Contents(first);
  EXPECT_EQ(bytes, Utf16File("Windows Registry Editor Version 5.00\n"
                             "; Tidewell backup\n"
                             "; Reason: deleted\n"
                             "; Saved: 2026-12-08 14:05:09.000\n"
                             "\n"
                             "[" + kEntry + "]\n"
                             "\"DisplayName\"=\"Demo: App\"\n"
                             "\"EstimatedSize\"=dword:00000800\n"
                             "\n"
                             "[" + kEntry + "\\Sub]\n"
                             "@=hex:01,02\n"
                             "\n"));
  EXPECT_EQ(fake.files.Find(first)->flushed, bytes.size());

  // The same second and entry: a name of its own, the first kept.
  EXPECT_EQ(Save(BackupReason::BeforeEdit), kFolder + "2026-12-08 14-05-09 Demo_ App (2).reg");
  EXPECT_EQ(fake.files.Contents(first), bytes);
  EXPECT_EQ(fake.files.FindAll(kFolder + "*").size(), 2u);
}

TEST_F(BackupFolder, ABackupThatCannotBeWrittenIsRefusedAndLeavesNothing) {
  const struct {
    const char* what;
    std::function<void(test::FakePlatform&)> arrange;
    const char* reason;  ///< in the message
  } cases[] = {
      {"a file in the folder's place", [](auto& f) { f.files.AddFile(kFolder.substr(0, kFolder.size() - 1)); },
       "the folder for backups cannot be made"},
      {"a full disk", [](auto& f) { f.files.failWritesAfter = 100; }, "the disk may be full"},
      {"a flush that fails", [](auto& f) { f.files.failFlush = true; }, "could not be saved to the disk"},
      {"a key below that cannot be read",
       [](auto& f) { f.registry.denyOpen = [](const std::string& key) { return key.ends_with("\\Sub"); }; },
       "Unable to read the key"},
      {"a value of more than 1 MB",
       [](auto& f) {
         test::SetValue(f.registry, RootKey::LocalMachine, kEntrySub, "big",
                        {RegType::Binary, std::vector<std::uint8_t>(1024 * 1024 + 1)});
       },
       "more than the 1048576"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakePlatform f;
    test::SetValue(f.registry, RootKey::LocalMachine, kEntrySub + "\\Sub", "", {RegType::Binary, {1, 2}});
    c.arrange(f);
    try {
      SaveEntryBackup(f.platform, kFolder, kEntry, BackupReason::Deleted);
      ADD_FAILURE() << "saved";
    } catch (const BackupError& e) {
      const std::string message = e.what();
      const std::string opening = "The entry \"" + kEntry +
                                  "\" was not changed, because its backup could not be written to \"" + kFolder +
                                  "2026-12-08 14-05-09 App.reg\": ";
      EXPECT_EQ(message.rfind(opening, 0), 0u) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
    for (const std::string& path : f.files.Paths()) EXPECT_EQ(path.find(".reg"), std::string::npos) << path;
  }
}

TEST_F(BackupFolder, TheListShowsNewestFirstAndWhatCannotBeRestored) {
  Save();
  fake.clock.now.second = 30;
  test::SetValue(fake.registry, RootKey::LocalMachine, kEntrySub, "DisplayName", RegValue::Text(""));
  Save(BackupReason::CleanedUp);
  const std::string regedit = "Windows Registry Editor Version 5.00\n\n[" + kEntry + "]\n\"DisplayName\"=\"Other\"\n\n";
  fake.files.AddFile(kFolder + "2025-01-02 03-04-05 From regedit.reg", Utf16File(regedit));
  fake.files.AddFile(kFolder + "cut.REG", Utf16File(regedit.substr(0, regedit.size() - 10)));
  fake.files.AddFile(kFolder + "notes.txt", "not a backup");
  fake.files.AddFolder(kFolder + "folder.reg");

  const std::vector<BackupListing> list = ListEntryBackups(fake.platform, kFolder);
  ASSERT_EQ(list.size(), 4u);
  const struct {
    std::string file, program, entry;
    BackupReason reason;
    int second;
    std::string problem;
  } expected[] = {
      {"2026-12-08 14-05-30 App.reg", "App", kEntry, BackupReason::CleanedUp, 30, ""},
      {"2026-12-08 14-05-09 Demo_ App.reg", "Demo: App", kEntry, BackupReason::Deleted, 9, ""},
      {"2025-01-02 03-04-05 From regedit.reg", "Other", kEntry, BackupReason::Unknown, 5, ""},
      {"cut.REG", "cut", "", BackupReason::Unknown, -1, "Line 4: the file ends in the middle of this line"},
  };
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(expected[i].file);
    EXPECT_EQ(list[i].fileName, expected[i].file);
    EXPECT_EQ(list[i].programName, expected[i].program);
    EXPECT_EQ(list[i].entryKeyPath, expected[i].entry);
    EXPECT_EQ(list[i].reason, expected[i].reason);
    EXPECT_EQ(list[i].saved ? list[i].saved->second : -1, expected[i].second);
    EXPECT_EQ(list[i].problem, expected[i].problem);
  }
}

}  // namespace
}  // namespace tw
