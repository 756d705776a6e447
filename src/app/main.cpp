// Program start: the Win32 services, the main window and the message loop.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/CommandLine.h"
#include "forms/FormAudit.h"
#include "forms/FormMain.h"
#include "forms/ModalForm.h"
#include "win32/ShellServices.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Printing.h"
#include "win32/Win32Process.h"
#include "win32/WinText.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  using namespace tw;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The shell link object (dropped shortcuts) needs COM on this thread.
  const HRESULT com = ::CoInitialize(nullptr);

  Win32Platform system;
  Platform& platform = system.platform;
  Win32ProcessStarter process;
  Win32ShellOpener shell;
  Win32Prompts prompts;
  Win32MenuTracker menus;
  Win32ModalRunner modal;
  Win32PrinterService printers;
  Win32FileDialogs fileDialogs;
  Services services{platform, process, shell, prompts, menus, modal, printers, fileDialogs, ExecutableFolder(),
                    SplitCommandLine(::GetCommandLineW())};
  // Unattended runs show no list: no icon is extracted at all.
  services.extractIcons = !IsUnattendedRun(services.parameters);

  // The report switches write through the audit report unit; set before the main window
  // processes the command line at the end of its creation.
  SetReportWriter(WriteReportForCommandLine);

  int exitCode = 0;
  {
    TfrmMain main(services);
    try {
      main.Create();
    } catch (const std::exception& e) {
      ShowStandardError(prompts, nullptr, e.what());
      if (SUCCEEDED(com)) ::CoUninitialize();
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
    exitCode = static_cast<int>(msg.wParam);
    // Scripts learn from the status whether a report switch wrote its report.
    if (exitCode == 0 && main.CommandLineFailed()) exitCode = 1;
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return exitCode;
}
