#pragma once
// What the note manager and the note operations read from a note's text (GBK bytes): the
// blank test, the first line a row shows and the filter's match. Plain functions, so that
// a table reaches them without a window.

#include "kx/base/KxString.h"

// True when text holds nothing but spaces, tabs and line breaks.
bool IsBlankNoteText(const KxString& text);
// The first line that holds more than blanks, without the blanks around it; a line longer
// than maxBytes is cut at the last character boundary within them and ends in "…".
KxString NoteFirstLine(const KxString& text, int maxBytes);
// Whether text holds filter, double-byte characters compared whole and ASCII letters in
// either case; an empty filter holds for every text.
bool NoteMatchesFilter(const KxString& text, const KxString& filter);
