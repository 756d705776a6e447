#include "catalogue/EntryBackup.h"

#include <array>

#include "catalogue/UninstallInfoReader.h"
#include "util/AppStrings.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {

namespace {

// The full key paths of the uninstall catalogues a restore may write into.
std::array<std::string, 3> UninstallCatalogues() {
  const std::string uninstallKey = LoadStr(StrId::UninstallKey);
  return {MakeFullKeyPath(RootKey::LocalMachine, uninstallKey),
          MakeFullKeyPath(RootKey::LocalMachine, kWow64UninstallKey),
          MakeFullKeyPath(RootKey::CurrentUser, uninstallKey)};
}

}  // namespace

std::string UninstallEntryOfBackup(const RegFile& file, SymbolicLinks* links) {
  if (file.keys.empty()) throw RegFileError(0, LoadStr(StrId::BackupHoldsNoKey));
  const RegFileKey& first = file.keys.front();
  for (const std::string& catalogue : UninstallCatalogues()) {
    if (!IsSameOrBelowKey(first.path, catalogue)) continue;
    if (first.path.size() == catalogue.size()) {
      throw RegFileError(first.line, LoadStr(StrId::BackupIsCatalogue));
    }
    if (first.path.find('\\', catalogue.size() + 1) != std::string::npos) {
      throw RegFileError(first.line, LoadStr(StrId::BackupBelowEntry));
    }
    CheckKeyTreeImport(file, first.path, links != nullptr, kMaxRestoredValueBytes);
    return first.path;
  }
  throw RegFileError(first.line, FormatText(LoadStr(StrId::BackupNotAnEntry), first.path));
}

std::string BackupUninstallEntry(Registry& registry, const std::string& entryKeyPath, SymbolicLinks* links) {
  const RegFile file = ExportKeyTree(registry, entryKeyPath, links);
  UninstallEntryOfBackup(file, links);
  std::string bytes = WriteRegFile(file);
  if (ReadRegFile(bytes) != file) {
    throw RegFileError(0, FormatText(LoadStr(StrId::BackupDoesNotReadBack), entryKeyPath));
  }
  return bytes;
}

std::string RestoreUninstallEntry(Registry& registry, std::string_view bytes, AnsiCodec* ansi,
                                  bool replaceExisting, SymbolicLinks* links) {
  const RegFile file = ReadRegFile(bytes, ansi);
  std::string entry = UninstallEntryOfBackup(file, links);
  ImportKeyTree(registry, file, entry, replaceExisting, links);
  return entry;
}

}  // namespace tw
