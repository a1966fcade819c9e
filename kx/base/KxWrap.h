#pragma once
// Where a line of text breaks into rows of a fixed number of cells: one cell per byte, so
// a double-byte character takes two. Characters are those of the double-byte walks
// (KxCharLength): a lead byte at the very end is a character of one byte.

#include <vector>

#include "kx/base/KxString.h"

// The byte column where each row of content (one line, without its "\r\n") starts; the
// first is 0, and an empty line gives {0}. A row holds at most cols cells, but for the
// spaces at its end: they hang there, however many, so that no row starts with the spaces
// of a break. Latin text breaks after the last space or hyphen that fits; next to a
// double-byte character a break may fall on either side; a word longer than a row breaks
// at the row's width. A row never ends inside a character and holds at least one, so a
// cols below 2 (or 0) still moves on.
void KxWrapLine(const KxString& content, int cols, std::vector<int>& rowStarts);
