#include "util/TextPrinter.h"

#include <exception>
#include <vector>

#include "util/AppStrings.h"
#include "util/Text.h"

namespace tw {

namespace {

constexpr char kTab = '\t';
constexpr char kFormFeed = '\f';
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

bool IsControl(char c) { return c == kTab || c == kFormFeed || c == kCarriageReturn || c == kLineFeed; }

// Byte offsets at which a UTF-8 text may be cut without splitting a character, the text's
// end included, the start excluded: one per character, as the device measures them.
std::vector<std::size_t> CharacterEnds(std::string_view text) {
  std::vector<std::size_t> ends;
  ends.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    NextCodePoint(text, i);
    ends.push_back(i);
  }
  return ends;
}

}  // namespace

TextPrinter::TextPrinter(PrintSurface& surface) : surface_(surface) {
  surface_.BeginDocument();
  try {
    surface_.BeginPage();
  } catch (...) {
    surface_.AbortDocument();
    throw;
  }
  open_ = true;
  uncaught_ = std::uncaught_exceptions();
}

TextPrinter::~TextPrinter() {
  if (!open_) return;
  open_ = false;
  if (std::uncaught_exceptions() > uncaught_) {
    surface_.AbortDocument();
    return;
  }
  // Left without Close: the job is ended all the same; a device that fails now can only be
  // abandoned, since nothing may leave a destructor.
  try {
    surface_.EndPage();
    surface_.EndDocument();
  } catch (...) {
    surface_.AbortDocument();
  }
}

void TextPrinter::Close() {
  if (!open_) return;
  open_ = false;
  try {
    surface_.EndPage();
    surface_.EndDocument();
  } catch (...) {
    surface_.AbortDocument();
    throw;
  }
}

void TextPrinter::Write(const std::string& text) {
  if (!open_) throw PrintError(LoadStr(StrId::PrintJobClosed));
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == kCarriageReturn) {
      ++i;
    } else if (c == kLineFeed) {
      EndLine();
      ++i;
    } else if (c == kFormFeed) {
      NewPage();
      ++i;
    } else if (c == kTab) {
      const int stop = surface_.AverageCharWidth() * 8;
      if (stop > 0) x_ = (x_ / stop + 1) * stop;
      // A stop beyond the page's edge starts the next line, as text that does not fit does.
      if (x_ >= surface_.PageWidth()) EndLine();
      ++i;
    } else {
      std::size_t end = i;
      while (end < text.size() && !IsControl(text[end])) ++end;
      WritePiece(std::string_view(text).substr(i, end - i));
      i = end;
    }
  }
}

void TextPrinter::WritePiece(std::string_view piece) {
  // The piece is measured once: the width of any run of its characters is the difference of
  // two extents, so even a line of a million characters is laid out in one pass.
  const std::vector<std::size_t> ends = CharacterEnds(piece);
  const std::vector<int> extents = surface_.CharacterExtents(piece);
  if (extents.size() != ends.size()) throw PrintError(LoadStr(StrId::PrintCannotMeasure));
  std::size_t first = 0;  // the first character not yet drawn
  std::size_t from = 0;   // its byte offset
  int drawnWidth = 0;     // the width of the characters before it
  while (first < ends.size()) {
    const int room = surface_.PageWidth() - x_;
    // The longest run of whole characters that fits (widths grow with length).
    std::size_t fit = first;
    while (fit < ends.size() && extents[fit] - drawnWidth <= room) ++fit;
    if (fit == ends.size()) {
      Draw(std::string(piece.substr(from)));
      x_ += extents.back() - drawnWidth;
      return;
    }
    if (fit == first) {
      if (x_ > 0 || drawnOnLine_) {
        // Not even one character fits after what is already on the line: go on below.
        EndLine();
        continue;
      }
      // A character wider than the whole page is drawn alone, cut off, rather than never.
      fit = first + 1;
    }
    Draw(std::string(piece.substr(from, ends[fit - 1] - from)));
    drawnWidth = extents[fit - 1];
    from = ends[fit - 1];
    first = fit;
    EndLine();
  }
}

void TextPrinter::Draw(const std::string& piece) {
  surface_.DrawString(x_, y_, piece);
  const int height = surface_.TextHeight(piece);
  if (!drawnOnLine_ || height > tallest_) tallest_ = height;
  drawnOnLine_ = true;
}

void TextPrinter::EndLine() {
  const int height = drawnOnLine_ ? tallest_ + 2 : surface_.CellHeight();
  x_ = 0;
  y_ += height;
  drawnOnLine_ = false;
  tallest_ = 0;
  if (y_ > surface_.PageHeight() - 2 * height) NewPage();
}

void TextPrinter::NewPage() {
  surface_.EndPage();
  surface_.BeginPage();
  x_ = 0;
  y_ = 0;
  drawnOnLine_ = false;
  tallest_ = 0;
}

}  // namespace tw
