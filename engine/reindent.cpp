// ReindentDocument: the tree is rebuilt while the tabs in front of each tag
// are set to the tag's nesting depth.
//
// The text is edited in place as the scan moves on, but without moving the
// unscanned rest on every edit: a gap separates the finished part of the new
// text from the rest, and the cursor's text pointer is placed so that offsets
// through it are offsets in the new text. The gap is closed at the end.
//
// Before anything changes, the same pass is run without editing and without
// a table, to learn the length of the result: a result too long for int32
// offsets leaves the document as it was.
#include <cstring>
#include <limits>

#include "engine/byte_classes.h"
#include "engine/markup_parser.h"
#include "engine/xml_document.h"

namespace orvel {

namespace {

constexpr std::size_t kMaxTextLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
const char kTooLongToIndent[] = "Document text too long to indent";

// The tabs wanted in front of the tag at `at` (just after a white-space run),
// or -1 when the tag keeps its indentation (a "<!" construct, or the end).
template <class Parser>
std::int32_t WantedTabs(const char* at, Parser& parser) {
  if (at[0] == '\0' || (at[0] == '<' && at[1] == '!')) return -1;
  if (at[0] == '<' && at[1] == '/') {
    // An end tag is indented like the outermost open start tag of its name.
    const char* name = at + 2;
    const std::int32_t n = static_cast<std::int32_t>(bytes::SkipUntil(name, bytes::kNameEnd) - name);
    const std::int32_t outermost = parser.OutermostOpenNamed(name, n);
    if (outermost >= 0) return outermost;
  }
  return parser.Depth();
}

// The tabs in the indentation that ends before offset q of t: back to the
// line break or the '>' before it (which the white-space run cannot pass).
std::int32_t TabsBefore(const char* t, std::int32_t q) {
  std::int32_t tabs = 0;
  for (std::int32_t i = q - 1; i >= 0; --i) {
    const char c = t[i];
    if (c == '>' || c == '\r' || c == '\n') break;
    if (c == '\t') ++tabs;
  }
  return tabs;
}

class IndentEditor {
 public:
  static constexpr bool kSeesContent = true;  // white space before tags is edited
  static constexpr bool kEditsText = true;
  static constexpr bool kBuildsTable = true;
  explicit IndentEditor(std::string& text) : text_(text) {}

  // cursor.pos stands just after a white-space run, on '<' or the end.
  template <class Parser>
  void AfterSpace(ScanCursor& cursor, Parser& parser) {
    const std::int32_t q = cursor.pos;
    const std::int32_t want = WantedTabs(cursor.text + q, parser);
    if (want < 0) return;
    Settle(q);
    const std::int32_t tabs = TabsBefore(text_.c_str(), q);
    if (want > tabs)
      Insert(cursor, want - tabs);
    else if (tabs > want)
      Erase(cursor, tabs - want);
  }

  // Makes text the new text again, whatever happened before.
  void Close(ScanCursor& cursor) {
    const std::size_t length = text_.size() - gap_;
    Settle(static_cast<std::int32_t>(length));
    text_.resize(length);
    gap_ = 0;
    cursor.text = text_.c_str();
  }

 private:
  // Moves the scanned bytes before new offset q down over the gap.
  void Settle(std::int32_t q) {
    if (gap_ > 0 && q > settled_)
      std::memmove(&text_[static_cast<std::size_t>(settled_)], &text_[static_cast<std::size_t>(settled_) + gap_],
                   static_cast<std::size_t>(q - settled_));
    settled_ = q;
  }

  // The measure has made sure that every offset of the new text fits int32.
  void Insert(ScanCursor& cursor, std::int32_t count) {
    const std::size_t n = static_cast<std::size_t>(count);
    if (gap_ < n) {
      // Widen by a share of the text, so that the rest moves only a few times.
      const std::size_t extra = n - gap_ + text_.size() / 8 + 64;
      text_.insert(static_cast<std::size_t>(settled_), extra, '\t');
      gap_ += extra;
    }
    std::memset(&text_[static_cast<std::size_t>(settled_)], '\t', n);
    settled_ += count;
    gap_ -= n;
    cursor.pos += count;
    cursor.text = text_.c_str() + gap_;
  }

