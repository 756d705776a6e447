#pragma once
// The demo catalogue as a readable text file, and its parsed form. The seeder writes it into
// the registry and the file system; the end-to-end tests read it to know what was seeded.
//
// The file is a list of sections, one per catalogue entry:
//
//   [machine\Demo App]                    catalogue alias and the entry's sub key name
//   DisplayName     = sz: Demo App        a value: name = type: data
//   UninstallString = sz: "{demo}\Demo App\uninstall.exe" /key "{key}"
//   @usage size=1.5MB last=2024-05-02 count=12 target={demo}\Demo App\demoapp.exe
//   @uninstaller {demo}\Demo App\uninstall.exe
//
// Catalogue aliases: machine, machine32 (the local machine's 32-bit catalogue) and user.
// Value types: sz, expand, multi (strings separated by "|"), dword, qword, binary (hex
// bytes). Data runs to the end of the line, blanks around it dropped.
// Directives: @usage (the entry's usage record: size in bytes or with KB/MB/GB, last use as
// yyyy-mm-dd or 0, count, optional length=N for a record of the wrong size, and target=
// taking the rest of the line), @uninstaller PATH (a copy of the demo uninstaller), @icon
// PATH (an icon file drawn at seed time), @file PATH (a small text file), @folder PATH.
// Outside any section, @root PATH names a folder that belongs wholly to the demo and is
// removed with everything in it. Placeholders {key} (the entry's full key path) and the
// caller's variables such as {demo} are replaced everywhere; "#" starts a comment line.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "util/RegistryStore.h"

namespace tw::demo {

/// A usage record as the shell caches it for one catalogue entry.
struct DemoUsage {
  std::int64_t size = 0;
  std::uint64_t lastUse = 0;  ///< UTC file time; the date's noon UTC, or 0
  std::uint32_t count = 0;
  std::string target;
  std::size_t length = 552;   ///< bytes written; other than 552 makes an invalid record
};

struct DemoValue {
  std::string name;
  RegValue value;
};

enum class FileKind { Uninstaller, Icon, Text, Folder, Program };

struct DemoFile {
  FileKind kind = FileKind::Text;
  std::string path;
  std::string source;  ///< Program: the program with icons the file is a link to
};

struct DemoEntry {
  std::string alias;         ///< machine, machine32 or user
  RootKeyHandle root = 0;
  std::string catalogueKey;  ///< below the root
  std::string name;          ///< sub key name
  std::vector<DemoValue> values;
  std::optional<DemoUsage> usage;

  /// RootKeyName + "\" + catalogue key + "\" + name.
  std::string FullKeyPath() const;
  /// The value of that name, if the entry has one.
  const DemoValue* Find(const std::string& valueName) const;
};

struct DemoCatalogue {
  std::vector<DemoEntry> entries;
  std::vector<DemoFile> files;
  std::vector<std::string> roots;
};

/// The catalogue key of an alias; false for an unknown alias.
bool CatalogueOfAlias(const std::string& alias, RootKeyHandle& root, std::string& key);

/// The usage cache key of a catalogue sub key name, below the local machine's root.
std::string UsageKeyOf(const std::string& subKeyName);

/// Parses the catalogue text; raises std::runtime_error naming the line of a fault.
DemoCatalogue ParseDemoCatalogue(const std::string& text,
                                 const std::map<std::string, std::string>& variables);

/// The 552-byte record (or `length` bytes of it) as the registry stores it.
std::vector<std::uint8_t> EncodeUsageRecord(const DemoUsage& usage);

/// The file time of noon UTC on a date.
std::uint64_t NoonUtcFileTime(int year, int month, int day);

}  // namespace tw::demo
