#pragma once
// Backups of catalogue entries as .reg files in the system's own format, and their restore.
// A backup holds one entry's whole key; a restore writes exactly that entry back and
// never anything outside the uninstall catalogue the file names.

#include <cstddef>
#include <string>
#include <string_view>

#include "util/Platform.h"
#include "util/RegFile.h"
#include "util/RegKeyTree.h"
#include "util/RegistryStore.h"

namespace tw {

/// The largest value data, in bytes, that a restore writes.
inline constexpr std::size_t kMaxRestoredValueBytes = 1024 * 1024;

/// The FullKeyPath of the entry a .reg file restores: its first key, which must be an entry
/// (one key directly below) of an uninstall catalogue: HKEY_LOCAL_MACHINE's, its 32-bit
/// view under WOW6432Node, or HKEY_CURRENT_USER's, in any letter case. Raises RegFileError
/// with the line of the first thing that keeps the file from being restored: no key, a first
/// key that is no catalogue entry (another place, a catalogue itself, a key below an entry),
/// a key outside that entry (another entry among them), a line that removes a key or a
/// value, a value of more than kMaxRestoredValueBytes, a link key without `links`.
std::string UninstallEntryOfBackup(const RegFile& file, SymbolicLinks* links = nullptr);

/// The .reg file of an entry's whole key (every value of every sub key; a link key as the
/// link), read back and checked to restore exactly what was saved before it is returned:
/// a backup that could not be restored raises RegFileError, and one that could not be
/// read whole raises RegistryError.
std::string BackupUninstallEntry(Registry& registry, const std::string& entryKeyPath,
                                 SymbolicLinks* links = nullptr);

/// Reads a .reg file (ReadRegFile), checks it (UninstallEntryOfBackup) and writes its
/// entry back (ImportKeyTree); returns the entry's FullKeyPath. Nothing is written from a
/// file that does not pass. An existing entry of that name is replaced wholly only with
/// `replaceExisting`; otherwise RegistryError is raised and it stays as it was.
std::string RestoreUninstallEntry(Registry& registry, std::string_view bytes, AnsiCodec* ansi,
                                  bool replaceExisting, SymbolicLinks* links = nullptr);

}  // namespace tw
