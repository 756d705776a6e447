// tidewell-bench: the catalogue scan on synthetic catalogues of growing size, against the
// raw registry-enumeration floor measured in the same run.
//
//   tidewell-bench --catalogue N=PREFIX [--catalogue N=PREFIX ...] [--reps R] [--full-reps R]
//
// Each catalogue must have been seeded first (tidewell-seed --synthetic N --prefix PREFIX);
// scripts/bench seeds, runs and removes them. For each size it measures, per entry:
//   floor  open the catalogue, enumerate its sub keys, open each (relative to the catalogue
//          key) and read DisplayName and UninstallString with RegQueryValueExW;
//   scan   ScanUninstallKey without icons, usage lookup or uninstaller test;
//   full   ScanUninstallKey with the usage lookup, the uninstaller test and icons extracted
//          at once into image lists;
// and, to show where the scan's time goes, a few of its steps on their own. Every figure is
// the median of R runs, taken round-robin so that drift hits all alike. It ends with one
// "name: value" line per figure.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "RawFloor.h"
#include "DemoSeeder.h"
#include "catalogue/UninstallCommandChecker.h"
#include "catalogue/UninstallInfoReader.h"
#include "catalogue/UsageCache.h"
#include "util/CorRegToolsPlus.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Icons.h"
#include "win32/Win32Locale.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace {

using tw::bench::Median;
using tw::bench::Seconds;

using tw::RootKey::LocalMachine;

class CountingSink : public tw::ProgramSink {
 public:
  void AddRow(tw::ProgramEntry&& row) override {
    ++rows;
    missing += row.uninstallerMissing;
  }
  int rows = 0;
  int missing = 0;
};

struct Catalogue {
  int size = 0;
  std::string prefix;
  std::string key;
  std::vector<std::string> names;  // for the step figures
};

using Tools = tw::Win32Platform;

int Scan(Tools& tools, const Catalogue& c) {
  CountingSink sink;
  tw::ScanReport report;
  tw::ScanUninstallKey(tools.registry, tools.ansi, LocalMachine, c.key, sink, {}, false, report);
  return sink.rows;
}

int FullScan(Tools& tools, const Catalogue& c) {
  tw::ImageListIconSource icons(LoadIcon(nullptr, IDI_APPLICATION), LoadIcon(nullptr, IDI_APPLICATION));
  tw::ScanCollaborators collaborators;
  collaborators.usage = [&tools](const std::string& name) { return tw::LookupUsage(tools.platform.registry, name); };
  collaborators.uninstallerTest = [&tools](const std::string& command) {
    return tw::UninstallerPresent(tools.files, command);
  };
  collaborators.icons = &icons;
  CountingSink sink;
  tw::ScanReport report;
  tw::ScanUninstallKey(tools.registry, tools.ansi, LocalMachine, c.key, sink, collaborators, true, report);
  return sink.missing == 0 ? sink.rows : -sink.rows;
}

// The scan's steps one by one, each over every entry of the catalogue.
int StoreOpenClose(Tools& tools, const Catalogue& c) {
  auto store = tools.registry.NewStore();
  store->SelectRoot(LocalMachine);
  int opened = 0;
  for (const std::string& name : c.names) opened += store->OpenPath(c.key + "\\" + name, false);
  return opened;
}

int StoreOpenRead(Tools& tools, const Catalogue& c) {
  auto store = tools.registry.NewStore();
  store->SelectRoot(LocalMachine);
  int read = 0;
  for (const std::string& name : c.names) {
    if (!store->OpenPath(c.key + "\\" + name, false)) continue;
    read += store->QueryValue("DisplayName").has_value();
    read += store->QueryValue("UninstallString").has_value();
    read += store->QueryValue("DisplayIcon").has_value();
  }
  return read;
}

int RawFullPathOpenRead(const Catalogue& c) {
  int read = 0;
  BYTE buffer[2048];
  for (const std::string& name : c.names) {
    HKEY entry = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tw::Widen(c.key + "\\" + name).c_str(), 0, KEY_READ, &entry) !=
        ERROR_SUCCESS)
      continue;
    for (const wchar_t* value : {L"DisplayName", L"UninstallString"}) {
      DWORD type = 0, size = sizeof buffer;
      read += RegQueryValueExW(entry, value, nullptr, &type, buffer, &size) == ERROR_SUCCESS;
    }
    RegCloseKey(entry);
  }
  return read;
}

int RawReadWriteOpen(const Catalogue& c) {
  int opened = 0;
  for (const std::string& name : c.names) {
    HKEY entry = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, tw::Widen(c.key + "\\" + name).c_str(), 0,
                      KEY_READ | KEY_WRITE, &entry) == ERROR_SUCCESS) {
      ++opened;
      RegCloseKey(entry);
    }
  }
  return opened;
}

int UsageLookups(Tools& tools, const Catalogue& c) {
  int found = 0;
  for (const std::string& name : c.names) found += tw::LookupUsage(tools.platform.registry, name).has_value();
  return found;
}

