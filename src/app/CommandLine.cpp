#include "app/CommandLine.h"

#include "util/Text.h"

namespace tw {

StartupRequest ParseStartupRequest(const std::vector<std::string>& parameters) {
  StartupRequest request;
  if (parameters.empty()) return request;
  const std::string first = AsciiUpper(parameters.front());
  const auto rest = [&parameters] { return std::vector<std::string>(parameters.begin() + 1, parameters.end()); };
  const auto secondOrEmpty = [&parameters] { return parameters.size() > 1 ? parameters[1] : std::string(); };

  struct ReportSwitch {
    const char* name;
    bool toFile;
    bool longFormat;
  };
  static constexpr ReportSwitch kReports[] = {
      {"/RFL", true, true}, {"/RFS", true, false}, {"/RPL", false, true}, {"/RPS", false, false}};
  for (const auto& report : kReports) {
    if (first != report.name) continue;
    request.action = StartupAction::Report;
    request.longFormat = report.longFormat;
    // A report switch to a file without a file name prints instead.
    if (report.toFile) request.fileName = secondOrEmpty();
    return request;
  }
  // The inventory for other programs: a file name is required.
  if (first == "/RFC" || first == "/RFJ") {
    request.action = StartupAction::Inventory;
    request.inventoryFormat = first == "/RFC" ? InventoryFormat::Csv : InventoryFormat::Json;
    request.fileName = secondOrEmpty();
    request.switchName = parameters.front();
    return request;
  }
  if (first == "/QU") {
    request.action = StartupAction::QuietUninstall;
    request.names = rest();
  } else if (first == "/UNINSTALL") {
    request.action = StartupAction::Uninstall;
    request.names = {secondOrEmpty()};
  } else if (first == "/RESTORE") {
    request.action = StartupAction::Restore;
    request.fileName = secondOrEmpty();
  }
  return request;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> parameters;
  std::size_t i = 0;
  // The program name: up to the next quote when it starts with one, else up to a blank;
  // backslashes and quotes have no other meaning in it.
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') ++i;
    if (i < line.size()) ++i;
  } else {
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
  }
  const auto blank = [&line](std::size_t at) { return line[at] == ' ' || line[at] == '\t'; };
  while (true) {
    while (i < line.size() && blank(i)) ++i;
    if (i >= line.size()) break;
    std::string parameter;
    int quotes = 0;  // quotes seen in the current run: odd while inside quotes
    std::size_t backslashes = 0;
    while (i < line.size() && (quotes != 0 || !blank(i))) {
      const char c = line[i];
      if (c == '\\') {
        ++backslashes;
        parameter.push_back(c);
        ++i;
        continue;
      }
      if (c != '"') {
        backslashes = 0;
        parameter.push_back(c);
        ++i;
        continue;
      }
      if (backslashes % 2 == 0) {
        // 2n backslashes and a quote: n backslashes, and the quote opens or closes.
        parameter.resize(parameter.size() - backslashes / 2);
        ++quotes;
      } else {
        // 2n+1 backslashes and a quote: n backslashes and a literal quote.
        parameter.resize(parameter.size() - backslashes / 2 - 1);
        parameter.push_back('"');
      }
      backslashes = 0;
      ++i;
      // A run of quotes: every third one (counting the one that opened) is a literal quote.
      while (i < line.size() && line[i] == '"') {
        if (++quotes == 3) {
          parameter.push_back('"');
          quotes = 0;
        }
        ++i;
      }
      if (quotes == 2) quotes = 0;
    }
    parameters.push_back(std::move(parameter));
  }
  return parameters;
}

}  // namespace tw
