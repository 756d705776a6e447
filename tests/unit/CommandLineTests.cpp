#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace tw {
namespace {

using Parameters = std::vector<std::string>;

TEST(CommandLine, SplitsAsTheSystemDoes) {
  struct Case {
    const char* line;
    Parameters parameters;
  };
  const Case cases[] = {
      {"tidewell.exe", {}},
      {"tidewell.exe   ", {}},
      {"\"C:\\Program Files\\Tidewell\\tidewell.exe\" /RFL out.txt", {"/RFL", "out.txt"}},
      {"C:\\a\"b\\tidewell.exe /qu", {"/qu"}},  // quotes mean nothing in an unquoted program name
      {"t.exe /QU \"Old Toolbar\" \"Trial  Game\"", {"/QU", "Old Toolbar", "Trial  Game"}},
      {"t.exe /QU \"\" x", {"/QU", "", "x"}},
      {"t.exe \t a\tb  ", {"a", "b"}},
      {"t.exe /RFL \"C:\\My Reports\\\"", {"/RFL", "C:\\My Reports\""}},  // \" is a literal quote
      {"t.exe /RFL \"C:\\My Reports\\\\\"", {"/RFL", "C:\\My Reports\\"}},
      {"t.exe a\\\\b c\\d", {"a\\\\b", "c\\d"}},  // backslashes before no quote stay
      {"t.exe a\\\\\\\"b", {"a\\\"b"}},
      {"t.exe \"a\"\"b\" c", {"a\"b c"}},  // a doubled quote inside quotes: a quote, and outside again
      {"t.exe \"\"\"a\"\"\" b", {"\"a\"", "b"}},
      {"t.exe ab\"c d\"e f", {"abc de", "f"}},
      {"t.exe \"unterminated name", {"unterminated name"}},
      {"\"t.exe\"x y", {"x", "y"}},
      {"t.exe Caf\xC3\xA9 \xE6\x97\xA5", {"Caf\xC3\xA9", "\xE6\x97\xA5"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.parameters) << c.line;
}

TEST(CommandLine, TheFirstParameterChoosesWhatTheRunDoes) {
  struct Case {
    Parameters parameters;
    StartupAction action;
    bool longFormat;
    const char* fileName;
    Parameters names;
  };
  using A = StartupAction;
  const Case cases[] = {
      {{}, A::None, false, "", {}},
      {{"/RFL", "C:\\r.txt"}, A::Report, true, "C:\\r.txt", {}},
      {{"/rfs", "r.txt", "extra"}, A::Report, false, "r.txt", {}},
      {{"/Rfl"}, A::Report, true, "", {}},  // no file name: the printer
      {{"/RPL", "ignored.txt"}, A::Report, true, "", {}},
      {{"/rps"}, A::Report, false, "", {}},
      {{"/RFL", "/RFS", "x"}, A::Report, true, "/RFS", {}},  // only the first parameter is a switch
      {{"/QU"}, A::QuietUninstall, false, "", {}},
      {{"/qu", "A", "", "A", "b c"}, A::QuietUninstall, false, "", {"A", "", "A", "b c"}},
      {{"/UNINSTALL", "Demo App", "more"}, A::Uninstall, false, "", {"Demo App"}},
      {{"/uninstall"}, A::Uninstall, false, "", {""}},
      {{"/RESTORE", "C:\\b\\x.reg", "more"}, A::Restore, false, "C:\\b\\x.reg", {}},
      {{"/restore"}, A::Restore, false, "", {}},
      {{"x", "/RFL", "r.txt"}, A::None, false, "", {}},
      {{"/RFLX", "r.txt"}, A::None, false, "", {}},
      {{"RFL", "r.txt"}, A::None, false, "", {}},
      {{"-RFL", "r.txt"}, A::None, false, "", {}},
      {{"/R\xC3\x89S"}, A::None, false, "", {}},
  };
  for (const auto& c : cases) {
    const StartupRequest request = ParseStartupRequest(c.parameters);
    const std::string label = c.parameters.empty() ? std::string("(none)") : c.parameters.front();
    EXPECT_EQ(request.action, c.action) << label;
    EXPECT_EQ(request.longFormat, c.longFormat) << label;
    EXPECT_EQ(request.fileName, c.fileName) << label;
    EXPECT_EQ(request.names, c.names) << label;
    EXPECT_EQ(request.Unattended(), c.action != A::None && c.action != A::Uninstall) << label;
  }
}

TEST(CommandLine, InventorySwitchesNameTheirFormatAndFile) {
  struct Case {
    Parameters parameters;
    InventoryFormat format;
    const char* fileName;
  };
  const Case cases[] = {
      {{"/RFC", "C:\\inv.csv"}, InventoryFormat::Csv, "C:\\inv.csv"},
      {{"/rfj", "inv.json", "extra"}, InventoryFormat::Json, "inv.json"},
      {{"/Rfc", "out.json"}, InventoryFormat::Csv, "out.json"},  // the switch decides, not the name
      {{"/RFJ"}, InventoryFormat::Json, ""},                     // no file name: an error when acted on
      {{"/RFC", ""}, InventoryFormat::Csv, ""},
  };
  for (const auto& c : cases) {
    const StartupRequest request = ParseStartupRequest(c.parameters);
    EXPECT_EQ(request.action, StartupAction::Inventory) << c.parameters.front();
    EXPECT_EQ(request.inventoryFormat, c.format) << c.parameters.front();
    EXPECT_EQ(request.fileName, c.fileName) << c.parameters.front();
    EXPECT_EQ(request.switchName, c.parameters.front());
    EXPECT_TRUE(request.Unattended()) << c.parameters.front();
  }
  for (const Parameters& other : {Parameters{"/RFCX", "a"}, Parameters{"RFJ", "a"}, Parameters{"/RF", "a"}}) {
    EXPECT_EQ(ParseStartupRequest(other).action, StartupAction::None) << other.front();
  }
}

}  // namespace
}  // namespace tw
