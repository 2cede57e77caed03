// What the editing commands may write. A value is refused when XML does not
// allow one of its characters, or when an XML reader would not read it back as
// given; an edited document is written only when it is still well formed.
#pragma once

#include <string>

#include "orvel/orvel.h"
#include "tools/document_encoding.h"

namespace orvelxml {

// Why value cannot be written as an attribute's value (attribute) or an
// element's text: not UTF-8, or a character XML does not allow there; empty
// when it can.
std::string RefusedValue(const std::string& value, bool attribute);

// An element's text as WriteContent takes it, with the flags to pass: a
// carriage return, which a reader would take for a line break, goes in as a
// character reference (the module keeps references it is handed).
struct ContentText {
  std::string text;
  int flags;
};
ContentText ContentFor(const std::string& value);

// Whether the document xml holds after an edit is well formed (the module's
// table and XML's rules, with those of namespaces when namespaces is set) and
// can be written in the file's encoding; false with
// the first error in *why when it is not. expected is about the edited text's
// length. *fileBytes receives the text as the file will hold it when the
// encoding does not keep the text's bytes, and is left empty when it does.
bool EditedDocumentWellFormed(orvel::IXmlComponent* xml, std::size_t expected, bool namespaces,
                              const DocumentEncoding& encoding, std::string* fileBytes, std::string* why);

}  // namespace orvelxml
