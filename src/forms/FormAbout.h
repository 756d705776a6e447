#pragma once
// The about box: the product's name, version and supported systems, and links to the
// licence and the maker's web site, both documents beside the executable.

#include <span>

#include "forms/SkinnedFrame.h"

namespace tw {

class TAboutBox : public SkinnedFrame {
 public:
  explicit TAboutBox(Services& services);

  void Label6Click();
  void Label8Click();
  void cmdOKClick() { Close(); }

  enum : int { IdLabel1 = 100, IdLabel2, IdLabel3, IdLabel4, IdLabel5, IdLabel6, IdLabel7, IdLabel8, IdOK, IdPicture };

  /// The controls' places at 96 DPI.
  static std::span<const ControlLayout> LayoutTable();

 protected:
  std::span<const ControlLayout> Layout() const override { return LayoutTable(); }
  void BuildContent() override;
  void OnCommand(int id, int code) override;
  int EscapeButton() const override { return IdOK; }
  bool DrawItem(const DRAWITEMSTRUCT& item) override;
};

}  // namespace tw
