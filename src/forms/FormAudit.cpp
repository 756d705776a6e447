#include "forms/FormAudit.h"

#include <memory>

#include "forms/ImageButton.h"
#include "util/AppStrings.h"
#include "util/Text.h"
#include "win32/Win32Identity.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kClientWidth = 618;
constexpr int kClientHeight = 396;
constexpr int kBandHeight = 32;
// Print, save and close side by side, centred under the options.
constexpr int kButtonsLeft = (kClientWidth - (3 * 136 + 2 * 16)) / 2;

constexpr ControlLayout kLayout[] = {
    {TAuditBox::IdHeaderLabel, 16, 12, 586, 16, 13, true},
    {TAuditBox::IdHeader, 16, 32, 586, 216, 13},
    {TAuditBox::IdShortFormat, 16, 256, 586, 20, 13},
    {TAuditBox::IdLongFormat, 16, 278, 586, 20, 13},
    {TAuditBox::IdPrint, kButtonsLeft, 314, 136, 34},
    {TAuditBox::IdSave, kButtonsLeft + 152, 314, 136, 34},
    {TAuditBox::IdClose, kButtonsLeft + 304, 314, 136, 34},
};

/// The title of print jobs of the report.
std::string DocumentTitle() { return LoadStr(StrId::AuditDocumentTitle); }

}  // namespace

std::span<const ControlLayout> TAuditBox::LayoutTable() { return kLayout; }

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
    std::unique_ptr<PrintSurface> printer = services.printers.DefaultPrinter(DocumentTitle());
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

InventoryHeader BuildInventoryHeader() {
  SYSTEMTIME utc, local;
  ::GetSystemTime(&utc);
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  FILETIME utcTime, localTime;
  ::SystemTimeToFileTime(&utc, &utcTime);
  ::SystemTimeToFileTime(&local, &localTime);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  const int offsetMinutes = static_cast<int>((ticks(localTime) - ticks(utcTime)) / 600000000);
  const DateTime now{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, 0};
  return InventoryHeader{ComputerName(), UserName(), IsoDateTime(now, offsetMinutes)};
}

void WriteInventory(Services& services, const std::vector<AuditRow>& rows, const std::string& fileName,
                    InventoryFormat format) {
  std::vector<InventoryRow> items;
  items.reserve(rows.size());
  const ProgramEntry none;
  for (const AuditRow& row : rows) {
    items.push_back(InventoryRowOf(row.entry != nullptr ? *row.entry : none, services.platform.timeZone));
  }
  SaveReportBytes(services.platform.files, fileName, InventoryText(format, BuildInventoryHeader(), items));
}

bool WriteInventoryForCommandLine(Services& services, HWND owner, const std::vector<AuditRow>& rows,
                                  const StartupRequest& request) {
  try {
    if (request.fileName.empty()) {
      throw ReportError(FormatText(LoadStr(StrId::InventoryFileNameMissing), request.switchName));
    }
    WriteInventory(services, rows, request.fileName, request.inventoryFormat);
    return true;
  } catch (const std::exception& e) {
    ShowStandardError(services.prompts, owner, e.what());
    return false;
  }
}

// ---------------------------------------------------------------------------------------
// The dialog

TAuditBox::TAuditBox(Services& services, std::vector<AuditRow> rows)
    : SkinnedFrame(services,
                   FrameLook{Widen(StrText(StrId::AuditTitle)), kClientWidth, kClientHeight, kBandHeight, 42, 1}),
      rows_(std::move(rows)) {}

void TAuditBox::BuildContent() {
  const HWND panel = ContentPanel();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto id = [](int value) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(value)); };

  const HWND label = CreateLabel(panel, IdHeaderLabel, Widen(StrText(StrId::AuditHeaderLabel)), 0, 0, 0, 0, nullptr);
  colors_.Set(label, RGB(0, 0, 0), RGB(255, 255, 255));

  memHeader_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                     ES_WANTRETURN,
                                 0, 0, 0, 0, panel, id(IdHeader), instance, nullptr);
  // The edit control's own limit (about 32,000 characters) would cut a long header short.
  ::SendMessageW(memHeader_, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextUtf8(memHeader_, BuildReportHeader(services_));

  const auto radio = [&](int control, StrId text, DWORD group) {
    const HWND button =
        ::CreateWindowExW(0, L"BUTTON", Widen(StrText(text)).c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON | group, 0, 0, 0, 0, panel,
                          id(control), instance, nullptr);
    colors_.Set(button, RGB(0, 0, 0), RGB(255, 255, 255));
    return button;
  };
  rbShortFormat_ = radio(IdShortFormat, StrId::AuditShortFormat, WS_GROUP);
  rbLongFormat_ = radio(IdLongFormat, StrId::AuditLongFormat, 0);
  ::SendMessageW(rbShortFormat_, BM_SETCHECK, BST_CHECKED, 0);

  const auto button = [&](int control, StrId label) {
    return CreateImageButton(panel, control, Widen(StrText(label)), ButtonLook::Page, pictures::Glyph::None, 0, 0, 0,
                             0, Dpi());
  };
  const HWND print = button(IdPrint, StrId::AuditPrintButton);
  // The buttons start a group of their own, so the arrow keys move only between the options.
  ::SetWindowLongW(print, GWL_STYLE, ::GetWindowLongW(print, GWL_STYLE) | WS_GROUP);
  button(IdSave, StrId::AuditSaveButton);
  button(IdClose, StrId::ButtonClose);
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
  std::unique_ptr<PrintSurface> printer = services_.printers.ChoosePrinter(hwnd_, DocumentTitle());
  if (printer) PrintAuditReport(*printer, rows_, HeaderText(), LongFormatChosen());
  Close();
}

void TAuditBox::Image2Click() {
  const std::string filter = LoadStr(StrId::AuditSaveFilter) + "|" + LoadStr(StrId::InventoryCsvFilter) + "|" +
                             LoadStr(StrId::InventoryJsonFilter);
  const SaveFileRequest request{LoadStr(StrId::AuditSaveTitle), filter, "txt"};
  const std::optional<std::string> fileName = services_.fileDialogs.ChooseSaveFile(hwnd_, request);
  if (!fileName) return;
  if (const std::optional<InventoryFormat> format = InventoryFormatOfFile(*fileName)) {
    WriteInventory(services_, rows_, *fileName, *format);
  } else {
    WriteAuditReport(services_, rows_, *fileName, HeaderText(), LongFormatChosen());
  }
  Close();
}

}  // namespace tw
