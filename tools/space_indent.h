// `format --indent N`: the module indents with tabs, one a level, counted
// with the tabs already there, and rewrites white space that does not start a
// line too. For N spaces a level the tool strips the indentation of each line
// that starts with a tag, lets the module indent that text with tabs, and
// takes from it only each such line's depth. Only white space between markup
// that holds a line break and is followed by a tag (not by "<!") is touched;
// comments, CDATA sections, instructions and attribute values never are.
#pragma once

#include <string>

namespace orvelxml {

// text without the spaces and tabs that start each such line.
std::string StripLineIndents(const std::string& text);
// stripped with each such line indented by width spaces a level, the levels
// read from tabbed (stripped as the module re-indented it). false when the two
// do not have the same such lines.
bool SpaceIndents(const std::string& stripped, const std::string& tabbed, int width, std::string* out);

}  // namespace orvelxml
