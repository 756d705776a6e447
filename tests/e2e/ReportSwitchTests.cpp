// The report switches on the real tidewell.exe, run on the seeded demo catalogue the way an
// administrator's script would run them: the report file's exact bytes against the real
// catalogue code's scan, the exit status, the settings written at the end, and a report
// that cannot be written (the message box, the window that stays open). Also /QU on a
// catalogue entry that is a registry link.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "DemoSeeder.h"
#include "catalogue/AuditReport.h"
#include "catalogue/UninstallInfoReader.h"
#include "support/RegistryLinks.h"
#include "util/Text.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Identity.h"
#include "win32/Win32Locale.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace tw {
namespace {

const wchar_t* const kSettingsKey = L"Software\\Quenmark\\Tidewell";

std::wstring InBuild(const char* relative) { return demo::ProgramFolder() + L"\\" + Widen(relative); }

// A started tidewell.exe.
struct Started {
  PROCESS_INFORMATION info{};
  ~Started() {
    if (info.hProcess != nullptr) {
      if (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info.hProcess, 99);
      ::CloseHandle(info.hProcess);
      ::CloseHandle(info.hThread);
    }
  }
  // The exit status, or -1 when the program did not end within the time.
  int Wait(DWORD milliseconds) {
    if (::WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    return static_cast<int>(code);
  }
};

bool Start(Started& run, const std::wstring& arguments, const std::wstring& folder) {
  std::wstring line = L"\"" + InBuild(TIDEWELL_EXE_PATH) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &run.info) != FALSE;
}

int RunAndWait(const std::wstring& commandLine) {
  Started run;
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &run.info)) {
    return -1;
  }
  return run.Wait(120000);
}

