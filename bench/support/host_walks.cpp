#include "support/host_walks.h"

#include <cstring>
#include <pugixml.hpp>
#include <vector>

#include "orvel/orvel.h"

namespace orvel {
namespace bench {

namespace {

// The host's buffers, sized as a host sizes them.
struct Buffers {
  char name[256];
  char attribute[256];
  char value[4096];
};

void ReadNameAndAttributes(IXmlComponent* x, Buffers& b, Tally& tally) {
  ++tally.elements;
  x->ReadNodeName(b.name, sizeof b.name);
  tally.bytes += std::strlen(b.name);
  for (int i = 0;; ++i) {
    b.attribute[0] = '\0';
    x->ReadAttributeName(i, b.attribute, sizeof b.attribute);
    if (b.attribute[0] == '\0') break;
    x->ReadAttribute(b.attribute, b.value, sizeof b.value);
    tally.bytes += std::strlen(b.attribute) + std::strlen(b.value);
  }
}

void ReadContent(IXmlComponent* x, Buffers& b, Tally& tally) {
  x->ReadContent(b.value, sizeof b.value);
  tally.bytes += std::strlen(b.value);
}

}  // namespace

void WalkAskingForAChild(IXmlComponent* x, Tally& tally) {
  Buffers b;
  x->RewindDocument();
  if (!x->SeekSiblingElement(nullptr)) return;
  for (;;) {
    ReadNameAndAttributes(x, b, tally);
    if (x->SeekChildElement(nullptr)) {
      x->EnterElement();
      continue;
    }
    ReadContent(x, b, tally);
    while (!x->SeekSiblingElement(nullptr))
      if (!x->LeaveElement()) return;
  }
}

void WalkEnteringEachElement(IXmlComponent* x, Tally& tally) {
  Buffers b;
  // One entry per element entered: whether a child was found in it.
  std::vector<char> foundChild;
  x->RewindDocument();
  for (;;) {
    if (x->SeekSiblingElement(nullptr)) {
      if (!foundChild.empty()) foundChild.back() = 1;
      ReadNameAndAttributes(x, b, tally);
      x->EnterElement();
      foundChild.push_back(0);
      continue;
    }
    if (foundChild.empty()) return;
    const bool leaf = foundChild.back() == 0;
    foundChild.pop_back();
    x->LeaveElement();
    if (leaf) ReadContent(x, b, tally);
  }
}

void WalkPugixml(const pugi::xml_document& doc, Tally& tally) {
  pugi::xml_node node = doc.document_element();
  while (node) {
    ++tally.elements;
    tally.bytes += std::strlen(node.name());
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
      tally.bytes += std::strlen(a.name()) + std::strlen(a.value());
    pugi::xml_node firstElement = node.first_child();
    while (firstElement && firstElement.type() != pugi::node_element)
      firstElement = firstElement.next_sibling();
    if (firstElement) {
      node = firstElement;
      continue;
    }
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
        tally.bytes += std::strlen(c.value());
    for (;;) {
      pugi::xml_node next = node.next_sibling();
      while (next && next.type() != pugi::node_element) next = next.next_sibling();
      if (next) {
        node = next;
        break;
      }
      node = node.parent();
      if (!node || node.type() != pugi::node_element) return;
    }
  }
}

}  // namespace bench
}  // namespace orvel
