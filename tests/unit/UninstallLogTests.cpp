#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

TEST_F(UninstallLog, AnExcerptIsTheNewestPartFromALineStartAndOnlyThatIsRead) {
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

TEST_F(UninstallLog, TheWholeTextIsReadOnceInPiecesWithOneLineFeedPerLineEnd) {
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
