#pragma once
// The shell facilities the windows use: starting a command line as a process, opening a
// document with its associated program, and message boxes. Each is an interface so that
// window tests can pass scripted doubles; the Win32 implementations follow.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "util/TextPrinter.h"

namespace tw {

/// Starts a command line as a new process, shown normally, without waiting for it.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  /// False where the system could not start the command.
  virtual bool Start(const std::string& commandLine) = 0;
};

/// Performs the shell verb "open" on a file, folder or address.
class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  /// The shell's result: above 32 on success.
  virtual std::intptr_t Open(HWND owner, const std::string& target) = 0;
};

/// Message boxes and questions.
class Prompts {
 public:
  virtual ~Prompts() = default;
  /// Shows a message box (MB_* flags) and returns the button chosen (IDOK, IDYES, ...).
  /// Without a caption the system's default title shows.
  virtual int Show(HWND owner, const std::string& text, const std::optional<std::string>& caption,
                   unsigned flags) = 0;
};

/// Shows a popup menu and answers the command chosen (0 for none).
class MenuTracker {
 public:
  virtual ~MenuTracker() = default;
  virtual int Track(HWND owner, HMENU menu, POINT screen) = 0;
};

/// Printers for the line printer: the one the user chooses in the print dialog, or the
/// default printer. Surfaces use a fixed-pitch font of 10 points.
class PrinterService {
 public:
  virtual ~PrinterService() = default;
  /// Shows the print dialog; nullptr when the user cancels.
  virtual std::unique_ptr<PrintSurface> ChoosePrinter(HWND owner, const std::string& documentTitle) = 0;
  /// The default printer; raises PrintError when there is none.
  virtual std::unique_ptr<PrintSurface> DefaultPrinter(const std::string& documentTitle) = 0;
};

/// What a save dialog asks for.
struct SaveFileRequest {
  std::string title;             ///< "Save Report As"
  std::string filter;            ///< "Text Files (.TXT)|*.TXT" (description|pattern pairs)
  std::string defaultExtension;  ///< "txt"
};

/// The system's save dialog: overwrite prompt, the folder must exist, no read-only choice.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  /// The chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> ChooseSaveFile(HWND owner, const SaveFileRequest& request) = 0;
};

/// The current user's local application data folder (%LOCALAPPDATA%), without a trailing
/// backslash; "" when the system names none.
std::string LocalAppDataFolder();

/// Starts commands with CreateProcessW on the whole command line: an unquoted path with
/// blanks is resolved and the program searched for as WinExec does, and characters outside
/// the ANSI code page survive. The window is shown normally; nothing waits for the process.
class Win32ProcessStarter : public ProcessStarter {
 public:
  bool Start(const std::string& commandLine) override;
};

class Win32ShellOpener : public ShellOpener {
 public:
  std::intptr_t Open(HWND owner, const std::string& target) override;
};

class Win32MenuTracker : public MenuTracker {
 public:
  int Track(HWND owner, HMENU menu, POINT screen) override;
};

class Win32Prompts : public Prompts {
 public:
  int Show(HWND owner, const std::string& text, const std::optional<std::string>& caption,
           unsigned flags) override;
};

}  // namespace tw
