// Long random sequences of moves, marks, reads and edits on generated
// documents, with the table checker after every step. A failure reports the
// seed and the shortest sequence found that still fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/encoding.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/support/document_generator.h"
#include "tests/support/edit_sequence.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

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
// text (or a read disagrees with the text), or -1; message receives why.
int FirstFailingStep(const std::string& text, const std::vector<EditStep>& steps, std::string* message) {
  XmlDocument d;
  d.ParseText(text.c_str());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    ApplyStep(d, steps[i]);
    ::testing::AssertionResult checked = CheckTable(d);
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
  constexpr int kDocuments = 300;
  constexpr int kSteps = 800;
  for (std::uint32_t seed = 1; seed <= kDocuments; ++seed) {
    const std::string text = GenerateDocument(seed);
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
