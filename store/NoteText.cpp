#include "store/NoteText.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsBlankNoteText(const KxString& text) {
  for (int i = 0; i < text.Length(); ++i) {
    if (!IsBlank(text.At(i))) return false;
  }
  return true;
}

KxString NoteFirstLine(const KxString& text, int maxBytes) {
  int i = 0;
  const int n = text.Length();
  while (i < n) {
    int end = i;
    while (end < n && text.At(end) != '\n') ++end;
    int first = i;
    int last = end;
    while (first < last && IsBlank(text.At(first))) ++first;
    while (last > first && IsBlank(text.At(last - 1))) --last;
    if (first < last) {
      KxString line = text.Mid(last - first, first);
      if (line.Length() <= maxBytes) return line;
      // No blank is the second byte of a character: the line starts at a boundary.
      int cut = KxIsInsideChar(line, maxBytes) ? KxPrevCharPos(line, maxBytes) : maxBytes;
      return line.Mid(cut, 0) + "…";
    }
    i = end + 1;
  }
  return KxString();
}

bool NoteMatchesFilter(const KxString& text, const KxString& filter) {
  return filter.IsEmpty() || KxFindNoCase(text, filter) >= 0;
}
