#include <gtest/gtest.h>

#include "catalogue/UninstallLog.h"
#include "support/Fakes.h"

namespace tw {
namespace {

const char* const kHeader =
    "\r\nTidewell Uninstall Log\r\n"
    "Contains information about programs you have uninstalled from your computer\r\n\r\n";

class UninstallLogFile : public ::testing::Test {
 protected:
  void SetUp() override { fake.files.AddFolder("C:\\Tidewell"); }
  UninstallLog LogIn(const std::string& folder) {
    return UninstallLog(fake.files, fake.ansi, fake.locale, fake.clock, folder);
  }
  test::FakePlatform fake;
  UninstallLog ulog = LogIn("C:\\Tidewell\\");
  const std::string log = ulog.Path();
};

TEST_F(UninstallLogFile, LivesBesideTheExecutable) {
  EXPECT_EQ(log, "C:\\Tidewell\\ULOG.TXT");
  EXPECT_EQ(LogIn("C:\\Tidewell").Path(), "C:\\Tidewell\\ULOG.TXT");
}

TEST_F(UninstallLogFile, ANewLogStartsWithTheHeader) {
  ulog.UninstallStarted("Demo App");
  ulog.UninstallIncomplete();
  ulog.CleanedUp();
  EXPECT_EQ(fake.files.Contents(log),
            std::string(kHeader) +
                "\r\n12/8/2026 2:05:09 PM\r\nUninstalling Demo App\r\n"
                "Uninstaller did not complete the uninstall process or did not remove program from list.\r\n"
                "Removed from list by Tidewell.\r\n");
}

TEST_F(UninstallLogFile, AnExistingEmptyLogGetsTheRecordsAlone) {
  fake.files.AddFile(log, "");
  ulog.DeleteStarted("");
  ulog.DeleteSucceeded();
  ulog.UninstallStarted("X");
  ulog.StartFailed();
  ulog.UninstallSucceeded();
  ulog.DeleteFailed();
  EXPECT_EQ(fake.files.Contents(log),
            "\r\n12/8/2026 2:05:09 PM\r\nDeleting entry \r\nDeleted OK.\r\n"
            "\r\n12/8/2026 2:05:09 PM\r\nUninstalling X\r\nRunning uninstall command failed.\r\n"
            "Uninstall OK. Uninstaller removed program from list.\r\n"
            "NOT Deleted - error encountered while deleting from registry.\r\n");
}

TEST_F(UninstallLogFile, ClearingWritesTheHeaderOnceIntoTheEmptiedFile) {
  fake.files.AddFile(log, "");
  ulog.ClearUninstallLog();
  EXPECT_EQ(fake.files.Contents(log), kHeader);
}

TEST_F(UninstallLogFile, RecordsAreWrittenInTheAnsiCodePage) {
  ulog.UninstallStarted("Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_TRUE(fake.files.Contents(log).ends_with("Uninstalling Caf\xE9 \x80\r\n"));
}

// A name cannot add lines of its own: its control characters are blanked, and every record
// keeps exactly the lines it is made of.
TEST_F(UninstallLogFile, ControlCharactersInNamesCannotForgeRecords) {
  // A date format holding a line break cannot split a record either.
  struct BreakingLocale : test::FixedLocale {
    std::string ShortDate(const DateTime& date) override { return test::FixedLocale::ShortDate(date) + "\r\n"; }
  } breaking;
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
    ulog.UninstallStarted(c.name);
    ulog.UninstallIncomplete();
    UninstallLog(fake.files, fake.ansi, breaking, fake.clock, "C:\\Tidewell").DeleteStarted(c.name);
    ulog.DeleteSucceeded();
    EXPECT_EQ(fake.files.Contents(log),
              "\r\n12/8/2026 2:05:09 PM\r\nUninstalling " + c.written +
                  "\r\n"
                  "Uninstaller did not complete the uninstall process or did not remove program from list.\r\n"
                  "\r\n12/8/2026   2:05:09 PM\r\nDeleting entry " +
                  c.written + "\r\nDeleted OK.\r\n");
  }
}

TEST_F(UninstallLogFile, FailuresAreToldOnceAndLoseNothing) {
  // A read-only log keeps its text; a folder where the log should be stays a folder; a
  // folder that refuses new files stays empty. Each failure is told to the caller, and the
  // user once a run.
  fake.files.AddFile(log, "kept", true);
  EXPECT_FALSE(ulog.TakeFailureToTell());
  EXPECT_FALSE(ulog.DeleteSucceeded());
  EXPECT_EQ(fake.files.Contents(log), "kept");
  EXPECT_TRUE(ulog.TakeFailureToTell());
  EXPECT_FALSE(ulog.DeleteSucceeded());
  EXPECT_FALSE(ulog.TakeFailureToTell());
  EXPECT_EQ(ulog.NotWrittenText(),
            "The uninstall log \"C:\\Tidewell\\ULOG.TXT\" could not be written, so this operation is not "
            "fully recorded in it.");

  UninstallLog folderLog = LogIn("C:\\AsFolder");
  fake.files.AddFolder("C:\\AsFolder\\ULOG.TXT");
  EXPECT_FALSE(folderLog.AppendToUninstallLog("record"));
  EXPECT_TRUE(fake.files.Find(folderLog.Path())->folder);

  fake.files.AddFolder("C:\\Locked", true);
  UninstallLog lockedLog = LogIn("C:\\Locked");
  EXPECT_FALSE(lockedLog.AppendToUninstallLog("record"));
  EXPECT_FALSE(fake.files.Exists(lockedLog.Path()));

  EXPECT_FALSE(LogIn("C:\\Missing\\Folder").AppendToUninstallLog("record"));
  EXPECT_FALSE(fake.files.Exists("C:\\Missing\\Folder\\ULOG.TXT"));

  UninstallLog freshLog = LogIn("C:\\Fresh");
  fake.files.AddFolder("C:\\Fresh");
  EXPECT_TRUE(freshLog.AppendToUninstallLog("record"));
  EXPECT_TRUE(freshLog.AppendToUninstallLog("another"));
  EXPECT_FALSE(freshLog.TakeFailureToTell());
}

TEST_F(UninstallLogFile, AFailingWriteStopsAndIsTold) {
  fake.files.failWritesAfter = 10;
  EXPECT_FALSE(ulog.AppendToUninstallLog("a record that will not fit"));
  EXPECT_EQ(fake.files.Contents(log).size(), 10u);
}

}  // namespace
}  // namespace tw
