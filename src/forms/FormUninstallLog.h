#pragma once
// The uninstall log viewer: shows ULOG.TXT read-only and lets the user clear it, open it in
// the program associated with text files, or print it on a chosen printer.

#include <windows.h>

#include <string>
#include <vector>

#include "forms/SkinnedFrame.h"

namespace tw {

class TUninstallLogBox : public SkinnedFrame {
 public:
  explicit TUninstallLogBox(Services& services);

  /// Replaces the memo's lines by the lines of the log file (CR LF, CR or LF end a line);
  /// NUL characters become blanks.
  /// Raises an error naming the file when it cannot be read; the memo is then empty.
  void LoadLog();
  /// CLEAR LOG: after the user confirms, empties the log and writes its header.
  void Image2Click();
  /// EDIT LOG: closes the viewer and opens the log in its associated program.
  void Image3Click();
  /// PRINT: prints the memo's lines on the printer the user chooses.
  void Image4Click();
  void cmdCloseClick() { Close(); }

  /// The memo's lines, as shown.
  const std::vector<std::string>& Lines() const { return lines_; }
  HWND Memo() const { return memoLog_; }

  enum : int { IdMemo = 100, IdClearLog, IdEditLog, IdPrint, IdClose };

 protected:
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
