#include "win32/Win32Printing.h"

#include <commdlg.h>

#include <vector>

#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/SystemLibrary.h"
#include "win32/WinText.h"

namespace tw {

namespace {

// The message of a failed printing call, with the system's description of its error.
std::string PrintingFailedText() {
  const DWORD error = ::GetLastError();
  return FormatText(LoadStr(StrId::PrintingFailed), SystemErrorText(error));
}

// Frees the global memory blocks a print dialog hands back.
// The common dialogs, loaded when one is first opened. A library that cannot be loaded
// answers as a dialog that failed.
BOOL PrintDialog(PRINTDLGW* dialog) {
  static auto* const function = SystemFunction<decltype(::PrintDlgW)>(L"comdlg32.dll", "PrintDlgW");
  return function != nullptr && function(dialog);
}

DWORD DialogError() {
  static auto* const function = SystemFunction<decltype(::CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
  return function != nullptr ? function() : static_cast<DWORD>(ERROR_MOD_NOT_FOUND);
}

BOOL SaveFileDialog(OPENFILENAMEW* dialog) {
  static auto* const function = SystemFunction<decltype(::GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  return function != nullptr && function(dialog);
}

void FreeDialogMemory(PRINTDLGW& dialog) {
  if (dialog.hDevMode) ::GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames) ::GlobalFree(dialog.hDevNames);
  dialog.hDevMode = dialog.hDevNames = nullptr;
}

}  // namespace

PrinterSurface::PrinterSurface(UniqueHdc dc, std::string documentTitle)
    : dc_(std::move(dc)), title_(std::move(documentTitle)) {
  // A fixed-pitch face of 10 points at the printer's resolution; the printer's default face
  // for that request.
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(10, ::GetDeviceCaps(dc_.get(), LOGPIXELSY), 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  font_.reset(::CreateFontIndirectW(&lf));
  oldFont_ = ::SelectObject(dc_.get(), font_.get());
  ::GetTextMetricsW(dc_.get(), &metrics_);
  // Asked for at every printed line; each question to the device costs a round trip.
  pageWidth_ = ::GetDeviceCaps(dc_.get(), HORZRES);
  pageHeight_ = ::GetDeviceCaps(dc_.get(), VERTRES);
}

PrinterSurface::~PrinterSurface() {
  if (inDocument_) ::AbortDoc(dc_.get());
  if (oldFont_ != nullptr) ::SelectObject(dc_.get(), oldFont_);
}

void PrinterSurface::BeginDocument() {
  const std::wstring title = Widen(title_);
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  if (::StartDocW(dc_.get(), &info) <= 0) throw PrintError(PrintingFailedText());
  inDocument_ = true;
}

void PrinterSurface::BeginPage() {
  if (::StartPage(dc_.get()) <= 0) throw PrintError(PrintingFailedText());
  inPage_ = true;
  // Some drivers reset the device context at each page.
  ::SelectObject(dc_.get(), font_.get());
  ::SetBkMode(dc_.get(), TRANSPARENT);
}

void PrinterSurface::EndPage() {
  inPage_ = false;
  if (::EndPage(dc_.get()) <= 0) throw PrintError(PrintingFailedText());
}

void PrinterSurface::EndDocument() {
  inDocument_ = false;
  if (::EndDoc(dc_.get()) <= 0) throw PrintError(PrintingFailedText());
}

void PrinterSurface::AbortDocument() {
  if (inDocument_) ::AbortDoc(dc_.get());
  inDocument_ = inPage_ = false;
}

int PrinterSurface::PageWidth() { return pageWidth_; }
int PrinterSurface::PageHeight() { return pageHeight_; }

int PrinterSurface::TextWidth(const std::string& text) {
  const std::wstring wide = Widen(text);
  SIZE size{};
  ::GetTextExtentPoint32W(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

std::vector<int> PrinterSurface::CharacterExtents(std::string_view text) {
  const std::wstring wide = Widen(text);
  std::vector<int> unitEnds(wide.size());
  SIZE size{};
  if (!wide.empty() && !::GetTextExtentExPointW(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), 0, nullptr,
                                                unitEnds.data(), &size)) {
    throw PrintError(PrintingFailedText());
  }
  // One extent per character: a character beyond the 16-bit range takes two UTF-16 units
  // and ends where its second one does.
  std::vector<int> extents;
  extents.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1])) ++i;
    extents.push_back(unitEnds[i]);
  }
  return extents;
}

int PrinterSurface::TextHeight(const std::string& text) {
  const std::wstring wide = Widen(text.empty() ? std::string(" ") : text);
  SIZE size{};
  ::GetTextExtentPoint32W(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cy;
}

int PrinterSurface::CellHeight() { return metrics_.tmHeight; }
int PrinterSurface::AverageCharWidth() { return metrics_.tmAveCharWidth; }

void PrinterSurface::DrawString(int x, int y, const std::string& text) {
  const std::wstring wide = Widen(text);
  if (!::TextOutW(dc_.get(), x, y, wide.c_str(), static_cast<int>(wide.size()))) {
    throw PrintError(PrintingFailedText());
  }
}

std::unique_ptr<PrintSurface> Win32PrinterService::ChoosePrinter(HWND owner,
                                                                 const std::string& documentTitle) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  if (!PrintDialog(&dialog)) {
    FreeDialogMemory(dialog);
    const DWORD error = DialogError();
    if (error == 0) return nullptr;  // cancelled
    throw PrintError(FormatText(LoadStr(StrId::NoPrinter), std::to_string(error)));
  }
  FreeDialogMemory(dialog);
  return std::make_unique<PrinterSurface>(UniqueHdc(dialog.hDC), documentTitle);
}

std::unique_ptr<PrintSurface> Win32PrinterService::DefaultPrinter(const std::string& documentTitle) {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  if (!PrintDialog(&dialog) || dialog.hDC == nullptr) {
    FreeDialogMemory(dialog);
    throw PrintError(LoadStr(StrId::NoDefaultPrinter));
  }
  FreeDialogMemory(dialog);
  return std::make_unique<PrinterSurface>(UniqueHdc(dialog.hDC), documentTitle);
}

std::optional<std::string> Win32FileDialogs::ChooseSaveFile(HWND owner, const SaveFileRequest& request) {
  // The filter's "|" separators become the NULs the dialog expects, with a double NUL at the end.
  std::wstring filter = Widen(request.filter);
  for (auto& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  const std::wstring title = Widen(request.title);
  const std::wstring extension = Widen(request.defaultExtension);
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!SaveFileDialog(&dialog)) return std::nullopt;
  return Narrow(file.data());
}

}  // namespace tw
