#pragma once
// Every picture the program shows (the banner, button glyphs, page pictures, the dialog
// close box and the icons of the program list), drawn in code with GDI so that it is sharp
// at any DPI. Shapes are rendered four times oversampled and reduced to anti-aliased,
// premultiplied ARGB, then alpha-blended onto the target: the pictures have no background
// of their own and sit on whatever surface is below them.

#include <windows.h>

namespace tw::pictures {

/// The fill of the band behind the banner and of every dialog's title band.
inline constexpr COLORREF kBandColor = RGB(128, 128, 255);

/// The banner's size at 96 DPI.
inline constexpr int kBannerWidth96 = 492;
inline constexpr int kBannerHeight96 = 41;

/// Small pictures that stand on buttons.
enum class Glyph { Uninstall, DeleteFromList, ProgramDetails, OtherOptions, Help, Find, None };

/// The pictures at the left of dialog pages (48 by 48 at 96 DPI).
enum class PagePicture { Program, Warning, Success, Document };

/// Fills `rect` with the band colour and draws the product banner (492 by 41 at 96 DPI,
/// scaled by `dpi`) centred in it. Nothing is drawn outside `rect`.
void DrawBanner(HDC dc, const RECT& rect, UINT dpi);

/// Draws `glyph` filling the largest square centred in `rect`. A disabled glyph is drawn
/// grey and faded. Glyph::None draws nothing.
void DrawGlyph(HDC dc, const RECT& rect, Glyph glyph, bool disabled = false);

/// Draws a page picture (48 by 48 at 96 DPI, scaled by `dpi`, smaller when `rect` is)
/// centred in `rect`.
void DrawPagePicture(HDC dc, const RECT& rect, PagePicture picture, UINT dpi);

/// Fills `rect` with the band colour (a lighter shade when `hot`) and draws the close
/// image on it: a white cross in a white box, 21 by 21 at 96 DPI, centred.
void DrawCloseImage(HDC dc, const RECT& rect, UINT dpi, bool hot);

/// Fills `rect` with a rounded, anti-aliased face: a one-pixel `border` around a vertical
/// gradient from `top` to `bottom`. The corners show what was drawn before.
void DrawRoundedFace(HDC dc, const RECT& rect, int radiusPx, COLORREF border, COLORREF top,
                     COLORREF bottom);

/// A generic application icon (a window with a title bar), for rows without an icon of
/// their own. The caller owns the handle. Null on failure.
HICON CreateDefaultProgramIcon(int sizePx);

/// The header of a 32-bit top-down bitmap (rows from the top, no compression), for DIB
/// sections whose pixels are read or written directly.
BITMAPINFO TopDown32(int width, int height);

/// The state image of a row whose uninstaller is missing: a question mark on an orange
/// disc. The caller owns the handle. Null on failure.
HICON CreateQuestionMarkIcon(int sizePx);

/// The advice picture for the selected row: a program with a green check mark when `ok`,
/// with an orange question mark otherwise. The caller owns the handle. Null on failure.
HICON CreateAdviceIcon(bool ok, int sizePx);

}  // namespace tw::pictures
