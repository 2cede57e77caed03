#include "tests/support/document_walk.h"

#include <string>

#include "orvel/constants.h"

namespace orvel {
namespace test {

namespace {

constexpr std::int32_t kMaxMarkupRead = 1 << 16;

// The attributes of the main element or of the current instruction.
void ReadAttributes(XmlDocument& doc, int maxAttributes, WalkTally& tally) {
  for (int i = 0; i < maxAttributes; ++i) {
    const std::string name = doc.ReadAttributeName(i);
    if (name.empty()) break;
    tally.bytesRead += name.size() + doc.AttributeValue(doc.mainPos, name.c_str()).size();
  }
}

}  // namespace

WalkTally ReadWholeDocument(XmlDocument& doc, int maxAttributes) {
  WalkTally tally;
  doc.RewindDocument();
  int depth = 0;
  for (;;) {
    const int type = doc.SeekNode(0);
    if (type == 0) {
      if (depth == 0) break;
      doc.LeaveElement();
      --depth;
      continue;
    }
    ++tally.nodes;
    tally.bytesRead += doc.ReadNodeName().size() + doc.Content(doc.mainPos).size();
    if (type == NodeInstruction) ReadAttributes(doc, maxAttributes, tally);
    if (type != NodeElement) continue;
    ++tally.elements;
    ReadAttributes(doc, maxAttributes, tally);
    // The markup of every element of a deep chain adds up to the square of
    // the text: only elements up to a size are read whole.
    if (doc.Rec(doc.mainPos).length <= kMaxMarkupRead)
      tally.bytesRead += doc.InnerMarkup(doc.mainPos).size() + doc.ElementMarkup(doc.mainPos).size();
    doc.RewindChildren();
    if (doc.EnterElement()) ++depth;
  }
  return tally;
}

}  // namespace test
}  // namespace orvel
