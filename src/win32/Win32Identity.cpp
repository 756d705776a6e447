#include "win32/Win32Identity.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/WinText.h"

namespace tw {

namespace {

// Asks a name function that takes a buffer and its size in characters, growing the buffer
// when the name does not fit.
template <typename Query>
std::string QueryName(DWORD initialSize, Query query) {
  std::vector<wchar_t> buffer(initialSize, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (query(buffer.data(), &size)) return Narrow(buffer.data());
    const DWORD error = ::GetLastError();
    if (error != ERROR_BUFFER_OVERFLOW && error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_MORE_DATA) {
      return std::string();
    }
    buffer.assign(std::max<std::size_t>(size + 1, buffer.size() * 2), L'\0');
  }
  return std::string();
}

}  // namespace

std::string ComputerName() {
  return QueryName(MAX_COMPUTERNAME_LENGTH + 1,
                   [](wchar_t* buffer, DWORD* size) { return ::GetComputerNameW(buffer, size) != FALSE; });
}

std::string UserName() {
  return QueryName(257, [](wchar_t* buffer, DWORD* size) { return ::GetUserNameW(buffer, size) != FALSE; });
}

}  // namespace tw
