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

// Calls the step's operation on d and returns what the operation reported
// (true for the steps that report nothing).
bool ApplyStep(XmlDocument& d, const EditStep& step);

// What an adding step asks for: an element (AddElement and its number form,
// or AddNode of an element) named text, a node of type with content text
// (type 0: one that writes nothing), or (kMarkup) the markup text; none when
// asked is false.
struct Addition {
  static constexpr int kMarkup = -1;
  bool asked = false;
  int type = 0;
  std::string text;
  bool asChild = false;
};
Addition AdditionOf(const EditStep& step);
// The name a mark step saves the positions under, or null (no mark step).
const char* MarkNameOf(const EditStep& step);
// True for the steps that parse the document whole (a load, re-indentation),
// which drops every mark.
bool ParsesWhole(const EditStep& step);

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
