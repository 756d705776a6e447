// The Win32 file system on real files in a fresh temporary folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "support/ScratchFolder.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Process.h"
#include "win32/WinText.h"

namespace tw {
namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_.Made()); }

  std::string In(const std::string& name) const { return scratch_.In(name); }

  void MakeFile(const std::string& path, const std::string& bytes) {
    std::string error;
    auto file = files_.Create(path, error);
    ASSERT_NE(file, nullptr) << path << ": " << error;
    ASSERT_TRUE(file->Write(bytes));
    ASSERT_TRUE(file->Close());
  }
  std::string Contents(const std::string& path) {
    std::string bytes, error;
    EXPECT_TRUE(files_.ReadAll(path, bytes, error)) << path << ": " << error;
    return bytes;
  }

  test::ScratchFolder scratch_{"tidewell-fs-"};
  const std::string folder_ = scratch_.Path();
  Win32FileSystem files_;
};

TEST_F(Win32FileSystemTest, FindFirstWithWildcardsAndFolders) {
  MakeFile(In("alpha.txt"), "12345");
  MakeFile(In("beta.log"), "");
  MakeFile(In("gamma1.txt"), "g");
  ASSERT_TRUE(::CreateDirectoryW(Widen(In("sub")).c_str(), nullptr));

  struct Case {
    std::string pattern;
    std::set<std::string> matches;  // empty: nothing is found
  };
  const Case cases[] = {
      {In("alpha.txt"), {"alpha.txt"}},
      {In("ALPHA.TXT"), {"alpha.txt"}},
      {In("*.log"), {"beta.log"}},
      {In("gamma?.txt"), {"gamma1.txt"}},
      {In("?lpha.*"), {"alpha.txt"}},
      {In("*.txt"), {"alpha.txt", "gamma1.txt"}},
      {In("gamma??.txt"), {}},
      {In("sub"), {"sub"}},
      {In("s*"), {"sub"}},
      {In("missing.txt"), {}},
      {In("missing\\*.txt"), {}},
      {In("sub\\*.txt"), {}},
      {"Q:\\no such drive\\x.txt", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    const auto found = files_.FindFirst(c.pattern);
    if (c.matches.empty()) {
      EXPECT_FALSE(found.has_value()) << found->name;
    } else {
      ASSERT_TRUE(found.has_value());
      EXPECT_EQ(c.matches.count(found->name), 1u) << found->name;
    }
  }

  const auto folder = files_.FindFirst(In("sub"));
  ASSERT_TRUE(folder);
  EXPECT_NE(folder->attributes & kAttributeDirectory, 0u);
  const auto file = files_.FindFirst(In("alpha.txt"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->attributes & kAttributeDirectory, 0u);
  EXPECT_EQ(file->size, 5u);
}

TEST_F(Win32FileSystemTest, ExistsAnswersAsTheSearchDoes) {
  MakeFile(In("app.exe"), "x");
  ASSERT_TRUE(::CreateDirectoryW(Widen(In("sub dir")).c_str(), nullptr));
  std::string deep = folder_;
  while (deep.size() < 300) deep += "\\" + std::string(40, 'q');
  // (the long folder itself is not made: a long missing path must answer false)
  const std::string paths[] = {In("app.exe"),  In("APP.EXE"),  In("app.ex?"),   In("*.exe"),   In("*.dll"),
                               In("sub dir"),  In("sub dir\\"), In("missing"), In("missing\\x.exe"),
                               "C:\\",       "C:",          "Q:\\nothing",  deep + "\\x.exe", In("app.exe\\x")};
  for (const auto& path : paths) {
    EXPECT_EQ(files_.Exists(path), files_.FindFirst(path).has_value()) << path;
  }
  EXPECT_TRUE(files_.Exists(In("app.exe")));
  EXPECT_FALSE(files_.Exists(In("missing")));
}

TEST_F(Win32FileSystemTest, FindDataCarriesTheFileTimes) {
  MakeFile(In("dated.txt"), "x");
  // 2003-05-04 23:30:10 UTC.
  const SYSTEMTIME when{2003, 5, 0, 4, 23, 30, 10, 0};
  FILETIME time{};
  ASSERT_TRUE(::SystemTimeToFileTime(&when, &time));
  {
    UniqueFile file(::CreateFileW(Widen(In("dated.txt")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
  }
  const auto found = files_.FindFirst(In("dated.txt"));
  ASSERT_TRUE(found);
  const std::uint64_t expected = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  EXPECT_EQ(found->lastWriteTime, expected);
  EXPECT_NE(found->creationTime, 0u);
  EXPECT_NE(found->lastAccessTime, 0u);
}

TEST_F(Win32FileSystemTest, ShortNamesFindTheSameFile) {
  MakeFile(In("A long file name.description"), "long");
  MakeFile(In("SHORT.TXT"), "short");
  const auto found = files_.FindFirst(In("A long file name.description"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "A long file name.description");
  ASSERT_FALSE(found->shortName.empty());
  EXPECT_LE(found->shortName.size(), 12u);
  EXPECT_EQ(found->shortName.find(' '), std::string::npos);
  // The short name leads back to the file.
  const auto again = files_.FindFirst(In(found->shortName));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->name, "A long file name.description");
  EXPECT_EQ(Contents(In(found->shortName)), "long");
  // A name that is already 8.3 has no separate short name.
  const auto plain = files_.FindFirst(In("SHORT.TXT"));
  ASSERT_TRUE(plain);
  EXPECT_TRUE(plain->shortName.empty() || plain->shortName == "SHORT.TXT") << plain->shortName;
}

TEST_F(Win32FileSystemTest, PathsLongerThanMaxPath) {
  std::string folder = folder_;
  while (folder.size() < 300) {
    folder += "\\" + std::string(40, 'd');
    ASSERT_TRUE(::CreateDirectoryW(FileApiPath(folder).c_str(), nullptr)) << ::GetLastError();
  }
  const std::string path = folder + "\\long name.txt";
  ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));

  MakeFile(path, "first");
  auto found = files_.FindFirst(path);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "long name.txt");
  EXPECT_TRUE(files_.FindFirst(folder + "\\long*.t?t"));
  EXPECT_EQ(Contents(path), "first");

  auto append = files_.OpenAppend(path);
  ASSERT_NE(append, nullptr);
  EXPECT_TRUE(append->Write(" second"));
  EXPECT_TRUE(append->Close());
  EXPECT_EQ(Contents(path), "first second");

  // "." and ".." in a long path are resolved before the prefix is put on.
  const std::string detour = folder + "\\..\\" + folder.substr(folder.rfind('\\') + 1) + "\\.\\long name.txt";
  EXPECT_EQ(Contents(detour), "first second");

  MakeFile(path + ".new", "replacement");
  std::string error;
  EXPECT_TRUE(files_.Replace(path + ".new", path, error)) << error;
  EXPECT_EQ(Contents(path), "replacement");
  EXPECT_TRUE(files_.Remove(path));
  EXPECT_FALSE(files_.FindFirst(path));
}

TEST_F(Win32FileSystemTest, AppendAddsAtTheEndAndCreateReplaces) {
  const std::string path = In("log.txt");
  EXPECT_EQ(files_.OpenAppend(path), nullptr) << "append opens existing files only";
  EXPECT_FALSE(files_.FindFirst(path)) << "a failed append must not create the file";

  MakeFile(path, "abc");
  {
    auto file = files_.OpenAppend(path);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->Write("def"));
    EXPECT_TRUE(file->Write(std::string("\0\xFF\r\n", 4)));
    EXPECT_TRUE(file->Close());
    EXPECT_FALSE(file->Write("late")) << "a closed file takes no more writes";
  }
  EXPECT_EQ(Contents(path), std::string("abcdef\0\xFF\r\n", 10));
  {
    // Destroying an unclosed file closes it.
    auto file = files_.OpenAppend(path);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->Write("!"));
  }
  EXPECT_EQ(Contents(path).back(), '!');

  MakeFile(path, "new");
  EXPECT_EQ(Contents(path), "new");

  // A file larger than one read.
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  MakeFile(In("big.bin"), big);
  EXPECT_EQ(Contents(In("big.bin")), big);
}

