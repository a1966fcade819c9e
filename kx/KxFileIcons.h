#pragma once
// The own icons of files at the sides windows draw them at another scale than 100 % (a
// shortcut's icon at 24 by 24 in a menu at 150 %). Each file is read once per side and
// process, so a menu opened again reads no file. For the windows' thread only.

#include <windows.h>

#include <stddef.h>

#include "kx/base/KxString.h"

// The most files held, with an icon or without: the icons of a large tree stay well within
// the GDI objects a process may have, beside the icons a menu of that tree holds itself.
constexpr size_t kKxFileIconsHeld = 512;

// The icon of the file at path at side by side (KxFileIconAt), owned here until the process
// ends; NULL when the file has none or cannot be read, when it lies where reading could hold
// a window up (a network or removable drive, an address), and for a file first asked for
// once kKxFileIconsHeld files are held.
HICON KxCachedFileIcon(const KxString& path, int side);
