#pragma once
// One decoder picture per format. Each fills its own pixel data and information record
// from a reader; CxImage::LoadFromStream then moves them into the target picture.

#include "image/CxImage.h"
#include "image/codec/KxImageReader.h"

class KxImageBmp : public CxImage {
public:
  bool Decode(KxImageReader& reader);
};

class KxImageJpg : public CxImage {
public:
  bool Decode(KxImageReader& reader);
};

class KxImageIco : public CxImage {
public:
  bool Decode(KxImageReader& reader);
};

class KxImageGif : public CxImage {
public:
  bool Decode(KxImageReader& reader);
};

class KxImagePng : public CxImage {
public:
  bool Decode(KxImageReader& reader);
};

// The bounds every decode of the program keeps to.
const KxImageLimits& ImageLimits();
