// tidewell-bench: the catalogue scan inside one process, on the catalogue as seeded (the
// machine's, its 32-bit one and the user's), against the raw registry-enumeration floor
// measured in the same run.
//
//   tidewell-bench --entries N [--reps R] [--breakdown]
//
// scripts/bench seeds the realistic catalogue (tidewell-seed --realistic N), runs this and
// removes it again; N only names the figures. Per listed row it measures:
//   floor  enumerate the three catalogues, open each entry (relative to its catalogue key)
//          and read DisplayName and UninstallString with RegQueryValueExW;
//   scan   the scan the program list runs: every catalogue with the usage lookup, the
//          uninstaller test and the rows' icon plans recorded for later;
// and with --breakdown, where a row's time goes: the scan of a text report run (names,
// commands and the uninstaller test only), the scan without its usage lookup, without its
// uninstaller test, and the scan's steps on their own (the values read one query each or
// from one enumeration of the entry's values, among them). Every figure is the median of R
// runs (default 7), taken round-robin so that drift hits all alike. It ends with one
// "name: value" line per figure.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "RawFloor.h"
#include "catalogue/UninstallCommandChecker.h"
#include "catalogue/UninstallInfoReader.h"
#include "catalogue/UsageCache.h"
#include "util/AppStrings.h"
#include "util/CorRegToolsPlus.h"
#include "win32/Win32Icons.h"
#include "win32/Win32Platform.h"
#include "win32/WinText.h"

namespace {

using tw::bench::Median;
using tw::bench::Seconds;

using Tools = tw::Win32Platform;

// The rows of a scan, kept as the program list keeps them.
class RowSink : public tw::ProgramSink {
 public:
  void AddRow(tw::ProgramEntry&& row) override { rows.push_back(std::move(row)); }
  std::vector<tw::ProgramEntry> rows;
};

// One listed entry: where it is, and its command as stored.
struct Entry {
  tw::RootKeyHandle root;
  std::string key;   // catalogue key + "\" + name
  std::string name;  // the sub key name
  std::string command;
};

// The program's deferred icon source: the scan only records each row's plan.
std::unique_ptr<tw::ImageListIconSource> DeferredIcons() {
  return std::make_unique<tw::ImageListIconSource>(
      tw::UniqueHImageList(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 64, 256)),
      tw::UniqueHImageList(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 64, 256)), LoadIcon(nullptr, IDI_APPLICATION),
      LoadIcon(nullptr, IDI_APPLICATION), tw::ImageListIconSource::Mode::Deferred);
}

// The scan as the program list runs it.
int ProgramScan(Tools& tools, tw::ImageListIconSource& icons) {
  icons.Reset();
  RowSink sink;
  tw::ScanCatalogue(tools.platform, sink, &icons, true);
  return static_cast<int>(sink.rows.size());
}

// The scan of a text report run: names, commands and the uninstaller test, nothing else.
int ReportScan(Tools& tools) {
  RowSink sink;
  tw::ScanCatalogue(tools.platform, sink, nullptr, true, tw::ScanParts{false, false});
  return static_cast<int>(sink.rows.size());
}

// The same scan with a collaborator left out (no usage records, or every uninstaller present).
int ScanWithout(Tools& tools, tw::ImageListIconSource& icons, bool usage, bool uninstallerTest) {
  icons.Reset();
  tw::ScanCollaborators collaborators;
  // The usage lookup as the program makes it: the cache's names listed once per scan.
  std::optional<tw::UsageCacheIndex> index;
  if (usage) {
    index.emplace(tools.platform.registry);
    collaborators.usage = [&index](const std::string& name) { return index->Lookup(name); };
  }
  if (uninstallerTest) {
    collaborators.uninstallerTest = [&tools](const std::string& command) {
      return tw::UninstallerPresent(tools.files, command);
    };
  }
  collaborators.icons = &icons;
  RowSink sink;
  tw::ScanReport report;
  for (const auto& location : tw::CatalogueLocations(tools.registry)) {
    tw::ScanUninstallKey(tools.registry, tools.ansi, location, sink, collaborators, true, report);
  }
  return static_cast<int>(sink.rows.size());
}

// The listed entries of every catalogue, in scan order.
std::vector<Entry> ListedEntries(Tools& tools) {
  std::vector<Entry> entries;
  for (const auto& location : tw::CatalogueLocations(tools.registry)) {
    auto store = tools.registry.NewStore();
    store->SelectRoot(location.root);
    if (!store->OpenPath(location.key, false)) continue;
    for (const std::string& name : store->ListSubKeys()) {
      auto entry = tools.registry.NewStore();
      entry->SelectRoot(location.root);
      if (!entry->OpenPath(location.key + "\\" + name, false) || !entry->QueryValue("DisplayName")) continue;
      const auto command = entry->QueryValue("UninstallString");
      if (!command) continue;
      entries.push_back({location.root, location.key + "\\" + name, name,
                         tw::ValueAsText("UninstallString", command, tools.ansi)});
    }
  }
  return entries;
}

