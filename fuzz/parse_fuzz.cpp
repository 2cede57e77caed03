// libFuzzer target: any bytes through ParseText and ReindentDocument with the
// table checker's proof and the literal rules (ParseInvariantsHold); then a
// walk that reads every node, attribute and content of the parsed text, which
// must leave the text byte for byte as it came and hand it back whole. The
// same bytes loaded as a file (NUL bytes kept) are walked too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "component/text_result.h"
#include "engine/xml_document.h"
#include "tests/support/document_walk.h"
#include "tests/support/parse_invariants.h"
#include "tests/support/table_checker.h"

namespace {

void Require(const ::testing::AssertionResult& result, const char* when) {
  if (result) return;
  std::fprintf(stderr, "%s: %s\n", when, result.message());
  std::abort();
}

void Require(bool ok, const char* what) {
  Require(ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << what, "check");
}

// Walks doc and checks that reading changed nothing and the text comes back whole.
void WalkAndHandBack(orvel::XmlDocument& doc, const std::string& expected) {
  orvel::test::ReadWholeDocument(doc);
  Require(doc.text == expected, "a read changed the text");
  Require(orvel::test::CheckTable(doc), "after the walk");
  const std::size_t visible = std::strlen(doc.text.c_str());  // a host sees the text up to its NUL
  std::string buffer(visible + 1, '#');
  Require(orvel::HandBackTextUpToNul(doc.text, &buffer[0], static_cast<int>(buffer.size())) == 1,
          "hand back failed");
  Require(std::memcmp(buffer.data(), doc.text.data(), visible) == 0 && buffer[visible] == '\0',
          "the text handed back differs");
  std::string tight(visible, '#');
  if (visible > 0) {
    orvel::HandBackTextUpToNul(doc.text, &tight[0], static_cast<int>(visible));
    Require(tight == std::string(visible, '#'), "a buffer one byte short was written");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Require(orvel::test::ParseInvariantsHold(bytes), "parse invariants");

  orvel::XmlDocument parsed;
  parsed.ParseText(bytes.c_str());
  WalkAndHandBack(parsed, std::string(bytes.c_str()));

  // As a file load gives it: every byte, NUL bytes included.
  orvel::XmlDocument loaded;
  loaded.text = bytes;
  loaded.ParseDocument();
  Require(orvel::test::CheckTable(loaded), "after a parse of text holding NUL bytes");
  WalkAndHandBack(loaded, bytes);
  return 0;
}
