// The text of a compressed document, as the framework's decoder component
// (slot 7) writes it.
#pragma once

#include <string>

#include "orvel/factory_library.h"

namespace orvel {

// Decodes input with decoder into *text (NUL bytes inside the text kept),
// which changes only on success. The first call offers twice the input's size;
// a decoder that reports needing more is called again with the room it asks
// for, at least twice the last, up to 2^31 - 2 bytes. The room is zero-filled
// pages the system supplies as they are written, so that room offered and not
// written costs nothing, and the text is handed over from it a piece at a
// time, so that room and text do not both hold it whole. false when the
// decoder fails, writes no text, or needs more than the largest room.
bool DecodeDocument(IDocumentDecoder& decoder, const std::string& input, std::string* text);

}  // namespace orvel
