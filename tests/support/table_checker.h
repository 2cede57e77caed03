// Proves that an XmlDocument's element table describes its text: the links
// form a tree from record 0, offsets and lengths agree with the tags in the
// text, and a fresh parse of the same text gives the same records.
#pragma once

#include <gtest/gtest.h>

#include "engine/xml_document.h"

namespace orvel {
namespace test {

::testing::AssertionResult CheckTable(const XmlDocument& doc);

}  // namespace test
}  // namespace orvel