TEST_F(Win32FileSystemTest, ReadOnlyFileRefusesWriting) {
  const std::string path = In("locked.txt");
  MakeFile(path, "keep");
  ASSERT_TRUE(::SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
  const auto found = files_.FindFirst(path);
  ASSERT_TRUE(found);
  EXPECT_NE(found->attributes & kAttributeReadOnly, 0u);
  {
    // Wine keeps the attribute in the Unix permissions, which do not stop the superuser.
    UniqueFile probe(::CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   0, nullptr));
    if (probe) GTEST_SKIP() << "this file system lets the current user write read-only files";
  }
  EXPECT_EQ(files_.OpenAppend(path), nullptr);
  std::string error;
  EXPECT_EQ(files_.Create(path, error), nullptr);
  EXPECT_EQ(error, "Access denied.");
  EXPECT_EQ(Contents(path), "keep");
}

// A file another program holds open without sharing writes: every write is refused with
// the system's reason and the file keeps its contents.
TEST_F(Win32FileSystemTest, FileLockedByAnotherProgramRefusesWriting) {
  const std::string path = In("busy.txt");
  MakeFile(path, "keep");
  UniqueFile holder(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  ASSERT_TRUE(holder);
  EXPECT_EQ(files_.OpenAppend(path), nullptr);
  std::string error;
  EXPECT_EQ(files_.Create(path, error), nullptr);
  EXPECT_EQ(error, "Sharing violation.");
  EXPECT_EQ(Contents(path), "keep");
  holder.reset();
  auto file = files_.OpenAppend(path);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Write("!"));
}

