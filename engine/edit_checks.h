// What an edit must satisfy so that the element table can still describe the
// text it leaves: the layout limits of a record, and new markup that a scan
// reads back exactly as the edit records it.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "engine/byte_classes.h"

namespace orvel {

// True when a text of size bytes can still be addressed by 32-bit offsets.
inline bool FitsTextLimit(std::int64_t size) { return size <= std::numeric_limits<std::int32_t>::max(); }

// True when markup of n bytes, written with the most SpliceMarkup adds
// (line breaks, a parent's end tag), still fits a text of size bytes: checked
// before a fragment is parsed, so that a refusal comes before any change.
inline bool FitsTextLimitWithMarkup(std::int64_t size, std::size_t n) {
  constexpr std::int64_t kMostAdded = 4 + 1 + 511;  // two line breaks, '>', "</" name
  return FitsTextLimit(size + static_cast<std::int64_t>(n) + kMostAdded);
}

// True when name, written after '<', reads back as exactly this tag name
// wherever names are read (the parser, which ends a name at white space, '/'
// or '>', and the reads and searches, which end it also at '<', '=', '\\',
// '?' and '!'), and only an end tag of this name closes it: not empty, a
// name-start first byte, none of those bytes, no quote, '[' or ']'.
bool IsWritableElementName(const char* name);

// The length of the tag name at name (just after its '<') as the parser reads
// it: up to white space, '/', '>' or the end of the text.
inline std::size_t ParsedNameLength(const char* name) {
  return static_cast<std::size_t>(bytes::SkipUntil(name, bytes::kNameEnd) - name);
}

// True when name, written as an attribute, reads back as one attribute name:
// not empty and no white space, '<', '>', '/', '?', '=' or quotes.
bool IsWritableAttributeName(const char* name);

// Null texts count as empty in every editing operation.
inline const char* OrEmpty(const char* s) { return s != nullptr ? s : ""; }

// True for the seven codes of nodes that can be written: element, text,
// white space, CDATA, instruction, comment, declaration.
bool IsWritableNodeType(int type);

// True when the markup built for a node of type reads back as that one node:
// a comment holding "-->" or an instruction holding "?>" would end early and
// leave markup the table does not describe. Text and white space may read
// as either. *scanned receives the type the markup reads as (0 when empty).
bool ReadsBackAsNode(int type, const std::string& markup, int* scanned);

// True when the node at [offset, offset + length) of text may not be a whole
// node of the walk: text or white space that a neighbouring run of text (or
// a construct cut short before it) continues, as when two runs meet after an
// edit. The walk then tells where the node begins and ends.
bool MayJoinNeighbours(const std::string& text, std::int32_t offset, std::int32_t length);

// True when removing count bytes at position (nothing written in their place)
// would bring "<?>" to the start of the text, where it no longer ends (the
// '>' must lie beyond the terminator's length): it would swallow the rest.
bool ExposesOpenInstruction(const std::string& text, std::int32_t position, std::int32_t count);

// Scans markup as it will stand in a text, after at least four other bytes
// (a terminator counts only past the first few offsets of a text: this
// reading is the stricter one). Returns the type of the one token that covers
// all of markup and stores its flags, or ScanBadMarkup when the markup is not
// exactly one token.
int ScanWholeToken(const std::string& markup, std::uint32_t* flags = nullptr);

}  // namespace orvel
