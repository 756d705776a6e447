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
