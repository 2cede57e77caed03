// Long random sequences of moves, marks, reads and edits on generated
// documents, well formed and holding an error, with after every step: the
// table checker (the table a fresh parse of the text gives), what an addition
// reported against the table it left, every mark against a model of which
// elements still exist, and the attribute reads. A failure reports the seed
// and the shortest sequence found that still fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/encoding.h"
#include "engine/table_rebuild.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/support/document_generator.h"
#include "tests/support/edit_sequence.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// Where x starts, -1 for the document record.
std::int32_t StartOf(const XmlDocument& d, std::int32_t x) { return x == 0 ? -1 : d.Rec(x).start; }

// The element of the tree that starts at offset, or 0.
std::int32_t ElementAt(const XmlDocument& d, std::int32_t offset) {
  std::vector<std::int32_t> pending{d.Rec(0).firstChild};
  while (!pending.empty()) {
    const std::int32_t x = pending.back();
    pending.pop_back();
    if (x == 0) continue;
    if (d.Rec(x).start == offset) return x;
    pending.push_back(d.Rec(x).nextSibling);
    pending.push_back(d.Rec(x).firstChild);
  }
  return 0;
}

// An addition reported as done left what it wrote where it wrote it: an
// element of its name under the parent it was given, in the position of its
// role, or a node of its kind holding its markup as the current node. An
// element or node refused left the text as it was.
AssertionResult CheckAddition(const XmlDocument& d, const Addition& a, bool done, const std::string& before,
                              std::int32_t parentAt) {
  if (!done) {
    if (a.type != Addition::kMarkup && d.text != before)
      return AssertionFailure() << "a refused addition changed the text";
    return AssertionSuccess();
  }
  if (a.type != Addition::kMarkup && a.type != NodeElement) {
    std::string markup;
    BuildNodeMarkup(a.type, a.text.c_str(), markup);
    if (markup.empty()) return AssertionSuccess();
    const int textual = NodeText | NodeSpace;
    const bool kind = (a.type & textual) ? (d.nodeType & textual) != 0 : d.nodeType == a.type;
    if (d.nodeLength == 0 || !kind ||
        d.text.substr(d.nodeOffset, d.nodeLength).find(markup) == std::string::npos)
      return AssertionFailure() << "added node '" << markup << "' is not the current node (type "
                                << d.nodeType << " at " << d.nodeOffset << ", length " << d.nodeLength << ")";
    return AssertionSuccess();
  }
  const std::int32_t x = a.asChild ? d.childPos : d.mainPos;
  if (x == 0 || StartOf(d, d.Rec(x).parent) != parentAt)
    return AssertionFailure() << "added element is not the " << (a.asChild ? "child" : "main")
                              << " position under the element at " << parentAt << " (positions "
                              << d.parentPos << "/" << d.mainPos << "/" << d.childPos << ")";
  const std::string written = d.text.substr(d.Rec(x).start, d.Rec(x).length);
  if (a.type == NodeElement ? d.TagName(x) != a.text : a.text.find(written) == std::string::npos)
    return AssertionFailure() << "the position names '" << written << "', not what was added";
  return AssertionSuccess();
}

// The marks as a host saved them, each followed through the changes of the
// text by the offset where its element starts: an element whose start was
// removed, or that a parse no longer finds there, is gone.
class MarkModel {
 public:
  void Saved(const XmlDocument& d, const char* name) {
    const std::int32_t x = d.childPos != 0 ? d.childPos : d.mainPos != 0 ? d.mainPos : d.parentPos;
    const std::uint32_t role = d.childPos != 0 ? MarkChild : d.mainPos != 0 ? MarkMain : 0u;
    marks_[name] = {role, StartOf(d, x)};
  }
  void Clear() { marks_.clear(); }
  // Through the one change an edit made: an element whose start it removed
  // is gone, one behind it moves with the text.
  void Follow(const TextChange& change) {
    for (auto& m : marks_) {
      std::int32_t& at = m.second.at;
      if (at >= change.OldEnd())
        at += change.Delta();
      else if (at >= change.at)
        at = kGone;
    }
  }
  // Each mark returns exactly while its element exists, to that element in
  // the role it was saved in (a child that became a top-level element as
  // main). An element the parse no longer finds is gone for good.
  AssertionResult Check(XmlDocument& d) {
    for (auto& m : marks_) {
      const std::int32_t saved[] = {d.parentPos, d.mainPos,    d.childPos,
                                    d.nodeType,  d.nodeOffset, d.nodeLength};
      const std::int32_t x = m.second.at >= 0 ? ElementAt(d, m.second.at) : 0;
      const bool exists = m.second.at == kDocument || x != 0;
      if (!exists) m.second.at = kGone;
      const bool returned = d.ReturnToMark(m.first.c_str());
      bool role = true;
      if (returned && m.second.role == MarkChild)
        role = d.childPos == x || (d.childPos == 0 && d.mainPos == x && d.Rec(x).parent == 0);
      else if (returned)
        role = (m.second.role == MarkMain ? d.mainPos : d.parentPos) == x;
      const std::int32_t now[] = {d.parentPos, d.mainPos, d.childPos};
      d.parentPos = saved[0], d.mainPos = saved[1], d.childPos = saved[2];
      d.nodeType = saved[3], d.nodeOffset = saved[4], d.nodeLength = saved[5];
      if (returned != exists || !role)
        return AssertionFailure() << "mark '" << m.first << "' (role " << m.second.role << ", element at "
                                  << m.second.at << ") returns " << returned << " to " << now[0] << "/"
                                  << now[1] << "/" << now[2] << "; its element is " << x;
    }
    return AssertionSuccess();
  }

