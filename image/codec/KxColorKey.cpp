#include "image/codec/KxColorKey.h"

namespace {

const uint32_t kColourCount = 1u << 24;

KxRgbQuad FromKey(uint32_t v) {
  return KxRgb(static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), 0);
}

}  // namespace

bool KxColorSet::Init() { return bits.Allocate(kColourCount / 8); }

bool KxColorSet::FirstUnused(KxRgbQuad& colour) const {
  const KxRgbQuad magenta = KxRgb(255, 0, 255, 0);
  if (!Contains(magenta)) {
    colour = magenta;
    return true;
  }
  const uint8_t* p = bits.Data();
  for (uint32_t i = 0; i < kColourCount / 8; i++) {
    if (p[i] == 0xFF) continue;
    for (uint32_t b = 0; b < 8; b++) {
      if (!((p[i] >> b) & 1)) {
        colour = FromKey(i * 8 + b);
        return true;
      }
    }
  }
  return false;
}

void MakePaletteSlotUnique(KxRgbQuad* palette, int slot) {
  if (slot < 0 || slot >= KxDib::kPaletteSize) return;
  auto sameColour = [](const KxRgbQuad& a, const KxRgbQuad& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
  };
  bool shared = false;
  for (int i = 0; i < KxDib::kPaletteSize && !shared; i++) shared = i != slot && sameColour(palette[i], palette[slot]);
  if (!shared) return;
  // 257 candidates for 255 other entries: one of them is free.
  for (uint32_t n = 0; n <= static_cast<uint32_t>(KxDib::kPaletteSize); n++) {
    KxRgbQuad candidate = n == 0 ? KxRgb(255, 0, 255, 0)
                                 : KxRgb(1, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 0);
    bool taken = false;
    for (int i = 0; i < KxDib::kPaletteSize && !taken; i++) {
      taken = i != slot && sameColour(palette[i], candidate);
    }
    if (!taken) {
      palette[slot] = candidate;
      return;
    }
  }
}
