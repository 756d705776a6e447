#include "app/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "catalogue/UninstallKeyTools.h"
#include "forms/FormMain.h"
#include "util/Text.h"
#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw {

namespace {

ReportWriter& TheReportWriter() {
  static ReportWriter writer;
  return writer;
}

std::string FirstSwitch(const std::vector<std::string>& parameters) {
  return parameters.empty() ? std::string() : AsciiUpper(parameters.front());
}

std::string ParameterOrEmpty(const std::vector<std::string>& parameters, std::size_t index) {
  return index < parameters.size() ? parameters[index] : std::string();
}

// Removes every named program without asking: starts its uninstall command and deletes its
// catalogue key at once. Nothing is logged.
void QuietUninstall(TfrmMain& form) {
  Services& services = form.services();
  for (std::size_t i = 1; i < services.parameters.size(); ++i) {
    const int position = form.FindProgram(services.parameters[i], false, true);
    if (position < 0) continue;
    const ProgramEntry& row = form.RowAt(position);
    services.process.Start(row.subItems[SubItem::UninstallCommand]);
    DeleteUninstallKey(services.platform.registry, row.subItems[SubItem::Key]);
  }
}

}  // namespace

void SetReportWriter(ReportWriter writer) { TheReportWriter() = std::move(writer); }

bool IsUnattendedRun(const std::vector<std::string>& parameters) {
  const std::string first = FirstSwitch(parameters);
  return first == "/RFL" || first == "/RFS" || first == "/RPL" || first == "/RPS" || first == "/QU";
}

void ProcessCommandLine(TfrmMain& form) {
  const auto& parameters = form.services().parameters;
  if (parameters.empty()) return;
  const std::string first = FirstSwitch(parameters);
  struct ReportSwitch {
    const char* name;
    bool toFile;
    bool longFormat;
  };
  static constexpr ReportSwitch kReports[] = {
      {"/RFL", true, true}, {"/RFS", true, false}, {"/RPL", false, true}, {"/RPS", false, false}};
  for (const auto& report : kReports) {
    if (first != report.name) continue;
    auto& writer = TheReportWriter();
    if (!writer) return;
    const std::string fileName = report.toFile ? ParameterOrEmpty(parameters, 1) : std::string();
    if (writer(form, fileName, report.longFormat)) {
      form.RequestTerminate();
    } else {
      form.MarkCommandLineFailed();
    }
    return;
  }
  if (first == "/QU") {
    QuietUninstall(form);
    form.RequestTerminate();
  }
}

void ProcessUninstallSwitch(TfrmMain& form) {
  const auto& parameters = form.services().parameters;
  if (parameters.empty() || FirstSwitch(parameters) != "/UNINSTALL") return;
  const int position = form.FindProgram(ParameterOrEmpty(parameters, 1), false, false);
  if (position < 0) return;
  form.SelectRow(position);
  form.cmdUninstallClick();
}

std::vector<std::string> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::string> parameters;
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(commandLine.c_str(), &count);
  if (args == nullptr) return parameters;
  const UniqueLocalMemory owner(args);
  for (int i = 1; i < count; ++i) parameters.push_back(Narrow(args[i]));
  return parameters;
}

}  // namespace tw
