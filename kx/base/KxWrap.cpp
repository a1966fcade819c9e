#include "kx/base/KxWrap.h"

namespace {

// Whether a row may end at pos, after the character at before (which follows the one at
// prior, -1 for none). A break before a space is none: spaces stay on the upper row. A
// hyphen breaks only inside a word, so "-5" and "- item" keep their hyphen.
bool MayBreak(const KxString& content, int prior, int before, int pos) {
  if (content.At(pos) == ' ') return false;
  char last = content.At(before);
  if (last == ' ') return true;
  if (last == '-') return prior >= 0 && content.At(prior) != ' ';
  return KxCharLength(content, before) > 1 || KxCharLength(content, pos) > 1;
}

}  // namespace

void KxWrapLine(const KxString& content, int cols, std::vector<int>& rowStarts) {
  rowStarts.clear();
  rowStarts.push_back(0);
  if (cols < 1) cols = 1;
  int n = content.Length();
  int start = 0;
  int beforeStart = -1;  // where the character before the row's first starts
  while (n - start > cols) {
    // The characters that fit, and the last place among them where the row may end.
    int pos = start;
    int before = beforeStart;
    int prior = -1;
    int lastBreak = -1;
    int lastBreakBefore = -1;
    for (;;) {
      if (pos > start && MayBreak(content, prior, before, pos)) {
        lastBreak = pos;
        lastBreakBefore = before;
      }
      int length = KxCharLength(content, pos);
      if (pos + length - start > cols) break;
      prior = before;
      before = pos;
      pos += length;
    }
    if (content.At(pos) == ' ') {
      // Full up to a space: the run of spaces hangs at the row's end.
      while (pos < n && content.At(pos) == ' ') before = pos++;
      if (pos >= n) break;
      start = pos;
      beforeStart = before;
    } else if (lastBreak > start) {
      start = lastBreak;
      beforeStart = lastBreakBefore;
    } else if (pos > start) {
      start = pos;
      beforeStart = before;
    } else {
      // One character wider than the row: it has the row to itself.
      beforeStart = start;
      start += KxCharLength(content, start);
      if (start >= n) break;
    }
    rowStarts.push_back(start);
  }
}
