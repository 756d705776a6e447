#pragma once
// What the windows are given to act on the world: the platform (registry, files, locale,
// time zone, clock, code page), process start, shell open, message boxes, popup menus and
// the modal runner. Production passes the Win32 services; window tests pass scripted ones.

#include <windows.h>

#include <string>
#include <vector>

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
  /// The folder of the executable, with its trailing backslash (log, help, documents).
  std::string exeFolder;
  /// The command-line parameters after the program name.
  std::vector<std::string> parameters;
  /// Whether rows' icons are extracted (off for unattended runs, which show no list).
  bool extractIcons = true;
  /// Set once the user was told that the uninstall log cannot be written: told once a run.
  bool logFailureTold = false;
};

/// Modal results.
inline constexpr int kModalNone = 0;
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

}  // namespace tw
