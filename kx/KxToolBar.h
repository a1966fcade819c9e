#pragma once
// A tool bar: a grip and a row of small picture buttons, and buttons that show their
// text, that it lays out itself.

#include "kx/KxButton.h"

class KxToolBtn : public KxButton {
public:
  KxToolBtn(KxControl* parent, const KxString& caption, const KxRect& rect);

  KxString GetClassName() const override;
  // A checkable button toggles on each click, before the click handlers run.
  void OnClick(KxEvtParam& param) override;
  // The picture at its size of the button's DPI (an icon of the resources at its nearest
  // image).
  void OnDraw(KxCanvas& canvas) override;
  void SetText(const KxString& text);

  bool checkable = false;
  bool checked = false;
  bool showsText = false;  // the text beside the picture; otherwise only the picture
  SIZE pictureSize = {16, 16};
};

class KxToolBar : public KxControl {
public:
  // Always 26 pixels high; it grows to the right as buttons are added.
  KxToolBar(KxControl* parent, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;
  // A new button right of the last one; the bar widens to hold it. The bar owns it.
  KxToolBtn* AddButton();
  // A button that shows text, width pixels wide (its width stays when the text changes).
  KxToolBtn* AddTextButton(const KxString& text, int width);

  KxList<KxToolBtn*> buttons;  // in order; owned through children
  int gap = 1;
  int top = 4;
  int rightMargin = 4;
  int firstLeft = 8;
  int buttonSize = 18;

private:
  KxToolBtn* AddSized(int width);
};
