#include "kx/KxPicture.h"

bool KxPicture::LoadIconResource(HINSTANCE instance, int id) {
  HICON loaded = LoadIconW(instance, MAKEINTRESOURCEW(id));
  if (!loaded) return false;
  SetIcon(loaded, true);
  iconInstance = instance;
  iconId = id;
  return true;
}

void KxPicture::FitIcon(int side) {
  if (!icon || iconId == 0 || side <= 0 || side == iconSide) return;
  HICON fitted = static_cast<HICON>(
      LoadImageW(iconInstance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, side, side, 0));
  if (!fitted) return;
  HINSTANCE instance = iconInstance;
  int id = iconId;
  SetIcon(fitted, true);
  iconInstance = instance;
  iconId = id;
  iconSide = side;
}

void KxPicture::SetIcon(HICON newIcon, bool owns) {
  if (icon && ownsIcon && icon != newIcon) DestroyIcon(icon);
  icon = newIcon;
  ownsIcon = owns;
  iconInstance = NULL;
  iconId = 0;
  iconSide = 0;
}

void KxPicture::SetBitmap(HBITMAP newBitmap) {
  if (bitmap && bitmap != newBitmap) DeleteObject(bitmap);
  bitmap = newBitmap;
}

void KxPicture::Release() {
  SetIcon(NULL, false);
  SetBitmap(NULL);
}

SIZE KxPicture::Size() const {
  SIZE size = {0, 0};
  if (icon) {
    ICONINFO info = {};
    if (GetIconInfo(icon, &info)) {
      BITMAP mask = {};
      if (GetObjectW(info.hbmMask, sizeof(mask), &mask)) {
        size.cx = mask.bmWidth;
        // A monochrome icon keeps its AND and XOR masks in one bitmap of double height.
        size.cy = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
      }
      if (info.hbmMask) DeleteObject(info.hbmMask);
      if (info.hbmColor) DeleteObject(info.hbmColor);
    }
    return size;
  }
  if (bitmap) {
    BITMAP bm = {};
    if (GetObjectW(bitmap, sizeof(bm), &bm)) {
      size.cx = bm.bmWidth;
      size.cy = bm.bmHeight;
    }
    return size;
  }
  size.cx = GetSystemMetrics(SM_CXSMICON);
  size.cy = GetSystemMetrics(SM_CYSMICON);
  return size;
}
