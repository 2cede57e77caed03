// Writing a document file. The text a component holds is written by the
// module's own save (SaveDocumentFile), so the tool keeps a file's
// permissions, owner and links exactly as every host of the module does; a
// compressed document, which the module does not write, is written by the
// tool through the same file replacement. Interrupting signals wait until
// the file is replaced (tools/held_signals.h).
#pragma once

#include <string>

#include "orvel/orvel.h"
#include "tools/document_encoding.h"

namespace orvelxml {

// Writes xml's document text to path; false with "PATH: REASON" in *error.
bool SaveDocumentText(orvel::IXmlComponent* xml, const std::string& path, std::string* error);

// text (UTF-8) as a file in encoding holds it. A text the edits have not
// touched converts whole: std::runtime_error says otherwise.
std::string FileBytes(const std::string& text, const DocumentEncoding& encoding);

// Writes bytes to path through the file replacement; false with the reason
// in *error.
bool SaveFileBytes(const std::string& bytes, const std::string& path, std::string* error);

// Writes text to path as gzip data; false with the reason in *error.
bool SaveCompressedText(const std::string& text, const std::string& path, std::string* error);

}  // namespace orvelxml
