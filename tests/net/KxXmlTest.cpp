#include "net/KxXml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The tree as one line: name{attr=value;...}"text"(children), siblings apart by a blank.
std::string Dump(const KxList<KxXmlElement>& list) {
  std::string out;
  for (const KxXmlElement& e : list) {
    if (!out.empty()) out += ' ';
    out += e.name.CStr();
    if (!e.attributes.IsEmpty()) {
      out += '{';
      for (const KxList<KxXmlAttribute>::Node* a = e.attributes.Head(); a; a = a->next) {
        out += std::string(a->value.name.CStr()) + "=" + a->value.value.CStr();
        if (a->next) out += ';';
      }
      out += '}';
    }
    if (!e.text.IsEmpty()) out += std::string("\"") + e.text.CStr() + "\"";
    if (!e.children.IsEmpty()) out += "(" + Dump(e.children) + ")";
  }
  return out;
}

// depth elements, each closed by its own end tag, around the text x.
std::string Nest(int depth) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    open += "<e" + std::to_string(i) + ">";
    close = "</e" + std::to_string(i) + ">" + close;
  }
  return open + "x" + close;
}

KxString Bytes(const std::string& s) { return KxString(s.data(), static_cast<int>(s.size())); }

}  // namespace

TEST(KxXmlTest, ParsesTable) {
  struct Case {
    const char* input;
    bool ok;
    const char* version;
    const char* encoding;
    const char* tree;  // what the document holds afterwards, also after a failure
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"gb2312\"?><soft><main name=\"Velix\" ver=\"1.1\" "
       "path=\"soft/velix.vlx\"><p flag=\"5\" name=\"plug\" ver=\"2\" path=\"soft/p5.vlx\"/></main></soft>",
       true, "1.0", "gb2312",
       "soft(main{name=Velix;ver=1.1;path=soft/velix.vlx}(p{flag=5;name=plug;ver=2;path=soft/p5.vlx}))"},
      // The declaration: its items, the encoding searched after the version, text before it skipped.
      {"<?xml version=\"1.1\" encoding=\"utf-8\"?>\r\n<a/>", true, "1.1", "utf-8", "a"},
      {"<?xml encoding=\"utf-8\" version=\"2\"?><a/>", true, "2", "gb2312", "a"},
      {"<skipped/><?xml?><a/>", true, "1.0", "gb2312", "a"},
      {"<a/><?xml version=\"1.1\"", false, "1.0", "gb2312", ""},
      // Elements, texts and attributes.
      {"<a>t</a>", true, "1.0", "gb2312", "a\"t\""},
      {"<a></a>", true, "1.0", "gb2312", "a"},
      {"<a x=\"1\"/>", true, "1.0", "gb2312", "a{x=1}"},
      {"<  a  x = \"1\"  y=\"a b\"/><b / >t</b>", true, "1.0", "gb2312", "a{x=1;y=a b} b\"t\""},
      {"<a><b>t</b></a>", true, "1.0", "gb2312", "a(b\"t\")"},
      {"<a>x<b/>y</a>", true, "1.0", "gb2312", "a(b)"},
      {"<a>1</x>&amp;2</a>", true, "1.0", "gb2312", "a\"1</x>&amp;2\""},
      {"<a><b>t</a>", false, "1.0", "gb2312", "a(b)"},
      // The first end tag of the name closes the element; the outer end tag ends the top level.
      {"<a><a>t</a></a><b/>", true, "1.0", "gb2312", "a(a\"t\")"},
      {"<a/><><b/>", true, "1.0", "gb2312", "a"},
      {"<!--c--><a/>", false, "1.0", "gb2312", "!--c--(a)"},
      // Hostile input.
      {"<a", true, "1.0", "gb2312", ""},
      {"<a><b", false, "1.0", "gb2312", "a"},
      {"<a x=\"1 y=2/>", true, "1.0", "gb2312", "a{x=}"},
      {"<a x=1 y=\"2\"/>", true, "1.0", "gb2312", "a{x=2}"},
      {"<a x=1/><b =\"\" = />", true, "1.0", "gb2312", "a{x=} b{=;=}"},
      // The end tag of a lies inside b's text: reading goes on after b, not inside it again.
      {"<a><b></a><a><b></a></b>", true, "1.0", "gb2312", "a(b\"</a><a><b></a>\")"},
  };
  for (const Case& c : cases) {
    KxXmlDocument doc;
    doc.elements.Add(KxXmlElement());  // a reused document starts empty
    EXPECT_EQ(ParseXml(c.input, doc), c.ok) << c.input;
    EXPECT_EQ(doc.version, c.version) << c.input;
    EXPECT_EQ(doc.encoding, c.encoding) << c.input;
    EXPECT_EQ(Dump(doc.elements), c.tree) << c.input;
  }
}

TEST(KxXmlTest, AttributeLookupIsExactAndFirstWins) {
  KxXmlDocument doc;
  ASSERT_TRUE(ParseXml("<a Name=\"x\" name=\"y\" name=\"z\"/>", doc));
  const KxXmlElement& a = doc.elements.Head()->value;
  EXPECT_EQ(XmlAttribute(a, "name"), "y");
  EXPECT_EQ(XmlAttribute(a, "Name"), "x");
  EXPECT_EQ(XmlAttribute(a, "NAME"), "");
  EXPECT_EQ(XmlAttribute(a, "nam"), "");
}

// Nesting is capped. Children whose text holds the parent's end tag are not read again
// at the parent's level: a reader that did would take time and memory quadratic in the
// input here (a top-level element per repetition, each holding the rest of the input).
// End-tag search for a long name among near-misses that end in ">".
TEST(KxXmlTest, DepthCapAndHostileInput) {
  KxXmlDocument doc;
  EXPECT_TRUE(ParseXml(Bytes(Nest(kXmlMaxDepth)), doc));
  const KxXmlElement* inner = &doc.elements.Head()->value;
  for (int i = 1; i < kXmlMaxDepth; ++i) inner = &inner->children.Head()->value;
  EXPECT_EQ(inner->text, "x");
  EXPECT_FALSE(ParseXml(Bytes(Nest(kXmlMaxDepth + 1)), doc));

  std::string reread;
  for (int i = 0; i < 100000; ++i) reread += "<a><b></a>";
  reread += "</b>";
  ASSERT_TRUE(ParseXml(Bytes(reread), doc));
  EXPECT_EQ(doc.elements.Count(), 1);
  EXPECT_EQ(doc.elements.Head()->value.children.Head()->value.text.Length(), 1000000 - 6);

  std::string name = "x", nearMiss;
  for (int i = 0; i < 1000; ++i) name += "</x";
  for (int i = 0; i < 3; ++i) nearMiss += "</" + name.substr(3) + "></" + name + "/>";
  ASSERT_TRUE(ParseXml(Bytes("<" + name + ">" + nearMiss + "</" + name + ">"), doc));
  EXPECT_EQ(Dump(doc.elements), name + "\"" + nearMiss + "\"");
}
