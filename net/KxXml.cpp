#include "net/KxXml.h"

#include <cstring>

namespace {

// The text comes from the network, so every search is bounded by the end of the text,
// every loop moves forward, and no byte is read again more than kXmlMaxDepth + 1 times:
// a level that returns hands its caller how far it read, and the caller never goes back
// behind that point.
class XmlReader {
public:
  XmlReader(const char* bytes, int byteCount) : text(bytes), length(byteCount), lastGt(byteCount - 1) {
    while (lastGt >= 0 && text[lastGt] != '>') --lastGt;
  }

  // Reads the elements of one level into list, from start on, until an end tag (of any
  // name), an empty tag "<>" or the end of the tags. reach is set to the end of what this
  // level consumed; the tag that ended it is not consumed.
  bool ReadLevel(KxList<KxXmlElement>& list, int depth, int start, int& reach) {
    int pos = start;
    for (;;) {
      reach = pos;
      int open = FindByte(pos, length, '<');
      // A "<" after the last ">" can never be closed: the tags end here.
      if (open < 0 || open > lastGt) return true;
      int close = FindByte(open + 1, length, '>');
      int tagStart = open + 1;
      int tagEnd = close;
      if (tagEnd == tagStart || text[tagStart] == '/') return true;
      if (depth > kXmlMaxDepth) return false;

      KxList<KxXmlElement>::Node* node = list.Add(KxXmlElement());
      if (!node) return false;
      KxXmlElement& element = node->value;

      bool selfClosing = text[tagEnd - 1] == '/';
      if (selfClosing) --tagEnd;
      while (tagStart < tagEnd && text[tagStart] == ' ') ++tagStart;
      while (tagEnd > tagStart && text[tagEnd - 1] == ' ') --tagEnd;
      int blank = FindByte(tagStart, tagEnd, ' ');
      int nameEnd = blank < 0 ? tagEnd : blank;
      element.name.Assign(text + tagStart, nameEnd - tagStart);
      if (blank >= 0 && !ReadAttributes(blank, tagEnd, element.attributes)) return false;

      int content = close + 1;
      if (selfClosing) {
        pos = content;
        continue;
      }
      int childReach = content;
      if (!ReadLevel(element.children, depth + 1, content, childReach)) return false;
      int endTag = FindEndTag(content, text + tagStart, nameEnd - tagStart);
      if (endTag < 0) return false;
      if (element.children.IsEmpty()) element.text.Assign(text + content, endTag - content);
      pos = endTag + (nameEnd - tagStart) + 3;
      // The first "</name>" may lie inside text the children already read (their own
      // texts, say); going on from there would read those bytes again at this level,
      // and again for each element like it.
      if (pos < childReach) pos = childReach;
    }
  }

private:
  // Position of the first ch in [from, end), or -1.
  int FindByte(int from, int end, char ch) const {
    if (from >= end) return -1;
    const void* found = std::memchr(text + from, ch, static_cast<size_t>(end - from));
    return found ? static_cast<int>(static_cast<const char*>(found) - text) : -1;
  }

  // name="value" pairs from the first blank of the tag to its end. A value whose
  // quotes are missing is empty and ends the list, as nothing after it can be
  // told apart reliably.
  bool ReadAttributes(int pos, int end, KxList<KxXmlAttribute>& attributes) const {
    for (;;) {
      int equals = FindByte(pos, end, '=');
      if (equals < 0) return true;
      KxList<KxXmlAttribute>::Node* node = attributes.Add(KxXmlAttribute());
      if (!node) return false;
      node->value.name.Assign(text + pos, equals - pos);
      node->value.name.Trim();
      int open = FindByte(equals + 1, end, '"');
      int close = open < 0 ? -1 : FindByte(open + 1, end, '"');
      if (close < 0) return true;
      node->value.value.Assign(text + open + 1, close - open - 1);
      pos = close + 1;
    }
  }

  // Position of the first "</" name ">" at or after from, or -1. Every match ends at a
  // ">", and name, "<" and "/" hold no ">", so each candidate is compared backwards
  // from its ">" and the comparison stops before the previous ">": the search reads
  // each byte at most twice whatever the name, where a plain search could take
  // length x name length for a long name made of repeated "</x".
  int FindEndTag(int from, const char* name, int nameLength) const {
    int patternLength = nameLength + 3;
    for (int gt = FindByte(from, length, '>'); gt >= 0; gt = FindByte(gt + 1, length, '>')) {
      int start = gt - patternLength + 1;
      if (start < from) continue;
      int i = nameLength - 1;
      while (i >= 0 && text[start + 2 + i] == name[i]) --i;
      if (i < 0 && text[start] == '<' && text[start + 1] == '/') return start;
    }
    return -1;
  }

  const char* text;
  int length;
  int lastGt;  // position of the last ">", -1 when there is none
};

// The value of key="..." in [from, end) of text; false (value untouched) when the key
// or either quote is missing. next is set past the closing quote.
bool ReadDeclarationItem(const KxString& text, int from, int end, const char* key, KxString& value,
                         int& next) {
  int at = text.Find(from, key);
  int keyLength = static_cast<int>(std::strlen(key));
  if (at < 0 || at + keyLength > end) return false;
  int open = at + keyLength;
  int close = text.Find(open, "\"");
  if (close < 0 || close >= end) return false;
  value = text.Mid(close - open, open);
  next = close + 1;
  return true;
}

}  // namespace

bool ParseXml(const KxString& text, KxXmlDocument& document) {
  document.version = "1.0";
  document.encoding = "gb2312";
  document.elements.Clear();

  int start = 0;
  int declaration = text.Find(0, "<?xml");
  if (declaration >= 0) {
    int from = declaration + 5;
    int end = text.Find(from, "?>");
    if (end < 0) return false;
    int next = from;
    ReadDeclarationItem(text, from, end, "version=\"", document.version, next);
    ReadDeclarationItem(text, next, end, "encoding=\"", document.encoding, next);
    start = end + 2;
  }
  XmlReader reader(text.CStr(), text.Length());
  int reach = start;
  return reader.ReadLevel(document.elements, 1, start, reach);
}

KxString XmlAttribute(const KxXmlElement& element, const KxString& name) {
  for (const auto& item : element.attributes) {
    if (item.name == name) return item.value;
  }
  return KxString();
}
