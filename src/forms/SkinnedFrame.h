#pragma once
// The frame every dialog shares: a borderless window with a coloured title band and a white
// title, a content panel (Panel1) whose edge lines draw the frame's sides and bottom, a close
// box (Panel2 with imgClose) in the top right corner, dragging by the band, and Esc and Enter
// acting on the dialog's buttons before its controls see them.

#include <windows.h>

#include <string>

#include "forms/Controls.h"
#include "forms/ModalForm.h"
#include "forms/Pictures.h"

namespace tw {

struct FrameLook {
  std::wstring title;
  int clientWidth = 400;
  int clientHeight = 300;
  int bandHeight = 32;
  int closeBoxWidth = 42;
  int closeBoxInset = 1;  ///< pixels between the close box and the window's right edge
};

class SkinnedFrame : public ModalForm {
 public:
  explicit SkinnedFrame(Services& services, FrameLook look);

  void CreateForm(HWND owner) override;
  bool PreTranslate(MSG& msg) override;

  /// The content panel, parent of the dialog's controls (positions relative to it).
  HWND ContentPanel() const { return panel1_.Handle(); }
  HWND CloseBox() const { return panel2_.Handle(); }
  HWND CloseImage() const { return imgClose_; }
  HWND Caption() const { return txtCaption_; }

  /// The frame's own hit test: the window's surface (the band) drags the dialog.
  LRESULT WMNCHitTest(LPARAM lParam);
  /// The close image: closes the dialog with the modal result Cancel.
  virtual void imgCloseClick() { Close(); }
  /// Esc and Enter, seen before the focused control: true when consumed. Key preview hands
  /// over fresh presses only; the auto-repeats of a held key are swallowed.
  virtual bool FormKeyPress(WPARAM key);

  Services& services() { return services_; }

  static constexpr int kCloseImageId = 9001;

 protected:
  /// Builds the dialog's controls on the content panel.
  virtual void BuildContent() = 0;
  /// A button or control notification from the dialog's controls.
  virtual void OnCommand(int id, int code) = 0;
  /// The button Esc clicks (every dialog has one) and the one Enter clicks (0: none).
  virtual int EscapeButton() const = 0;
  virtual int EnterButton() const { return 0; }
  /// Owner-drawn items of the dialog other than image buttons.
  virtual bool DrawItem(const DRAWITEMSTRUCT& item) {
    (void)item;
    return false;
  }
  /// Draws a page picture on an owner-drawn control of the dialog. An owner-drawn static has
  /// no background of its own (it starts black): the picture stands on its panel's.
  void DrawPicture(const DRAWITEMSTRUCT& item, pictures::PagePicture picture) const;
  /// WM_NOTIFY from the dialog's controls.
  virtual LRESULT OnNotify(NMHDR* header) {
    (void)header;
    return 0;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ReportError(const std::string& text) override;

  Services& services_;
  FrameLook look_;
  FontSet fonts_;
  ControlColors colors_;
  Panel panel1_, panel2_;
  HWND txtCaption_ = nullptr;
  HWND imgClose_ = nullptr;
};

}  // namespace tw
