#include "support/Catalogue.h"

#include <stdexcept>

namespace tw::test {

void SetValue(MemoryRegistry& registry, RootKeyHandle root, const std::string& key,
              const std::string& name, const RegValue& value) {
  auto store = registry.NewStore();
  store->SelectRoot(root);
  if (!store->OpenPath(key, true)) throw std::runtime_error("cannot create " + key);
  store->WriteValue(name, value);
}

void AddEntry(MemoryRegistry& registry, RootKeyHandle root, const std::string& subKey,
              const std::string& displayName, const std::string& command,
              const std::string& catalogue) {
  const std::string key = catalogue + "\\" + subKey;
  SetValue(registry, root, key, "DisplayName", RegValue::Text(displayName));
  SetValue(registry, root, key, "UninstallString", RegValue::Text(command));
}

std::vector<std::uint8_t> UsageRecordBytes(std::int64_t size, std::uint64_t lastUse,
                                           std::uint32_t count, const std::u16string& target) {
  std::vector<std::uint8_t> bytes(552, 0);
  auto put = [&](std::size_t at, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(0, 552, 4);
  put(8, static_cast<std::uint64_t>(size), 8);
  put(16, lastUse, 8);
  put(24, count, 4);
  for (std::size_t i = 0; i < target.size() && 28 + 2 * i + 1 < bytes.size(); ++i) {
    put(28 + 2 * i, target[i], 2);
  }
  return bytes;
}

void AddUsage(MemoryRegistry& registry, const std::string& subKey, const RegValue& record) {
  SetValue(registry, RootKey::LocalMachine, std::string(kArpCacheKey) + "\\" + subKey,
           "SlowInfoCache", record);
}

}  // namespace tw::test
