// tidewell-refresh-bench: the main window's list inside one process, on the catalogue as
// seeded, against the raw registry floor over the same catalogues measured in the same run.
//
//   tidewell-refresh-bench --entries N [--reps R] [--breakdown]
//
// Per listed row it measures:
//   floor    enumerate every catalogue the refresh reads and read DisplayName and
//            UninstallString of each entry with the bare API;
//   scan     the refresh's scan on its own: every catalogue with usage records, uninstaller
//            tests and icon plans, into a row vector;
//   refresh  RefreshProgramList on a shown main window in the details view, and the list's
//            paint (which extracts the icons of the rows on screen).
// With --breakdown it also measures where the window's time goes beyond the scan, each piece
// on its own as the refresh does it (the locale's sort keys and the sort; room for every row
// in both image lists; the list told its item count; the list painted again), and the start
// of a new main window as the program runs it: Create (the first refresh, in the large-icons
// view), Show (placement and the first paint), and the first activation (the stored view
// style applied and painted). A last, untimed pass counts the list's requests for row data
// (LVN_GETDISPINFO) in each step and the memory a new window takes. Every figure is the median
// of R runs (default 7), taken round-robin after one run unmeasured; N only names the
// figures: "name: value" lines at the end.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchSettings.h"
#include "RawFloor.h"
#include "forms/FormMain.h"
#include "forms/ModalForm.h"
#include "win32/ShellServices.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Printing.h"
#include "win32/WinText.h"

namespace {

using tw::bench::Median;
using tw::bench::Seconds;

// Message boxes would stop the run: they are counted instead.
class CountingPrompts : public tw::Prompts {
 public:
  int Show(HWND, const std::string&, const std::optional<std::string>&, unsigned) override {
    ++shown;
    return IDOK;
  }
  int shown = 0;
};

// Runs the messages waiting, paints included, until none is left.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// While installed, watches every list view of this thread: how often the list asks its
// window for row data (LVN_GETDISPINFO: all, and those asking for a text or an image), and
// how long the list takes over each message sent to it (the outermost only, so that a
// message handled inside another is not counted twice).
class ListProfile {
 public:
  ListProfile() {
    profile_ = this;
    call_ = SetWindowsHookExW(WH_CALLWNDPROC, &Call, nullptr, GetCurrentThreadId());
    done_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &Done, nullptr, GetCurrentThreadId());
  }
  ListProfile(const ListProfile&) = delete;
  ListProfile& operator=(const ListProfile&) = delete;
  ~ListProfile() {
    UnhookWindowsHookEx(call_);
    UnhookWindowsHookEx(done_);
    profile_ = nullptr;
  }

  /// One line: the requests for row data and the messages that took the list longest.
  void Print(const char* step) const {
    std::printf("# %-22s row data asked %5d times (%d text, %d image) and given in %.1f ms; list busy", step, all_,
                texts_, images_, answering_ * 1000);
    std::vector<std::pair<double, UINT>> longest;
    for (const auto& [message, busy] : busy_) longest.push_back({busy.seconds, message});
    std::sort(longest.rbegin(), longest.rend());
    double total = 0;
    for (const auto& [seconds, message] : longest) total += seconds;
    std::printf(" %.1f ms:", total * 1000);
    for (std::size_t i = 0; i < longest.size() && i < 4; ++i) {
      const Busy& busy = busy_.at(longest[i].second);
      std::printf(" %s %.1f ms (%dx)", MessageName(longest[i].second).c_str(), longest[i].first * 1000, busy.count);
    }
    std::printf("\n");
  }

 private:
  struct Busy {
    double seconds = 0;
    int count = 0;
  };

  static bool IsList(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return std::wstring(name) == WC_LISTVIEWW;
  }

