// Random edit sequences as a host makes them, through the component's slots
// only: after every step the text handed back (slot 30) is parsed by a second
// component, and everything a host reads on a full walk of the two must agree.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "orvel/orvel.h"
#include "tests/support/document_generator.h"
#include "tests/support/edit_sequence.h"

namespace orvel {
namespace test {
namespace {

class Component {
 public:
  Component() : x_(static_cast<IXmlComponent*>(CreateComponent(XmlComponentID, 0))) {}
  ~Component() { x_->Release(0); }
  IXmlComponent* operator->() const { return x_; }
  IXmlComponent* get() const { return x_; }

 private:
  IXmlComponent* x_;
};

std::string TextOf(IXmlComponent* x) {
  std::vector<char> text(1 << 20, '\0');
  x->ReadDocumentText(text.data(), static_cast<int>(text.size()));
  return text.data();
}

TEST(SlotSequences, TheEditedDocumentReadsAsItsTextParsedAfresh) {
  constexpr int kDocuments = 60;
  constexpr int kSteps = 300;
  for (std::uint32_t seed = 1; seed <= kDocuments; ++seed) {
    Component edited, fresh;
    edited->ParseText(GenerateDocument(seed).c_str());
    std::mt19937 rng(seed * 104729u);
    std::vector<std::uint8_t> bytes(4 * kSteps);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(rng());
    const std::vector<EditStep> steps = StepsFromBytes(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
      ApplyStepThroughSlots(edited.get(), steps[i]);
      const int marked =
          edited->MarkPosition("walked");  // the walk moves the positions: they come back after it
      fresh->SetDocumentFlags(edited->GetDocumentFlags());
      fresh->ParseText(TextOf(edited.get()).c_str());
      const std::string expected = WalkThroughSlots(fresh.get()), got = WalkThroughSlots(edited.get());
      ASSERT_EQ(got, expected) << "seed " << seed << ", after step " << i << ": " << DescribeStep(steps[i])
                               << "\ntext: " << TextOf(edited.get());
      if (marked) edited->ReturnToMark("walked");
    }
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
