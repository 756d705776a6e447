#pragma once
// Writes the demo catalogue and synthetic catalogues into the registry and the file system
// of the running Windows (or Wine prefix) through the Win32 API, and removes them again.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "DemoCatalogue.h"

namespace tw::demo {

/// The placeholders of the demo catalogue: {demo}, {demo32}, {userapps} and {system}.
std::map<std::string, std::string> DemoVariables();

/// The folder of the running program, without a trailing backslash.
std::wstring ProgramFolder();

/// Reads a whole file as bytes; raises std::runtime_error when it cannot.
std::string ReadFileBytes(const std::wstring& path);

/// Removes everything the catalogue seeds, then seeds it: keys and values, usage records,
/// folders, copies of `uninstallerExe`, drawn icons and text files.
void SeedCatalogue(const DemoCatalogue& catalogue, const std::wstring& uninstallerExe);

/// Removes the catalogue's entries, their usage records, its files and its root folders.
/// What is already gone is no error.
void RemoveCatalogue(const DemoCatalogue& catalogue);

/// The catalogue key (below HKEY_LOCAL_MACHINE) of a synthetic catalogue.
std::string SyntheticCatalogueKey(const std::string& prefix);

/// The folder of a synthetic catalogue's uninstaller and icons.
std::string SyntheticFolder(const std::string& prefix);

/// The sub key name of a synthetic catalogue's entry number `index`.
std::string SyntheticEntryName(const std::string& prefix, int index);

/// Seeds `count` entries into the synthetic catalogue `prefix` (replacing one of that name):
/// each with the usual values, a usage record and an uninstaller that exists, and one drawn
/// icon file for every ten entries. With a `catalogueKey` (below HKEY_LOCAL_MACHINE) the
/// entries go there instead, beside whatever else it holds.
void SeedSynthetic(int count, const std::string& prefix, const std::wstring& uninstallerExe,
                   const std::string& catalogueKey = {});

/// Removes a synthetic catalogue with its usage records and files; with a `catalogueKey`,
/// only the entries named after the prefix go from that key.
void RemoveSynthetic(const std::string& prefix, const std::string& catalogueKey = {});

/// Seeds the realistic catalogue of `count` entries tagged `tag` into the system's own
/// catalogues (replacing any catalogue of that tag): entries, usage records and files, the
/// uninstallers as links to one copy of `uninstallerExe`, the programs as links to system
/// programs with icons.
void SeedRealistic(int count, const std::string& tag, const std::wstring& uninstallerExe);

/// Removes the entries of the realistic catalogue tagged `tag`, whatever count was seeded,
/// with their usage records and files. What is already gone is no error.
void RemoveRealistic(const std::string& tag);

/// An icon file with a 32 x 32 and a 16 x 16 image (32 bits per pixel) whose colours and
/// pattern follow from `seed`.
std::vector<std::uint8_t> DrawIconFile(std::uint32_t seed);

}  // namespace tw::demo
