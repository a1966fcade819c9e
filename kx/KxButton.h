#pragma once
// The push button with its rounded outline and its tip, and the tip window itself.

#include "kx/KxControl.h"
#include "kx/KxPicture.h"
#include "kx/KxTrack.h"

// A small yellow window with one line of text, shown below a hovered button. It has no
// window until its button's SetTip creates one.
class KxTip : public KxControl {
public:
  KxTip() : KxControl(nullptr) {}

  void OnDraw(KxCanvas& canvas) override;
  // Sets the text; with autoSize the window becomes text width + 8 by text height + 4.
  void SetText(const KxString& text);
  // Shown at screen point (x, y) without taking the activation.
  void ShowAt(int left, int top);

  bool autoSize = true;
  UINT format = DT_VCENTER | DT_SINGLELINE;
  COLORREF textColor = kxBlackColor;
};

class KxButton : public KxTrack<KxControl> {
public:
  KxButton(KxControl* parent, const KxString& caption, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonUp(WPARAM keys, POINT pt) override;
  void OnLButtonDblClk(WPARAM keys, POINT pt) override;
  void OnMouseEnter(KxEvtParam& param) override;
  void OnMouseHover(KxEvtParam& param) override;
  void OnMouseLeave(KxEvtParam& param) override;
  // The tip is no child window of the button: it takes the button's DPI from here.
  void OnDpiChanged(int oldDpi) override;

  // Creates the tip window on first use, then gives it the text.
  void SetTip(const KxString& text);

  KxTip tip;
  KxPicture picture;

protected:
  // A control derived from the button that must set fields before its window exists.
  explicit KxButton(KxControl* parent);
  // The outline of the button faces: hot while pressed or hovered.
  COLORREF OutlineColor() const;
};
