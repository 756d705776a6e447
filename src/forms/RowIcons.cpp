#include "forms/RowIcons.h"

#include "util/Text.h"

namespace tw {

bool RowIcons::LocationLess::operator()(const IconLocation& a, const IconLocation& b) const {
  if (a.index != b.index) return a.index < b.index;
  return AsciiUpper(a.file) < AsciiUpper(b.file);
}

RowIcons::RowIcons(int largeSize, int smallSize, HICON defaultLarge, HICON defaultSmall)
    : large_(::ImageList_Create(largeSize, largeSize, ILC_COLOR32 | ILC_MASK, 64, 64)),
      small_(::ImageList_Create(smallSize, smallSize, ILC_COLOR32 | ILC_MASK, 64, 64)),
      defaultLarge_(defaultLarge),
      defaultSmall_(defaultSmall) {}

void RowIcons::Reset() {
  ::ImageList_RemoveAll(large_.get());
  ::ImageList_RemoveAll(small_.get());
  plans_.clear();
  resolved_.clear();
  extracted_.clear();
  resolvedCount_ = 0;
}

int RowIcons::AddRowIcons(const IconPlan& plan) {
  plans_.push_back(plan);
  resolved_.push_back(false);
  return static_cast<int>(plans_.size()) - 1;
}

void RowIcons::Commit() {
  // One resize for all rows: growing the lists row by row would copy them every time.
  ::ImageList_SetImageCount(large_.get(), static_cast<UINT>(plans_.size()));
  ::ImageList_SetImageCount(small_.get(), static_cast<UINT>(plans_.size()));
}

int RowIcons::Resolve(int slot) {
  if (slot < 0 || slot >= static_cast<int>(plans_.size())) return -1;
  const auto index = static_cast<std::size_t>(slot);
  if (resolved_[index]) return slot;
  HICON large = defaultLarge_;
  HICON small = defaultSmall_;
  for (const IconLocation& location : plans_[index].locations) {
    auto found = extracted_.find(location);
    if (found == extracted_.end()) {
      ++extractCalls_;
      found = extracted_.emplace(location, ExtractIconPair(location)).first;
    }
    if (found->second.large && found->second.small) {
      large = found->second.large.get();
      small = found->second.small.get();
      break;
    }
  }
  if (large != nullptr) ::ImageList_ReplaceIcon(large_.get(), slot, large);
  if (small != nullptr) ::ImageList_ReplaceIcon(small_.get(), slot, small);
  resolved_[index] = true;
  plans_[index] = IconPlan{};
  ++resolvedCount_;
  return slot;
}

}  // namespace tw
