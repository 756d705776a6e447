#include "forms/Pictures.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <vector>

#include "util/AppStrings.h"
#include "win32/UniqueHandle.h"
#include "win32/WinText.h"

namespace tw::pictures {
namespace {

using UniqueHBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueHPen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueHRgn = UniqueHandle<GdiObjectTraits<HRGN>>;

// GDI draws shapes without anti-aliasing, so every picture is drawn at this many device
// samples per pixel in each direction and averaged down.
constexpr int kOversample = 4;
constexpr double kPi = 3.14159265358979323846;

constexpr COLORREF kNavy = RGB(40, 46, 112);
constexpr COLORREF kFrame = RGB(58, 76, 170);
constexpr COLORREF kTitleTop = RGB(118, 146, 248);
constexpr COLORREF kTitleBottom = RGB(66, 92, 212);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRule = RGB(188, 194, 214);
constexpr COLORREF kOutline = RGB(118, 128, 168);
constexpr COLORREF kBlue = RGB(62, 104, 224);
constexpr COLORREF kGreen = RGB(38, 158, 70);
constexpr COLORREF kAmber = RGB(248, 186, 36);
constexpr COLORREF kOrange = RGB(238, 124, 22);
constexpr COLORREF kRed = RGB(216, 58, 48);
constexpr COLORREF kTan = RGB(224, 176, 108);
constexpr COLORREF kTanDark = RGB(176, 122, 58);
constexpr COLORREF kSlate = RGB(98, 110, 152);
constexpr COLORREF kDeepBand = RGB(84, 84, 214);
constexpr COLORREF kPaleBand = RGB(184, 184, 255);
constexpr COLORREF kHotBand = RGB(160, 160, 255);

struct Pt {
  double x;
  double y;
};

// Draws in design units: each picture is laid out on its own grid (32 units for icons and
// glyphs, 48 for page pictures, the banner's 492 by 41), mapped to oversampled pixels.
class Ink {
 public:
  Ink(HDC dc, double scale, double originX, double originY)
      : dc_(dc), scale_(scale), originX_(originX), originY_(originY) {}

  HDC dc() const { return dc_; }
  int X(double x) const { return static_cast<int>(std::lround(originX_ + x * scale_)); }
  int Y(double y) const { return static_cast<int>(std::lround(originY_ + y * scale_)); }
  int Len(double v) const { return std::max(1, static_cast<int>(std::lround(v * scale_))); }
  POINT P(Pt p) const { return POINT{X(p.x), Y(p.y)}; }
  /// Device samples per design unit.
  double Scale() const { return scale_; }

  void Box(double x0, double y0, double x1, double y1, COLORREF color) const {
    const RECT r{X(x0), Y(y0), X(x1), Y(y1)};
    UniqueHBrush brush(::CreateSolidBrush(color));
    ::FillRect(dc_, &r, brush.get());
  }

  // Filled shapes go through regions: unlike the shape functions with a null pen, whose
  // right and bottom edges differ between systems, a region covers [left, right) exactly.
  void RoundBox(double x0, double y0, double x1, double y1, double radius, COLORREF color) const {
    const int d = 2 * std::max(0, static_cast<int>(std::lround(radius * scale_)));
    UniqueHRgn region(::CreateRoundRectRgn(X(x0), Y(y0), X(x1), Y(y1), d, d));
    Fill(region.get(), color);
  }

  /// A box filled from `top` to `bottom` colour, with rounded corners.
  void GradientBox(double x0, double y0, double x1, double y1, double radius, COLORREF top,
                   COLORREF bottom) const {
    const int d = 2 * std::max(0, static_cast<int>(std::lround(radius * scale_)));
    UniqueHRgn clip(::CreateRoundRectRgn(X(x0), Y(y0), X(x1), Y(y1), d, d));
    ::SelectClipRgn(dc_, clip.get());
    const int t = Y(y0);
    const int b = Y(y1);
    const int span = std::max(1, b - t - 1);
    for (int y = t; y < b; ++y) {
      const double f = static_cast<double>(y - t) / span;
      const RECT row{X(x0), y, X(x1), y + 1};
      UniqueHBrush brush(::CreateSolidBrush(Mix(top, bottom, f)));
      ::FillRect(dc_, &row, brush.get());
    }
    ::SelectClipRgn(dc_, nullptr);
  }

