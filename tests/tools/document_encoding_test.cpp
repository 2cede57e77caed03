// Documents in UTF-16, UTF-32 and a declared encoding: read into UTF-8 and
// written back byte for byte, refused where their bytes are not characters,
// and a character the encoding cannot hold kept only where a reference can
// stand for it.
#include "tools/document_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using orvelxml::DecodeDocument;
using orvelxml::Diagnostic;
using orvelxml::DocumentEncoding;
using orvelxml::EncodeDocument;

// The code points of text in units of width bytes, in the given byte order.
std::string Units(const std::u32string& text, int width, bool big) {
  std::string out;
  const auto unit = [&](unsigned long v) {
    for (int k = 0; k < width; ++k) out.push_back(static_cast<char>(v >> (8 * (big ? width - 1 - k : k))));
  };
  for (const char32_t c : text) {
    if (width == 2 && c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  return out;
}

TEST(DocumentEncoding, UnicodeFormsRoundTripAtTheEdgesOfEachUnit) {
  const std::u32string text =
      U"<?xml version=\"1.0\"?><r>\u007F\u0080\u07FF\uD7FF\uE000\uFFFD\U00010000\U0010FFFF</r>";
  const std::string utf8 =
      "<?xml version=\"1.0\"?><r>\x7F\xC2\x80\xDF\xBF\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBD"
      "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF</r>";
  for (const int width : {2, 4}) {
    for (const bool big : {false, true}) {
      for (const bool mark : {false, true}) {
        const std::string bytes = (mark ? Units(U"\uFEFF", width, big) : "") + Units(text, width, big);
        std::string read = bytes;
        DocumentEncoding encoding;
        Diagnostic why{0, ""};
        ASSERT_TRUE(DecodeDocument(&read, &encoding, &why)) << why.message;
        EXPECT_EQ(read, utf8) << encoding.name << (mark ? " with a mark" : "");
        std::string written;
        ASSERT_TRUE(EncodeDocument(read, encoding, &written, &why)) << why.message;
        EXPECT_EQ(written, bytes) << encoding.name << (mark ? " with a mark" : "");
      }
    }
  }
}

TEST(DocumentEncoding, RefusesUnitsThatAreNoCharacter) {
  const std::string start = Units(U"<?xml version=\"1.0\"?><r>", 2, false);
  const std::string start32 = Units(U"<?xml version=\"1.0\"?><r>", 4, true);
  const struct {
    std::string bytes;
    const char* message;  // offsets are all at the text read so far: 24 characters
  } cases[] = {
      {start + Units(U"a", 2, false).substr(0, 1), "the file ends inside a character"},
      {start + std::string("\x00\xD8", 2) + Units(U"</r>", 2, false), "the surrogate U+D800 stands without"},
      {start + std::string("\x00\xDC", 2) + Units(U"</r>", 2, false), "the surrogate U+DC00 stands without"},
      {start + std::string("\xFF\xDB", 2), "the surrogate U+DBFF stands without"},
      {start32 + std::string("\x00\x11\x00\x00", 4), "U+110000 is no character"},
      {start32 + std::string("\x00\x00\xDF\xFF", 4), "U+DFFF is no character"},
  };
  for (const auto& c : cases) {
    std::string read = c.bytes;
    DocumentEncoding encoding;
    Diagnostic why{0, ""};
    EXPECT_FALSE(DecodeDocument(&read, &encoding, &why));
    EXPECT_NE(why.message.find(c.message), std::string::npos) << why.message;
    EXPECT_EQ(why.offset, 24) << why.message;
  }
}

TEST(DocumentEncoding, ACharacterLatin1CannotHoldIsAReferenceOnlyInText) {
  std::string read = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r a=\"caf\xE9\">\xE9</r>";
  const std::string bytes = read;
  DocumentEncoding encoding;
  Diagnostic why{0, ""};
  ASSERT_TRUE(DecodeDocument(&read, &encoding, &why, {false, true})) << why.message;
  ASSERT_EQ(read, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r a=\"caf\xC3\xA9\">\xC3\xA9</r>");
  std::string written;
  ASSERT_TRUE(EncodeDocument(read, encoding, &written, &why));
  EXPECT_EQ(written, bytes);

  const std::string prolog =
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!DOCTYPE r [<!-- it's ] > --><?p [\"?>"
      "<!ENTITY e 'x > ]'>]>";
  const std::string smile = "\xE2\x98\xBA";
  const struct {
    std::string text;
    const char* written;  // after the prolog; null when refused
    const char* place;
  } cases[] = {
      {"<r>" + smile + "<a b=\">\"/>" + smile + "</r>", "<r>&#x263A;<a b=\">\"/>&#x263A;</r>", ""},
      {"<r><a b='" + smile + "'/></r>", nullptr, "an attribute value"},
      {"<r><a" + smile + "/></r>", nullptr, "a name"},
      {"<r><!-- " + smile + " --></r>", nullptr, "a comment"},
      {"<r><![CDATA[" + smile + "]]></r>", nullptr, "a CDATA section"},
      {"<r><?p " + smile + "?></r>", nullptr, "a processing instruction"},
  };
  for (const auto& c : cases) {
    why = {0, ""};
    const bool encoded = EncodeDocument(prolog + c.text, encoding, &written, &why);
    EXPECT_EQ(encoded, c.written != nullptr) << c.text;
    if (encoded) {
      EXPECT_EQ(written, prolog + c.written);
    } else {
      EXPECT_NE(why.message.find(std::string("U+263A in ") + c.place), std::string::npos) << why.message;
      EXPECT_EQ((prolog + c.text).compare(static_cast<std::size_t>(why.offset), smile.size(), smile), 0)
          << "placed at the character";
    }
  }
}

}  // namespace
