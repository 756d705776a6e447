#pragma once
// The command-line switches: the audit report to a file or the printer, unattended removal of
// named programs, and the uninstall dialog for one named program.

#include <functional>
#include <string>
#include <vector>

namespace tw {

class TfrmMain;

/// Writes the audit report (an empty file name means the printer); false when it could not
/// be written, after telling the user. Set by the report unit; without it the report
/// switches are not acted on.
using ReportWriter = std::function<bool(TfrmMain& form, const std::string& fileName, bool longFormat)>;
void SetReportWriter(ReportWriter writer);

/// True when the first parameter is a switch that runs without the user (a report or the
/// unattended removal): such runs show no error boxes of the scan and extract no icons.
bool IsUnattendedRun(const std::vector<std::string>& parameters);

/// The report and quiet-removal switches, run once after the first scan. A switch that was
/// acted on asks the program to end.
void ProcessCommandLine(TfrmMain& form);

/// The /UNINSTALL switch, run when the main window is first activated.
void ProcessUninstallSwitch(TfrmMain& form);

/// The parameters of a command line after the program name, split as the C runtime does.
std::vector<std::string> SplitCommandLine(const std::wstring& commandLine);

}  // namespace tw
