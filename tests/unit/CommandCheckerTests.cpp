#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "catalogue/UninstallCommandChecker.h"
#include "support/Fakes.h"

namespace tw {
namespace {

class CommandChecker : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddFile("C:\\APP\\UNINST.EXE");
    files.AddFile("C:\\APP\\Setup.isu");
    files.AddFile("C:\\APP.EXE");
    files.AddFile("C:\\Program Files\\App\\uninst.exe");
    files.AddFolder("C:\\Logs");
  }
  bool Present(const std::string& command) { return UninstallerPresent(files, command); }
  test::MemoryFileSystem files;
};

TEST_F(CommandChecker, CommandsFromTheCatalogue) {
  struct Case {
    const char* command;
    bool present;
  };
  const Case cases[] = {
      {"RUNDLL32.EXE C:\\GONE\\setupapi.dll,InstallHinfSection", true},
      {"rundll32 gone.dll", true},
      {"MsiExec.exe /X{12345678-1234-1234-1234-123456789012}", true},
      {"\"C:\\Program Files\\App\\uninst.exe\"", true},
      {"\"C:\\Program Files\\Gone\\uninst.exe\"", false},
      {"C:\\APP\\UNINST.EXE -f\"C:\\APP\\Setup.isu\"", true},
      {"C:\\APP\\UNINST.EXE -f\"C:\\APP\\Gone.isu\"", false},
      {"C:\\APP\\UNINST.EXE /LOG=C:\\Logs", true},
      {"C:\\APP\\UNINST.EXE /LOG=C:\\Nope\\x.log", false},
      {"C:\\APP\\uninstall.bat", false},
      {"", false},
      {"C:\\APP.EXEDIR\\UNINST.EXE", true},  // cut at the first .EXE: tested as C:\APP.EXE
      {"C:\\APP\\UNINS?.EXE", true},         // wildcards count when anything matches
      {"C:\\APP", false},
      {"uninst.exe", true},                  // no drive: nothing to check
  };
  for (const auto& c : cases) EXPECT_EQ(Present(c.command), c.present) << c.command;
}

TEST_F(CommandChecker, FilesAreLookedUpWithTheCommandsOwnLetters) {
  EXPECT_TRUE(Present("\"C:\\Program Files\\App\\uninst.exe\" /log=C:\\Logs"));
  EXPECT_EQ(files.asked, (std::vector<std::string>{"C:\\Program Files\\App\\uninst.exe", "C:\\Logs"}));
}

TEST_F(CommandChecker, DrivePathsStartAtTheLetterBeforeTheColon) {
  EXPECT_TRUE(DrivePathExists(files, "/LOG=C:\\Logs"));
  EXPECT_FALSE(DrivePathExists(files, "/LOG=C:\\Missing"));
  EXPECT_TRUE(DrivePathExists(files, ":\\whatever"));  // no drive letter before it
  EXPECT_TRUE(DrivePathExists(files, "/quiet"));
}

const char* const kCode = "{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6F7}";

TEST(InstallerProductCode, OnlyTheInstallerRunOnAProductCode) {
  struct Case {
    std::string command;
    std::optional<std::string> code;
  };
  const std::string code = kCode;
  const std::string lower = "{6f1a2b3c-9d4e-4f50-8a61-72b3c4d5e6f7}";
  const Case cases[] = {
      {"MsiExec.exe /X" + code, code},
      {"msiexec /x" + lower, code},
      {"MSIEXEC.EXE /qn /i" + lower + " REBOOT=R", code},
      {"\"C:\\Windows\\System32\\msiexec.exe\" /X" + code, code},
      {"C:/Windows/system32/msiexec.exe /I" + code, code},
      // Not a product code, or not the Installer: the ordinary test alone.
      {"MsiExec.exe /X{B}", std::nullopt},
      {"MsiExec.exe /X{6F1A2B3C-9D4E-4F50-8A61-72B3C4D5E6FG}", std::nullopt},
      {"MsiExec.exe /X{6F1A2B3C+9D4E-4F50-8A61-72B3C4D5E6F7}", std::nullopt},
      {"MsiExec.exe /X " + code, std::nullopt},
      {"MsiExec.exe /F" + code, std::nullopt},
      {"NotMsiExec.exe /X" + code, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(InstallerProductCode(c.command), c.code) << c.command;
}

// The ordinary test comes first: a command it finds missing is never put to the Installer.
TEST_F(CommandChecker, TheInstallerIsNotAskedWhenTheOrdinaryTestFindsTheCommandMissing) {
  test::FakeInstallerProducts installer;
  const std::string gone = "{00000000-1111-2222-3333-444444444444}";
  for (const std::string& command : {"C:\\Gone\\MsiExec.exe /X" + gone, "msiexec /X" + gone}) {
    EXPECT_FALSE(UninstallerPresent(files, &installer, command)) << command;
  }
  EXPECT_TRUE(installer.asked.empty());
  // Without an Installer to ask, the ordinary test alone.
  EXPECT_TRUE(UninstallerPresent(files, nullptr, "MsiExec.exe /I" + gone));
}

TEST(NextParam, QuotesGroupBlanksAndAreNotCopied) {
  std::string p;
  const std::string text = "  -f\"C:\\A B.ISU\" \"\"\"\" x\ty \"open";
  std::size_t pos = NextParam(text, 0, p);
  EXPECT_EQ(p, "-fC:\\A B.ISU");
  pos = NextParam(text, pos, p);
  EXPECT_EQ(p, "x");  // runs of quote pairs are skipped
  pos = NextParam(text, pos, p);
  EXPECT_EQ(p, "y");
  pos = NextParam(text, pos, p);
  EXPECT_EQ(p, "open");  // an unbalanced quote runs to the end
  pos = NextParam(text, pos, p);
  EXPECT_EQ(p, "");
  EXPECT_EQ(pos, text.size());
}

TEST(NextParam, ControlAndHighCharacters) {
  std::string p;
  const std::string text = "\x01\x1f" "a\x7f" "b \xC3\xA9t\xC3\xA9";
  std::size_t pos = NextParam(text, 0, p);
  EXPECT_EQ(p, "a\x7f" "b");
  NextParam(text, pos, p);
  EXPECT_EQ(p, "\xC3\xA9t\xC3\xA9");
}

TEST_F(CommandChecker, LongPathsAndParametersAreTestedWhole) {
  // Over 260 characters of path and 256 of parameter: neither is cut, so the test looks at
  // exactly the file named.
  const std::string folder = "C:\\" + std::string(300, 'd');
  files.AddFile(folder + "\\UNINST.EXE");
  files.AddFile(folder + "\\" + std::string(280, 'p') + ".DAT");
  EXPECT_TRUE(Present(folder + "\\UNINST.EXE " + folder + "\\" + std::string(280, 'p') + ".DAT"));
  EXPECT_FALSE(Present(folder + "\\UNINST.EXE " + folder + "\\" + std::string(281, 'p') + ".DAT"));
  EXPECT_FALSE(Present(folder + "x\\UNINST.EXE"));
  // 10,000 characters of blanks and quotes end cleanly.
  EXPECT_TRUE(Present("C:\\APP\\UNINST.EXE" + std::string(10000, ' ')));
  EXPECT_TRUE(Present("C:\\APP\\UNINST.EXE " + std::string(10000, '"')));
  std::string many = "C:\\APP\\UNINST.EXE";
  for (int i = 0; i < 2000; ++i) many += " /x";
  EXPECT_TRUE(Present(many));
}

}  // namespace
}  // namespace tw
