// The drawn pictures, icons and image buttons: they draw where they are asked to and nowhere
// else, at every DPI, give icons that image lists and static controls can show, release what
// they create, and make buttons that behave like push buttons for mouse, keyboard and screen
// readers.
//
// With TIDEWELL_GALLERY set to a folder, Gallery.Render also writes gallery-96.bmp and
// gallery-144.bmp there: every picture and every button look and state, to look at.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "forms/ImageButton.h"
#include "forms/Pictures.h"
#include "win32/UniqueHandle.h"

namespace tw {
namespace {

using pictures::Glyph;
using pictures::PagePicture;

constexpr std::uint32_t kSentinel = 0x00010203;  // a colour no picture uses

// A 32-bit top-down bitmap in a memory DC whose pixels the test reads directly.
class Canvas {
 public:
  Canvas(int width, int height, std::uint32_t fill = kSentinel) : width_(width), height_(height) {
    BITMAPINFO info = pictures::TopDown32(width, height);
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    dc_.reset(::CreateCompatibleDC(nullptr));
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
    for (int i = 0; i < width * height; ++i) bits_[i] = fill;
  }
  ~Canvas() { ::SelectObject(dc_.get(), old_); }

  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  /// The pixel as 0x00RRGGBB.
  std::uint32_t At(int x, int y) const {
    ::GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }
  /// Pixels in `r` that differ from `fill`, and pixels outside `r` that do.
  std::pair<int, int> Changed(const RECT& r, std::uint32_t fill = kSentinel) const {
    int inside = 0, outside = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) != (fill & 0xFFFFFF)) {
          const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
          (in ? inside : outside)++;
        }
    return {inside, outside};
  }

  /// Writes the canvas as a 24-bit BMP file.
  bool SaveBmp(const std::filesystem::path& path) const {
    const int stride = (width_ * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width_;
    header.biHeight = height_;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * height_);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    std::vector<char> row(static_cast<std::size_t>(stride), 0);
    for (int y = height_ - 1; y >= 0; --y) {
      for (int x = 0; x < width_; ++x) {
        const std::uint32_t p = At(x, y);
        row[x * 3] = static_cast<char>(p & 0xFF);
        row[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
        row[x * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
      }
      out.write(row.data(), stride);
    }
    return static_cast<bool>(out);
  }

 private:
  int width_;
  int height_;
  std::uint32_t* bits_ = nullptr;
  UniqueHBitmap bitmap_;
  UniqueHdc dc_;
  HGDIOBJ old_ = nullptr;
};

int Scaled(int v, UINT dpi) { return ::MulDiv(v, static_cast<int>(dpi), 96); }

std::uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// ---- Pictures drawn into a DC -------------------------------------------------------------

struct PictureCase {
  const char* name;
  int width96;
  int height96;
  std::function<void(HDC, const RECT&, UINT)> draw;
};

std::vector<PictureCase> AllPictures() {
  std::vector<PictureCase> cases{
      {"banner", 492, 41, [](HDC dc, const RECT& r, UINT dpi) { pictures::DrawBanner(dc, r, dpi); }},
      {"close", 21, 21, [](HDC dc, const RECT& r, UINT dpi) { pictures::DrawCloseImage(dc, r, dpi, false); }},
      {"close hot", 21, 21, [](HDC dc, const RECT& r, UINT dpi) { pictures::DrawCloseImage(dc, r, dpi, true); }},
  };
  for (Glyph g : {Glyph::Uninstall, Glyph::DeleteFromList, Glyph::ProgramDetails, Glyph::OtherOptions, Glyph::Help,
                  Glyph::Find})
    cases.push_back({"glyph", 28, 28, [g](HDC dc, const RECT& r, UINT) { pictures::DrawGlyph(dc, r, g); }});
  for (PagePicture p : {PagePicture::Program, PagePicture::Warning, PagePicture::Success, PagePicture::Document})
    cases.push_back({"page picture", 48, 48, [p](HDC dc, const RECT& r, UINT dpi) { pictures::DrawPagePicture(dc, r, p, dpi); }});
  return cases;
}

TEST(Pictures, DrawInsideTheirRectAndNowhereElseAtEveryDpi) {
  for (UINT dpi : {96u, 144u, 192u}) {
    for (const PictureCase& c : AllPictures()) {
      const int w = Scaled(c.width96, dpi);
      const int h = Scaled(c.height96, dpi);
      Canvas canvas(w + 40, h + 40);
      const RECT r{20, 20, 20 + w, 20 + h};
      c.draw(canvas.dc(), r, dpi);
      const auto [inside, outside] = canvas.Changed(r);
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi) + " DPI");
      EXPECT_EQ(outside, 0);
      // Every picture covers a good part of its box (the banner's name and emblem less).
      EXPECT_GT(inside, w * h / 8);
    }
  }
}

