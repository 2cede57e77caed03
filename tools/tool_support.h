// Pieces the orvelxml subcommands share: options, files, module opening,
// offsets as line and column, and fetching a whole text from the component.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "orvel/orvel.h"
#include "tools/module_host.h"
#include "tools/standard_output.h"
#include "tools/strict/diagnostic.h"

namespace orvelxml {

// Exit codes of every subcommand.
enum : int { ExitOk = 0, ExitNotWellFormed = 1, ExitUsage = 2, ExitNotFound = 3 };

struct ToolOptions {
  std::string modulePath;  // --module PATH, else next to the executable
  bool quiet = false;      // -q: only results and errors
};

// The name standard input goes by in messages; "-" on the command line.
constexpr char kStandardInputName[] = "<stdin>";

// Loads the module named by options; prints the reason and returns false when it cannot.
bool OpenModule(ModuleHost& host, const ToolOptions& options);

// Whole file as bytes; false with a message in *error.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);
// Writes bytes to path; an existing regular file is replaced only once the
// new content is written whole (a sibling file renamed over it).
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* error);

// The bytes of path as they are, or of standard input for "-"; false with a
// message in *error.
bool ReadInputFile(const std::string& path, std::string* bytes, std::string* error);

// Whether the module loads path as a compressed document: its extension,
// space-trimmed, is "xmlz" in any letter case.
bool IsCompressedName(const std::string& path);
// The text of the document file at path: a compressed one decoded by the
// module's load (a component of host's), any other read as it is. false with
// a message in *error when there is no text.
bool ReadDocumentFile(ModuleHost& host, const std::string& path, std::string* text, std::string* error);

// The text of the document named on the command line: standard input for "-",
// else as ReadDocumentFile reads it. A text the module could not hold (its
// offsets are signed 32-bit) is refused here, before anything is parsed.
bool ReadInputDocument(ModuleHost& host, const std::string& path, std::string* text, std::string* error);
// The name path goes by in messages.
std::string DisplayName(const std::string& path);

// Offset of the first NUL byte in bytes, or -1. The component takes C strings:
// a NUL would silently end the document there.
long FirstNulByte(const std::string& bytes);

// Why the component cannot be handed a text as it is: a NUL byte, which would
// end the text there and which XML does not allow; an empty message when it
// can.
struct Refusal {
  long offset = 0;
  std::string message;
};
Refusal RefuseNulByte(const std::string& text);
// Prints "NAME:LINE:COL: MESSAGE" for offset in text to stream.
void PrintAt(std::FILE* stream, const std::string& name, const std::string& text, long offset,
             const std::string& message);

// The component's whole document text (ReadDocumentText with a buffer grown
// until the text fits); expected, when known, is about its length.
std::string FetchDocumentText(orvel::IXmlComponent* xml, std::size_t expected = 0);

// Largest buffer the tool offers a read slot: the module's text offsets are
// signed 32-bit, so no text of the module is longer than this less its NUL.
constexpr int kMaxTextCapacity = 0x7FFFFFFF;
// Longest document the tool hands the module.
constexpr std::size_t kMaxDocumentBytes = kMaxTextCapacity - 1;

// One text result of a read slot, with a buffer grown until it fits, first
// offered room for expected bytes (a long text then takes one buffer, not a
// doubling series of them). A text that does not fit in maxCapacity bytes
// throws std::length_error: taken for an empty text, it would let
// `format FILE -o FILE` empty the file.
template <class Read>
std::string FetchText(Read read, int maxCapacity = kMaxTextCapacity, std::size_t expected = 0) {
  const long long first = std::max<long long>(256, static_cast<long long>(expected) + 1);
  for (int capacity = static_cast<int>(std::min<long long>(first, maxCapacity));;
       capacity = static_cast<int>(std::min<long long>(2LL * capacity, maxCapacity))) {
    // The buffer becomes the result: a long text is not copied once more.
    std::string buf(static_cast<std::size_t>(capacity), '\x7F');
    if (read(&buf[0], capacity) == 0) return std::string();
    if (const void* nul = std::memchr(buf.data(), 0, buf.size())) {
      buf.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - buf.data()));
      return buf;
    }
    if (capacity >= maxCapacity) {
      throw std::length_error("a text result does not fit in " + std::to_string(maxCapacity) + " bytes");
    }
  }
}

// True for "-h" or "--help" anywhere in args.
bool WantsHelp(const std::vector<std::string>& args);

// The usual start of a command: help printed on request, its exit code in *exit;
// false when the command should go on.
bool AnsweredHelp(const std::vector<std::string>& args, const char* help, int* exit);

// Whether the session holds a component; says so on stderr when it does not.
bool HasComponent(const ComponentSession& session);

}  // namespace orvelxml
