#include "tools/tool_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace orvelxml {

bool OpenModule(ModuleHost& host, const ToolOptions& options) {
  const std::string path = options.modulePath.empty() ? DefaultModulePath() : options.modulePath;
  std::string error;
  if (host.Load(path, &error)) return true;
  std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
  return false;
}

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
  const int failure = orvel::platform::ReadWholeFile(path.c_str(), kMaxDocumentBytes, bytes);
  if (failure == EFBIG) {
    *error = path + ": longer than the " + std::to_string(kMaxDocumentBytes) + " bytes the module can hold";
  } else if (failure != 0) {
    *error = path + ": " + std::strerror(failure);
  }
  return failure == 0;
}

namespace {

bool ReadStandardInput(std::string* bytes, std::string* error) {
  bytes->clear();
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
    bytes->append(chunk, n);
    if (bytes->size() > kMaxDocumentBytes) {
      *error = std::string(kStandardInputName) + ": longer than the " + std::to_string(kMaxDocumentBytes) +
               " bytes the module can hold";
      return false;
    }
  }
  if (std::ferror(stdin) == 0) return true;
  *error = std::string(kStandardInputName) + ": read error";
  return false;
}

}  // namespace

bool ReadInputFile(const std::string& path, std::string* bytes, std::string* error) {
  return path == "-" ? ReadStandardInput(bytes, error) : ReadWholeFile(path, bytes, error);
}

bool ReadInputDocument(ModuleHost& host, const std::string& path, std::string* text, std::string* error) {
  if (path == "-") return ReadStandardInput(text, error);
  return ReadDocumentFile(host, path, text, error);
}

std::string DisplayName(const std::string& path) { return path == "-" ? kStandardInputName : path; }

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string* error) {
  const int failure = orvel::platform::ReplaceFileContents(path.c_str(), bytes.data(), bytes.size());
  if (failure != 0) *error = path + ": " + std::strerror(failure);
  return failure == 0;
}

bool IsCompressedName(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  extension.erase(0, extension.find_first_not_of(' '));
  extension.erase(extension.find_last_not_of(' ') + 1);
  return extension.size() == 4 && orvel::platform::CompareNoCase(extension.c_str(), "xmlz", 4) == 0;
}

bool ReadDocumentFile(ModuleHost& host, const std::string& path, std::string* text, std::string* error) {
  if (!IsCompressedName(path)) return ReadWholeFile(path, text, error);
  // The module resolves relative paths against its data root, not the working folder.
  char absolute[260];
  if (!orvel::platform::AbsolutePath(path.c_str(), absolute, sizeof absolute)) {
    *error = path + ": " + std::strerror(ENAMETOOLONG);
    return false;
  }
  ComponentSession xml(host);
  if (!HasComponent(xml)) {
    *error = "the module created no component";
    return false;
  }
  xml->LoadDocumentFile(absolute);
  // A decoded text that is not well formed is still a text; a failed load leaves none.
  *text = FetchDocumentText(xml.get());
  if (text->empty()) *error = path + ": cannot be loaded (missing, not gzip data, or no decoder)";
  return !text->empty();
}

long FirstNulByte(const std::string& bytes) {
  const void* nul = std::memchr(bytes.data(), 0, bytes.size());
  return nul == nullptr ? -1 : static_cast<const char*>(nul) - bytes.data();
}

Refusal RefuseNulByte(const std::string& text) {
  const long nul = FirstNulByte(text);
  if (nul < 0) return {};
  // ASCII in 16-bit units: XML tells UTF-16 by a byte-order mark or by "<?xml" at the start.
  const bool wideAscii = nul <= 1 && text.size() >= 2 && (text[0] == '\0') != (text[1] == '\0');
  return {nul, wideAscii ? "a NUL byte: UTF-16 is read when the document starts with a byte-order mark or "
                           "with '<?xml'"
                         : "a NUL byte, which XML does not allow"};
}

void PrintAt(std::FILE* stream, const std::string& name, const std::string& text, long offset,
             const std::string& message) {
  const LineColumn lc = LineColumnAt(text, offset);
  std::fprintf(stream, "%s:%d:%d: %s\n", name.c_str(), lc.line, lc.column, message.c_str());
}

std::string FetchDocumentText(orvel::IXmlComponent* xml, std::size_t expected) {
  // Slot 30 returns nothing, so "fits" shows only as a written NUL.
  return FetchText(
      [xml](char* buf, int len) {
        xml->ReadDocumentText(buf, len);
        return 1;
      },
      kMaxTextCapacity, expected);
}

bool WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "-h" || a == "--help") return true;
  return false;
}

bool AnsweredHelp(const std::vector<std::string>& args, const char* help, int* exit) {
  if (!WantsHelp(args)) return false;
  Print("%s", help);
  *exit = ExitOk;
  return true;
}

bool HasComponent(const ComponentSession& session) {
  if (!session) std::fputs("orvelxml: the module created no component\n", Errors());
  return static_cast<bool>(session);
}

}  // namespace orvelxml
