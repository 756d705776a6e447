#include "forms/FormUninstallLog.h"

#include <algorithm>
#include <stdexcept>

#include "forms/ImageButton.h"
#include "util/Text.h"
#include "util/TextPrinter.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr const char* kClearQuestion =
    "Are you sure you want to clear the contents of the uninstall log?\r\n\r\nWARNING: All information about the "
    "programs you have uninstalled from your computer will be lost.";
constexpr const char* kConfirmCaption = "Confirm";
constexpr const char* kCannotOpen = "Cannot open file \"%s\". %s";
constexpr const char* kCannotCreate = "Cannot create file \"%s\". %s";
constexpr const char* kPrintTitle = "Uninstall Log";

// The lines of a text: CR LF, CR and LF each end a line; a break at the very end does not
// begin another line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

TUninstallLogBox::TUninstallLogBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"Uninstall Log", 624, 352, 32, 41, 2}) {}

void TUninstallLogBox::BuildContent() {
  const HWND panel = ContentPanel();
  memoLog_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                   ES_AUTOVSCROLL,
                               Scale(15), Scale(16), Scale(593), Scale(225), panel,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdMemo)), ::GetModuleHandleW(nullptr),
                               nullptr);
  ::SendMessageW(memoLog_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
  // Logs can grow beyond an edit control's default limit.
  ::SendMessageW(memoLog_, EM_SETLIMITTEXT, 0, 0);
  colors_.Set(memoLog_, RGB(0, 0, 0), RGB(255, 255, 255));

  struct ButtonSpec {
    int id;
    const wchar_t* label;
    int x;
  };
  for (const ButtonSpec& b : {ButtonSpec{IdClearLog, L"CLEAR LOG", 15}, ButtonSpec{IdEditLog, L"EDIT LOG ...", 167},
                              ButtonSpec{IdPrint, L"PRINT ...", 319}, ButtonSpec{IdClose, L"CLOSE", 472}}) {
    CreateImageButton(panel, b.id, b.label, ButtonLook::Page, pictures::Glyph::None, b.x, 262, 136, 34, Dpi());
  }

  // A log that cannot be read is reported while the viewer is made; it opens empty.
  try {
    LoadLog();
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
}

std::string TUninstallLogBox::LogPath() const { return services_.log.Path(); }

void TUninstallLogBox::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  SetWindowTextUtf8(memoLog_, text);
}

void TUninstallLogBox::LoadLog() {
  const std::string path = LogPath();
  std::string bytes;
  std::string error;
  if (!services_.platform.files.ReadAll(path, bytes, error)) {
    SetLines({});
    throw std::runtime_error(FormatText(kCannotOpen, {path, error}));
  }
  std::string text = services_.platform.ansi.FromAnsi(bytes);
  // A NUL would end the memo's text there (a log re-saved as UTF-16 would show only its
  // byte order mark); shown and printed as a blank, so screen and paper agree.
  std::replace(text.begin(), text.end(), '\0', ' ');
  SetLines(SplitLines(text));
}

void TUninstallLogBox::Image2Click() {
  if (services_.prompts.Show(hwnd_, kClearQuestion, std::string(kConfirmCaption), MB_YESNOCANCEL | MB_ICONSTOP) !=
      IDYES) {
    return;
  }
  // The empty file is written first: when the log cannot be written, the memo goes on
  // showing what the file still holds.
  const std::string path = LogPath();
  std::string error;
  std::unique_ptr<OutputFile> file = services_.platform.files.Create(path, error);
  if (!file) throw std::runtime_error(FormatText(kCannotCreate, {path, error}));
  if (!file->Close()) throw std::runtime_error(FormatText(kCannotCreate, {path, SystemErrorText(::GetLastError())}));
  SetLines({});
  services_.log.ClearUninstallLog();
  LoadLog();
}

void TUninstallLogBox::Image3Click() {
  Close();
  // Whether anything opens is up to the shell: a missing file or association shows nothing.
  services_.shell.Open(hwnd_, LogPath());
}

void TUninstallLogBox::Image4Click() {
  std::unique_ptr<PrintSurface> surface = services_.printers.ChoosePrinter(hwnd_, kPrintTitle);
  if (!surface) return;
  TextPrinter printer(*surface);
  for (const std::string& line : lines_) printer.WriteLine(line);
  printer.Close();
}

void TUninstallLogBox::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IdClearLog: Image2Click(); break;
    case IdEditLog: Image3Click(); break;
    case IdPrint: Image4Click(); break;
    case IdClose: cmdCloseClick(); break;
    default: break;
  }
}

}  // namespace tw
