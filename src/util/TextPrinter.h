#pragma once
// A line printer over a page device: text is drawn from the top left corner of the printable
// area, left to right; a piece too wide for the rest of the line is broken after the last
// character that fits and continues on the next line; a line is as high as its tallest piece
// plus 2 (an empty line as high as the character cell); a new page begins when the next
// position lies below the page height less twice the height of the line just ended. A tab
// moves to the next stop (every 8 average character widths), a form feed begins a new page,
// CR is ignored and LF ends the line.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

/// An error of the printer; what() is the user-facing text.
class PrintError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The page device the printer draws on: a printer's device context, or a recording surface
/// in tests. Units are the device's. Raises PrintError when the device fails.
class PrintSurface {
 public:
  virtual ~PrintSurface() = default;
  virtual void BeginDocument() = 0;
  virtual void BeginPage() = 0;
  virtual void EndPage() = 0;
  virtual void EndDocument() = 0;
  /// Ends the job without printing what was laid out (after an error).
  virtual void AbortDocument() = 0;
  virtual int PageWidth() = 0;
  virtual int PageHeight() = 0;
  /// Width and height of a piece of text (UTF-8) in the device's font.
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  /// Where each character of a piece of text ends: element k is the width of the text's
  /// first k + 1 characters (code points as NextCodePoint reads them), all in one measure.
  virtual std::vector<int> CharacterExtents(std::string_view text) = 0;
  /// Height of the font's character cell, and its average character width.
  virtual int CellHeight() = 0;
  virtual int AverageCharWidth() = 0;
  virtual void DrawString(int x, int y, const std::string& text) = 0;
};

class TextPrinter {
 public:
  /// Starts the document and its first page.
  explicit TextPrinter(PrintSurface& surface);
  /// Ends the print job if Close was not called (an error passing through aborts it).
  ~TextPrinter();
  TextPrinter(const TextPrinter&) = delete;
  TextPrinter& operator=(const TextPrinter&) = delete;

  /// Writes text, which may hold tabs, form feeds, CR and LF.
  void Write(const std::string& text);
  /// Writes a line and its end.
  void WriteLine(const std::string& line) { Write(line + "\n"); }
  /// Ends the last page and the document.
  void Close();

 private:
  PrintSurface& surface_;
  int x_ = 0;
  int y_ = 0;
  /// Height of the tallest piece drawn on the current line, if any was drawn.
  int tallest_ = 0;
  bool drawnOnLine_ = false;
  bool open_ = false;
  /// Exceptions in flight when the job began: more at destruction means an error passes.
  int uncaught_ = 0;
  void WritePiece(std::string_view piece);
  void Draw(const std::string& piece);
  void EndLine();
  void NewPage();
};

}  // namespace tw
