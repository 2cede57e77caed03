// Names compared without letter case fold the ASCII letters and nothing else,
// also in a process whose locale (Latin-1 here) says that 0xC0 is the upper
// case of 0xE0.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>

#include "engine/scanner.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

int AsciiLower(int c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

TEST(NameFold, OnlyAsciiLettersFoldInALatin1Locale) {
  const char* path = std::getenv("LOCPATH");
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.ISO-8859-1"), nullptr) << "LOCPATH " << (path ? path : "unset");
  // (The C library's tables; the address-checked build replaces strncasecmp by one of its own.)
  ASSERT_EQ(std::tolower(0xC0), 0xE0) << "the locale folds Latin-1 letters";
  int wrong = 0;
  for (int a = 1; a < 256; ++a) {
    for (int b = 1; b < 256; ++b) {
      const char range[] = {static_cast<char>(a), '\0'};
      const char name[] = {static_cast<char>(b), '\0'};
      ScanCursor cursor(range, DocNoCase);
      cursor.nameStart = cursor.nameEnd = 0;
      if (NameMatches(cursor, name) != (AsciiLower(a) == AsciiLower(b)) && wrong++ < 5)
        ADD_FAILURE() << "bytes " << a << " and " << b;
    }
  }
  EXPECT_EQ(wrong, 0);
  // The same rule closes elements in a parse.
  XmlDocument doc;
  doc.docFlags = DocNoCase;
  EXPECT_TRUE(doc.ParseText("<Ab>x</aB>"));
  EXPECT_FALSE(doc.ParseText("<\xC0>x</\xE0>"));
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace orvel
