#pragma once
// Small questions every window asks of the platform, written once.

#include <windows.h>

// The key is held down now, as the message being handled saw it.
inline bool KeyIsDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

inline int RectWidth(const RECT& r) { return r.right - r.left; }
inline int RectHeight(const RECT& r) { return r.bottom - r.top; }
