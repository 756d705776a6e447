#include "util/CorFileUtils.h"

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

}  // namespace tw
