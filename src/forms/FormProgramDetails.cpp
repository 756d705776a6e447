#include "forms/FormProgramDetails.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "catalogue/UninstallInfoReader.h"
#include "forms/ImageButton.h"
#include "util/AppStrings.h"
#include "util/CorFileInfoTools.h"
#include "util/Text.h"
#include "win32/WinText.h"

namespace tw {

// ---------------------------------------------------------------------------------------
// ScrollBox

void ScrollBox::SetContentSize(int width, int height) {
  contentWidth_ = width;
  contentHeight_ = height;
  UpdateBars();
}

void ScrollBox::UpdateBars() {
  if (hwnd_ == nullptr || updating_) return;
  updating_ = true;
  // Showing one bar narrows the room for the other: settle both, at most twice.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    ::GetClientRect(hwnd_, &client);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = std::max(contentHeight_ - 1, 0);
    info.nPage = static_cast<UINT>(client.bottom);
    ::SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
    info.nMax = std::max(contentWidth_ - 1, 0);
    info.nPage = static_cast<UINT>(client.right);
    ::SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
  }
  updating_ = false;
  ScrollTo(x_, y_);  // keeps the position inside the new range
}

void ScrollBox::ScrollTo(int x, int y) {
  if (hwnd_ == nullptr) return;
  RECT client;
  ::GetClientRect(hwnd_, &client);
  x = std::clamp(x, 0, std::max(contentWidth_ - static_cast<int>(client.right), 0));
  y = std::clamp(y, 0, std::max(contentHeight_ - static_cast<int>(client.bottom), 0));
  const int dx = x_ - x;
  const int dy = y_ - y;
  x_ = x;
  y_ = y;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  info.nPos = y_;
  ::SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
  info.nPos = x_;
  ::SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
  if (dx != 0 || dy != 0) {
    ::ScrollWindowEx(hwnd_, dx, dy, nullptr, nullptr, nullptr, nullptr,
                     SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  }
}

void ScrollBox::Wheel(int delta) {
  const int line = MulDiv(20, static_cast<int>(Dpi()), 96);
  ScrollTo(x_, y_ - MulDiv(delta, 3 * line, WHEEL_DELTA));
}

void ScrollBox::OnScroll(int bar, WORD request) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ::GetScrollInfo(hwnd_, bar, &info);
  const int line = MulDiv(20, static_cast<int>(Dpi()), 96);
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
  }
  if (bar == SB_VERT) {
    ScrollTo(x_, pos);
  } else {
    ScrollTo(pos, y_);
  }
}

LRESULT ScrollBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_VSCROLL:
      OnScroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_SIZE:
      UpdateBars();
      break;
    default:
      break;
  }
  return Panel::HandleMessage(message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// TProgramDetailsBox

namespace {

constexpr int kWidth = 536;
constexpr int kHeight = 392;
constexpr int kBand = 32;
constexpr int kBottomHeight = 70;
constexpr int kCaptionLeft = 16;
constexpr int kValueLeft = 150;
constexpr int kRowStep = 20;
constexpr int kGroupBreak = 22;
constexpr int kLabelHeight = 16;

const char* const kSizeHint =
    "This is the estimated amount of disk space this program (including folders and subfolders) occupies.";

// A decimal number, or -1 for text that is no number.
int NumberOrMinusOne(const std::string& text) {
  std::int64_t value = 0;
  if (!ParseDecimal(text, value) || value < std::numeric_limits<int>::min() ||
      value > std::numeric_limits<int>::max()) {
    return -1;
  }
  return static_cast<int>(value);
}

bool IsCalendarDay(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= last;
}

}  // namespace

TProgramDetailsBox::TProgramDetailsBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"Program Details", kWidth, kHeight, kBand, 42, 1}) {}

void TProgramDetailsBox::BuildContent() {
  const HWND panel = ContentPanel();
  const int bodyHeight = kHeight - kBand;
  // Inside the frame's side and bottom lines (2 pixels each).
  scrollBox_.Create(panel, Scale(2), 0, Scale(kWidth - 4), Scale(bodyHeight - kBottomHeight), RGB(255, 255, 255));
  panBottom_.Create(panel, Scale(2), Scale(bodyHeight - kBottomHeight), Scale(kWidth - 4), Scale(kBottomHeight - 2),
                    RGB(255, 255, 255), Panel::Top, 1, RGB(160, 160, 160));
  cmdOK_ = CreateImageButton(panBottom_.Handle(), IdOK, L"OK", ButtonLook::Page, pictures::Glyph::None, 198, 24, 136,
                             34, Dpi());

  tooltip_ = CreateTooltip(hwnd_, Scale(320));
  FormCreate();
}

