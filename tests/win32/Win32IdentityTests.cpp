#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "win32/Win32Identity.h"
#include "win32/WinText.h"

namespace tw {
namespace {

std::string Environment(const wchar_t* name) {
  wchar_t buffer[512] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, 512);
  return length > 0 && length < 512 ? Narrow(buffer) : std::string();
}

// The system's names, as the environment of the logged-on session also carries them.
TEST(Win32Identity, NamesAreTheSessionsOwn) {
  const std::string computer = ComputerName();
  const std::string user = UserName();
  EXPECT_FALSE(computer.empty());
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(::CompareStringOrdinal(Widen(computer).c_str(), -1, Widen(Environment(L"COMPUTERNAME")).c_str(), -1, TRUE),
            CSTR_EQUAL)
      << computer;
  EXPECT_EQ(::CompareStringOrdinal(Widen(user).c_str(), -1, Widen(Environment(L"USERNAME")).c_str(), -1, TRUE),
            CSTR_EQUAL)
      << user;
}

}  // namespace
}  // namespace tw
