#pragma once
// Printing on a printer's device context with a fixed-pitch font of 10 points, and the
// system's print and save dialogs.

#include <windows.h>

#include <memory>
#include <string>

#include "util/TextPrinter.h"
#include "win32/ShellServices.h"
#include "win32/UniqueHandle.h"

namespace tw {

/// A page device on a printer DC (owned), printing one document titled `documentTitle`.
class PrinterSurface : public PrintSurface {
 public:
  PrinterSurface(UniqueHdc dc, std::string documentTitle);
  ~PrinterSurface() override;

  void BeginDocument() override;
  void BeginPage() override;
  void EndPage() override;
  void EndDocument() override;
  void AbortDocument() override;
  int PageWidth() override;
  int PageHeight() override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  std::vector<int> CharacterExtents(std::string_view text) override;
  int CellHeight() override;
  int AverageCharWidth() override;
  void DrawString(int x, int y, const std::string& text) override;

  HDC Dc() const { return dc_.get(); }

 private:
  UniqueHdc dc_;
  UniqueHFont font_;
  HGDIOBJ oldFont_ = nullptr;
  std::string title_;
  bool inDocument_ = false;
  bool inPage_ = false;
  TEXTMETRICW metrics_{};
  int pageWidth_ = 0;
  int pageHeight_ = 0;
};

class Win32PrinterService : public PrinterService {
 public:
  std::unique_ptr<PrintSurface> ChoosePrinter(HWND owner, const std::string& documentTitle) override;
  std::unique_ptr<PrintSurface> DefaultPrinter(const std::string& documentTitle) override;
};

class Win32FileDialogs : public FileDialogs {
 public:
  std::optional<std::string> ChooseSaveFile(HWND owner, const SaveFileRequest& request) override;
};

}  // namespace tw
