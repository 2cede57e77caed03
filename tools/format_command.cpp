// orvelxml format FILE [-o OUT]: re-indents the document with the module and
// prints the text or writes it to OUT.
#include <cstdio>

#include "tools/commands.h"

namespace orvelxml {

namespace {

const char kFormatHelp[] =
    "usage: orvelxml format FILE [-o OUT]\n"
    "Re-indents FILE (each tag's leading tabs become its nesting depth; no line\n"
    "breaks are added) and prints the text, or writes it to OUT (through a new file\n"
    "beside OUT that replaces it once written, so OUT may be FILE). An \".xmlz\" FILE\n"
    "is decoded by the module's load; the text is written uncompressed.\n"
    "Exit 0; 1 when FILE is not well formed (the text is still formatted); 2 on usage\n"
    "or file errors, and for a FILE holding a NUL byte (nothing is written).\n";

}  // namespace

int RunFormatCommand(const Args& args, const ToolOptions& options) {
  int code = ExitOk;
  if (AnsweredHelp(args, kFormatHelp, &code)) return code;
  std::string input, output;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (input.empty() && args[i] != "-o") {
      input = args[i];
    } else {
      std::fputs(kFormatHelp, stderr);
      return ExitUsage;
    }
  }
  if (input.empty()) {
    std::fputs(kFormatHelp, stderr);
    return ExitUsage;
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string bytes, error;
  if (!ReadDocumentFile(host, input, &bytes, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  const long nul = FirstNulByte(bytes);
  if (nul >= 0) {
    // Only the text before it would reach the component, and be written back.
    const LineColumn lc = LineColumnAt(bytes, nul);
    std::fprintf(stderr, "orvelxml: %s:%d:%d: NUL byte at offset %ld; not formatted\n", input.c_str(), lc.line,
                 lc.column, nul);
    return ExitUsage;
  }
  std::string formatted;
  bool wellFormed;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    wellFormed = xml->ParseText(bytes.c_str()) != 0;
    xml->ReindentDocument();
    formatted = FetchDocumentText(xml.get());
  }
  if (!wellFormed) std::fprintf(stderr, "orvelxml: %s is not well formed (formatted anyway)\n", input.c_str());
  if (output.empty()) {
    std::fwrite(formatted.data(), 1, formatted.size(), stdout);
  } else if (!WriteWholeFile(output, formatted, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  return wellFormed ? ExitOk : ExitNotWellFormed;
}

}  // namespace orvelxml
