#pragma once
// A page device that records what is drawn: every character is `charWidth` wide and
// `textHeight` high, so layouts can be checked exactly without a printer.

#include <string>
#include <vector>

#include "util/TextPrinter.h"

namespace tw::test {

class RecordingSurface : public PrintSurface {
 public:
  struct Piece {
    int page;
    int x;
    int y;
    std::string text;
  };

  int pageWidth = 800;
  int pageHeight = 600;
  int charWidth = 10;
  int textHeight = 20;
  int cellHeight = 18;
  /// Makes DrawString raise PrintError once this many pieces were drawn (-1: never).
  int failAfterPieces = -1;

  std::vector<Piece> pieces;
  /// Bytes of text measured so far, by either measure.
  std::size_t measuredBytes = 0;
  int pages = 0;
  bool begun = false;
  bool ended = false;
  bool aborted = false;
  int openPages = 0;

  void BeginDocument() override { begun = true; }
  void BeginPage() override {
    ++pages;
    ++openPages;
  }
  void EndPage() override { --openPages; }
  void EndDocument() override { ended = true; }
  void AbortDocument() override { aborted = true; }
  int PageWidth() override { return pageWidth; }
  int PageHeight() override { return pageHeight; }
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string&) override { return textHeight; }
  std::vector<int> CharacterExtents(std::string_view text) override;
  int CellHeight() override { return cellHeight; }
  int AverageCharWidth() override { return charWidth; }
  void DrawString(int x, int y, const std::string& text) override;

  /// The texts drawn, one string per printed line (pieces at the same page and y joined).
  std::vector<std::string> Lines() const;
};

}  // namespace tw::test
