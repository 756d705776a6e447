#include "forms/FormProgramDetails.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "catalogue/UninstallInfoReader.h"
#include "catalogue/ValueNames.h"
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
constexpr int kBodyHeight = kHeight - kBand;
constexpr int kBottomHeight = 70;
constexpr int kTooltipWidth = 320;
// The rows: a caption and a value label at the row's top, one row below the other and a
// group break between groups.
constexpr int kFirstRowTop = 24;
constexpr int kCaptionLeft = 16;
constexpr int kValueLeft = 150;
// The least room between a caption and its value where a caption is wider than its column.
constexpr int kCaptionGap = 8;
constexpr int kRowStep = 20;
constexpr int kGroupBreak = 22;
constexpr int kLabelHeight = 16;
constexpr int kRowFont = 13;
// The blank row that closes the column, so that the last detail does not end at the box's edge.
constexpr const char* kBlankRow = " ";

// Inside the frame's side and bottom lines (2 pixels each): the scroll box above the bottom
// panel, whose rule runs along its top.
constexpr ControlLayout kLayout[] = {
    {TProgramDetailsBox::IdScrollBox, 2, 0, kWidth - 4, kBodyHeight - kBottomHeight},
    {TProgramDetailsBox::IdBottom, 2, kBodyHeight - kBottomHeight, kWidth - 4, kBottomHeight - 2},
    {TProgramDetailsBox::IdOK, 198, 24, 136, 34},
};

// A decimal number, or -1 for text that is no number.
int NumberOrMinusOne(const std::string& text) {
  std::int64_t value = 0;
  if (!ParseDecimal(text, value) || value < std::numeric_limits<int>::min() ||
      value > std::numeric_limits<int>::max()) {
    return -1;
  }
  return static_cast<int>(value);
}

}  // namespace

std::span<const ControlLayout> TProgramDetailsBox::LayoutTable() { return kLayout; }

TProgramDetailsBox::TProgramDetailsBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::DetailsTitle)), kWidth, kHeight, kBand, 42, 1}) {}

void TProgramDetailsBox::BuildContent() {
  const HWND panel = ContentPanel();
  scrollBox_.CreateControl(panel, IdScrollBox, RGB(255, 255, 255));
  panBottom_.CreateControl(panel, IdBottom, RGB(255, 255, 255), Panel::Top, 1, RGB(160, 160, 160));
  cmdOK_ = CreateImageButton(panBottom_.Handle(), IdOK, Widen(StrText(StrId::ButtonOk)), ButtonLook::Page,
                             pictures::Glyph::None, 0, 0, 0, 0, Dpi());

  tooltip_ = CreateTooltip(hwnd_, Scale(kTooltipWidth));
  FormCreate();
}

void TProgramDetailsBox::LayoutApplied() {
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(kTooltipWidth));
  // The rows are placed again from the box's top: a scroll position at the old scale would
  // show another part of the column at the new one.
  scrollBox_.ScrollTo(0, 0);
  contentRight_ = 0;
  valueLeft_ = kValueLeft;
  for (const DetailRow& row : rows_) valueLeft_ = std::max(valueLeft_, ValueLeftFor(row.caption));
  for (const DetailRow& row : rows_) PlaceRow(row);
  scrollBox_.SetContentSize(Scale(contentRight_ + kCaptionLeft), Scale(rowTop_));
}

