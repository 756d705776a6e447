#pragma once
// The Windows Installer's registered products, asked through msi.dll.

#include <memory>
#include <string>

#include "util/Platform.h"

namespace tw {

class Win32InstallerProducts : public InstallerProducts {
 public:
  /// MsiQueryProductStateW: every state but "unknown" (installed, advertised, absent for
  /// this user, broken) is a product the Installer knows.
  bool IsKnown(const std::string& productCode) override;
  /// The products of every user and every context, listed once (MsiEnumProductsExW): each
  /// question above costs the Installer several registry look-ups, most of them for
  /// products it has never heard of.
  std::unique_ptr<InstallerProducts> Listing() override;
};

}  // namespace tw
