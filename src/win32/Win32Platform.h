#pragma once
// The portable core's platform on Win32: the real registry, file system, user locale, time
// zone, clock, ANSI code page and Windows Installer, bundled for the program and for tools
// and tests that run the core against the real system.

#include "util/Platform.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Installer.h"
#include "win32/Win32Locale.h"
#include "win32/Win32Registry.h"
#include "win32/WinText.h"

namespace tw {

struct Win32Platform {
  Win32Registry registry;
  Win32FileSystem files;
  Win32Locale locale;
  Win32TimeZone timeZone;
  Win32Clock clock;
  Win32AnsiCodec ansi;
  Win32InstallerProducts installer;
  Platform platform{registry, files, locale, timeZone, clock, ansi, &installer};
};

}  // namespace tw
