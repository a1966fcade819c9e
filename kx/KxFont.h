#pragma once
// A font described by the fields CreateFontA takes. Until a property is set the font is
// the stock DEFAULT_GUI_FONT; once one is set, it is built from all fields. Heights and
// widths are 96-DPI values, built at the font's DPI (the DPI of the window it serves).

#include <windows.h>

#include "kx/base/KxString.h"

class KxFont {
public:
  KxFont();
  KxFont(const KxFont&) = delete;
  KxFont& operator=(const KxFont&) = delete;
  virtual ~KxFont();

  // Deletes the current handle (unless it is the stock font) and creates the font anew.
  HFONT BuildFont();
  // The handle to use, built first when a property changed or there is none.
  HFONT Handle();
  bool IsDirty() const { return dirty; }
  // For fields set directly: the next Handle() builds the font again.
  void MarkDirty();

  const KxString& FaceName() const { return faceName; }
  void SetFaceName(const KxString& name);
  int Height() const { return height; }
  void SetHeight(int value);
  void SetWidth(int value);
  void SetWeight(int value);
  void SetUnderline(bool value);
  void SetQuality(int value);
  int Dpi() const { return dpi; }
  // A font at another DPI is built again at its next use.
  void SetDpi(int value);

  // Set directly by the menus, which draw rotated banner text.
  int height = 12;
  int width = 6;
  int escapement = 0;
  int orientation = 0;
  int weight = FW_NORMAL;
  DWORD italic = 0;
  DWORD underline = 0;
  DWORD strikeOut = 0;
  DWORD charSet = DEFAULT_CHARSET;
  DWORD outPrecision = 0;
  DWORD clipPrecision = 0;
  DWORD quality = 0;
  DWORD pitchAndFamily = 0;
  KxString faceName;

private:
  HFONT BuildStockAtDpi();

  HFONT handle;
  int dpi = 96;
  bool fromFields = false;  // a property was set: the stock font no longer serves
  bool ownsHandle = false;  // the stock font is never deleted
  bool dirty = false;
};
