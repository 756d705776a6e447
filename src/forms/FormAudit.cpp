#include "forms/FormAudit.h"

#include <memory>

#include "forms/ImageButton.h"
#include "win32/Win32Identity.h"

namespace tw {

namespace {

constexpr int kClientWidth = 618;
constexpr int kClientHeight = 396;
constexpr int kBandHeight = 32;

}  // namespace

std::string BuildReportHeader(Services& services) {
  Platform& platform = services.platform;
  return AuditReportHeader(ComputerName(), UserName(), PreparedOnText(platform.locale, platform.clock.Now()));
}

void PrintAuditReport(PrintSurface& printer, const std::vector<AuditRow>& rows, const std::string& header,
                      bool longFormat) {
  TextPrinter text(printer);
  text.Write(AuditReportText(header, rows, longFormat));
  text.Close();
}

void WriteAuditReport(Services& services, const std::vector<AuditRow>& rows, const std::string& fileName,
                      const std::string& header, bool longFormat) {
  if (fileName.empty()) {
    std::unique_ptr<PrintSurface> printer = services.printers.DefaultPrinter(kAuditDocumentTitle);
    PrintAuditReport(*printer, rows, header, longFormat);
    return;
  }
  SaveReportFile(services.platform.files, services.platform.ansi, fileName,
                 AuditReportText(header, rows, longFormat));
}

bool WriteReportForCommandLine(Services& services, HWND owner, const std::vector<AuditRow>& rows,
                               const std::string& fileName, bool longFormat) {
  try {
    WriteAuditReport(services, rows, fileName, BuildReportHeader(services), longFormat);
    return true;
  } catch (const std::exception& e) {
    ShowStandardError(services.prompts, owner, e.what());
    return false;
  }
}

// ---------------------------------------------------------------------------------------
// The dialog

TAuditBox::TAuditBox(Services& services, std::vector<AuditRow> rows)
    : SkinnedFrame(services, FrameLook{L"Print or Save Audit Report", kClientWidth, kClientHeight, kBandHeight, 42, 1}),
      rows_(std::move(rows)) {}

void TAuditBox::BuildContent() {
  const HWND panel = ContentPanel();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto id = [](int value) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(value)); };

  const HWND label = CreateLabel(panel, IdHeaderLabel, L"Raport Header (add, change or remove text):", Scale(16),
                                 Scale(12), Scale(586), Scale(16), fonts_.Arial(13, true));
  colors_.Set(label, RGB(0, 0, 0), RGB(255, 255, 255));

  memHeader_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                     ES_WANTRETURN,
                                 Scale(16), Scale(32), Scale(586), Scale(216), panel, id(IdHeader), instance, nullptr);
  ::SendMessageW(memHeader_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
  // The edit control's own limit (about 32,000 characters) would cut a long header short.
  ::SendMessageW(memHeader_, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextUtf8(memHeader_, BuildReportHeader(services_));

  const auto radio = [&](int control, const wchar_t* text, int y, DWORD group) {
    const HWND button = ::CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | group,
                                          Scale(16), Scale(y), Scale(586), Scale(20), panel, id(control), instance,
                                          nullptr);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
    colors_.Set(button, RGB(0, 0, 0), RGB(255, 255, 255));
    return button;
  };
  rbShortFormat_ = radio(IdShortFormat, L"Short Format (program names only)", 256, WS_GROUP);
  rbLongFormat_ = radio(IdLongFormat, L"Long Format (program name, uninstall command and program status)", 278, 0);
  ::SendMessageW(rbShortFormat_, BM_SETCHECK, BST_CHECKED, 0);

  // Print, save and close side by side, centred under the options.
  const int left = (kClientWidth - (3 * 136 + 2 * 16)) / 2;
  const HWND print =
      CreateImageButton(panel, IdPrint, L"PRINT ...", ButtonLook::Page, pictures::Glyph::None, left, 314, 136, 34, Dpi());
  // The buttons start a group of their own, so the arrow keys move only between the options.
  ::SetWindowLongW(print, GWL_STYLE, ::GetWindowLongW(print, GWL_STYLE) | WS_GROUP);
  CreateImageButton(panel, IdSave, L"SAVE ...", ButtonLook::Page, pictures::Glyph::None, left + 152, 314, 136, 34,
                    Dpi());
  CreateImageButton(panel, IdClose, L"CLOSE", ButtonLook::Page, pictures::Glyph::None, left + 304, 314, 136, 34,
                    Dpi());
}

std::string TAuditBox::HeaderText() const {
  // The memo's lines, each ended by a line break, as a memo hands out its text.
  std::string text = WindowText(memHeader_);
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  return text;
}

bool TAuditBox::LongFormatChosen() const {
  return ::SendMessageW(rbLongFormat_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TAuditBox::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  // A report that cannot be written raises its error, which the window procedure shows in
  // the standard error box; the box stays open.
  switch (id) {
    case IdPrint: Image1Click(); break;
    case IdSave: Image2Click(); break;
    case IdClose: cmdCloseClick(); break;
    default: break;
  }
}

void TAuditBox::Image1Click() {
  std::unique_ptr<PrintSurface> printer = services_.printers.ChoosePrinter(hwnd_, kAuditDocumentTitle);
  if (printer) PrintAuditReport(*printer, rows_, HeaderText(), LongFormatChosen());
  Close();
}

void TAuditBox::Image2Click() {
  const SaveFileRequest request{"Save Report As", "Text Files (.TXT)|*.TXT", "txt"};
  const std::optional<std::string> fileName = services_.fileDialogs.ChooseSaveFile(hwnd_, request);
  if (!fileName) return;
  WriteAuditReport(services_, rows_, *fileName, HeaderText(), LongFormatChosen());
  Close();
}

}  // namespace tw
