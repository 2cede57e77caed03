// How a document file holds its characters, and the way from its bytes to
// UTF-8, in which the tool and the module work (the module takes text as
// bytes; converting is the tool's job), and back. Found as XML says: by the
// first bytes (a byte-order mark, or '<?' in 16- or 32-bit units), then by
// the encoding the XML declaration names; UTF-8 when it names none.
#pragma once

#include <memory>
#include <string>

#include "tools/strict/diagnostic.h"

namespace orvel {
namespace platform {
class CharsetConverter;
}
}  // namespace orvel

namespace orvelxml {

// What the commands that read and write documents say about encodings.
extern const char kEncodingHelp[];

struct DocumentEncoding {
  enum class Form { Bytes, Utf16LE, Utf16BE, Utf32LE, Utf32BE };
  // Bytes: an encoding that keeps ASCII as it is, UTF-8 unless declared.
  Form form = Form::Bytes;
  // A UTF-16 or UTF-32 file starts with one; it is taken off the text and put
  // back in front of it. (UTF-8's stays in the text, as the module keeps it.)
  bool byteOrderMark = false;
  std::string name = "UTF-8";  // for messages: "UTF-16LE", or as declared
  // The system's converter, for a declared encoding other than UTF-8 and US-ASCII.
  std::shared_ptr<orvel::platform::CharsetConverter> converter;

  // Whether the text is the file's bytes as they are (UTF-8, US-ASCII).
  bool KeepsBytes() const { return form == Form::Bytes && !converter; }
};

struct DecodeOptions {
  // check --lenient: bytes that are not in the encoding are read as U+FFFD,
  // and a document in an encoding the system does not know as its bytes.
  bool lenient = false;
  // The text will be written back: refuse a document whose converted text
  // would not be written as the same bytes.
  bool faithful = false;
};

// Turns *text, the bytes of a document, into its characters in UTF-8 (the
// bytes stay as they are when they are UTF-8) and says in *encoding how the
// file holds them. false, with *text as far as it was read and *why placed in
// it, when the declared encoding is one the system does not convert, the
// bytes are not in it, or the first bytes and the declaration disagree.
bool DecodeDocument(std::string* text, DocumentEncoding* encoding, Diagnostic* why,
                    const DecodeOptions& options = {});

// The UTF-8 text of a document as its file holds it: in encoding, byte-order
// mark included. A character the encoding cannot hold is written as a
// character reference where the text is character data; false, with *why
// placed in text, for one anywhere else (a name, an attribute value, a
// comment).
bool EncodeDocument(const std::string& text, const DocumentEncoding& encoding, std::string* bytes,
                    Diagnostic* why);

}  // namespace orvelxml
