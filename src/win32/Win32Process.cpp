#include "win32/Win32Process.h"

#include <windows.h>

#include "win32/WinText.h"

namespace tw {

std::string ExecutableFolder() {
  // GetModuleFileNameW truncates silently: grow until the whole name fits.
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::string() : Narrow(std::wstring_view(path).substr(0, cut + 1));
}

}  // namespace tw