  void Disc(double cx, double cy, double r, COLORREF color) const {
    UniqueHRgn region(::CreateEllipticRgn(X(cx - r), Y(cy - r), X(cx + r), Y(cy + r)));
    Fill(region.get(), color);
  }

  void Shape(std::initializer_list<Pt> points, COLORREF color) const {
    Shape(std::vector<Pt>(points), color);
  }

  void Shape(const std::vector<Pt>& points, COLORREF color) const {
    std::vector<POINT> device;
    device.reserve(points.size());
    for (const Pt& p : points) device.push_back(P(p));
    UniqueHBrush brush(::CreateSolidBrush(color));
    SelectGuard pen(dc_, ::GetStockObject(NULL_PEN));
    SelectGuard fill(dc_, brush.get());
    ::SetPolyFillMode(dc_, WINDING);
    ::Polygon(dc_, device.data(), static_cast<int>(device.size()));
  }

  /// A stroke through `points` with round ends and joins.
  void Line(std::initializer_list<Pt> points, double width, COLORREF color) const {
    Line(std::vector<Pt>(points), width, color);
  }

  void Line(const std::vector<Pt>& points, double width, COLORREF color) const {
    std::vector<POINT> device;
    device.reserve(points.size());
    for (const Pt& p : points) device.push_back(P(p));
    LOGBRUSH lb{BS_SOLID, color, 0};
    UniqueHPen pen(::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND,
                                  static_cast<DWORD>(Len(width)), &lb, 0, nullptr));
    SelectGuard use(dc_, pen.get());
    ::Polyline(dc_, device.data(), static_cast<int>(device.size()));
  }

  /// Points of an arc around (cx, cy); angles in degrees, counter-clockwise, 0 at the right.
  static std::vector<Pt> Arc(double cx, double cy, double r, double from, double to) {
    std::vector<Pt> points;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
      const double a = (from + (to - from) * i / steps) * kPi / 180.0;
      points.push_back(Pt{cx + r * std::cos(a), cy - r * std::sin(a)});
    }
    return points;
  }

  /// Writes `text` in bold or regular Arial `height` units high, vertically centred in the
  /// band from y0 to y1, starting at x; returns the text's width in design units.
  double Text(const wchar_t* text, double x, double y0, double y1, double height, bool bold,
              COLORREF color) const {
    LOGFONTW lf{};
    lf.lfHeight = -Len(height);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    ::lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
    UniqueHFont font(::CreateFontIndirectW(&lf));
    SelectGuard use(dc_, font.get());
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, color);
    RECT r{X(x), Y(y0), X(x) + 1, Y(y1)};
    const int length = static_cast<int>(std::wcslen(text));
    ::DrawTextW(dc_, text, length, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc_, text, length, &extent);
    return extent.cx / scale_;
  }

  static COLORREF Mix(COLORREF a, COLORREF b, double f) {
    auto channel = [f](int u, int v) { return static_cast<BYTE>(std::lround(u + (v - u) * f)); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
  }

 private:
  void Fill(HRGN region, COLORREF color) const {
    if (!region) return;
    UniqueHBrush brush(::CreateSolidBrush(color));
    ::FillRgn(dc_, region, brush.get());
  }

  HDC dc_;
  double scale_;
  double originX_;
  double originY_;
};

// Premultiplied BGRA pixels, top row first.
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};


