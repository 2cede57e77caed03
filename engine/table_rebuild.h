// The element table built again from a parse of the whole text, for the edits
// that a record-by-record fix-up cannot be trusted to follow: markup that does
// not parse cleanly, a start tag written without its end tag, and any edit of
// a document that holds a parse error (its recovery pairs tags by all of the
// text around them, so one edit may move elements far from it).
//
// Made before the edit's first change. The edit then runs as usual, and
// Rebuild() replaces the table it leaves by the parse of the new text; the
// positions, the current node and (on Keep) the marks move over to the
// elements that start at the same offsets in the new text, as the edit's own
// fix-up left them; the status stays as the edit left it. Until Keep(), the
// destructor puts the text, the table, the positions and the status back as
// they were: running out of memory, or an
// edit whose result the parse does not confirm, changes nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/xml_document.h"

namespace orvel {

class TableRebuild {
 public:
  explicit TableRebuild(XmlDocument& doc);
  ~TableRebuild();
  TableRebuild(const TableRebuild&) = delete;
  TableRebuild& operator=(const TableRebuild&) = delete;

  // Builds the table of the text the edit left and carries the positions and
  // the current node over; nothing when the edit left the text as it was.
  void Rebuild();
  // True when, after Rebuild, an element of the new table starts at offset.
  bool HoldsElementAt(std::int32_t offset) const;
  // The edit stands: the marks follow their elements, the old state goes.
  void Keep();

 private:
  void Restore() noexcept;

  XmlDocument& doc_;
  std::string text_;
  std::string status_;
  std::vector<ElementRecord> records_;
  std::int32_t recordCount_, freeHead_;
  std::int32_t parentPos_, mainPos_, childPos_;
  std::int32_t nodeType_, nodeOffset_, nodeLength_;
  std::uint32_t revision_;
  std::vector<std::int32_t> markStarts_;  // each mark in use, in table order: where its element starts
  std::unique_ptr<XmlDocument> edited_;   // after Rebuild: holds the table the edit left
  bool kept_ = false;
};

// Ends an edit that ran under a rebuild, if one was made: the table of the
// new text, and the edit kept.
inline void RebuildAndKeep(std::optional<TableRebuild>& rebuild) {
  if (!rebuild) return;
  rebuild->Rebuild();
  rebuild->Keep();
}

}  // namespace orvel