// The visible top-level windows of a process with a window class.
std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className) {
  struct Search {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
  } search{processId, className, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[64] = {};
        ::GetClassNameW(hwnd, name, 64);
        if (owner == s->processId && ::IsWindowVisible(hwnd) && lstrcmpiW(name, s->className) == 0) {
          s->found.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD processId, const wchar_t* className) {
  for (int i = 0; i < 600; ++i) {
    const std::vector<HWND> found = WindowsOf(processId, className);
    if (!found.empty()) return found.front();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

std::string TextOf(HWND hwnd) {
  wchar_t text[2048] = {};
  ::GetWindowTextW(hwnd, text, 2048);
  return Narrow(text);
}

// A string value of the program's settings, or "" when absent.
std::string Setting(const wchar_t* name) {
  wchar_t data[64] = {};
  DWORD size = sizeof data;
  const std::wstring key = std::wstring(kSettingsKey) + L"\\Desktop";
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return "";
  }
  return Narrow(data);
}

std::string ReadAll(const std::wstring& path) {
  Win32FileSystem files;
  std::string bytes, error;
  return files.ReadAll(Narrow(path), bytes, error) ? bytes : std::string("<unreadable: ") + error + ">";
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The names in a folder, "." and ".." left out.
std::set<std::wstring> NamesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  for (bool more = find.get() != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find.get(), &data)) {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  }
  return names;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  Win32FileSystem files;
  std::string error;
  std::unique_ptr<OutputFile> file = files.Create(Narrow(path), error);
  ASSERT_NE(file, nullptr) << error;
  ASSERT_TRUE(file->Write(bytes));
  ASSERT_TRUE(file->Close());
}

struct RowCollector : ProgramSink {
  std::vector<ProgramEntry> rows;
  void AddRow(ProgramEntry&& row) override { rows.push_back(std::move(row)); }
};

class ReportSwitches : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(RunAndWait(L"\"" + InBuild(TIDEWELL_SEEDER_PATH) + L"\""), 0) << "tidewell-seed failed";
  }

  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"tidewell-e2e-reports";
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* name : {L"out.txt", L"short.txt", L"out.txt.tidewell-tmp"}) {
      ::DeleteFileW((folder_ + L"\\" + name).c_str());
    }
    ::RemoveDirectoryW((folder_ + L"\\short.txt.tidewell-tmp").c_str());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  }

  // What the list shows: the real scan of the seeded catalogue in name order (the rows refer
  // to the scan's rows, which the fixture keeps).
  std::vector<AuditRow> ListedRows() {
    Win32Platform system;
    scanned_.rows.clear();
    ScanCatalogue(system.platform, scanned_, nullptr, true);
    std::stable_sort(scanned_.rows.begin(), scanned_.rows.end(), [&](const ProgramEntry& a, const ProgramEntry& b) {
      return system.locale.Compare(a.caption, b.caption) < 0;
    });
    std::vector<AuditRow> rows;
    for (const ProgramEntry& row : scanned_.rows) {
      rows.push_back({row.caption, row.command, row.uninstallerMissing});
    }
    return rows;
  }
  RowCollector scanned_;

  // The report of this computer, user and run for the listed rows, its fixed texts written
  // out as the user reads them. The names here are short enough to be kept whole.
  std::string ExpectedReport(const std::string& preparedOn, bool longFormat) {
    const std::string computer = ComputerName();
    const std::string user = UserName();
    EXPECT_LE(computer.size(), 15u) << computer;
    EXPECT_LE(user.size(), 15u) << user;
    std::string text = "Software Audit Report for: " + computer + "\r\n" +
                       "Prepared on " + preparedOn + "\r\n"
                       "\r\n"
                       "By Tidewell\r\n"
                       "Copyright (c) Quenmark. All rights reserved.\r\n"
                       "\r\n"
                       "Computer Name: " + computer + "\r\n" +
                       "User Name: " + user + "\r\n"
                       "\r\n"
                       "INSTALLED PROGRAMS:\r\n"
                       "\r\n"
                       "\r\n";
    for (const AuditRow& row : ListedRows()) {
      text += OneLine(std::string(row.caption)) + "\r\n";
      if (!longFormat) continue;
      text += "Uninstall Command: " + OneLine(std::string(row.uninstallCommand)) + "\r\n";
      if (row.uninstallerMissing) {
        text += "It seems that the uninstall program for this product (or one of its components) is missing. "
                "It is possible that you have already removed this program from your computer.\r\n";
      }
      text += "\r\n";
    }
    return text;
  }

  // Every "Prepared on" text of the seconds from `from` to now.
  static std::set<std::string> PreparedTexts(const FILETIME& from) {
    Win32Locale locale;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{from.dwLowDateTime, from.dwHighDateTime}};
    const ULARGE_INTEGER end{{now.dwLowDateTime, now.dwHighDateTime}};
    std::set<std::string> texts;
    for (; t.QuadPart <= end.QuadPart + 10000000ULL; t.QuadPart += 10000000ULL) {
      FILETIME utc{t.LowPart, t.HighPart}, local;
      SYSTEMTIME st;
      ::FileTimeToLocalFileTime(&utc, &local);
      ::FileTimeToSystemTime(&local, &st);
      texts.insert(PreparedOnText(locale, DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, 0}));
    }
    return texts;
  }

  // Checks a report file: the header of this computer, user and run, then the listed rows.
  void ExpectReport(const std::wstring& path, bool longFormat, const FILETIME& started) {
    Win32AnsiCodec ansi;
    const std::string report = ansi.FromAnsi(ReadAll(path));
    // Line 2 carries the date and time of the run.
    const std::size_t first = report.find("\r\n");
    const std::size_t second = report.find("\r\n", first + 2);
    ASSERT_NE(second, std::string::npos) << report;
    const std::string line2 = report.substr(first + 2, second - first - 2);
    ASSERT_EQ(line2.rfind("Prepared on ", 0), 0u) << line2;
    const std::string preparedOn = line2.substr(12);
    EXPECT_TRUE(PreparedTexts(started).count(preparedOn)) << preparedOn;
    EXPECT_EQ(ReadAll(path), ansi.ToAnsi(ExpectedReport(preparedOn, longFormat)));
  }

  std::wstring folder_;
};

