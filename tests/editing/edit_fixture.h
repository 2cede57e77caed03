// Helpers of the editing tests: documents moved into place by a short move
// string, and snapshots that prove a refused edit changed nothing.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "engine/xml_document.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {

// Moves, one letter each: s SeekSiblingElement(null), c SeekChildElement(null),
// e EnterElement, l LeaveElement, n SeekNode(0), r RewindSiblings.
inline bool Move(XmlDocument& d, const char* moves) {
  for (const char* m = moves; *m != '\0'; ++m) {
    bool ok = true;
    switch (*m) {
      case 's': ok = d.SeekSiblingElement(nullptr); break;
      case 'c': ok = d.SeekChildElement(nullptr); break;
      case 'e': ok = d.EnterElement(); break;
      case 'l': ok = d.LeaveElement(); break;
      case 'n': ok = d.SeekNode(0) != 0; break;
      case 'r': d.RewindSiblings(); break;
      default: ok = false;
    }
    if (!ok) return false;
  }
  return true;
}

inline std::unique_ptr<XmlDocument> Prepared(const char* text, const char* moves, int docFlags = 0) {
  std::unique_ptr<XmlDocument> d(new XmlDocument());
  d->docFlags = docFlags;
  d->ParseText(text);
  EXPECT_TRUE(Move(*d, moves)) << "moves '" << moves << "' on " << text;
  return d;
}

// Everything an edit may change, for a byte-exact comparison.
inline std::string Snapshot(const XmlDocument& d) {
  std::string s = d.text + '\0' + d.status + '\0';
  const std::int32_t fields[] = {d.parentPos, d.mainPos,   d.childPos,   d.recordCount,
                                 d.freeHead,  d.nodeType,  d.nodeOffset, d.nodeLength};
  s.append(reinterpret_cast<const char*>(fields), sizeof fields);
  for (std::int32_t i = 0; i < d.recordCount; ++i)
    s.append(reinterpret_cast<const char*>(&d.Rec(i)), sizeof(ElementRecord));
  return s;
}

using Edit = std::function<bool(XmlDocument&)>;

// One edit on a prepared document: its result, the whole text afterwards, and
// a table that describes that text (unchanged in every byte when refused).
struct EditCase {
  const char* what;
  const char* text;
  const char* moves;
  Edit edit;
  bool result;
  const char* expected;  // null: the text stays as it was and nothing changes
};

inline void RunEditCases(const EditCase* cases, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const EditCase& c = cases[i];
    SCOPED_TRACE(c.what);
    auto d = Prepared(c.text, c.moves);
    const std::string before = Snapshot(*d);
    EXPECT_EQ(c.edit(*d), c.result);
    if (c.expected == nullptr) {
      EXPECT_EQ(Snapshot(*d), before) << "refused edit changed the document: " << d->text;
    } else {
      EXPECT_EQ(d->text, c.expected);
    }
    EXPECT_TRUE(CheckTable(*d));
  }
}

}  // namespace test
}  // namespace orvel
