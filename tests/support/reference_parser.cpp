#include "tests/support/reference_parser.h"

#include <cstring>
#include <sstream>

#include "orvel/constants.h"

namespace orvel {
namespace test {

namespace {

class ReferenceParser {
 public:
  ReferenceParser(std::vector<ElementRecord>& recs, std::string& status, std::string* reindented)
      : recs_(recs), status_(status), text_(reindented) {}

  std::int32_t Run(std::int32_t root, ScanCursor& cursor) {
    const std::int32_t base = recs_[static_cast<std::size_t>(root)].Level();
    cursor.pos = 0;
    status_.clear();
    std::vector<MarkupToken> stack(1);
    std::int32_t depth = 0, parent = root, current = root, first = 0;
    for (;;) {
      MarkupToken& token = stack[static_cast<std::size_t>(depth)];
      const int type = ScanTokenStepwise(cursor, token);
      if (type == NodeElement) {
        const std::int32_t r = static_cast<std::int32_t>(recs_.size());
        recs_.push_back(ElementRecord{});
        current = r;
        if (first == 0) first = r;
        Rec(r).nextSibling = 0;
        Rec(r).parent = parent;
        std::uint32_t flags = 0;
        if (Rec(parent).firstChild == 0) {
          Rec(parent).firstChild = r;
          Rec(r).prevSibling = r;
          flags = ElemFirstChild;
        } else {
          const std::int32_t last = Rec(Rec(parent).firstChild).prevSibling;
          Rec(last).nextSibling = r;
          Rec(r).prevSibling = last;
          Rec(Rec(parent).firstChild).prevSibling = r;
        }
        Rec(r).firstChild = 0;
        Rec(r).levelFlags = flags | static_cast<std::uint32_t>(base + depth);
        Rec(r).start = token.start;
        Rec(r).SetStartTagLength(token.length);
        if (token.flags & TokenEmptyTag) {
          Rec(r).SetEndTagLength(0);
          Rec(r).length = token.length;
          current = parent;
        } else {
          ++depth;
          parent = r;
          stack.resize(static_cast<std::size_t>(depth) + 1);
          stack[static_cast<std::size_t>(depth)].depth = depth;
        }
      } else if (type == ScanEndTag) {
        std::int32_t n = depth;
        while (n > 0 && !NameMatches(cursor, stack[static_cast<std::size_t>(n) - 1].text.c_str())) --n;
        if (n == 0) {
          Rec(root).Set(ElemParseError);
          Rec(current).Set(ElemInnerError);
          if (status_.empty())
            status_ = "No start tag for end tag '" + CursorText(cursor) + "' at offset " + std::to_string(token.start);
          continue;
        }
        std::int32_t matched = current;
        for (std::int32_t up = depth - n; up > 0; --up) matched = Rec(matched).parent;
        Rec(matched).length = token.start + token.length - Rec(matched).start;
        Rec(matched).SetEndTagLength(token.length);
        while (depth > n) Close(root, stack, depth, parent, current, &cursor);
        parent = current = Rec(matched).parent;
        --depth;
      } else if (type == ScanBadMarkup) {
        Rec(root).Set(ElemParseError);
        Rec(current).Set(ElemInnerError);
        if (status_.empty()) status_ = token.text;
      } else if (type == NodeSpace && text_ != nullptr) {
        Reindent(cursor, stack, depth);
      } else if (type == ScanAtEnd) {
        while (depth > 0) Close(root, stack, depth, parent, current, nullptr);
        return first;
      }
    }
  }

 private:
  ElementRecord& Rec(std::int32_t i) { return recs_[static_cast<std::size_t>(i)]; }

  // Closes the current element as one without end tag; endTag: the cursor
  // holds the name of the outer end tag that ends it.
  void Close(std::int32_t root, std::vector<MarkupToken>& stack, std::int32_t& depth, std::int32_t& parent,
             std::int32_t& current, const ScanCursor* endTag) {
    const std::int32_t e = current;
    Rec(root).Set(ElemParseError);
    Rec(e).SetEndTagLength(0);
    Rec(e).length = Rec(e).StartTagLength();
    Rec(e).Set(ElemOpen);
    const std::int32_t firstMoved = Rec(e).firstChild;
    Rec(e).firstChild = 0;
    const std::int32_t up = Rec(e).parent;
    if (Rec(e).Has(ElemInnerError)) {
      Rec(e).Clear(ElemInnerError);
      Rec(up).Set(ElemInnerError);
    }
    if (firstMoved != 0) {
      const std::int32_t lastMoved = Rec(firstMoved).prevSibling;
      std::int32_t previous = e;
      for (std::int32_t c = firstMoved; c != 0; c = Rec(c).nextSibling) {
        Rec(c).parent = up;
        Rec(c).prevSibling = previous;
        previous = c;
      }
      Rec(e).nextSibling = firstMoved;
      Rec(firstMoved).Clear(ElemFirstChild);
      Rec(Rec(up).firstChild).prevSibling = lastMoved;
    }
    parent = current = up;
    const std::string& name = stack[static_cast<std::size_t>(depth) - 1].text;
    --depth;
    if (!status_.empty()) return;
    if (endTag != nullptr)
      status_ = "End tag '" + CursorText(*endTag) + "' at offset " + std::to_string(endTag->nameStart - 1) +
                " does not match start tag '" + name + "' at offset " + std::to_string(Rec(e).start);
    else
      status_ = "Element '" + name + "' at offset " + std::to_string(Rec(e).start) + " not ended";
  }

