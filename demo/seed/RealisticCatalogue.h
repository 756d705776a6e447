#pragma once
// A realistic catalogue for the benchmark: the mix of entries a well-used machine holds,
// spread over the machine's 64-bit catalogue, its 32-bit catalogue and the user's (about
// 60/25/15), with usage records for about a third, an uninstaller or a whole install folder
// gone for about 15%, icons of every kind (a program and an index, an .ico file, a quoted or
// unexpanded location, a file that is not there, none at all), names in several scripts,
// publishers, versions, install dates and sizes. The same count always gives the same
// catalogue; its files lie under one root folder per catalogue, named after its tag.

#include <map>
#include <string>

#include "DemoCatalogue.h"

namespace tw::demo {

/// The value each realistic entry carries, holding its catalogue's tag: removal finds the
/// entries by it, whatever count was seeded.
inline constexpr const char* kRealisticTagValue = "TidewellBenchCatalogue";

/// The programs with icons that the entries' own programs are links to, below {system}.
inline constexpr const char* kIconPrograms[] = {"notepad.exe", "winefile.exe", "winemine.exe", "taskmgr.exe"};

/// `count` entries tagged `tag`. The variables give the folders: {programs} and {programs32}
/// (the two program folders of the machine), {userapps} (the user's) and {system}; the roots
/// are "<folder>\<tag>" for each of the first three.
DemoCatalogue RealisticCatalogue(int count, const std::string& tag,
                                 const std::map<std::string, std::string>& variables);

}  // namespace tw::demo