TEST_F(ReportSwitches, LongAndShortReportsAreWrittenAndTheProgramEndsWithStatusZero) {
  struct Case {
    const wchar_t* arguments;
    const wchar_t* file;
    bool longFormat;
  } const cases[] = {
      {L"/RFL out.txt", L"out.txt", true},
      {L"/rfs short.txt", L"short.txt", false},
  };
  // A file and a folder of the user's whose names look like a report's temporary file.
  WriteFile(folder_ + L"\\out.txt.tidewell-tmp", "the user's own file");
  ASSERT_TRUE(::CreateDirectoryW((folder_ + L"\\short.txt.tidewell-tmp").c_str(), nullptr));
  for (const auto& c : cases) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    FILETIME started;
    ::GetSystemTimeAsFileTime(&started);
    Started run;
    ASSERT_TRUE(Start(run, c.arguments, folder_));
    EXPECT_EQ(run.Wait(120000), 0) << Narrow(c.arguments);
    const std::wstring path = folder_ + L"\\" + c.file;
    ExpectReport(path, c.longFormat, started);
    // The program ended as on any exit: its settings are written.
    EXPECT_EQ(Setting(L"WindowState"), "0") << Narrow(c.arguments);
    EXPECT_EQ(Setting(L"MainViewStyle"), "0") << Narrow(c.arguments);
  }
  // Nothing is left but the reports, and the user's file and folder are as they were.
  EXPECT_EQ(NamesIn(folder_), (std::set<std::wstring>{L"out.txt", L"out.txt.tidewell-tmp", L"short.txt",
                                                      L"short.txt.tidewell-tmp"}));
  EXPECT_EQ(ReadAll(folder_ + L"\\out.txt.tidewell-tmp"), "the user's own file");
  EXPECT_NE(::GetFileAttributesW((folder_ + L"\\short.txt.tidewell-tmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  // The demo holds entries whose uninstaller is gone: the long form says so.
  EXPECT_NE(ReadAll(folder_ + L"\\out.txt").find("It seems that the uninstall program for this product"),
            std::string::npos);
}

TEST_F(ReportSwitches, AReportIntoAMissingFolderIsShownAndTheProgramRunsOn) {
  const std::wstring target = folder_ + L"\\no such folder\\out.txt";
  Started run;
  ASSERT_TRUE(Start(run, L"/RFL \"" + target + L"\"", folder_));
  const HWND box = WaitForWindow(run.info.dwProcessId, L"#32770");
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(TextOf(box), "Tidewell");
  // The message names the file that could not be made: the report's temporary file there.
  const std::string message = TextOf(::GetDlgItem(box, 0xFFFF));
  EXPECT_EQ(message.rfind("Cannot create file \"" + Narrow(target) + ".", 0), 0u) << message;
  EXPECT_NE(message.find(".tidewell-tmp\". "), std::string::npos) << message;
  EXPECT_EQ(run.Wait(0), -1) << "the program ended";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);

  // The main window shows and stays until it is closed.
  const HWND main = WaitForWindow(run.info.dwProcessId, L"TidewellMain");
  ASSERT_NE(main, nullptr) << "the main window did not show";
  EXPECT_EQ(TextOf(main), "Tidewell");
  EXPECT_EQ(run.Wait(500), -1) << "the program ended by itself";
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(run.Wait(60000), 1);  // the report was not written: scripts see it in the status
  EXPECT_FALSE(Exists(target));
  EXPECT_EQ(Setting(L"WindowState"), "0");
}

TEST_F(ReportSwitches, AReportToADeviceIsWrittenStraightToIt) {
  // A device is not a file to replace: the report goes to it as it is, and nothing else is
  // made in the working folder.
  const std::set<std::wstring> before = NamesIn(folder_);
  const std::wstring arguments[] = {L"/RFS NUL", L"/rfl nul.txt", L"/RFS \"" + folder_ + L"\\Nul\"",
                                    L"/RFL \"\\\\.\\NUL\""};
  for (const std::wstring& line : arguments) {
    Started run;
    ASSERT_TRUE(Start(run, line, folder_));
    EXPECT_EQ(run.Wait(120000), 0) << Narrow(line);
  }
  EXPECT_EQ(NamesIn(folder_), before);
}

// ---------------------------------------------------------------------------------------
// /QU on an entry of the current user's catalogue that is a symbolic link, as any user can
// make one: the link goes, the key it points at stays byte for byte, and the switch writes
// no log records.

TEST(QuietRemoval, ALinkedEntryLosesTheLinkAndNeverTheKeyItPointsAt) {
  const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
  const std::wstring target = L"Software\\TidewellTest\\QuietTarget-" + pid;
  const std::wstring link = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TidewellQuietLink-" + pid;
  const std::string caption = "Quiet Linked Entry " + Narrow(pid);
  Win32RegistryStore store;
  ASSERT_TRUE(store.OpenPath(Narrow(target) + "\\Sub\\Deep", true));
  store.WriteValue("deep", RegValue{RegType::Binary, {4, 2}});
  ASSERT_TRUE(store.OpenPath(Narrow(target), false));
  store.WriteValue("DisplayName", RegValue::Text(caption));
  store.WriteValue("UninstallString", RegValue::Text("cmd.exe /c exit 0"));
  store.WriteValue("EstimatedSize", RegValue::Number(1234));
  store.ClosePath();
  const std::vector<std::string> before = test::RegistryTree(HKEY_CURRENT_USER, target);
  ASSERT_EQ(before.size(), 7u);  // three keys, four values
  ASSERT_TRUE(test::MakeRegistryLink(HKEY_CURRENT_USER, link, test::CurrentUserNtPath(target)));

  const std::wstring exe = InBuild(TIDEWELL_EXE_PATH);
  const std::wstring log = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"ULOG.TXT";
  const std::string logBefore = ReadAll(log);
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  Started run;
  ASSERT_TRUE(Start(run, L"/QU \"" + Widen(caption) + L"\"", temp));
  EXPECT_EQ(run.Wait(120000), 0);

  EXPECT_FALSE(test::KeyItselfExists(HKEY_CURRENT_USER, link)) << "the link is still there";
  EXPECT_EQ(test::RegistryTree(HKEY_CURRENT_USER, target), before);
  EXPECT_EQ(ReadAll(log), logBefore);
  store.RemoveKey(Narrow(link));
  store.RemoveKey(Narrow(target));
}

// ---------------------------------------------------------------------------------------
// /RPL on the real default printer: the host's PDF queue made by scripts/printer-setup,
// read back with pdftotext.

// A host path as Wine sees it (drive Z: is the host's root).
std::wstring HostPath(const std::string& unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

// Runs a shell command on the host and gives its status (-1: it did not end) and output.
// Wine hands back no process to wait for, so the command reports its end through a file.
int RunOnHost(const std::string& command, std::string& output, int seconds) {
  static int counter = 0;
  const std::string base =
      "/tmp/tidewell-report-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
  std::wstring line = Widen("Z:\\bin\\sh -c \"export PATH=/usr/sbin:/usr/bin:/sbin:/bin; (" + command + ") >" + base +
                            ".out 2>&1; echo $? >" + base + ".tmp; mv " + base + ".tmp " + base + ".status\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};  // holds no real handles for a host program: never closed
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    output = "the host shell could not be started";
    return -1;
  }
  int status = -1;
  for (int i = 0; i < seconds * 10; ++i) {
    const std::string text = ReadAll(HostPath(base + ".status"));
    if (!text.empty() && text[0] != '<') {
      status = std::stoi(text);
      break;
    }
    ::Sleep(100);
  }
  output = ReadAll(HostPath(base + ".out"));
  ::DeleteFileW(HostPath(base + ".out").c_str());
  ::DeleteFileW(HostPath(base + ".status").c_str());
  return status;
}

// The lines of a text with something on them, without trailing blanks and page breaks.
std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    line.erase(std::remove(line.begin(), line.end(), '\f'), line.end());
    // The text extraction reads the font's hyphen as a soft hyphen (U+00AD).
    for (std::size_t at; (at = line.find("\xC2\xAD")) != std::string::npos;) line.replace(at, 2, "-");
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// ---------------------------------------------------------------------------------------
// The inventory switches on the demo catalogue: the files' exact bytes against the golden
// files tests/e2e/golden/demo-inventory.csv and .json, in which what depends on this machine
// stands as a placeholder: {demo}, {demo32}, {userapps} and {system} (the demo's folders and
// the system folder), {computer}, {user} and {created} (the time of the run, checked on its
// own). Both files are read by Python's standard parsers too. When the demo changes, the files
// this run made (kept in /tmp when they differ) become the golden files with the placeholders
// put back, after a look at every changed line.

class InventorySwitches : public ReportSwitches {
 protected:
  // A placeholder and what it stands for here.
  std::vector<std::pair<std::string, std::string>> Placeholders() const {
    const std::map<std::string, std::string> vars = demo::DemoVariables();
    return {{"{userapps}", vars.at("userapps")}, {"{demo32}", vars.at("demo32")}, {"{demo}", vars.at("demo")},
            {"{system}", vars.at("system")},     {"{computer}", ComputerName()},      {"{user}", UserName()}};
  }
  // A value as the JSON file writes it inside a string.
  static std::string JsonEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '\\' || c == '"') out += '\\';
      out += c;
    }
    return out;
  }
  static void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
      text.replace(at, from.size(), to);
    }
  }
  static std::string GoldenPath(const char* name) {
    return std::string(TIDEWELL_SOURCE_DIR) + "/tests/e2e/golden/" + name;
  }
  // The golden file with this machine's values in place of the placeholders.
  std::string Expected(const char* name, bool json, const std::string& created) const {
    std::string text = ReadAll(HostPath(GoldenPath(name)));
    for (const auto& [placeholder, value] : Placeholders()) {
      ReplaceAll(text, placeholder, json ? JsonEscaped(value) : value);
    }
    ReplaceAll(text, "{created}", created);
    return text;
  }
  // Every time of the seconds from `from` to now as the JSON file writes it: local, with the
  // offset from UTC.
  static std::set<std::string> CreatedTexts(const FILETIME& from) {
    std::set<std::string> texts;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart; };
    for (ULONGLONG t = ticks(from) - ticks(from) % 10000000ULL; t <= ticks(now); t += 10000000ULL) {
      const FILETIME utc{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
      FILETIME localTime;
      SYSTEMTIME utcDay, local;
      ::FileTimeToSystemTime(&utc, &utcDay);
      ::SystemTimeToTzSpecificLocalTime(nullptr, &utcDay, &local);
      ::SystemTimeToFileTime(&local, &localTime);
      const long long offset = (static_cast<long long>(ticks(localTime)) - static_cast<long long>(t)) / 600000000LL;
      char text[40];
      std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld", local.wYear, local.wMonth,
                    local.wDay, local.wHour, local.wMinute, local.wSecond, offset < 0 ? '-' : '+',
                    std::llabs(offset) / 60, std::llabs(offset) % 60);
      texts.insert(text);
    }
    return texts;
  }
};

