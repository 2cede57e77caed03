// XmlDocument: one XML document as a byte string plus a flat table of
// element records that locate every element by offset and link them by index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/element_record.h"
#include "engine/mark_index.h"
#include "engine/scanner.h"
#include "orvel/constants.h"

namespace orvel {

class TableRebuild;
struct RebuildRoom;

// Mark entry flags.
enum : std::uint32_t {
  MarkMain = 1,   // saved position is a main position
  MarkChild = 2,  // saved position is a child position (neither: parent position)
  MarkInUse = 4,
  MarkLast = 8  // last entry of its bucket array
};

struct MarkEntry {
  std::string name;
  std::int32_t saved = 0;
  std::uint32_t flags = 0;
};

// Seven buckets by byte sum modulo 7; each null or an array ending in MarkLast.
// Beside each bucket: its length, the number of entries in use (they stand at
// its front) and, once it is long, an index of its entries by name.
struct MarkTable {
  std::unique_ptr<MarkEntry[]> buckets[7];
  std::int32_t sizes[7] = {};
  std::int32_t inUse[7] = {};
  MarkIndex index[7];
};

// One attribute of a tag as the attribute scan reads it: its name, and the
// value that '=' and a value token after the name give it (a name without
// value stands for its own value). Ranges are inclusive text offsets.
struct AttributeSpan {
  std::int32_t nameStart, nameEnd;
  std::int32_t valueStart, valueEnd;
  bool plain = false;  // the value is known to hold no '&': it reads as it stands
};

// The attributes of the tag read last: reading all k attributes of a tag, by
// index and by name, scans it once. Every change of the text (ReplaceText, a
// parse) forgets them; nothing else can move a tag.
struct AttributeCache {
  std::int32_t start = -1;    // where the scan began (after '<' or "<?"); -1: nothing kept
  std::int32_t limit = -1;    // where it had to stop
  std::int32_t element = -1;  // the element whose start tag it was; -1: none (an instruction)
  std::vector<AttributeSpan> spans;
  void Forget() { start = element = -1; }
};

// One insertion or replacement, described by its caller and completed by
// SpliceMarkup.
struct InsertSpec {
  std::int32_t offset = 0;  // in: the current node's offset; out: where the new node's markup begins
  std::int32_t length = 0;  // in: the current node's length (0: none); out: the new node's markup length
  int flags = 0;            // EditNoBreak, EditReplaceContent, AddBefore are read
  std::string markup;       // in: the new node's markup; out: the text written
};

// One change of the text: the old bytes [at, at + removed) became the new
// bytes [at, at + written).
struct TextChange {
  std::int32_t at = 0;
  std::int32_t removed = 0;
  std::int32_t written = 0;
  std::int32_t OldEnd() const { return at + removed; }
  std::int32_t NewEnd() const { return at + written; }
  std::int32_t Delta() const { return written - removed; }
};

// True when the three bytes at offset at of text are "<?>": at the start of a
// text they do not end (the '>' must lie beyond the terminator's length).
inline bool BareInstructionAt(const std::string& text, std::size_t at) {
  return text.size() >= at + 3 && text[at] == '<' && text[at + 1] == '?' && text[at + 2] == '>';
}

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // ---- model -------------------------------------------------------------
  ElementRecord& Rec(std::int32_t i) { return blocks[i >> kBlockShift][i & kBlockMask]; }
  const ElementRecord& Rec(std::int32_t i) const { return blocks[i >> kBlockShift][i & kBlockMask]; }
  // Hands out a released record, else index recordCount (growing the table
  // first when full); fields are not cleared.
  std::int32_t AllocRecord();
  // Makes sure the next AllocRecord allocates no memory (edits call it before
  // they change anything, so that running out of memory leaves no half edit).
  void ReserveOneRecord();
  // Makes room for at least wanted records (0: one and a half times those in use),
  // adding at most one block per call.
  bool ReserveRecords(std::int32_t wanted);
  void SetPositions(std::int32_t parent, std::int32_t main, std::int32_t child);
  bool IsDocumentValid() const;
  // True when an edit cannot be followed record by record and the part of
  // the table it can alter must be parsed again (TableRebuild): the document
  // holds a parse error, whose recovery pairs tags by the text around it;
  // names now compare other than when the table was built; or the text opens
  // with "<?>", which reads otherwise once anything comes in front of it.
  bool NeedsRebuild() const {
    return Rec(0).Has(ElemParseError) || NamesCompareOtherwise() || BareInstructionAt(text, 0);
  }
  bool NamesCompareOtherwise() const { return ((docFlags ^ tableFlags) & DocNoCase) != 0; }
  // Number of block pointers in use for the current capacity.
  std::int32_t BlockCount() const { return capacity == 0 ? 0 : ((capacity - 1) >> kBlockShift) + 1; }

