#pragma once
// Small questions every window asks of the platform, written once.

#include <windows.h>

// The key is held down now, as the message being handled saw it.
inline bool KeyIsDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

inline int RectWidth(const RECT& r) { return r.right - r.left; }
inline int RectHeight(const RECT& r) { return r.bottom - r.top; }

// The layout of a DIB section of 32 bits per pixel, rows from the top (a negative height),
// uncompressed: pixels read as DWORDs are 0x??RRGGBB.
inline BITMAPINFO KxTopDownDib32(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}
