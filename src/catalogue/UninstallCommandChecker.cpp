#include "catalogue/UninstallCommandChecker.h"

#include "util/CorFileUtils.h"
#include "util/Text.h"

namespace tw {

bool DrivePathExists(FileSystem& files, const std::string& text) {
  const std::size_t colon = text.find(":\\");
  if (colon == std::string::npos || colon == 0) return true;  // not a file path to check
  return FindFileExists(files, text.substr(colon - 1));
}

std::size_t NextParam(const std::string& text, std::size_t position, std::string& param) {
  param.clear();
  std::size_t i = position;
  const auto code = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  while (true) {
    while (i < text.size() && code(i) >= 1 && code(i) <= 32) ++i;
    if (i + 1 < text.size() && text[i] == '"' && text[i + 1] == '"') {
      i += 2;
      continue;
    }
    break;
  }
  while (i < text.size() && code(i) > 32) {
    if (text[i] == '"') {
      ++i;
      while (i < text.size() && text[i] != '"') param.push_back(text[i++]);
      if (i < text.size()) ++i;  // the closing quote
      continue;
    }
    param.push_back(text[i++]);
  }
  return i;
}

bool UninstallerPresent(FileSystem& files, const std::string& command) {
  // The tests look at the upper-cased command; the files are looked up with the command's
  // own letters (the same bytes at the same places), since file names compare without case
  // and a name in its stored case is found without scanning its folder.
  const std::string upper = AsciiUpper(command);
  if (upper.find("RUNDLL") != std::string::npos) return true;
  const std::size_t exe = upper.find(".EXE");
  if (exe == std::string::npos) return false;
  const std::size_t start = (!upper.empty() && upper[0] == '"') ? 1 : 0;
  const std::size_t end = exe + 4;
  // The program path and the parameters are tested whole, however long they are.
  if (!DrivePathExists(files, command.substr(start, end - start))) return false;
  std::size_t pos = end;
  if (pos < command.size() && command[pos] == '"') ++pos;
  std::string param;
  while (true) {
    pos = NextParam(command, pos, param);
    if (param.empty()) return true;
    if (!DrivePathExists(files, param)) return false;
  }
}

}  // namespace tw

namespace tw {

namespace {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hexadecimal digits.
bool IsBracedGuid(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const char c = text[i];
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> InstallerProductCode(const std::string& command) {
  std::string program;
  std::size_t pos = NextParam(command, 0, program);
  const std::size_t folder = program.find_last_of("\\/");
  const std::string file = AsciiUpper(folder == std::string::npos ? program : program.substr(folder + 1));
  if (file != "MSIEXEC" && file != "MSIEXEC.EXE") return std::nullopt;
  std::string param;
  while (true) {
    pos = NextParam(command, pos, param);
    if (param.empty()) return std::nullopt;
    const std::string upper = AsciiUpper(param);
    if (upper.size() > 2 && upper[0] == '/' && (upper[1] == 'X' || upper[1] == 'I') && IsBracedGuid(upper.substr(2))) {
      return upper.substr(2);
    }
  }
}

bool UninstallerPresent(FileSystem& files, InstallerProducts* installer, const std::string& command) {
  if (!UninstallerPresent(files, command)) return false;
  if (installer == nullptr) return true;
  const std::optional<std::string> product = InstallerProductCode(command);
  return !product || installer->IsKnown(*product);
}

}  // namespace tw