TEST(Pictures, BannerFillsTheBandAndCentresTheNameInWhite) {
  for (UINT dpi : {96u, 144u}) {
    const int bannerW = Scaled(pictures::kBannerWidth96, dpi);
    const int bannerH = Scaled(pictures::kBannerHeight96, dpi);
    const int bandW = bannerW + 300;
    const int bandH = Scaled(57, dpi);
    const std::uint32_t band = Rgb(pictures::kBandColor);
    // Drawn on black, as in a fresh owner-drawn control: the band must cover it all.
    Canvas canvas(bandW, bandH, 0x000000);
    pictures::DrawBanner(canvas.dc(), RECT{0, 0, bandW, bandH}, dpi);
    int left = bandW, right = -1, top = bandH, bottom = -1, white = 0, black = 0;
    for (int y = 0; y < bandH; ++y)
      for (int x = 0; x < bandW; ++x) {
        const std::uint32_t p = canvas.At(x, y);
        if (p == band) continue;
        if (p == 0) ++black;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        if (p == 0xFFFFFF) ++white;
      }
    SCOPED_TRACE(dpi);
    const int marginX = (bandW - bannerW) / 2;
    const int marginY = (bandH - bannerH) / 2;
    EXPECT_GE(left, marginX);
    EXPECT_LT(right, marginX + bannerW);
    EXPECT_GE(top, marginY);
    EXPECT_LT(bottom, marginY + bannerH);
    EXPECT_LT(left - marginX, Scaled(12, dpi));  // the emblem starts at the banner's left
    EXPECT_GT(white, bannerW * bannerH / 20);    // the name is there, in white
    EXPECT_EQ(black, 0);
  }
}

TEST(Pictures, TooSmallRectsAreRespected) {
  Canvas canvas(100, 100);
  const RECT r{10, 10, 30, 25};
  pictures::DrawBanner(canvas.dc(), r, 96);
  pictures::DrawPagePicture(canvas.dc(), r, PagePicture::Warning, 192);
  pictures::DrawGlyph(canvas.dc(), r, Glyph::Help);
  EXPECT_EQ(canvas.Changed(r).second, 0);
  // Empty and inverted rects draw nothing.
  Canvas untouched(50, 50);
  pictures::DrawBanner(untouched.dc(), RECT{20, 20, 20, 40}, 96);
  pictures::DrawGlyph(untouched.dc(), RECT{30, 30, 10, 10}, Glyph::Find);
  pictures::DrawGlyph(untouched.dc(), RECT{0, 0, 50, 50}, Glyph::None);
  EXPECT_EQ(untouched.Changed(RECT{0, 0, 0, 0}).second, 0);
}

TEST(Pictures, DisabledGlyphIsGrey) {
  Canvas canvas(40, 40, 0xFFFFFF);
  pictures::DrawGlyph(canvas.dc(), RECT{4, 4, 36, 36}, Glyph::DeleteFromList, true);
  int drawn = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const std::uint32_t p = canvas.At(x, y);
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (p != 0xFFFFFF) ++drawn;
      EXPECT_LE(std::abs(r - g) + std::abs(g - b), 3) << x << "," << y;
    }
  EXPECT_GT(drawn, 100);
}

// ---- Icons --------------------------------------------------------------------------------

struct IconCase {
  const char* name;
  int size;
  std::function<HICON(int)> make;
};

std::vector<IconCase> AllIcons() {
  return {
      {"default program", 32, pictures::CreateDefaultProgramIcon},
      {"default program", 16, pictures::CreateDefaultProgramIcon},
      {"question mark", 16, pictures::CreateQuestionMarkIcon},
      {"advice ok", 32, [](int s) { return pictures::CreateAdviceIcon(true, s); }},
      {"advice bad", 32, [](int s) { return pictures::CreateAdviceIcon(false, s); }},
      {"default program at 200%", 64, pictures::CreateDefaultProgramIcon},
  };
}

// The icon's colour pixels (0xAARRGGBB) and whether each is masked out.
struct IconPixels {
  std::vector<std::uint32_t> argb;
  std::vector<bool> masked;
};

