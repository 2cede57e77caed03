// Cheap checks that keep the read side inside the text and the table even when
// a record holds offsets that no longer fit (an edit gone wrong, a stale index).
#pragma once

#include <cstdint>
#include <string>

#include "engine/xml_document.h"

namespace orvel {

// True when x indexes a record in use (the document record included) that has
// not been released.
inline bool IsLiveRecord(const XmlDocument& doc, std::int32_t x) {
  return x >= 0 && x < doc.recordCount && x < doc.capacity && doc.Rec(x).levelFlags != ElemFreed;
}

// True when x indexes a record in use that an edit has released.
inline bool IsReleasedRecord(const XmlDocument& doc, std::int32_t x) {
  return x > 0 && x < doc.recordCount && x < doc.capacity && (doc.Rec(x).levelFlags & ElemFreed) != 0;
}

// Clamps [start, start + length) to the text; the result may be empty.
struct TextSpan {
  std::int32_t start = 0;
  std::int32_t length = 0;
};
inline TextSpan ClampSpan(const std::string& text, std::int64_t start, std::int64_t length) {
  const std::int64_t size = static_cast<std::int64_t>(text.size());
  if (start < 0) {
    length += start;
    start = 0;
  }
  if (start > size) start = size;
  if (length < 0) length = 0;
  if (length > size - start) length = size - start;
  return {static_cast<std::int32_t>(start), static_cast<std::int32_t>(length)};
}

// The bytes of [start, start + length) that lie inside the text.
inline std::string SpanText(const std::string& text, std::int64_t start, std::int64_t length) {
  TextSpan s = ClampSpan(text, start, length);
  return text.substr(static_cast<std::size_t>(s.start), static_cast<std::size_t>(s.length));
}

// True when a scan may start at pos: on a byte of the text or on its NUL.
inline bool IsScanStart(const std::string& text, std::int64_t pos) {
  return pos >= 0 && pos <= static_cast<std::int64_t>(text.size());
}

}  // namespace orvel
