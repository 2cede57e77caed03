// The path utility: second base of XmlComponent. Its operations test file
// extensions, resolve relative paths against the data root directory, test
// that files exist and append suffixes; every output is bounded by its
// capacity. It also carries the record that the factory library fills when
// the utility registers itself at construction.
#pragma once

#include <cstdint>

#include "module/factory_access.h"

namespace orvel {

class PathUtility {
 public:
  // Initialises the record and registers it with an already loaded factory library.
  PathUtility();
  PathUtility(const PathUtility&) = delete;
  PathUtility& operator=(const PathUtility&) = delete;

  // The utility's one virtual operation; a placeholder in the binary layout
  // that nothing calls and that does nothing.
  virtual void ReservedPathOperation(std::int32_t first, std::int32_t second);

  // Copies the bytes after the last '.' of path into buf. 0, buf unchanged,
  // when path has no '.' or the extension does not fit with its NUL.
  static int GetExtension(const char* path, char* buf, int capacity);
  // Copies src without its leading and trailing space bytes into dst and
  // returns that length; dst gets the empty text (0) when nothing is left or
  // it does not fit. 0, dst unchanged, for a null src or dst or no capacity.
  static int TrimSpaces(const char* src, char* dst, int capacity);
  // a and b, space-trimmed, are equal ignoring ASCII letter case.
  static bool ExtensionEquals(const char* a, const char* b);
  // An absolute path copied when it fits; a relative one joined to the data
  // root when that is known and the result fits (a cut path would name
  // another file). 0 for a null path, buffer or capacity, or what does not fit.
  static int ResolvePath(const char* path, char* buf, int capacity);
  // path, resolved, exists; a directory counts only when allowDirectory is not 0.
  static bool FileExists(const char* path, int allowDirectory);
  // Appends suffix to buf; 0, buf unchanged, when the result does not fit.
  static int AppendSuffix(char* buf, int capacity, const char* suffix);
  // The file a load opens for path: resolved as ResolvePath does; 0 for an
  // empty path.
  static int ResolvePathToOpen(const char* path, char* buf, int capacity);

 protected:
  // Components are destroyed through OwnedObjectLists, never through this base.
  ~PathUtility() = default;

 private:
  PathRegistrationRecord registration_;
};

}  // namespace orvel