int UninstallerTests(Tools& tools, const Catalogue& c) {
  // The commands are read once, outside the timing of this step, by the caller's warm-up.
  static std::map<std::string, std::vector<std::string>> cache;
  auto& list = cache[c.key];
  if (list.empty()) {
    for (const std::string& name : c.names)
      list.push_back(tw::ReadValueByPath(tools.registry, tw::MakeFullKeyPath(LocalMachine, c.key + "\\" + name),
                                         "UninstallString", tools.ansi));
  }
  int present = 0;
  for (const std::string& command : list) present += tw::UninstallerPresent(tools.files, command);
  return present;
}

// Image list growth on its own: one icon per row, the list grown a slot at a time with
// ImageList_SetImageCount and the slot filled with ImageList_ReplaceIcon (as the icon
// source does), or appended with ImageList_AddIcon (the list grows by its own steps).
int ImageListBySetCount(int rows, HICON icon) {
  HIMAGELIST list = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 64);
  for (int i = 0; i < rows; ++i) {
    ImageList_SetImageCount(list, static_cast<UINT>(i + 1));
    ImageList_ReplaceIcon(list, i, icon);
  }
  const int count = ImageList_GetImageCount(list);
  ImageList_Destroy(list);
  return count;
}

int ImageListByAddIcon(int rows, HICON icon, int initial) {
  HIMAGELIST list = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, initial, 64);
  for (int i = 0; i < rows; ++i) ImageList_AddIcon(list, icon);
  const int count = ImageList_GetImageCount(list);
  ImageList_Destroy(list);
  return count;
}

// The file test of the uninstaller check on the bare API, for comparison.
int RawFindFirst(const std::wstring& path, int times) {
  int found = 0;
  WIN32_FIND_DATAW data;
  for (int i = 0; i < times; ++i) {
    HANDLE h = FindFirstFileW(path.c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
      ++found;
      FindClose(h);
    }
  }
  return found;
}

int RawAttributes(const std::wstring& path, int times) {
  int found = 0;
  for (int i = 0; i < times; ++i) found += GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  return found;
}

struct Figure {
  std::string name;
  std::function<int()> run;
  std::vector<double> seconds;
  int result = 0;
  int reps = 0;  ///< 0: the run's count
};