  void Reindent(ScanCursor& cursor, const std::vector<MarkupToken>& stack, std::int32_t depth) {
    std::string& text = *text_;
    const std::size_t q = static_cast<std::size_t>(cursor.pos);
    std::int32_t want = stack[static_cast<std::size_t>(depth)].depth;
    if (q == text.size() || text.compare(q, 2, "<!") == 0) return;
    if (text.compare(q, 2, "</") == 0) {
      const std::size_t end = text.find_first_of(std::string(" \t\n\r/>\0", 7), q + 2);
      const std::string name = text.substr(q + 2, end == std::string::npos ? std::string::npos : end - q - 2);
      for (std::int32_t k = 0; k <= depth; ++k)
        if (stack[static_cast<std::size_t>(k)].text == name) {
          want = stack[static_cast<std::size_t>(k)].depth;
          break;
        }
    }
    std::int32_t tabs = 0;
    for (std::size_t i = q; i-- > 0;) {
      if (text[i] == '>' || text[i] == '\r' || text[i] == '\n') break;
      if (text[i] == '\t') ++tabs;
    }
    if (want > tabs) {
      text.insert(q, static_cast<std::size_t>(want - tabs), '\t');
      cursor.pos += want - tabs;
    } else if (tabs > want) {
      text.erase(q - static_cast<std::size_t>(tabs - want), static_cast<std::size_t>(tabs - want));
      cursor.pos -= tabs - want;
    }
    cursor.text = text.c_str();
  }

  std::vector<ElementRecord>& recs_;
  std::string& status_;
  std::string* text_;  // non-null: re-indent this text while parsing it
};

std::string Describe(const ElementRecord& r) {
  std::ostringstream o;
  o << "{" << r.start << ", " << r.length << ", 0x" << std::hex << r.tagLengths << ", 0x" << r.levelFlags << std::dec
    << ", " << r.parent << ", " << r.firstChild << ", " << r.nextSibling << ", " << r.prevSibling << "}";
  return o.str();
}

}  // namespace

std::int32_t ReferenceParseMarkup(std::vector<ElementRecord>& records, std::string& status, std::int32_t root,
                                  const char* fragment, int docFlags, std::string* reindent) {
  ScanCursor cursor(reindent != nullptr ? reindent->c_str() : fragment, docFlags);
  return ReferenceParser(records, status, reindent).Run(root, cursor);
}

namespace {

ReferenceDocument ParseWhole(const std::string& text, int docFlags, bool reindent) {
  ReferenceDocument d;
  d.text = text;
  d.records.assign(1, ElementRecord{});
  if (!reindent && text.empty()) {
    d.status = "Empty document";
    return d;
  }
  const std::int32_t first =
      ReferenceParseMarkup(d.records, d.status, 0, d.text.c_str(), docFlags, reindent ? &d.text : nullptr);
  d.records[0].length = static_cast<std::int32_t>(d.text.size());
  if (!reindent) {
    if (first == 0) d.status = "No root element";
    else if (d.records[static_cast<std::size_t>(first)].nextSibling != 0) d.status = "Root element has sibling";
  }
  const ElementRecord& document = d.records[0];
  d.valid = !document.Has(ElemParseError) && document.firstChild != 0 &&
            d.records[static_cast<std::size_t>(document.firstChild)].nextSibling == 0;
  return d;
}

}  // namespace

ReferenceDocument ReferenceParseText(const std::string& text, int docFlags) { return ParseWhole(text, docFlags, false); }

ReferenceDocument ReferenceReindent(const std::string& text, int docFlags) { return ParseWhole(text, docFlags, true); }

::testing::AssertionResult SameRecords(const std::vector<ElementRecord>& records, const XmlDocument& doc) {
  if (static_cast<std::int32_t>(records.size()) != doc.recordCount)
    return ::testing::AssertionFailure() << doc.recordCount << " records, the rules give " << records.size();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const ElementRecord& got = doc.Rec(static_cast<std::int32_t>(i));
    if (std::memcmp(&records[i], &got, sizeof got) != 0)
      return ::testing::AssertionFailure() << "record " << i << ": " << Describe(got) << ", the rules give "
                                           << Describe(records[i]);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameDocument(const ReferenceDocument& want, const XmlDocument& doc, bool checkValid) {
  if (doc.text != want.text)
    return ::testing::AssertionFailure() << "text '" << doc.text << "', the rules give '" << want.text << "'";
  if (doc.status != want.status)
    return ::testing::AssertionFailure() << "status '" << doc.status << "', the rules give '" << want.status << "'";
  if (checkValid && doc.IsDocumentValid() != want.valid)
    return ::testing::AssertionFailure() << "valid " << doc.IsDocumentValid() << ", the rules give " << want.valid;
  return SameRecords(want.records, doc);
}

}  // namespace test
}  // namespace orvel
