#pragma once
// Image buttons: owner-drawn BUTTON controls that look like labelled pictures. They act on a
// click, Space and BM_CLICK like any push button, show the hand cursor, take the keyboard
// focus (Tab) and carry their label as window text, so screen readers announce it.

#include <windows.h>

#include <string>

#include "forms/Pictures.h"

namespace tw {

enum class ButtonLook {
  /// Main-window command button (136 by 43): glyph at the left, bold label at the right,
  /// wrapped onto two lines when it does not fit on one.
  Large,
  /// A dialog's main button (136 by 34): band-blue face with a white upper-case label.
  Page,
  /// A secondary dialog button such as CANCEL (about 90 by 26): white face, blue
  /// outline and upper-case label.
  Small,
  /// A square picture-only button (37 by 36), such as Help and Find; the label is only
  /// read out by screen readers.
  Icon,
};

/// How one button is to be painted.
struct ButtonState {
  bool pressed = false;
  bool hot = false;
  bool disabled = false;
  bool focused = false;
  /// Underline the mnemonic character (keyboard cues shown).
  bool showAccelerator = true;
};

/// Creates a visible image button with control id `id`; the position and size are at 96
/// DPI and scaled by `dpi`. Returns null on failure. The parent destroys it as usual.
HWND CreateImageButton(HWND parent, int id, const std::wstring& label, ButtonLook look,
                       pictures::Glyph glyph, int x96, int y96, int w96, int h96, UINT dpi);

/// Paints an image button for the parent's WM_DRAWITEM. Returns false, painting nothing,
/// when the item is not an image button.
bool DrawImageButton(const DRAWITEMSTRUCT& item);

/// Moves and resizes an image button (96-DPI units scaled by `dpi`) and remembers `dpi`
/// for its fonts and pictures, for a re-layout after a DPI change.
void MoveImageButton(HWND button, int x96, int y96, int w96, int h96, UINT dpi);

/// Whether `window` was made by CreateImageButton.
bool IsImageButton(HWND window);

/// Paints a button face into `rect` of `dc`: the drawing behind DrawImageButton, open to
/// previews and pictures of the buttons.
void PaintImageButton(HDC dc, const RECT& rect, const std::wstring& label, ButtonLook look,
                      pictures::Glyph glyph, UINT dpi, const ButtonState& state);

}  // namespace tw
