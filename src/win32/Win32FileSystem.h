#pragma once
// Files and directory searches on kernel32, with paths longer than MAX_PATH.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/Platform.h"

namespace tw {

/// The wide form of a path for a file API: a long absolute path (drive or UNC) gets the
/// "\\?\" prefix, after the system normalised it, so that it is not cut at MAX_PATH.
std::wstring FileApiPath(const std::string& path);

class Win32FileSystem : public FileSystem {
 public:
  std::optional<FindData> FindFirst(const std::string& pattern) override;
  bool Exists(const std::string& pattern) override;
  std::unique_ptr<OutputFile> OpenAppend(const std::string& path) override;
  std::unique_ptr<OutputFile> Create(const std::string& path, std::string& error) override;
  std::unique_ptr<OutputFile> CreateNew(const std::string& path, bool& exists, std::string& error) override;
  std::unique_ptr<InputFile> OpenRead(const std::string& path, std::string& error) override;
  bool ReadAll(const std::string& path, std::string& bytes, std::string& error) override;
  bool Replace(const std::string& from, const std::string& to, std::string& error) override;
  bool MoveToNewName(const std::string& from, const std::string& to, bool& exists, std::string& error) override;
  bool CreateFolder(const std::string& path, std::string& error) override;
  std::vector<FindData> FindAll(const std::string& pattern) override;
  bool Remove(const std::string& path) override;
};

}  // namespace tw
