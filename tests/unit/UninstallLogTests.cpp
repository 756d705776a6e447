#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

TEST_F(UninstallLogFile, AnExcerptIsTheNewestPartFromALineStartAndOnlyThatIsRead) {
  using namespace std::string_literals;
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
    std::uint64_t leftOut;
  } const cases[] = {
      {"short\r\nlog", {"short", "log"}, 0},
      {"0123456789", {"0123456789"}, 0},
      {"f\xE9te\0\r\n"s, {"f\xC3\xA9te "}, 0},
      {"0123456789abc\r\nlast\r\n", {"last"}, 15},
      {"0123456789\n0123456789", {"0123456789"}, 11},
      {"012345678\r\n012345678", {"012345678"}, 11},
      {"0123456789\rabcdefghi", {"abcdefghi"}, 11},
      {"0123456789\r\n\r\nabcdefg", {"", "abcdefg"}, 12},
      {std::string(30, 'x'), {}, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    test::FakePlatform local;
    local.files.AddFile(log, c.bytes);
    std::string error;
    std::unique_ptr<InputFile> file = local.files.OpenRead(log, error);
    ASSERT_NE(file, nullptr);
    LogExcerpt excerpt;
    ASSERT_TRUE(ReadLogExcerpt(*file, local.ansi, 10, excerpt, error)) << error;
    EXPECT_EQ(excerpt.lines, c.lines);
    EXPECT_EQ(excerpt.leftOut, c.leftOut);
    EXPECT_LE(local.files.bytesRead, 11u);
  }
}

// A code page double that notes what it was given to convert at a time.
class NotingCodec : public test::Cp1252Codec {
 public:
  std::string FromAnsi(const std::string& ansi) override {
    given.push_back(ansi);
    return test::Cp1252Codec::FromAnsi(ansi);
  }
  std::vector<std::string> given;
};

TEST_F(UninstallLogFile, TheWholeTextIsReadOnceInPiecesWithOneLineFeedPerLineEnd) {
  using namespace std::string_literals;
  const std::size_t piece = 1 << 20;
  struct Case {
    std::string bytes;
    std::string text;
  } const cases[] = {
      {"", ""},
      {"a\r\nb\rc\nd", "a\nb\nc\nd\n"},
      {"a\r\n", "a\n"},
      {"\r\n\r\n", "\n\n"},
      {"a\0b\r\rf\xE9te"s, "a b\n\nf\xC3\xA9te\n"},
      // A CR LF across two pieces read is one line end.
      {std::string(piece - 1, 'x') + "\r\ntail", std::string(piece - 1, 'x') + "\ntail\n"},
      // Pieces are cut only after a byte that is a character of its own in every code page.
      {std::string(piece - 3, 'x') + " \xE9\xE9\xE9\xE9" + std::string(piece, 'y'),
       std::string(piece - 3, 'x') + " \xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" + std::string(piece, 'y') + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 20));
    test::FakePlatform local;
    local.files.AddFile(log, c.bytes);
    NotingCodec codec;
    std::string error;
    std::unique_ptr<InputFile> file = local.files.OpenRead(log, error);
    ASSERT_NE(file, nullptr);
    std::string text;
    ASSERT_TRUE(ReadLogText(*file, codec, [&](const std::string& part) { text += part; }, error)) << error;
    EXPECT_TRUE(text == c.text) << "the text differs";
    EXPECT_EQ(local.files.bytesRead, c.bytes.size());
    EXPECT_LE(local.files.largestRead, piece);
    for (std::size_t i = 0; i + 1 < codec.given.size(); ++i) {
      const std::string& given = codec.given[i];
      EXPECT_TRUE(given.empty() || static_cast<unsigned char>(given.back()) < 0x40) << i;
    }
  }
}

}  // namespace
}  // namespace tw
