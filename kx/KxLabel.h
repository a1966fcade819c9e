#pragma once
// Text labels: the plain label, the link label that changes colour under the pointer,
// and the link label that opens a URL when clicked.

#include "kx/KxControl.h"
#include "kx/KxTrack.h"

class KxLabel : public KxControl {
public:
  KxLabel(KxControl* parent, const KxString& caption, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;
  // Text does not grow exactly with the font: a width measured from it is measured again.
  void OnDpiChanged(int) override {
    if (autoSize && fitted) FitText();
  }
  // With autoSize the label takes the text's width + 4, but never more than maxWidth when
  // that is set; otherwise it repaints.
  void SetText(const KxString& text);
  void SetAutoSize(bool value);
  void SetTextColor(COLORREF color);
  // The room an auto-sized label has before the next control: a text wider than that is
  // cut there with an ellipsis instead of running under its neighbour.
  void SetMaxWidth(int value);

  bool autoSize = true;
  int maxWidth = 0;
  UINT format = DT_VCENTER | DT_SINGLELINE;
  COLORREF textColor = kxBlackColor;

private:
  void FitText();
  bool fitted = false;  // the width is the text's, not the one the label was made with
};

class KxLabellink : public KxTrack<KxLabel> {
public:
  KxLabellink(KxControl* parent, const KxString& caption, const KxRect& rect);

  void OnMouseEnter(KxEvtParam& param) override;
  void OnMouseLeave(KxEvtParam& param) override;
  void OnLButtonDown(WPARAM keys, POINT pt) override;
  void OnLButtonUp(WPARAM keys, POINT pt) override;
  // The hand cursor over the link.
  bool OnSetCursor() override;
  void SetUnderline(bool value);

  bool underline = true;
};

class KxLabelUrl : public KxLabellink {
public:
  // An empty url makes the caption the address.
  KxLabelUrl(KxControl* parent, const KxString& caption, const KxRect& rect, const KxString& url);

  void OnClick(KxEvtParam& param) override;

  KxString url;
};
