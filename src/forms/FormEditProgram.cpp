#include "forms/FormEditProgram.h"

#include <cstdint>

#include "catalogue/UninstallInfoReader.h"
#include "forms/ImageButton.h"
#include "util/CorRegToolsPlus.h"
#include "win32/WinText.h"

namespace tw {

namespace {

constexpr int kWidth = 472;
constexpr int kHeight = 414;
constexpr int kGridWidth = 438;
// The grid's own metrics at 96 DPI.
constexpr int kDefaultColumnWidth = 120;
constexpr int kRowHeight = 20;

constexpr ControlLayout kLayout[] = {
    {TEditProgramBox::IdLabel1, 16, 12, kGridWidth, 16, 13, true},
    {TEditProgramBox::IdKey, 16, 30, kGridWidth, 21, 13},
    {TEditProgramBox::IdAllDetails, 16, 62, kGridWidth, 16, 13, true},
    {TEditProgramBox::IdGrid, 16, 80, kGridWidth, 212, 13},
    {TEditProgramBox::IdAddKey, 16, 300, 100, 26},
    {TEditProgramBox::IdDeleteKey, 124, 300, 100, 26},
    {TEditProgramBox::IdOK, 118, 334, 136, 34},
    {TEditProgramBox::IdCancel, 264, 338, 90, 26},
};

}  // namespace

std::span<const ControlLayout> TEditProgramBox::LayoutTable() { return kLayout; }

TEditProgramBox::TEditProgramBox(Services& services)
    : SkinnedFrame(services, FrameLook{Widen(StrText(StrId::EditTitle)), kWidth, kHeight, 32, 42, 1}) {}

const OriginalValue* TEditProgramBox::GridValues::Original(int row) const {
  if (row < 0 || row >= static_cast<int>(box_.originals_.size())) return nullptr;
  const auto& original = box_.originals_[static_cast<std::size_t>(row)];
  return original ? &*original : nullptr;
}

std::optional<std::string> TEditProgramBox::GridValues::ValueName(int row) const {
  // The placeholder is no value to store, and there is no data to carry over for it: the
  // value stays out of the write-back, unless the user gave the row a text of its own.
  if (row >= 0 && row < static_cast<int>(box_.unread_.size()) && box_.unread_[static_cast<std::size_t>(row)] &&
      box_.grid_.Cell(1, row) == kCannotDisplay) {
    return std::nullopt;
  }
  const std::string& name = box_.grid_.Cell(0, row);
  if (name == kDefaultValueLabel) {
    const OriginalValue* original = Original(row);
    return original != nullptr && original->name == name ? name : std::string();
  }
  if (name.empty()) return std::nullopt;
  return name;
}

void TEditProgramBox::BuildContent() {
  const HWND panel = ContentPanel();
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const HWND label1 = CreateLabel(panel, IdLabel1, Widen(StrText(StrId::EditKeyLabel)), 0, 0, 0, 0, nullptr);
  colors_.Set(label1, RGB(0, 0, 0), RGB(255, 255, 255));
  ediKey_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, 0, 0, 0, 0, panel,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdKey)), instance, nullptr);
  colors_.Set(ediKey_, RGB(0, 0, 0), RGB(255, 255, 255));
  const HWND details = CreateLabel(panel, IdAllDetails, Widen(StrText(StrId::EditValuesLabel)), 0, 0, 0, 0, nullptr);
  colors_.Set(details, RGB(0, 0, 0), RGB(255, 255, 255));
  grid_.Create(panel, IdGrid, 2, 2, kDefaultColumnWidth, kRowHeight);
  // The grid measures in the dialog's pixels from the start: the rows are filled below,
  // before the layout is applied.
  grid_.SetDpi(Dpi());
  ::SetWindowTextW(grid_.Handle(), Widen(StrText(StrId::EditGridName)).c_str());  // its name for screen readers
  originals_.assign(static_cast<std::size_t>(grid_.RowCount()), std::nullopt);
  unread_.assign(static_cast<std::size_t>(grid_.RowCount()), false);

  const auto button = [&](int id, StrId label, ButtonLook look) {
    CreateImageButton(panel, id, Widen(StrText(label)), look, pictures::Glyph::None, 0, 0, 0, 0, Dpi());
  };
  button(IdAddKey, StrId::EditAddKeyButton, ButtonLook::Small);
  button(IdDeleteKey, StrId::EditDeleteKeyButton, ButtonLook::Small);
  button(IdOK, StrId::ButtonOk, ButtonLook::Page);
  button(IdCancel, StrId::ButtonCancel, ButtonLook::Small);
  FormCreate();
}