// Renders a picture `width` by `height` pixels with anti-aliasing. `unit` is the number of
// pixels per design unit, (offsetX, offsetY) where design (0, 0) falls, in pixels.
//
// GDI gives no coverage, so the picture is drawn twice, over black and over white: the
// colour over black is the premultiplied colour, and the difference between the two is
// what shows through (one minus alpha).
template <class Paint>
Raster Render(int width, int height, double unit, double offsetX, double offsetY, Paint paint) {
  Raster out;
  if (width <= 0 || height <= 0) return out;
  const int w = width * kOversample;
  const int h = height * kOversample;
  BITMAPINFO info = TopDown32(w, h);
  void* bits = nullptr;
  UniqueHBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || bits == nullptr) return out;
  SelectGuard select(dc.get(), bitmap.get());

  const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  std::vector<std::uint32_t> overBlack(count);
  auto* samples = static_cast<std::uint32_t*>(bits);
  for (int pass = 0; pass < 2; ++pass) {
    ::GdiFlush();
    std::memset(samples, pass == 0 ? 0x00 : 0xFF, count * sizeof(std::uint32_t));
    Ink ink(dc.get(), unit * kOversample, offsetX * kOversample, offsetY * kOversample);
    paint(ink);
    ::GdiFlush();
    if (pass == 0) std::memcpy(overBlack.data(), samples, count * sizeof(std::uint32_t));
  }

  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  constexpr int kSamples = kOversample * kOversample;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int a = 0, r = 0, g = 0, b = 0;
      for (int sy = 0; sy < kOversample; ++sy) {
        const std::size_t row = static_cast<std::size_t>(y * kOversample + sy) * w;
        for (int sx = 0; sx < kOversample; ++sx) {
          const std::size_t i = row + static_cast<std::size_t>(x * kOversample + sx);
          const std::uint32_t k = overBlack[i];
          const std::uint32_t l = samples[i];
          const int kb = k & 0xFF, kg = (k >> 8) & 0xFF, kr = (k >> 16) & 0xFF;
          const int lb = l & 0xFF, lg = (l >> 8) & 0xFF, lr = (l >> 16) & 0xFF;
          const int through = ((lr - kr) + (lg - kg) + (lb - kb)) / 3;
          a += 255 - std::clamp(through, 0, 255);
          r += kr;
          g += kg;
          b += kb;
        }
      }
      const int pa = a / kSamples;
      const int pr = std::min(r / kSamples, pa);
      const int pg = std::min(g / kSamples, pa);
      const int pb = std::min(b / kSamples, pa);
      out.pixels[static_cast<std::size_t>(y) * width + x] =
          (static_cast<std::uint32_t>(pa) << 24) | (static_cast<std::uint32_t>(pr) << 16) |
          (static_cast<std::uint32_t>(pg) << 8) | static_cast<std::uint32_t>(pb);
    }
  }
  return out;
}

// Grey, half-transparent version of a picture, for disabled buttons.
void Fade(Raster& raster) {
  for (std::uint32_t& p : raster.pixels) {
    const int a = static_cast<int>(p >> 24);
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    const int grey = (r * 30 + g * 59 + b * 11) / 100;
    const int fa = a * 45 / 100;
    const int fg = std::min(grey * 45 / 100 + fa * 20 / 100, fa);
    p = (static_cast<std::uint32_t>(fa) << 24) | (static_cast<std::uint32_t>(fg) << 16) |
        (static_cast<std::uint32_t>(fg) << 8) | static_cast<std::uint32_t>(fg);
  }
}

