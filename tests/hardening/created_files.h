// Files as they are at the moment they are created: the test executable's
// open() records the permission bits of each new file whose name (or, for a
// file made without a name, its folder's) holds a given part, right after the system created it and before the caller can do
// anything with it.
#pragma once

#include <string>
#include <vector>

namespace orvel {
namespace test {

// Starts recording the files whose names hold part (and forgets earlier ones).
void WatchCreatedFiles(const std::string& part);
// The permission bits each such file had when it was created, in order; stops recording.
std::vector<unsigned> CreatedFileModes();

}  // namespace test
}  // namespace orvel
