#pragma once
// Text at the Win32 boundary: UTF-8 inside the program, UTF-16 for the W functions, and the
// system's ANSI code page for files kept as ANSI text.

#include <windows.h>

#include <string>
#include <string_view>

#include "util/Platform.h"

namespace tw {

/// UTF-8 to UTF-16 for a W function (Utf8ToUtf16: an unpaired surrogate's sequence gives back
/// that code unit, invalid sequences become U+FFFD).
std::wstring Widen(std::string_view utf8);

/// UTF-16 from a W function to UTF-8, every code unit kept: an unpaired surrogate, which
/// registry names may hold, keeps its own 3-byte sequence (Utf16ToUtf8).
std::string Narrow(std::wstring_view utf16);

/// The text with each %NAME% of an environment variable replaced by the variable's value, as
/// the system expands an expandable string; names of no variable stay as they are.
std::string ExpandEnvironment(const std::string& text);

/// The system's description of an error code, without the trailing line break; a generic
/// text with the number when the system has none.
std::string SystemErrorText(DWORD code);

/// Conversion between UTF-8 and the ANSI code page (CP_ACP).
class Win32AnsiCodec : public AnsiCodec {
 public:
  std::string ToAnsi(const std::string& utf8) override;
  std::string FromAnsi(const std::string& ansi) override;
};

}  // namespace tw
