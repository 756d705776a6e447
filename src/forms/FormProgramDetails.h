#pragma once
// The details view: every detail the catalogue records for one entry, as caption/value rows
// in a fixed order and grouping inside a scroll box. Web pages, documents and folders are
// links the shell opens; the uninstall and modify commands are links that run.

#include <windows.h>

#include <string>
#include <vector>

#include "forms/SkinnedFrame.h"

namespace tw {

/// A panel whose children may reach beyond it: scroll bars appear where the content does not
/// fit, and scrolling moves the children.
class ScrollBox : public Panel {
 public:
  /// The size the children take, in pixels from the unscrolled origin.
  void SetContentSize(int width, int height);
  /// How far the content is scrolled, in pixels.
  POINT Position() const { return POINT{x_, y_}; }
  void ScrollTo(int x, int y);
  /// A mouse wheel turn (WHEEL_DELTA units, positive away from the user).
  void Wheel(int delta);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateBars();
  void OnScroll(int bar, WORD request);

  int contentWidth_ = 0, contentHeight_ = 0;
  int x_ = 0, y_ = 0;
  bool updating_ = false;
};

class TProgramDetailsBox : public SkinnedFrame {
 public:
  explicit TProgramDetailsBox(Services& services);

  // Inputs, from the selected row before the dialog is created.
  std::string KeyPath;
  std::string SizeText;
  std::string FrequencyText;
  std::string LastUsedText;

  /// What a click on a value does.
  enum LinkKind : int { PlainText = 0, OpenLink = 1, RunLink = 2 };

  /// One row as it was added: texts, link kind, top (96-DPI pixels of the unscrolled
  /// box) and its two labels.
  struct DetailRow {
    std::string caption;
    std::string value;
    std::string hint;
    int linkKind = PlainText;
    bool expandable = false;  ///< the value is an expandable string: expanded when opened
    int top = 0;
    HWND captionLabel = nullptr;
    HWND valueLabel = nullptr;
  };
  const std::vector<DetailRow>& Rows() const { return rows_; }
  /// The row whose caption is `caption`, or nullptr when it was not shown.
  const DetailRow* FindRow(const std::string& caption) const;
  HWND TheScrollBox() const { return scrollBox_.Handle(); }
  ScrollBox& ScrollArea() { return scrollBox_; }
  HWND Tooltip() const { return tooltip_; }
  HWND OkButton() const { return cmdOK_; }

  /// Builds every row from the entry's key.
  void FormCreate();
  /// Adds one row at the current row top and moves it down; an empty value adds nothing.
  void AddDetailRow(const std::string& caption, const std::string& value, const std::string& hint,
                    int linkKind);
  /// Opens or runs the text of a link value.
  void LinkClickEvent(const DetailRow& row);
  void cmdOKClick() { Close(); }

  enum : int { IdOK = 100, IdScrollBox, IdBottom, IdFirstValue = 1000 };
  /// The places of the dialog's fixed controls at 96 DPI: the scroll box and the bottom panel
  /// on the content panel, the OK button on the bottom panel. The rows are placed by their tops.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  /// The rows again at the window's DPI, from the top of the scroll box.
  void LayoutApplied() override;
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdOK; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  /// The install date in the short date format when it reads as yyyymmdd of a real day the
  /// locale can format; otherwise the stored text.
  std::string InstallDateText(const std::string& stored);
  int TextWidth(HFONT font, const std::string& text);
  /// Where the values must start (96-DPI pixels) for a caption to fit before them.
  int ValueLeftFor(const std::string& caption);
  /// Places a row's labels at its top in the box as it is scrolled, in the fonts and widths of
  /// the window's DPI, and widens the content to take its value.
  void PlaceRow(const DetailRow& row);

  std::vector<DetailRow> rows_;
  int rowTop_ = 24;
  int contentRight_ = 0;
  /// Where the values start, 96-DPI pixels: 150, or further right when a caption needs it.
  int valueLeft_ = 150;
  ScrollBox scrollBox_;
  Panel panBottom_;
  HWND tooltip_ = nullptr;
  HWND cmdOK_ = nullptr;
};

}  // namespace tw