// The scan's steps one by one, each over every listed entry.
int StoreOpenClose(Tools& tools, const std::vector<Entry>& entries) {
  auto store = tools.registry.NewStore();
  int opened = 0;
  for (const Entry& e : entries) {
    store->SelectRoot(e.root);
    opened += store->OpenPath(e.key, false);
  }
  return opened;
}

int StoreOpenRead(Tools& tools, const std::vector<Entry>& entries, bool icon) {
  auto store = tools.registry.NewStore();
  int read = 0;
  for (const Entry& e : entries) {
    store->SelectRoot(e.root);
    if (!store->OpenPath(e.key, false)) continue;
    read += store->QueryValue("DisplayName").has_value();
    read += store->QueryValue("UninstallString").has_value();
    if (icon) read += store->QueryValue("DisplayIcon").has_value();
  }
  return read;
}

HKEY RootOf(tw::RootKeyHandle root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root))); }

int RawFullPathOpenRead(const std::vector<Entry>& entries) {
  int read = 0;
  BYTE buffer[2048];
  for (const Entry& e : entries) {
    HKEY entry = nullptr;
    if (RegOpenKeyExW(RootOf(e.root), tw::Widen(e.key).c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
    for (const wchar_t* value : {L"DisplayName", L"UninstallString"}) {
      DWORD type = 0, size = sizeof buffer;
      read += RegQueryValueExW(entry, value, nullptr, &type, buffer, &size) == ERROR_SUCCESS;
    }
    RegCloseKey(entry);
  }
  return read;
}

// The values the scan reads of an entry for the window: one query each.
const wchar_t* const kScannedValues[] = {L"DisplayName",    L"UninstallString", L"Publisher",
                                         L"DisplayVersion", L"InstallDate",     L"EstimatedSize",
                                         L"QuietUninstallString", L"SystemComponent", L"ParentKeyName",
                                         L"ReleaseType",    L"DisplayIcon"};

// The same values read one query each, or taken from one enumeration of all the entry's values.
int RawOpenQueryAll(const std::vector<Entry>& entries, bool enumerate) {
  int read = 0;
  BYTE buffer[4096];
  wchar_t name[256];
  for (const Entry& e : entries) {
    HKEY entry = nullptr;
    if (RegOpenKeyExW(RootOf(e.root), tw::Widen(e.key).c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
    if (enumerate) {
      for (DWORD index = 0;; ++index) {
        DWORD nameLength = 256, type = 0, size = sizeof buffer;
        if (RegEnumValueW(entry, index, name, &nameLength, nullptr, &type, buffer, &size) != ERROR_SUCCESS) break;
        for (const wchar_t* wanted : kScannedValues) read += _wcsicmp(name, wanted) == 0;
      }
    } else {
      for (const wchar_t* value : kScannedValues) {
        DWORD type = 0, size = sizeof buffer;
        read += RegQueryValueExW(entry, value, nullptr, &type, buffer, &size) == ERROR_SUCCESS;
      }
    }
    RegCloseKey(entry);
  }
  return read;
}

int RawReadWriteOpen(const std::vector<Entry>& entries) {
  int opened = 0;
  for (const Entry& e : entries) {
    HKEY entry = nullptr;
    if (RegOpenKeyExW(RootOf(e.root), tw::Widen(e.key).c_str(), 0, KEY_READ | KEY_WRITE, &entry) == ERROR_SUCCESS) {
      ++opened;
      RegCloseKey(entry);
    }
  }
  return opened;
}

// The usage lookups of one scan: the cache's names listed once, then every entry looked up.
int UsageLookups(Tools& tools, const std::vector<Entry>& entries) {
  const tw::UsageCacheIndex index(tools.platform.registry);
  int found = 0;
  for (const Entry& e : entries) found += index.Lookup(e.name).has_value();
  return found;
}

int UninstallerTests(Tools& tools, const std::vector<Entry>& entries) {
  int present = 0;
  for (const Entry& e : entries) present += tw::UninstallerPresent(tools.files, e.command);
  return present;
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

// The first program path of a command that names an existing file, or "".
std::wstring SomeUninstaller(const std::vector<Entry>& entries) {
  for (const Entry& e : entries) {
    if (e.command.size() < 2 || e.command[0] != '"') continue;
    const std::wstring path = tw::Widen(e.command.substr(1, e.command.find('"', 1) - 1));
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
  }
  return {};
}

struct Figure {
  std::string name;
  std::function<int()> run;
  std::vector<double> seconds;
  int result = 0;
  int per = 0;  ///< what the time is divided by: the listed rows, or this many calls
};

int Usage() {
  std::fprintf(stderr, "usage: tidewell-bench --entries N [--reps R] [--breakdown]\n");
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
      size = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
    } else if (arg == L"--reps" && i + 1 < argc) {
      reps = std::max(1, static_cast<int>(std::wcstol(argv[++i], nullptr, 10)));
    } else if (arg == L"--breakdown") {
      breakdown = true;
    } else {
      return Usage();
    }
  }
  if (size <= 0) return Usage();

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  Tools tools;
  const std::vector<Entry> entries = ListedEntries(tools);
  const int listed = static_cast<int>(entries.size());
  if (listed == 0) {
    std::fprintf(stderr, "tidewell-bench: the catalogues list nothing (seeded?)\n");
    return 1;
  }
  auto icons = DeferredIcons();
  const std::string n = std::to_string(size);

  std::vector<Figure> figures;
  const auto add = [&figures](std::string name, std::function<int()> run, int per = 0) {
    figures.push_back(Figure{std::move(name), std::move(run), {}, 0, per});
  };
  add("floor_" + n, [] { return tw::bench::FloorOfEveryCatalogue(); });
  add("scan_" + n, [&] { return ProgramScan(tools, *icons); });
  // The bare file tests repeat one call on one path: a few thousand calls tell its cost.
  const int calls = std::min(listed, 2000);
  if (breakdown) {
    add("scan_report_" + n, [&] { return ReportScan(tools); });
    add("scan_without_usage_" + n, [&] { return ScanWithout(tools, *icons, false, true); });
    add("scan_without_test_" + n, [&] { return ScanWithout(tools, *icons, true, false); });
    add("step_raw_fullpath_open_read2_" + n, [&] { return RawFullPathOpenRead(entries); });
    add("step_raw_fullpath_open_rw_" + n, [&] { return RawReadWriteOpen(entries); });
    add("step_store_open_" + n, [&] { return StoreOpenClose(tools, entries); });
    add("step_store_open_read2_" + n, [&] { return StoreOpenRead(tools, entries, false); });
    add("step_store_open_read3_" + n, [&] { return StoreOpenRead(tools, entries, true); });
    add("step_raw_fullpath_open_query11_" + n, [&] { return RawOpenQueryAll(entries, false); });
    add("step_raw_fullpath_open_enumerate_" + n, [&] { return RawOpenQueryAll(entries, true); });
    add("step_usage_lookup_" + n, [&] { return UsageLookups(tools, entries); });
    add("step_uninstaller_test_" + n, [&] { return UninstallerTests(tools, entries); });
    const std::wstring uninstaller = SomeUninstaller(entries);
    add("step_raw_findfirstfile_" + n, [uninstaller, calls] { return RawFindFirst(uninstaller, calls); }, calls);
    add("step_raw_getfileattributes_" + n, [uninstaller, calls] { return RawAttributes(uninstaller, calls); }, calls);
    // Wine searches a folder for a name that matches without case when the exact one is not
    // there (the host's file system tells case apart).
    std::wstring upper = uninstaller;
    for (wchar_t& ch : upper)
      if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - 32);
    add("step_raw_findfirstfile_uppercase_" + n, [upper, calls] { return RawFindFirst(upper, calls); }, calls);
  }

  // One warm-up round (registry cache, file lookups), then the measured rounds, each running
  // every figure once; each must give the result of its warm-up.
  for (Figure& f : figures) f.result = f.run();
  if (figures.front().result != listed || figures[1].result != listed) {
    std::fprintf(stderr, "tidewell-bench: the floor counts %d rows and the scan %d, the catalogues list %d\n",
                 figures.front().result, figures[1].result, listed);
    return 1;
  }
  for (int r = 0; r < reps; ++r) {
    for (Figure& f : figures) {
      const double start = Seconds();
      const int result = f.run();
      f.seconds.push_back(Seconds() - start);
      if (result != f.result) {
        std::fprintf(stderr, "tidewell-bench: %s gave %d, then %d\n", f.name.c_str(), f.result, result);
        return 1;
      }
    }
  }

  std::map<std::string, double> us;  // microseconds per listed row
  for (const Figure& f : figures) us[f.name] = Median(f.seconds) * 1e6 / (f.per > 0 ? f.per : listed);
  std::printf("# %d entries seeded, %d listed; microseconds per listed row (the bare file tests: per call), median of %d runs\n",
              size, listed, reps);
  for (const Figure& f : figures) std::printf("%s_us: %.2f\n", f.name.c_str(), us[f.name]);
  const double floor = us["floor_" + n], scan = us["scan_" + n];
  std::printf("scan_vs_floor_%s: %.2f\n", n.c_str(), scan / floor);
  if (breakdown) {
    // Where a row's time goes beyond the floor: each piece is the scan with and without it,
    // the store's reads with and without it, or the store against the bare API doing the
    // same (open by full path, read two values); the rest is what is left (opening by full
    // path instead of below the catalogue, and building the row).
    const std::map<std::string, double> pieces = {
        {"usage_lookup", scan - us["scan_without_usage_" + n]},
        {"uninstaller_test", scan - us["scan_without_test_" + n]},
        {"displayicon_read", us["step_store_open_read3_" + n] - us["step_store_open_read2_" + n]},
        {"store_overhead", us["step_store_open_read2_" + n] - us["step_raw_fullpath_open_read2_" + n]},
    };
    double rest = scan - floor;
    for (const auto& [name, value] : pieces) {
      std::printf("row_%s_us_%s: %.2f\n", name.c_str(), n.c_str(), value);
      rest -= value;
    }
    std::printf("row_scan_rest_us_%s: %.2f\n", n.c_str(), rest);
  }
  return 0;
}
