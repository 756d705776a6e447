#pragma once
// The value editor: every value of one catalogue entry as a row of name and text in a grid
// the user edits. The dialog writes nothing itself: after OK the main window rewrites the
// entry from the grid, which remembers what each row stood for when it was filled, so rows
// the user left alone keep their stored type and data.

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/UninstallKeyTools.h"
#include "forms/SkinnedFrame.h"
#include "forms/ValueGrid.h"
#include "util/AppStrings.h"

namespace tw {

class TEditProgramBox : public SkinnedFrame {
 public:
  explicit TEditProgramBox(Services& services);

  /// Input: the entry's FullKeyPath, set before the dialog is created.
  std::string KeyPath;

  /// The grid as the user left it, for the write-back; it outlives the dialog's window.
  const ValueTable& Values() const { return values_; }

  ValueGrid& gridAllInfo() { return grid_; }
  HWND KeyEdit() const { return ediKey_; }

  /// Shows the key path and fills the grid from the entry's values.
  void FormCreate();
  /// The grid's current cell takes the keyboard once the dialog shows.
  void FormActivate() override;
  /// OK: the dialog closes for the write-back, unless a row cannot be written (a 64-bit
  /// number row whose text is no number): then the user is told why and the dialog stays.
  void cmdOKClick();
  void cmdCancelClick() { SetModalResult(kModalCancel); }
  /// ADD KEY: one more, empty row at the end of the grid.
  void Image3Click();
  /// DELETE KEY: empties both cells of the current row; the row stays.
  void Image4Click();

  enum : int { IdLabel1 = 100, IdKey, IdAllDetails, IdGrid, IdOK, IdCancel, IdAddKey, IdDeleteKey };

  /// The controls' places at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

  /// The text a row shows for a value the grid cannot display.
  static constexpr std::string_view kCannotDisplay = StrText(StrId::EditCannotDisplay);
  /// The name a row shows for the key's default (unnamed) value.
  static constexpr std::string_view kDefaultValueLabel = StrText(StrId::EditDefaultValue);

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  /// The grid's rows and columns follow the DPI.
  void LayoutApplied() override;
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdCancel; }
  int EnterButton() const override { return IdOK; }

 private:
  // The grid's rows as a value table: cells, and what each filled row stood for.
  class GridValues : public ValueTable {
   public:
    explicit GridValues(const TEditProgramBox& box) : box_(box) {}
    int RowCount() const override { return box_.grid_.RowCount(); }
    std::string Cell(int column, int row) const override { return box_.grid_.Cell(column, row); }
    const OriginalValue* Original(int row) const override;
    /// A row named by the default value's label writes the default value, unless it was
    /// filled from a value that really has that name and keeps it. A row that stands for a
    /// value that could not be read and still shows the placeholder writes nothing.
    std::optional<std::string> ValueName(int row) const override;

   private:
    const TEditProgramBox& box_;
  };

  /// The text a value shows in the grid.
  std::string TextOf(const std::string& name, const RegValue& value);

  ValueGrid grid_;
  std::vector<std::optional<OriginalValue>> originals_;  ///< by grid row
  std::vector<bool> unread_;  ///< by grid row: listed, but its value could not be read
  GridValues values_{*this};
  HWND ediKey_ = nullptr;
};

}  // namespace tw
