#include "catalogue/UninstallKeyTools.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "util/AppStrings.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {

namespace {

using ValueSnapshot = std::vector<std::pair<std::string, RegValue>>;

ValueSnapshot TakeSnapshot(RegistryStore& store) {
  ValueSnapshot snapshot;
  for (const auto& name : store.ListValues()) {
    if (auto value = store.QueryValue(name)) snapshot.emplace_back(name, std::move(*value));
  }
  return snapshot;
}

// Puts the key's values back as they were; a value that cannot be written back is skipped,
// since the error that brought us here is the one to report.
void RestoreSnapshot(RegistryStore& store, const ValueSnapshot& snapshot) {
  for (const auto& name : store.ListValues()) store.RemoveValue(name);
  for (const auto& [name, value] : snapshot) {
    try {
      store.WriteValue(name, value);
    } catch (const RegistryError&) {
    }
  }
}

// The value a table row stands for: rows whose text is unchanged keep their stored type and
// data (also under a new name: a renamed binary value keeps its bytes, not the placeholder
// text shown for them); changed numbers and expandable strings under their own name keep
// their kind where the text allows; the rest are strings.
RegValue ValueOfRow(const ValueTable& table, int row, const std::string& name) {
  const std::string text = table.Cell(1, row);
  const OriginalValue* original = table.Original(row);
  if (original != nullptr && original->text == text) return original->value;
  if (original != nullptr && AsciiUpper(original->name) == AsciiUpper(name)) {
    if (original->value.type == RegType::Dword) {
      std::int64_t number = 0;
      if (ParseDecimal(text, number) && number >= INT32_MIN && number <= static_cast<std::int64_t>(UINT32_MAX)) {
        return RegValue::Number(static_cast<std::uint32_t>(number));
      }
    }
    if (original->value.type == RegType::ExpandString) {
      return RegValue::Text(text, RegType::ExpandString);
    }
  }
  return RegValue::Text(text);
}

bool HasLeafName(const std::string& subKey) {
  // A path that names no key below the root (empty, or ending in a backslash) is never
  // written or deleted: opening it would rewrite the values of a root or of the catalogue
  // key, and removing it would take a whole root or catalogue with it.
  return !subKey.empty() && subKey.back() != '\\';
}

}  // namespace

bool WriteUninstallEntry(Registry& registry, const std::string& keyPath,
                         const std::string& displayName, const std::string& uninstallCommand,
                         const ValueTable* table, bool createIfMissing) {
  const RootKeyHandle root = ExtractRootKey(keyPath);
  const std::string subKey = ExtractSubKey(keyPath);
  if (root == RootKey::Invalid || !HasLeafName(subKey)) return false;
  auto store = registry.NewStore();
  store->SelectRoot(root);
  const bool existed = store->HasKey(subKey);
  // A key that refuses writing opens for reading only: it counts as a key that cannot be
  // opened, before anything in it has been removed.
  if (!store->OpenPath(subKey, createIfMissing) || !store->IsWritable()) return false;

  const ValueSnapshot before = TakeSnapshot(*store);
  try {
    for (const auto& [name, value] : before) store->RemoveValue(name);
    store->WriteText(LoadStr(StrId::DisplayName), displayName);
    store->WriteText(LoadStr(StrId::UninstallString), uninstallCommand);
    if (table != nullptr) {
      for (int row = 1; row < table->RowCount(); ++row) {
        const std::optional<std::string> name = table->ValueName(row);
        if (!name) continue;
        store->WriteValue(*name, ValueOfRow(*table, row, *name));
      }
    }
  } catch (const RegistryError&) {
    // A failed write loses nothing: the entry goes back to what it was (a key this call
    // created goes away again), and the error travels on.
    if (existed) {
      RestoreSnapshot(*store, before);
    } else {
      store->ClosePath();
      store->RemoveKey(subKey);
    }
    throw;
  }
  return true;
}

bool DeleteUninstallKey(Registry& registry, const std::string& keyPath) {
  const RootKeyHandle root = ExtractRootKey(keyPath);
  const std::string subKey = ExtractSubKey(keyPath);
  if (root == RootKey::Invalid || !HasLeafName(subKey)) return false;
  auto store = registry.NewStore();
  store->SelectRoot(root);
  return store->RemoveKey(subKey);
}

bool UninstallKeyExists(Registry& registry, const std::string& keyPath) {
  const RootKeyHandle root = ExtractRootKey(keyPath);
  if (root == RootKey::Invalid) return false;
  auto store = registry.NewStore();
  store->SelectRoot(root);
  return store->HasKey(ExtractSubKey(keyPath));
}

std::string UninstallLogHeader() {
  return "\r\nTidewell Uninstall Log\r\n"
         "Contains information about programs you have uninstalled from your computer\r\n";
}

std::string UninstallLogPath(const std::string& exeFolder) {
  std::string path = exeFolder;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + LoadStr(StrId::LogFileName);
}

