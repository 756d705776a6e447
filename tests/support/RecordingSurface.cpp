#include "support/RecordingSurface.h"

#include <map>
#include <utility>

#include "util/Text.h"

namespace tw::test {

int RecordingSurface::TextWidth(const std::string& text) {
  measuredBytes += text.size();
  int chars = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++chars;
  }
  return chars * charWidth;
}

std::vector<int> RecordingSurface::CharacterExtents(std::string_view text) {
  measuredBytes += text.size();
  std::vector<int> extents;
  for (std::size_t i = 0; i < text.size();) {
    NextCodePoint(text, i);
    extents.push_back(static_cast<int>(extents.size() + 1) * charWidth);
  }
  return extents;
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