void TProgramDetailsBox::FormCreate() {
  Registry& registry = services_.platform.registry;
  AnsiCodec& ansi = services_.platform.ansi;
  // The first failure met while the rows are built; it is reported once, after them, and
  // the dialog opens with every row that could be read.
  std::string firstError;
  const auto value = [&](const char* name) -> std::string {
    try {
      return ReadValueByPath(registry, KeyPath, name, ansi);
    } catch (const RegistryError& e) {
      // A value that cannot be read as text (a long value of another kind) shows no row.
      if (firstError.empty()) firstError = e.what();
      return {};
    }
  };

  rowTop_ = 24;
  AddDetailRow("Program Name:", value("DisplayName"), "", PlainText);
  // The list's size text is right-aligned in a fixed width so that it sorts as text; here it
  // starts where the other values start.
  const std::size_t sizeStart = std::min(SizeText.find_first_not_of(' '), SizeText.size());
  AddDetailRow("Size:", SizeText.substr(sizeStart), kSizeHint, PlainText);

  if (SizeText.empty()) {
    const std::string estimated = value("EstimatedSize");
    if (!estimated.empty()) {
      std::int64_t kilobytes = 0;
      if (!ParseDecimal(estimated, kilobytes)) {
        if (firstError.empty()) firstError = FormatText("'%s' is not a valid integer value", estimated);
      } else if (kilobytes >= 0 && kilobytes <= std::numeric_limits<std::int64_t>::max() / 1024) {
        // A negative count is no size; one too large to be a size in bytes shows nothing
        // rather than a wrapped one.
        AddDetailRow("Estimated Size:", FormatFileSize(services_.platform.locale, kilobytes * 1024), "", PlainText);
      }
    }
  }

  AddDetailRow("Used:", FrequencyText, "", PlainText);
  AddDetailRow("Last Used:", LastUsedText, "", PlainText);
  AddDetailRow("Install Date:", InstallDateText(value("InstallDate")), "", PlainText);
  rowTop_ += kGroupBreak;
  AddDetailRow("Publisher:", value("Publisher"), "", PlainText);
  AddDetailRow("Version:", value("DisplayVersion"), "", PlainText);
  AddDetailRow("Contact:", value("Contact"), "", PlainText);
  AddDetailRow("Contact Phone:", value("HelpTelephone"), "", PlainText);
  AddDetailRow("About:", value("URLInfoAbout"), "", OpenLink);
  AddDetailRow("Support Information:", value("HelpLink"), "", OpenLink);
  AddDetailRow("Readme:", value("Readme"), "", OpenLink);
  AddDetailRow("Product Updates:", value("URLUpdateInfo"), "", OpenLink);
  AddDetailRow("Comments:", value("Comments"), "", PlainText);
  rowTop_ += kGroupBreak;
  AddDetailRow("Uninstall Command:", value("UninstallString"), "", RunLink);
  AddDetailRow("Modify Command:", value("ModifyPath"), "", RunLink);
  AddDetailRow("Display Icon:", value("DisplayIcon"), "", PlainText);
  AddDetailRow("Language:", value("Language"), "", PlainText);
  AddDetailRow("Source:", value("InstallSource"), "", OpenLink);
  AddDetailRow("Location:", value("InstallLocation"), "", OpenLink);
  if (value("WindowsInstaller") == "1") AddDetailRow("Install Program:", "Windows Installer", "", PlainText);
  rowTop_ += kGroupBreak;
  AddDetailRow("Product ID:", value("ProductID"), "", PlainText);
  AddDetailRow("Owner:", value("RegOwner"), "", PlainText);
  AddDetailRow("Owner company:", value("RegCompany"), "", PlainText);
  AddDetailRow(" ", " ", "", PlainText);

  scrollBox_.SetContentSize(Scale(contentRight_ + kCaptionLeft), Scale(rowTop_));

  if (!firstError.empty()) {
    // Reported while the dialog is made; it opens all the same.
    ShowStandardError(services_.prompts, ::GetWindow(hwnd_, GW_OWNER), firstError);
  }
}

