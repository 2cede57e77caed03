// `format --indent N`: the module indents with tabs, one a level, and counts
// the tabs already there; these two passes around its re-indentation make the
// indentation N spaces a level instead. Both touch only white space that lies
// between markup, starts a line and is followed by a tag (not by "<!"), which
// is the white space the module re-indents; comments, CDATA sections,
// instructions and attribute values are never changed.
#pragma once

#include <string>

namespace orvelxml {

// text without the spaces and tabs that start each such line, so that the
// module's tabs become the whole indentation.
std::string StripLineIndents(const std::string& text);
// text with each tab that starts such a line made width spaces.
std::string TabsToSpaces(const std::string& text, int width);

}  // namespace orvelxml
