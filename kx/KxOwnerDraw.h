#pragma once
// An owner-drawn item (a menu item) whose address travels as the item data of
// WM_MEASUREITEM and WM_DRAWITEM; the control that owns the menu calls it back.

#include <windows.h>

class KxOwnerDrawItem {
public:
  virtual void Measure(MEASUREITEMSTRUCT& measure) = 0;
  virtual void Draw(const DRAWITEMSTRUCT& draw) = 0;

protected:
  virtual ~KxOwnerDrawItem() = default;
};
