#pragma once
// What the windows are given to act on the world: the platform (registry, files, locale,
// time zone, clock, code page), process start, shell open, message boxes, popup menus and
// the modal runner. Production passes the Win32 services; window tests pass scripted ones.

#include <windows.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "catalogue/UninstallLog.h"
#include "util/Platform.h"
#include "win32/ShellServices.h"

namespace tw {

class ModalForm;

/// Shows a dialog modally over its owner and returns its modal result.
class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  virtual int Run(ModalForm& form, HWND owner) = 0;
};

struct Services {
  Platform& platform;
  ProcessStarter& process;
  ShellOpener& shell;
  Prompts& prompts;
  MenuTracker& menus;
  ModalRunner& modal;
  PrinterService& printers;
  FileDialogs& fileDialogs;
  /// The uninstall log beside the executable, for the whole run.
  UninstallLog& log;
  /// The folder of the executable, with its trailing backslash (help, documents).
  std::string exeFolder;
  /// What the command line asks for, parsed once at start-up.
  StartupRequest request;
  /// The folder of entry backups, with its trailing backslash (made when the first backup
  /// is written); "" when the system names no folder for them.
  std::string backupFolder = {};
};

/// Modal results.
inline constexpr int kModalNone = 0;
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

}  // namespace tw
