// tidewell-process-bench: what a user waits for, whole processes on the catalogue as seeded,
// against the raw floor and a peer, interleaved in one run.
//
//   tidewell-process-bench --entries N [--reps R] [--memory-reps M] [--view STYLE]
//                          [--tidewell EXE] [--peer EXE]
//
// Each round starts, one after the other, each of these and waits for it:
//   floor   tidewell-floor.exe: enumerates the three catalogues and reads each entry's two
//           values, nothing else; it ends at once;
//   peer    the system's own uninstaller with --list (names only, no usage record, no
//           uninstaller test, no icon), its list sent to a file;
//   rfs     tidewell.exe /RFS FILE: the short report of the whole list to a file;
//   gui     tidewell.exe: from the start until the main window's list holds every row and its
//           message loop is idle (it waits for input idle, then asks the list for its item
//           count and sends the window a message that returns only once the loop runs);
//           then, in the same run, until every row in view has its icon drawn: the window
//           answers how many rows in view still wait for their icons, and the list has nothing
//           left to paint. Then the window is closed. It runs in the view style asked for,
//           and again (gui_large_icons) in the large-icons view a first run opens in.
// Times are wall times from the call that starts the process. Peak memory is the process's
// peak working set: the window's is read at the end of each timed run; the processes that end
// by themselves are run M more times (default 3) with their peak sampled every few
// milliseconds (Wine forgets a process's counters as soon as it ends), so it may miss what
// the last milliseconds add. Sampling slows the process sampled a lot: no time is taken
// from those runs.
// The window runs in the view style STYLE (0 large icons, 1 small icons, 2 list, 3 details,
// the default) at its design size; the settings found are put back at the end. Every
// figure is the median of R rounds (default 7) after one round unmeasured. Results are
// checked: the floor's count, the window's rows and the report's lines must all be the number
// of entries listed. N only names the figures: "name_N: value" lines at the end.

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchSettings.h"
#include "DemoSeeder.h"
#include "RawFloor.h"
#include "forms/FormMain.h"

namespace {

using tw::bench::Median;
using tw::bench::Seconds;

constexpr DWORD kPatience = 300000;  // ms a run may take before it counts as hung
constexpr DWORD kSampleEvery = 5;    // ms between samples of a running process's memory
constexpr DWORD kPollEvery = 5;      // ms between questions to the window

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / 1048576.0; }

// A started process, ended and released on every path.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (info_.hProcess == nullptr) return;
    if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(info_.hProcess, 99);
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }

  /// Starts a command line with its output (both streams) sent to `outputFile`, or to
  /// nowhere when it is empty.
  bool Start(const std::wstring& commandLine, const std::wstring& outputFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = ::CreateFileW(outputFile.empty() ? L"NUL" : outputFile.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_ALWAYS,
                                  0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring line = commandLine;
    const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                          nullptr, nullptr, &startup, &info_);
    if (output != INVALID_HANDLE_VALUE) ::CloseHandle(output);
    if (!started) info_ = {};
    return started != FALSE;
  }

  HANDLE Handle() const { return info_.hProcess; }
  DWORD Id() const { return info_.dwProcessId; }

  /// The peak working set so far; 0 once the process has ended.
  SIZE_T PeakWorkingSet() const {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return ::GetProcessMemoryInfo(info_.hProcess, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
  }

  /// Waits for the end; false when it did not end in time.
  bool Wait() { return ::WaitForSingleObject(info_.hProcess, kPatience) == WAIT_OBJECT_0; }

  /// Waits for the end, sampling the peak working set meanwhile; false when it did not end in
  /// time. Each sample costs the process being measured: the times are taken in other runs.
  bool WaitSampling(SIZE_T& peak) {
    const double deadline = Seconds() + kPatience / 1000.0;
    while (::WaitForSingleObject(info_.hProcess, kSampleEvery) == WAIT_TIMEOUT) {
      peak = std::max(peak, PeakWorkingSet());
      if (Seconds() > deadline) return false;
    }
    return true;
  }

  DWORD ExitCode() const {
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
};

struct Measurement {
  double seconds = 0;
  double secondsToIcons = 0;  // the window only
  SIZE_T peak = 0;
};

// The top-level window of a class that a process owns.
HWND WindowOf(DWORD processId, const wchar_t* className) {
  struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND found;
  } search{processId, className, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (owner != s.processId || std::wcscmp(name, s.className) != 0) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } search{className, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (std::wcscmp(name, s.className) != 0) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Sends a message and waits for the answer; nullopt when the window did not answer in time.
std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &answer)) return std::nullopt;
  return static_cast<LRESULT>(answer);
}

// How many lines a file holds after its first line that is exactly `after` ("" from the start).
int LinesAfter(const std::wstring& path, const std::string& after) {
  // Opened sharing everything: a process started by the one measured (the desktop window's)
  // may have inherited the output handle and keep it open.
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  std::string text;
  char buffer[65536];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  ::CloseHandle(file);
  int lines = 0;
  bool counting = after.empty();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (counting) {
      ++lines;
    } else if (line == after) {
      counting = true;
    }
    start = end + 1;
  }
  return lines;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

