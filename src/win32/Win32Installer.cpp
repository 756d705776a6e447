#include "win32/Win32Installer.h"

#include <windows.h>
#include <msi.h>

#include "win32/SystemLibrary.h"
#include "win32/WinText.h"

#include <set>

#include "util/Text.h"

namespace tw {

namespace {

// The product codes one listing of the Installer gave, upper-cased.
class ListedInstallerProducts : public InstallerProducts {
 public:
  explicit ListedInstallerProducts(std::set<std::string> codes) : codes_(std::move(codes)) {}
  bool IsKnown(const std::string& productCode) override { return codes_.count(AsciiUpper(productCode)) != 0; }

 private:
  std::set<std::string> codes_;
};

// Every user's products, in every context.
constexpr const wchar_t* kEveryUser = L"S-1-1-0";

}  // namespace

bool Win32InstallerProducts::IsKnown(const std::string& productCode) {
  static auto* const query = SystemFunction<decltype(::MsiQueryProductStateW)>(L"msi.dll", "MsiQueryProductStateW");
  // Without the Installer nobody can say a product is gone: the command's own test decides.
  if (query == nullptr) return true;
  return query(Widen(productCode).c_str()) != INSTALLSTATE_UNKNOWN;
}

std::unique_ptr<InstallerProducts> Win32InstallerProducts::Listing() {
  static auto* const enumerate = SystemFunction<decltype(::MsiEnumProductsExW)>(L"msi.dll", "MsiEnumProductsExW");
  if (enumerate == nullptr) return nullptr;
  std::set<std::string> codes;
  for (DWORD index = 0;; ++index) {
    wchar_t code[39] = {};
    MSIINSTALLCONTEXT context = MSIINSTALLCONTEXT_NONE;
    const UINT rc = enumerate(nullptr, kEveryUser, MSIINSTALLCONTEXT_ALL, index, code, &context,
                                         nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    // A listing that fails (another user's products refused, say) leaves the questions to be
    // asked one by one.
    if (rc != ERROR_SUCCESS) return nullptr;
    codes.insert(AsciiUpper(Narrow(code)));
  }
  return std::make_unique<ListedInstallerProducts>(std::move(codes));
}

}  // namespace tw