TEST_F(InventorySwitches, RfjAndRfcWriteTheGoldenFilesAndStandardParsersReadThem) {
  const std::string base = "/tmp/tidewell-inventory-" + std::to_string(::GetCurrentProcessId());
  const std::wstring json = HostPath(base + ".json");
  const std::wstring csv = HostPath(base + ".csv");
  FILETIME started;
  ::GetSystemTimeAsFileTime(&started);
  for (const std::wstring& arguments : {L"/RFJ \"" + json + L"\"", L"/rfc \"" + csv + L"\""}) {
    Started run;
    ASSERT_TRUE(Start(run, arguments, folder_));
    EXPECT_EQ(run.Wait(120000), 0) << Narrow(arguments);
  }
  const std::string madeJson = ReadAll(json);
  const std::string madeCsv = ReadAll(csv);
  const std::string marker = "\"created\": \"";
  const std::size_t at = madeJson.find(marker);
  ASSERT_NE(at, std::string::npos) << madeJson;
  const std::string created = madeJson.substr(at + marker.size(), 25);
  EXPECT_TRUE(CreatedTexts(started).count(created)) << created;

  EXPECT_EQ(madeJson, Expected("demo-inventory.json", true, created)) << "made: " << base << ".json";
  EXPECT_EQ(madeCsv, Expected("demo-inventory.csv", false, "")) << "made: " << base << ".csv";

  std::string output;
  const int status = RunOnHost("python3 '" + std::string(TIDEWELL_SOURCE_DIR) + "/tests/e2e/inventory_check.py' '" +
                                   base + ".json' '" + base + ".csv'",
                               output, 120);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("inventory_check: ok"), std::string::npos) << output;
  // The files stay for a look when they differ from the golden files.
  if (!HasFailure()) {
    ::DeleteFileW(json.c_str());
    ::DeleteFileW(csv.c_str());
  }
}

