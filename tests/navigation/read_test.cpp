// Reads: tag names, node names, contents, inner and element markup.
#include <gtest/gtest.h>

#include <string>

#include "doc_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

TEST(TagName, ReadsTheNameInPlace) {
  struct Case {
    const char* text;
    const char* name;
  } cases[] = {
      {"<item k='v'/>", "item"}, {"<a>x</a>", "a"},           {"<p:x\n/>", "p:x"},
      {"<a\tb='1'></a>", "a"},   {"<\xC3\xA9l\xC3\xA8ve/>", "\xC3\xA9l\xC3\xA8ve"},
      {"<a.b-c_d/>", "a.b-c_d"},
  };
  for (const Case& c : cases) EXPECT_EQ(AtRoot(c.text)->TagName(1), c.name) << c.text;
  EXPECT_EQ(AtRoot("<a/>")->TagName(0), "");
}

TEST(Content, DecodesTextAndCDataAndLeavesOutOtherMarkup) {
  struct Case {
    const char* text;
    const char* content;
    const char* inner;
  } cases[] = {
      {"<a>1 &amp; <![CDATA[<2>]]><!--n--></a>", "1 & <2>", "1 &amp; <![CDATA[<2>]]><!--n-->"},
      {"<a>x &lt; y&#x20AC;</a>", "x < y\xE2\x82\xAC", "x &lt; y&#x20AC;"},
      {"<a> <?p?> b</a>", " b", " <?p?> b"},  // white space before a tag is a space token, left out
      {"<a><![CDATA[]]>&amp;amp;</a>", "&amp;", "<![CDATA[]]>&amp;amp;"},
      {"<a>line\r\nnext</a>", "line\r\nnext", "line\r\nnext"},  // line breaks kept as written
      {"<a></a>", "", ""},
      {"<a/>", "", ""},
      {"<a><b>x</b></a>", "", "<b>x</b>"},  // an element with child elements has no text content
      {"<a>x<b/>y</a>", "", "x<b/>y"},
      {"<a>t<!--<b>--></a>", "t", "t<!--<b>-->"},  // a tag inside a comment is no child
  };
  for (const Case& c : cases) {
    auto doc = AtRoot(c.text);
    EXPECT_EQ(doc->Content(doc->mainPos), c.content) << c.text;
    EXPECT_EQ(doc->InnerMarkup(doc->mainPos), c.inner) << c.text;
  }
}

TEST(Content, ChildContentAndTheDocumentRecord) {
  auto doc = Parse("<r><a>one</a><b>two &gt;</b></r>");
  doc->SeekChildElement("b");
  EXPECT_EQ(doc->Content(doc->childPos), "two >");
  EXPECT_EQ(doc->Content(doc->mainPos), "");
  EXPECT_EQ(doc->InnerMarkup(0), "");
  // A text without elements: the document record has no child, so its content is the text.
  auto plain = Parse("just &amp; text");
  EXPECT_EQ(plain->Content(0), "just & text");
}

TEST(Content, OfTheCurrentNodeByType) {
  struct Case {
    const char* text;
    int mask;
    const char* content;
  } cases[] = {
      {"<r>a &amp; b</r>", NodeText, "a & b"},
      {"<r><![CDATA[x&amp;]]></r>", NodeCData, "x&amp;"},
      {"<r><?pi a='1'?></r>", NodeInstruction, "pi a='1'"},
      {"<r><!-- c --></r>", NodeComment, " c "},
      {"<r></q></r>", NodeEndTag, "q"},
      {"<r> <a/></r>", NodeSpace, " "},
      {"<r><1 &amp;></r>", NodeBadMarkup, "<1 &amp;>"},
      {"<r><!---->x</r>", NodeComment, ""},
  };
  for (const Case& c : cases) {
    auto doc = AtRoot(c.text);
    doc->EnterElement();
    ASSERT_EQ(doc->SeekNode(c.mask), c.mask) << c.text;
    EXPECT_EQ(doc->Content(doc->mainPos), c.content) << c.text;
  }
}

TEST(ReadNodeName, ByNodeType) {
  struct Case {
    const char* text;
    int mask;
    const char* name;
  } cases[] = {
      {"<?xml version='1.0'?><r/>", NodeInstruction, "xml"},
      {"<!DOCTYPE html><html/>", NodeDoctype, "html"},
      {"<!-- c --><r/>", NodeComment, "#comment"},
      {"<![CDATA[c]]><r/>", NodeCData, "#cdata-section"},
      {"t<r/>", NodeText, "#text"},
      {" <r/>", NodeSpace, "#text"},
      {"</end><r/>", NodeEndTag, "end"},
      {"<1><r/>", NodeBadMarkup, ""},
  };
  for (const Case& c : cases) {
    auto doc = Parse(c.text);
    ASSERT_EQ(doc->SeekNode(c.mask), c.mask) << c.text;
    EXPECT_EQ(doc->ReadNodeName(), c.name) << c.text;
  }
  auto doc = AtRoot("<root/>");
  EXPECT_EQ(doc->ReadNodeName(), "root");
  doc->RewindSiblings();
  EXPECT_EQ(doc->ReadNodeName(), "");
}

TEST(ElementMarkup, TakesTrailingSpaceOnlyBeforeATagOrTheEnd) {
  struct Case {
    const char* text;
    const char* child;
    const char* markup;
  } cases[] = {
      {"<r><a/> \r\n\t<b/></r>", "a", "<a/> \r\n\t"},
      {"<r><a/>  x<b/></r>", "a", "<a/>"},
      {"<r><a>t</a></r>", "a", "<a>t</a>"},
      {"<r><a k='>'>t</a>\n</r>", "a", "<a k='>'>t</a>\n"},
  };
  for (const Case& c : cases) {
    auto doc = Parse(c.text);
    ASSERT_TRUE(doc->SeekChildElement(c.child));
    EXPECT_EQ(doc->ElementMarkup(doc->childPos), c.markup) << c.text;
  }
  auto doc = AtRoot("<r/>  \n");
  EXPECT_EQ(doc->ElementMarkup(doc->mainPos), "<r/>  \n");
  EXPECT_EQ(doc->ElementMarkup(0), "");
}

}  // namespace
}  // namespace orvel
