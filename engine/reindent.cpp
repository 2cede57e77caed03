// ReindentDocument: the tree is rebuilt while the tabs in front of each tag
// are set to the tag's nesting depth.
//
// The text is edited in place as the scan moves on, but without moving the
// unscanned rest on every edit: a gap separates the finished part of the new
// text from the rest, and the cursor's text pointer is placed so that offsets
// through it are offsets in the new text. The gap is closed at the end.
#include <cstring>
#include <limits>

#include "engine/byte_classes.h"
#include "engine/markup_parser.h"
#include "engine/xml_document.h"

namespace orvel {

namespace {

constexpr std::size_t kMaxTextLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

class IndentEditor {
 public:
  static constexpr bool kSeesContent = true;  // white space before tags is edited
  explicit IndentEditor(std::string& text) : text_(text) {}

  // cursor.pos stands just after a white-space run, on '<' or the end.
  template <class Parser>
  void AfterSpace(ScanCursor& cursor, const Parser& parser) {
    const std::int32_t q = cursor.pos;
    const char* at = cursor.text + q;
    if (at[0] == '\0' || (at[0] == '<' && at[1] == '!')) return;
    std::int32_t want = parser.Depth();
    if (at[0] == '<' && at[1] == '/') {
      // An end tag is indented like the outermost open start tag of its name.
      const char* name = at + 2;
      const std::size_t n = static_cast<std::size_t>(bytes::SkipUntil(name, bytes::kNameEnd) - name);
      const std::int32_t outermost = parser.OutermostOpenNamed(name, n);
      if (outermost >= 0) want = outermost;
    }
    Settle(q);
    std::int32_t tabs = 0;
    for (std::int32_t i = q - 1; i >= 0; --i) {
      const char c = text_[static_cast<std::size_t>(i)];
      if (c == '>' || c == '\r' || c == '\n') break;
      if (c == '\t') ++tabs;
    }
    if (want > tabs) Insert(cursor, want - tabs);
    else if (tabs > want) Erase(cursor, tabs - want);
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

  void Insert(ScanCursor& cursor, std::int32_t count) {
    const std::size_t n = static_cast<std::size_t>(count);
    if (text_.size() - gap_ + n > kMaxTextLength) return;  // offsets must stay int32
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

}  // namespace

void XmlDocument::ReindentDocument() {
  if (text.size() > kMaxTextLength) {
    ParseDocument();  // refuses the text with its message
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
    editor.Close(cursor);
    throw;
  }
  editor.Close(cursor);
  Rec(0).length = static_cast<std::int32_t>(text.size());
}

}  // namespace orvel
