#include "forms/FormUninstallLog.h"

#include <stdexcept>
#include <utility>

#include "forms/ImageButton.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/Text.h"
#include "util/TextPrinter.h"
#include "win32/WinText.h"

namespace tw {

namespace {

// The four buttons in one row below the memo.
constexpr ControlLayout kLayout[] = {
    {TUninstallLogBox::IdMemo, 15, 16, 593, 225, 13},
    {TUninstallLogBox::IdClearLog, 15, 262, 136, 34},
    {TUninstallLogBox::IdEditLog, 167, 262, 136, 34},
    {TUninstallLogBox::IdPrint, 319, 262, 136, 34},
    {TUninstallLogBox::IdClose, 472, 262, 136, 34},
};

}  // namespace

std::span<const ControlLayout> TUninstallLogBox::LayoutTable() { return kLayout; }

TUninstallLogBox::TUninstallLogBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::LogViewerTitle)), 624, 352, 32, 41, 2}) {}

void TUninstallLogBox::BuildContent() {
  const HWND panel = ContentPanel();
  memoLog_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                   ES_AUTOVSCROLL,
                               0, 0, 0, 0, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdMemo)),
                               ::GetModuleHandleW(nullptr), nullptr);
  // Logs can grow beyond an edit control's default limit.
  ::SendMessageW(memoLog_, EM_SETLIMITTEXT, 0, 0);
  colors_.Set(memoLog_, RGB(0, 0, 0), RGB(255, 255, 255));

  for (const auto& [id, label] :
       {std::pair{IdClearLog, StrId::LogViewerClearButton}, std::pair{IdEditLog, StrId::LogViewerEditButton},
        std::pair{IdPrint, StrId::LogViewerPrintButton}, std::pair{IdClose, StrId::ButtonClose}}) {
    CreateImageButton(panel, id, Widen(StrText(label)), ButtonLook::Page, pictures::Glyph::None, 0, 0, 0, 0, Dpi());
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
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  SetWindowTextUtf8(memoLog_, text);
}

void TUninstallLogBox::LoadLog() {
  const std::string path = LogPath();
  std::string error;
  LogExcerpt excerpt;
  std::unique_ptr<InputFile> file = services_.platform.files.OpenRead(path, error);
  if (!file || !ReadLogExcerpt(*file, services_.platform.ansi, kLogViewLimit, excerpt, error)) {
    SetLines({});
    throw std::runtime_error(FormatText(StrText(StrId::LogViewerCannotOpen), {path, error}));
  }
  if (excerpt.leftOut > 0) {
    const std::string leftOut = FormatFileSize(services_.platform.locale, static_cast<std::int64_t>(excerpt.leftOut));
    excerpt.lines.insert(excerpt.lines.begin(), FormatText(StrText(StrId::LogViewerLeftOut), {leftOut}));
  }
  SetLines(std::move(excerpt.lines));
}

void TUninstallLogBox::Image2Click() {
  if (services_.prompts.Show(hwnd_, LoadStr(StrId::LogViewerClearQuestion), LoadStr(StrId::LogViewerConfirmCaption),
                            MB_YESNOCANCEL | MB_ICONSTOP) != IDYES) {
    return;
  }
  // The empty file is written first: when the log cannot be written, the memo goes on
  // showing what the file still holds.
  const std::string path = LogPath();
  std::string error;
  std::unique_ptr<OutputFile> file = services_.platform.files.Create(path, error);
  if (!file) throw std::runtime_error(FormatText(StrText(StrId::CannotCreateFileBecause), {path, error}));
  if (!file->Close()) {
    throw std::runtime_error(
        FormatText(StrText(StrId::CannotCreateFileBecause), {path, SystemErrorText(::GetLastError())}));
  }
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
  std::unique_ptr<PrintSurface> surface = services_.printers.ChoosePrinter(hwnd_, LoadStr(StrId::LogViewerTitle));
  if (!surface) return;
  // The whole log, also what the memo leaves out, read and printed a piece at a time.
  const std::string path = LogPath();
  std::string error;
  std::unique_ptr<InputFile> file = services_.platform.files.OpenRead(path, error);
  if (!file) throw std::runtime_error(FormatText(StrText(StrId::LogViewerCannotOpen), {path, error}));
  TextPrinter printer(*surface);
  const auto print = [&printer](const std::string& text) { printer.Write(text); };
  if (!ReadLogText(*file, services_.platform.ansi, print, error)) {
    throw std::runtime_error(FormatText(StrText(StrId::LogViewerCannotRead), {path, error}));
  }
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
