// orvelxml check FILE...: well formed or not, per file, with the first error
// as FILE:LINE:COL and the parser's status text.
#include <cstdio>

#include "tools/commands.h"
#include "tools/first_error.h"

namespace orvelxml {

namespace {

const char kCheckHelp[] =
    "usage: orvelxml check FILE...\n"
    "Parses each FILE with the module and prints \"FILE: well formed\", or\n"
    "\"FILE:LINE:COL: STATUS\" with the first error the parser recorded. An \".xmlz\"\n"
    "FILE is decoded by the module's load; LINE and COL count in the decoded text.\n"
    "Exit 0 when all are well formed, 1 when one is not, 2 when a file cannot be read.\n";

// Prints the verdict for one file's bytes; returns whether it is well formed.
bool CheckOne(orvel::IXmlComponent* xml, const std::string& path, const std::string& bytes) {
  const long at = FirstNulByte(bytes);
  if (at >= 0) {
    const LineColumn lc = LineColumnAt(bytes, at);
    std::printf("%s:%d:%d: NUL byte at offset %ld\n", path.c_str(), lc.line, lc.column, at);
    return false;
  }
  if (xml->ParseText(bytes.c_str()) != 0) {
    std::printf("%s: well formed\n", path.c_str());
    return true;
  }
  const FirstError error = FindFirstError(bytes);
  const LineColumn lc = LineColumnAt(bytes, error.offset);
  std::printf("%s:%d:%d: %s\n", path.c_str(), lc.line, lc.column, error.status.c_str());
  return false;
}

}  // namespace

int RunCheckCommand(const Args& args, const ToolOptions& options) {
  int code = ExitOk;
  if (AnsweredHelp(args, kCheckHelp, &code)) return code;
  if (args.empty()) {
    std::fputs(kCheckHelp, stderr);
    return ExitUsage;
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  bool allGood = true;
  bool unreadable = false;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    for (const std::string& path : args) {
      std::string bytes, error;
      if (!ReadDocumentFile(host, path, &bytes, &error)) {
        std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
        unreadable = true;
        continue;
      }
      allGood = CheckOne(xml.get(), path, bytes) && allGood;
    }
  }
  if (unreadable) return ExitUsage;
  return allGood ? ExitOk : ExitNotWellFormed;
}

}  // namespace orvelxml