void TEditProgramBox::LayoutApplied() {
  grid_.SetDpi(Dpi());
  // A path longer than the box shows its end: the entry's own key name, which tells which
  // entry this is. The box still holds the whole path to select and copy. Scrolled once the
  // box has its width and font, at every DPI.
  const auto length = static_cast<WPARAM>(::GetWindowTextLengthW(ediKey_));
  ::SendMessageW(ediKey_, EM_SETSEL, length, static_cast<LPARAM>(length));
  ::SendMessageW(ediKey_, EM_SCROLLCARET, 0, 0);
}

void TEditProgramBox::FormActivate() { ::SetFocus(grid_.Editor()); }

void TEditProgramBox::FormCreate() {
  SetWindowTextUtf8(ediKey_, KeyPath);
  auto store = services_.platform.registry.NewStore();
  store->SelectRoot(ExtractRootKey(KeyPath));
  // A key that cannot be opened leaves the grid as it was made: empty, without header texts.
  if (!store->OpenPath(ExtractSubKey(KeyPath), false)) return;
  const std::vector<std::string> names = store->ListValues();
  grid_.SetRowCount(static_cast<int>(names.size()) + 1);
  grid_.SetColumnWidth(1, Scale(kGridWidth) - grid_.ColumnWidth(0) - Scale(30));
  grid_.SetCell(0, 0, LoadStr(StrId::EditNameHeader));
  grid_.SetCell(1, 0, LoadStr(StrId::EditValueHeader));
  originals_.assign(static_cast<std::size_t>(grid_.RowCount()), std::nullopt);
  unread_.assign(static_cast<std::size_t>(grid_.RowCount()), false);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    const std::string& name = names[i];
    std::string text(kCannotDisplay);
    if (const auto value = store->QueryValue(name)) {
      text = TextOf(name, *value);
      originals_[static_cast<std::size_t>(row)] = OriginalValue{name, text, *value};
    } else {
      unread_[static_cast<std::size_t>(row)] = true;  // listed, but gone or unreadable
    }
    // The default value has no name to show: it shows as the registry editor names it.
    grid_.SetCell(0, row, name.empty() ? std::string(kDefaultValueLabel) : name);
    grid_.SetCell(1, row, text);
  }
  store->ClosePath();
  grid_.SetCurrent(0, 1);
}

std::string TEditProgramBox::TextOf(const std::string& name, const RegValue& value) {
  try {
    // Binary data and a number stored in other than its own length are nothing this grid
    // can show.
    return ValueDisplayText(name, value, services_.platform.ansi).value_or(std::string(kCannotDisplay));
  } catch (const RegistryError&) {
    // A value too long to read as text is shown like a binary one and comes through an
    // edit unchanged, rather than keeping the whole entry from being edited.
    return std::string(kCannotDisplay);
  }
}

void TEditProgramBox::cmdOKClick() {
  // A row that cannot be written is refused here, while the user can still mend it: the
  // dialog stays open on that row and nothing is written.
  if (const std::optional<std::string> refusal = ValueTableRefusal(values_)) {
    ShowStandardError(services_.prompts, hwnd_, *refusal);
    return;
  }
  SetModalResult(kModalOk);
}

void TEditProgramBox::Image3Click() {
  grid_.SetRowCount(grid_.RowCount() + 1);
  originals_.resize(static_cast<std::size_t>(grid_.RowCount()));
  unread_.resize(static_cast<std::size_t>(grid_.RowCount()), false);
}

void TEditProgramBox::Image4Click() {
  const int row = grid_.CurrentRow();
  if (row < 1) return;  // the header row is never blanked
  grid_.SetCell(0, row, "");
  grid_.SetCell(1, row, "");
}

void TEditProgramBox::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IdOK: cmdOKClick(); break;
    case IdCancel: cmdCancelClick(); break;
    case IdAddKey: Image3Click(); break;
    case IdDeleteKey: Image4Click(); break;
    default: break;
  }
}

}  // namespace tw
