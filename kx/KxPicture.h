#pragma once
// The image a button, menu item or tool button draws: an icon or a bitmap.

#include <windows.h>

class KxString;

class KxPicture {
public:
  KxPicture() = default;
  KxPicture(const KxPicture&) = delete;
  KxPicture& operator=(const KxPicture&) = delete;
  ~KxPicture() { Release(); }

  // An icon of the program's resources; the picture owns it.
  bool LoadIconResource(HINSTANCE instance, int id);
  // An icon made at storedSide by side that other sides take from elsewhere: from the own
  // icon of file (read once a process), or from the icon id of instance's resources. Where
  // that has none, the stored icon is drawn stretched. The icon and file are borrowed (a
  // record's, which outlives the picture).
  void SetSizedIcon(HICON stored, int storedSide, const KxString& file);
  void SetSizedIcon(HICON stored, int storedSide, HINSTANCE instance, int id);
  // The icon at side by side: an icon of the resources at the image of its own nearest to
  // side (a 16 and a 32 give 24 from the 32), a sized icon as above; any other picture is
  // drawn stretched.
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
  // icon replaced, and destroyed when owned; where it came from stays.
  void TakeIcon(HICON newIcon, bool owns);

  HINSTANCE iconInstance = NULL;  // where the icon of the resources came from
  int iconId = 0;
  int iconSide = 0;               // the side it was made at; 0 for the default size
  HICON storedIcon = NULL;        // of a sized icon: borrowed
  int storedSide = 0;
  const KxString* iconFile = nullptr;  // of a sized icon: where its other sides come from
};
