#pragma once
// Colour keys for pictures without an alpha channel of their own (GIF frames, palette
// pictures): a pixel is see-through exactly when it has the key colour. These helpers
// choose a key that no visible pixel has, so that the key hides what is transparent and
// nothing else.

#include <stdint.h>

#include "image/codec/KxBuffer.h"
#include "image/codec/KxDib.h"

// The set of all 2^24 colours as bits.
class KxColorSet {
public:
  bool Init();
  void Add(const KxRgbQuad& c) {
    uint32_t v = Key(c);
    bits.Data()[v >> 3] = static_cast<uint8_t>(bits.Data()[v >> 3] | (1u << (v & 7)));
  }
  bool Contains(const KxRgbQuad& c) const {
    uint32_t v = Key(c);
    return (bits.Data()[v >> 3] >> (v & 7)) & 1;
  }
  // Magenta when it is free, else the lowest free colour; false when all are taken.
  bool FirstUnused(KxRgbQuad& colour) const;

private:
  static uint32_t Key(const KxRgbQuad& c) {
    return static_cast<uint32_t>(c.rgbRed) << 16 | static_cast<uint32_t>(c.rgbGreen) << 8 | c.rgbBlue;
  }
  KxBuffer bits;
};

// When another of the 256 entries shares the colour of entry slot, gives slot a colour
// no other entry has, so that the key of an 8-bit picture hides that slot only.
void MakePaletteSlotUnique(KxRgbQuad* palette, int slot);
