// orvelxml format FILE [-o OUT] [--indent N]: re-indents the document with the
// module and prints the text or writes it to OUT.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/commands.h"
#include "tools/space_indent.h"

namespace orvelxml {

namespace {

const char kFormatHelp[] =
    "usage: orvelxml format FILE [-o OUT] [--indent N]\n"
    "Re-indents FILE (- reads standard input) and prints the text, or writes it to\n"
    "OUT (through a new file beside OUT that replaces it once written, so OUT may be\n"
    "FILE). Only the white space in front of tags changes: each tag that starts a\n"
    "line gets one tab a nesting level, counted with the tabs already there; no line\n"
    "breaks are added or removed, and text, comments and attributes stay as they are.\n"
    "--indent N indents N spaces a level instead, replacing the spaces and tabs\n"
    "that start those lines. An \".xmlz\" FILE is decoded by the module's load; the\n"
    "text is written uncompressed.\n"
    "Exit 0; 1 when FILE is not well formed (the text is still formatted); 2 on usage\n"
    "or file errors, and for a FILE the module cannot take whole (a NUL byte, UTF-16,\n"
    "too long): nothing is written then.\n";

struct FormatOptions {
  std::string input;
  std::string output;
  int indent = -1;  // spaces a level; -1 for the module's tabs
};

int RunFormat(const FormatOptions& format, const ToolOptions& options) {
  if (format.input.empty()) {
    std::fputs(kFormatHelp, stderr);
    return ExitUsage;
  }
  const std::string name = DisplayName(format.input);
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string bytes, error;
  if (!ReadInputDocument(host, format.input, &bytes, &error)) {
    std::fprintf(stderr, "orvelxml: %s; nothing written\n", error.c_str());
    return ExitUsage;
  }
  const Refusal refusal = RefuseUnreadable(bytes);
  if (!refusal.message.empty()) {
    // Only the text before a NUL would reach the component, and be written back.
    std::fputs("orvelxml: ", stderr);
    PrintAt(stderr, name, bytes, refusal.offset, refusal.message + "; not formatted");
    return ExitUsage;
  }
  if (format.indent >= 0) bytes = StripLineIndents(bytes);
  std::string formatted;
  bool wellFormed;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    wellFormed = xml->ParseText(bytes.c_str()) != 0;
    xml->ReindentDocument();
    formatted = FetchDocumentText(xml.get());
  }
  if (format.indent >= 0 && !SpaceIndents(bytes, std::string(formatted), format.indent, &formatted)) {
    std::fprintf(stderr, "orvelxml: %s: the module's indentation does not line up; nothing written\n",
                 name.c_str());
    return ExitUsage;
  }
  if (!wellFormed && !options.quiet)
    std::fprintf(stderr, "orvelxml: %s is not well formed (formatted anyway)\n", name.c_str());
  if (format.output.empty()) {
    std::fwrite(formatted.data(), 1, formatted.size(), stdout);
  } else if (!WriteWholeFile(format.output, formatted, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  return wellFormed ? ExitOk : ExitNotWellFormed;
}

}  // namespace

void InstallFormatCommand(CLI::App& app, CommandLine& line) {
  auto format = std::make_shared<FormatOptions>();
  CLI::App* command = AddCommand(app, "format", "re-indent", kFormatHelp, line,
                                 [format, &line] { return RunFormat(*format, line.options); });
  command->add_option("FILE", format->input);
  command->add_option("-o", format->output);
  command->add_option("--indent", format->indent)->check(CLI::Range(0, 16));
}

}  // namespace orvelxml
