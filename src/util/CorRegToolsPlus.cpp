#include "util/CorRegToolsPlus.h"

#include <array>
#include <utility>

#include "util/Text.h"

namespace tw {

namespace {

constexpr std::array<std::pair<RootKeyHandle, std::string_view>, 7> kRoots{{
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RootKey::Users, "HKEY_USERS"},
    {RootKey::PerformanceData, "HKEY_PERFORMANCE_DATA"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG"},
    {RootKey::DynData, "HKEY_DYN_DATA"},
}};

}  // namespace

std::string RootKeyName(RootKeyHandle handle) {
  for (const auto& [root, name] : kRoots) {
    if (root == handle) return std::string(name);
  }
  return "INVALID KEY";
}

RootKeyHandle ExtractRootKey(std::string_view fullKeyPath) {
  const std::size_t cut = fullKeyPath.find('\\');
  if (cut == std::string_view::npos) return RootKey::Invalid;
  const std::string first = AsciiUpper(fullKeyPath.substr(0, cut));
  for (const auto& [root, name] : kRoots) {
    if (first == name) return root;
  }
  return RootKey::Invalid;
}

std::string ExtractSubKey(std::string_view fullKeyPath) {
  const std::size_t cut = fullKeyPath.find('\\');
  if (cut == std::string_view::npos) return std::string(fullKeyPath);
  return std::string(fullKeyPath.substr(cut + 1));
}

std::string MakeFullKeyPath(RootKeyHandle root, std::string_view subPath) {
  std::string out = RootKeyName(root);
  out += '\\';
  out += subPath;
  return out;
}

}  // namespace tw
