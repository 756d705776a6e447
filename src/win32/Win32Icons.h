#pragma once
// Icons from files (ExtractIconExW) and the per-row icon lists of the program list.

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/UninstallInfoReader.h"
#include "win32/UniqueHandle.h"

namespace tw {

/// The large (32 x 32) and small (16 x 16) icon of one location; empty when it has none.
struct IconPair {
  UniqueHIcon large;
  UniqueHIcon small;
  explicit operator bool() const { return large || small; }
};

/// Both sizes of the icon at a location in one ExtractIconExW call. A missing file, a
/// quoted or unexpanded path, an index out of range or a file without icons give none.
IconPair ExtractIconPair(const IconLocation& location);

/// The icon of an icon location text ("file" or "file,index"; the file as it stands, quotes
/// included) in the requested size; empty when there is none.
UniqueHIcon ExtractIconFromSpec(const std::string& spec, bool large);

/// Supplies the rows' icons into a large and a small image list: for each row exactly one
/// icon in each list, at the same index, from the first location of the row's plan that has
/// one, else the default icons. A location met before in the same scan (file without regard
/// to case, and index) is taken from what was extracted then, not extracted again.
///
/// Immediate sources extract as rows are added. Deferred sources only record each row's plan;
/// after the scan Commit() makes room for every row at once, and a row's icons are extracted
/// by ResolveRow when the list first draws it.
class ImageListIconSource : public IconSource {
 public:
  enum class Mode { Immediate, Deferred };

  /// Makes two empty lists of its own. The default icons stay the caller's; they must live
  /// as long as rows are added (shared icons from LoadIcon do).
  ImageListIconSource(HICON defaultLarge, HICON defaultSmall);
  /// Takes two lists made by the caller (ILC_COLOR32 | ILC_MASK, 32 x 32 and 16 x 16).
  ImageListIconSource(UniqueHImageList large, UniqueHImageList small, HICON defaultLarge,
                      HICON defaultSmall, Mode mode = Mode::Immediate);
  ImageListIconSource(const ImageListIconSource&) = delete;
  ImageListIconSource& operator=(const ImageListIconSource&) = delete;

  /// The row's slot in both lists: filled at once (immediate) or recorded (deferred).
  int AddRowIcons(const IconPlan& plan) override;

  /// Deferred: makes room in both lists for every row added, in one step.
  void Commit();

  /// Fills the slot of a row whose icons are not extracted yet; a filled row is left as it
  /// is. Returns the index, or -1 for an index that is no row.
  int ResolveRow(int index);

  /// Empties both lists and forgets every extracted icon, for a new scan.
  void Reset();
  /// Takes new lists and default icons (the window's DPI changed) and returns the old lists,
  /// which the caller destroys once no control uses them. Every row keeps its plan and gets
  /// its icons again when it is next drawn, from the icons already extracted.
  std::pair<UniqueHImageList, UniqueHImageList> ReplaceLists(UniqueHImageList large, UniqueHImageList small,
                                                            HICON defaultLarge, HICON defaultSmall);

  /// The lists, for a list view (which must not destroy them: LVS_SHAREIMAGELISTS).
  HIMAGELIST LargeList() const { return large_.get(); }
  HIMAGELIST SmallList() const { return small_.get(); }

  int RowCount() const { return static_cast<int>(rows_.size()); }
  /// How many rows have their icons.
  int ResolvedRows() const { return resolvedRows_; }
  /// Whether the row at an index has its icons.
  bool IsResolved(int index) const {
    return index >= 0 && index < static_cast<int>(rows_.size()) && rows_[static_cast<std::size_t>(index)].resolved;
  }
  /// How many times ExtractIconExW was called since the source was made.
  int ExtractCalls() const { return extractCalls_; }

 private:
  struct Row {
    IconPlan plan;
    bool resolved = false;
  };
  struct FileIndexLess {
    bool operator()(const IconLocation& a, const IconLocation& b) const;
  };

  const IconPair& Extracted(const IconLocation& location);

  UniqueHImageList large_;
  UniqueHImageList small_;
  HICON defaultLarge_;
  HICON defaultSmall_;
  Mode mode_ = Mode::Immediate;
  int resolvedRows_ = 0;
  std::vector<Row> rows_;
  std::map<IconLocation, IconPair, FileIndexLess> extracted_;
  int extractCalls_ = 0;
};

}  // namespace tw
