#pragma once
// Paths of the running program and plain path arithmetic on ANSI path texts.

#include "kx/base/KxString.h"

// Folder of the running executable, without a trailing backslash.
KxString ProgramDirectory();
// Everything before the last backslash; empty when there is none after position 0.
KxString ParentDirectory(const KxString& path);
// The text after the last backslash or slash, whichever is later; without the extension
// it is cut at the first "." of that name.
KxString FileNameOf(const KxString& path, bool withExtension);
