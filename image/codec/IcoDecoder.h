#pragma once
// ICO and CUR files: a directory of entries, each a PNG file or a DIB whose colour rows
// are followed by a one-bit AND mask (1 = transparent). The frame index of info picks
// the entry; the entry count is the frame count.

#include "image/codec/KxDib.h"
#include "image/codec/KxImageReader.h"
#include "image/codec/PictureInfo.h"

bool DecodeIco(KxImageReader& reader, const KxImageLimits& limits, KxDib& dib, PictureInfo& info);
