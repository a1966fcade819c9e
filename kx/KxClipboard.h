#pragma once
// CF_TEXT on the system clipboard, shared by the single-line edit and the text box.

#include <windows.h>

#include "kx/base/KxString.h"

// Puts text (GBK bytes) on the clipboard, replacing what was there. owner becomes the
// clipboard owner; a window of the caller's is the safe choice, since with no owner
// EmptyClipboard leaves none and the platform may refuse the data. False when the
// clipboard could not be opened or refused the data; the copy is then lost.
bool SetClipboardText(const KxString& text, HWND owner = NULL);

// The CF_TEXT on the clipboard up to its terminating 0, never past the memory block;
// the empty text when there is none or the clipboard cannot be opened.
KxString GetClipboardText();