  static std::string MessageName(UINT message) {
    static const std::map<UINT, const char*> kNames = {
        {WM_SIZE, "WM_SIZE"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_PAINT, "WM_PAINT"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_NCPAINT, "WM_NCPAINT"},
        {WM_SETREDRAW, "WM_SETREDRAW"},
        {WM_STYLECHANGED, "WM_STYLECHANGED"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {LVM_SETITEMCOUNT, "LVM_SETITEMCOUNT"},
        {LVM_SETITEMSTATE, "LVM_SETITEMSTATE"},
        {LVM_ENSUREVISIBLE, "LVM_ENSUREVISIBLE"},
        {LVM_SETCOLUMNW, "LVM_SETCOLUMN"},
        {LVM_GETITEMCOUNT, "LVM_GETITEMCOUNT"},
        {LVM_GETNEXTITEM, "LVM_GETNEXTITEM"},
    };
    const auto found = kNames.find(message);
    if (found != kNames.end()) return found->second;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", message);
    return hex;
  }

  static LRESULT CALLBACK Call(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && profile_ != nullptr) {
      if (call->message == WM_NOTIFY) {
        const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(call->lParam);
        if (info->hdr.code == LVN_GETDISPINFOW) {
          profile_->asked_ = Seconds();
          ++profile_->all_;
          profile_->texts_ += (info->item.mask & LVIF_TEXT) != 0;
          profile_->images_ += (info->item.mask & LVIF_IMAGE) != 0;
        }
      }
      if (IsList(call->hwnd) && profile_->depth_++ == 0) profile_->started_ = Seconds();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static LRESULT CALLBACK Done(int code, WPARAM wParam, LPARAM lParam) {
    const auto* ret = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && profile_ != nullptr && ret->message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(ret->lParam)->code == LVN_GETDISPINFOW) {
      profile_->answering_ += Seconds() - profile_->asked_;
    }
    if (code == HC_ACTION && profile_ != nullptr && IsList(ret->hwnd) && profile_->depth_ > 0 &&
        --profile_->depth_ == 0) {
      Busy& busy = profile_->busy_[ret->message];
      busy.seconds += Seconds() - profile_->started_;
      ++busy.count;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline ListProfile* profile_ = nullptr;
  HHOOK call_ = nullptr;
  HHOOK done_ = nullptr;
  int all_ = 0, texts_ = 0, images_ = 0;
  int depth_ = 0;
  double started_ = 0;
  double asked_ = 0, answering_ = 0;  // the window's answers to the requests for row data
  std::map<UINT, Busy> busy_;
};

double WorkingSetMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.WorkingSetSize) / 1048576.0;
}

// The refresh's sort on its own: the locale's sort key of every caption, then the order.
int SortByKeys(tw::Locale& locale, const std::vector<std::string>& captions) {
  std::vector<std::string> keys;
  keys.reserve(captions.size());
  for (const std::string& caption : captions) keys.push_back(locale.SortKey(caption));
  std::vector<std::size_t> order(captions.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  return static_cast<int>(order.size());
}

// Room for every row in a large and a small image list in one step, as after a scan.
int IconSlots(int rows) {
  HIMAGELIST large = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 64, 256);
  HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 64, 256);
  ImageList_SetImageCount(large, static_cast<UINT>(rows));
  ImageList_SetImageCount(small, static_cast<UINT>(rows));
  const int count = ImageList_GetImageCount(large);
  ImageList_Destroy(large);
  ImageList_Destroy(small);
  return count;
}

struct Figure {
  std::string name;
  std::function<int()> run;
  std::vector<double> seconds;
  int result = 0;
};

// The start of a new main window in its three steps, each timed.
struct StartSteps {
  double create = 0, show = 0, activate = 0;
  int rows = 0;
};

StartSteps StartWindow(tw::Services& services) {
  StartSteps steps;
  tw::TfrmMain form(services);
  const double start = Seconds();
  form.Create();
  const double created = Seconds();
  form.Show(SW_SHOWNORMAL);
  const double shown = Seconds();
  Pump();  // the first activation: the stored settings, the view style, its paint
  steps.create = created - start;
  steps.show = shown - created;
  steps.activate = Seconds() - shown;
  steps.rows = form.RowCount();
  DestroyWindow(form.Handle());
  Pump();
  return steps;
}