int Usage() {
  std::fprintf(stderr, "usage: tidewell-bench --catalogue N=PREFIX [--catalogue N=PREFIX ...] [--reps R] [--full-reps R]\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<Catalogue> catalogues;
  int reps = 7;
  int fullReps = 3;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg == L"--catalogue" && i + 1 < argc) {
      std::string sizeAndPrefix = tw::Narrow(argv[++i]);
      std::size_t eq = sizeAndPrefix.find('=');
      if (eq == std::string::npos) return Usage();
      Catalogue c;
      c.size = std::atoi(sizeAndPrefix.substr(0, eq).c_str());
      c.prefix = sizeAndPrefix.substr(eq + 1);
      c.key = tw::demo::SyntheticCatalogueKey(c.prefix);
      catalogues.push_back(c);
    } else if (arg == L"--full-reps" && i + 1 < argc) {
      fullReps = std::max(1, static_cast<int>(std::wcstol(argv[++i], nullptr, 10)));
    } else if (arg == L"--reps" && i + 1 < argc) {
      reps = std::max(1, static_cast<int>(std::wcstol(argv[++i], nullptr, 10)));
    } else {
      return Usage();
    }
  }
  if (catalogues.empty()) return Usage();
  std::sort(catalogues.begin(), catalogues.end(),
            [](const Catalogue& a, const Catalogue& b) { return a.size < b.size; });

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  Tools tools;

  std::vector<Figure> figures;
  for (Catalogue& c : catalogues) {
    for (int i = 0; i < c.size; ++i) c.names.push_back(tw::demo::SyntheticEntryName(c.prefix, i));
    const std::string n = std::to_string(c.size);
    const std::wstring wideKey = tw::Widen(c.key);
    const Catalogue* cp = &c;
    figures.push_back({"floor_" + n, [wideKey] { return tw::bench::RawFloor(HKEY_LOCAL_MACHINE, wideKey.c_str()); }, {}, 0});
    figures.push_back({"scan_" + n, [&tools, cp] { return Scan(tools, *cp); }, {}, 0});
    figures.push_back({"full_" + n, [&tools, cp] { return FullScan(tools, *cp); }, {}, 0, fullReps});
    if (&c == &catalogues.back()) {
      // The scan's steps, on the largest catalogue only.
      figures.push_back({"step_raw_fullpath_open_read2_" + n, [cp] { return RawFullPathOpenRead(*cp); }, {}, 0});
      figures.push_back({"step_raw_fullpath_open_rw_" + n, [cp] { return RawReadWriteOpen(*cp); }, {}, 0});
      figures.push_back({"step_store_open_" + n, [&tools, cp] { return StoreOpenClose(tools, *cp); }, {}, 0});
      figures.push_back({"step_store_open_read3_" + n, [&tools, cp] { return StoreOpenRead(tools, *cp); }, {}, 0});
      figures.push_back({"step_usage_lookup_" + n, [&tools, cp] { return UsageLookups(tools, *cp); }, {}, 0});
      figures.push_back({"step_uninstaller_test_" + n, [&tools, cp] { return UninstallerTests(tools, *cp); }, {}, 0});
      const int rows = c.size;
      const std::wstring uninstaller = tw::Widen(
          tw::demo::SyntheticFolder(c.prefix) + "\\uninstall.exe");
      figures.push_back({"step_raw_findfirstfile_" + n, [uninstaller, rows] { return RawFindFirst(uninstaller, rows); }, {}, 0});
      figures.push_back({"step_raw_getfileattributes_" + n, [uninstaller, rows] { return RawAttributes(uninstaller, rows); }, {}, 0});
      figures.push_back({"step_imagelist_setcount_replace_" + n, [rows] { return ImageListBySetCount(rows, LoadIcon(nullptr, IDI_APPLICATION)); }, {}, 0, fullReps});
      figures.push_back({"step_imagelist_addicon_" + n, [rows] { return ImageListByAddIcon(rows, LoadIcon(nullptr, IDI_APPLICATION), 0); }, {}, 0});
      figures.push_back({"step_imagelist_addicon_presized_" + n, [rows] { return ImageListByAddIcon(rows, LoadIcon(nullptr, IDI_APPLICATION), rows); }, {}, 0});
      // The uninstaller test looks the path up upper-cased; on a case-sensitive host file
      // system Wine then has to search each folder for a name that matches without case.
      std::wstring upper = uninstaller;
      for (wchar_t& ch : upper)
        if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - 32);
      figures.push_back({"step_raw_findfirstfile_uppercase_" + n, [upper, rows] { return RawFindFirst(upper, rows); }, {}, 0});
    }
  }

  // One warm-up round (registry cache, image list code, the command cache above), then the
  // measured rounds, each running every figure once. The slow figures (the full scan and the
  // image list grown a slot at a time) skip the warm-up and run fewer times: their first
  // measured run gives the result the later ones must repeat.
  for (Figure& f : figures)
    if (f.reps == 0) f.result = f.run();
  for (const Catalogue& c : catalogues) {
    const Figure& floor = *std::find_if(figures.begin(), figures.end(),
                                        [&](const Figure& f) { return f.name == "floor_" + std::to_string(c.size); });
    if (floor.result != c.size) {
      std::fprintf(stderr, "tidewell-bench: catalogue %s lists %d entries, expected %d (seeded?)\n",
                   c.prefix.c_str(), floor.result, c.size);
      return 1;
    }
  }
  for (int r = 0; r < reps; ++r) {
    for (Figure& f : figures) {
      if (f.reps != 0 && r >= f.reps) continue;
      const double start = Seconds();
      const int result = f.run();
      f.seconds.push_back(Seconds() - start);
      if (f.reps != 0 && r == 0) f.result = result;
      if (result != f.result) {
        std::fprintf(stderr, "tidewell-bench: %s gave %d, then %d\n", f.name.c_str(), f.result, result);
        return 1;
      }
    }
  }

  std::map<std::string, double> perEntry;  // microseconds per entry
  for (const Figure& f : figures) {
    const int size = std::atoi(f.name.substr(f.name.rfind('_') + 1).c_str());
    perEntry[f.name] = Median(f.seconds) * 1e6 / size;
  }
  std::printf("# per-entry microseconds, median of %d runs\n", reps);
  std::printf("# %8s %10s %10s %10s %9s %9s\n", "entries", "floor", "scan", "full", "scan/fl", "full/fl");
  for (const Catalogue& c : catalogues) {
    const std::string n = std::to_string(c.size);
    const double floor = perEntry["floor_" + n], scan = perEntry["scan_" + n], full = perEntry["full_" + n];
    std::printf("# %8d %10.1f %10.1f %10.1f %9.2f %9.2f\n", c.size, floor, scan, full, scan / floor, full / floor);
  }
  std::printf("# (full and step_imagelist_setcount_replace: median of %d runs)\n", std::min(fullReps, reps));
  const std::string small = std::to_string(catalogues.front().size);
  const std::string large = std::to_string(catalogues.back().size);
  for (const auto& [name, us] : perEntry) std::printf("%s_us: %.2f\n", name.c_str(), us);
  std::printf("scan_vs_floor: %.2f\n", perEntry["scan_" + large] / perEntry["floor_" + large]);
  std::printf("full_vs_floor: %.2f\n", perEntry["full_" + large] / perEntry["floor_" + large]);
  std::printf("growth_%s_vs_%s: %.2f\n", large.c_str(), small.c_str(),
              perEntry["scan_" + large] / perEntry["scan_" + small]);
  return 0;
}
