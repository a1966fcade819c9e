#pragma once
// PNG files through libpng: every colour type and bit depth, interlaced or not, with
// palette transparency (tRNS) and alpha. A palette picture with one fully clear entry
// stays at 8 bits with that entry as its transparent index; every other picture becomes
// 24 bits, or 32 bits when it has alpha.

#include "image/codec/KxDib.h"
#include "image/codec/KxImageReader.h"
#include "image/codec/PictureInfo.h"

// Reads from the reader's start.
bool DecodePng(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info);
