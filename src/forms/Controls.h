#pragma once
// Small building blocks of the windows: panels (child windows that paint a colour and pass
// their controls' notifications up to the top-level form), labels and links, fonts scaled to
// the window's DPI, and the colours of static controls.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "forms/Window.h"
#include "win32/UniqueHandle.h"

namespace tw {

/// The band colour of the banner and the dialog frames.
inline constexpr COLORREF kBandColor = RGB(128, 128, 255);
inline constexpr COLORREF kLinkColor = RGB(0, 0, 255);
inline constexpr COLORREF kFrameLineColor = RGB(64, 64, 64);

/// A child window that fills itself with a colour, optionally draws edge lines, and sends
/// WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_CTLCOLOR* of its controls to the top-level form.
class Panel : public Window {
 public:
  enum Edge : unsigned { None = 0, Left = 1, Right = 2, Bottom = 4, Top = 8 };

  /// Creates the panel at a rectangle in its parent's client pixels.
  HWND Create(HWND parent, int x, int y, int width, int height, COLORREF color,
              unsigned edges = None, int edgeWidth = 2, COLORREF edgeColor = kFrameLineColor);
  /// Creates the panel as control `id` of its parent, with no size yet: its form's layout
  /// table places it.
  HWND CreateControl(HWND parent, int id, COLORREF color, unsigned edges = None, int edgeWidth = 2,
                     COLORREF edgeColor = kFrameLineColor);
  /// Called whenever the panel's size changes.
  std::function<void()> onResize;
  COLORREF Color() const { return color_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  COLORREF color_ = RGB(255, 255, 255);
  unsigned edges_ = None;
  int edgeWidth_ = 2;
  COLORREF edgeColor_ = kFrameLineColor;
};

/// Fonts of one window at its DPI, made on first use.
class FontSet {
 public:
  /// Arial of `pixels` height (96-DPI pixels), optionally bold and underlined.
  HFONT Arial(int pixels, bool bold = false, bool underline = false);
  /// Fonts are made for this DPI from now on. The previous DPI's fonts live on until the next
  /// change, so that controls can be given the new ones first.
  void SetDpi(UINT dpi);

 private:
  UINT dpi_ = 96;
  std::map<int, UniqueHFont> fonts_;
  std::map<int, UniqueHFont> retired_;
};

/// Text and background colours of static and edit controls, answered from WM_CTLCOLOR*.
class ControlColors {
 public:
  void Set(HWND control, COLORREF text, COLORREF background, bool transparent = false);
  /// The brush for a WM_CTLCOLOR* message, or nullptr when the control has no colours here.
  HBRUSH Handle(HDC dc, HWND control);

 private:
  struct Entry {
    COLORREF text;
    COLORREF background;
    bool transparent;
  };
  std::map<HWND, Entry> entries_;
  std::map<COLORREF, UniqueHandle<GdiObjectTraits<HBRUSH>>> brushes_;
};

/// One control of a window at 96 DPI: its id, its rectangle in its parent's client area,
/// and the Arial font of its text (0 pixels: the control's font is left as it is).
struct ControlLayout {
  int id;
  int x, y, width, height;
  int fontPixels = 0;
  bool bold = false;
  bool underline = false;
};

/// The entry of control `id` in a layout table; an id the table lacks is a fault of the
/// program (a compile error where the table is read at compile time).
constexpr const ControlLayout& LayoutEntry(std::span<const ControlLayout> table, int id) {
  for (const ControlLayout& item : table) {
    if (item.id == id) return item;
  }
  throw std::logic_error("a control missing from its layout table");
}

/// The base of every window of the program that has controls: its fonts at its DPI, the
/// colours of its static controls, the table of its controls' places at 96 DPI, and the one
/// ApplyLayout that puts them there at creation and after every DPI change.
class Form : public Window {
 public:
  /// The control with this id anywhere in the window, or null.
  HWND Control(int id) const;

 protected:
  /// The controls' places at 96 DPI.
  virtual std::span<const ControlLayout> Layout() const { return {}; }
  /// Takes `dpi` as the window's DPI and places every control of Layout() scaled to it, with
  /// its font (image buttons are made anew at their size); then LayoutApplied does what else
  /// the DPI decides (pictures, image lists, places that depend on the window's size).
  void ApplyLayout(UINT dpi);
  virtual void LayoutApplied() {}
  /// WM_DPICHANGED: the layout at the new DPI, then the window takes the suggested bounds.
  void OnDpiChanged(WPARAM wParam, LPARAM lParam);

  FontSet fonts_;
  ControlColors colors_;
};

/// A static text label (no "&" prefixes unless `prefix`), with the given font.
HWND CreateLabel(HWND parent, int id, const std::wstring& text, int x, int y, int width, int height,
                 HFONT font, DWORD extraStyle = 0, bool prefix = false);

/// A label that acts as a link: notifies clicks (STN_CLICKED) and shows the hand cursor.
HWND CreateLink(HWND parent, int id, const std::wstring& text, int x, int y, int width,
                int height, HFONT font, DWORD extraStyle = 0);

/// Makes a control show the hand cursor.
void UseHandCursor(HWND control);

/// A tooltip window owned by `owner` that shows even while the owner is inactive.
HWND CreateTooltip(HWND owner, int maxWidth);
/// Gives `control` (a child of any window) the hint `text` in `tooltip`.
void AddTooltip(HWND tooltip, HWND control, const std::wstring& text);

/// The width in pixels of a control's text in its own font.
int TextWidthOf(HWND control);
/// The size of a text in a font, measured on a window's device context.
SIZE TextExtentIn(HWND window, HFONT font, std::wstring_view text);
/// The metrics of a font, measured on a window's device context.
TEXTMETRICW TextMetricsIn(HWND window, HFONT font);

/// The text of a window as UTF-8.
std::string WindowText(HWND hwnd);
void SetWindowTextUtf8(HWND hwnd, const std::string& text);

/// Paints on `dc` (a child control's device context) what the control's parent shows under
/// it, so that what the control then draws stands on its parent's background.
void PaintParentBackground(HWND control, HDC dc);

/// Moves a window to a rectangle given in 96-DPI pixels of its parent.
void Place(HWND hwnd, const Window& scaleBy, int x, int y, int width, int height);

}  // namespace tw
