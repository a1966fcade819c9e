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
  // An icon of the resources is taken again at the image of its own nearest to side by
  // side (a 16 and a 32 give 24 from the 32); any other picture is drawn stretched.
  void FitIcon(int side);
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

private:
  HINSTANCE iconInstance = NULL;  // where the icon of the resources came from
  int iconId = 0;
  int iconSide = 0;               // the side it was loaded at; 0 for the default size
};
