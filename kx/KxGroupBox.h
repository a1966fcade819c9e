#pragma once
// A group box: an etched frame whose top line the caption interrupts.

#include "kx/KxControl.h"

class KxGroupBox : public KxControl {
public:
  KxGroupBox(KxControl* parent, const KxString& caption, const KxRect& rect);

  void OnDraw(KxCanvas& canvas) override;
};
