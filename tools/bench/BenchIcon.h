#pragma once
// The icon the benches store with their shortcuts.

#include <windows.h>

#include "store/IconBlob.h"

// A 16x16 colour icon in the stored layout, the same for every row.
inline KxString SampleIconBlob() {
  BYTE andBits[32 * 2] = {};
  BYTE xorBits[16 * 16 * 4];
  for (int i = 0; i < 16 * 16; ++i) {
    xorBits[i * 4] = static_cast<BYTE>(i);
    xorBits[i * 4 + 1] = 0x80;
    xorBits[i * 4 + 2] = static_cast<BYTE>(255 - i);
    xorBits[i * 4 + 3] = 0;
  }
  HICON icon = CreateIcon(GetModuleHandleA(NULL), 16, 16, 1, 32, andBits, xorBits);
  KxString blob = IconToBlob(icon);
  DestroyIcon(icon);
  return blob;
}