std::string TProgramDetailsBox::InstallDateText(const std::string& stored) {
  if (stored.size() != 8) return stored;
  const int year = NumberOrMinusOne(stored.substr(0, 4));
  const int month = NumberOrMinusOne(stored.substr(4, 2));
  const int day = NumberOrMinusOne(stored.substr(6, 2));
  if (year <= 0 || month <= 0 || day <= 0) return stored;
  // Parts that name no day of the calendar (month 13, 30 February) show as stored.
  if (!IsCalendarDay(year, month, day)) return stored;
  DateTime date;
  date.year = year;
  date.month = month;
  date.day = day;
  // A day the locale cannot format (one before 1601) shows as stored.
  std::string text = services_.platform.locale.ShortDate(date);
  return text.empty() ? stored : text;
}

int TProgramDetailsBox::TextWidth(HFONT font, const std::string& text) {
  return TextExtentIn(scrollBox_.Handle(), font, Widen(text)).cx;
}

void TProgramDetailsBox::AddDetailRow(const std::string& caption, const std::string& value, const std::string& hint,
                                      int linkKind) {
  if (value.empty()) return;
  const HWND box = scrollBox_.Handle();
  const POINT scrolled = scrollBox_.Position();
  const int top = Scale(rowTop_) - scrolled.y;
  const bool link = linkKind > PlainText;

  DetailRow row;
  row.caption = caption;
  row.value = value;
  row.hint = hint;
  row.linkKind = linkKind;
  row.top = rowTop_;

  HFONT captionFont = fonts_.Arial(13);
  row.captionLabel = CreateLabel(box, 0, Widen(caption), Scale(kCaptionLeft) - scrolled.x, top,
                                 std::max(TextWidth(captionFont, caption) + Scale(4), Scale(kValueLeft - kCaptionLeft - 4)),
                                 Scale(kLabelHeight), captionFont);
  colors_.Set(row.captionLabel, RGB(0, 0, 0), RGB(255, 255, 255));

  HFONT valueFont = fonts_.Arial(13, false, link);
  const int valueWidth = TextWidth(valueFont, value) + Scale(4);
  const int id = IdFirstValue + static_cast<int>(rows_.size());
  row.valueLabel = link ? CreateLink(box, id, Widen(value), Scale(kValueLeft) - scrolled.x, top, valueWidth,
                                     Scale(kLabelHeight), valueFont)
                        : CreateLabel(box, id, Widen(value), Scale(kValueLeft) - scrolled.x, top, valueWidth,
                                      Scale(kLabelHeight), valueFont, SS_NOTIFY);
  colors_.Set(row.valueLabel, link ? kLinkColor : RGB(0, 0, 0), RGB(255, 255, 255));
  contentRight_ = std::max(contentRight_, kValueLeft + MulDiv(valueWidth, 96, static_cast<int>(Dpi())));

  if (!hint.empty()) AddTooltip(tooltip_, row.valueLabel, Widen(hint));
  rows_.push_back(std::move(row));
  rowTop_ += kRowStep;
}

const TProgramDetailsBox::DetailRow* TProgramDetailsBox::FindRow(const std::string& caption) const {
  for (const DetailRow& row : rows_) {
    if (row.caption == caption) return &row;
  }
  return nullptr;
}

void TProgramDetailsBox::LinkClickEvent(const DetailRow& row) {
  if (row.linkKind == OpenLink) {
    if (services_.shell.Open(nullptr, row.value) <= 32) {
      services_.prompts.Show(hwnd_, LoadStr(StrId::ErrorOpening), row.value, MB_OK | MB_ICONERROR);
    }
  } else if (row.linkKind == RunLink) {
    if (!services_.process.Start(row.value)) {
      services_.prompts.Show(hwnd_, LoadStr(StrId::ErrorExecuting), row.value, MB_OK | MB_ICONERROR);
    }
  }
}

void TProgramDetailsBox::OnCommand(int id, int code) {
  if (id == IdOK && code == BN_CLICKED) {
    cmdOKClick();
    return;
  }
  const int index = id - IdFirstValue;
  if (code == STN_CLICKED && index >= 0 && index < static_cast<int>(rows_.size())) {
    LinkClickEvent(rows_[static_cast<std::size_t>(index)]);
  }
}

LRESULT TProgramDetailsBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEWHEEL) {
    // The wheel scrolls the rows wherever the focus is.
    scrollBox_.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
    return 0;
  }
  return SkinnedFrame::HandleMessage(message, wParam, lParam);
}

}  // namespace tw
