#include "RealisticCatalogue.h"

#include <cstdint>
#include <cstdio>

#include "util/RegistryStore.h"

namespace tw::demo {
namespace {

// splitmix64: every entry draws its choices from its own stream, so one entry's choices never
// depend on how many were drawn for another.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

class Dice {
 public:
  explicit Dice(std::uint64_t seed) : state_(Mix(seed)) {}
  std::uint32_t Below(std::uint32_t n) {
    state_ = Mix(state_);
    return static_cast<std::uint32_t>(state_ % n);
  }
  bool Percent(std::uint32_t percent) { return Below(100) < percent; }
  template <std::size_t N>
  const char* Pick(const char* const (&items)[N]) {
    return items[Below(static_cast<std::uint32_t>(N))];
  }

 private:
  std::uint64_t state_;
};

const char* const kPublishers[] = {
    "Amberline Software", "Birchwood Labs",  "Cobaltia",          "Driftwood Systems", "Éclair Logiciels",
    "Fjordsoft AS",       "Grünwald GmbH",   "Harborlight",       "Indigo Works",      "Juniper & Sons",
    "Kelpie Digital",     "Lindenbaum",      "Mönchberg Studio",  "Northwind Tools",   "Ørsted Data",
    "Pinecrest",          "Quillon",         "Rosewater Media",   "Søndergaard",       "Tidemark",
    "Umbra Games",        "Vintry",          "Wexford Utilities", "Xylo Audio",        "Yarrow",
    "Zephyrine",          "青山ソフト",      "北辰科技",          "한빛소프트",        "Café Numérique"};
const char* const kStems[] = {"Amber",  "Birch",  "Cobalt",  "Drift",   "Ember",  "Fjord",  "Garnet",
                              "Harbor", "Indigo", "Juniper", "Kelp",    "Linden", "Mistral", "Nimbus",
                              "Onyx",   "Pebble", "Quartz",  "Ripple",  "Saffron", "Thistle", "Umber",
                              "Vesper", "Willow", "Yew",     "Zinnia",  "Résumé", "Crème",  "Señor",
                              "Ångström", "写真", "音楽",    "메모",    "Über"};
const char* const kKinds[] = {"Studio",  "Toolkit", "Player",   "Manager", "Viewer",   "Backup",
                              "Editor",  "Runtime", "Converter", "Recorder", "Sync",    "Notes",
                              "Mail",    "Scanner", "Designer", "Monitor", "Cleaner",  "Reader",
                              "Browser", "Launcher", "SDK",     "Driver",  "Update Helper", "Suite"};
const char* const kSuffixes[] = {"", "", "", "", "", " (x64)", " (x86)", " - English", " Language Pack", " Beta"};

// A product code; its last digits are the entry's number, so no two entries share one.
std::string ProductCode(Dice& dice, int index) {
  const unsigned a = dice.Below(0xFFFFFFFFu), b = dice.Below(0x10000), c = dice.Below(0x10000),
                 d = dice.Below(0x10000), e = dice.Below(0x1000000);
  char code[40];
  std::snprintf(code, sizeof code, "{%08X-%04X-%04X-%04X-%06X%06X}", a, b, c, d, e,
                static_cast<unsigned>(index) & 0xFFFFFFu);
  return code;
}

// A file name from a product name: its letters and digits only.
std::string FileStem(const std::string& product) {
  std::string stem;
  for (char c : product)
    if (c != ' ') stem.push_back(c);
  return stem;
}

// The host part of a publisher's web address: its ASCII letters, lower-cased.
std::string WebName(const std::string& publisher) {
  std::string name;
  for (char c : publisher) {
    if (c >= 'A' && c <= 'Z') name.push_back(static_cast<char>(c - 'A' + 'a'));
    if (c >= 'a' && c <= 'z') name.push_back(c);
  }
  return name.empty() ? "vendor" + std::to_string(publisher.size()) : name;
}

std::string Date(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

std::string Variable(const std::map<std::string, std::string>& variables, const std::string& name) {
  const auto found = variables.find(name);
  return found == variables.end() ? std::string() : found->second;
}

enum class Remover { Msi, Inno, Nsis, WithLog, Unquoted, Setup, RunDll };

}  // namespace

DemoCatalogue RealisticCatalogue(int count, const std::string& tag,
                                 const std::map<std::string, std::string>& variables) {
  DemoCatalogue catalogue;
  const std::string roots[] = {Variable(variables, "programs") + "\\" + tag,
                               Variable(variables, "programs32") + "\\" + tag,
                               Variable(variables, "userapps") + "\\" + tag};
  const char* const aliases[] = {"machine", "machine32", "user"};
  catalogue.roots.assign(std::begin(roots), std::end(roots));
  const std::string system = Variable(variables, "system");
  catalogue.entries.reserve(static_cast<std::size_t>(count));

  for (int index = 0; index < count; ++index) {
    Dice dice(static_cast<std::uint64_t>(index));
    DemoEntry entry;
    const std::uint32_t where = dice.Below(100);
    const int place = where < 60 ? 0 : where < 85 ? 1 : 2;
    entry.alias = aliases[place];
    CatalogueOfAlias(entry.alias, entry.root, entry.catalogueKey);

    const std::string publisher = dice.Pick(kPublishers);
    const std::string product = std::string(dice.Pick(kStems)) + " " + dice.Pick(kKinds);
    const int major = 1 + static_cast<int>(dice.Below(24));
    std::string displayName = product;
    if (dice.Percent(50)) displayName += " " + std::to_string(major);
    displayName += dice.Pick(kSuffixes);
    const std::string folder = roots[place] + "\\" + publisher + "\\" + product + " " + std::to_string(index);
    const std::string program = folder + "\\" + FileStem(product) + ".exe";
    const std::string productCode = ProductCode(dice, index);

    const std::uint32_t kind = dice.Below(100);
    Remover remover = Remover::RunDll;
    if (kind < 35) {
      remover = Remover::Msi;
    } else if (kind < 95) {
      const std::uint32_t style = dice.Below(100);
      remover = style < 40 ? Remover::Inno : style < 70 ? Remover::Nsis : style < 85 ? Remover::WithLog
                : style < 95 ? Remover::Unquoted : Remover::Setup;
    }
    const bool runsFile = remover != Remover::Msi && remover != Remover::RunDll;
    // A quarter of the entries with an uninstaller of their own lost it or their whole folder.
    const bool lost = runsFile && dice.Percent(25);
    const bool folderGone = lost && dice.Percent(50);
    const bool uninstallerGone = lost && !folderGone;

    switch (remover) {
      case Remover::Msi:
      case Remover::RunDll: entry.name = productCode; break;
      case Remover::Inno: entry.name = product + " " + std::to_string(index) + "_is1"; break;
      default: entry.name = product + " " + std::to_string(index); break;
    }

    std::string uninstaller, command, log;
    switch (remover) {
      case Remover::Msi: command = "MsiExec.exe /X" + productCode; break;
      case Remover::Inno:
        uninstaller = folder + "\\unins000.exe";
        command = "\"" + uninstaller + "\"";
        break;
      case Remover::Nsis:
        uninstaller = folder + "\\uninstall.exe";
        command = "\"" + uninstaller + "\"";
        break;
      case Remover::WithLog:
        uninstaller = folder + "\\uninst.exe";
        log = folder + "\\install.log";
        command = "\"" + uninstaller + "\" /log=\"" + log + "\"";
        break;
      case Remover::Unquoted:
        uninstaller = folder + "\\Uninstall.exe";
        command = uninstaller + " /S";
        break;
      case Remover::Setup:
        uninstaller = folder + "\\setup.exe";
        command = "\"" + uninstaller + "\" /uninstall /quiet";
        break;
      case Remover::RunDll:
        command = "RunDll32 C:\\PROGRA~2\\COMMON~1\\INSTAL~1\\PROFES~1\\RunTime\\11\\50\\Intel32\\Ctor.dll,LaunchSetup "
                  "\"C:\\Program Files (x86)\\InstallShield Installation Information\\" +
                  productCode + "\\setup.exe\" -l0x9 -removeonly";
        break;
    }

    auto text = [&entry](const char* name, const std::string& value, std::uint32_t type = RegType::String) {
      entry.values.push_back({name, RegValue::Text(value, type)});
    };
    auto number = [&entry](const char* name, std::uint32_t value) {
      entry.values.push_back({name, RegValue::Number(value)});
    };
    // A few entries have no name (updates, components): no program list shows them.
    if (!dice.Percent(2)) text("DisplayName", displayName);
    text("DisplayVersion", std::to_string(major) + "." + std::to_string(dice.Below(20)) + "." +
                               std::to_string(dice.Below(5000)));
    text("Publisher", publisher);
    if (dice.Percent(90)) {
      text("InstallDate", Date(2015 + static_cast<int>(dice.Below(10)), 1 + static_cast<int>(dice.Below(12)),
                               1 + static_cast<int>(dice.Below(28))));
    }
    if (runsFile || dice.Percent(60)) text("InstallLocation", folder);
    text("UninstallString", command, remover == Remover::Msi ? RegType::ExpandString : RegType::String);
    if (remover == Remover::Inno) {
      text("QuietUninstallString", command + " /SILENT");
      text("Inno Setup: App Path", folder);
      text("Inno Setup: Icon Group", publisher);
    }
    if (remover == Remover::Msi) {
      text("ModifyPath", "MsiExec.exe /I" + productCode, RegType::ExpandString);
      number("WindowsInstaller", 1);
      number("Language", 1033);
      number("VersionMajor", static_cast<std::uint32_t>(major));
      number("VersionMinor", dice.Below(20));
    }

    // The icon location: the entry's program (with an index, or without), its own .ico file,
    // a quoted or unexpanded location, a system library, a file that was never there, none.
    const std::string iconFile = folder + "\\" + FileStem(product) + ".ico";
    const std::uint32_t icon = dice.Below(100);
    if (icon < 30) {
      text("DisplayIcon", program + ",0");
    } else if (icon < 35) {
      text("DisplayIcon", program);
    } else if (icon < 60) {
      text("DisplayIcon", iconFile);
    } else if (icon < 65) {
      text("DisplayIcon", "\"" + program + "\",0");
    } else if (icon < 68) {
      text("DisplayIcon", system + "\\shell32.dll," + std::to_string(dice.Below(40)));
    } else if (icon < 70) {
      text("DisplayIcon", "%SystemRoot%\\system32\\shell32.dll," + std::to_string(dice.Below(40)),
           RegType::ExpandString);
    } else if (icon < 80) {
      text("DisplayIcon", folder + "\\" + FileStem(product) + "_old.ico");
    }

    if (dice.Percent(85)) number("EstimatedSize", 100 + dice.Below(4000000));
    if (dice.Percent(50)) text("URLInfoAbout", "https://www." + WebName(publisher) + ".example/");
    if (dice.Percent(25)) text("HelpLink", "https://support." + WebName(publisher) + ".example/");
    if (runsFile && dice.Percent(60)) {
      number("NoModify", 1);
      number("NoRepair", 1);
    }
    if (dice.Percent(2)) number("SystemComponent", 1);
    text(kRealisticTagValue, tag);

    if (dice.Percent(33)) {
      DemoUsage usage;
      usage.size = static_cast<std::int64_t>(1 + dice.Below(4000)) * 262144;
      usage.lastUse = dice.Percent(10) ? 0
                                       : NoonUtcFileTime(2019 + static_cast<int>(dice.Below(6)),
                                                         1 + static_cast<int>(dice.Below(12)),
                                                         1 + static_cast<int>(dice.Below(28)));
      usage.count = dice.Below(40);
      usage.target = program;
      // Now and then a record of the wrong size, which counts as none.
      if (dice.Percent(2)) usage.length = 551;
      entry.usage = usage;
    }

    if (!folderGone) {
      // The program itself where the entry's icon or usage record names it.
      if (icon < 35 || entry.usage) {
        catalogue.files.push_back({FileKind::Program, program, system + "\\" + dice.Pick(kIconPrograms)});
      }
      if (icon >= 35 && icon < 60) catalogue.files.push_back({FileKind::Icon, iconFile, {}});
      if (!uninstaller.empty() && !(uninstallerGone && log.empty())) {
        catalogue.files.push_back({FileKind::Uninstaller, uninstaller, {}});
      }
      // With a log among its parameters, the log is what went missing.
      if (!log.empty() && !uninstallerGone) catalogue.files.push_back({FileKind::Text, log, {}});
    }
    catalogue.entries.push_back(std::move(entry));
  }
  return catalogue;
}

}  // namespace tw::demo
