// gzip data for compressed documents, written by pack and by the editing
// commands when they save an ".xmlz" file.
#pragma once

#include <string>

namespace orvelxml {

// in compressed as one gzip member into *out; false when zlib refuses.
bool Gzip(const std::string& in, std::string* out);

}  // namespace orvelxml