// Alpha-blends a raster onto `dc` with its top left corner at (x, y).
void Blit(HDC dc, int x, int y, const Raster& raster) {
  if (raster.width <= 0 || raster.height <= 0) return;
  BITMAPINFO info = TopDown32(raster.width, raster.height);
  void* bits = nullptr;
  UniqueHBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueHdc source(::CreateCompatibleDC(dc));
  if (!bitmap || !source || bits == nullptr) return;
  std::memcpy(bits, raster.pixels.data(), raster.pixels.size() * sizeof(std::uint32_t));
  SelectGuard select(source.get(), bitmap.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::GdiAlphaBlend(dc, x, y, raster.width, raster.height, source.get(), 0, 0, raster.width,
                  raster.height, blend);
}

// An icon with the raster's colours and alpha. Icons take straight (not premultiplied)
// colour; the mask marks the fully transparent pixels, for surfaces that ignore alpha.
HICON MakeIcon(const Raster& raster) {
  if (raster.width <= 0 || raster.height <= 0) return nullptr;
  BITMAPINFO info = TopDown32(raster.width, raster.height);
  void* bits = nullptr;
  UniqueHBitmap color(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color || bits == nullptr) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);

  const int stride = ((raster.width + 15) / 16) * 2;  // monochrome rows are WORD aligned
  std::vector<BYTE> mask(static_cast<std::size_t>(stride) * raster.height, 0);
  for (int y = 0; y < raster.height; ++y) {
    for (int x = 0; x < raster.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * raster.width + x;
      const std::uint32_t p = raster.pixels[i];
      const std::uint32_t a = p >> 24;
      if (a == 0) {
        out[i] = 0;
        mask[static_cast<std::size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        continue;
      }
      auto straight = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
      out[i] = (a << 24) | (straight((p >> 16) & 0xFF) << 16) | (straight((p >> 8) & 0xFF) << 8) |
               straight(p & 0xFF);
    }
  }
  ::GdiFlush();
  UniqueHBitmap monochrome(::CreateBitmap(raster.width, raster.height, 1, 1, mask.data()));
  if (!monochrome) return nullptr;
  ICONINFO icon{TRUE, 0, 0, monochrome.get(), color.get()};
  return ::CreateIconIndirect(&icon);
}

// ---- The drawings ------------------------------------------------------------------------

// A program window: frame, title bar with a gradient, white body. `small` keeps only the
// parts that read at 16 pixels.
void PaintWindow(const Ink& ink, double x0, double y0, double x1, double y1, double border,
                 double title, bool small) {
  ink.RoundBox(x0, y0, x1, y1, border * 1.5, kFrame);
  ink.GradientBox(x0 + border, y0 + border, x1 - border, y0 + title, border * 0.8, kTitleTop,
                  kTitleBottom);
  ink.Box(x0 + border, y0 + title, x1 - border, y1 - border, kWhite);
  const double w = x1 - x0;
  const double h = y1 - y0;
  if (small) {
    const double left = x0 + w * 0.2;
    ink.Box(left, y0 + title + h * 0.2, x1 - w * 0.25, y0 + title + h * 0.2 + border, kRule);
    ink.Box(left, y0 + title + h * 0.42, x1 - w * 0.4, y0 + title + h * 0.42 + border, kRule);
    return;
  }
  // Caption buttons at the right of the title bar.
  const double dot = title * 0.16;
  const double cy = y0 + (title + border) / 2;
  ink.Disc(x1 - border - title * 0.45, cy, dot, kWhite);
  ink.Disc(x1 - border - title * 0.95, cy, dot, kPaleBand);
  // A tile and lines of text in the body.
  const double top = y0 + title + (y1 - y0 - title) * 0.16;
  const double tile = (y1 - y0 - title) * 0.34;
  const double left = x0 + w * 0.12;
  ink.RoundBox(left, top, left + tile, top + tile, tile * 0.18, RGB(128, 128, 255));
  const double line = std::max(border, h * 0.055);
  const double textLeft = left + tile + w * 0.08;
  ink.Box(textLeft, top + tile * 0.1, x1 - w * 0.12, top + tile * 0.1 + line, kRule);
  ink.Box(textLeft, top + tile * 0.6, x1 - w * 0.26, top + tile * 0.6 + line, kRule);
  const double last = top + tile + (y1 - border - top - tile) * 0.45;
  ink.Box(left, last, x1 - w * 0.18, last + line, kRule);
}

// A white-ringed disc in the lower right corner of another picture.
void PaintBadge(const Ink& ink, double cx, double cy, double r, COLORREF color) {
  ink.Disc(cx, cy, r * 1.18, kWhite);
  ink.Disc(cx, cy, r, color);
}

void PaintQuestionMark(const Ink& ink, double cx, double cy, double r, COLORREF color) {
  const double arcR = r * 0.34;
  const double arcY = cy - r * 0.24;
  std::vector<Pt> stroke = Ink::Arc(cx, arcY, arcR, 165, -40);
  const Pt end = stroke.back();
  stroke.push_back(Pt{cx + (end.x - cx) * 0.25, arcY + arcR * 1.35});
  stroke.push_back(Pt{cx, cy + r * 0.2});
  ink.Line(stroke, r * 0.26, color);
  ink.Disc(cx, cy + r * 0.56, r * 0.16, color);
}

void PaintCheck(const Ink& ink, double cx, double cy, double r, COLORREF color) {
  ink.Line({Pt{cx - r * 0.5, cy + r * 0.02}, Pt{cx - r * 0.14, cy + r * 0.38},
            Pt{cx + r * 0.52, cy - r * 0.36}},
           r * 0.26, color);
}

void PaintCross(const Ink& ink, double cx, double cy, double half, double width, COLORREF color) {
  ink.Line({Pt{cx - half, cy - half}, Pt{cx + half, cy + half}}, width, color);
  ink.Line({Pt{cx + half, cy - half}, Pt{cx - half, cy + half}}, width, color);
}

// Glyphs, on a 32-unit grid.

void PaintUninstall(const Ink& ink) {
  // An open carton with an arrow lifting out of it.
  ink.RoundBox(4, 16, 28, 30, 1.5, kTanDark);
  ink.Box(5.3, 19.5, 26.7, 28.7, kTan);
  ink.Shape({Pt{4, 16}, Pt{1.5, 12.5}, Pt{9, 12.5}, Pt{11, 16}}, kTanDark);
  ink.Shape({Pt{28, 16}, Pt{30.5, 12.5}, Pt{23, 12.5}, Pt{21, 16}}, kTanDark);
  ink.Box(13, 19.5, 19, 21.5, kTanDark);
  ink.Box(13.2, 9, 18.8, 18, kBlue);
  ink.Shape({Pt{8.5, 10}, Pt{16, 1.5}, Pt{23.5, 10}}, kBlue);
}

void PaintDeleteFromList(const Ink& ink) {
  ink.RoundBox(3, 2, 24, 29, 1.5, kOutline);
  ink.Box(4.3, 3.3, 22.7, 27.7, kWhite);
  for (int i = 0; i < 4; ++i) {
    const double y = 6.5 + i * 5;
    if (i == 1) ink.Box(5.5, y - 1.3, 20.5, y + 3.3, RGB(214, 222, 255));
    ink.Box(7, y, 9.5, y + 2, i == 1 ? kBlue : kSlate);
    ink.Box(11, y, i % 2 ? 19 : 17, y + 2, kRule);
  }
  PaintBadge(ink, 23.5, 23.5, 7, kRed);
  PaintCross(ink, 23.5, 23.5, 2.7, 2.3, kWhite);
}

void PaintProgramDetails(const Ink& ink) {
  PaintWindow(ink, 2, 3, 27, 25, 1.3, 6.5, false);
  PaintBadge(ink, 24, 24, 7, kBlue);
  ink.Disc(24, 20.3, 1.4, kWhite);
  ink.Line({Pt{24, 23.2}, Pt{24, 27.6}}, 2.5, kWhite);
}

void PaintOtherOptions(const Ink& ink) {
  // A gear: eight teeth around a ring.
  std::vector<Pt> gear;
  const double c = 16;
  for (int i = 0; i < 8; ++i) {
    const double base = i * 45.0;
    for (const auto& [angle, radius] : {std::pair{base - 22.5 + 5, 10.5}, std::pair{base - 9.5, 14.5},
                                        std::pair{base + 9.5, 14.5}, std::pair{base + 22.5 - 5, 10.5}}) {
      const double a = angle * kPi / 180.0;
      gear.push_back(Pt{c + radius * std::cos(a), c - radius * std::sin(a)});
    }
  }
  ink.Shape(gear, kSlate);
  ink.Disc(c, c, 6.2, RGB(226, 230, 244));
  ink.Disc(c, c, 3.6, kSlate);
}

void PaintHelp(const Ink& ink) {
  ink.Disc(16, 16, 14.5, kBlue);
  PaintQuestionMark(ink, 16, 16, 14.5, kWhite);
}

void PaintFind(const Ink& ink) {
  ink.Line({Pt{19.5, 19.5}, Pt{27.5, 27.5}}, 5, kNavy);
  ink.Disc(13, 13, 10, kNavy);
  ink.Disc(13, 13, 7.4, RGB(220, 232, 255));
  ink.Line(Ink::Arc(13, 13, 4.4, 110, 170), 1.8, kWhite);
}

// Page pictures, on a 48-unit grid.

void PaintPageProgram(const Ink& ink) {
  PaintWindow(ink, 3, 6, 45, 42, 1.6, 9, false);
}

void PaintWarning(const Ink& ink) {
  const std::vector<Pt> triangle{Pt{24, 6}, Pt{44, 40}, Pt{4, 40}};
  ink.Shape(triangle, kAmber);
  std::vector<Pt> outline = triangle;
  outline.push_back(triangle.front());
  ink.Line(outline, 5, kAmber);
  ink.Line({Pt{24, 18}, Pt{24, 29}}, 4.4, RGB(70, 56, 20));
  ink.Disc(24, 35, 2.5, RGB(70, 56, 20));
}

void PaintSuccess(const Ink& ink) {
  ink.Disc(24, 24, 21, kGreen);
  PaintCheck(ink, 24, 24, 21, kWhite);
}

void PaintDocument(const Ink& ink) {
  const std::vector<Pt> page{Pt{9, 3}, Pt{30, 3}, Pt{40, 13}, Pt{40, 45}, Pt{9, 45}};
  ink.Shape(page, kWhite);
  std::vector<Pt> outline = page;
  outline.push_back(page.front());
  ink.Line(outline, 1.6, kOutline);
  ink.Shape({Pt{30, 3}, Pt{30, 13}, Pt{40, 13}}, RGB(214, 220, 240));
  ink.Line({Pt{30, 3}, Pt{30, 13}, Pt{40, 13}}, 1.6, kOutline);
  ink.Box(14, 17, 27, 19.5, kBlue);
  const double lengths[] = {21, 17, 21, 13};
  for (int i = 0; i < 4; ++i) ink.Box(14, 24.5 + i * 5, 14 + lengths[i], 26.5 + i * 5, kRule);
}

// The banner, on its 492 by 41 grid: an emblem (waves under a rising arrow in a white
// disc) and the product name, followed by a quiet wave running out to the right.
void PaintBanner(const Ink& ink) {
  const double cx = 22;
  const double cy = 20.5;
  ink.Disc(cx, cy, 18, kWhite);
  auto wave = [&](double y, double from, double to, double amplitude, double width, COLORREF c) {
    std::vector<Pt> points;
    for (double x = from; x <= to + 0.01; x += 0.5)
      points.push_back(Pt{x, y + amplitude * std::sin((x - from) * kPi / 6.0)});
    ink.Line(points, width, c);
  };
  wave(25, 9.5, 34.5, 1.6, 2.6, kBandColor);
  wave(31, 12, 32, 1.4, 2.6, kDeepBand);
  ink.Box(19.7, 10, 24.3, 20, kDeepBand);
  ink.Shape({Pt{14.5, 11.5}, Pt{22, 3.5}, Pt{29.5, 11.5}}, kDeepBand);

  const double width = ink.Text(Widen(kAppTitle).c_str(), 50, 0, 41, 31, true, kWhite);
  const double from = 50 + width + 16;
  if (from < 470) {
    wave(17.5, from, 486, 1.5, 1.6, kPaleBand);
    wave(24.5, from + 3, 486, 1.5, 1.6, kPaleBand);
  }
}

void PaintClose(const Ink& ink) {
  ink.Box(3, 3, 18, 4, kWhite);
  ink.Box(3, 17, 18, 18, kWhite);
  ink.Box(3, 4, 4, 17, kWhite);
  ink.Box(17, 4, 18, 17, kWhite);
  PaintCross(ink, 10.5, 10.5, 3.3, 1.9, kWhite);
}

int Scaled(int value96, UINT dpi) { return ::MulDiv(value96, static_cast<int>(dpi), 96); }

struct Square {
  int x;
  int y;
  int size;
};

// The square of side min(limit, rect) centred in `rect`.
Square CentredSquare(const RECT& rect, int limit) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  const int size = std::max(0, std::min({w, h, limit}));
  return Square{rect.left + (w - size) / 2, rect.top + (h - size) / 2, size};
}

