#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingSurface.h"
#include "util/TextPrinter.h"

namespace tw::test {

inline bool operator==(const RecordingSurface::Piece& a, const RecordingSurface::Piece& b) {
  return a.page == b.page && a.x == b.x && a.y == b.y && a.text == b.text;
}

inline void PrintTo(const RecordingSurface::Piece& p, std::ostream* os) {
  *os << "{page " << p.page << ", " << p.x << "," << p.y << ", \"" << p.text << "\"}";
}

}  // namespace tw::test

namespace tw {
namespace {

using test::RecordingSurface;
using Piece = RecordingSurface::Piece;

// Page 100 wide and 600 high; characters 10 wide and 20 high, so a line is 22 high and an
// empty line 18 (the character cell).
RecordingSurface NarrowPage() {
  RecordingSurface surface;
  surface.pageWidth = 100;
  surface.pageHeight = 600;
  return surface;
}

std::vector<Piece> Print(RecordingSurface& surface, const std::string& text) {
  TextPrinter printer(surface);
  printer.Write(text);
  printer.Close();
  return surface.pieces;
}

struct LayoutCase {
  const char* name;
  std::string text;
  std::vector<Piece> expected;
  int pageWidth = 100;
};

TEST(TextPrinter, LaysOutTextAsALinePrinter) {
  const LayoutCase cases[] = {
      {"lines go down by the text height plus 2", "one\ntwo\n", {{1, 0, 0, "one"}, {1, 0, 22, "two"}}},
      {"an empty line is as high as the character cell", "a\n\nb\n", {{1, 0, 0, "a"}, {1, 0, 40, "b"}}},
      {"a line wider than the page goes on below",
       "abcdefghijklmnopqrstuvwxy\n",
       {{1, 0, 0, "abcdefghij"}, {1, 0, 22, "klmnopqrst"}, {1, 0, 44, "uvwxy"}}},
      {"exactly the page width fits", "abcdefghij\nk", {{1, 0, 0, "abcdefghij"}, {1, 0, 22, "k"}}},
      {"tabs stop every 8 average widths", "a\tb\n123456789\tc\n\t\tx\n",
       {{1, 0, 0, "a"}, {1, 80, 0, "b"}, {1, 0, 22, "123456789"}, {1, 160, 22, "c"}, {1, 160, 44, "x"}},
       300},
      {"text after a tab is broken at the page edge", "\tabcd\n",
       {{1, 80, 0, "ab"}, {1, 0, 22, "cd"}}},
      {"a tab stop beyond the page edge starts the next line", "123456789\tx",
       {{1, 0, 0, "123456789"}, {1, 0, 22, "x"}}},
      {"a form feed begins a new page at its top", "a\fb\n", {{1, 0, 0, "a"}, {2, 0, 0, "b"}}},
      {"CR is ignored", "ab\rcd\r\nef\r\n", {{1, 0, 0, "ab"}, {1, 20, 0, "cd"}, {1, 0, 22, "ef"}}},
      {"characters are never split", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
       {{1, 0, 0, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
        {1, 0, 22, "\xC3\xA9"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSurface surface = NarrowPage();
    surface.pageWidth = c.pageWidth;
    EXPECT_EQ(Print(surface, c.text), c.expected);
  }
}

TEST(TextPrinter, BreaksThePageBelowThePageHeightLessTwoLines) {
  // Lines of 22 on a page of 600: after line n the position is 22n, and a new page begins
  // once it lies below 600 - 44 = 556, that is after the 26th line (572).
  RecordingSurface surface = NarrowPage();
  TextPrinter printer(surface);
  for (int i = 0; i < 30; ++i) printer.WriteLine("x");
  printer.Close();
  ASSERT_EQ(surface.pieces.size(), 30u);
  EXPECT_EQ(surface.pieces[25].page, 1);
  EXPECT_EQ(surface.pieces[25].y, 550);
  EXPECT_EQ(surface.pieces[26].page, 2);
  EXPECT_EQ(surface.pieces[26].y, 0);
  EXPECT_EQ(surface.pages, 2);
  EXPECT_EQ(surface.openPages, 0);

  // Empty lines (18 high) break by their own height: after n of them the position is 18n,
  // and a new page begins below 600 - 36 = 564, after the 32nd (576).
  RecordingSurface blank = NarrowPage();
  TextPrinter blanks(blank);
  for (int i = 0; i < 32; ++i) blanks.WriteLine("");
  blanks.WriteLine("after");
  blanks.Close();
  EXPECT_EQ(blank.pieces, (std::vector<Piece>{{2, 0, 0, "after"}}));
}

TEST(TextPrinter, ALongLineIsMeasuredOnceAndBrokenAtEveryPageWidth) {
  // Measuring the rest of a line again for every printed line would make a long name or
  // command take minutes: each character is measured once, whatever the line's length.
  std::string line;
  for (int i = 0; i < 2000; ++i) line += static_cast<char>('a' + i % 26);
  RecordingSurface surface = NarrowPage();
  surface.pageHeight = 100000;
  Print(surface, line + "\n");
  ASSERT_EQ(surface.pieces.size(), 200u);
  EXPECT_EQ(surface.pieces.front(), (Piece{1, 0, 0, "abcdefghij"}));
  EXPECT_EQ(surface.pieces.back(), (Piece{1, 0, 199 * 22, "opqrstuvwx"}));
  EXPECT_LE(surface.measuredBytes, line.size());
}

// A surface on which texts beginning with "T" are 30 high.
class TallLetters : public RecordingSurface {
 public:
  int TextHeight(const std::string& text) override { return !text.empty() && text[0] == 'T' ? 30 : 20; }
};

TEST(TextPrinter, ALineIsAsHighAsItsTallestPiece) {
  TallLetters surface;
  TextPrinter printer(surface);
  printer.Write("ab\tTall\nnext\n");
  printer.Close();
  EXPECT_EQ(surface.pieces.back().y, 32);
}

TEST(TextPrinter, ACharacterWiderThanThePageIsPrintedAloneOnEachLine) {
  RecordingSurface surface;
  surface.pageWidth = 5;
  TextPrinter printer(surface);
  printer.Write("abc");
  printer.Close();
  EXPECT_EQ(surface.Lines(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TextPrinter, TheJobIsEndedOnEveryPath) {
  {
    RecordingSurface surface;
    { TextPrinter printer(surface); }
    EXPECT_TRUE(surface.begun);
    EXPECT_EQ(surface.pages, 1);
    EXPECT_TRUE(surface.ended);  // left without Close: ended all the same
    EXPECT_EQ(surface.openPages, 0);
    EXPECT_FALSE(surface.aborted);
  }
  {
    // An error while drawing travels to the caller and abandons the job.
    RecordingSurface surface;
    surface.failAfterPieces = 1;
    auto print = [&] {
      TextPrinter printer(surface);
      printer.WriteLine("one");
      printer.WriteLine("two");
      printer.Close();
    };
    EXPECT_THROW(print(), PrintError);
    EXPECT_TRUE(surface.aborted);
    EXPECT_FALSE(surface.ended);
  }
  {
    RecordingSurface surface;
    TextPrinter printer(surface);
    printer.Close();
    printer.Close();  // a second close does nothing
    EXPECT_THROW(printer.Write("late"), PrintError);
    EXPECT_TRUE(surface.ended);
    EXPECT_EQ(surface.pages, 1);
  }
}

}  // namespace
}  // namespace tw
