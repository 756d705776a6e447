// tidewell-demo-uninstall: a small uninstaller for the demo catalogue. It removes the
// catalogue entry named by /key (a full key path such as
// HKEY_LOCAL_MACHINE\SOFTWARE\...\Uninstall\Name), as a real uninstaller does at its end,
// so that uninstalls can be walked through for real. /leave keeps the entry, which is how an
// uninstaller that forgets its entry behaves; /delay MS waits first, like one that takes time;
// /mark NAME writes a file of that name beside the uninstaller once it has run, so that a test
// can tell which of an entry's commands was started (a name, not a path: a path among the
// parameters would be tested for as a file the uninstaller needs). Other arguments are accepted and ignored, as installers pass their own.

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "util/CorRegToolsPlus.h"
#include "util/Text.h"

namespace {

struct Options {
  std::wstring key;
  bool leave = false;
  DWORD delayMs = 0;
  std::wstring mark;
};

std::string ToUtf8(const std::wstring& text) {
  return tw::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring ToWide(const std::string& text) {
  std::u16string wide = tw::Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

// Writes a line to stderr when the program has one (started from a console or with
// redirected handles); a GUI-subsystem program started by the shell has none.
void Complain(const std::wstring& message) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  std::string bytes = ToUtf8(L"tidewell-demo-uninstall: " + message + L"\n");
  DWORD written = 0;
  WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool SameSwitch(const wchar_t* arg, const wchar_t* name) {
  return (arg[0] == L'/' || arg[0] == L'-') && _wcsicmp(arg + 1, name) == 0;
}

bool ParseOptions(int argc, wchar_t** argv, Options& options, std::wstring& error) {
  for (int i = 1; i < argc; ++i) {
    if (SameSwitch(argv[i], L"key") && i + 1 < argc) {
      options.key = argv[++i];
    } else if (SameSwitch(argv[i], L"mark") && i + 1 < argc) {
      options.mark = argv[++i];
    } else if (SameSwitch(argv[i], L"leave")) {
      options.leave = true;
    } else if (SameSwitch(argv[i], L"delay") && i + 1 < argc) {
      wchar_t* end = nullptr;
      unsigned long ms = std::wcstoul(argv[++i], &end, 10);
      if (end == argv[i] || *end != L'\0') {
        error = L"/delay needs a number of milliseconds, not \"" + std::wstring(argv[i]) + L"\"";
        return false;
      }
      options.delayMs = static_cast<DWORD>(ms);
    }
    // Anything else (a setup log such as -f"...\Setup.isu", a silent switch) belongs to the
    // installer technology the entry imitates and is accepted without effect.
  }
  if (options.key.empty()) {
    error = L"usage: tidewell-demo-uninstall /key \"ROOT\\path\\of\\entry\" [/leave] [/delay MS] [/mark NAME]";
    return false;
  }
  return true;
}

// Removes the entry's key with everything below it. The 64-bit view is used explicitly, so
// a key path through WOW6432Node means exactly that key, as the catalogue shows it.
int RemoveEntry(const std::wstring& fullKeyPath) {
  std::string path = ToUtf8(fullKeyPath);
  tw::RootKeyHandle root = tw::ExtractRootKey(path);
  std::wstring subKey = ToWide(tw::ExtractSubKey(path));
  if (root == tw::RootKey::Invalid || subKey.empty()) {
    Complain(L"not a registry key path: " + fullKeyPath);
    return 2;
  }
  HKEY rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExW(rootKey, subKey.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key);
  if (rc == ERROR_SUCCESS) {
    RegCloseKey(key);
    // Given the key's own path (not NULL), RegDeleteTreeW removes the key itself too.
    rc = RegDeleteTreeW(rootKey, subKey.c_str());
  }
  if (rc != ERROR_SUCCESS) {
    Complain(L"could not remove " + fullKeyPath + L" (error " + std::to_wstring(rc) + L")");
    return 1;
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  Options options;
  std::wstring error;
  bool parsed = ParseOptions(argc, argv, options, error);
  LocalFree(argv);
  if (!parsed) {
    Complain(error);
    return 2;
  }
  if (options.delayMs > 0) Sleep(options.delayMs);
  if (!options.mark.empty()) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring mark(self, length);
    mark = mark.substr(0, mark.find_last_of(L'\\') + 1) + options.mark;
    HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Complain(L"could not write " + mark);
      return 1;
    }
    CloseHandle(file);
  }
  if (options.leave) return 0;
  return RemoveEntry(options.key);
}
