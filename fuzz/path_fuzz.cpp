// libFuzzer target: the path utility and the module's path rules on any
// bytes. The input is two texts (split at its first NUL) and a capacity. Each
// output goes into a heap block of exactly that capacity, so that a byte
// written past it is caught; an operation that fails leaves its buffer as it
// was, and one that succeeds gives the text its rule describes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "component/path_utility.h"
#include "module/path_rules.h"
#include "platform/platform.h"

namespace {

using orvel::PathUtility;

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// A caller's buffer of capacity bytes (at least one), filled with '#'.
struct Buffer {
  explicit Buffer(int capacity) : bytes(static_cast<std::size_t>(std::max(capacity, 1)), '#') {}
  char* data() { return bytes.data(); }
  int size() const { return static_cast<int>(bytes.size()); }
  bool Untouched() const {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '#'; });
  }
  std::string Text() const { return std::string(bytes.data()); }
  std::vector<char> bytes;
};

std::string TrimmedOfSpaces(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int capacity = data[0] % 40 == 0 ? 260 : data[0] % 40;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string a = rest.c_str();
  const std::string b = rest.size() > a.size() ? std::string(rest.c_str() + a.size() + 1) : std::string();

  {
    Buffer out(capacity);
    const int ok = PathUtility::GetExtension(a.c_str(), out.data(), out.size());
    const std::size_t dot = a.rfind('.');
    const bool fits = dot != std::string::npos && a.size() - dot - 1 < static_cast<std::size_t>(out.size());
    Require(ok == (fits ? 1 : 0), "GetExtension accepted or refused wrongly");
    Require(ok ? out.Text() == a.substr(dot + 1) : out.Untouched(), "GetExtension wrote the wrong bytes");
  }
  {
    Buffer out(capacity);
    const int n = PathUtility::TrimSpaces(a.c_str(), out.data(), out.size());
    const std::string trimmed = TrimmedOfSpaces(a);
    if (!trimmed.empty() && trimmed.size() < static_cast<std::size_t>(out.size()))
      Require(n == static_cast<int>(trimmed.size()) && out.Text() == trimmed, "TrimSpaces gave other bytes");
    else
      Require(n == 0 && out.Text().empty(), "TrimSpaces should give the empty text");
  }
  Require(PathUtility::ExtensionEquals(a.c_str(), b.c_str()) ==
              PathUtility::ExtensionEquals(b.c_str(), a.c_str()),
          "ExtensionEquals is not symmetric");
  {
    Buffer out(capacity);
    std::memcpy(out.data(), b.c_str(), std::min(b.size() + 1, static_cast<std::size_t>(out.size())));
    const std::vector<char> before = out.bytes;
    const bool terminated = b.size() < static_cast<std::size_t>(out.size());
    const int ok = PathUtility::AppendSuffix(out.data(), out.size(), a.c_str());
    if (ok)
      Require(terminated && out.Text() == b + a, "AppendSuffix gave other bytes");
    else
      Require(out.bytes == before, "a refused AppendSuffix changed the buffer");
  }
  for (int allowDirectory = 0; allowDirectory < 2; ++allowDirectory)
    PathUtility::FileExists(a.c_str(), allowDirectory);
  {
    Buffer resolved(capacity), toOpen(capacity);
    if (PathUtility::ResolvePath(a.c_str(), resolved.data(), resolved.size()) != 0)
      Require(std::memchr(resolved.data(), '\0', resolved.bytes.size()) != nullptr,
              "ResolvePath left no NUL");
    if (PathUtility::ResolvePathToOpen(a.c_str(), toOpen.data(), toOpen.size()) != 0)
      Require(toOpen.Text().size() >= a.size(), "ResolvePathToOpen cut the path");
  }
  {
    Buffer trimmed(capacity), joined(capacity), withSeparator(capacity), cut(capacity);
    orvel::TrimBlanks(a.c_str(), trimmed.data(), static_cast<std::size_t>(trimmed.size()));
    orvel::JoinToDirectoryOf(a.c_str(), b.c_str(), joined.data(), static_cast<std::size_t>(joined.size()));
    orvel::JoinWithSeparator(a.c_str(), b.c_str(), withSeparator.data(),
                             static_cast<std::size_t>(withSeparator.size()));
    const bool folderJoined =
        orvel::JoinToFolder(a.c_str(), b.c_str(), cut.data(), static_cast<std::size_t>(cut.size()));
    const bool fits = !a.empty() && a.size() + 1 + b.size() < cut.bytes.size();
    Require(folderJoined == fits &&
                cut.Text() == (fits ? a + orvel::platform::kPathSeparator + b : std::string()),
            "JoinToFolder cut a path or refused one that fits");
    for (const Buffer* out : {&trimmed, &joined, &withSeparator, &cut})
      Require(std::memchr(out->bytes.data(), '\0', out->bytes.size()) != nullptr, "a path rule left no NUL");
    Require(orvel::IsBlank(a.c_str()) == (a.find_first_not_of(" \t") == std::string::npos),
            "IsBlank is wrong");
  }
  return 0;
}
