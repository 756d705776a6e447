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
constexpr int kGridLeft = 16;
constexpr int kGridTop = 80;
constexpr int kGridWidth = 438;
constexpr int kGridHeight = 212;
constexpr int kDefaultColumnWidth = 120;
constexpr int kRowHeight = 20;

}  // namespace

TEditProgramBox::TEditProgramBox(Services& services)
    : SkinnedFrame(services, FrameLook{L"Edit Program Details", kWidth, kHeight, 32, 42, 1}) {}

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
  const HWND label1 = CreateLabel(panel, IdLabel1, L"The program uninstall information is stored under:", Scale(16),
                                  Scale(12), Scale(kGridWidth), Scale(16), fonts_.Arial(13, true));
  colors_.Set(label1, RGB(0, 0, 0), RGB(255, 255, 255));
  ediKey_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY,
                              Scale(16), Scale(30), Scale(kGridWidth), Scale(21), panel,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdKey)), ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(ediKey_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Arial(13)), FALSE);
  colors_.Set(ediKey_, RGB(0, 0, 0), RGB(255, 255, 255));
  const HWND details = CreateLabel(panel, IdAllDetails, L"Uninstall information:", Scale(16), Scale(62),
                                   Scale(kGridWidth), Scale(16), fonts_.Arial(13, true));
  colors_.Set(details, RGB(0, 0, 0), RGB(255, 255, 255));
  grid_.Create(panel, IdGrid, Scale(kGridLeft), Scale(kGridTop), Scale(kGridWidth), Scale(kGridHeight), 2, 2,
               Scale(kDefaultColumnWidth), Scale(kRowHeight), fonts_.Arial(13));
  ::SetWindowTextW(grid_.Handle(), L"Uninstall information");  // its name for screen readers
  originals_.assign(static_cast<std::size_t>(grid_.RowCount()), std::nullopt);
  unread_.assign(static_cast<std::size_t>(grid_.RowCount()), false);

  CreateImageButton(panel, IdAddKey, L"Add Key", ButtonLook::Small, pictures::Glyph::None, 16, 300, 100, 26, Dpi());
  CreateImageButton(panel, IdDeleteKey, L"Delete Key", ButtonLook::Small, pictures::Glyph::None, 124, 300, 100, 26,
                    Dpi());
  CreateImageButton(panel, IdOK, L"OK", ButtonLook::Page, pictures::Glyph::None, 118, 334, 136, 34, Dpi());
  CreateImageButton(panel, IdCancel, L"Cancel", ButtonLook::Small, pictures::Glyph::None, 264, 338, 90, 26, Dpi());
  FormCreate();
}

void TEditProgramBox::FormActivate() { ::SetFocus(grid_.Editor()); }

void TEditProgramBox::FormCreate() {
  SetWindowTextUtf8(ediKey_, KeyPath);
  // A path longer than the box shows its end: the entry's own key name, which tells which
  // entry this is. The box still holds the whole path to select and copy.
  const auto length = static_cast<WPARAM>(::GetWindowTextLengthW(ediKey_));
  ::SendMessageW(ediKey_, EM_SETSEL, length, static_cast<LPARAM>(length));
  ::SendMessageW(ediKey_, EM_SCROLLCARET, 0, 0);
  auto store = services_.platform.registry.NewStore();
  store->SelectRoot(ExtractRootKey(KeyPath));
  // A key that cannot be opened leaves the grid as it was made: empty, without header texts.
  if (!store->OpenPath(ExtractSubKey(KeyPath), false)) return;
  const std::vector<std::string> names = store->ListValues();
  grid_.SetRowCount(static_cast<int>(names.size()) + 1);
  grid_.SetColumnWidth(1, Scale(kGridWidth) - grid_.ColumnWidth(0) - Scale(30));
  grid_.SetCell(0, 0, "Registry Key");
  grid_.SetCell(1, 0, "Registry Value");
  originals_.assign(static_cast<std::size_t>(grid_.RowCount()), std::nullopt);
  unread_.assign(static_cast<std::size_t>(grid_.RowCount()), false);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    const std::string& name = names[i];
    std::string text = kCannotDisplay;
    if (const auto value = store->QueryValue(name)) {
      text = TextOf(name, *value);
      originals_[static_cast<std::size_t>(row)] = OriginalValue{name, text, *value};
    } else {
      unread_[static_cast<std::size_t>(row)] = true;  // listed, but gone or unreadable
    }
    // The default value has no name to show: it shows as the registry editor names it.
    grid_.SetCell(0, row, name.empty() ? kDefaultValueLabel : name);
    grid_.SetCell(1, row, text);
  }
  store->ClosePath();
  grid_.SetCurrent(0, 1);
}

std::string TEditProgramBox::TextOf(const std::string& name, const RegValue& value) {
  switch (KindOfType(value.type)) {
    case ValueKind::Integer:
      // A number stored in other than four bytes is no number this grid can show. The
      // number comes from the data already read, which cannot fail.
      if (value.data.size() != 4) return kCannotDisplay;
      return std::to_string(NumberOf(value));
    case ValueKind::Binary:
      return kCannotDisplay;
    default:
      try {
        return ValueAsText(name, value, services_.platform.ansi);
      } catch (const RegistryError&) {
        // A value too long to read as text is shown like a binary one and comes through an
        // edit unchanged, rather than keeping the whole entry from being edited.
        return kCannotDisplay;
      }
  }
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
