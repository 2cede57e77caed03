// Edit sequences for the randomized edit test and the edit fuzzer: each step
// is four bytes that choose an operation (a move, a mark, a read or an edit)
// and its arguments from fixed tables, so that the same bytes always replay
// the same calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "orvel/xml_component.h"

namespace orvel {
namespace test {

struct EditStep {
  std::uint8_t op, a, b, c;
};

// Steps read from bytes, four to a step (a short tail is dropped).
std::vector<EditStep> StepsFromBytes(const std::uint8_t* data, std::size_t size);

// Calls the step's operation on d; its result is not checked here.
void ApplyStep(XmlDocument& d, const EditStep& step);

// The same call made through the component's slots, as a host makes it (the
// flags the slots do not take are left out; a load parses the document up to
// its first NUL).
void ApplyStepThroughSlots(IXmlComponent* x, const EditStep& step);

// Everything a host reads on a walk through the slots: the verdict, then per
// node of every level its type, name and content, per element its tag name,
// every attribute (by index, then by name), content, inner and element
// markup, one line each.
std::string WalkThroughSlots(IXmlComponent* x);

// The call a step makes, for a failure report: "AddElement(\"a\", \"t\", 0x4000)".
std::string DescribeStep(const EditStep& step);

}  // namespace test
}  // namespace orvel
