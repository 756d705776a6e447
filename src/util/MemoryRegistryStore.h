#pragma once
// An in-memory registry with the same results and errors as the Win32 store, for portable
// tests. Sub keys enumerate in case-insensitive name order, as the registry keeps them;
// values in the order they were created. Names compare without regard to ASCII case.
// Symbolic links lead to their target when opened and are removed as themselves.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "util/RegKeyTree.h"
#include "util/RegistryStore.h"

namespace tw {

class MemoryRegistry;

/// The link keys of a memory registry: read and made as the link nodes they are.
class MemorySymbolicLinks : public SymbolicLinks {
 public:
  explicit MemorySymbolicLinks(MemoryRegistry& registry) : registry_(registry) {}
  std::optional<RegValue> LinkValue(RootKeyHandle root, const std::string& path) override;
  bool CreateLink(RootKeyHandle root, const std::string& path, const RegValue& linkValue) override;

 private:
  MemoryRegistry& registry_;
};

class MemoryRegistry : public Registry {
 public:
  struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  struct Node {
    std::map<std::string, std::unique_ptr<Node>, CaseLess> subKeys;
    std::vector<std::pair<std::string, RegValue>> values;
    /// A symbolic link's target (an NT path); a link holds nothing else.
    std::optional<std::string> link;
  };

  MemoryRegistry();

  std::unique_ptr<RegistryStore> NewStore() override;
  SymbolicLinks* Links() override { return &links_; }

  /// The node at a path below a root, or nullptr. An empty path is the root itself. Links
  /// on the way are followed, the last one too unless `followLast` is clear.
  Node* Find(RootKeyHandle root, const std::string& path, bool followLast = true);
  Node* FindOrCreate(RootKeyHandle root, const std::string& path);

  /// Makes a symbolic link to an NT path: \Registry\Machine\... is HKEY_LOCAL_MACHINE,
  /// \Registry\User\<currentUserSid>\... HKEY_CURRENT_USER, other \Registry\User\...
  /// paths HKEY_USERS.
  void MakeLink(RootKeyHandle root, const std::string& path, const std::string& target);
  std::string currentUserSid = "S-1-5-21-0-0-0-1000";

  /// Test hooks: make writing a value fail (keyPath is "root name\sub path"), or make a
  /// key refuse to open. Both take the full key path and the value name.
  std::function<bool(const std::string& keyPath, const std::string& valueName)> failWrite;
  std::function<bool(const std::string& keyPath)> denyOpen;
  /// Test hook: make a key refuse writing, as a key whose security allows reading only.
  /// It opens for reading only when it exists (it is never created), and its values can be
  /// neither written nor removed.
  std::function<bool(const std::string& keyPath)> denyWrite;

  /// How many stores were created (tests check that every operation releases its own).
  int storesCreated = 0;
  int storesAlive = 0;

 private:
  Node* Walk(RootKeyHandle root, const std::string& path, bool create, bool followLast, int hops);
  Node* Resolve(const std::string& target, int hops);
  std::map<RootKeyHandle, std::unique_ptr<Node>> roots_;
  MemorySymbolicLinks links_{*this};
};

class MemoryRegistryStore : public RegistryStore {
 public:
  explicit MemoryRegistryStore(MemoryRegistry& registry);
  ~MemoryRegistryStore() override;

  void SelectRoot(RootKeyHandle root) override;
  RootKeyHandle CurrentRoot() const override { return root_; }
  bool OpenPath(const std::string& path, bool create) override;
  void ClosePath() override;
  bool IsOpen() const override { return open_ != nullptr; }
  bool IsWritable() const override { return open_ != nullptr && !readOnly_; }
  std::vector<std::string> ListSubKeys() override;
  std::vector<std::string> ListValues() override;
  bool HasKey(const std::string& path) override;
  std::optional<RegValue> QueryValue(const std::string& name) override;
  void WriteValue(const std::string& name, const RegValue& value) override;
  bool RemoveValue(const std::string& name) override;
  bool RemoveKey(const std::string& path) override;
  std::optional<std::string> LinkTarget(const std::string& path) override;

 private:
  MemoryRegistry& registry_;
  RootKeyHandle root_ = RootKey::CurrentUser;
  MemoryRegistry::Node* open_ = nullptr;
  std::string openPath_;
  bool readOnly_ = false;
};

}  // namespace tw
