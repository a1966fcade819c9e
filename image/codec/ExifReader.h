#pragma once
// The Exif block of a JPEG file (APP1, "Exif\0\0" then a TIFF structure): the few
// fields worth keeping. Every offset and count in it comes from the file and is checked.

#include <stddef.h>
#include <stdint.h>

struct KxExifInfo {
  bool present = false;
  int orientation = 0;  // 1-8 as the TIFF tag gives it, 0 when absent
  char make[64] = {};
  char model[64] = {};
  char dateTime[20] = {};          // "YYYY:MM:DD HH:MM:SS"
  char dateTimeOriginal[20] = {};  // from the Exif sub-IFD
  uint32_t pixelWidth = 0;         // from the Exif sub-IFD
  uint32_t pixelHeight = 0;
};

// tiff is the TIFF structure that follows "Exif\0\0". False (info cleared) when its
// header is not a TIFF header; a damaged entry further in is skipped.
bool ParseExif(const uint8_t* tiff, size_t size, KxExifInfo& info);
