// tidewell-seed: writes the demo catalogue (or a synthetic one) into the registry and file
// system of the running system, and removes it again.
//
//   tidewell-seed [--catalogue FILE] [--uninstaller EXE]     seed the demo catalogue
//   tidewell-seed --remove [--catalogue FILE]                remove it
//   tidewell-seed --synthetic N --prefix NAME [--uninstaller EXE]
//   tidewell-seed --remove-synthetic NAME
//   tidewell-seed --realistic N --prefix NAME [--uninstaller EXE]
//   tidewell-seed --remove-realistic NAME
//
// The catalogue defaults to catalogue.txt and the uninstaller to
// tidewell-demo-uninstall.exe, both beside this program. Seeding replaces what an earlier
// run seeded, so running it again resets the demo.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>

#include "DemoSeeder.h"
#include "util/Text.h"

namespace {

std::string Narrow(const std::wstring& wide) {
  return tw::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

int Usage() {
  std::fprintf(stderr,
               "usage: tidewell-seed [--catalogue FILE] [--uninstaller EXE]\n"
               "       tidewell-seed --remove [--catalogue FILE]\n"
               "       tidewell-seed --synthetic N --prefix NAME [--uninstaller EXE]\n"
               "       tidewell-seed --remove-synthetic NAME\n"
               "       tidewell-seed --realistic N --prefix NAME [--uninstaller EXE]\n"
               "       tidewell-seed --remove-realistic NAME\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring catalogueFile = tw::demo::ProgramFolder() + L"\\catalogue.txt";
  std::wstring uninstaller = tw::demo::ProgramFolder() + L"\\tidewell-demo-uninstall.exe";
  bool remove = false;
  int synthetic = -1;
  int realistic = -1;
  std::string prefix, removeSynthetic, removeRealistic;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    bool hasNext = i + 1 < argc;
    if (arg == L"--catalogue" && hasNext) {
      catalogueFile = argv[++i];
    } else if (arg == L"--uninstaller" && hasNext) {
      uninstaller = argv[++i];
    } else if (arg == L"--remove") {
      remove = true;
    } else if ((arg == L"--synthetic" || arg == L"--realistic") && hasNext) {
      wchar_t* end = nullptr;
      long n = std::wcstol(argv[++i], &end, 10);
      if (*end != L'\0' || n < 0 || n > 99999) return Usage();
      (arg == L"--synthetic" ? synthetic : realistic) = static_cast<int>(n);
    } else if (arg == L"--prefix" && hasNext) {
      prefix = Narrow(argv[++i]);
    } else if (arg == L"--remove-synthetic" && hasNext) {
      removeSynthetic = Narrow(argv[++i]);
    } else if (arg == L"--remove-realistic" && hasNext) {
      removeRealistic = Narrow(argv[++i]);
    } else {
      return Usage();
    }
  }

  try {
    if (!removeSynthetic.empty()) {
      tw::demo::RemoveSynthetic(removeSynthetic);
      std::printf("removed synthetic catalogue %s\n", removeSynthetic.c_str());
      return 0;
    }
    if (!removeRealistic.empty()) {
      tw::demo::RemoveRealistic(removeRealistic);
      std::printf("removed realistic catalogue %s\n", removeRealistic.c_str());
      return 0;
    }
    if (realistic >= 0) {
      if (prefix.empty() || prefix.find_first_of("\\/") != std::string::npos) return Usage();
      tw::demo::SeedRealistic(realistic, prefix, uninstaller);
      std::printf("seeded a realistic catalogue of %d entries tagged %s\n", realistic, prefix.c_str());
      return 0;
    }
    if (synthetic >= 0) {
      if (prefix.empty() || prefix.find('\\') != std::string::npos) return Usage();
      tw::demo::SeedSynthetic(synthetic, prefix, uninstaller);
      std::printf("seeded %d entries into HKEY_LOCAL_MACHINE\\%s\n", synthetic,
                  tw::demo::SyntheticCatalogueKey(prefix).c_str());
      return 0;
    }
    tw::demo::DemoCatalogue catalogue = tw::demo::ParseDemoCatalogue(
        tw::demo::ReadFileBytes(catalogueFile), tw::demo::DemoVariables());
    if (remove) {
      tw::demo::RemoveCatalogue(catalogue);
      std::printf("removed %zu demo entries\n", catalogue.entries.size());
    } else {
      tw::demo::SeedCatalogue(catalogue, uninstaller);
      std::printf("seeded %zu demo entries and %zu files\n", catalogue.entries.size(),
                  catalogue.files.size());
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tidewell-seed: %s\n", e.what());
    return 1;
  }
}
