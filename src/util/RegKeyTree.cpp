#include "util/RegKeyTree.h"

#include "util/AppStrings.h"
#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {

namespace {

// The root and the path below it of a full key path that names a key below a root.
std::pair<RootKeyHandle, std::string> SplitKeyPath(const std::string& fullKeyPath) {
  const RootKeyHandle root = ExtractRootKey(fullKeyPath);
  std::string sub = ExtractSubKey(fullKeyPath);
  if (root == RootKey::Invalid || sub.empty() || sub.back() == '\\') {
    throw RegistryError(FormatText(LoadStr(StrId::NoKeyBelowRoot), fullKeyPath));
  }
  return {root, std::move(sub)};
}

void ExportKey(RegistryStore& store, SymbolicLinks* links, RootKeyHandle root, const std::string& subPath,
               const std::string& fullPath, RegFile& file) {
  RegFileKey key;
  key.path = fullPath;
  if (links != nullptr) {
    if (auto linkValue = links->LinkValue(root, subPath)) {
      key.link = true;
      key.values.push_back({kSymbolicLinkValueName, std::move(*linkValue)});
      file.keys.push_back(std::move(key));
      return;
    }
  }
  if (!store.OpenPath(subPath, false)) throw RegistryError(FormatText(LoadStr(StrId::UnableToReadKey), fullPath));
  for (const std::string& name : store.ListValues()) {
    // A value that is listed and then absent was removed in between: it is no longer part
    // of the key. (The store reads every value of a key it could open; absent is its only
    // answer of nothing.)
    auto value = store.QueryValue(name);
    if (value) key.values.push_back({name, std::move(*value)});
  }
  const std::vector<std::string> subKeys = store.ListSubKeys();
  store.ClosePath();
  file.keys.push_back(std::move(key));
  for (const std::string& name : subKeys) {
    ExportKey(store, links, root, subPath + "\\" + name, fullPath + "\\" + name, file);
  }
}

}  // namespace

RegFile ExportKeyTree(Registry& registry, const std::string& fullKeyPath, SymbolicLinks* links) {
  const auto [root, subPath] = SplitKeyPath(fullKeyPath);
  auto store = registry.NewStore();
  store->SelectRoot(root);
  RegFile file;
  ExportKey(*store, links, root, subPath, MakeFullKeyPath(root, subPath), file);
  return file;
}

void CheckKeyTreeImport(const RegFile& file, const std::string& keyPath, bool linksSupported,
                        std::size_t maxValueBytes) {
  for (const RegFileKey& key : file.keys) {
    if (key.remove) throw RegFileError(key.line, LoadStr(StrId::RestoreRemovesKey));
    if (!IsSameOrBelowKey(key.path, keyPath)) {
      throw RegFileError(key.line, FormatText(LoadStr(StrId::RestoreKeyOutside), {key.path, keyPath}));
    }
    if (key.link && !linksSupported) {
      throw RegFileError(key.line, LoadStr(StrId::RestoreSymbolicLink));
    }
    for (const RegFileValue& value : key.values) {
      if (value.remove) throw RegFileError(value.line, LoadStr(StrId::RestoreRemovesValue));
      if (value.value.data.size() > maxValueBytes) {
        throw RegFileError(value.line, FormatText(LoadStr(StrId::RestoreValueTooBig),
                                                  {std::to_string(value.value.data.size()),
                                                   std::to_string(maxValueBytes)}));
      }
    }
  }
}

void ImportKeyTree(Registry& registry, const RegFile& file, const std::string& keyPath, bool replaceExisting,
                   SymbolicLinks* links) {
  const auto [root, subPath] = SplitKeyPath(keyPath);
  CheckKeyTreeImport(file, keyPath, links != nullptr);

  auto store = registry.NewStore();
  store->SelectRoot(root);
  // A link counts as the key whether its target exists or not: creating the key's sections
  // under a link would write them wherever it points.
  if ((links != nullptr && links->LinkValue(root, subPath)) || store->HasKey(subPath)) {
    if (!replaceExisting) throw RegistryError(FormatText(LoadStr(StrId::KeyAlreadyExists), keyPath));
    if (!store->RemoveKey(subPath)) throw RegistryError(FormatText(LoadStr(StrId::UnableToRemoveKey), keyPath));
  }
  for (const RegFileKey& key : file.keys) {
    // The sections lie at or below keyPath, which differs from their paths in letter case only.
    const std::string keySubPath = subPath + key.path.substr(keyPath.size());
    if (key.link) {
      if (!links->CreateLink(root, keySubPath, key.values.front().value)) {
        throw RegistryError(FormatText(LoadStr(StrId::UnableToCreateLinkKey), key.path));
      }
      continue;
    }
    if (!store->OpenPath(keySubPath, true)) throw RegistryError(FormatText(LoadStr(StrId::UnableToCreateKey), key.path));
    for (const RegFileValue& value : key.values) store->WriteValue(value.name, value.value);
    store->ClosePath();
  }
}

}  // namespace tw
