// One element of the element table: eight 32-bit fields locating the element
// in the document text and linking it into the tree by record index.
#pragma once

#include <cstdint>

namespace orvel {

// Element flags, kept in bits 16..31 of levelFlags.
enum : std::uint32_t {
  ElemFreed = 0x20000,        // released to the free chain (levelFlags is exactly this)
  ElemFirstChild = 0x80000,   // first child of its parent
  ElemOpen = 0x100000,        // no end tag
  ElemInnerError = 0x200000,  // a parse error inside this element's content
  ElemParseError = 0x800000   // a parse rooted here found an error
};

// Layout limits the parser enforces so that no field ever overflows.
constexpr std::int32_t kMaxStartTagLength = 0xFFFFF;  // bits 0..19
constexpr std::int32_t kMaxEndTagLength = 511;        // signed 10-bit field
constexpr std::int32_t kMaxLevel = 0xFFFF;            // bits 0..15

struct ElementRecord {
  std::int32_t start;       // offset of the start tag's '<'
  std::int32_t length;      // whole element, start tag through end tag
  std::uint32_t tagLengths; // start-tag length bits 0..19, end-tag length bits 22..31
  std::uint32_t levelFlags; // level bits 0..15, flags bits 16..31
  std::int32_t parent;
  std::int32_t firstChild;
  std::int32_t nextSibling; // also the free chain's link
  std::int32_t prevSibling; // first child: the last child

  std::int32_t StartTagLength() const { return static_cast<std::int32_t>(tagLengths & 0x2FFFFFu); }
  std::int32_t EndTagLength() const { return static_cast<std::int32_t>(tagLengths) >> 22; }
  void SetStartTagLength(std::int32_t n) {
    tagLengths = (tagLengths & 0xFFD00000u) | (static_cast<std::uint32_t>(n) & 0x2FFFFFu);
  }
  void SetEndTagLength(std::int32_t n) {
    tagLengths = (tagLengths & 0x2FFFFFu) | (static_cast<std::uint32_t>(n) << 22);
  }
  std::int32_t Level() const { return static_cast<std::int32_t>(levelFlags & 0xFFFFu); }
  std::uint32_t Flags() const { return levelFlags & 0xFFFF0000u; }
  void SetLevel(std::int32_t level) {
    levelFlags = (levelFlags & 0xFFFF0000u) | (static_cast<std::uint32_t>(level) & 0xFFFFu);
  }
  bool Has(std::uint32_t flag) const { return (levelFlags & flag) != 0; }
  void Set(std::uint32_t flag) { levelFlags |= flag; }
  void Clear(std::uint32_t flag) { levelFlags &= ~flag; }
  // A bare tag (<a/> or an element without end tag) is its own start tag.
  bool IsBareTag() const { return StartTagLength() == length; }
};

static_assert(sizeof(ElementRecord) == 32, "element records are eight 32-bit fields");

constexpr std::int32_t kBlockShift = 16;
constexpr std::int32_t kBlockRecords = 1 << kBlockShift;  // 65,536 records a block
constexpr std::int32_t kBlockMask = kBlockRecords - 1;

}  // namespace orvel
