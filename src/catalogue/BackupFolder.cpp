#include "catalogue/BackupFolder.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "catalogue/AuditReport.h"
#include "catalogue/EntryBackup.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/CorRegToolsPlus.h"
#include "util/RegFile.h"
#include "util/RegKeyTree.h"
#include "util/Text.h"

namespace tw {

namespace {

constexpr std::size_t kMostNameChars = 64;
// Names tried for one second and entry before the backup gives up.
constexpr int kMostCounters = 1000;
constexpr std::string_view kRegExtension = ".reg";

constexpr std::string_view kRecordLine = "; Tidewell backup";
constexpr std::string_view kReasonPrefix = "; Reason: ";
constexpr std::string_view kSavedPrefix = "; Saved: ";
// The record is looked for in the file's first lines only.
constexpr std::size_t kRecordSearchBytes = 4096;

struct ReasonWord {
  BackupReason reason;
  std::string_view word;
};
constexpr ReasonWord kReasonWords[] = {
    {BackupReason::Deleted, "deleted"},
    {BackupReason::CleanedUp, "cleaned-up"},
    {BackupReason::QuietRemoval, "quiet-removal"},
    {BackupReason::BeforeEdit, "before-edit"},
    {BackupReason::BeforeOverwrite, "before-overwrite"},
    {BackupReason::BeforeRestore, "before-restore"},
};

bool IsValidDateTime(const DateTime& t) {
  return t.year >= 1601 && IsCalendarDay(t.year, t.month, t.day) && t.hour >= 0 &&
         t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59 &&
         t.millisecond >= 0 && t.millisecond <= 999;
}

// The time at the start of a backup's file name ("yyyy-mm-dd hh-nn-ss "), and the name
// after it; the whole name without ".reg" when it does not start so.
std::pair<std::optional<DateTime>, std::string> TimeAndNameOfFileName(const std::string& fileName) {
  const std::string stem = fileName.substr(0, fileName.size() - kRegExtension.size());
  DateTime t;
  int length = 0;
  if (std::sscanf(stem.c_str(), "%4d-%2d-%2d %2d-%2d-%2d %n", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                  &t.second, &length) == 6 &&
      length == 20 && IsValidDateTime(t)) {
    return {t, stem.substr(static_cast<std::size_t>(length))};
  }
  return {std::nullopt, stem};
}

bool EndsWithRegExtension(const std::string& name) {
  return name.size() > kRegExtension.size() &&
         AsciiUpper(name.substr(name.size() - kRegExtension.size())) == AsciiUpper(kRegExtension);
}

// The name a list shows for a backup's entry: its DisplayName as saved, or its key name.
std::string ProgramNameOf(const RegFileKey& entry) {
  if (!entry.link) {
    const std::string displayName = AsciiUpper(LoadStr(StrId::DisplayName));
    for (const RegFileValue& value : entry.values) {
      const std::uint32_t type = value.value.type;
      if (AsciiUpper(value.name) != displayName || (type != RegType::String && type != RegType::ExpandString)) {
        continue;
      }
      std::string name = Utf16LeBytesToUtf8(value.value.data.data(), value.value.data.size());
      if (!name.empty()) return name;
    }
  }
  return entry.path.substr(entry.path.rfind('\\') + 1);
}

// Whether the entry exists as a key or as a link (whose target may be gone).
bool EntryExists(Registry& registry, const std::string& entryKeyPath) {
  const RootKeyHandle root = ExtractRootKey(entryKeyPath);
  const std::string subPath = ExtractSubKey(entryKeyPath);
  if (SymbolicLinks* links = registry.Links(); links != nullptr && links->LinkValue(root, subPath)) return true;
  auto store = registry.NewStore();
  store->SelectRoot(root);
  return store->HasKey(subPath);
}

// The entry's name for its backup's file name: its DisplayName, or its key name.
std::string NameForFile(Registry& registry, const std::string& entryKeyPath) {
  auto store = registry.NewStore();
  store->SelectRoot(ExtractRootKey(entryKeyPath));
  const std::string subPath = ExtractSubKey(entryKeyPath);
  if (store->OpenPath(subPath, false)) {
    const std::optional<RegValue> value = store->QueryValue(LoadStr(StrId::DisplayName));
    if (value && (value->type == RegType::String || value->type == RegType::ExpandString)) {
      std::string name = Utf16LeBytesToUtf8(value->data.data(), value->data.size());
      if (!name.empty()) return name;
    }
  }
  return subPath.substr(subPath.rfind('\\') + 1);
}

std::string StampText(const char* format, const DateTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, format, t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
  return text;
}

// Writes the bytes to a new temporary file beside `path`, flushed and closed; its path, or
// "" with the reason in `error` (a file that went wrong is removed again).
std::string WriteTemporaryFile(FileSystem& files, const std::string& path, const std::string& bytes,
                               std::string& error) {
  std::string temporary;
  std::unique_ptr<OutputFile> file = CreateTemporaryFile(files, path, temporary, error);
  if (!file) return {};
  std::string problem;
  if (!file->Write(bytes)) {
    problem = LoadStr(StrId::BackupIncomplete);
  } else if (!file->Flush()) {
    problem = LoadStr(StrId::BackupNotFlushed);
  } else if (!file->Close()) {
    problem = LoadStr(StrId::BackupIncomplete);
  }
  file.reset();
  if (problem.empty()) return temporary;
  files.Remove(temporary);
  error = problem;
  return {};
}

}  // namespace

std::string_view BackupReasonWord(BackupReason reason) {
  for (const ReasonWord& entry : kReasonWords) {
    if (entry.reason == reason) return entry.word;
  }
  return {};
}

BackupReason BackupReasonOfWord(std::string_view word) {
  for (const ReasonWord& entry : kReasonWords) {
    if (entry.word == word) return entry.reason;
  }
  return BackupReason::Unknown;
}

std::string BackupFileName(const DateTime& saved, const std::string& entryName, int counter) {
  std::string name;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < entryName.size() && chars < kMostNameChars; ++chars) {
    const char32_t cp = NextCodePoint(entryName, i);
    const bool forbidden = cp < 0x20 || cp == 0x7F || (cp >= 0xD800 && cp <= 0xDFFF) ||
                           (cp < 0x80 && std::string_view("\\/:*?\"<>|").find(static_cast<char>(cp)) !=
                                             std::string_view::npos);
    if (forbidden) {
      name += '_';
    } else {
      AppendUtf8(name, cp);
    }
  }
  // The system drops blanks and dots at a name's end, which would make two names one.
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  if (name.empty()) name = "entry";
  if (counter > 1) name += " (" + std::to_string(counter) + ")";
  return StampText("%04d-%02d-%02d %02d-%02d-%02d ", saved) + name + std::string(kRegExtension);
}