struct Programs {
  std::wstring floor, peer, tidewell;
  int view = 3;
  int listed = 0;  // what the catalogue lists: the floor's count
};

// A process that ends by itself: its time, or (`memory`) its peak memory. Its exit status
// must be `status`; a report or list it writes is checked by `check`, which says what is
// wrong, or "".
std::optional<Measurement> RunToEnd(bool memory, const std::wstring& commandLine, const std::wstring& outputFile,
                                    DWORD status, const std::function<std::string()>& check, std::string& error) {
  Measurement m;
  Child child;
  const double start = Seconds();
  if (!child.Start(commandLine, outputFile)) {
    error = "cannot start";
    return std::nullopt;
  }
  if (!(memory ? child.WaitSampling(m.peak) : child.Wait())) {
    error = "did not end";
    return std::nullopt;
  }
  m.seconds = Seconds() - start;
  if (child.ExitCode() != status) {
    error = "ended with status " + std::to_string(child.ExitCode()) + ", expected " + std::to_string(status);
    return std::nullopt;
  }
  if (check) error = check();
  if (!error.empty()) return std::nullopt;
  return m;
}

std::optional<Measurement> RunWindow(const Programs& programs, int view, std::string& error) {
  static const UINT waitingForIcons = ::RegisterWindowMessageW(tw::kRowsWaitingForIconsMessage);
  tw::bench::SavedSettings::UseView(view);
  Measurement m;
  Child child;
  const double start = Seconds();
  if (!child.Start(Quoted(programs.tidewell), L"")) {
    error = "cannot start";
    return std::nullopt;
  }
  if (::WaitForInputIdle(child.Handle(), kPatience) != 0) {
    error = "never idle";
    return std::nullopt;
  }
  const double deadline = Seconds() + kPatience / 1000.0;
  HWND main = nullptr, list = nullptr;
  // The list holds every row and the window's message loop runs.
  while (true) {
    if (main == nullptr) main = WindowOf(child.Id(), L"TidewellMain");
    if (main != nullptr && list == nullptr) list = ChildOfClass(main, WC_LISTVIEWW);
    if (list != nullptr) {
      const auto rows = Ask(list, LVM_GETITEMCOUNT);
      if (rows && *rows == programs.listed && Ask(main, WM_NULL)) break;
    }
    if (Seconds() > deadline || ::WaitForSingleObject(child.Handle(), kPollEvery) == WAIT_OBJECT_0) {
      error = "the list never showed " + std::to_string(programs.listed) + " rows";
      return std::nullopt;
    }
  }
  m.seconds = Seconds() - start;
  // Every row in view has its icon, and the list has nothing left to paint.
  while (true) {
    const auto waiting = Ask(main, waitingForIcons);
    if (waiting && *waiting == 0 && !::GetUpdateRect(list, nullptr, FALSE)) break;
    if (Seconds() > deadline || ::WaitForSingleObject(child.Handle(), kPollEvery) == WAIT_OBJECT_0) {
      error = "the rows in view never got their icons";
      return std::nullopt;
    }
  }
  m.secondsToIcons = Seconds() - start;
  m.peak = child.PeakWorkingSet();
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(child.Handle(), kPatience) != WAIT_OBJECT_0) {
    error = "did not close";
    return std::nullopt;
  }
  return m;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tidewell-process-bench --entries N [--reps R] [--memory-reps M] [--view STYLE]\n"
               "                              [--tidewell EXE] [--peer EXE]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring here = tw::demo::ProgramFolder();
  Programs programs;
  programs.floor = here + L"\\tidewell-floor.exe";
  programs.tidewell = here + L"\\..\\src\\tidewell.exe";
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  programs.peer = std::wstring(system) + L"\\uninstaller.exe";
  int entries = 0;
  int reps = 7;
  int memoryReps = 3;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasNext = i + 1 < argc;
    if (arg == L"--entries" && hasNext) {
      entries = _wtoi(argv[++i]);
    } else if (arg == L"--reps" && hasNext) {
      reps = std::max(1, _wtoi(argv[++i]));
    } else if (arg == L"--memory-reps" && hasNext) {
      memoryReps = std::max(1, _wtoi(argv[++i]));
    } else if (arg == L"--view" && hasNext) {
      programs.view = std::clamp(_wtoi(argv[++i]), 0, 3);
    } else if (arg == L"--tidewell" && hasNext) {
      programs.tidewell = argv[++i];
    } else if (arg == L"--peer" && hasNext) {
      programs.peer = argv[++i];
    } else {
      return Usage();
    }
  }
  if (entries <= 0) return Usage();
  programs.listed = tw::bench::FloorOfEveryCatalogue();

  tw::bench::SavedSettings saved;
  // The report and the peer's list go beside this program, and are removed at the end.
  const std::wstring report = here + L"\\tidewell-bench-report.txt";
  const std::wstring peerList = here + L"\\tidewell-bench-peer.txt";

  struct Figure {
    std::string name;
    std::function<std::optional<Measurement>(bool memory, std::string&)> run;
    std::vector<Measurement> runs;     // timed
    std::vector<Measurement> samples;  // memory
  };
  const int listed = programs.listed;
  std::vector<Figure> figures;
  figures.push_back({"floor", [&](bool memory, std::string& error) {
                       return RunToEnd(memory, Quoted(programs.floor), L"", static_cast<DWORD>(listed), {}, error);
                     }, {}, {}});
  figures.push_back({"peer", [&](bool memory, std::string& error) {
                       // It lists every entry with a name, a few more than the program list.
                       return RunToEnd(memory, Quoted(programs.peer) + L" --list", peerList, 0, [&] {
                         const int lines = LinesAfter(peerList, "");
                         return lines >= listed * 9 / 10 ? std::string()
                                                         : "listed " + std::to_string(lines) + " entries";
                       }, error);
                     }, {}, {}});
  figures.push_back({"rfs", [&](bool memory, std::string& error) {
                       return RunToEnd(memory, Quoted(programs.tidewell) + L" /RFS " + Quoted(report), L"", 0, [&] {
                         // The header ends with two empty lines; then one line per row.
                         const int lines = LinesAfter(report, "INSTALLED PROGRAMS:") - 2;
                         return lines == listed ? std::string() : "reported " + std::to_string(lines) + " rows";
                       }, error);
                     }, {}, {}});
  // The window's peak is read once it is idle with its icons drawn, in the timed runs. It runs
  // in the view asked for, and in the large-icons view a first run opens in.
  figures.push_back({"gui", [&](bool, std::string& error) { return RunWindow(programs, programs.view, error); }, {}, {}});
  if (programs.view != 0) {
    figures.push_back({"gui_large_icons", [&](bool, std::string& error) { return RunWindow(programs, 0, error); },
                       {}, {}});
  }

  // One round unmeasured (caches, the server's registry pages), then the timed rounds, each
  // running every process once in the same order, then the rounds that sample the memory of
  // the processes that end by themselves.
  for (int round = 0; round <= reps + memoryReps; ++round) {
    const bool memory = round > reps;
    for (Figure& f : figures) {
      const bool window = f.name.rfind("gui", 0) == 0;
      if (memory && window) continue;
      std::string error;
      const auto m = f.run(memory, error);
      if (!m) {
        std::fprintf(stderr, "tidewell-process-bench: %s (round %d): %s\n", f.name.c_str(), round, error.c_str());
        ::DeleteFileW(report.c_str());
        ::DeleteFileW(peerList.c_str());
        return 1;
      }
      if (memory) {
        f.samples.push_back(*m);
      } else if (round > 0) {
        f.runs.push_back(*m);
        if (window) f.samples.push_back(*m);
      }
    }
  }
  ::DeleteFileW(report.c_str());
  ::DeleteFileW(peerList.c_str());

  std::map<std::string, double> ms, mb;
  double iconsMs = 0, iconsAfterListMs = 0;
  for (const Figure& f : figures) {
    std::vector<double> seconds, peaks, icons, afterList;
    for (const Measurement& m : f.runs) {
      seconds.push_back(m.seconds);
      icons.push_back(m.secondsToIcons);
      afterList.push_back(m.secondsToIcons - m.seconds);
    }
    for (const Measurement& m : f.samples) peaks.push_back(Megabytes(m.peak));
    ms[f.name] = Median(seconds) * 1000;
    mb[f.name] = Median(peaks);
    if (f.name == "gui") {
      iconsMs = Median(icons) * 1000;
      iconsAfterListMs = Median(afterList) * 1000;
    }
  }
  const char* const kViews[] = {"large icons", "small icons", "list", "details"};
  std::printf("# %d entries seeded, %d listed; window in the %s view; medians of %d interleaved rounds\n", entries,
              listed, kViews[programs.view], reps);
  std::printf("# %-15s %10s %8s %10s\n", "", "ms", "x floor", "peak MB");
  for (const Figure& f : figures) {
    std::printf("# %-15s %10.1f %8.2f %10.1f\n", f.name.c_str(), ms[f.name], ms[f.name] / ms["floor"], mb[f.name]);
  }
  for (const Figure& f : figures) std::printf("%s_ms_%d: %.1f\n", f.name.c_str(), entries, ms[f.name]);
  std::printf("gui_icons_first_screen_ms_%d: %.1f\n", entries, iconsMs);
  std::printf("gui_icons_after_list_ms_%d: %.1f\n", entries, iconsAfterListMs);
  for (const Figure& f : figures) std::printf("%s_peak_mb_%d: %.1f\n", f.name.c_str(), entries, mb[f.name]);
  return 0;
}
