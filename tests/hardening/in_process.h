// The XML component in process, as a host sees it (only the interface),
// with its document open to the checks between calls: a snapshot that
// compares everything an operation may change, and the factory library
// loaded so that compressed files can be decoded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "component/xml_component.h"
#include "orvel/xml_component.h"

namespace orvel {
namespace test {

// A new component through the module's CreateComponent, as a host gets one.
IXmlComponent* NewComponent();
const XmlDocument& DocumentOf(IXmlComponent* xml);
std::int32_t NestingOf(IXmlComponent* xml);
// Makes the stand-in factory library (the gzip decoder) reachable; false when it does not load.
bool UseFactoryLibrary();

// Everything of a document that an operation may change.
struct Snapshot {
  explicit Snapshot(const XmlDocument& d);
  std::string text, status;
  std::vector<std::int32_t> fields;  // positions, counts, flags, record fields, marks
  std::vector<std::string> markNames;
  bool operator==(const Snapshot& o) const {
    return text == o.text && status == o.status && fields == o.fields && markNames == o.markNames;
  }
};

}  // namespace test
}  // namespace orvel
