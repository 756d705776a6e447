#pragma once
// The software audit report of the main window's list: its header, writing it to a file or
// a printer, the dialog where the user edits the header and chooses the form and the
// destination, and the writer behind the report switches of the command line.

#include <span>
#include <string>
#include <vector>

#include "catalogue/AuditReport.h"
#include "catalogue/InventoryReport.h"
#include "forms/SkinnedFrame.h"
#include "util/TextPrinter.h"

namespace tw {

/// The report header with this computer's and user's names (at most 15 characters each,
/// "" when the system cannot give them) and the current local date and time.
std::string BuildReportHeader(Services& services);

/// Writes the report to a file (ANSI text, CR LF, replacing a file of that name only once
/// complete) or, when `fileName` is empty, to the default printer. Raises ReportError or
/// PrintError; nothing half-written is left behind.
void WriteAuditReport(Services& services, const std::vector<AuditRow>& rows, const std::string& fileName,
                      const std::string& header, bool longFormat);

/// Prints the report on a page device, one printed line per report line (long lines
/// continue on the next). The job is aborted when an error passes through.
void PrintAuditReport(PrintSurface& printer, const std::vector<AuditRow>& rows, const std::string& header,
                      bool longFormat);

/// The report switches' writer: the header, then the report of the listed rows to the file
/// or the default printer. A report that cannot be written is shown in the application's
/// error box and gives false.
bool WriteReportForCommandLine(Services& services, HWND owner, const std::vector<AuditRow>& rows,
                               const std::string& fileName, bool longFormat);

/// Who and when for the inventory: this computer's and user's names, whole, and the local
/// time now with its offset from UTC.
InventoryHeader BuildInventoryHeader();

/// Writes the inventory of the rows to a file as CSV or JSON (UTF-8, replacing a file of that
/// name only once complete). Raises ReportError; nothing half-written is left behind.
void WriteInventory(Services& services, const std::vector<AuditRow>& rows, const std::string& fileName,
                    InventoryFormat format);

/// The inventory switches' writer: a missing file name or a file that cannot be written is
/// shown in the application's error box and gives false.
bool WriteInventoryForCommandLine(Services& services, HWND owner, const std::vector<AuditRow>& rows,
                                  const StartupRequest& request);

/// "Print or Save Audit Report": the editable header, the short or long form, and print,
/// save and close buttons.
class TAuditBox : public SkinnedFrame {
 public:
  /// `rows` are the listed programs in the list's order, handed over by the main window.
  TAuditBox(Services& services, std::vector<AuditRow> rows);

  /// Print: the print dialog; when confirmed, the report on the chosen printer. The box
  /// closes unless printing failed.
  void Image1Click();
  /// Save: the save dialog; when a name was chosen, the report to that file and the box
  /// closes: the text report, or the inventory as CSV or JSON for a name ending in .csv or
  /// .json (the dialog gives a name without an extension that of the chosen file type).
  /// Cancel, or a file that cannot be written, keeps the box open.
  void Image2Click();
  void cmdCloseClick() { Close(); }

  HWND memHeader() const { return memHeader_; }
  HWND rbShortFormat() const { return rbShortFormat_; }
  HWND rbLongFormat() const { return rbLongFormat_; }
  /// The header as the memo holds it now.
  std::string HeaderText() const;
  bool LongFormatChosen() const;

  enum : int { IdHeaderLabel = 100, IdHeader, IdShortFormat, IdLongFormat, IdPrint, IdSave, IdClose };

  /// The controls' places at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdClose; }

 private:
  std::vector<AuditRow> rows_;
  HWND memHeader_ = nullptr;
  HWND rbShortFormat_ = nullptr;
  HWND rbLongFormat_ = nullptr;
};

}  // namespace tw
