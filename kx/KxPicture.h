#pragma once
// The image a button, menu item or tool button draws: an icon or a bitmap.

#include <windows.h>

class KxPicture {
public:
  KxPicture() = default;
  KxPicture(const KxPicture&) = delete;
  KxPicture& operator=(const KxPicture&) = delete;
  ~KxPicture() { Release(); }

  // An icon of the program's resources; the picture owns it.
  bool LoadIconResource(HINSTANCE instance, int id);
  // An icon handle; owned only when told so.
  void SetIcon(HICON icon, bool owns);
  // A bitmap handle; the picture always owns it.
  void SetBitmap(HBITMAP bitmap);
  void Release();

  bool IsPresent() const { return icon != NULL || bitmap != NULL; }
  SIZE Size() const;

  HICON icon = NULL;
  bool ownsIcon = false;
  HBITMAP bitmap = NULL;
};