TEST_F(Win32FileSystemTest, FolderWhereAFileIsExpected) {
  const std::string path = In("folder");
  ASSERT_TRUE(::CreateDirectoryW(Widen(path).c_str(), nullptr));
  EXPECT_EQ(files_.OpenAppend(path), nullptr);
  std::string error;
  EXPECT_EQ(files_.Create(path, error), nullptr);
  EXPECT_FALSE(error.empty());
  std::string bytes = "untouched";
  error.clear();
  EXPECT_FALSE(files_.ReadAll(path, bytes, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(bytes, "untouched");
  EXPECT_FALSE(files_.Remove(path));
  EXPECT_TRUE(files_.FindFirst(path));
}

TEST_F(Win32FileSystemTest, CreateNewNeverTakesANameInUse) {
  MakeFile(In("taken.txt"), "keep");
  ASSERT_TRUE(::CreateDirectoryW(Widen(In("folder.txt")).c_str(), nullptr));
  struct Case {
    std::string path;
    bool exists;
    std::string error;  // empty: created
  } const cases[] = {
      {In("taken.txt"), true, "File exists."},
      {In("folder.txt"), true, "?"},
      {In("no folder\\x.txt"), false, "Path not found."},
      {In("new.txt"), false, ""},
  };
  for (const Case& c : cases) {
    bool exists = !c.exists;
    std::string error;
    std::unique_ptr<OutputFile> file = files_.CreateNew(c.path, exists, error);
    EXPECT_EQ(exists, c.exists) << c.path;
    if (c.error.empty()) {
      ASSERT_NE(file, nullptr) << c.path << ": " << error;
      EXPECT_TRUE(file->Write("new"));
      EXPECT_TRUE(file->Close());
      EXPECT_EQ(Contents(c.path), "new");
    } else {
      EXPECT_EQ(file, nullptr) << c.path;
      if (c.error != "?") {  // a folder's reason varies by system
        EXPECT_EQ(error, c.error) << c.path;
      }
      EXPECT_FALSE(error.empty()) << c.path;
    }
  }
  EXPECT_EQ(Contents(In("taken.txt")), "keep");
  EXPECT_NE(::GetFileAttributesW(Widen(In("folder.txt")).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(Win32FileSystemTest, MissingFilesAndFoldersGiveTheSystemsReason) {
  std::string bytes, error;
  EXPECT_FALSE(files_.ReadAll(In("missing.txt"), bytes, error));
  EXPECT_EQ(error, "File not found.");

  error.clear();
  EXPECT_EQ(files_.Create(In("no folder\\x.txt"), error), nullptr);
  EXPECT_EQ(error, "Path not found.");

  EXPECT_FALSE(files_.Remove(In("missing.txt")));
  error.clear();
  EXPECT_FALSE(files_.Replace(In("missing.txt"), In("target.txt"), error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(files_.FindFirst(In("target.txt")));
}

TEST_F(Win32FileSystemTest, ReplaceMovesOverAnExistingFile) {
  MakeFile(In("ULOG.TXT"), "old log");
  MakeFile(In("ULOG.TMP"), "new log");
  std::string error;
  EXPECT_TRUE(files_.Replace(In("ULOG.TMP"), In("ULOG.TXT"), error)) << error;
  EXPECT_EQ(Contents(In("ULOG.TXT")), "new log");
  EXPECT_FALSE(files_.FindFirst(In("ULOG.TMP")));
  // Into a missing file too.
  MakeFile(In("a.txt"), "a");
  EXPECT_TRUE(files_.Replace(In("a.txt"), In("b.txt"), error)) << error;
  EXPECT_EQ(Contents(In("b.txt")), "a");
  // A read-only file is kept, whatever the system would do.
  MakeFile(In("kept.txt"), "kept");
  MakeFile(In("new.txt"), "new");
  ASSERT_TRUE(::SetFileAttributesW(Widen(In("kept.txt")).c_str(), FILE_ATTRIBUTE_READONLY));
  error.clear();
  EXPECT_FALSE(files_.Replace(In("new.txt"), In("kept.txt"), error));
  EXPECT_EQ(error, "Access denied.");
  EXPECT_EQ(Contents(In("kept.txt")), "kept");
  EXPECT_EQ(Contents(In("new.txt")), "new");
  ::SetFileAttributesW(Widen(In("kept.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FileSystemTest, NonAsciiNames) {
  const std::string name = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC.txt";  // Grüße 日本.txt
  MakeFile(In(name), "hello");
  const auto found = files_.FindFirst(In("Gr*"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, name);
  EXPECT_EQ(Contents(In(name)), "hello");
  EXPECT_TRUE(files_.Remove(In(name)));
}

TEST(Win32Process, ExecutableFolderHoldsTheRunningProgram) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  wchar_t self[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
  ASSERT_GT(length, 0u);
  const std::string full = Narrow(std::wstring_view(self, length));
  EXPECT_EQ(full.substr(0, folder.size()), folder);
  Win32FileSystem files;
  const auto found = files.FindFirst(full);
  ASSERT_TRUE(found);
  EXPECT_EQ(folder + found->name, full);
}

// What a backup needs: nested folders made at once, a file moved only to a name nothing has,
// every file of a pattern listed, and a flush to the disk.
TEST_F(Win32FileSystemTest, FoldersMovesToNewNamesListsAndFlushes) {
  std::string error;
  EXPECT_TRUE(files_.CreateFolder(In("a\\b\\c\\"), error)) << error;
  EXPECT_TRUE(files_.CreateFolder(In("a\\b"), error)) << "an existing folder is fine";
  MakeFile(In("a\\file"), "x");
  EXPECT_FALSE(files_.CreateFolder(In("a\\file\\below"), error));
  EXPECT_FALSE(files_.CreateFolder(In("a\\file"), error)) << "a file is in the way";

  bool exists = false;
  auto file = files_.CreateNew(In("a\\new.tmp"), exists, error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_TRUE(file->Write("new"));
  EXPECT_TRUE(file->Flush());
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(files_.MoveToNewName(In("a\\new.tmp"), In("a\\file"), exists, error));
  EXPECT_TRUE(exists);
  EXPECT_EQ(Contents(In("a\\file")), "x") << "the file in the way is kept";
  EXPECT_FALSE(files_.MoveToNewName(In("a\\new.tmp"), In("a\\b"), exists, error));
  EXPECT_TRUE(exists) << "so is a folder";
  EXPECT_TRUE(files_.MoveToNewName(In("a\\new.tmp"), In("a\\new.reg"), exists, error)) << error;
  EXPECT_EQ(Contents(In("a\\new.reg")), "new");

  std::set<std::string> names;
  for (const FindData& found : files_.FindAll(In("a\\*"))) names.insert(found.name);
  EXPECT_EQ(names, (std::set<std::string>{"b", "file", "new.reg"}));
  EXPECT_EQ(files_.FindAll(In("a\\*.reg")).size(), 1u);
  EXPECT_TRUE(files_.FindAll(In("missing\\*")).empty());
}

}  // namespace
}  // namespace tw
