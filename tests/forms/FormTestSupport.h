#pragma once
// Scripted services for window tests: the real windows run, and everything that would reach
// a person (dialogs, message boxes, menus) or the outside world (processes, the shell) is
// answered from a script and recorded.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/FormMain.h"
#include "forms/ModalForm.h"
#include "forms/Services.h"
#include "support/Fakes.h"
#include "support/RecordingSurface.h"
#include "win32/Win32Registry.h"

namespace tw::test {

struct PromptRecord {
  std::string text;
  std::optional<std::string> caption;
  unsigned flags;
};

class ScriptedPrompts : public Prompts {
 public:
  int Show(HWND owner, const std::string& text, const std::optional<std::string>& caption,
           unsigned flags) override;
  std::vector<PromptRecord> shown;
  /// Answers in order; when empty, IDOK (or IDCANCEL for boxes without an OK button).
  std::deque<int> answers;
  /// Runs as each box closes, with its owner (to do what a real box does then).
  std::function<void(HWND owner)> onClose;
};

class RecordingProcess : public ProcessStarter {
 public:
  bool Start(const std::string& commandLine) override;
  std::vector<std::string> started;
  bool succeed = true;
  /// When set, the command really runs (CreateProcessW), so real uninstallers can be walked.
  bool real = false;
};

class RecordingShell : public ShellOpener {
 public:
  std::intptr_t Open(HWND owner, const std::string& target) override;
  std::vector<std::string> opened;
  std::intptr_t result = 42;
  /// When set, opening raises an error (after recording the target).
  bool throwOnOpen = false;
};

struct MenuRecord {
  std::vector<std::string> items;  ///< captions; "-" for separators
  std::vector<bool> checked;
  POINT at{};  ///< where it opened, in screen pixels
};

class ScriptedMenus : public MenuTracker {
 public:
  int Track(HWND owner, HMENU menu, POINT screen) override;
  std::vector<MenuRecord> shown;
  /// Commands chosen in order; when empty, nothing is chosen.
  std::deque<int> choices;
};

/// Printers that record: each job goes to a new recording surface.
class RecordingPrinters : public PrinterService {
 public:
  std::unique_ptr<PrintSurface> ChoosePrinter(HWND owner, const std::string& documentTitle) override;
  std::unique_ptr<PrintSurface> DefaultPrinter(const std::string& documentTitle) override;
  /// Whether the print dialog is confirmed (answers in order; true when empty).
  std::deque<bool> confirm;
  bool hasDefault = true;
  std::vector<std::string> titles;
  /// Every job's surface, kept after the job ended.
  std::vector<RecordingSurface*> jobs;
  int dialogsShown = 0;

 private:
  std::vector<std::unique_ptr<RecordingSurface>> owned_;
  std::unique_ptr<PrintSurface> NewJob(const std::string& title);
};

class ScriptedFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> ChooseSaveFile(HWND owner, const SaveFileRequest& request) override;
  std::vector<SaveFileRequest> requests;
  /// Answers in order; nothing (cancel) when empty.
  std::deque<std::optional<std::string>> answers;
};

/// Runs each dialog against a script: the dialog is created and shown, its first activation
/// runs, then the next script drives it with real messages and must leave it closed.
class ScriptedModalRunner : public ModalRunner {
 public:
  using Script = std::function<void(ModalForm&)>;
  int Run(ModalForm& form, HWND owner) override;
  std::deque<Script> scripts;
  std::vector<std::string> titles;  ///< the caption of every dialog run
  int leftOpen = 0;                 ///< dialogs a script did not close (closed as Cancel)
};

/// The backup folder of the window tests' services (made by the first backup).
inline constexpr const char* kTestBackupFolder = "C:\\Users\\Test\\AppData\\Local\\Quenmark\\Tidewell\\Backups\\";

/// A fake platform with scripted services around it.
struct FormHarness {
  FakePlatform fake;
  ScriptedPrompts prompts;
  RecordingProcess process;
  RecordingShell shell;
  ScriptedMenus menus;
  ScriptedModalRunner modal;
  RecordingPrinters printers;
  ScriptedFileDialogs fileDialogs;
  UninstallLog log{fake.files, fake.ansi, fake.locale, fake.clock, "C:\\Tidewell\\"};
  Services services{fake.platform, process,     shell, prompts,           menus, modal,
                    printers,      fileDialogs, log,   "C:\\Tidewell\\", {},   kTestBackupFolder};
  FormHarness() { fake.files.AddFolder("C:\\Tidewell"); }
};

/// The same scripted services on Wine's real registry; files, locale, clock and code page
/// stay the fakes (the log is a memory file).
struct RealRegistryHarness {
  FormHarness fakes;
  Win32Registry registry;
  Platform platform{registry, fakes.fake.files, fakes.fake.locale, fakes.fake.timeZone, fakes.fake.clock,
                    fakes.fake.ansi};
  Services services{platform,        fakes.process,  fakes.shell,       fakes.prompts, fakes.menus,
                    fakes.modal,     fakes.printers, fakes.fileDialogs, fakes.log, "C:\\Tidewell\\", {},
                    kTestBackupFolder};
};

/// Sends a key the way the message loop delivers it: the form's key preview first, then the
/// control (WM_KEYDOWN and, for characters, WM_CHAR). With `control`, the Ctrl key is held.
void PressKey(Window& form, HWND target, UINT vk, bool control = false);

/// Creates the main window on the services (scan, first row, command line), shows it and
/// runs its first activation.
std::unique_ptr<TfrmMain> OpenMainWindow(Services& services);

/// The position of the first row with this caption, or -1.
int RowWithCaption(const TfrmMain& form, const std::string& caption);

/// Runs the posted messages until none are left.
void PumpMessages();

/// Sends a click to a button or a notifying static control.
void Click(HWND control);

/// What a window shows on screen: its client area as 0x00RRGGBB pixels, read back from the
/// window's own surface (not drawn anew).
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  /// Pixels of `area` (client pixels) that are `color`.
  int Count(const RECT& area, COLORREF color) const;
  /// Pixels of `area` that differ from the same pixels of `other`.
  int Differences(const Screenshot& other, const RECT& area) const;
};
Screenshot Capture(HWND window);
/// The rectangle of `control` in the client pixels of `window`.
RECT RectIn(HWND window, HWND control);

}  // namespace tw::test
