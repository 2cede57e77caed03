// The documents `check -r DIR` finds below a folder: files by extension, and
// among the ".conf" files, of which many are not XML at all, those whose
// content starts as an XML document does.
#pragma once

#include <string>
#include <vector>

namespace orvelxml {

// The extensions checked when none are given (without the dot, lower case).
const std::vector<std::string>& DefaultDocumentExtensions();

// Extensions from a list such as "xml,.rng, XSD": lower case, without dots
// and spaces. false with the reason in *why for an empty one.
bool ParseExtensions(const std::string& list, std::vector<std::string>* extensions, std::string* why);

struct FoundDocuments {
  std::vector<std::string> files;  // in name order
  long skipped = 0;                // ".conf" files that do not start as XML does
};

// Every regular file below folder whose extension, in any letter case, is one
// of extensions; a ".conf" file only when its first bytes are those of an XML
// document (a '<' after an optional byte-order mark and white space, or UTF-16
// or UTF-32 text). false with the reason in *why when folder cannot be walked.
bool FindDocuments(const std::string& folder, const std::vector<std::string>& extensions,
                   FoundDocuments* found, std::string* why);

}  // namespace orvelxml