IconPixels ReadIcon(HICON icon, int size) {
  ICONINFO info{};
  EXPECT_TRUE(::GetIconInfo(icon, &info));
  UniqueHBitmap color(info.hbmColor);
  UniqueHBitmap mask(info.hbmMask);
  EXPECT_TRUE(info.fIcon);
  EXPECT_TRUE(color) << "a colour icon, not a monochrome one";
  BITMAP bm{};
  ::GetObjectW(color.get(), sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidth, size);
  EXPECT_EQ(bm.bmHeight, size);
  IconPixels out;
  out.argb.resize(static_cast<std::size_t>(size) * size);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  EXPECT_EQ(::GetDIBits(dc.get(), color.get(), 0, size, out.argb.data(), &bi, DIB_RGB_COLORS), size);
  std::vector<std::uint32_t> maskBits(static_cast<std::size_t>(size) * size);
  EXPECT_EQ(::GetDIBits(dc.get(), mask.get(), 0, size, maskBits.data(), &bi, DIB_RGB_COLORS), size);
  for (std::uint32_t m : maskBits) out.masked.push_back((m & 0xFFFFFF) != 0);
  return out;
}

TEST(Icons, HaveAlphaAndAMaskThatAgree) {
  for (const IconCase& c : AllIcons()) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size));
    UniqueHIcon icon(c.make(c.size));
    ASSERT_TRUE(icon);
    const IconPixels px = ReadIcon(icon.get(), c.size);
    const int n = c.size;
    for (int corner : {0, n - 1, n * (n - 1), n * n - 1}) {
      EXPECT_EQ(px.argb[corner] >> 24, 0u) << "corner " << corner;
      EXPECT_TRUE(px.masked[corner]) << "corner " << corner;
    }
    EXPECT_EQ(px.argb[(n / 2) * n + n / 2] >> 24, 255u) << "centre";
    EXPECT_FALSE(px.masked[(n / 2) * n + n / 2]);
    int opaque = 0;
    for (std::size_t i = 0; i < px.argb.size(); ++i) {
      const std::uint32_t a = px.argb[i] >> 24;
      if (a == 255) ++opaque;
      // Masked pixels are exactly the fully transparent ones.
      EXPECT_EQ(px.masked[i], a == 0) << i;
    }
    EXPECT_GT(opaque, n * n / 3);
  }
}

TEST(Icons, RejectSizesTheyCannotMake) {
  EXPECT_EQ(pictures::CreateDefaultProgramIcon(0), nullptr);
  EXPECT_EQ(pictures::CreateQuestionMarkIcon(-16), nullptr);
}

TEST(Icons, DrawThroughAnImageListWithTransparentCorners) {
  for (const IconCase& c : AllIcons()) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size));
    UniqueHImageList list(::ImageList_Create(c.size, c.size, ILC_COLOR32 | ILC_MASK, 1, 1));
    ASSERT_TRUE(list);
    UniqueHIcon icon(c.make(c.size));
    ASSERT_EQ(::ImageList_AddIcon(list.get(), icon.get()), 0);
    Canvas canvas(c.size, c.size, 0xFFFFFF);
    ASSERT_TRUE(::ImageList_Draw(list.get(), 0, canvas.dc(), 0, 0, ILD_NORMAL));
    EXPECT_EQ(canvas.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(c.size - 1, c.size - 1), 0xFFFFFFu);
    const auto [inside, outside] = canvas.Changed(RECT{0, 0, c.size, c.size}, 0xFFFFFF);
    EXPECT_GT(inside, c.size * c.size / 3);
    // The same through DrawIconEx, as a static control draws it.
    Canvas direct(c.size, c.size, 0xFFFFFF);
    ASSERT_TRUE(::DrawIconEx(direct.dc(), 0, 0, icon.get(), c.size, c.size, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(direct.At(0, 0), 0xFFFFFFu);
    EXPECT_GT(direct.Changed(RECT{0, 0, c.size, c.size}, 0xFFFFFF).first, c.size * c.size / 3);
  }
}

// ---- Image buttons ------------------------------------------------------------------------

// A parent window that paints its image buttons and records their clicks.
class Parent {
 public:
  Parent() {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"TidewellPicturesTestParent";
      wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
      return ::RegisterClassW(&wc);
    }();
    (void)atom;
    hwnd_ = ::CreateWindowExW(0, L"TidewellPicturesTestParent", L"Buttons", WS_OVERLAPPEDWINDOW, 0, 0, 500, 300,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  }
  ~Parent() { ::DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  std::vector<int> clicks;
  int drawn = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<Parent*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) self->clicks.push_back(LOWORD(wParam));
    if (self && message == WM_DRAWITEM && DrawImageButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) {
      ++self->drawn;
      return TRUE;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  HWND hwnd_ = nullptr;
};

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  ::GetWindowTextW(hwnd, buffer, 256);
  return buffer;
}

