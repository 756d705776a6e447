#include "support/RecordingSurface.h"

#include <map>
#include <utility>

namespace tw::test {

int RecordingSurface::TextWidth(const std::string& text) {
  int chars = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++chars;
  }
  return chars * charWidth;
}

void RecordingSurface::DrawString(int x, int y, const std::string& text) {
  if (failAfterPieces >= 0 && static_cast<int>(pieces.size()) >= failAfterPieces) {
    throw PrintError("The printer is out of paper.");
  }
  pieces.push_back({pages, x, y, text});
}

std::vector<std::string> RecordingSurface::Lines() const {
  std::map<std::pair<int, int>, std::string> lines;
  for (const auto& piece : pieces) lines[{piece.page, piece.y}] += piece.text;
  std::vector<std::string> out;
  for (const auto& [where, text] : lines) out.push_back(text);
  return out;
}

}  // namespace tw::test
