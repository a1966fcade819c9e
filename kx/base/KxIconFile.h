#pragma once
// An icon at the side a window draws it: the image of the icon's directory nearest to that
// side, scaled only when the directory has none of that side, and then the larger of two as
// near. The platform's own choice (LoadImage, PrivateExtractIcons) takes the smaller there:
// Wine stretches an icon's 16 by 16 image to 24 where it has a 32 by 32 one.

#include <windows.h>

#include <stddef.h>
#include <functional>
#include <stdint.h>

#include "kx/base/KxString.h"

// candidate is a better side than best for a picture drawn at wanted: nearer to it, or as
// near and larger. best 0 is no side yet.
bool KxIsNearerSide(int candidate, int best, int wanted);

// One image of an icon directory.
struct KxIconImage {
  int side = 0;          // its width (a directory's 0 is 256)
  int bitCount = 0;
  uint32_t bytes = 0;    // the size of its bytes
  uint32_t where = 0;    // in a file: where its bytes start; in a group: its RT_ICON id
};

// The image of the directory at data (size bytes) nearest to side, and of the most colours
// among those of that side. A group is a module's RT_GROUP_ICON resource (entries of 14
// bytes); otherwise the directory is an .ico file's (16 bytes). With usable, only images it
// accepts are candidates (it may set their bitCount from the image itself). False when the
// bytes are no directory of at least one such image; nothing past data + size is read.
bool KxPickIconImage(const void* data, size_t size, bool group, int side, KxIconImage& picked,
                     const std::function<bool(KxIconImage&)>& usable = nullptr);

// The icon group of a module (loaded or mapped as data) at side by side, owned by the
// caller; NULL when the module has no such group.
HICON KxModuleIconAt(HMODULE module, LPCWSTR group, int side);

// The own first icon of the file at path at side by side, owned by the caller: an .ico
// file's, or the first icon group of a program or library. NULL when it has none or cannot
// be read.
HICON KxFileIconAt(const KxString& path, int side);

// The side of an icon's image; 0 for none.
int KxIconSide(HICON icon);
