#pragma once
// A check box: a small white box with a green cross when checked, and its caption.

#include "kx/KxButton.h"

class KxCheckBox : public KxButton {
public:
  KxCheckBox(KxControl* parent, const KxString& caption, const KxRect& rect);

  // Toggles before the click handlers run, so they read the new state.
  void OnClick(KxEvtParam& param) override;
  void OnDraw(KxCanvas& canvas) override;
  // Text does not grow exactly with the font: an automatic width is measured again.
  void OnDpiChanged(int) override {
    if (autoSize) SetAutoSize(true);
  }

  void SetChecked(bool value);
  bool IsChecked() const { return checked; }
  // When true the width becomes the height (the box) plus the caption's width.
  void SetAutoSize(bool value);

  bool checked = false;
  bool autoSize = false;
};
