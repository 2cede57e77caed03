// libFuzzer target: the encoding transforms on any bytes. Escaping then
// decoding gives the input back, in content and in attribute mode; a CDATA
// wrapping read back as an element's content gives the input back; decoding
// reads nothing outside its span (the input is the span, in a heap block of
// exactly its size).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/encoding.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace {

void Require(bool ok, const char* what, const std::string& input) {
  if (ok) return;
  std::fprintf(stderr, "%s for input of %zu bytes\n", what, input.size());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* span = reinterpret_cast<const char*>(data);
  orvel::DecodeText(span, static_cast<std::int32_t>(size));

  const std::string input(span, size);
  const std::string text = input.c_str();  // callers pass NUL-terminated strings
  for (const int flags : {0, static_cast<int>(orvel::EditAttribute)}) {
    const std::string escaped = orvel::EscapeText(text.c_str(), flags);
    Require(escaped.find_first_of(flags ? "<>\"'" : "<>") == std::string::npos,
            "a special byte left unescaped", input);
    Require(orvel::DecodeText(escaped.c_str(), -1) == text, "escape then decode changed the text", input);
  }
  const std::string kept = orvel::EscapeText(text.c_str(), orvel::EditKeepRefs | orvel::EditAttribute);
  Require(kept.find_first_of("<>\"'") == std::string::npos,
          "a special byte left unescaped with references kept", input);

  // Written as content in CDATA sections, the text reads back unchanged.
  orvel::XmlDocument doc;
  doc.ParseText(("<a>" + orvel::WrapCData(text.c_str()) + "</a>").c_str());
  Require(doc.IsDocumentValid(), "CDATA content does not parse", input);
  Require(doc.Content(1) == text, "CDATA content reads back otherwise", input);
  std::string node;
  const bool built = orvel::BuildNodeMarkup(orvel::NodeCData, text.c_str(), node);
  Require(built == (text.find("]]>") == std::string::npos), "a CDATA node accepted or refused wrongly",
          input);
  return 0;
}
