// orvelxml format FILE [-o OUT] [--indent N]: re-indents the document with the
// module and prints the text or writes it to OUT.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/commands.h"
#include "tools/document_input.h"
#include "tools/document_save.h"
#include "tools/space_indent.h"

namespace orvelxml {

namespace {

const char kFormatHelp[] =
    "usage: orvelxml format FILE [-o OUT] [--indent N]\n"
    "Re-indents FILE (- reads standard input) and prints the text, or writes it to\n"
    "OUT (- is standard output) with the module's save: through a new file beside\n"
    "OUT that replaces it once written, so OUT may be FILE. Only the white space in\n"
    "front of tags changes: each tag that starts a line gets one tab a nesting\n"
    "level, counted with the tabs already there; no line breaks are added or\n"
    "removed, and text, comments and attributes stay as they are.\n"
    "--indent N indents N spaces a level instead, replacing the spaces and tabs\n"
    "that start those lines. An \".xmlz\" FILE is decoded by the module's load; the\n"
    "text is written uncompressed. The text is printed or written in FILE's own\n"
    "encoding (UTF-8, UTF-16, UTF-32 or the one its XML declaration names),\n"
    "byte-order mark included.\n"
    "Exit 0; 1 when FILE is not well formed (the text is still formatted), or holds\n"
    "a NUL byte or bytes that are not in its encoding (nothing is written); 2 on\n"
    "usage or file errors, and for a FILE the module cannot take whole (too long):\n"
    "nothing is written then.\n";

struct FormatOptions {
  Args files;          // FILE
  std::string output;  // -o OUT; empty or "-" for standard output
  int indent = -1;     // spaces a level; -1 for the module's tabs
};

int RunFormat(const FormatOptions& format, const ToolOptions& options) {
  if (format.files.size() != 1) {
    std::fputs(kFormatHelp, Errors());
    return ExitUsage;
  }
  const std::string& input = format.files[0];
  const std::string name = DisplayName(input);
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string bytes;
  int failure = ExitOk;
  DocumentEncoding encoding;
  // Only the text before a NUL would reach the component, and be written back.
  if (!ReadUsableDocument(host, input, &bytes, &failure, &encoding)) return failure;
  if (format.indent >= 0) bytes = StripLineIndents(bytes);
  ComponentSession xml(host);
  if (!HasComponent(xml)) return ExitUsage;
  const bool wellFormed = ParseAndJudge(xml.get(), bytes, Rules::Xml).empty();
  xml->ReindentDocument();
  // Tabs for the levels are added at most once a line.
  const std::size_t expected = bytes.size() + bytes.size() / 8;
  if (format.indent >= 0) {
    std::string spaced;
    if (!SpaceIndents(bytes, FetchDocumentText(xml.get(), expected), format.indent, &spaced)) {
      std::fprintf(Errors(), "orvelxml: %s: the module's indentation does not line up; nothing written\n",
                   name.c_str());
      return ExitUsage;
    }
    xml->ParseText(spaced.c_str());
  }
  if (!wellFormed && !options.quiet)
    std::fprintf(Errors(), "orvelxml: %s is not well formed (formatted anyway)\n", name.c_str());
  std::string error;
  if (format.output.empty() || format.output == "-") {
    PrintBytes(DocumentFileBytes(xml.get(), encoding, expected));
  } else if (!SaveDocumentText(xml.get(), format.output, encoding, expected, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  return wellFormed ? ExitOk : ExitNotWellFormed;
}

}  // namespace

void InstallFormatCommand(CLI::App& app, CommandLine& line) {
  auto format = std::make_shared<FormatOptions>();
  CLI::App* command = AddCommand(app, "format", "re-indent", kFormatHelp, line, &format->files,
                                 [format, &line] { return RunFormat(*format, line.options); });
  command->add_option("-o", format->output);
  command->add_option("--indent", format->indent)->check(CLI::Range(0, 16));
}

}  // namespace orvelxml
