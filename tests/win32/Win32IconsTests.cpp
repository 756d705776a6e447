// Icons from real files (the system's shell32.dll) and the per-row image lists.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/Win32Icons.h"
#include "win32/WinText.h"

namespace tw {
namespace {

std::string SystemFile(const char* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return Narrow(std::wstring_view(folder, length)) + "\\" + name;
}

// The colour pixels of an icon as 32-bit top-down rows, with its size.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  bool operator==(const IconImage&) const = default;
};

IconImage ImageOf(HICON icon) {
  IconImage image;
  ICONINFO info{};
  if (icon == nullptr || !::GetIconInfo(icon, &info)) return image;
  UniqueHBitmap color(info.hbmColor);
  UniqueHBitmap mask(info.hbmMask);
  BITMAP bitmap{};
  ::GetObjectW(color ? color.get() : mask.get(), sizeof bitmap, &bitmap);
  image.width = bitmap.bmWidth;
  image.height = color ? bitmap.bmHeight : bitmap.bmHeight / 2;
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = image.width;
  header.bmiHeader.biHeight = -image.height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4);
  const HDC screen = ::GetDC(nullptr);
  ::GetDIBits(screen, color ? color.get() : mask.get(), 0, static_cast<UINT>(image.height), image.pixels.data(),
              &header, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return image;
}

IconImage ListImage(HIMAGELIST list, int index) {
  UniqueHIcon icon(::ImageList_GetIcon(list, index, ILD_NORMAL));
  return ImageOf(icon.get());
}

// What the raw API gives for one index, as the reference.
IconImage RawImage(const std::string& file, int index, bool large) {
  HICON big = nullptr, small = nullptr;
  const UINT count = ::ExtractIconExW(Widen(file).c_str(), index, &big, &small, 1);
  if (count == 0 || count > 2) return {};
  UniqueHIcon ownedBig(big), ownedSmall(small);
  return ImageOf(large ? big : small);
}

// An integer resource id of an icon group in a file, other than 1 (Wine takes index -1 as
// the question for the number of icons even when it is given handles to fill).
int FirstIconResourceId(const std::string& file) {
  HMODULE module = ::LoadLibraryExW(Widen(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return 0;
  int id = 0;
  ::EnumResourceNamesW(
      module, RT_GROUP_ICON,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
        if (!IS_INTRESOURCE(name) || reinterpret_cast<ULONG_PTR>(name) == 1) return TRUE;
        *reinterpret_cast<int*>(param) = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&id));
  ::FreeLibrary(module);
  return id;
}

// An icon of a file as a 32 x 32 image list of its own holds it.
IconImage ListedImage(const std::string& file, int index) {
  HICON big = nullptr, small = nullptr;
  const UINT count = ::ExtractIconExW(Widen(file).c_str(), index, &big, &small, 1);
  if (count == 0 || count > 2) return {};
  UniqueHIcon ownedBig(big), ownedSmall(small);
  UniqueHImageList list(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 1));
  ::ImageList_ReplaceIcon(list.get(), -1, big);
  return ListImage(list.get(), 0);
}

class Win32IconsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell32_ = SystemFile("shell32.dll");
    const UINT count = ::ExtractIconExW(Widen(shell32_).c_str(), -1, nullptr, nullptr, 0);
    ASSERT_GE(count, 3u) << shell32_ << " holds too few icons for these cases";
    icon0_ = RawImage(shell32_, 0, true);
    icon2_ = RawImage(shell32_, 2, true);
    listed0_ = ListedImage(shell32_, 0);
    listed2_ = ListedImage(shell32_, 2);
    ASSERT_FALSE(icon0_.pixels.empty());
    ASSERT_NE(icon0_, icon2_) << "icons 0 and 2 must differ for the index cases to mean anything";
  }
  std::string shell32_;
  IconImage icon0_;
  IconImage icon2_;
  IconImage listed0_;  // the same icons as a 32 x 32 image list holds them
  IconImage listed2_;
};

