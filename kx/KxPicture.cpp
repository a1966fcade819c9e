#include "kx/KxPicture.h"

#include "kx/KxFileIcons.h"
#include "kx/base/KxIconFile.h"

bool KxPicture::LoadIconResource(HINSTANCE instance, int id) {
  HICON loaded = LoadIconW(instance, MAKEINTRESOURCEW(id));
  if (!loaded) return false;
  SetIcon(loaded, true);
  iconInstance = instance;
  iconId = id;
  return true;
}

void KxPicture::SetSizedIcon(HICON stored, int side, const KxString& file) {
  SetIcon(stored, false);
  storedIcon = stored;
  storedSide = side;
  iconSide = side;
  iconFile = &file;
}

void KxPicture::SetSizedIcon(HICON stored, int side, HINSTANCE instance, int id) {
  SetIcon(stored, false);
  storedIcon = stored;
  storedSide = side;
  iconSide = side;
  iconInstance = instance;
  iconId = id;
}

void KxPicture::FitIcon(int side) {
  if (!icon || side <= 0 || side == iconSide) return;
  HICON fitted = NULL;
  bool owns = false;
  if (storedIcon && side == storedSide) {
    fitted = storedIcon;
  } else if (iconId != 0) {
    fitted = KxModuleIconAt(iconInstance, MAKEINTRESOURCEW(iconId), side);
    owns = fitted != NULL;
  } else if (iconFile) {
    fitted = KxCachedFileIcon(*iconFile, side);
  }
  if (!fitted) fitted = storedIcon;
  // Asked once a side, whether or not there was an icon for it.
  if (fitted) TakeIcon(fitted, owns);
  iconSide = side;
}

void KxPicture::TakeIcon(HICON newIcon, bool owns) {
  if (icon && ownsIcon && icon != newIcon) DestroyIcon(icon);
  icon = newIcon;
  ownsIcon = owns;
}

void KxPicture::SetIcon(HICON newIcon, bool owns) {
  TakeIcon(newIcon, owns);
  iconInstance = NULL;
  iconId = 0;
  iconSide = 0;
  storedIcon = NULL;
  storedSide = 0;
  iconFile = nullptr;
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