 private:
  static constexpr std::int32_t kDocument = -1, kGone = -2;
  struct Mark {
    std::uint32_t role;
    std::int32_t at;
  };
  std::map<std::string, Mark> marks_;
};

// The attribute reads, which keep the attributes of the tag read last, give
// what a fresh scan of the tag as it stands now finds.
::testing::AssertionResult ReadsMatchAFreshScan(const XmlDocument& d) {
  std::int32_t pos, limit;
  if (d.mainPos != 0 && d.nodeType == NodeElement) {
    pos = d.Rec(d.mainPos).start + 1;
    limit = d.Rec(d.mainPos).start + d.Rec(d.mainPos).StartTagLength();
  } else if (d.nodeLength != 0 && d.nodeType == NodeInstruction) {
    pos = d.nodeOffset + 2;
    limit = std::max(pos, d.nodeOffset + d.nodeLength - 2);
  } else {
    return ::testing::AssertionSuccess();
  }
  for (int i = 0; i < 4; ++i) {
    ScanCursor scan(d.text.c_str(), d.docFlags);
    scan.pos = pos;
    const std::string fresh = XmlDocument::ScanAttributes(scan, nullptr, i, limit) ? CursorText(scan) : "";
    if (std::string(d.AttributeNameView(i)) != fresh)
      return ::testing::AssertionFailure() << "attribute name " << i << " reads '" << d.AttributeNameView(i)
                                           << "', the tag holds '" << fresh << "'";
  }
  for (const char* name : {"a", "b", "item", "x:y", "zz"}) {
    ScanCursor scan(d.text.c_str(), d.docFlags);
    scan.pos = pos;
    const std::string fresh =
        XmlDocument::ScanAttributes(scan, name, 0, limit)
            ? DecodeText(d.text.data() + scan.nameStart, scan.nameEnd - scan.nameStart + 1)
            : "";
    if (d.AttributeValue(d.mainPos, name) != fresh)
      return ::testing::AssertionFailure()
             << "attribute " << name << " reads '" << d.AttributeValue(d.mainPos, name)
             << "', the tag holds '" << fresh << "'";
  }
  return ::testing::AssertionSuccess();
}

// The index of the first step after which the table no longer describes the
// text (or an addition, a mark or a read disagrees with it), or -1; message
// receives why.
int FirstFailingStep(const std::string& text, const std::vector<EditStep>& steps, std::string* message) {
  XmlDocument d;
  d.ParseText(text.c_str());
  MarkModel marks;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Addition addition = AdditionOf(steps[i]);
    // An edit first builds the table with the current flags (item of the
    // edit itself): the parent it is given is the one of that table.
    if (addition.asked) FollowDocumentFlags(d);
    const std::string before = d.text;
    const std::uint32_t revision = d.textRevision;
    const std::int32_t parentAt = StartOf(d, addition.asChild ? d.mainPos : d.parentPos);
    const bool done = ApplyStep(d, steps[i]);
    if (ParsesWhole(steps[i]))
      marks.Clear();
    else if (d.textRevision != revision)
      marks.Follow(d.lastChange);
    if (const char* name = MarkNameOf(steps[i])) marks.Saved(d, name);
    ::testing::AssertionResult checked = CheckTable(d);
    if (checked && addition.asked) checked = CheckAddition(d, addition, done, before, parentAt);
    if (checked) checked = marks.Check(d);
    if (checked) checked = ReadsMatchAFreshScan(d);
    if (!checked) {
      if (message != nullptr) *message = checked.message();
      return static_cast<int>(i);
    }
  }
  return -1;
}

// Drops steps one at a time while the sequence still fails.
std::vector<EditStep> Shortest(const std::string& text, std::vector<EditStep> steps) {
  for (bool shorter = true; shorter;) {
    shorter = false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      std::vector<EditStep> without = steps;
      without.erase(without.begin() + static_cast<std::ptrdiff_t>(i));
      const int failing = FirstFailingStep(text, without, nullptr);
      if (failing >= 0) {
        without.resize(static_cast<std::size_t>(failing) + 1);
        steps = without;
        shorter = true;
        break;
      }
    }
  }
  return steps;
}

TEST(RandomEdits, EveryStepLeavesATableThatDescribesTheText) {
  constexpr int kDocuments = 600;
  constexpr int kSteps = 800;
  for (std::uint32_t seed = 1; seed <= kDocuments; ++seed) {
    std::string text = GenerateDocument(seed);
    // Every other document holds an error from the start: a stray end tag.
    if (seed % 2 == 0) text.insert(text.find('>') + 1, "</stray>");
    std::mt19937 rng(seed * 7919u);
    std::vector<std::uint8_t> bytes(4 * kSteps);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(rng());
    std::vector<EditStep> steps = StepsFromBytes(bytes.data(), bytes.size());
    std::string message;
    const int failing = FirstFailingStep(text, steps, &message);
    if (failing < 0) continue;
    steps.resize(static_cast<std::size_t>(failing) + 1);
    std::string calls;
    for (const EditStep& s : Shortest(text, steps)) calls += "\n  " + DescribeStep(s);
    FAIL() << "seed " << seed << ", step " << failing << ": " << message << "\ndocument: " << text
           << "\nshortest failing sequence:" << calls;
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
