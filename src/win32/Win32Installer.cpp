#include "win32/Win32Installer.h"

#include <windows.h>
#include <msi.h>

#include "win32/WinText.h"

namespace tw {

bool Win32InstallerProducts::IsKnown(const std::string& productCode) {
  return ::MsiQueryProductStateW(Widen(productCode).c_str()) != INSTALLSTATE_UNKNOWN;
}

}  // namespace tw
