// The PATH of the editing commands: element names separated by '/', each with
// an optional [n] and '*' for any name, then an optional final @attribute:
// catalog/book[2]/@id. It means what the same XPath location path means:
// every step is tried under every element the steps before it found, in
// document order, and [n] picks the nth element of that name under each
// parent (counted from 1).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "orvel/orvel.h"

namespace orvelxml {

struct PathStep {
  std::string name;  // empty for '*'
  int index = 0;     // [n]; 0 for every element of the name
};

struct ElementPath {
  std::vector<PathStep> steps;
  std::string attribute;  // empty when the path names an element
};

// false with the reason in *error when text is not such a path.
bool ParseElementPath(const std::string& text, ElementPath* path, std::string* error);

// Calls visit once for every element that path's steps match, in document
// order, with that element as the main position. visit leaves the main
// position on the element, or, when it removed it, where DeleteElement left
// it; the walk goes on from there. The walk stops early when visit returns
// false. Returns the number of visits.
long VisitPathMatches(orvel::IXmlComponent* xml, const ElementPath& path, const std::function<bool()>& visit);

// Whether the main element has an attribute called name.
bool HasAttribute(orvel::IXmlComponent* xml, const std::string& name);

}  // namespace orvelxml