std::string WithBackupRecord(const std::string& regFileBytes, BackupReason reason, const DateTime& saved) {
  // After the header line: the first CR LF of the UTF-16 text.
  std::size_t at = 2;
  while (at + 4 <= regFileBytes.size() && regFileBytes.compare(at, 4, std::string("\r\0\n\0", 4)) != 0) at += 2;
  at = std::min(at + 4, regFileBytes.size());
  const std::string lines = std::string(kRecordLine) + "\r\n" + std::string(kReasonPrefix) +
                            std::string(BackupReasonWord(reason)) + "\r\n" + std::string(kSavedPrefix) +
                            StampText("%04d-%02d-%02d %02d:%02d:%02d.%03d", saved) + "\r\n";
  std::string units;
  for (const char c : lines) {
    units += c;
    units += '\0';
  }
  return regFileBytes.substr(0, at) + units + regFileBytes.substr(at);
}

BackupRecord ReadBackupRecord(std::string_view bytes) {
  // The lines before the first key; the record is ASCII in any of the file's encodings.
  std::string text;
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    const std::string_view head = bytes.substr(2, kRecordSearchBytes);
    std::u16string units;
    for (std::size_t i = 0; i + 1 < head.size(); i += 2) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(head[i]) |
                                            (static_cast<unsigned char>(head[i + 1]) << 8)));
    }
    text = Utf16ToUtf8(units);
  } else {
    text = std::string(bytes.substr(0, kRecordSearchBytes));
  }
  BackupRecord record;
  bool ours = false;
  std::size_t start = 0;
  for (bool first = true; start < text.size(); first = false) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = text.find_first_not_of("\r\n", end);
    if (start == std::string::npos) start = text.size();
    if (first) continue;  // the header
    if (!line.empty() && line[0] == '[') break;
    if (line == kRecordLine) {
      ours = true;
    } else if (ours && line.rfind(kReasonPrefix, 0) == 0) {
      record.reason = BackupReasonOfWord(std::string_view(line).substr(kReasonPrefix.size()));
    } else if (ours && line.rfind(kSavedPrefix, 0) == 0) {
      DateTime t;
      const int read = std::sscanf(line.c_str() + kSavedPrefix.size(), "%4d-%2d-%2d %2d:%2d:%2d.%3d", &t.year,
                                   &t.month, &t.day, &t.hour, &t.minute, &t.second, &t.millisecond);
      if (read >= 6 && IsValidDateTime(t)) record.saved = t;
    }
  }
  return record;
}

