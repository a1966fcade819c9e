#pragma once
// Autostart through the current user's Run key. A Run value is named by the program file's
// name with its extension and holds the program's full path in quotes. Only the name is
// read back, so values written by hand or by older copies without quotes count alike.

#include "kx/base/KxString.h"

extern const char kRunKey[];

// path empty: the running executable. on writes the value, off deletes it; true when the
// key opened and the write or delete succeeded.
bool SetAutostart(const KxString& path, bool on);
// name empty: the running executable's file name; otherwise name is the value name as is.
bool AutostartExists(const KxString& name);
