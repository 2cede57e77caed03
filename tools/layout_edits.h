// Adding and removing elements through the component's slots in the file's
// own layout. The module writes "\r\n" after an element it adds and no
// indentation, and takes the white space after an element it removes with
// it. The tool then sets the white space around the change, through the
// node slots too, so that a file keeps its own line breaks and indentation.
#pragma once

#include <string>
#include <vector>

#include "orvel/orvel.h"
#include "tools/markup_scan.h"

namespace orvelxml {

// Adds markup as written at the end of the main element's content; elements
// are markup's top-level elements (ContentElements). When that content ends
// with a line break and indentation (the end tag on a line of its own),
// markup goes on a new line in front of the end tag: the content's own line
// break, then the indentation of the first child element that starts a line
// (failing that, the end tag's and unit more). Otherwise markup goes right in
// front of the end tag, on the same line. Positions are left inside the
// element.
void AddAtContentEnd(orvel::IXmlComponent* xml, const std::string& markup,
                     const std::vector<ElementSpan>& elements, const std::string& unit);

// Removes the main element with DeleteElement. When it stood on a line of its
// own, the line goes with it: the line break and indentation in front of it
// are removed and the white space after it stays, so what followed, the
// parent's end tag among them, keeps its line. Otherwise the white space
// after it stays too. The main position ends where DeleteElement leaves it;
// false when the module refuses.
bool DeleteWithItsLine(orvel::IXmlComponent* xml);

// One level of indentation in text: the white space that starts the first
// line that is indented and starts with a tag; empty when there is none.
std::string IndentUnit(const std::string& text);

}  // namespace orvelxml