int Usage() {
  std::fprintf(stderr, "usage: tidewell-refresh-bench --entries N [--reps R] [--breakdown]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int size = 0;
  int reps = 7;
  bool breakdown = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--entries" && i + 1 < argc) {
      size = _wtoi(argv[++i]);
    } else if (arg == L"--reps" && i + 1 < argc) {
      reps = std::max(1, _wtoi(argv[++i]));
    } else if (arg == L"--breakdown") {
      breakdown = true;
    } else {
      return Usage();
    }
  }
  if (size <= 0) return Usage();

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitialize(nullptr);

  tw::Win32Platform system;
  tw::Platform& platform = system.platform;
  tw::Win32ProcessStarter process;
  tw::Win32ShellOpener shell;
  CountingPrompts prompts;
  tw::Win32MenuTracker menus;
  tw::Win32ModalRunner modal;
  tw::Win32PrinterService printers;
  tw::Win32FileDialogs fileDialogs;
  tw::UninstallLog log(platform.files, platform.ansi, platform.locale, platform.clock, "C:\\");
  tw::Services services{platform, process, shell, prompts, menus, modal, printers, fileDialogs, log, "C:\\", {}};

  const int listed = tw::bench::FloorOfEveryCatalogue();
  if (listed == 0) {
    std::fprintf(stderr, "tidewell-refresh-bench: the catalogues list nothing (seeded?)\n");
    return 1;
  }
  tw::bench::SavedSettings saved;
  tw::bench::SavedSettings::UseView(static_cast<int>(tw::ViewStyle::Details));

  tw::TfrmMain form(services);
  form.Create();
  form.Show(SW_SHOWNORMAL);
  form.SetViewStyle(tw::ViewStyle::Details);
  Pump();
  const HWND list = form.ListView();
  std::vector<std::string> captions;
  for (int i = 0; i < form.RowCount(); ++i) captions.push_back(form.RowAt(i).caption);

  // The scan's own icon source, as the window's: plans recorded, nothing extracted.
  tw::ImageListIconSource scanIcons(tw::UniqueHImageList(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 64, 256)),
                                    tw::UniqueHImageList(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 64, 256)),
                                    LoadIcon(nullptr, IDI_APPLICATION), LoadIcon(nullptr, IDI_APPLICATION),
                                    tw::ImageListIconSource::Mode::Deferred);
  std::vector<StartSteps> starts;
  std::vector<double> largeIcons;  // the refresh alone, in the large-icons view

  std::vector<Figure> figures;
  const auto add = [&figures](std::string name, std::function<int()> run) {
    figures.push_back(Figure{std::move(name), std::move(run), {}, 0});
  };
  add("floor", [] { return tw::bench::FloorOfEveryCatalogue(); });
  add("scan", [&] {
    struct Sink : tw::ProgramSink {
      std::vector<tw::ProgramEntry> rows;
      void AddRow(tw::ProgramEntry&& row) override { rows.push_back(std::move(row)); }
    } sink;
    scanIcons.Reset();
    tw::ScanCatalogue(platform, sink, &scanIcons, true);
    return static_cast<int>(sink.rows.size());
  });
  add("refresh", [&] {
    form.RefreshProgramList();
    UpdateWindow(list);
    return form.RowCount();
  });
  if (breakdown) {
    add("window_sort_keys", [&] { return SortByKeys(platform.locale, captions); });
    add("window_icon_slots", [&] { return IconSlots(listed); });
    add("window_item_count", [&] {
      ListView_SetItemCountEx(list, 0, 0);
      ListView_SetItemCountEx(list, listed, 0);
      return ListView_GetItemCount(list);
    });
    add("window_refresh_large_icons", [&] {
      form.SetViewStyle(tw::ViewStyle::LargeIcons);
      Pump();
      const double start = Seconds();
      form.RefreshProgramList();
      UpdateWindow(list);
      const double seconds = Seconds() - start;
      form.SetViewStyle(tw::ViewStyle::Details);
      Pump();
      largeIcons.push_back(seconds);
      return form.RowCount();
    });
    add("window_paint", [&] {
      InvalidateRect(list, nullptr, TRUE);
      UpdateWindow(list);
      return form.RowCount();
    });
    add("start", [&] {
      starts.push_back(StartWindow(services));
      return starts.back().rows;
    });
  }

  // One round unmeasured, so that every figure sees the same warm caches; then the measured
  // rounds. Every figure must give the row count (the floor's).
  for (int round = 0; round <= reps; ++round) {
    for (Figure& f : figures) {
      Pump();
      const double start = Seconds();
      const int result = f.run();
      const double seconds = Seconds() - start;
      if (result != listed) {
        std::fprintf(stderr, "tidewell-refresh-bench: %s gave %d rows, the floor %d\n", f.name.c_str(), result, listed);
        return 1;
      }
      if (round > 0) f.seconds.push_back(seconds);
    }
  }

  const std::string n = std::to_string(size);
  std::map<std::string, double> us;
  for (const Figure& f : figures) us[f.name] = Median(f.seconds) * 1e6 / listed;
  std::printf("# %d entries seeded, %d listed; microseconds per listed row, median of %d runs\n", size, listed, reps);
  std::printf("refresh_floor_%s_us: %.2f\n", n.c_str(), us["floor"]);
  std::printf("refresh_%s_us: %.2f\n", n.c_str(), us["refresh"]);
  std::printf("refresh_scan_part_%s_us: %.2f\n", n.c_str(), us["scan"]);
  std::printf("refresh_window_part_%s_us: %.2f\n", n.c_str(), us["refresh"] - us["scan"]);
  std::printf("refresh_vs_floor_%s: %.2f\n", n.c_str(), us["refresh"] / us["floor"]);

  if (breakdown) {
    starts.erase(starts.begin());  // the unmeasured round's
    std::vector<double> create, show, activate;
    for (const StartSteps& s : starts) {
      create.push_back(s.create);
      show.push_back(s.show);
      activate.push_back(s.activate);
    }
    double rest = us["refresh"] - us["scan"];
    for (const char* piece : {"window_sort_keys", "window_icon_slots", "window_item_count", "window_paint"}) {
      std::printf("%s_%s_us: %.2f\n", piece, n.c_str(), us[piece]);
      rest -= us[piece];
    }
    std::printf("window_rest_%s_us: %.2f\n", n.c_str(), rest);
    largeIcons.erase(largeIcons.begin());
    std::printf("refresh_large_icons_%s_us: %.2f\n", n.c_str(), Median(largeIcons) * 1e6 / listed);
    std::printf("start_create_%s_ms: %.1f\n", n.c_str(), Median(create) * 1000);
    std::printf("start_show_%s_ms: %.1f\n", n.c_str(), Median(show) * 1000);
    std::printf("start_activate_%s_ms: %.1f\n", n.c_str(), Median(activate) * 1000);

    // Untimed: what the list asks for in each step, and a new window's memory.
    auto count = [](const char* step, const std::function<void()>& run) {
      ListProfile profile;
      run();
      profile.Print(step);
    };
    count("refresh", [&] { form.RefreshProgramList(); });
    count("paint after refresh", [&] { UpdateWindow(list); });
    const double before = WorkingSetMegabytes();
    {
      tw::TfrmMain fresh(services);
      count("new window: Create", [&] { fresh.Create(); });
      count("new window: Show", [&] { fresh.Show(SW_SHOWNORMAL); });
      count("new window: activation", [&] { Pump(); });
      std::printf("window_working_set_mb_%s: %.1f\n", n.c_str(), WorkingSetMegabytes() - before);
      DestroyWindow(fresh.Handle());
      Pump();
    }
  }
  if (prompts.shown > 0) std::printf("# %d message boxes were counted during the run\n", prompts.shown);
  DestroyWindow(form.Handle());
  Pump();
  CoUninitialize();
  return 0;
}