class ReportOnThePrinter : public ReportSwitches {
 protected:
  void SetUp() override {
    ReportSwitches::SetUp();
    std::string output;
    const std::string script = std::string(TIDEWELL_SOURCE_DIR) + "/scripts/printer-setup";
    const int status = RunOnHost("'" + script + "'", output, 600);
    const std::size_t ready = output.find("printer-setup: ready: ");
    if (status != 0 || ready == std::string::npos) {
      GTEST_SKIP() << "no printer can exist here: scripts/printer-setup ended with status " << status << ": "
                   << output;
    }
    std::istringstream words(output.substr(ready + 22));
    std::string queue;
    words >> queue >> pdfFolder_;
  }

  // The first PDF of the report's title written after `since`, once complete.
  std::string WaitForReportPdf(const FILETIME& since) {
    const std::wstring pattern = HostPath(pdfFolder_ + "/*Audit_Report*.pdf");
    for (int i = 0; i < 240; ++i) {
      WIN32_FIND_DATAW data;
      UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &data));
      for (bool more = find.get() != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find.get(), &data)) {
        if (::CompareFileTime(&data.ftLastWriteTime, &since) < 0) continue;
        const std::string path = pdfFolder_ + "/" + Narrow(data.cFileName);
        std::string info;
        if (RunOnHost("pdfinfo '" + path + "'", info, 30) == 0 && info.find("Pages:") != std::string::npos) {
          return path;
        }
      }
      ::Sleep(250);
    }
    return {};
  }

  std::string pdfFolder_;
};

