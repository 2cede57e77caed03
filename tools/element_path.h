// The PATH of the editing commands: element names separated by '/', each with
// an optional [n] (the nth of that name among its siblings, counted from 1)
// and '*' for any name, then an optional final @attribute:
// catalog/book[2]/@id.
#pragma once

#include <string>
#include <vector>

#include "orvel/orvel.h"

namespace orvelxml {

struct PathStep {
  std::string name;  // empty for '*'
  int index = 1;
};

struct ElementPath {
  std::vector<PathStep> steps;
  std::string attribute;  // empty when the path names an element
};

// false with the reason in *error when text is not such a path.
bool ParseElementPath(const std::string& text, ElementPath* path, std::string* error);

// Walks path's elements from the document level with the seek operations and
// leaves the main position on the last one; false when one is missing.
bool SeekElementPath(orvel::IXmlComponent* xml, const ElementPath& path);

// Whether the main element has an attribute called name.
bool HasAttribute(orvel::IXmlComponent* xml, const std::string& name);

}  // namespace orvelxml
