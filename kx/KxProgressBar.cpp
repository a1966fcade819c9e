#include "kx/KxProgressBar.h"

namespace {

constexpr COLORREF kBarColor = RGB(80, 182, 231);
// What an empty range shows.
constexpr int kStubWidth = 2;

}  // namespace

void KxProgressBar::OnDraw(KxCanvas& canvas) {
  RECT client = ClientRect();
  canvas.SetBkMode(TRANSPARENT);
  canvas.FrameRect(kxGreyLineColor, client);
  RECT inner = client;
  InflateRect(&inner, -1, -1);
  int right;
  if (minimum < maximum) {
    // Measured from minimum and held inside the frame, whatever position holds.
    long long done = static_cast<long long>(position) - minimum;
    long long span = static_cast<long long>(maximum) - minimum;
    if (done < 0) done = 0;
    if (done > span) done = span;
    right = inner.left + static_cast<int>(done * (inner.right - inner.left) / span);
  } else {
    right = inner.left + Px(kStubWidth);
  }
  if (right > inner.left) canvas.FillRect(kBarColor, RECT{inner.left, inner.top, right, inner.bottom});
}

void KxProgressBar::SetRange(int low, int high) {
  minimum = low;
  maximum = high;
  Invalidate(false);
}

void KxProgressBar::SetPosition(int value) {
  position = value;
  Invalidate(false);
}

void KxProgressBar::StepIt() {
  if (position >= maximum) return;
  ++position;
  Invalidate(false);
}
