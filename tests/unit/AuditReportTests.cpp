#include <gtest/gtest.h>

#include <functional>

#include "catalogue/AuditReport.h"
#include "support/Fakes.h"

namespace tw {
namespace {

const char* const kHeader =
    "Software Audit Report for: OFFICE-PC\r\n"
    "Prepared on 12/8/2026 2:05:09 PM\r\n"
    "\r\n"
    "By Tidewell\r\n"
    "Copyright (c) Quenmark. All rights reserved.\r\n"
    "\r\n"
    "Computer Name: OFFICE-PC\r\n"
    "User Name: alice\r\n"
    "\r\n"
    "INSTALLED PROGRAMS:\r\n"
    "\r\n";

const char* const kMissing =
    "It seems that the uninstall program for this product (or one of its components) is missing. "
    "It is possible that you have already removed this program from your computer.";

std::vector<AuditRow> KnownRows() {
  return {{"Alpha Editor", "\"C:\\Program Files\\Alpha\\unins000.exe\"", false},
          {"Beta Tools", "MsiExec.exe /X{B}", true},
          {"Gamma", "", false}};
}

TEST(AuditReport, HeaderCarriesNamesDateAndTheNoticeLine) {
  test::FakePlatform fake;
  const std::string when = PreparedOnText(fake.locale, fake.clock.Now());
  EXPECT_EQ(when, "12/8/2026 2:05:09 PM");
  EXPECT_EQ(AuditReportHeader("OFFICE-PC", "alice", when), kHeader);
}

TEST(AuditReport, NamesKeepAtMostFifteenCharactersAndMayBeEmpty) {
  struct Case {
    const char* name;
    const char* kept;
  } const cases[] = {
      {"", ""},
      {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO"},
      // Characters, not bytes: fifteen two-byte letters stay whole.
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
       "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
       "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
       "\xC3\xA9\xC3\xA9\xC3\xA9"},
  };
  for (const auto& c : cases) {
    const std::string header = AuditReportHeader(c.name, c.name, "now");
    EXPECT_NE(header.find(std::string("Computer Name: ") + c.kept + "\r\n"), std::string::npos) << c.name;
    EXPECT_NE(header.find(std::string("User Name: ") + c.kept + "\r\n"), std::string::npos) << c.name;
    EXPECT_EQ(header.rfind(std::string("Software Audit Report for: ") + c.kept + "\r\n", 0), 0u) << c.name;
  }
}

TEST(AuditReport, ShortFormListsOneCaptionPerLine) {
  EXPECT_EQ(AuditReportText(kHeader, KnownRows(), false),
            std::string(kHeader) + "\r\nAlpha Editor\r\nBeta Tools\r\nGamma\r\n");
}

TEST(AuditReport, LongFormAddsCommandStatusAndAnEmptyLine) {
  EXPECT_EQ(AuditReportText(kHeader, KnownRows(), true),
            std::string(kHeader) +
                "\r\n"
                "Alpha Editor\r\n"
                "Uninstall Command: \"C:\\Program Files\\Alpha\\unins000.exe\"\r\n"
                "\r\n"
                "Beta Tools\r\n"
                "Uninstall Command: MsiExec.exe /X{B}\r\n" +
                kMissing +
                "\r\n"
                "\r\n"
                "Gamma\r\n"
                "Uninstall Command: \r\n"
                "\r\n");
}

TEST(AuditReport, ControlCharactersInStoredTextsNeverBreakAnEntry) {
  // A line break in a name would split the entry; a form feed would start a printed page.
  const std::vector<AuditRow> rows{{"Two\r\nLines\f", "un.exe\n/x", false}};
  EXPECT_EQ(AuditReportText("H", rows, true), "H\r\nTwo  Lines \r\nUninstall Command: un.exe /x\r\n\r\n");
}

TEST(AuditReport, AnEmptyListGivesTheHeaderAlone) {
  for (const bool longFormat : {false, true}) {
    EXPECT_EQ(AuditReportText(kHeader, {}, longFormat), std::string(kHeader) + "\r\n");
  }
  // An edited header is taken as it stands, whatever its last line.
  EXPECT_EQ(AuditReportText("My report", {{"A", "x", false}}, false), "My report\r\nA\r\n");
}

// Whether a temporary file of a report at `target` is left in its folder.
bool TemporaryLeft(test::MemoryFileSystem& files, const std::string& target) {
  return files.FindFirst(target + ".*.tidewell-tmp").has_value();
}

class ReportFile : public ::testing::Test {
 protected:
  void SetUp() override { fake.files.AddFolder("C:\\Reports"); }
  void Save(const std::string& text) { SaveReportFile(fake.files, fake.ansi, path, text); }
  std::string SaveError(const std::string& text) {
    try {
      Save(text);
    } catch (const ReportError& e) {
      return e.what();
    }
    return "";
  }
  test::FakePlatform fake;
  const std::string path = "C:\\Reports\\audit.txt";
};

TEST_F(ReportFile, IsWrittenInTheAnsiCodePageAndReplacesAnOlderOne) {
  fake.files.AddFile(path, "an older, longer report that must go entirely");
  Save("Caf\xC3\xA9 \xE2\x82\xAC\r\n");
  EXPECT_EQ(fake.files.Contents(path), "Caf\xE9 \x80\r\n");
  EXPECT_FALSE(TemporaryLeft(fake.files, path));
}

TEST_F(ReportFile, IsSavedOrTheFileThatFailedIsNamedAndNoOtherFileIsTouched) {
  struct Case {
    const char* what;
    std::function<void(test::MemoryFileSystem&)> arrange;
    std::string target;
    const char* message;  // "": saved
  } const cases[] = {
      {"missing folder", [](test::MemoryFileSystem&) {}, "C:\\Nowhere\\audit.txt",
       "Cannot create file \"C:\\Nowhere\\audit.txt.XXXXXXXX.tidewell-tmp\". The system cannot find the path "
       "specified."},
      {"read-only report",
       [&](test::MemoryFileSystem& files) { files.AddFile(path, "old report", true); }, path,
       "Cannot create file \"C:\\Reports\\audit.txt\". Access is denied."},
      {"a folder of that name",
       [&](test::MemoryFileSystem& files) { files.AddFolder(path); }, path,
       "Cannot create file \"C:\\Reports\\audit.txt\". Access is denied."},
      {"write fails half way",
       [&](test::MemoryFileSystem& files) {
         files.AddFile(path, "old report");
         files.failWritesAfter = 5;
       },
       path,
       "Cannot write to file \"C:\\Reports\\audit.txt.XXXXXXXX.tidewell-tmp\". An input/output error occurred while "
       "writing."},
      {"every temporary name taken",
       [&](test::MemoryFileSystem& files) {
         files.AddFile(path, "old report");
         files.takenNames = 1000;
       },
       path, "Cannot create file \"C:\\Reports\\audit.txt.XXXXXXXX.tidewell-tmp\". The file exists."},
      {"empty name", [](test::MemoryFileSystem&) {}, "",
       "Cannot create file \"\". The file name is empty."},
      // A name that is taken is never used for the temporary file.
      {"a file of the user's with a temporary-looking name",
       [&](test::MemoryFileSystem& files) { files.AddFile(path + ".tidewell-tmp", "the user's own file"); }, path,
       ""},
      {"a folder of such a name", [&](test::MemoryFileSystem& files) { files.AddFolder(path + ".tidewell-tmp"); },
       path, ""},
      {"the first names tried are taken", [](test::MemoryFileSystem& files) { files.takenNames = 5; }, path, ""},
      // A device is written to as it is, without a temporary file (none could be made here).
      {"a device name", [](test::MemoryFileSystem& files) { files.takenNames = 1000; }, "C:\\Reports\\nul.txt",
       ""},
  };
  for (const auto& c : cases) {
    test::FakePlatform local;
    local.files.AddFolder("C:\\Reports");
    c.arrange(local.files);
    const std::string before = local.files.Contents(c.target);
    const std::string usersName = path + ".tidewell-tmp";
    const bool usersEntry = local.files.Exists(usersName);
    const std::string usersBytes = local.files.Contents(usersName);
    std::string message;
    try {
      SaveReportFile(local.files, local.ansi, c.target, "the new report\r\n");
    } catch (const ReportError& e) {
      message = e.what();
    }
    EXPECT_EQ(test::MaskTemporaryName(message), c.message) << c.what;
    EXPECT_EQ(local.files.Contents(c.target), *c.message ? before : "the new report\r\n") << c.what;
    EXPECT_FALSE(TemporaryLeft(local.files, c.target)) << c.what;
    EXPECT_EQ(local.files.Exists(usersName), usersEntry) << c.what;
    EXPECT_EQ(local.files.Contents(usersName), usersBytes) << c.what;
  }
}

TEST_F(ReportFile, AnErrorLeavesNoFileWhereThereWasNone) {
  fake.files.failWritesAfter = 0;
  EXPECT_NE(SaveError("report\r\n"), "");
  EXPECT_FALSE(fake.files.Exists(path));
  EXPECT_FALSE(TemporaryLeft(fake.files, path));
}

}  // namespace
}  // namespace tw
