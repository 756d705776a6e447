#include "win32/ShellServices.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw {

std::string LocalAppDataFolder() {
  PWSTR path = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path);
  std::wstring folder;
  if (SUCCEEDED(result) && path != nullptr) folder = path;
  ::CoTaskMemFree(path);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return Narrow(folder);
}

bool Win32ProcessStarter::Start(const std::string& commandLine) {
  if (commandLine.empty()) return false;
  // CreateProcessW may write into the command line buffer, so it gets its own copy.
  std::wstring wide = Widen(commandLine);
  std::vector<wchar_t> buffer(wide.begin(), wide.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
  return true;
}

std::intptr_t Win32ShellOpener::Open(HWND owner, const std::string& target) {
  const std::wstring file = Widen(target);
  const HINSTANCE result =
      ::ShellExecuteW(owner, L"open", file.c_str(), L"", L"", SW_SHOWNORMAL);
  return reinterpret_cast<std::intptr_t>(result);
}

int Win32MenuTracker::Track(HWND owner, HMENU menu, POINT screen) {
  // The owner must be the foreground window, or the menu would not close when the user
  // clicks elsewhere.
  ::SetForegroundWindow(owner);
  const int chosen = static_cast<int>(::TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
      owner, nullptr));
  ::PostMessageW(owner, WM_NULL, 0, 0);
  return chosen;
}

int Win32Prompts::Show(HWND owner, const std::string& text,
                       const std::optional<std::string>& caption, unsigned flags) {
  const std::wstring body = Widen(text);
  if (!caption) return ::MessageBoxW(owner, body.c_str(), nullptr, flags);
  const std::wstring title = Widen(*caption);
  return ::MessageBoxW(owner, body.c_str(), title.c_str(), flags);
}

}  // namespace tw
