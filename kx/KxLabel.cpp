#include "kx/KxLabel.h"

#include "kx/base/KxWide.h"

#include <shellapi.h>

// ---- KxLabel

KxLabel::KxLabel(KxControl* parent, const KxString& caption, const KxRect& rect)
    : KxControl(parent) {
  Create(parent, caption, WS_CHILD | WS_VISIBLE, rect);
}

void KxLabel::OnDraw(KxCanvas& canvas) {
  canvas.SetBkMode(TRANSPARENT);
  canvas.DrawText(font, textColor, GetText(), ClientRect(), maxWidth > 0 ? format | DT_END_ELLIPSIS : format);
}

void KxLabel::SetText(const KxString& text) {
  KxCard::SetText(text);
  if (autoSize) {
    FitText();
  } else {
    Invalidate(false);
  }
}

void KxLabel::SetAutoSize(bool value) {
  autoSize = value;
  if (autoSize) FitText();
}

void KxLabel::SetMaxWidth(int value) {
  maxWidth = value;
  if (autoSize) FitText();
}

void KxLabel::SetTextColor(COLORREF color) {
  textColor = color;
  Invalidate(false);
}

void KxLabel::FitText() {
  fitted = true;
  KxCanvas measure(this);
  SIZE size = measure.TextExtent(font, GetText());
  const int wanted = Dip(size.cx) + 4;
  SetWidth(maxWidth > 0 && wanted > maxWidth ? maxWidth : wanted);
}

// ---- KxLabellink

KxLabellink::KxLabellink(KxControl* parent, const KxString& caption, const KxRect& rect)
    : KxTrack<KxLabel>(parent, caption, rect) {
  textColor = kxLinkColor;
  SetUnderline(true);
}

void KxLabellink::OnMouseEnter(KxEvtParam&) { SetTextColor(kxLinkHoverColor); }

void KxLabellink::OnMouseLeave(KxEvtParam&) { SetTextColor(kxLinkColor); }

void KxLabellink::OnLButtonDown(WPARAM, POINT) { SetTextColor(kxLinkPressedColor); }

void KxLabellink::OnLButtonUp(WPARAM, POINT) {
  SetTextColor(hovering ? kxLinkHoverColor : kxLinkColor);
}

bool KxLabellink::OnSetCursor() {
  SetCursor(LoadCursorW(NULL, MAKEINTRESOURCEW(32649)));
  return true;
}

void KxLabellink::SetUnderline(bool value) {
  underline = value;
  font.SetUnderline(value);
  Invalidate(false);
}

// ---- KxLabelUrl

KxLabelUrl::KxLabelUrl(KxControl* parent, const KxString& caption, const KxRect& rect,
                       const KxString& address)
    : KxLabellink(parent, caption, rect), url(address.IsEmpty() ? caption : address) {}

void KxLabelUrl::OnClick(KxEvtParam&) {
  ShellExecuteW(NULL, L"open", KxWide(url), NULL, NULL, SW_SHOWNORMAL);
}
