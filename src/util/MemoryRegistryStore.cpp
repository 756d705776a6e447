#include "util/MemoryRegistryStore.h"

#include <algorithm>

#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace tw {

namespace {

bool SplitPath(const std::string& path, std::vector<std::string>& parts) {
  parts.clear();
  if (path.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t pos = path.find('\\', start);
    std::string part = path.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
    if (part.empty()) {
      // A single trailing backslash is tolerated, as the registry does; others are not.
      if (pos == std::string::npos && !parts.empty()) return true;
      return false;
    }
    parts.push_back(std::move(part));
    if (pos == std::string::npos) return true;
    start = pos + 1;
  }
}

bool Contains(const MemoryRegistry::Node* tree, const MemoryRegistry::Node* target) {
  if (tree == target) return true;
  for (const auto& [name, child] : tree->subKeys) {
    if (Contains(child.get(), target)) return true;
  }
  return false;
}

bool IsValidRoot(RootKeyHandle root) {
  return root >= RootKey::ClassesRoot && root <= RootKey::DynData;
}

}  // namespace

bool MemoryRegistry::CaseLess::operator()(const std::string& a, const std::string& b) const {
  return AsciiUpper(a) < AsciiUpper(b);
}

MemoryRegistry::MemoryRegistry() = default;

std::unique_ptr<RegistryStore> MemoryRegistry::NewStore() {
  return std::make_unique<MemoryRegistryStore>(*this);
}

MemoryRegistry::Node* MemoryRegistry::Find(RootKeyHandle root, const std::string& path, bool followLast) {
  return Walk(root, path, false, followLast, 0);
}

MemoryRegistry::Node* MemoryRegistry::FindOrCreate(RootKeyHandle root, const std::string& path) {
  return Walk(root, path, true, true, 0);
}

void MemoryRegistry::MakeLink(RootKeyHandle root, const std::string& path, const std::string& target) {
  const std::size_t cut = path.rfind('\\');
  Node* parent = FindOrCreate(root, cut == std::string::npos ? std::string() : path.substr(0, cut));
  if (parent == nullptr) return;
  auto link = std::make_unique<Node>();
  link->link = target;
  parent->subKeys[path.substr(cut == std::string::npos ? 0 : cut + 1)] = std::move(link);
}

// The node of a path below a root; missing keys on the way are made when `create` is set
// (never a link's missing target).
MemoryRegistry::Node* MemoryRegistry::Walk(RootKeyHandle root, const std::string& path, bool create,
                                           bool followLast, int hops) {
  if (!IsValidRoot(root)) return nullptr;
  std::vector<std::string> parts;
  if (!SplitPath(path, parts)) return nullptr;
  auto& slot = roots_[root];
  if (!slot) slot = std::make_unique<Node>();
  Node* node = slot.get();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    auto it = node->subKeys.find(parts[i]);
    if (it == node->subKeys.end()) {
      if (!create) return nullptr;
      it = node->subKeys.emplace(parts[i], std::make_unique<Node>()).first;
    }
    node = it->second.get();
    if (node->link && (followLast || i + 1 < parts.size())) {
      node = Resolve(*node->link, hops + 1);
      if (node == nullptr) return nullptr;
    }
  }
  return node;
}

// The node a link's NT path names, or nullptr (also for a chain of links that never ends).
MemoryRegistry::Node* MemoryRegistry::Resolve(const std::string& target, int hops) {
  constexpr int kMostHops = 32;
  if (hops > kMostHops) return nullptr;
  const std::string upper = AsciiUpper(target);
  const struct {
    std::string prefix;
    RootKeyHandle root;
  } roots[] = {{"\\REGISTRY\\MACHINE", RootKey::LocalMachine},
               {"\\REGISTRY\\USER\\" + AsciiUpper(currentUserSid), RootKey::CurrentUser},
               {"\\REGISTRY\\USER", RootKey::Users}};
  for (const auto& [prefix, root] : roots) {
    if (upper.compare(0, prefix.size(), prefix) != 0) continue;
    if (upper.size() == prefix.size()) return Walk(root, std::string(), false, true, hops);
    if (upper[prefix.size()] == '\\') return Walk(root, target.substr(prefix.size() + 1), false, true, hops);
  }
  return nullptr;
}

std::optional<RegValue> MemorySymbolicLinks::LinkValue(RootKeyHandle root, const std::string& path) {
  if (path.empty()) return std::nullopt;
  const MemoryRegistry::Node* node = registry_.Find(root, path, false);
  if (node == nullptr || !node->link) return std::nullopt;
  // As the registry keeps it: the target's UTF-16 units, without a terminating NUL.
  RegValue value{RegType::Link, Utf8ToUtf16LeBytes(*node->link)};
  value.data.resize(value.data.size() - 2);
  return value;
}

