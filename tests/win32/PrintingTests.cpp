// Real printing: the line printer on a printer's device context, through Wine's printing to
// the host's print service, where a PDF queue turns each job into a file that is read back
// with pdftotext. scripts/printer-setup makes that queue (and installs what it needs); this
// program runs it first. Where no printer can exist the tests skip and say why.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "util/TextPrinter.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32Printing.h"
#include "win32/WinText.h"

namespace tw {
namespace {

bool UnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The repository's root on the host, from this file's own path at compile time.
std::string SourceRoot() {
  std::string file = __FILE__;
  for (char& c : file) {
    if (c == '\\') c = '/';
  }
  const std::size_t at = file.rfind("/tests/win32/");
  return at == std::string::npos ? std::string() : file.substr(0, at);
}

// A host path as Wine sees it (drive Z: is the host's root).
std::wstring HostPath(const std::string& unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::string ReadHostFile(const std::string& unixPath) {
  UniqueKernelHandle file(::CreateFileW(HostPath(unixPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

struct HostResult {
  int status = -1;  // -1: it did not end in time
  std::string output;
};

// Runs a shell command on the host. Wine starts host programs directly but hands back no
// process to wait for, so the command reports its end through a file of its own.
HostResult RunOnHost(const std::string& command, std::chrono::seconds timeout) {
  static int counter = 0;
  const std::string base = "/tmp/tidewell-print-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(++counter);
  const std::string line = "Z:\\bin\\sh -c \"export PATH=/usr/sbin:/usr/bin:/sbin:/bin; (" + command + ") >" + base +
                           ".out 2>&1; echo $? >" + base + ".tmp; mv " + base + ".tmp " + base + ".status\"";
  std::wstring wide = Widen(line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  HostResult result;
  if (!::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    result.output = "the host shell could not be started: " + SystemErrorText(::GetLastError());
    return result;
  }
  // For a host program Wine fills PROCESS_INFORMATION with no real handles: nothing in it
  // may be waited on or closed (closing such values can close this program's own handles).
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < until) {
    const std::string status = ReadHostFile(base + ".status");
    if (!status.empty()) {
      result.status = std::stoi(status);
      break;
    }
    ::Sleep(100);
  }
  result.output = ReadHostFile(base + ".out");
  ::DeleteFileW(HostPath(base + ".out").c_str());
  ::DeleteFileW(HostPath(base + ".status").c_str());
  return result;
}

std::string Quote(const std::string& unixPath) { return "'" + unixPath + "'"; }

// A page device that passes everything to the printer and counts the pages begun.
class CountingSurface : public PrintSurface {
 public:
  explicit CountingSurface(PrintSurface& inner) : inner_(inner) {}
  void BeginDocument() override { inner_.BeginDocument(); }
  void BeginPage() override {
    ++pages;
    inner_.BeginPage();
  }
  void EndPage() override { inner_.EndPage(); }
  void EndDocument() override { inner_.EndDocument(); }
  void AbortDocument() override { inner_.AbortDocument(); }
  int PageWidth() override { return inner_.PageWidth(); }
  int PageHeight() override { return inner_.PageHeight(); }
  int TextWidth(const std::string& text) override { return inner_.TextWidth(text); }
  int TextHeight(const std::string& text) override { return inner_.TextHeight(text); }
  std::vector<int> CharacterExtents(std::string_view text) override { return inner_.CharacterExtents(text); }
  int CellHeight() override { return inner_.CellHeight(); }
  int AverageCharWidth() override { return inner_.AverageCharWidth(); }
  void DrawString(int x, int y, const std::string& text) override { inner_.DrawString(x, y, text); }
  int pages = 0;

 private:
  PrintSurface& inner_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(PrinterFont, EachCharacterEndsWhereTheTextUpToItEnds) {
  // The printer font's measure on a device context of the screen: one extent per character,
  // a character outside the 16-bit range (two UTF-16 units) included.
  PrinterSurface surface(UniqueHdc(::CreateCompatibleDC(nullptr)), "measure");
  const std::vector<std::string> prefixes = {"W", "Wi", "Wi\xC3\xA9", "Wi\xC3\xA9 ",
                                             "Wi\xC3\xA9 \xF0\x9F\x98\x80", "Wi\xC3\xA9 \xF0\x9F\x98\x80z"};
  const std::vector<int> extents = surface.CharacterExtents(prefixes.back());
  ASSERT_EQ(extents.size(), prefixes.size());
  for (std::size_t i = 0; i < prefixes.size(); ++i) {
    EXPECT_EQ(extents[i], surface.TextWidth(prefixes[i])) << i;
    EXPECT_GT(extents[i], i == 0 ? 0 : extents[i - 1]) << i;
  }
  EXPECT_TRUE(surface.CharacterExtents("").empty());
}

class RealPrinter : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!UnderWine()) {
      skipReason_ = "the printing tests print through Wine to the host's print service";
      return;
    }
    const std::string root = SourceRoot();
    if (root.empty()) {
      skipReason_ = "the repository's scripts are not found from " + std::string(__FILE__);
      return;
    }
    const HostResult setup = RunOnHost(Quote(root + "/scripts/printer-setup"), std::chrono::seconds(600));
    const std::size_t ready = setup.output.find("printer-setup: ready: ");
    if (setup.status != 0 || ready == std::string::npos) {
      skipReason_ = "no printer can exist here: scripts/printer-setup ended with status " +
                    std::to_string(setup.status) + ": " + setup.output;
      return;
    }
    std::istringstream words(setup.output.substr(ready + 22));
    std::string queue;
    words >> queue >> outputFolder_;
  }

  void SetUp() override {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
  }

  // A title of this run's own: the PDF is named after it.
  static std::string UniqueTitle(const char* what) {
    static int counter = 0;
    return std::string("TidewellPrintTest_") + what + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
           std::to_string(++counter);
  }

  // The PDF that a job titled `title` produced (the newest such file), waiting for it.
  static std::string WaitForPdf(const std::string& title) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const std::wstring pattern = HostPath(outputFolder_ + "/" + title + "*.pdf");
    while (std::chrono::steady_clock::now() < until) {
      WIN32_FIND_DATAW data;
      UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &data));
      if (find.get() != INVALID_HANDLE_VALUE) {
        const std::string path = outputFolder_ + "/" + Narrow(data.cFileName);
        // The file is complete once a PDF reader can count its pages.
        const HostResult info = RunOnHost("pdfinfo " + Quote(path), std::chrono::seconds(30));
        if (info.status == 0 && info.output.find("Pages:") != std::string::npos) return path;
      }
      ::Sleep(250);
    }
    return {};
  }

  struct Printed {
    std::string text;
    int pages = -1;
  };

  static Printed ReadPdf(const std::string& path) {
    Printed printed;
    const HostResult pages =
        RunOnHost("pdfinfo " + Quote(path) + " | sed -n 's/^Pages: *//p'", std::chrono::seconds(30));
    if (pages.status == 0 && !pages.output.empty()) printed.pages = std::stoi(pages.output);
    const HostResult text = RunOnHost("pdftotext -layout " + Quote(path) + " -", std::chrono::seconds(30));
    if (text.status == 0) printed.text = text.output;
    RunOnHost("rm -f " + Quote(path), std::chrono::seconds(10));
    return printed;
  }

  static std::string skipReason_;
  static std::string outputFolder_;
};

std::string RealPrinter::skipReason_;
std::string RealPrinter::outputFolder_;

TEST_F(RealPrinter, TheLinePrinterMakesPagesWithWrappedLines) {
  const std::string title = UniqueTitle("lines");
  std::string longLine;
  for (int i = 1; i <= 60; ++i) {
    char word[8];
    std::snprintf(word, sizeof word, "w%03d ", i);
    longLine += word;
  }
  longLine.pop_back();
  int pagesBegun = 0;
  {
    std::unique_ptr<PrintSurface> printer = Win32PrinterService().DefaultPrinter(title);
    ASSERT_NE(printer, nullptr);
    CountingSurface counting(*printer);
    // The font is fixed-pitch: every character as wide as the average.
    EXPECT_EQ(printer->TextWidth("iiiiiiiiii"), printer->TextWidth("WWWWWWWWWW"));
    EXPECT_EQ(printer->TextWidth("iiiiiiiiii"), 10 * printer->AverageCharWidth());
    // 10 points at the printer's resolution.
    HDC dc = static_cast<PrinterSurface*>(printer.get())->Dc();
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, MulDiv(10, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 2);
    ASSERT_GT(printer->TextWidth(longLine), printer->PageWidth()) << "the long line must be wider than the page";

    TextPrinter lines(counting);
    lines.WriteLine("Tidewell printing test " + title);
    lines.WriteLine(longLine);
    lines.WriteLine("after\tthe\ttabs");
    // Enough lines to need a second page.
    const int perPage = printer->PageHeight() / (printer->TextHeight("x") + 2);
    for (int i = 1; i <= perPage + 5; ++i) lines.WriteLine("line " + std::to_string(i));
    lines.WriteLine("the end");
    lines.Close();
    pagesBegun = counting.pages;
  }
  EXPECT_GE(pagesBegun, 2);

  const std::string pdf = WaitForPdf(title);
  ASSERT_FALSE(pdf.empty()) << "no PDF named " << title << " appeared in " << outputFolder_;
  const Printed printed = ReadPdf(pdf);
  EXPECT_EQ(printed.pages, pagesBegun);
  const std::vector<std::string> lines = SplitLines(printed.text);
  ASSERT_FALSE(lines.empty()) << printed.text;
  EXPECT_NE(printed.text.find("Tidewell printing test " + title), std::string::npos) << printed.text;
  EXPECT_NE(printed.text.find("the end"), std::string::npos);

  // The long line is continued on the lines below it rather than cut off: the printed lines
  // are its consecutive pieces, each broken where the page ends.
  std::size_t first = 0;
  while (first < lines.size() && lines[first].rfind("w001", 0) != 0) ++first;
  ASSERT_LT(first, lines.size()) << printed.text;
  std::size_t taken = 0;
  std::size_t next = first;
  while (taken < longLine.size() && next < lines.size() && !lines[next].empty()) {
    EXPECT_EQ(lines[next], longLine.substr(taken, lines[next].size())) << printed.text;
    taken += lines[next++].size();
    // A blank that ended a printed line is not shown by the text extraction.
    if (taken < longLine.size() && longLine[taken] == ' ' && next < lines.size() && lines[next].rfind(' ', 0) != 0) {
      ++taken;
    }
  }
  EXPECT_EQ(taken, longLine.size()) << printed.text;
  EXPECT_GE(next - first, 2u) << "the long line was not broken";
  // Tabs stop every 8 characters of the fixed-pitch font.
  EXPECT_NE(printed.text.find("after   the     tabs"), std::string::npos) << printed.text;

  // Every numbered line arrived, in order, over the pages.
  std::size_t at = 0;
  for (int i = 1; i <= 5; ++i) {
    at = printed.text.find("line " + std::to_string(i) + "\n", at);
    EXPECT_NE(at, std::string::npos) << i;
  }
}

// Presses OK in the print dialog once it shows (the dialog runs its own message loop, where
// this thread's timer still fires).
VOID CALLBACK PressOkInPrintDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  static int ticks = 0;
  ++ticks;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (lstrcmpW(className, L"#32770") == 0 && ::IsWindowVisible(window)) {
          ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return TRUE;
      },
      0);
  if (ticks > 100) ::KillTimer(nullptr, timer);
}

TEST_F(RealPrinter, ThePrintDialogGivesTheChosenPrinter) {
  const std::string title = UniqueTitle("dialog");
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 300, &PressOkInPrintDialog);
  std::unique_ptr<PrintSurface> printer = Win32PrinterService().ChoosePrinter(nullptr, title);
  ::KillTimer(nullptr, timer);
  ASSERT_NE(printer, nullptr) << "the print dialog was cancelled";
  {
    TextPrinter lines(*printer);
    lines.WriteLine("Printed after the print dialog: " + title);
    lines.Close();
  }
  printer.reset();
  const std::string pdf = WaitForPdf(title);
  ASSERT_FALSE(pdf.empty()) << "no PDF named " << title << " appeared in " << outputFolder_;
  const Printed printed = ReadPdf(pdf);
  EXPECT_EQ(printed.pages, 1);
  EXPECT_NE(printed.text.find("Printed after the print dialog: " + title), std::string::npos) << printed.text;
}

}  // namespace
}  // namespace tw
