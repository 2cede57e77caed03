// Where a document lies, and the names of the files a save puts beside it:
// the new text until it replaces the old one (and on Windows the old text
// until the new one is in place). A name carries the document's name and the
// writer's process id, so that a later save of the same document can remove
// what a killed writer left behind. Shared by both builds.
#pragma once

#include <cstddef>
#include <string>

namespace orvel {
namespace platform {

// Where a file lies: its folder (ending in a separator, or "" for the
// working folder) and its name there.
struct Place {
  explicit Place(const std::string& path);
  std::string Path() const { return folder + name; }
  std::string folder;
  std::string name;
};

// What every such name of the document named name (no folder) begins with:
// "." name ".orvel~".
std::string SiblingPrefix(const std::string& name);

// A name for attempt n of process pid beside the document named name, at most
// room bytes long: SiblingPrefix(name), the pid and n in hex ("1f2a-0"). When
// that does not fit, a short name of at most room bytes that carries no
// document name (and so is never taken for a leftover of one); "" when room is
// 0. A name that fits in its folder thus always has a sibling name that fits.
std::string SiblingName(const std::string& name, std::size_t room, unsigned long pid, unsigned n);

// The writer's process id in entry, a name in the document's folder, when
// entry is a sibling name of the document whose SiblingPrefix is prefix; 0
// when it is not one.
unsigned long SiblingWriter(const char* entry, const std::string& prefix);

// true the first time this process asks for path: a document's folder is
// looked through for leftovers once per process (listing a folder of 100,000
// files costs some 25 ms, more than the save).
bool FirstSaveInProcess(const std::string& path);

}  // namespace platform
}  // namespace orvel
