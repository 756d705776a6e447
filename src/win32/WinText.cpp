#include "win32/WinText.h"

#include <climits>

#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/UniqueHandle.h"

namespace tw {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide characters are UTF-16 units");

std::wstring Widen(std::string_view utf8) {
  std::wstring wide;
  AppendUtf16(utf8, wide);
  return wide;
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::string ExpandEnvironment(const std::string& text) {
  const std::wstring wide = Widen(text);
  std::wstring expanded(wide.size() + 1, L'\0');
  // The size asked for counts the closing NUL; a first try that is too small tells the size.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD needed = ::ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return Narrow(expanded);
    }
    expanded.assign(needed, L'\0');
  }
  return text;
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocalMemory owner(buffer);
  std::wstring text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                           text.back() == L'\t')) {
    text.pop_back();
  }
  if (text.empty()) return FormatText(LoadStr(StrId::SystemError), std::to_string(code));
  return Narrow(text);
}

std::string Win32AnsiCodec::ToAnsi(const std::string& utf8) {
  if (utf8.empty()) return {};
  const std::wstring wide = Widen(utf8);
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int wideLength = static_cast<int>(wide.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  const int written =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, out.data(), needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return out;
}

std::string Win32AnsiCodec::FromAnsi(const std::string& ansi) {
  if (ansi.empty() || ansi.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int ansiLength = static_cast<int>(ansi.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  const int written = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, wide.data(), needed);
  wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return Narrow(wide);
}

}  // namespace tw
