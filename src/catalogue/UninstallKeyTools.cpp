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

}  // namespace tw
