#include <gtest/gtest.h>

#include "catalogue/UninstallKeyTools.h"
#include "support/Fakes.h"
#include "util/CorFileInfoTools.h"

namespace tw {
namespace {

const char* const kHeader =
    "\r\nTidewell Uninstall Log\r\n"
    "Contains information about programs you have uninstalled from your computer\r\n\r\n";

class UninstallLog : public ::testing::Test {
 protected:
  void SetUp() override { fake.files.AddFolder("C:\\Tidewell"); }
  void Append(const std::string& record) {
    AppendToUninstallLog(fake.files, fake.ansi, log, record);
  }
  test::FakePlatform fake;
  const std::string log = UninstallLogPath("C:\\Tidewell\\");
};

TEST_F(UninstallLog, LivesBesideTheExecutable) {
  EXPECT_EQ(log, "C:\\Tidewell\\ULOG.TXT");
  EXPECT_EQ(UninstallLogPath("C:\\Tidewell"), "C:\\Tidewell\\ULOG.TXT");
}

TEST_F(UninstallLog, ANewLogStartsWithTheHeader) {
  const std::string when = DateTimeText(fake.locale, fake.clock.Now());
  Append(UninstallStartedRecord(when, "Demo App"));
  Append(kUninstallIncompleteRecord);
  Append(CleanedUpRecord());
  EXPECT_EQ(fake.files.Contents(log),
            std::string(kHeader) +
                "\r\n12/8/2026 2:05:09 PM\r\nUninstalling Demo App\r\n"
                "Uninstaller did not complete the uninstall process or did not remove program from list.\r\n"
                "Removed from list by Tidewell.\r\n");
}

TEST_F(UninstallLog, AnExistingEmptyLogGetsTheRecordAlone) {
  fake.files.AddFile(log, "");
  Append(DeleteStartedRecord("1/2/2026", ""));
  Append(kDeleteOkRecord);
  EXPECT_EQ(fake.files.Contents(log), "\r\n1/2/2026\r\nDeleting entry \r\nDeleted OK.\r\n");
}

TEST_F(UninstallLog, ClearingWritesTheHeaderOnceIntoTheEmptiedFile) {
  fake.files.AddFile(log, "");
  ClearUninstallLog(fake.files, fake.ansi, log);
  EXPECT_EQ(fake.files.Contents(log), kHeader);
}

TEST_F(UninstallLog, RecordsAreWrittenInTheAnsiCodePage) {
  Append(std::string("Uninstalling Caf\xC3\xA9 \xE2\x82\xAC"));
  EXPECT_TRUE(fake.files.Contents(log).ends_with("Uninstalling Caf\xE9 \x80\r\n"));
}

// A name cannot add lines of its own: its control characters are blanked, and every record
// keeps exactly the lines it is made of.
TEST_F(UninstallLog, ControlCharactersInNamesCannotForgeRecords) {
  struct Case {
    const char* label;
    std::string name;
    std::string written;  // the name as the log shows it
  };
  const Case cases[] = {
      {"CR LF and a forged record", "Evil\r\n\r\n1/1/2020\r\nDeleted OK.", "Evil    1/1/2020  Deleted OK."},
      {"lone line feed", "A\nB", "A B"},
      {"lone carriage return", "A\rB", "A B"},
      {"tab, form feed, escape, unit separator", std::string("T\tF\fE\x1BU\x1F"), "T F E U "},
      {"NUL inside", std::string("N\0M", 3), "N M"},
      {"plain text and DEL stay", "Caf\xC3\xA9 \x7F", "Caf\xE9 \x7F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fake.files.AddFile(log, "");
    Append(UninstallStartedRecord("12/8/2026 2:05:09 PM", c.name));
    Append(kUninstallIncompleteRecord);
    Append(DeleteStartedRecord("12/8/2026\r\n", c.name));
    Append(kDeleteOkRecord);
    EXPECT_EQ(fake.files.Contents(log),
              "\r\n12/8/2026 2:05:09 PM\r\nUninstalling " + c.written +
                  "\r\n"
                  "Uninstaller did not complete the uninstall process or did not remove program from list.\r\n"
                  "\r\n12/8/2026  \r\nDeleting entry " +
                  c.written + "\r\nDeleted OK.\r\n");
  }
}

TEST_F(UninstallLog, FailuresAreToldAndLoseNothing) {
  // A read-only log keeps its text; a folder where the log should be stays a folder; a
  // folder that refuses new files stays empty. Each failure is told to the caller.
  fake.files.AddFile(log, "kept", true);
  EXPECT_FALSE(AppendToUninstallLog(fake.files, fake.ansi, log, "record"));
  EXPECT_EQ(fake.files.Contents(log), "kept");

  const std::string folderLog = UninstallLogPath("C:\\AsFolder");
  fake.files.AddFolder("C:\\AsFolder\\ULOG.TXT");
  EXPECT_FALSE(AppendToUninstallLog(fake.files, fake.ansi, folderLog, "record"));
  EXPECT_TRUE(fake.files.Find(folderLog)->folder);

  fake.files.AddFolder("C:\\Locked", true);
  const std::string lockedLog = UninstallLogPath("C:\\Locked");
  EXPECT_FALSE(AppendToUninstallLog(fake.files, fake.ansi, lockedLog, "record"));
  EXPECT_FALSE(fake.files.Exists(lockedLog));

  EXPECT_FALSE(AppendToUninstallLog(fake.files, fake.ansi, UninstallLogPath("C:\\Missing\\Folder"), "record"));
  EXPECT_FALSE(fake.files.Exists("C:\\Missing\\Folder\\ULOG.TXT"));

  const std::string freshLog = UninstallLogPath("C:\\Fresh");
  fake.files.AddFolder("C:\\Fresh");
  EXPECT_TRUE(AppendToUninstallLog(fake.files, fake.ansi, freshLog, "record"));
  EXPECT_TRUE(AppendToUninstallLog(fake.files, fake.ansi, freshLog, "another"));
}

TEST_F(UninstallLog, AFailingWriteStopsAndIsTold) {
  fake.files.failWritesAfter = 10;
  EXPECT_FALSE(AppendToUninstallLog(fake.files, fake.ansi, log, "a record that will not fit"));
  EXPECT_EQ(fake.files.Contents(log).size(), 10u);
}

}  // namespace
}  // namespace tw
