// format's rule for white space. The module re-indents with tabs in front of
// every tag that follows white space, one a nesting level counted with the
// tabs already there, whether or not the tag starts a line. The tool keeps of
// that only what a reader takes for layout: the indentation of a line, which
// is the white space after the last line break of a run of white space that
// lies between markup and is followed by a tag (not by "<!"). Such a run is
// still left alone when it is the whole content of an element (<t> </t>,
// <t>, line break, </t>) or lies inside an element with xml:space="preserve"
// (up to one with xml:space="default"). Everything else, text that is only
// white space included, stays byte for byte.
#pragma once

#include <string>

namespace orvelxml {

// text without the indentation of those lines: what the module re-indents
// for N spaces a level, so that its tabs are the depth alone.
std::string StripLineIndents(const std::string& text);

// text with the indentation of those lines taken from reindented, the
// module's re-indentation of text (or of StripLineIndents(text) when width
// is not negative): as the module wrote it for a negative width, else width
// spaces for each of its tabs. false when the two texts differ elsewhere than
// in white space in front of tags.
bool MergeLineIndents(const std::string& text, const std::string& reindented, int width, std::string* out);

}  // namespace orvelxml
