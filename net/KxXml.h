#pragma once

#include "kx/base/KxList.h"
#include "kx/base/KxString.h"

// A minimal, non-validating reader for the small XML texts the update server sends
// (the update description and the plug-in catalogue). It builds a tree of elements
// with their attributes and texts; there is no writer.
//
// What it reads: an optional "<?xml ...?>" declaration, then elements. A tag's name
// runs up to its first blank; attributes are name="value" pairs taken literally (no
// entities); a tag ending in "/" closes itself. An element is closed by the first
// "</name>" after its start tag, so it cannot hold a descendant of its own name.
// Comments, processing instructions and CDATA are not understood: "<!--x-->" reads as
// an element named "!--x--".

struct KxXmlAttribute {
  KxString name;
  KxString value;
};

struct KxXmlElement {
  KxString name;
  // The raw bytes between the start tag and the end tag, only for an element without
  // child elements; empty otherwise.
  KxString text;
  KxList<KxXmlAttribute> attributes;  // in document order
  KxList<KxXmlElement> children;      // in document order; owned, like every list here
};

struct KxXmlDocument {
  KxString version = "1.0";      // as the declaration gives it
  KxString encoding = "gb2312";  // stored only: the text is always read as GB2312 bytes
  KxList<KxXmlElement> elements;  // the top-level elements, in document order
};

// Elements nested deeper than this make ParseXml fail.
constexpr int kXmlMaxDepth = 64;

// Fills document from text, replacing what it held. False on a declaration without
// its "?>", a missing end tag or nesting deeper than kXmlMaxDepth; the elements read
// up to then stay in the document. Any bytes are safe: the work is linear in the
// length of the text.
bool ParseXml(const KxString& text, KxXmlDocument& document);

// The value of the first attribute whose name equals name exactly (case-sensitive);
// the empty string when there is none.
KxString XmlAttribute(const KxXmlElement& element, const KxString& name);
