// Program start: the Win32 services, the main window and the message loop.

#include <windows.h>
#include <commctrl.h>

#include "app/CommandLine.h"
#include "catalogue/UninstallLog.h"
#include "forms/FormMain.h"
#include "forms/ModalForm.h"
#include "util/AppStrings.h"
#include "win32/ShellServices.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Printing.h"
#include "win32/Win32Process.h"
#include "win32/WinText.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  using namespace tw;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The shell link object (dropped shortcuts) needs COM on this thread.
  const ComApartment com;

  Win32Platform system;
  Platform& platform = system.platform;
  Win32ProcessStarter process;
  Win32ShellOpener shell;
  Win32Prompts prompts;
  Win32MenuTracker menus;
  Win32ModalRunner modal;
  Win32PrinterService printers;
  Win32FileDialogs fileDialogs;
  const std::string exeFolder = ExecutableFolder();
  UninstallLog log(platform.files, platform.ansi, platform.locale, platform.clock, exeFolder);
  // Entries are saved before every change in %LOCALAPPDATA%\Quenmark\Tidewell\Backups\.
  const std::string appData = LocalAppDataFolder();
  const std::string backupFolder =
      appData.empty() ? std::string() : appData + "\\" + LoadStr(StrId::BackupFolderBelowAppData) + "\\";
  Services services{platform,    process, shell,     prompts, menus,
                    modal,       printers, fileDialogs, log,   exeFolder,
                    ParseStartupRequest(SplitCommandLine(Narrow(::GetCommandLineW()))), backupFolder};

  TfrmMain main(services);
  try {
    main.Create();
  } catch (const std::exception& e) {
    ShowStandardError(prompts, nullptr, e.what());
    return 1;
  }
  if (main.TerminateRequested()) {
    main.CloseWithoutShowing();
  } else {
    main.Show(showCommand);
  }
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (main.Handle() != nullptr && main.PreTranslateGuarded(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  // Scripts learn from the status whether a report switch wrote its report.
  const int exitCode = static_cast<int>(msg.wParam);
  return exitCode == 0 && main.CommandLineFailed() ? 1 : exitCode;
}
