#include "kx/KxFont.h"

#include "kx/base/KxWide.h"

KxFont::KxFont()
    : faceName("MS Sans Serif"), handle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {}

KxFont::~KxFont() {
  if (ownsHandle && handle) DeleteObject(handle);
}

HFONT KxFont::BuildFont() {
  if (ownsHandle && handle) DeleteObject(handle);
  handle = CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                       strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily,
                       KxWide(faceName));
  ownsHandle = handle != NULL;
  dirty = false;
  return handle;
}

HFONT KxFont::Handle() {
  if (dirty || !handle) return BuildFont();
  return handle;
}

void KxFont::SetFaceName(const KxString& name) {
  faceName = name;
  dirty = true;
}

void KxFont::SetHeight(int value) {
  height = value;
  dirty = true;
}

void KxFont::SetWidth(int value) {
  width = value;
  dirty = true;
}

void KxFont::SetWeight(int value) {
  weight = value;
  dirty = true;
}

void KxFont::SetUnderline(bool value) {
  underline = value ? 1 : 0;
  dirty = true;
}

void KxFont::SetQuality(int value) {
  quality = static_cast<DWORD>(value);
  dirty = true;
}