std::optional<std::string> SaveEntryBackup(Platform& platform, const std::string& folder,
                                           const std::string& entryKeyPath, BackupReason reason) {
  Registry& registry = platform.registry;
  if (!EntryExists(registry, entryKeyPath)) return std::nullopt;
  const DateTime now = platform.clock.Now();
  const std::string name = NameForFile(registry, entryKeyPath);
  const std::string path = folder + BackupFileName(now, name);
  const auto failure = [&](const std::string& why) {
    return BackupError(FormatText(LoadStr(StrId::BackupNotWritten), {entryKeyPath, path, why}));
  };

  std::string bytes;
  try {
    bytes = WithBackupRecord(BackupUninstallEntry(registry, entryKeyPath, registry.Links()), reason, now);
  } catch (const std::exception& e) {
    throw failure(e.what());
  }
  FileSystem& files = platform.files;
  std::string error;
  if (folder.empty()) throw failure(LoadStr(StrId::BackupNoFolder));
  if (!files.CreateFolder(folder, error)) throw failure(FormatText(LoadStr(StrId::BackupFolderNotMade), error));
  const std::string temporary = WriteTemporaryFile(files, path, bytes, error);
  if (temporary.empty()) throw failure(error);
  // The complete file takes a name nothing has: another backup of the same second and entry
  // is never replaced.
  for (int counter = 1; counter <= kMostCounters; ++counter) {
    const std::string target = folder + BackupFileName(now, name, counter);
    bool exists = false;
    if (files.MoveToNewName(temporary, target, exists, error)) return target;
    if (!exists) break;
  }
  files.Remove(temporary);
  throw failure(error);
}

std::vector<BackupListing> ListEntryBackups(Platform& platform, const std::string& folder) {
  std::vector<BackupListing> backups;
  for (const FindData& found : platform.files.FindAll(folder + "*" + std::string(kRegExtension))) {
    // A short name may match where the long name does not end in ".reg".
    if ((found.attributes & kAttributeDirectory) != 0 || !EndsWithRegExtension(found.name)) continue;
    BackupListing backup;
    backup.fileName = found.name;
    backup.path = folder + found.name;
    backup.lastWriteTime = found.lastWriteTime;
    auto [fileTime, fileName] = TimeAndNameOfFileName(found.name);
    backup.programName = fileName;
    std::string bytes;
    if (!platform.files.ReadAll(backup.path, bytes, backup.problem)) {
      if (backup.problem.empty()) backup.problem = LoadStr(StrId::BackupUnreadable);
    } else {
      const BackupRecord record = ReadBackupRecord(bytes);
      backup.reason = record.reason;
      backup.saved = record.saved;
      try {
        const RegFile file = ReadRegFile(bytes, &platform.ansi);
        backup.entryKeyPath = UninstallEntryOfBackup(file, platform.registry.Links());
        backup.programName = ProgramNameOf(file.keys.front());
      } catch (const std::exception& e) {
        backup.problem = e.what();
      }
    }
    if (!backup.saved) backup.saved = fileTime;
    backups.push_back(std::move(backup));
  }
  // Newest first; a backup without a time after those with one.
  const auto order = [](const BackupListing& b) {
    const DateTime t = b.saved.value_or(DateTime{});
    return std::make_tuple(b.saved.has_value(), t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond,
                           b.lastWriteTime, b.fileName);
  };
  std::sort(backups.begin(), backups.end(),
            [&](const BackupListing& a, const BackupListing& b) { return order(a) > order(b); });
  return backups;
}

std::optional<std::string> RestoreEntryBackup(Platform& platform, const std::string& folder,
                                              const std::string& backupPath,
                                              const std::function<bool(const std::string&)>& confirmReplace) {
  const auto cannotRestore = [&backupPath](const std::string& why) {
    return BackupError(FormatText(LoadStr(StrId::RestoreCannotRead), {backupPath, why}));
  };
  if (backupPath.empty()) throw cannotRestore(LoadStr(StrId::FileNameEmpty));
  std::string bytes, error;
  if (!platform.files.ReadAll(backupPath, bytes, error)) throw cannotRestore(error);
  Registry& registry = platform.registry;
  RegFile file;
  std::string entry;
  try {
    file = ReadRegFile(bytes, &platform.ansi);
    entry = UninstallEntryOfBackup(file, registry.Links());
  } catch (const RegFileError& e) {
    throw cannotRestore(e.what());
  }
  const bool exists = EntryExists(registry, entry);
  if (exists) {
    if (!confirmReplace(entry)) return std::nullopt;
    SaveEntryBackup(platform, folder, entry, BackupReason::BeforeRestore);
  }
  try {
    ImportKeyTree(registry, file, entry, exists, registry.Links());
  } catch (const std::exception& e) {
    throw BackupError(FormatText(LoadStr(StrId::RestoreFailed), {entry, backupPath, e.what()}));
  }
  return entry;
}

}  // namespace tw