TEST_F(Win32IconsTest, ExtractIconFromSpec) {
  wchar_t temp[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::string textFile = Narrow(temp) + "tidewell-icon-" + std::to_string(::GetCurrentProcessId()) + ".txt";
  {
    UniqueFile file(::CreateFileW(Widen(textFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), "not an icon", 11, &written, nullptr);
  }
  const int resourceId = FirstIconResourceId(shell32_);

  struct Case {
    std::string spec;
    const IconImage* expected;  // nullptr: no icon
  };
  const Case cases[] = {
      {shell32_, &icon0_},
      {shell32_ + ",0", &icon0_},
      {shell32_ + ",2", &icon2_},
      {shell32_ + ",abc", &icon0_},
      {shell32_ + ",", &icon0_},
      {shell32_ + ", 2", &icon0_},   // not a whole number: index 0
      {"\"" + shell32_ + "\"", nullptr},  // quotes are not removed
      {"\"" + shell32_ + "\",2", nullptr},
      {shell32_ + ",99999", nullptr},
      {shell32_ + ",-99999", nullptr},
      {"C:\\no such folder\\app.exe", nullptr},
      {"C:\\no such folder\\app.exe,1", nullptr},
      {"%SystemRoot%\\system32\\shell32.dll", nullptr},
      {SystemFile(""), nullptr},  // a folder
      {textFile, nullptr},
      {"", nullptr},
      {",2", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.spec);
    const UniqueHIcon large = ExtractIconFromSpec(c.spec, true);
    const UniqueHIcon small = ExtractIconFromSpec(c.spec, false);
    if (!c.expected) {
      EXPECT_FALSE(large);
      EXPECT_FALSE(small);
      continue;
    }
    ASSERT_TRUE(large);
    ASSERT_TRUE(small);
    EXPECT_EQ(ImageOf(large.get()), *c.expected);
    const IconImage smallImage = ImageOf(small.get());
    EXPECT_EQ(smallImage.width, ::GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(ImageOf(large.get()).width, ::GetSystemMetrics(SM_CXICON));
  }

  // A negative index names an icon by its resource id.
  if (resourceId != 0) {
    const UniqueHIcon byId = ExtractIconFromSpec(shell32_ + ",-" + std::to_string(resourceId), true);
    ASSERT_TRUE(byId);
    EXPECT_EQ(ImageOf(byId.get()), RawImage(shell32_, -resourceId, true));
  }
  ::DeleteFileW(Widen(textFile).c_str());
}

TEST_F(Win32IconsTest, ImageListGivesEveryRowOneIconInEachList) {
  const HICON defaultLarge = ::LoadIconW(nullptr, IDI_APPLICATION);
  const HICON defaultSmall = ::LoadIconW(nullptr, IDI_APPLICATION);
  ASSERT_NE(defaultLarge, nullptr);
  ImageListIconSource source(defaultLarge, defaultSmall);
  ASSERT_NE(source.LargeList(), nullptr);
  ASSERT_NE(source.SmallList(), nullptr);
  int cx = 0, cy = 0;
  ASSERT_TRUE(::ImageList_GetIconSize(source.LargeList(), &cx, &cy));
  EXPECT_EQ(cx, 32);
  ASSERT_TRUE(::ImageList_GetIconSize(source.SmallList(), &cx, &cy));
  EXPECT_EQ(cx, 16);

  // The default icon as the list holds it (the list may scale it to its cell).
  const int defaultSlot = source.AddRowIcons(IconPlan{});
  ASSERT_EQ(defaultSlot, 0);
  const IconImage defaultImage = ListImage(source.LargeList(), defaultSlot);
  EXPECT_EQ(source.ExtractCalls(), 0);

  const std::string missing = "C:\\no such folder\\gone.exe";
  std::string upper = shell32_;
  for (char& ch : upper) ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));

  struct Row {
    const char* label;
    IconPlan plan;
    const IconImage* expected;  // nullptr: the default icon
    int extractCallsAfter;
  };
  const Row rows[] = {
      {"first location", {{{shell32_, 0}}}, &listed0_, 1},
      {"falls through a missing file", {{{missing, 0}, {shell32_, 2}}}, &listed2_, 3},
      {"same file in other case: reused", {{{upper, 0}}}, &listed0_, 3},
      {"failed location reused too", {{{missing, 0}}}, nullptr, 3},
      {"quoted path: default", {{{"\"" + shell32_ + "\"", 0}}}, nullptr, 4},
      {"second location also known", {{{missing, 0}, {upper, 2}}}, &listed2_, 4},
      {"no locations", {}, nullptr, 4},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    const int before = source.RowCount();
    const int index = source.AddRowIcons(row.plan);
    EXPECT_EQ(index, before);
    EXPECT_EQ(::ImageList_GetImageCount(source.LargeList()), before + 1);
    EXPECT_EQ(::ImageList_GetImageCount(source.SmallList()), before + 1);
    EXPECT_EQ(source.ExtractCalls(), row.extractCallsAfter);
    EXPECT_EQ(ListImage(source.LargeList(), index), row.expected ? *row.expected : defaultImage);
    EXPECT_EQ(ListImage(source.SmallList(), index).width, 16);
  }
  // Rows that name the same icon hold the same image.
  EXPECT_EQ(ListImage(source.LargeList(), 1), ListImage(source.LargeList(), 3));
  EXPECT_EQ(ListImage(source.LargeList(), 2), ListImage(source.LargeList(), 6));
  EXPECT_EQ(ListImage(source.SmallList(), 1), ListImage(source.SmallList(), 3));
  EXPECT_NE(ListImage(source.LargeList(), 1), ListImage(source.LargeList(), 2));

  // Resolving an extracted row again changes nothing; other indexes are no rows.
  EXPECT_EQ(source.ResolveRow(1), 1);
  EXPECT_EQ(source.ExtractCalls(), 4);
  EXPECT_EQ(source.ResolveRow(-1), -1);
  EXPECT_EQ(source.ResolveRow(source.RowCount()), -1);

  // A new scan starts empty and extracts afresh.
  source.Reset();
  EXPECT_EQ(::ImageList_GetImageCount(source.LargeList()), 0);
  EXPECT_EQ(::ImageList_GetImageCount(source.SmallList()), 0);
  EXPECT_EQ(source.AddRowIcons(IconPlan{{{shell32_, 0}}}), 0);
  EXPECT_EQ(source.ExtractCalls(), 5);
}

TEST_F(Win32IconsTest, NewListsAtAnotherSizeGetTheSameIconsWithoutExtractingAgain) {
  const HICON app = ::LoadIconW(nullptr, IDI_APPLICATION);
  ImageListIconSource source(UniqueHImageList(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 4)),
                             UniqueHImageList(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4)), app, app,
                             ImageListIconSource::Mode::Deferred);
  source.AddRowIcons(IconPlan{{{"C:\\none.exe", 0}, {shell32_, 2}}});
  source.AddRowIcons(IconPlan{{{"C:\\none.exe", 0}}});
  source.AddRowIcons(IconPlan{{{shell32_, 0}}});  // never drawn before the change
  source.Commit();
  source.ResolveRow(0);
  source.ResolveRow(1);
  EXPECT_EQ(source.ExtractCalls(), 2);

  auto old = source.ReplaceLists(UniqueHImageList(::ImageList_Create(48, 48, ILC_COLOR32 | ILC_MASK, 0, 4)),
                                 UniqueHImageList(::ImageList_Create(24, 24, ILC_COLOR32 | ILC_MASK, 0, 4)), app, app);
  EXPECT_TRUE(old.first && old.second);
  EXPECT_EQ(source.ResolvedRows(), 0);
  EXPECT_EQ(::ImageList_GetImageCount(source.LargeList()), 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(source.ResolveRow(row), row);
  EXPECT_EQ(source.ExtractCalls(), 3);  // only the row that had never been drawn
  EXPECT_EQ(ListImage(source.LargeList(), 0).width, 48);
  EXPECT_EQ(ListImage(source.SmallList(), 0).width, 24);
  // The row keeps the icon it showed, not the default; the default row stays the default.
  EXPECT_NE(ListImage(source.LargeList(), 0), ListImage(source.LargeList(), 1));
  EXPECT_NE(ListImage(source.LargeList(), 0), ListImage(source.LargeList(), 2));
}

TEST_F(Win32IconsTest, ImageListsGivenByTheCallerStayInStep) {
  // Lists that arrive with different lengths are cut to the shorter, so indexes agree.
  UniqueHImageList large(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 4));
  UniqueHImageList small(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4));
  const HICON app = ::LoadIconW(nullptr, IDI_APPLICATION);
  ::ImageList_ReplaceIcon(large.get(), -1, app);
  ::ImageList_ReplaceIcon(large.get(), -1, app);
  ::ImageList_ReplaceIcon(small.get(), -1, app);
  ImageListIconSource source(std::move(large), std::move(small), nullptr, nullptr);
  EXPECT_EQ(source.RowCount(), 1);
  // Without default icons a row whose plan gives nothing still takes its (blank) slot.
  EXPECT_EQ(source.AddRowIcons(IconPlan{{{"C:\\none.exe", 0}}}), 1);
  EXPECT_EQ(::ImageList_GetImageCount(source.LargeList()), 2);
  EXPECT_EQ(::ImageList_GetImageCount(source.SmallList()), 2);
}

}  // namespace
}  // namespace tw