  // ---- parsing -----------------------------------------------------------
  // Parses cursor.text under record root; returns the first element created or 0.
  std::int32_t ParseMarkup(std::int32_t root, ScanCursor& cursor);
  // Replaces the text by a copy of text (null: empty) and parses it. Running
  // out of memory leaves the empty document (the old text may be half
  // overwritten by then).
  bool ParseText(const char* text);
  // Rebuilds the table from text; keeps a load status found in status in front.
  bool ParseDocument();
  // Re-parses while setting each tag's leading tabs to its nesting depth;
  // a result too long for the offsets leaves everything but the status as it was.
  void ReindentDocument();
  // The length ReindentDocument would give the text; changes nothing.
  std::int64_t IndentedLength();

  // ---- files -------------------------------------------------------------
  // Reads the file at path whole and parses it; the status starts with its
  // byte count. A file that cannot be read whole, or holds no byte, changes
  // only the status.
  bool LoadFile(const char* path);
  // Writes text whole to path (a regular file through a replacing copy). On
  // failure the status is the reason's error text and errno holds the reason.
  bool SaveFile(const char* path);
  // Takes *source over as the text (no copy; NUL bytes kept) and parses it;
  // *source receives the old text.
  bool ParseTakenText(std::string* source);

  // ---- navigation --------------------------------------------------------
  std::int32_t FindSibling(std::int32_t parent, std::int32_t ref, const char* name) const;
  bool SeekSiblingElement(const char* name);
  bool SeekChildElement(const char* name);
  bool EnterElement();
  bool LeaveElement();
  int SeekNode(int typeMask);
  // From the main element (or the start of the parent's content) with no
  // current node, walks on to the node that covers offset and makes it
  // current; false, positions as they were, when an element or the end of the
  // content comes first. An edit that wrote or removed text next to text
  // uses it: the walk reads one node where the two runs meet.
  bool SeekNodeCovering(std::int32_t offset);
  void RewindChildren();
  void RewindSiblings();
  void RewindDocument();
  bool MarkPosition(const char* name);
  bool ReturnToMark(const char* name);

  // ---- reading -----------------------------------------------------------
  // Views into the text, or into readScratch for decoded texts: valid until
  // the next read or change. The std::string forms below copy them.
  std::string_view TagNameView(std::int32_t x) const;
  std::string_view NodeNameView() const;
  std::string_view ContentView(std::int32_t x) const;
  std::string_view InnerMarkupView(std::int32_t x) const;
  std::string_view ElementMarkupView(std::int32_t x) const;
  std::string_view AttributeValueView(std::int32_t x, const char* name) const;
  std::string_view AttributeNameView(int index) const;
  std::string_view ChildContentView() const;
  std::string_view ChildAttributeValueView(const char* name) const;
  std::string TagName(std::int32_t x) const;
  std::string ReadNodeName() const;
  std::string Content(std::int32_t x) const;
  std::string InnerMarkup(std::int32_t x) const;
  std::string ElementMarkup(std::int32_t x) const;
  std::string AttributeValue(std::int32_t x, const char* name) const;
  std::string ReadAttributeName(int index) const;
  // Attribute scan from cursor.pos (just after '<' or "<?"): finds attribute
  // name's value (or its bare name), or with name null the index-th name.
  // When nothing is found pos stands where a new attribute would be inserted.
  // No byte at or after offset limit (the end of the tag) is read: the scan
  // ends there as at the end of the text. The cursor's docFlags carries
  // CursorQuoted when the token read last was quoted, and CursorCut besides
  // when its closing quote was not found before limit; CursorBare when the
  // name found has no value (the range then holds the name).
  static bool ScanAttributes(ScanCursor& cursor, const char* name, int index, std::int32_t limit);
  static constexpr std::int32_t CursorQuoted = 0x8000;
  static constexpr std::int32_t CursorCut = 0x10000;
  static constexpr std::int32_t CursorBare = 0x20000;
  // Every numbered attribute of the tag whose scan begins at pos, as
  // ScanAttributes would find each by index and by name, in one pass.
  // textEnd: the address of text's NUL, when known (values are then sought in blocks).
  static void ListAttributes(const char* text, std::int32_t pos, std::int32_t limit,
                             std::vector<AttributeSpan>& spans, const char* textEnd = nullptr);
  // The attributes of the tag scanned from pos up to limit, from the cache.
  const std::vector<AttributeSpan>& AttributesAt(std::int32_t pos, std::int32_t limit) const {
    if (limit < pos) limit = pos;  // a tag that ends before it begins has no attributes
    if (attributeCache.start == pos && attributeCache.limit == limit) return attributeCache.spans;
    return ListAttributesAt(pos, limit);
  }
  // The scan behind AttributesAt, whose result it keeps.
  const std::vector<AttributeSpan>& ListAttributesAt(std::int32_t pos, std::int32_t limit) const;
  // The attributes a read of x finds (those of the current instruction when x
  // is the main position on one), or null when x has none to read.
  const std::vector<AttributeSpan>* AttributeListOf(std::int32_t x) const;

