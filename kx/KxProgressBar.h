#pragma once
// A flat progress bar: a grey frame and a blue bar for position within the range.
// Built without a window; the owner calls Create. A download worker may move it.

#include "kx/KxControl.h"

class KxProgressBar : public KxControl {
public:
  explicit KxProgressBar(KxControl* parent) : KxControl(parent) {}

  void OnDraw(KxCanvas& canvas) override;
  void SetRange(int low, int high);
  void SetPosition(int value);
  // One step towards maximum; nothing once there.
  void StepIt();

  int minimum = 0;
  int maximum = 100;
  int position = 0;
};