template <class Paint>
void DrawSquare(HDC dc, const Square& square, double grid, Paint paint, bool faded = false) {
  if (square.size <= 0) return;
  Raster raster = Render(square.size, square.size, square.size / grid, 0, 0, paint);
  if (faded) Fade(raster);
  Blit(dc, square.x, square.y, raster);
}

template <class Paint>
HICON IconFrom(int sizePx, double grid, Paint paint) {
  if (sizePx <= 0 || sizePx > 256) return nullptr;
  return MakeIcon(Render(sizePx, sizePx, sizePx / grid, 0, 0, paint));
}

}  // namespace

void DrawBanner(HDC dc, const RECT& rect, UINT dpi) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  // The banner always stands on the band: fill it, so that an owner-drawn control whose DC
  // holds no background yet shows the band rather than black.
  UniqueHBrush band(::CreateSolidBrush(kBandColor));
  ::FillRect(dc, &rect, band.get());
  const double unit = dpi / 96.0;
  const double offsetX = (w - kBannerWidth96 * unit) / 2;
  const double offsetY = (h - kBannerHeight96 * unit) / 2;
  Blit(dc, rect.left, rect.top, Render(w, h, unit, offsetX, offsetY, PaintBanner));
}

void DrawGlyph(HDC dc, const RECT& rect, Glyph glyph, bool disabled) {
  const Square square = CentredSquare(rect, INT_MAX);
  switch (glyph) {
    case Glyph::Uninstall: return DrawSquare(dc, square, 32, PaintUninstall, disabled);
    case Glyph::DeleteFromList: return DrawSquare(dc, square, 32, PaintDeleteFromList, disabled);
    case Glyph::ProgramDetails: return DrawSquare(dc, square, 32, PaintProgramDetails, disabled);
    case Glyph::OtherOptions: return DrawSquare(dc, square, 32, PaintOtherOptions, disabled);
    case Glyph::Help: return DrawSquare(dc, square, 32, PaintHelp, disabled);
    case Glyph::Find: return DrawSquare(dc, square, 32, PaintFind, disabled);
    case Glyph::None: return;
  }
}