  // ---- splicing and table fix-up -----------------------------------------
  // Replaces count bytes at offset by markup (capacity grown to n + n/2 + 128);
  // under a rebuild, hands it the change.
  void ReplaceText(std::int32_t offset, std::int32_t count, const std::string& markup);
  void ReplaceTextUnderRebuild(std::int32_t offset, std::int32_t count, const std::string& markup);
  // Writes insertion.markup into parent's content next to after (updated to the
  // element to link a new element after); returns the bytes replaced, or -1
  // when the result would exceed the table's limits, or the table rebuilt
  // under the edit does not hold the markup as written (nothing changed).
  std::int32_t SpliceMarkup(std::int32_t parent, std::int32_t& after, InsertSpec& insertion);
  // False when parent is a bare tag whose end tag, written once it has
  // content, would be longer than a record can hold.
  bool CanTakeContent(std::int32_t parent) const;
  // Adds delta to the start of every element after index and to the length
  // of every ancestor of index; index itself is left to the caller.
  void ShiftFollowing(std::int32_t index, std::int32_t delta, bool skipChildren);
  // The same for a change inside a non-element node of parent after element
  // before (0: before the first child element).
  void ShiftAfterNode(std::int32_t parent, std::int32_t before, std::int32_t delta);
  void LinkElement(std::int32_t parent, std::int32_t after, std::int32_t index);
  // Unlinks and releases index with its subtree; returns its previous sibling or 0.
  std::int32_t UnlinkElement(std::int32_t index);
  // Release index and its descendants (or one record); return its nextSibling.
  std::int32_t ReleaseSubtree(std::int32_t index);
  std::int32_t ReleaseRecord(std::int32_t index);
  // Drops the marks that name released records.
  void PurgeMarks();
  // Drops the marks that name released records; with retarget, the k-th mark
  // in use (buckets in order, each from its front) names (*retarget)[k]
  // instead, or is dropped where that is negative.
  void CompactMarks(const std::vector<std::int32_t>* retarget);

  // ---- insertion and removal ---------------------------------------------
  bool AddElement(const char* name, const char* content, int flags);
  bool AddElementNumber(const char* name, int value, int flags);
  bool AddMarkup(const char* markup, int flags);
  bool AddNode(int type, const char* content, int flags);
  std::int32_t RemoveElement(std::int32_t index);
  // Removes the current node (the main element when there is none) and makes
  // the node before it current: the one a walk of the new text finds there.
  void RemoveNode();
  bool DeleteElement();
  bool DeleteChildElement();
  bool DeleteNode();

  // ---- content and attribute editing -------------------------------------
  bool SetAttribute(std::int32_t index, const char* name, const char* value);
  bool SetAttributeNumber(std::int32_t index, const char* name, int value);
  bool SetContent(std::int32_t index, const char* content, int flags);
  bool SetContentNumber(std::int32_t index, int value);
  bool SetInnerMarkup(const char* markup);
  // The child forms act on the child position only: without one they find or
  // change nothing (the current node belongs to the main forms).
  std::string ChildContent() const;
  std::string ChildAttributeValue(const char* name) const;
  bool SetChildAttribute(const char* name, const char* value);
  bool SetChildContent(const char* content, int flags);

  // ---- fields (order as documented) --------------------------------------
  std::string text;
  std::string status;
  std::int32_t parentPos = 0;
  std::int32_t mainPos = 0;
  std::int32_t childPos = 0;
  std::int32_t recordCount = 0;
  std::int32_t freeHead = 0;
  std::int32_t nodeType = 0;
  std::int32_t nodeOffset = 0;
  std::int32_t nodeLength = 0;
  std::int32_t docFlags = 0;
  std::unique_ptr<MarkTable> marks;
  ElementRecord** blocks = nullptr;
  std::int32_t capacity = 0;
  std::int32_t blockSlots = 0;

  mutable AttributeCache attributeCache;  // behind the attribute reads only
  mutable std::string readScratch;        // decoded read results, reused
  InsertSpec additionScratch;             // what an addition writes, its markup's room reused
  std::uint32_t textRevision = 0;         // counts the changes of the text by edits
  TextChange lastChange;                  // the last of them (an edit makes one)
  std::int32_t tableFlags = 0;            // docFlags when the table was last built whole
  // Records carrying ElemOpen or ElemInnerError, the document record among
  // them (not 0 exactly when the document holds a parse error); -1 unknown.
  std::int32_t errorMarks = -1;
  TableRebuild* activeRebuild = nullptr;  // the rebuild an edit runs under: ReplaceText hands it the change
  std::unique_ptr<RebuildRoom> rebuildRoom;  // what rebuilds fill, kept for the next
};

}  // namespace orvel
