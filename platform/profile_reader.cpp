// The ini reader of the POSIX build, with the conventions of the Windows
// profile-string reader it stands in for.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/text_copy.h"

namespace orvel {
namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// [begin, end) without its leading and trailing spaces, tabs and CR.
void TrimRange(const char*& begin, const char*& end) {
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && (IsBlank(end[-1]) || end[-1] == '\r')) --end;
}

bool NameEquals(const char* begin, const char* end, const char* name) {
  const std::size_t n = static_cast<std::size_t>(end - begin);
  return std::strlen(name) == n && CompareNoCase(begin, name, n) == 0;
}

// Reads path whole when it is a regular file of at most kMaxProfileFileBytes.
// A pipe or a device is no ini file: a FIFO without a writer would block the
// caller, /dev/zero never ends. The open does not wait for a FIFO's writer;
// the type is checked on the open file. *tooLarge tells a file over the limit.
bool ReadIniFile(const char* path, std::string& text, bool* tooLarge) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && static_cast<unsigned long long>(st.st_size) > kMaxProfileFileBytes) {
    *tooLarge = true;
    ok = false;
  }
  char chunk[4096];
  try {
    while (ok) {
      const ssize_t n = read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // end of file, or a read error: keep what was read
      if (text.size() + static_cast<std::size_t>(n) > kMaxProfileFileBytes) {
        *tooLarge = true;  // also one that grew past the limit while it was read
        ok = false;
        break;
      }
      text.append(chunk, static_cast<std::size_t>(n));
    }
  } catch (...) {
    ok = false;
  }
  close(fd);
  if (!ok) text.clear();
  return ok;
}

// The last ']' in [begin, end), or null. A section name runs up to it, as in
// the Windows reader ("[a]b]" names "a]b").
const char* LastCloseBracket(const char* begin, const char* end) {
  while (end > begin) {
    if (*--end == ']') return end;
  }
  return nullptr;
}

// Finds key in section; on success [valueBegin, valueEnd) is the trimmed value
// with matching quotes removed. Only the first section of that name is searched.
// As in the Windows reader, a value ends at a NUL byte (after the line's
// blanks are trimmed, before its quotes are), and a '[' line without ']' is no
// section header: the section before it goes on.
bool FindValue(const std::string& text, const char* section, const char* key, const char*& valueBegin,
               const char*& valueEnd) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
  bool inSection = false;
  bool sectionSeen = false;
  while (p < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (lineEnd == nullptr) lineEnd = end;
    const char* b = p;
    const char* e = lineEnd;
    p = lineEnd < end ? lineEnd + 1 : end;
    TrimRange(b, e);
    if (b == e || *b == ';') continue;
    if (*b == '[') {
      const char* close = LastCloseBracket(b, e);
      if (close == nullptr) continue;
      if (sectionSeen) return false;
      const char* nameBegin = b + 1;
      const char* nameEnd = close;
      TrimRange(nameBegin, nameEnd);
      inSection = NameEquals(nameBegin, nameEnd, section);
      sectionSeen = inSection;
      continue;
    }
    if (!inSection) continue;
    const char* equals = static_cast<const char*>(std::memchr(b, '=', static_cast<std::size_t>(e - b)));
    if (equals == nullptr) continue;
    const char* keyEnd = equals;
    const char* keyBegin = b;
    TrimRange(keyBegin, keyEnd);
    if (!NameEquals(keyBegin, keyEnd, key)) continue;
    valueBegin = equals + 1;
    valueEnd = e;
    TrimRange(valueBegin, valueEnd);
    const char* nul = static_cast<const char*>(
        std::memchr(valueBegin, '\0', static_cast<std::size_t>(valueEnd - valueBegin)));
    if (nul != nullptr) valueEnd = nul;
    if (valueEnd - valueBegin >= 2 && (*valueBegin == '"' || *valueBegin == '\'') &&
        valueEnd[-1] == *valueBegin) {
      ++valueBegin;
      --valueEnd;
    }
    return true;
  }
  return false;
}

}  // namespace

ProfileFile::ProfileFile(const char* path) {
  if (path == nullptr) return;
  path_ = path;
  readable_ = ReadIniFile(path, text_, &tooLarge_);
}

std::size_t ProfileFile::Read(const char* section, const char* key, const char* defaultValue, char* out,
                              std::size_t capacity) const {
  if (out == nullptr || capacity == 0) return 0;
  if (defaultValue == nullptr) defaultValue = "";
  const char* valueBegin = nullptr;
  const char* valueEnd = nullptr;
  if (readable_ && section != nullptr && key != nullptr &&
      FindValue(text_, section, key, valueBegin, valueEnd)) {
    return CopyCut(valueBegin, valueEnd, out, capacity);
  }
  return CopyCut(defaultValue, defaultValue + std::strlen(defaultValue), out, capacity);
}

}  // namespace platform
}  // namespace orvel

#endif  // !_WIN32
