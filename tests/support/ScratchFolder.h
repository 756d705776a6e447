#pragma once
// A fresh folder under the system's temporary folder for tests on real files: made when
// constructed, removed with everything in it (long paths and read-only files included)
// when destroyed. Windows only (header only: the native build never includes it).

#include <windows.h>

#include <string>

#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw::test {

/// Removes a folder tree, long paths included.
inline void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(search.get(), &found));
  }
  search.reset();
  ::RemoveDirectoryW(folder.c_str());
}

class ScratchFolder {
 public:
  /// A folder named `prefix` + process id + tick count; Made() tells whether it exists.
  explicit ScratchFolder(const std::string& prefix) {
    wchar_t temp[MAX_PATH + 1];
    if (::GetTempPathW(MAX_PATH + 1, temp) == 0) return;
    path_ = Narrow(temp) + prefix + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount64());
    made_ = ::CreateDirectoryW(Widen(path_).c_str(), nullptr) != FALSE;
  }
  ~ScratchFolder() {
    if (made_) RemoveTree(L"\\\\?\\" + Widen(path_));
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool Made() const { return made_; }
  const std::string& Path() const { return path_; }
  std::string In(const std::string& name) const { return path_ + "\\" + name; }
  /// Writes a file of these bytes in the folder; its path, or "" when it could not be made.
  std::string MakeFile(const std::string& name, const std::string& bytes) const {
    const std::string path = In(name);
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return {};
    DWORD written = 0;
    const bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return ok ? path : std::string();
  }

 private:
  std::string path_;
  bool made_ = false;
};

}  // namespace tw::test