bool MemorySymbolicLinks::CreateLink(RootKeyHandle root, const std::string& path, const RegValue& linkValue) {
  if (path.empty() || linkValue.type != RegType::Link || registry_.Find(root, path, false) != nullptr) return false;
  if (registry_.failWrite && registry_.failWrite(RootKeyName(root) + "\\" + path, kSymbolicLinkValueName)) return false;
  registry_.MakeLink(root, path, Utf16LeBytesToUtf8(linkValue.data.data(), linkValue.data.size()));
  return registry_.Find(root, path, false) != nullptr;
}

MemoryRegistryStore::MemoryRegistryStore(MemoryRegistry& registry) : registry_(registry) {
  ++registry_.storesCreated;
  ++registry_.storesAlive;
}

MemoryRegistryStore::~MemoryRegistryStore() { --registry_.storesAlive; }

void MemoryRegistryStore::SelectRoot(RootKeyHandle root) {
  ClosePath();
  root_ = root;
}

bool MemoryRegistryStore::OpenPath(const std::string& path, bool create) {
  ClosePath();
  const std::string full = RootKeyName(root_) + "\\" + path;
  if (registry_.denyOpen && registry_.denyOpen(full)) return false;
  // A key that refuses writing opens for reading only, and only when it exists.
  const bool readOnly = registry_.denyWrite && registry_.denyWrite(full);
  open_ = create && !readOnly ? registry_.FindOrCreate(root_, path) : registry_.Find(root_, path);
  if (open_) {
    openPath_ = full;
    readOnly_ = readOnly;
  }
  return open_ != nullptr;
}

void MemoryRegistryStore::ClosePath() {
  open_ = nullptr;
  openPath_.clear();
  readOnly_ = false;
}

std::vector<std::string> MemoryRegistryStore::ListSubKeys() {
  std::vector<std::string> names;
  if (!open_) return names;
  names.reserve(open_->subKeys.size());
  for (const auto& [name, node] : open_->subKeys) names.push_back(name);
  return names;
}

std::vector<std::string> MemoryRegistryStore::ListValues() {
  std::vector<std::string> names;
  if (!open_) return names;
  for (const auto& [name, value] : open_->values) names.push_back(name);
  return names;
}

bool MemoryRegistryStore::HasKey(const std::string& path) {
  if (registry_.denyOpen && registry_.denyOpen(RootKeyName(root_) + "\\" + path)) return false;
  return registry_.Find(root_, path) != nullptr;
}

std::optional<RegValue> MemoryRegistryStore::QueryValue(const std::string& name) {
  if (!open_) return std::nullopt;
  const std::string key = AsciiUpper(name);
  for (const auto& [n, v] : open_->values) {
    if (AsciiUpper(n) == key) return v;
  }
  return std::nullopt;
}

void MemoryRegistryStore::WriteValue(const std::string& name, const RegValue& value) {
  if (!open_ || readOnly_ || (registry_.failWrite && registry_.failWrite(openPath_, name))) {
    throw RegistryError(FailedToSetDataText(name));
  }
  const std::string key = AsciiUpper(name);
  for (auto& [n, v] : open_->values) {
    if (AsciiUpper(n) == key) {
      v = value;
      return;
    }
  }
  open_->values.emplace_back(name, value);
}

bool MemoryRegistryStore::RemoveValue(const std::string& name) {
  if (!open_ || readOnly_) return false;
  const std::string key = AsciiUpper(name);
  auto it = std::find_if(open_->values.begin(), open_->values.end(),
                         [&](const auto& entry) { return AsciiUpper(entry.first) == key; });
  if (it == open_->values.end()) return false;
  open_->values.erase(it);
  return true;
}

bool MemoryRegistryStore::RemoveKey(const std::string& path) {
  // The whole path follows the rules OpenPath applies (no leading or doubled backslash), so
  // that a malformed path never names a bigger key than the one meant; the key must be named
  // by a last component, so the root and a path ending in a backslash are refused.
  std::vector<std::string> parts;
  if (path.empty() || path.back() == '\\' || !SplitPath(path, parts)) return false;
  const std::size_t cut = path.rfind('\\');
  const std::string parentPath = cut == std::string::npos ? std::string() : path.substr(0, cut);
  const std::string& leaf = parts.back();
  MemoryRegistry::Node* parent = registry_.Find(root_, parentPath);
  if (!parent) return false;
  // The key is taken from its parent as it stands: a link goes, its target stays.
  auto it = parent->subKeys.find(leaf);
  if (it == parent->subKeys.end()) return false;
  if (registry_.failWrite && registry_.failWrite(RootKeyName(root_) + "\\" + path, std::string())) {
    return false;
  }
  if (open_ != nullptr && Contains(it->second.get(), open_)) {
    // A handle whose key was removed no longer sees it.
    ClosePath();
  }
  parent->subKeys.erase(it);
  return true;
}

std::optional<std::string> MemoryRegistryStore::LinkTarget(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const MemoryRegistry::Node* node = registry_.Find(root_, path, false);
  return node != nullptr ? node->link : std::nullopt;
}

}  // namespace tw
