#pragma once
// The Windows Installer's registered products, asked through msi.dll.

#include <string>

#include "util/Platform.h"

namespace tw {

class Win32InstallerProducts : public InstallerProducts {
 public:
  /// MsiQueryProductStateW: every state but "unknown" (installed, advertised, absent for
  /// this user, broken) is a product the Installer knows.
  bool IsKnown(const std::string& productCode) override;
};

}  // namespace tw
