#include "engine/fragment_parse.h"

#include <cstring>

#include "engine/markup_parser.h"

namespace orvel {

FragmentUndo::FragmentUndo(XmlDocument& doc, const char* markup)
    : doc_(doc), status_(doc.status), records_(doc.recordCount) {
  std::size_t most = 1;
  for (const char* p = std::strchr(markup, '<'); p != nullptr; p = std::strchr(p + 1, '<')) ++most;
  for (std::int32_t r = doc.freeHead; r != 0 && chain_.size() < most; r = doc.Rec(r).nextSibling)
    chain_.push_back(r);
}

FragmentUndo::~FragmentUndo() {
  if (kept_) return;
  // The parse took the chain's first records, up to the one that heads it now.
  std::size_t taken = chain_.size();
  for (std::size_t j = 0; j < chain_.size(); ++j)
    if (chain_[j] == doc_.freeHead) {
      taken = j;
      break;
    }
  while (taken > 0) {
    const std::int32_t r = chain_[--taken];
    doc_.Rec(r).nextSibling = doc_.freeHead;
    doc_.Rec(r).levelFlags = ElemFreed;
    doc_.freeHead = r;
  }
  doc_.recordCount = records_;
  doc_.status.swap(status_);
}

ParsedFragment ParseFragment(XmlDocument& doc, const char* markup, std::int32_t level) {
  ParsedFragment f;
  f.holder = doc.AllocRecord();
  ElementRecord& holder = doc.Rec(f.holder);
  holder = ElementRecord{};
  holder.SetLevel(level);
  ScanCursor cursor(markup, doc.docFlags);
  NoSpaceHook hook;
  MarkupParser<NoSpaceHook> parser(doc, f.holder, cursor, hook);
  f.first = parser.Run();
  f.exceedsLimit = parser.HitLimit();
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
