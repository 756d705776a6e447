#include "win32/Win32FileSystem.h"

#include <algorithm>
#include <climits>

#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw {

namespace {

std::uint64_t FileTimeValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FindData FindDataOf(const WIN32_FIND_DATAW& found) {
  FindData data;
  data.name = Narrow(found.cFileName);
  data.shortName = Narrow(found.cAlternateFileName);
  data.attributes = found.dwFileAttributes;
  data.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data.creationTime = FileTimeValue(found.ftCreationTime);
  data.lastAccessTime = FileTimeValue(found.ftLastAccessTime);
  data.lastWriteTime = FileTimeValue(found.ftLastWriteTime);
  return data;
}

bool IsFolder(const std::wstring& apiPath) {
  const DWORD attributes = ::GetFileAttributesW(apiPath.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(UniqueFile file) : file_(std::move(file)) {}

  bool Write(const std::string& bytes) override {
    if (!file_) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
        return false;
      }
      done += written;
    }
    return true;
  }

  bool Flush() override { return file_ && ::FlushFileBuffers(file_.get()) != FALSE; }

  bool Close() override {
    if (!file_) return false;
    return ::CloseHandle(file_.release()) != FALSE;
  }

 private:
  UniqueFile file_;
};

class Win32InputFile : public InputFile {
 public:
  Win32InputFile(UniqueFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

  std::uint64_t Size() override { return size_; }

  bool ReadAt(std::uint64_t offset, std::size_t count, std::string& bytes, std::string& error) override {
    bytes.resize(count);
    std::size_t done = 0;
    while (done < count) {
      const std::uint64_t at = offset + done;
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
      DWORD got = 0;
      if (!::ReadFile(file_.get(), bytes.data() + done, chunk, &got, &where)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_HANDLE_EOF) break;
        bytes.clear();
        error = SystemErrorText(code);
        return false;
      }
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
    return true;
  }

 private:
  UniqueFile file_;
  std::uint64_t size_;
};

// Opens an existing file for reading, sharing it with writers (the log may be appended to
// while it is read).
UniqueFile OpenForReading(const std::string& path) {
  return UniqueFile(::CreateFileW(FileApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::wstring FileApiPath(const std::string& path) {
  std::wstring wide = Widen(path);
  // Below this length every file API takes the path as it is (CreateDirectory stops at
  // MAX_PATH - 12, the others at MAX_PATH).
  if (wide.size() < MAX_PATH - 12) return wide;
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) return wide;
  const bool drive = wide.size() >= 3 && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/');
  const bool unc = wide.size() >= 2 && (wide[0] == L'\\' || wide[0] == L'/') &&
                   (wide[1] == L'\\' || wide[1] == L'/');
  if (!drive && !unc) return wide;
  // The prefix turns off the system's own clean-up of "/", "." and "..", so do it first.
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

bool Win32FileSystem::Exists(const std::string& pattern) {
  // A directory search reads the folder (costly under Wine); for a plain path the attributes
  // give the same answer. Wildcards, and the paths a search never finds although they exist
  // (a drive root, a trailing separator), take the search itself.
  const bool wildcards = pattern.find_first_of("*?") != std::string::npos;
  const bool endsInSeparator = !pattern.empty() && (pattern.back() == '\\' || pattern.back() == '/');
  const bool driveOnly = pattern.size() <= 3 && pattern.size() >= 2 && pattern[1] == ':';
  if (wildcards || endsInSeparator || driveOnly) return FindFirst(pattern).has_value();
  return ::GetFileAttributesW(FileApiPath(pattern).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FindData> Win32FileSystem::FindFirst(const std::string& pattern) {
  if (pattern.empty()) return std::nullopt;
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW(FileApiPath(pattern).c_str(), &found));
  if (!search) return std::nullopt;
  return FindDataOf(found);
}

std::vector<FindData> Win32FileSystem::FindAll(const std::string& pattern) {
  std::vector<FindData> entries;
  if (pattern.empty()) return entries;
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW(FileApiPath(pattern).c_str(), &found));
  for (bool more = static_cast<bool>(search); more; more = ::FindNextFileW(search.get(), &found) != FALSE) {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") entries.push_back(FindDataOf(found));
  }
  return entries;
}

std::unique_ptr<OutputFile> Win32FileSystem::OpenAppend(const std::string& path) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end of the file.
  UniqueFile file(::CreateFileW(FileApiPath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32OutputFile>(std::move(file));
}

std::unique_ptr<OutputFile> Win32FileSystem::Create(const std::string& path, std::string& error) {
  UniqueFile file(::CreateFileW(FileApiPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = SystemErrorText(::GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32OutputFile>(std::move(file));
}

std::unique_ptr<OutputFile> Win32FileSystem::CreateNew(const std::string& path, bool& exists, std::string& error) {
  exists = false;
  const std::wstring apiPath = FileApiPath(path);
  UniqueFile file(::CreateFileW(apiPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD code = ::GetLastError();
    error = SystemErrorText(code);
    // A folder of that name may be refused as access denied rather than as existing.
    exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ||
             ::GetFileAttributesW(apiPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    return nullptr;
  }
  return std::make_unique<Win32OutputFile>(std::move(file));
}

std::unique_ptr<InputFile> Win32FileSystem::OpenRead(const std::string& path, std::string& error) {
  UniqueFile file = OpenForReading(path);
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size)) {
    error = SystemErrorText(::GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32InputFile>(std::move(file), static_cast<std::uint64_t>(size.QuadPart));
}

bool Win32FileSystem::ReadAll(const std::string& path, std::string& bytes, std::string& error) {
  UniqueFile file = OpenForReading(path);
  if (!file) {
    error = SystemErrorText(::GetLastError());
    return false;
  }
  std::string content;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    content.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  // Read to the end rather than trusting the size: the file may grow while it is read.
  char buffer[64 * 1024];
  while (true) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      error = SystemErrorText(::GetLastError());
      return false;
    }
    if (got == 0) break;
    content.append(buffer, got);
  }
  bytes = std::move(content);
  return true;
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to, std::string& error) {
  // Windows refuses to replace a read-only file; some systems (Wine) move over it anyway.
  // Such a file is kept, on every system.
  const DWORD attributes = ::GetFileAttributesW(FileApiPath(to).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    error = SystemErrorText(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!::MoveFileExW(FileApiPath(from).c_str(), FileApiPath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = SystemErrorText(::GetLastError());
    return false;
  }
  return true;
}

bool Win32FileSystem::MoveToNewName(const std::string& from, const std::string& to, bool& exists,
                                    std::string& error) {
  exists = false;
  const std::wstring target = FileApiPath(to);
  if (::MoveFileExW(FileApiPath(from).c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
  const DWORD code = ::GetLastError();
  error = SystemErrorText(code);
  exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS ||
           ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  return false;
}

bool Win32FileSystem::CreateFolder(const std::string& path, std::string& error) {
  std::string folder = path;
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  const std::wstring apiPath = FileApiPath(folder);
  if (IsFolder(apiPath)) return true;
  // The folders above first; a root (a drive, a share) is there or not, and never made.
  const std::size_t cut = folder.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0) {
    const std::string parent = folder.substr(0, cut);
    const bool root = parent.size() <= 2 || parent.find_first_not_of("\\/") == std::string::npos;
    if (!root && !CreateFolder(parent, error)) return false;
  }
  if (::CreateDirectoryW(apiPath.c_str(), nullptr) || IsFolder(apiPath)) return true;
  error = SystemErrorText(::GetLastError());
  return false;
}

bool Win32FileSystem::Remove(const std::string& path) {
  return ::DeleteFileW(FileApiPath(path).c_str()) != FALSE;
}

}  // namespace tw
