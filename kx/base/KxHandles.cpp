#include "kx/base/KxHandles.h"

OwnedIcon::OwnedIcon(const OwnedIcon& other)
    : handle(other.handle ? CopyIcon(other.handle) : nullptr) {}

OwnedIcon::OwnedIcon(OwnedIcon&& other) noexcept : handle(other.handle) {
  other.handle = nullptr;
}

OwnedIcon& OwnedIcon::operator=(const OwnedIcon& other) {
  if (this != &other) Reset(other.handle ? CopyIcon(other.handle) : nullptr);
  return *this;
}

OwnedIcon& OwnedIcon::operator=(OwnedIcon&& other) noexcept {
  if (this != &other) {
    Reset(other.handle);
    other.handle = nullptr;
  }
  return *this;
}

OwnedIcon::~OwnedIcon() { Reset(); }

void OwnedIcon::Reset(HICON icon) {
  if (handle && handle != icon) DestroyIcon(handle);
  handle = icon;
}

HICON OwnedIcon::Release() {
  HICON icon = handle;
  handle = nullptr;
  return icon;
}