RECT RectInParent(HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(ImageButton, IsAFocusableOwnerDrawnButtonNamedByItsLabel) {
  Parent parent;
  HWND button = CreateImageButton(parent.hwnd(), 101, L"Delete From List", ButtonLook::Large,
                                  Glyph::DeleteFromList, 158, 12, 136, 43, 144);
  ASSERT_TRUE(button);
  wchar_t cls[32] = {};
  ::GetClassNameW(button, cls, 32);
  EXPECT_EQ(::lstrcmpiW(cls, L"Button"), 0) << cls;
  EXPECT_EQ(TextOf(button), L"Delete From List");  // what screen readers announce
  const LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
  EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(::GetDlgCtrlID(button), 101);
  EXPECT_TRUE(IsImageButton(button));

  const RECT r = RectInParent(button);
  EXPECT_EQ(r.left, Scaled(158, 144));
  EXPECT_EQ(r.top, Scaled(12, 144));
  EXPECT_EQ(r.right - r.left, Scaled(136, 144));
  EXPECT_EQ(r.bottom - r.top, Scaled(43, 144));

  MoveImageButton(button, 158, 12, 136, 43, 96);
  const RECT moved = RectInParent(button);
  EXPECT_EQ(moved.left, 158);
  EXPECT_EQ(moved.right - moved.left, 136);
  EXPECT_EQ(moved.bottom - moved.top, 43);
}

TEST(ImageButton, ShowsTheHandOverItsClientArea) {
  Parent parent;
  HWND button = CreateImageButton(parent.hwnd(), 102, L"Help", ButtonLook::Icon, Glyph::Help, 0, 0, 37, 36, 96);
  ASSERT_TRUE(button);
  HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  ::SetCursor(arrow);
  EXPECT_TRUE(::SendMessageW(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::GetCursor(), hand);
}

TEST(ImageButton, ClicksLikeAPushButtonAlsoWhenClickedQuickly) {
  Parent parent;
  ::ShowWindow(parent.hwnd(), SW_SHOWNOACTIVATE);
  HWND button = CreateImageButton(parent.hwnd(), 103, L"OK", ButtonLook::Page, Glyph::None, 10, 10, 136, 34, 96);
  ASSERT_TRUE(button);
  ::SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(parent.clicks, std::vector<int>{103});

  // Down, up, and a second press that Windows reports as a double click: two clicks.
  parent.clicks.clear();
  const LPARAM at = MAKELPARAM(5, 5);
  ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(button, WM_LBUTTONUP, 0, at);
  ::SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  ::SendMessageW(button, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(parent.clicks, (std::vector<int>{103, 103}));
}

TEST(ImageButton, DrawsOnlyImageButtons) {
  Parent parent;
  HWND image = CreateImageButton(parent.hwnd(), 104, L"Uninstall", ButtonLook::Large, Glyph::Uninstall, 0, 0, 136,
                                 43, 96);
  HWND plain = ::CreateWindowExW(0, WC_BUTTONW, L"Plain", WS_CHILD | BS_OWNERDRAW, 0, 50, 80, 24, parent.hwnd(),
                                 nullptr, nullptr, nullptr);
  Canvas canvas(160, 60);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.itemAction = ODA_DRAWENTIRE;
  item.hDC = canvas.dc();
  item.rcItem = RECT{10, 10, 146, 53};
  item.hwndItem = plain;
  EXPECT_FALSE(DrawImageButton(item));
  EXPECT_EQ(canvas.Changed(RECT{0, 0, 0, 0}).second, 0);

  item.hwndItem = image;
  item.CtlType = ODT_LISTBOX;
  EXPECT_FALSE(DrawImageButton(item));

  item.CtlType = ODT_BUTTON;
  for (UINT state : {0u, UINT{ODS_SELECTED}, UINT{ODS_FOCUS}, UINT{ODS_DISABLED}}) {
    item.itemState = state;
    Canvas fresh(160, 60);
    item.hDC = fresh.dc();
    EXPECT_TRUE(DrawImageButton(item));
    const auto [inside, outside] = fresh.Changed(item.rcItem);
    EXPECT_EQ(inside, 136 * 43) << state;  // the face covers the whole button
    EXPECT_EQ(outside, 0) << state;
  }
}

TEST(ImageButton, LooksDifferInEachState) {
  // Each state must be visible: the pressed, hot, focused and disabled faces all differ
  // from the normal face and from each other.
  for (ButtonLook look : {ButtonLook::Large, ButtonLook::Page, ButtonLook::Small, ButtonLook::Icon}) {
    std::vector<std::vector<std::uint32_t>> faces;
    const ButtonState states[] = {{}, {true}, {false, true}, {false, false, true}, {false, false, false, true}};
    for (const ButtonState& s : states) {
      Canvas canvas(136, 43);
      PaintImageButton(canvas.dc(), RECT{0, 0, 136, 43}, L"Continue", look, Glyph::Help, 96, s);
      std::vector<std::uint32_t> px;
      for (int y = 0; y < 43; ++y)
        for (int x = 0; x < 136; ++x) px.push_back(canvas.At(x, y));
      for (const auto& earlier : faces) EXPECT_NE(px, earlier) << static_cast<int>(look);
      faces.push_back(std::move(px));
    }
  }
}

// ---- Resources ----------------------------------------------------------------------------

// Live GDI objects of this process. Where the system does not count them (Wine), the
// count is taken from the other side: how many more objects the process may still make
// before its handle table is full; a leak shows as that number shrinking.
long GdiObjects() {
  const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (n != 0) return static_cast<long>(n);
  std::vector<HBRUSH> probes;
  while (probes.size() < 200000) {
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    if (!brush) break;
    probes.push_back(brush);
  }
  for (HBRUSH brush : probes) ::DeleteObject(brush);
  return -static_cast<long>(probes.size());
}

void DrawEverything(HDC dc, UINT dpi) {
  const RECT r{0, 0, 300, 60};
  pictures::DrawBanner(dc, r, dpi);
  pictures::DrawCloseImage(dc, RECT{0, 0, 21, 21}, dpi, true);
  pictures::DrawGlyph(dc, RECT{0, 0, 32, 32}, Glyph::OtherOptions, true);
  pictures::DrawPagePicture(dc, RECT{0, 0, 48, 48}, PagePicture::Document, dpi);
  for (ButtonLook look : {ButtonLook::Large, ButtonLook::Page, ButtonLook::Small, ButtonLook::Icon})
    PaintImageButton(dc, RECT{0, 0, 136, 43}, L"Program Details", look, Glyph::ProgramDetails, dpi,
                     ButtonState{true, false, false, true});
  UniqueHIcon icon(pictures::CreateAdviceIcon(false, 32));
}

TEST(Resources, DrawingReleasesEveryGdiObject) {
  Canvas canvas(300, 60);
  DrawEverything(canvas.dc(), 144);  // warm up: fonts and caches the system keeps
  const long before = GdiObjects();
  for (int i = 0; i < 100; ++i) DrawEverything(canvas.dc(), 144);
  EXPECT_LE(GdiObjects() - before, 2);
}

// ---- Gallery ------------------------------------------------------------------------------

void PaintGallery(Canvas& canvas, UINT dpi) {
  HDC dc = canvas.dc();
  auto s = [dpi](int v) { return Scaled(v, dpi); };
  const RECT whole{0, 0, canvas.width(), canvas.height()};
  ::FillRect(dc, &whole, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));

  // The main window's band with the banner, and a dialog's title band with its close box.
  UniqueHandle<GdiObjectTraits<HBRUSH>> band(::CreateSolidBrush(pictures::kBandColor));
  const RECT top{0, 0, canvas.width(), s(57)};
  ::FillRect(dc, &top, band.get());
  pictures::DrawBanner(dc, top, dpi);
  const RECT title{0, s(70), s(428), s(102)};
  ::FillRect(dc, &title, band.get());
  pictures::DrawCloseImage(dc, RECT{s(428) - s(43), s(72), s(428) - s(22), s(93)}, dpi, false);
  pictures::DrawCloseImage(dc, RECT{s(428) - s(22), s(72), s(428) - s(1), s(93)}, dpi, true);

  int x = s(440);
  for (Glyph g : {Glyph::Uninstall, Glyph::DeleteFromList, Glyph::ProgramDetails, Glyph::OtherOptions, Glyph::Help,
                  Glyph::Find}) {
    pictures::DrawGlyph(dc, RECT{x, s(72), x + s(28), s(100)}, g);
    pictures::DrawGlyph(dc, RECT{x, s(104), x + s(28), s(132)}, g, true);
    x += s(34);
  }

  x = s(10);
  for (PagePicture p : {PagePicture::Program, PagePicture::Warning, PagePicture::Success, PagePicture::Document}) {
    pictures::DrawPagePicture(dc, RECT{x, s(112), x + s(48), s(160)}, p, dpi);
    x += s(60);
  }
  struct Icon {
    HICON (*make)(int);
    int size;
  };
  x = s(260);
  const int big = s(32), small = s(16);
  std::vector<UniqueHIcon> icons;
  icons.emplace_back(pictures::CreateDefaultProgramIcon(big));
  icons.emplace_back(pictures::CreateDefaultProgramIcon(small));
  icons.emplace_back(pictures::CreateQuestionMarkIcon(small));
  icons.emplace_back(pictures::CreateAdviceIcon(true, big));
  icons.emplace_back(pictures::CreateAdviceIcon(false, big));
  for (const UniqueHIcon& icon : icons) {
    ICONINFO info{};
    ::GetIconInfo(icon.get(), &info);
    BITMAP bm{};
    ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DrawIconEx(dc, x, s(120), icon.get(), bm.bmWidth, bm.bmHeight, 0, nullptr, DI_NORMAL);
    x += bm.bmWidth + s(10);
  }

  struct Row {
    ButtonLook look;
    int w, h;
    const wchar_t* labels[4];
    Glyph glyphs[4];
  };
  const Row rows[] = {
      {ButtonLook::Large, 136, 43, {L"Uninstall", L"Delete From List", L"Program Details", L"Other Options"},
       {Glyph::Uninstall, Glyph::DeleteFromList, Glyph::ProgramDetails, Glyph::OtherOptions}},
      {ButtonLook::Page, 136, 34, {L"Uninstall", L"Try to Uninstall", L"Edit Log ...", L"Clean-up"},
       {Glyph::None, Glyph::None, Glyph::None, Glyph::None}},
      {ButtonLook::Small, 90, 26, {L"Cancel", L"Cancel", L"Cancel", L"Cancel"},
       {Glyph::None, Glyph::None, Glyph::None, Glyph::None}},
      {ButtonLook::Icon, 37, 36, {L"Help", L"Find", L"Help", L"Find"}, {Glyph::Help, Glyph::Find, Glyph::Help, Glyph::Find}},
  };
  // Columns: normal, hot, pressed, focused, disabled.
  const ButtonState states[] = {{}, {false, true}, {true, true}, {false, false, false, true}, {false, false, true}};
  int y = s(172);
  for (const Row& row : rows) {
    int bx = s(10);
    for (int i = 0; i < 5; ++i) {
      const RECT r{bx, y, bx + s(row.w), y + s(row.h)};
      PaintImageButton(dc, r, row.labels[i % 4], row.look, row.glyphs[i % 4], dpi, states[i]);
      bx += s(row.w + 10);
    }
    y += s(row.h + 10);
  }
  // The main window's command strip as laid out there.
  const int strip = y + s(6);
  const wchar_t* labels[] = {L"Uninstall", L"Delete From List", L"Program Details", L"Other Options"};
  const Glyph glyphs[] = {Glyph::Uninstall, Glyph::DeleteFromList, Glyph::ProgramDetails, Glyph::OtherOptions};
  for (int i = 0; i < 4; ++i)
    PaintImageButton(dc, RECT{s(14 + 144 * i), strip, s(150 + 144 * i), strip + s(43)}, labels[i], ButtonLook::Large,
                     glyphs[i], dpi, {});
  PaintImageButton(dc, RECT{s(587), strip + s(3), s(624), strip + s(39)}, L"Help", ButtonLook::Icon, Glyph::Help, dpi, {});
}

TEST(Gallery, Render) {
  const char* folder = std::getenv("TIDEWELL_GALLERY");
  if (!folder || !*folder) GTEST_SKIP() << "set TIDEWELL_GALLERY to a folder to write the gallery";
  for (UINT dpi : {96u, 144u}) {
    Canvas canvas(Scaled(740, dpi), Scaled(450, dpi), 0xFFFFFF);
    PaintGallery(canvas, dpi);
    const auto path = std::filesystem::path(folder) / ("gallery-" + std::to_string(dpi) + ".bmp");
    EXPECT_TRUE(canvas.SaveBmp(path)) << path.string();
  }
}

}  // namespace
}  // namespace tw
