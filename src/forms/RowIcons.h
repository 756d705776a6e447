#pragma once
// The rows' icons for the program list, extracted when a row is first drawn. The scan hands
// in each row's icon plan; the list asks for a row's icon when it draws the row, and only then
// is the plan's first location that has an icon extracted (large and small in one call, a
// location already extracted in this scan taken from the cache), or the default icon used.

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <vector>

#include "catalogue/UninstallInfoReader.h"
#include "win32/UniqueHandle.h"
#include "win32/Win32Icons.h"

namespace tw {

class RowIcons : public IconSource {
 public:
  /// Lists of `largeSize` and `smallSize` pixels; the default icons stay the caller's.
  RowIcons(int largeSize, int smallSize, HICON defaultLarge, HICON defaultSmall);

  /// Empties both lists and forgets the rows and the extracted icons.
  void Reset();
  /// Records the row's plan and returns its slot (the same in both lists).
  int AddRowIcons(const IconPlan& plan) override;
  /// Makes room in both lists for every row recorded (after the scan).
  void Commit();
  /// Fills a row's slot if not yet done; returns the slot, or -1 for no such row.
  int Resolve(int slot);

  HIMAGELIST LargeList() const { return large_.get(); }
  HIMAGELIST SmallList() const { return small_.get(); }
  int Rows() const { return static_cast<int>(plans_.size()); }
  int ResolvedRows() const { return resolvedCount_; }
  int ExtractCalls() const { return extractCalls_; }

 private:
  struct LocationLess {
    bool operator()(const IconLocation& a, const IconLocation& b) const;
  };

  UniqueHImageList large_, small_;
  HICON defaultLarge_, defaultSmall_;
  std::vector<IconPlan> plans_;
  std::vector<bool> resolved_;
  std::map<IconLocation, IconPair, LocationLess> extracted_;
  int resolvedCount_ = 0;
  int extractCalls_ = 0;
};

}  // namespace tw
