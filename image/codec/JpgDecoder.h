#pragma once
// JPEG files through libjpeg(-turbo): baseline and progressive, greyscale (8 bits with
// a grey palette), colour (24 bits) and CMYK or YCCK (converted to 24 bits). The Exif
// block and the JFIF resolution are read into the information record.

#include "image/codec/KxDib.h"
#include "image/codec/KxImageReader.h"
#include "image/codec/PictureInfo.h"

// Reads from the reader's start.
bool DecodeJpg(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info);
