#pragma once
// The plug-in id rule. The update description names plug-ins by id, and a package names
// itself by one when it is identified (plugin/PluginIdentity.h); both are held to it.

#include "kx/base/KxString.h"

// The longest id: it becomes KX_PLUGIN's P_ID.
constexpr int kMaxPluginIdBytes = 20;

// The id rule: 1 to 20 bytes without control bytes or any of \ / : * ? " < > | (walked
// by characters, as GBK trail bytes may be 0x5C or 0x7C), not "." or "..", and no broken
// character (KxHasBrokenChar: a lead byte of the code page needs its second byte; 0xFF
// is no character at all).
bool IsPlainPluginId(const KxString& id);
// Whether text holds a byte below 0x20 or 0x7F.
bool HasControlByte(const KxString& text);
