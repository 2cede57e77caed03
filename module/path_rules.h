// Path helpers of the configuration and factory code. Every output is bounded
// by its capacity: a result that does not fit with its NUL is refused.
#pragma once

#include <cstddef>

namespace orvel {

// The module's path buffers hold at most 259 characters.
constexpr std::size_t kPathCapacity = 260;

// Null, empty, or made of spaces and tabs only.
bool IsBlank(const char* text);
// out = value without leading and trailing spaces and tabs; out is emptied
// first and stays empty when the trimmed text does not fit.
void TrimBlanks(const char* value, char* out, std::size_t capacity);
// out = the directory part of basePath (up to and including its last
// separator) followed by name; without a separator, basePath, a separator and
// name. out stays empty when the result does not fit.
void JoinToDirectoryOf(const char* basePath, const char* name, char* out, std::size_t capacity);
// out = first, a separator, second; out stays empty when that does not fit.
void JoinWithSeparator(const char* first, const char* second, char* out, std::size_t capacity);
// out = directory, a separator, name. false, out empty, when directory is
// empty (not known) or the result does not fit: a cut path names another file.
bool JoinToFolder(const char* directory, const char* name, char* out, std::size_t capacity);
// out (capacity 260) = HostDirectory, a separator, name; false, out empty, as JoinToFolder.
bool JoinToHostDirectory(const char* name, char* out);

}  // namespace orvel
