#include "engine/fragment_parse.h"

namespace orvel {

ParsedFragment ParseFragment(XmlDocument& doc, const char* markup, std::int32_t level) {
  ParsedFragment f;
  f.holder = doc.AllocRecord();
  ElementRecord& holder = doc.Rec(f.holder);
  holder = ElementRecord{};
  holder.SetLevel(level);
  ScanCursor cursor(markup, doc.docFlags);
  f.first = doc.ParseMarkup(f.holder, cursor);
  const ElementRecord& parsed = doc.Rec(f.holder);
  f.last = f.first != 0 ? doc.Rec(f.first).prevSibling : 0;
  f.parseError = parsed.Has(ElemParseError);
  f.innerError = parsed.Has(ElemInnerError);
  return f;
}

void PlaceFragment(XmlDocument& doc, const ParsedFragment& fragment, std::int32_t delta) {
  if (fragment.first == 0 || delta == 0) return;
  doc.ShiftFollowing(fragment.first, delta, false);  // ends at the placeholder
  doc.Rec(fragment.first).start += delta;
}

}  // namespace orvel