bool AppendToUninstallLog(FileSystem& files, AnsiCodec& ansi, const std::string& logPath,
                          const std::string& record) {
  std::unique_ptr<OutputFile> file = files.OpenAppend(logPath);
  if (!file) {
    // Only a log that does not exist yet is created. One that exists but cannot be opened
    // now (read only, or held by another program) is never replaced by a new, empty one.
    if (files.FindFirst(logPath).has_value()) return false;
    std::string error;
    file = files.Create(logPath, error);
    if (!file) return false;
    if (!file->Write(ansi.ToAnsi(UninstallLogHeader() + "\r\n"))) {
      file->Close();
      return false;
    }
  }
  const bool written = file->Write(ansi.ToAnsi(record + "\r\n"));
  return file->Close() && written;
}

std::string LogNotWrittenText(const std::string& logPath) {
  return "The uninstall log \"" + logPath + "\" could not be written, so this operation is not fully recorded in it.";
}

void ClearUninstallLog(FileSystem& files, AnsiCodec& ansi, const std::string& logPath) {
  AppendToUninstallLog(files, ansi, logPath, UninstallLogHeader());
}

namespace {

// How much of a log is read and converted at a time while it is printed.
constexpr std::size_t kLogPieceBytes = 1 << 20;

// A byte below 0x40 is a character of its own in every ANSI code page (lead and trail bytes
// of double-byte characters lie above it), so a text may be cut right after one.
std::size_t SafeCut(const std::string& bytes) {
  for (std::size_t i = bytes.size(); i > 0; --i) {
    if (static_cast<unsigned char>(bytes[i - 1]) < 0x40) return i;
  }
  return 0;
}

// The lines of a text: CR LF, CR and LF each end a line; a break at the very end does not
// begin another line.
std::vector<std::string> SplitLogLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text, start, i - start);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text, start);
  return lines;
}

// A NUL would end the memo's text there (a log re-saved as UTF-16 would show only its byte
// order mark); shown and printed as a blank, so screen and paper agree.
void BlankNuls(std::string& text) {
  for (char& c : text) {
    if (c == '\0') c = ' ';
  }
}

}  // namespace

bool ReadLogExcerpt(InputFile& file, AnsiCodec& ansi, std::uint64_t limit, LogExcerpt& excerpt,
                    std::string& error) {
  const std::uint64_t size = file.Size();
  std::string bytes;
  std::uint64_t leftOut = 0;
  if (size <= limit) {
    if (!file.ReadAt(0, static_cast<std::size_t>(size), bytes, error)) return false;
  } else {
    // One byte more, before the part: whether the part begins right after a line end.
    const std::uint64_t from = size - limit - 1;
    if (!file.ReadAt(from, static_cast<std::size_t>(limit + 1), bytes, error)) return false;
    std::size_t start = bytes.find_first_of("\r\n");
    if (start == std::string::npos) {
      start = bytes.size();
    } else {
      start += bytes[start] == '\r' && start + 1 < bytes.size() && bytes[start + 1] == '\n' ? 2 : 1;
    }
    bytes.erase(0, start);
    leftOut = from + start;
  }
  std::string text = ansi.FromAnsi(bytes);
  bytes = std::string();
  BlankNuls(text);
  excerpt.lines = SplitLogLines(text);
  excerpt.leftOut = leftOut;
  return true;
}

bool ReadLogText(InputFile& file, AnsiCodec& ansi, const std::function<void(const std::string&)>& piece,
                 std::string& error) {
  std::uint64_t offset = 0;
  std::string pending;       // bytes read but not yet converted
  bool afterCr = false;      // the last piece ended with a CR (made an LF)
  bool lineOpen = false;     // text has been handed on since the last line end
  while (true) {
    std::string bytes;
    if (!file.ReadAt(offset, kLogPieceBytes, bytes, error)) return false;
    offset += bytes.size();
    const bool atEnd = bytes.empty();
    pending += bytes;
    bytes = std::string();
    const std::size_t cut = atEnd ? pending.size() : SafeCut(pending);
    std::string text = ansi.FromAnsi(pending.substr(0, cut));
    pending.erase(0, cut);
    // Every line end becomes one LF; an LF right after a CR belongs to it, also across pieces.
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
      if (c == '\n' && afterCr) {
        afterCr = false;
        continue;
      }
      afterCr = c == '\r';
      out.push_back(c == '\r' ? '\n' : c == '\0' ? ' ' : c);
    }
    if (!out.empty()) {
      lineOpen = out.back() != '\n';
      piece(out);
    }
    if (atEnd) break;
  }
  if (lineOpen) piece("\n");
  return true;
}

// The texts filled into a record stay on their own lines: a name holding a line break
// would otherwise write lines of its choosing into the log.
std::string UninstallStartedRecord(const std::string& when, const std::string& name) {
  return "\r\n" + OneLine(when) + "\r\nUninstalling " + OneLine(name);
}

std::string DeleteStartedRecord(const std::string& when, const std::string& name) {
  return "\r\n" + OneLine(when) + "\r\nDeleting entry " + OneLine(name);
}

std::string CleanedUpRecord() { return std::string("Removed from list by ") + kAppTitle + "."; }

}  // namespace tw
