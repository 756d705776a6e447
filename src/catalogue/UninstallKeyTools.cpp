#include "catalogue/UninstallKeyTools.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "catalogue/UninstallInfoReader.h"
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

// A 64-bit number typed as decimal text: -9223372036854775808 to 18446744073709551615, so
// that both the signed number the grid shows and the unsigned one other editors show are
// taken. Its eight bytes, or nothing for any other text.
std::optional<std::uint64_t> QwordBitsOf(const std::string& text) {
  if (!text.empty() && text[0] == '-') {
    std::int64_t number = 0;
    if (!ParseDecimal(text, number)) return std::nullopt;
    return static_cast<std::uint64_t>(number);
  }
  const std::size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  if (start == text.size()) return std::nullopt;
  std::uint64_t number = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (number > (UINT64_MAX - digit) / 10) return std::nullopt;
    number = number * 10 + digit;
  }
  return number;
}

RegValue QwordValue(std::uint64_t bits) {
  RegValue value{RegType::Qword, {}};
  for (int i = 0; i < 8; ++i) value.data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  return value;
}

// A changed multi-string, shown as its strings joined by a blank, is split at its blanks only
// where the blanks can have stood between strings: when it held several strings and none of
// them a blank of its own. Otherwise (one string, or strings with blanks in them, which the
// joined text cannot tell apart) the whole text is its one string.
RegValue MultiStringOfText(const std::string& text, const RegValue& original) {
  const std::vector<std::string> before = MultiStrings(original);
  const bool splitAtBlanks =
      before.size() > 1 && std::none_of(before.begin(), before.end(), [](const std::string& s) {
        return s.find(kMultiStringSeparator) != std::string::npos;
      });
  std::vector<std::string> strings;
  if (splitAtBlanks) {
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t blank = std::min(text.find(kMultiStringSeparator, start), text.size());
      // An empty string would end the list: runs of blanks separate like one.
      if (blank > start) strings.push_back(text.substr(start, blank - start));
      start = blank + 1;
    }
  } else if (!text.empty()) {
    strings.push_back(text);
  }
  return MultiStringValue(strings);
}

// The value a table row stands for: rows whose text is unchanged keep their stored type and
// data (also under a new name: a renamed binary value keeps its bytes, not the placeholder
// text shown for them); changed numbers, multi-strings and expandable strings under their own
// name keep their kind where the text allows; the rest are strings. A changed 64-bit number
// whose text is no 64-bit number raises the refusal, since a string in its place would break
// whatever reads the number.
RegValue ValueOfRow(const ValueTable& table, int row, const std::string& name) {
  const std::string text = table.Cell(1, row);
  const OriginalValue* original = table.Original(row);
  if (original != nullptr && original->text == text) return original->value;
  if (original != nullptr && AsciiUpper(original->name) == AsciiUpper(name)) {
    switch (original->value.type) {
      case RegType::Dword: {
        std::int64_t number = 0;
        if (ParseDecimal(text, number) && number >= INT32_MIN && number <= static_cast<std::int64_t>(UINT32_MAX)) {
          return RegValue::Number(static_cast<std::uint32_t>(number));
        }
        break;
      }
      case RegType::Qword:
        if (const auto bits = QwordBitsOf(text)) return QwordValue(*bits);
        throw RegistryError(FormatText(LoadStr(StrId::QwordNotANumber), {name, text}));
      case RegType::MultiString:
        return MultiStringOfText(text, original->value);
      case RegType::ExpandString:
        return RegValue::Text(text, RegType::ExpandString);
      default:
        break;
    }
  }
  return RegValue::Text(text);
}

// The values the table's rows write, in row order; raises the refusal of a row that cannot
// be written before anything has changed.
std::vector<std::pair<std::string, RegValue>> ValuesOfTable(const ValueTable& table) {
  std::vector<std::pair<std::string, RegValue>> values;
  for (int row = 1; row < table.RowCount(); ++row) {
    std::optional<std::string> name = table.ValueName(row);
    if (!name) continue;
    RegValue value = ValueOfRow(table, row, *name);
    values.emplace_back(std::move(*name), std::move(value));
  }
  return values;
}

bool HasLeafName(const std::string& subKey) {
  // A path that names no key below the root (empty, or ending in a backslash) is never
  // written or deleted: opening it would rewrite the values of a root or of the catalogue
  // key, and removing it would take a whole root or catalogue with it.
  return !subKey.empty() && subKey.back() != '\\';
}

}  // namespace

std::optional<std::string> ValueTableRefusal(const ValueTable& table) {
  try {
    ValuesOfTable(table);
    return std::nullopt;
  } catch (const RegistryError& e) {
    return std::string(e.what());
  }
}

bool WriteUninstallEntry(Registry& registry, const std::string& keyPath,
                         const std::string& displayName, const std::string& uninstallCommand,
                         const ValueTable* table, bool createIfMissing) {
  const RootKeyHandle root = ExtractRootKey(keyPath);
  const std::string subKey = ExtractSubKey(keyPath);
  if (root == RootKey::Invalid || !HasLeafName(subKey)) return false;
  // Every row's value is made first: a row that cannot be written refuses the whole write
  // while the entry is still as it was.
  const auto rows = table != nullptr ? ValuesOfTable(*table) : std::vector<std::pair<std::string, RegValue>>();
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
    for (const auto& [name, value] : rows) store->WriteValue(name, value);
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

}  // namespace tw
