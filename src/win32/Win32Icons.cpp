#include "win32/Win32Icons.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>

#include "win32/WinText.h"

namespace tw {

IconPair ExtractIconPair(const IconLocation& location) {
  IconPair pair;
  if (location.file.empty()) return pair;
  HICON large = nullptr;
  HICON small = nullptr;
  const UINT count = ::ExtractIconExW(Widen(location.file).c_str(), location.index, &large, &small, 1);
  // A failed call (UINT_MAX for a missing file, 0 for no such icon) may leave garbage in the
  // outputs: only the result tells, and the handles of a failure are never touched. One icon
  // in two sizes gives at most 2; Wine answers index -1 with the file's icon count instead,
  // without filling the outputs.
  if (count == 0 || count > 2) return pair;
  pair.large.reset(large);
  pair.small.reset(small);
  return pair;
}

UniqueHIcon ExtractIconFromSpec(const std::string& spec, bool large) {
  if (spec.empty()) return {};
  IconPair pair = ExtractIconPair(ParseIconSpec(spec));
  // The size not asked for is destroyed with the pair.
  return large ? std::move(pair.large) : std::move(pair.small);
}

bool ImageListIconSource::FileIndexLess::operator()(const IconLocation& a, const IconLocation& b) const {
  if (a.index != b.index) return a.index < b.index;
  const std::wstring wa = Widen(a.file);
  const std::wstring wb = Widen(b.file);
  return ::CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_LESS_THAN;
}

ImageListIconSource::ImageListIconSource(HICON defaultLarge, HICON defaultSmall)
    : ImageListIconSource(UniqueHImageList(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 0, 64)),
                          UniqueHImageList(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 64)),
                          defaultLarge, defaultSmall) {}

ImageListIconSource::ImageListIconSource(UniqueHImageList large, UniqueHImageList small, HICON defaultLarge,
                                         HICON defaultSmall, Mode mode)
    : large_(std::move(large)),
      small_(std::move(small)),
      defaultLarge_(defaultLarge),
      defaultSmall_(defaultSmall),
      mode_(mode) {
  // Rows index both lists alike: start them at the same length.
  const int count = std::min(::ImageList_GetImageCount(large_.get()), ::ImageList_GetImageCount(small_.get()));
  ::ImageList_SetImageCount(large_.get(), static_cast<UINT>(std::max(count, 0)));
  ::ImageList_SetImageCount(small_.get(), static_cast<UINT>(std::max(count, 0)));
  rows_.resize(static_cast<std::size_t>(std::max(count, 0)), Row{{}, true});
  resolvedRows_ = static_cast<int>(rows_.size());
}

int ImageListIconSource::AddRowIcons(const IconPlan& plan) {
  const int index = static_cast<int>(rows_.size());
  rows_.push_back(Row{plan, false});
  if (mode_ == Mode::Deferred) return index;
  // One slot more in both lists. Growing a list by setting its count copies the whole list,
  // so the slot is appended instead: the lists grow in large steps of their own.
  for (HIMAGELIST list : {large_.get(), small_.get()}) {
    if (::ImageList_ReplaceIcon(list, -1, list == large_.get() ? defaultLarge_ : defaultSmall_) < 0) {
      ::ImageList_SetImageCount(list, static_cast<UINT>(index + 1));
    }
  }
  return ResolveRow(index);
}

void ImageListIconSource::Commit() {
  const auto count = static_cast<UINT>(rows_.size());
  if (static_cast<UINT>(::ImageList_GetImageCount(large_.get())) != count) ::ImageList_SetImageCount(large_.get(), count);
  if (static_cast<UINT>(::ImageList_GetImageCount(small_.get())) != count) ::ImageList_SetImageCount(small_.get(), count);
}

int ImageListIconSource::ResolveRow(int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return -1;
  Row& row = rows_[static_cast<std::size_t>(index)];
  if (row.resolved) return index;
  HICON large = defaultLarge_;
  HICON small = defaultSmall_;
  const IconLocation* chosen = nullptr;
  for (const IconLocation& location : row.plan.locations) {
    const IconPair& pair = Extracted(location);
    if (pair.large && pair.small) {
      large = pair.large.get();
      small = pair.small.get();
      chosen = &location;
      break;
    }
  }
  // The lists keep their own copies of the images. An immediate row's slot already holds the
  // default icons.
  const bool slotHasDefaults = mode_ == Mode::Immediate;
  if (large != nullptr && !(slotHasDefaults && large == defaultLarge_)) ::ImageList_ReplaceIcon(large_.get(), index, large);
  if (small != nullptr && !(slotHasDefaults && small == defaultSmall_)) ::ImageList_ReplaceIcon(small_.get(), index, small);
  row.resolved = true;
  ++resolvedRows_;
  // Only the location that gave the icons is kept, for new lists at another size.
  IconPlan kept;
  if (chosen != nullptr) kept.locations.push_back(*chosen);
  row.plan = std::move(kept);
  return index;
}

const IconPair& ImageListIconSource::Extracted(const IconLocation& location) {
  auto found = extracted_.find(location);
  if (found != extracted_.end()) return found->second;
  IconPair pair;
  if (!location.file.empty()) {
    ++extractCalls_;
    pair = ExtractIconPair(location);
  }
  return extracted_.emplace(location, std::move(pair)).first->second;
}

std::pair<UniqueHImageList, UniqueHImageList> ImageListIconSource::ReplaceLists(
    UniqueHImageList large, UniqueHImageList small, HICON defaultLarge, HICON defaultSmall) {
  std::pair<UniqueHImageList, UniqueHImageList> old{std::move(large_), std::move(small_)};
  large_ = std::move(large);
  small_ = std::move(small);
  defaultLarge_ = defaultLarge;
  defaultSmall_ = defaultSmall;
  for (Row& row : rows_) row.resolved = false;
  resolvedRows_ = 0;
  if (mode_ == Mode::Deferred) {
    Commit();
  } else {
    // Immediate rows are filled at once, as when they were added.
    for (int index = 0; index < static_cast<int>(rows_.size()); ++index) {
      ::ImageList_AddIcon(large_.get(), defaultLarge_);
      ::ImageList_AddIcon(small_.get(), defaultSmall_);
      ResolveRow(index);
    }
  }
  return old;
}

void ImageListIconSource::Reset() {
  ::ImageList_RemoveAll(large_.get());
  ::ImageList_RemoveAll(small_.get());
  rows_.clear();
  extracted_.clear();
  resolvedRows_ = 0;
}

}  // namespace tw
