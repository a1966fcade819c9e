#include "kx/KxImageBox.h"

#include <cstring>

namespace {

constexpr int kGifType = 2;

// A bitmap resource is a BMP file without its 14-byte file header; put one in front so
// the picture decoder takes it like a file. Empty when the resource is not a bitmap.
KxString BmpFileFromResource(const unsigned char* bits, DWORD size) {
  if (size < sizeof(DWORD)) return KxString();
  DWORD headerSize;
  std::memcpy(&headerSize, bits, sizeof(headerSize));
  DWORD paletteBytes = 0;
  if (headerSize == sizeof(BITMAPCOREHEADER) && size >= headerSize) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, bits, sizeof(core));
    if (core.bcBitCount <= 8) paletteBytes = (1u << core.bcBitCount) * sizeof(RGBTRIPLE);
  } else if (headerSize >= sizeof(BITMAPINFOHEADER) && size >= headerSize) {
    BITMAPINFOHEADER info;
    std::memcpy(&info, bits, sizeof(info));
    DWORD colours = info.biClrUsed;
    if (colours == 0 && info.biBitCount <= 8) colours = 1u << info.biBitCount;
    if (colours > 256) return KxString();
    paletteBytes = colours * sizeof(RGBQUAD);
    if (headerSize == sizeof(BITMAPINFOHEADER) && info.biCompression == BI_BITFIELDS)
      paletteBytes += 3 * sizeof(DWORD);
  } else {
    return KxString();
  }
  if (headerSize + paletteBytes > size) return KxString();

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfSize = sizeof(file) + size;
  file.bfOffBits = sizeof(file) + headerSize + paletteBytes;
  KxString bytes(reinterpret_cast<const char*>(&file), static_cast<int>(sizeof(file)));
  bytes.Append(reinterpret_cast<const char*>(bits), static_cast<int>(size));
  return bytes;
}

}  // namespace

KxImageBox::KxImageBox(KxControl* parent, const KxRect& rect) : KxControl(parent) {
  bkColor = kxWhiteColor;
  Create(parent, "", WS_CHILD | WS_VISIBLE, rect);
}

void KxImageBox::OnDraw(KxCanvas& canvas) {
  if (!image || !image->HasPixels()) return;
  RECT client = ClientRect();
  image->StretchDraw(canvas.Dc(), 0, 0, client.right - client.left, client.bottom - client.top);
}

bool KxImageBox::LoadResource(int id) {
  HINSTANCE instance = GetModuleHandleW(NULL);
  // A bitmap, or a picture file of any format the decoder reads (RT_RCDATA).
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
  const bool file = !found;
  if (file) found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  if (!found) return false;
  HGLOBAL loaded = ::LoadResource(instance, found);
  if (!loaded) return false;
  const unsigned char* bits = static_cast<const unsigned char*>(LockResource(loaded));
  DWORD size = SizeofResource(instance, found);
  KxString bytes;
  if (bits && file) {
    bytes = KxString(reinterpret_cast<const char*>(bits), static_cast<int>(size));
  } else if (bits) {
    bytes = BmpFileFromResource(bits, size);
  }
  FreeResource(loaded);
  if (bytes.IsEmpty()) return false;
  return LoadData(bytes);
}

bool KxImageBox::LoadData(const KxString& bytes) {
  // Decoded aside first, so that bytes which fail leave picture, frame and timer alone.
  std::unique_ptr<CxImage> decoded(new CxImage);
  decoded->SetFrameIndex(0);
  if (!decoded->LoadFromBytes(bytes.CStr(), bytes.Length())) return false;
  image = std::move(decoded);
  frame = 0;
  FitOrRepaint();
  // Only an animation decodes its bytes again; a still picture keeps its pixels alone.
  if (image->Type() == kGifType && image->FrameCount() > 1) {
    data = bytes;
    StartAnimation();
  } else {
    data = KxString();
    StopAnimation();
  }
  return true;
}

void KxImageBox::SetAutoSize(bool value) {
  autoSize = value;
  if (autoSize && image && image->HasPixels()) Resize(image->Width(), image->Height());
}

void KxImageBox::FitOrRepaint() {
  if (autoSize && image->HasPixels()) {
    Resize(image->Width(), image->Height());
  } else {
    Invalidate(false);
  }
}

void KxImageBox::StartAnimation() {
  StopAnimation();
  int delay = image->FrameDelay();
  UINT elapse = static_cast<UINT>(delay > minFrameDelay ? delay : minFrameDelay);
  // The handler is bound once; later animations restart the same timer id, so loading
  // picture after picture does not pile up handlers.
  if (animTimer == 0) {
    animTimer = BindTimer(*this, this, &KxImageBox::NextFrame, elapse);
  } else {
    SetTimer(hwnd, animTimer, elapse, NULL);
  }
  animating = true;
}

void KxImageBox::StopAnimation() {
  if (!animating) return;
  KillTimer(hwnd, animTimer);
  animating = false;
}

int KxImageBox::NextFrame(KxEvtParam&) {
  // A tick already queued when the animation stopped.
  if (!animating || !image) return 0;
  int count = image->FrameCount();
  frame = frame + 1 >= count ? 0 : frame + 1;
  image->SetFrameIndex(frame);
  image->LoadFromBytes(data.CStr(), data.Length());
  Invalidate(false);
  return 0;
}