TEST_F(ReportOnThePrinter, RplPrintsTheLongReportWithWideLinesContinued) {
  FILETIME started;
  ::GetSystemTimeAsFileTime(&started);
  started.dwLowDateTime &= ~0xFFFFFFu;  // the host's file times may be coarser: a little earlier
  Started run;
  ASSERT_TRUE(Start(run, L"/rpl", folder_));
  EXPECT_EQ(run.Wait(120000), 0);
  const std::string pdf = WaitForReportPdf(started);
  ASSERT_FALSE(pdf.empty()) << "no new report PDF appeared in " << pdfFolder_;
  std::string text;
  ASSERT_EQ(RunOnHost("pdftotext -layout '" + pdf + "' -", text, 60), 0) << text;
  std::string removed;
  RunOnHost("rm -f '" + pdf + "'", removed, 10);

  const std::vector<std::string> printed = NonEmptyLines(text);
  ASSERT_GE(printed.size(), 3u) << text;
  ASSERT_EQ(printed[1].rfind("Prepared on ", 0), 0u) << text;
  const std::vector<std::string> expected = NonEmptyLines(ExpectedReport(printed[1].substr(12), true));

  // Each report line is one printed line, or several when it is wider than the page: the
  // printed pieces in a row make it up again (a blank where a line broke is not extracted).
  std::size_t next = 0;
  int continued = 0;
  for (const std::string& line : expected) {
    ASSERT_LT(next, printed.size()) << "the printout ends before: " << line << "\n" << text;
    std::string joined = printed[next++];
    while (joined.size() < line.size() && next < printed.size() && line.compare(0, joined.size(), joined) == 0) {
      if (line[joined.size()] == ' ' && printed[next].rfind(' ', 0) != 0) joined += ' ';
      joined += printed[next++];
      ++continued;
    }
    ASSERT_EQ(joined, line) << text;
  }
  EXPECT_EQ(next, printed.size()) << text;
  EXPECT_GT(continued, 0) << "no line was wide enough to continue: " << text;
}

}  // namespace
}  // namespace tw