void DrawPagePicture(HDC dc, const RECT& rect, PagePicture picture, UINT dpi) {
  const Square square = CentredSquare(rect, Scaled(48, dpi));
  switch (picture) {
    case PagePicture::Program: return DrawSquare(dc, square, 48, PaintPageProgram);
    case PagePicture::Warning: return DrawSquare(dc, square, 48, PaintWarning);
    case PagePicture::Success: return DrawSquare(dc, square, 48, PaintSuccess);
    case PagePicture::Document: return DrawSquare(dc, square, 48, PaintDocument);
  }
}

void DrawCloseImage(HDC dc, const RECT& rect, UINT dpi, bool hot) {
  UniqueHBrush band(::CreateSolidBrush(hot ? kHotBand : kBandColor));
  ::FillRect(dc, &rect, band.get());
  DrawSquare(dc, CentredSquare(rect, Scaled(21, dpi)), 21, PaintClose);
}

void DrawRoundedFace(HDC dc, const RECT& rect, int radiusPx, COLORREF border, COLORREF top,
                     COLORREF bottom) {
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  if (w <= 2 || h <= 2) return;
  const double r = std::max(0, radiusPx);
  Blit(dc, rect.left, rect.top, Render(w, h, 1.0, 0, 0, [&](const Ink& ink) {
         ink.RoundBox(0, 0, w, h, r, border);
         ink.GradientBox(1, 1, w - 1, h - 1, std::max(0.0, r - 1), top, bottom);
       }));
}

HICON CreateDefaultProgramIcon(int sizePx) {
  if (sizePx < 24) {
    return IconFrom(sizePx, 16, [](const Ink& ink) { PaintWindow(ink, 0, 1, 16, 15, 1, 4, true); });
  }
  return IconFrom(sizePx, 32, [](const Ink& ink) { PaintWindow(ink, 1, 3, 31, 29, 1, 7, false); });
}

HICON CreateQuestionMarkIcon(int sizePx) {
  return IconFrom(sizePx, 16, [](const Ink& ink) {
    ink.Disc(8, 8, 7.5, kOrange);
    PaintQuestionMark(ink, 8, 8, 7.5, kWhite);
  });
}

HICON CreateAdviceIcon(bool ok, int sizePx) {
  return IconFrom(sizePx, 32, [ok](const Ink& ink) {
    PaintWindow(ink, 1, 2, 27, 25, 1, 6.5, false);
    PaintBadge(ink, 23.5, 23.5, 7.6, ok ? kGreen : kOrange);
    if (ok) {
      PaintCheck(ink, 23.5, 23.5, 7.6, kWhite);
    } else {
      PaintQuestionMark(ink, 23.5, 23.5, 7.6, kWhite);
    }
  });
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace tw::pictures
