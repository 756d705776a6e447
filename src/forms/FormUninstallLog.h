#pragma once
// The uninstall log viewer: shows ULOG.TXT read-only and lets the user clear it, open it in
// the program associated with text files, or print it on a chosen printer.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "forms/SkinnedFrame.h"

namespace tw {

/// The most of a log the viewer shows: of a longer log the newest part, below a line that
/// says how much is left out. An edit control lays out some 30,000 short lines a second
/// (Wine, less on a busy machine), and this is about 18,000 log lines: well under a second,
/// and still some 4,000 uninstalls.
inline constexpr std::uint64_t kLogViewLimit = 512u << 10;

class TUninstallLogBox : public SkinnedFrame {
 public:
  explicit TUninstallLogBox(Services& services);

  /// Replaces the memo's lines by the lines of the log file (CR LF, CR or LF end a line);
  /// NUL characters become blanks. Of a log longer than kLogViewLimit only the newest part
  /// is read and shown, from a line start, below a line that says how much is left out.
  /// Raises an error naming the file when it cannot be read; the memo is then empty.
  void LoadLog();
  /// CLEAR LOG: after the user confirms, empties the log and writes its header.
  void Image2Click();
  /// EDIT LOG: closes the viewer and opens the log in its associated program.
  void Image3Click();
  /// PRINT: prints the whole log, line by line, on the printer the user chooses.
  void Image4Click();
  void cmdCloseClick() { Close(); }

  /// The memo's lines, as shown.
  const std::vector<std::string>& Lines() const { return lines_; }
  HWND Memo() const { return memoLog_; }

  enum : int { IdMemo = 100, IdClearLog, IdEditLog, IdPrint, IdClose };

  /// The controls' places at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdClose; }

 private:
  void SetLines(std::vector<std::string> lines);
  std::string LogPath() const;

  HWND memoLog_ = nullptr;
  std::vector<std::string> lines_;
};

}  // namespace tw