void TProgramDetailsBox::FormCreate() {
  Registry& registry = services_.platform.registry;
  AnsiCodec& ansi = services_.platform.ansi;
  // The first failure met while the rows are built; it is reported once, after them, and
  // the dialog opens with every row that could be read.
  std::string firstError;
  const auto value = [&](std::string_view name) -> std::string {
    try {
      return ReadValueByPath(registry, KeyPath, std::string(name), ansi);
    } catch (const RegistryError& e) {
      // A value that cannot be read as text (a long value of another kind) shows no row.
      if (firstError.empty()) firstError = e.what();
      return {};
    }
  };
  const auto add = [this](StrId caption, const std::string& text, int linkKind) {
    AddDetailRow(LoadStr(caption), text, "", linkKind);
  };
  // A link opens or runs one text: a multi-string's first string. An expandable string is
  // shown as stored and expanded when it is opened.
  const auto link = [&](StrId caption, std::string_view name, int linkKind) {
    const std::optional<RegValue> stored = QueryValueByPath(registry, KeyPath, std::string(name));
    if (stored && stored->type == RegType::MultiString) {
      const std::vector<std::string> strings = MultiStrings(*stored);
      add(caption, strings.empty() ? std::string() : strings.front(), linkKind);
      return;
    }
    const std::size_t before = rows_.size();
    add(caption, value(name), linkKind);
    if (rows_.size() > before && stored) rows_.back().expandable = stored->type == RegType::ExpandString;
  };

  rowTop_ = kFirstRowTop;
  add(StrId::DetailProgramName, value(ValueName::DisplayName), PlainText);
  // The list's size text is right-aligned in a fixed width so that it sorts as text; here it
  // starts where the other values start.
  const std::size_t sizeStart = std::min(SizeText.find_first_not_of(' '), SizeText.size());
  AddDetailRow(LoadStr(StrId::DetailSize), SizeText.substr(sizeStart), LoadStr(StrId::DetailSizeHint), PlainText);

  if (SizeText.empty()) {
    const std::string estimated = value(ValueName::EstimatedSize);
    if (!estimated.empty()) {
      std::int64_t kilobytes = 0;
      if (!ParseDecimal(estimated, kilobytes)) {
        if (firstError.empty()) firstError = FormatText(LoadStr(StrId::NotAnInteger), estimated);
      } else if (kilobytes >= 0 && kilobytes <= std::numeric_limits<std::int64_t>::max() / 1024) {
        // A negative count is no size; one too large to be a size in bytes shows nothing
        // rather than a wrapped one.
        add(StrId::DetailEstimatedSize, FormatFileSize(services_.platform.locale, kilobytes * 1024), PlainText);
      }
    }
  }

  add(StrId::DetailUsed, FrequencyText, PlainText);
  add(StrId::DetailLastUsed, LastUsedText, PlainText);
  add(StrId::DetailInstallDate, InstallDateText(value(ValueName::InstallDate)), PlainText);
  rowTop_ += kGroupBreak;
  add(StrId::DetailPublisher, value(ValueName::Publisher), PlainText);
  add(StrId::DetailVersion, value(ValueName::DisplayVersion), PlainText);
  add(StrId::DetailContact, value(ValueName::Contact), PlainText);
  add(StrId::DetailContactPhone, value(ValueName::HelpTelephone), PlainText);
  link(StrId::DetailAbout, ValueName::UrlInfoAbout, OpenLink);
  link(StrId::DetailSupport, ValueName::HelpLink, OpenLink);
  link(StrId::DetailReadme, ValueName::Readme, OpenLink);
  link(StrId::DetailUpdates, ValueName::UrlUpdateInfo, OpenLink);
  add(StrId::DetailComments, value(ValueName::Comments), PlainText);
  rowTop_ += kGroupBreak;
  link(StrId::DetailUninstallCommand, ValueName::UninstallString, RunLink);
  // The unattended command removes the program without a question: it is shown, not a link
  // a stray click would run.
  add(StrId::DetailQuietUninstallCommand, value(ValueName::QuietUninstallString), PlainText);
  link(StrId::DetailModifyCommand, ValueName::ModifyPath, RunLink);
  add(StrId::DetailDisplayIcon, value(ValueName::DisplayIcon), PlainText);
  add(StrId::DetailLanguage, value(ValueName::Language), PlainText);
  link(StrId::DetailSource, ValueName::InstallSource, OpenLink);
  link(StrId::DetailLocation, ValueName::InstallLocation, OpenLink);
  if (value(ValueName::WindowsInstaller) == "1") {
    add(StrId::DetailInstallProgram, LoadStr(StrId::DetailWindowsInstaller), PlainText);
  }
  rowTop_ += kGroupBreak;
  add(StrId::DetailProductId, value(ValueName::ProductId), PlainText);
  add(StrId::DetailOwner, value(ValueName::RegOwner), PlainText);
  add(StrId::DetailOwnerCompany, value(ValueName::RegCompany), PlainText);
  AddDetailRow(kBlankRow, kBlankRow, "", PlainText);
  // The box learns the column's size when the layout is applied, which follows at once.

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

int TProgramDetailsBox::ValueLeftFor(const std::string& caption) {
  const int width = MulDiv(TextWidth(fonts_.Arial(kRowFont), caption), 96, static_cast<int>(Dpi()));
  return kCaptionLeft + width + kCaptionGap;
}

void TProgramDetailsBox::AddDetailRow(const std::string& caption, const std::string& value, const std::string& hint,
                                      int linkKind) {
  if (value.empty()) return;
  const HWND box = scrollBox_.Handle();
  const bool link = linkKind > PlainText;

  DetailRow row;
  row.caption = caption;
  row.value = value;
  row.hint = hint;
  row.linkKind = linkKind;
  row.top = rowTop_;
  row.captionLabel = CreateLabel(box, 0, Widen(caption), 0, 0, 0, 0, nullptr);
  colors_.Set(row.captionLabel, RGB(0, 0, 0), RGB(255, 255, 255));
  const int id = IdFirstValue + static_cast<int>(rows_.size());
  row.valueLabel = link ? CreateLink(box, id, Widen(value), 0, 0, 0, 0, nullptr)
                        : CreateLabel(box, id, Widen(value), 0, 0, 0, 0, nullptr, SS_NOTIFY);
  colors_.Set(row.valueLabel, link ? kLinkColor : RGB(0, 0, 0), RGB(255, 255, 255));
  // A caption too wide for the caption column widens it: every value moves to the right.
  if (const int needed = ValueLeftFor(caption); needed > valueLeft_) {
    valueLeft_ = needed;
    contentRight_ = 0;
    for (const DetailRow& placed : rows_) PlaceRow(placed);
  }
  PlaceRow(row);

  if (!hint.empty()) AddTooltip(tooltip_, row.valueLabel, Widen(hint));
  rows_.push_back(std::move(row));
  rowTop_ += kRowStep;
}

void TProgramDetailsBox::PlaceRow(const DetailRow& row) {
  const POINT scrolled = scrollBox_.Position();
  const int top = Scale(row.top) - scrolled.y;
  const HFONT captionFont = fonts_.Arial(kRowFont);
  const HFONT valueFont = fonts_.Arial(kRowFont, false, row.linkKind > PlainText);
  const int captionWidth =
      std::max(TextWidth(captionFont, row.caption) + Scale(4), Scale(valueLeft_ - kCaptionLeft - 4));
  const int valueWidth = TextWidth(valueFont, row.value) + Scale(4);
  ::SendMessageW(row.captionLabel, WM_SETFONT, reinterpret_cast<WPARAM>(captionFont), TRUE);
  ::SendMessageW(row.valueLabel, WM_SETFONT, reinterpret_cast<WPARAM>(valueFont), TRUE);
  ::SetWindowPos(row.captionLabel, nullptr, Scale(kCaptionLeft) - scrolled.x, top, captionWidth, Scale(kLabelHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(row.valueLabel, nullptr, Scale(valueLeft_) - scrolled.x, top, valueWidth, Scale(kLabelHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  contentRight_ = std::max(contentRight_, valueLeft_ + MulDiv(valueWidth, 96, static_cast<int>(Dpi())));
}

const TProgramDetailsBox::DetailRow* TProgramDetailsBox::FindRow(const std::string& caption) const {
  for (const DetailRow& row : rows_) {
    if (row.caption == caption) return &row;
  }
  return nullptr;
}

void TProgramDetailsBox::LinkClickEvent(const DetailRow& row) {
  const std::string target = row.expandable ? ExpandEnvironment(row.value) : row.value;
  if (row.linkKind == OpenLink) {
    if (services_.shell.Open(nullptr, target) <= 32) {
      services_.prompts.Show(hwnd_, LoadStr(StrId::ErrorOpening), row.value, MB_OK | MB_ICONERROR);
    }
  } else if (row.linkKind == RunLink) {
    if (!services_.process.Start(target)) {
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
