#include "kx/KxFont.h"

#include "kx/base/KxWide.h"
#include "kx/KxDpi.h"

KxFont::KxFont()
    : faceName("MS Sans Serif"), handle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {}

KxFont::~KxFont() {
  if (ownsHandle && handle) DeleteObject(handle);
}

HFONT KxFont::BuildFont() {
  if (ownsHandle && handle) DeleteObject(handle);
  handle = CreateFontW(KxScale(height, dpi), KxScale(width, dpi), escapement, orientation, weight,
                       italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality,
                       pitchAndFamily, KxWide(faceName));
  ownsHandle = handle != NULL;
  fromFields = true;
  dirty = false;
  return handle;
}

// The stock font is made for the system DPI: at another one its description is scaled.
HFONT KxFont::BuildStockAtDpi() {
  if (ownsHandle && handle) DeleteObject(handle);
  ownsHandle = false;
  dirty = false;
  HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  handle = stock;
  LOGFONTW description = {};
  if (dpi == KxSystemDpi() || !GetObjectW(stock, sizeof(description), &description)) return handle;
  description.lfHeight = MulDiv(description.lfHeight, dpi, KxSystemDpi());
  description.lfWidth = MulDiv(description.lfWidth, dpi, KxSystemDpi());
  if (HFONT scaled = CreateFontIndirectW(&description)) {
    handle = scaled;
    ownsHandle = true;
  }
  return handle;
}

HFONT KxFont::Handle() {
  // The stock font it starts with serves only at the system DPI.
  bool stockElsewhere = !fromFields && !ownsHandle && dpi != KxSystemDpi();
  if (dirty || !handle || stockElsewhere) return fromFields ? BuildFont() : BuildStockAtDpi();
  return handle;
}

void KxFont::MarkDirty() {
  fromFields = true;
  dirty = true;
}

void KxFont::SetDpi(int value) {
  if (value <= 0 || value == dpi) return;
  dpi = value;
  // The stock font at the system DPI needs nothing built.
  if (fromFields || ownsHandle || dpi != KxSystemDpi()) dirty = true;
}

void KxFont::SetFaceName(const KxString& name) {
  faceName = name;
  MarkDirty();
}

void KxFont::SetHeight(int value) {
  height = value;
  MarkDirty();
}

void KxFont::SetWidth(int value) {
  width = value;
  MarkDirty();
}

void KxFont::SetWeight(int value) {
  weight = value;
  MarkDirty();
}

void KxFont::SetUnderline(bool value) {
  underline = value ? 1 : 0;
  MarkDirty();
}

void KxFont::SetQuality(int value) {
  quality = static_cast<DWORD>(value);
  MarkDirty();
}
