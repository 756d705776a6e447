// tidewell-refresh-bench: the main window's refresh end to end, into the real list view, on
// synthetic entries placed in the machine's real catalogue, against the raw registry floor
// over the same catalogues measured in the same run.
//
//   tidewell-refresh-bench [--reps R] SIZE [SIZE ...]
//
// For each size it seeds SIZE entries into HKEY_LOCAL_MACHINE\...\Uninstall (beside whatever
// the prefix holds), then measures per catalogue entry:
//   floor    enumerate every catalogue the refresh reads and read DisplayName and
//            UninstallString of each entry with the bare API;
//   refresh  RefreshProgramList on a shown main window, and the list's first paint (which
//            extracts the icons of the rows on screen);
// and removes the entries again. Every figure is the median of R runs. It ends with one
// "name: value" line per figure.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "RawFloor.h"
#include "DemoSeeder.h"
#include "forms/FormMain.h"
#include "forms/ModalForm.h"
#include "win32/ShellServices.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Locale.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Printing.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace {

using tw::bench::Median;
using tw::bench::Seconds;

constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The floor over every catalogue the refresh reads (one that does not exist counts none).
int RawFloor(HKEY root, const wchar_t* catalogueKey) { return std::max(0, tw::bench::RawFloor(root, catalogueKey)); }

int FloorOfEveryCatalogue() {
  return RawFloor(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall") +
         RawFloor(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall") +
         RawFloor(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
}

// Message boxes would stop the run: they are counted instead.
class CountingPrompts : public tw::Prompts {
 public:
  int Show(HWND, const std::string&, const std::optional<std::string>&, unsigned) override {
    ++shown;
    return IDOK;
  }
  int shown = 0;
};

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int reps = 5;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--reps" && i + 1 < argc) {
      reps = std::max(1, _wtoi(argv[++i]));
    } else {
      sizes.push_back(_wtoi(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {1000, 5000};
  std::sort(sizes.begin(), sizes.end());

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
  tw::Services services{platform, process, shell, prompts, menus, modal, printers, fileDialogs, log,
                        "C:\\", {}};
  const std::wstring uninstaller = tw::demo::ProgramFolder() + L"\\..\\demo\\tidewell-demo-uninstall.exe";

  std::map<int, double> floorUs, refreshUs, scanUs;
  for (int size : sizes) {
    const std::string prefix = "tidewell-refresh-" + std::to_string(size);
    tw::demo::SeedSynthetic(size, prefix, uninstaller, kUninstallKey);
    const int entries = FloorOfEveryCatalogue();

    tw::TfrmMain form(services);
    form.Create();
    form.Show(SW_SHOWNORMAL);
    form.SetViewStyle(tw::ViewStyle::Details);
    Pump();

    std::vector<double> floors, refreshes, scans;
    // One round unmeasured, so that every figure sees the same warm caches.
    FloorOfEveryCatalogue();
    form.RefreshProgramList();
    UpdateWindow(form.ListView());
    Pump();
    for (int r = 0; r < reps; ++r) {
      {
        // The catalogue scan alone, with usage records, uninstaller tests and icon plans.
        struct Sink : tw::ProgramSink {
          std::vector<tw::ProgramEntry> rows;
          void AddRow(tw::ProgramEntry&& row) override { rows.push_back(std::move(row)); }
        } sink;
        const double start = Seconds();
        tw::ScanCatalogue(platform, sink, nullptr, true);
        scans.push_back(Seconds() - start);
      }
      double start = Seconds();
      const int listed = FloorOfEveryCatalogue();
      floors.push_back(Seconds() - start);
      start = Seconds();
      form.RefreshProgramList();
      UpdateWindow(form.ListView());
      refreshes.push_back(Seconds() - start);
      if (form.RowCount() != listed) {
        std::fprintf(stderr, "tidewell-refresh-bench: the list shows %d rows, the floor read %d\n", form.RowCount(), listed);
      }
      Pump();
    }
    DestroyWindow(form.Handle());
    Pump();
    tw::demo::RemoveSynthetic(prefix, kUninstallKey);

    scanUs[size] = Median(scans) * 1e6 / entries;
    floorUs[size] = Median(floors) * 1e6 / entries;
    refreshUs[size] = Median(refreshes) * 1e6 / entries;
    std::printf("# %d entries listed (synthetic %d): floor %.1f us, refresh %.1f us per entry (median of %d)\n",
                entries, size, floorUs[size], refreshUs[size], reps);
  }
  const int large = sizes.back();
  const int small = sizes.front();
  for (int size : sizes) {
    std::printf("refresh_floor_%d_us: %.2f\n", size, floorUs[size]);
    std::printf("refresh_%d_us: %.2f\n", size, refreshUs[size]);
    std::printf("refresh_scan_part_%d_us: %.2f\n", size, scanUs[size]);
  }
  std::printf("refresh_vs_floor: %.2f\n", refreshUs[large] / floorUs[large]);
  if (large != small) {
    std::printf("refresh_growth_%d_vs_%d: %.2f\n", large, small, refreshUs[large] / refreshUs[small]);
  }
  if (prompts.shown > 0) std::printf("# %d message boxes were counted during the run\n", prompts.shown);
  CoUninitialize();
  return 0;
}