  void Erase(ScanCursor& cursor, std::int32_t count) {
    settled_ -= count;
    gap_ += static_cast<std::size_t>(count);
    cursor.pos -= count;
    cursor.text = text_.c_str() + gap_;
  }

  std::string& text_;
  std::size_t gap_ = 0;        // bytes between the new text's finished part and the rest
  std::int32_t settled_ = 0;   // new-text bytes [0, settled_) stand in place
};

// Re-indentation without any change: the growth of the text is summed up
// while the scan goes on over the unchanged text. Offsets in the changed text
// would decide one thing only: a "<?>" at offset 0 is not terminated. So
// while no element is open (and no name is read through the cursor), the
// cursor's text pointer is moved on by the bytes erased, which makes its
// offsets those of the changed text; after the first start tag no offset that
// small can occur, and the pointer stays.
class IndentMeasure {
 public:
  static constexpr bool kSeesContent = true;
  static constexpr bool kEditsText = false;
  static constexpr bool kBuildsTable = false;

  template <class Parser>
  void AfterSpace(ScanCursor& cursor, Parser& parser) {
    const std::int32_t q = cursor.pos;
    const std::int32_t want = WantedTabs(cursor.text + q, parser);
    if (want < 0) return;
    const std::int32_t tabs = TabsBefore(cursor.text, q);
    if (want == tabs) return;
    changed_ = true;
    growth_ += want - tabs;
    if (parser.Depth() == 0 && tabs > want) {
      cursor.text += tabs - want;
      cursor.pos -= tabs - want;
    }
  }

  std::int64_t Growth() const { return growth_; }
  bool Changed() const { return changed_; }

 private:
  std::int64_t growth_ = 0;
  bool changed_ = false;  // some indentation differs from its depth
};

// The table of the text as it stands, with the status of the parse; without
// memory for it, the empty document.
void RebuildTable(XmlDocument& doc) {
  try {
    ResetForFullParse(doc);
    doc.status.clear();
    ScanCursor cursor(doc.text.c_str(), doc.docFlags);
    doc.ParseMarkup(0, cursor);
    doc.Rec(0).length = static_cast<std::int32_t>(doc.text.size());
  } catch (...) {
    LeaveEmptyDocument(doc);
    throw;
  }
}

IndentMeasure Measure(XmlDocument& doc) {
  ScanCursor cursor(doc.text.c_str(), doc.docFlags);
  IndentMeasure measure;
  MarkupParser<IndentMeasure>(doc, 0, cursor, measure).Run();
  return measure;
}

}  // namespace

std::int64_t XmlDocument::IndentedLength() {
  return static_cast<std::int64_t>(text.size()) + Measure(*this).Growth();
}

void XmlDocument::ReindentDocument() {
  if (text.size() > kMaxTextLength) {
    ParseDocument();  // refuses the text with its message
    return;
  }
  const IndentMeasure measure = Measure(*this);
  if (static_cast<std::int64_t>(text.size()) + measure.Growth() > static_cast<std::int64_t>(kMaxTextLength)) {
    status = kTooLongToIndent;  // the only message of this call: nothing was done
    return;
  }
  if (!measure.Changed()) {
    // Every tag stands at its depth already: the text keeps its tokens, and the
    // plain parse builds the table that the editing pass would build.
    RebuildTable(*this);
    return;
  }
  ResetForFullParse(*this);
  status.clear();
  IndentEditor editor(text);
  ScanCursor cursor(text.c_str(), docFlags);
  MarkupParser<IndentEditor> parser(*this, 0, cursor, editor);
  try {
    parser.Run();
  } catch (...) {
    // Out of memory half way: the text holds some new indentation, which
    // changes no element; the table is built again for it.
    editor.Close(cursor);
    RebuildTable(*this);
    throw;
  }
  editor.Close(cursor);
  Rec(0).length = static_cast<std::int32_t>(text.size());
}

}  // namespace orvel
