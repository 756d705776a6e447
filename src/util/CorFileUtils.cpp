#include "util/CorFileUtils.h"

#include "util/Text.h"

namespace tw {

bool FindFileExists(FileSystem& files, const std::string& path) {
  if (path.empty()) return false;
  return files.Exists(path);
}

bool FindFileData(FileSystem& files, const std::string& path, FindData& record) {
  if (path.empty()) return false;
  auto found = files.FindFirst(path);
  if (!found) return false;
  record = std::move(*found);
  return true;
}

std::string ExtractFilePath(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string ExtractFileName(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool IsDeviceName(const std::string& path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
    // "\\.\" opens the device namespace; "\\?\" paths and network paths name files.
    return path.size() > 4 && path[2] == '.' && separator(path[3]);
  }
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    // A drive's colon ends the folder part too ("C:nul"), but not one before an extension.
    if (separator(path[i]) || (path[i] == ':' && i + 1 < path.size() && path[i + 1] != '.' && path[i + 1] != ':')) {
      start = i + 1;
    }
  }
  std::string name = path.substr(start);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
  name = AsciiUpper(name);
  if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL") return true;
  return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) && name[3] >= '1' &&
         name[3] <= '9';
}

}  // namespace tw
