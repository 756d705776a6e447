#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "util/CorFileInfoTools.h"
#include "util/CorFileUtils.h"

namespace tw {
namespace {

using test::FileTimeOf;

TEST(FileInfoTools, FormatFileSizeBoundaries) {
  test::FixedLocale locale;
  struct Case {
    std::int64_t bytes;
    const char* text;
  };
  const Case cases[] = {
      {-1, ""},
      {0, "0 bytes"},
      {1024, "1,024 bytes"},
      {1025, "1 KB"},
      {1048575, "1,024 KB"},
      {1048576, "1.0 MB"},
      {2097152, "2.0 MB"},
      {1073741823, "1,024.0 MB"},
      {1073741824, "1.00 GB"},
      {5368709120LL * 1024, "5,120.00 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFileSize(locale, c.bytes), c.text) << c.bytes;
}

TEST(FileInfoTools, FormatSizeMBUsesTheLocaleAndWidth) {
  test::FixedLocale locale;
  EXPECT_EQ(FormatSizeMB(locale, "%10.1n MB", 1572864), "       1.5 MB");
  EXPECT_EQ(FormatSizeMB(locale, "%10.1n MB", 0), "       0.0 MB");
  EXPECT_EQ(FormatSizeMB(locale, "%10.1n MB", 5000LL * 1048576), "   5,000.0 MB");
  EXPECT_EQ(FormatSizeMB(locale, "%10.1n MB", 123456789LL * 1048576), "123,456,789.0 MB");
  EXPECT_EQ(FormatSizeMB(locale, "%10.1n MB", -5), "");
  locale.thousands = ".";
  locale.decimal = ",";
  EXPECT_EQ(FormatSizeMB(locale, "%10.1n MB", 2000LL * 1048576), "   2.000,0 MB");
  EXPECT_EQ(FormatNumberPattern(locale, "%-6.0n|%%|%x", 3.0), "3     |%|%x");
}

TEST(FileInfoTools, FormatFileTimeConvertsToLocalDate) {
  test::FixedOffsetTimeZone oneHourEast(60);
  EXPECT_EQ(FormatFileTime(oneHourEast, FileTimeOf(2003, 5, 4, 23, 30), "yyyy-mm-dd"), "2003-05-05");
  test::FixedOffsetTimeZone utc(0);
  EXPECT_EQ(FormatFileTime(utc, FileTimeOf(2003, 5, 4, 23, 30), "yyyy-mm-dd"), "2003-05-04");
  EXPECT_EQ(FormatFileTime(utc, FileTimeOf(2024, 2, 29, 13, 7, 9), "yyyy-mm-dd hh:nn:ss"),
            "2024-02-29 13:07:08");  // DOS times step by two seconds
  EXPECT_EQ(FormatFileTime(utc, 0, "yyyy-mm-dd"), "");
  // Times a DOS date cannot hold.
  EXPECT_EQ(FormatFileTime(utc, FileTimeOf(1979, 12, 31), "yyyy-mm-dd"), "(unknown)");
  EXPECT_EQ(FormatFileTime(utc, FileTimeOf(2108, 1, 1), "yyyy-mm-dd"), "(unknown)");
  EXPECT_EQ(FormatFileTime(utc, UINT64_MAX, "yyyy-mm-dd"), "(unknown)");
}

TEST(FileInfoTools, DateTimePatternTokensAndQuotes) {
  const DateTime t{2003, 4, 5, 6, 7, 8, 0};
  EXPECT_EQ(FormatDateTimePattern("yyyy-mm-dd", t), "2003-04-05");
  EXPECT_EQ(FormatDateTimePattern("d/m/yy h:n:s", t), "5/4/03 6:7:8");
  EXPECT_EQ(FormatDateTimePattern("\"yyyy\" yyyy", t), "yyyy 2003");
}

TEST(FileInfoTools, RemoveFileExtAndPathParts) {
  EXPECT_EQ(RemoveFileExt("My.App.lnk"), "My.App");
  EXPECT_EQ(RemoveFileExt("README"), "README");
  EXPECT_EQ(RemoveFileExt(".lnk"), "");
  EXPECT_EQ(ExtractFilePath("C:\\A\\b.exe"), "C:\\A\\");
  EXPECT_EQ(ExtractFileName("C:\\A\\b.exe"), "b.exe");
  EXPECT_EQ(ExtractFileName("b.exe"), "b.exe");
}

TEST(FileUtils, DeviceNamesAsTheSystemTakesThem) {
  const struct {
    const char* path;
    bool device;
  } cases[] = {
      {"NUL", true},
      {"nul", true},
      {"Con", true},
      {"PRN", true},
      {"aux", true},
      {"COM1", true},
      {"com9", true},
      {"LPT1", true},
      {"lpt9", true},
      {"NUL.txt", true},
      {"C:\\Reports\\nul.txt", true},
      {"C:\\Reports\\NUL", true},
      {"C:/Reports/con.log", true},
      {"nul:", true},
      {"C:nul", true},
      {"NUL ", true},
      {"lpt1.tar.gz", true},
      {"\\\\.\\COM10", true},
      {"\\\\.\\pipe\\report", true},
      {"", false},
      {"report.txt", false},
      {"COM0", false},
      {"COM10", false},
      {"LPT0", false},
      {"NULL", false},
      {"annul.txt", false},
      {"C:\\Reports\\console.txt", false},
      {"C:\\nul\\report.txt", false},
      {"\\\\?\\C:\\Reports\\NUL", false},
      {"\\\\server\\share\\report.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsDeviceName(c.path), c.device) << c.path;
}

TEST(FileInfoTools, DateTimeTextLeavesOutMidnight) {
  test::FixedLocale locale;
  EXPECT_EQ(DateTimeText(locale, DateTime{2026, 12, 8, 14, 5, 9, 0}), "12/8/2026 2:05:09 PM");
  EXPECT_EQ(DateTimeText(locale, DateTime{2026, 12, 8, 0, 0, 0, 0}), "12/8/2026");
  EXPECT_EQ(DateTimeText(locale, DateTime{2026, 12, 8, 0, 0, 1, 0}), "12/8/2026 12:00:01 AM");
}

TEST(FileUtils, FindFileExistsFindsFilesFoldersAndWildcards) {
  test::MemoryFileSystem files;
  files.AddFile("C:\\APP\\UNINST.EXE", "x", false, "UNINST.EXE");
  files.AddFolder("C:\\Program Files\\Tool");
  EXPECT_TRUE(FindFileExists(files, "C:\\APP\\UNINST.EXE"));
  EXPECT_TRUE(FindFileExists(files, "c:\\app\\uninst.exe"));
  EXPECT_TRUE(FindFileExists(files, "C:\\APP\\*.EXE"));
  EXPECT_TRUE(FindFileExists(files, "C:\\APP\\UNINS?.EXE"));
  EXPECT_TRUE(FindFileExists(files, "C:\\Program Files\\Tool"));
  EXPECT_FALSE(FindFileExists(files, "C:\\APP\\*.DLL"));
  EXPECT_FALSE(FindFileExists(files, ""));
  FindData data;
  ASSERT_TRUE(FindFileData(files, "C:\\APP\\U*", data));
  EXPECT_EQ(data.name, "UNINST.EXE");
  EXPECT_EQ(data.size, 1u);
  EXPECT_FALSE(FindFileData(files, "C:\\NOPE", data));
}

}  // namespace
}  // namespace tw
