// libFuzzer target: the XML reader, over texts as they come from the network.

#include <stddef.h>
#include <stdint.h>

#include "net/KxXml.h"

namespace {

// Every byte of the input lands in at most one name, attribute or text, so the tree
// never holds more than the input; deeper nesting than the cap never appears, and an
// element with children has no text. Each attribute is found again by its name.
long long Check(const KxList<KxXmlElement>& list, int depth) {
  if (!list.IsEmpty() && depth > kXmlMaxDepth) __builtin_trap();
  long long bytes = 0;
  for (const KxXmlElement& e : list) {
    if (!e.children.IsEmpty() && !e.text.IsEmpty()) __builtin_trap();
    bytes += e.name.Length() + e.text.Length();
    for (const KxList<KxXmlAttribute>::Node* a = e.attributes.Head(); a; a = a->next) {
      bytes += a->value.name.Length() + a->value.value.Length();
      KxString found = XmlAttribute(e, a->value.name);
      const KxList<KxXmlAttribute>::Node* first = e.attributes.Head();
      while (first->value.name != a->value.name) first = first->next;
      if (found != first->value.value) __builtin_trap();
    }
    bytes += Check(e.children, depth + 1);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 30)) return 0;
  KxString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
  KxXmlDocument document;
  ParseXml(text, document);
  if (Check(document.elements, 1) > static_cast<long long>(size)) __builtin_trap();
  return 0;
}
