// orvelxml format FILE [-o OUT] [--indent N]: re-indents the document with the
// module and prints the text or writes it to OUT.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/commands.h"
#include "tools/document_input.h"
#include "tools/document_save.h"
#include "tools/line_indents.h"

namespace orvelxml {

namespace {

const char kFormatHelp[] =
    "usage: orvelxml format [--no-namespaces] FILE [-o OUT] [--indent N]\n"
    "Re-indents FILE (- reads standard input) and prints the text, or writes it to\n"
    "OUT (- is standard output) with the module's save: through a new file beside\n"
    "OUT that replaces it once written, so OUT may be FILE. Only the indentation\n"
    "of lines changes, that is the white space after the last line break of white\n"
    "space between markup that a tag follows: each tag that starts a line gets one\n"
    "tab a nesting level, counted with the tabs already there. No line breaks are\n"
    "added or removed; text, comments and attributes stay as they are, and so do\n"
    "white space that is not a line's indentation, the whole content of an\n"
    "element that holds only white space (<t> </t>), and everything inside an\n"
    "element with xml:space=\"preserve\".\n"
    "--indent N indents N spaces a level instead, replacing the spaces and tabs\n"
    "that indent those lines. An \".xmlz\" FILE is decoded by the module's load; the\n"
    "text is written uncompressed. The text is printed or written in FILE's own\n"
    "encoding (UTF-8, UTF-16, UTF-32 or the one its XML declaration names),\n"
    "byte-order mark included.\n"
    "FILE is held to the rules check applies, those of namespaces in XML among\n"
    "them; --no-namespaces holds it to XML 1.0 alone.\n"
    "Exit 0; 1 when FILE is not well formed (the text is still formatted), or holds\n"
    "a NUL byte or bytes that are not in its encoding (nothing is written); 2 on\n"
    "usage or file errors, and for a FILE the module cannot take whole (too long):\n"
    "nothing is written then.\n";

struct FormatOptions {
  Args files;          // FILE
  std::string output;  // -o OUT; empty or "-" for standard output
  int indent = -1;     // spaces a level; -1 for the module's tabs
  bool noNamespaces = false;
};

int RunFormat(const FormatOptions& format, const ToolOptions& options) {
  if (format.files.size() != 1) return UsageError("format", "format takes one FILE");
  const std::string& input = format.files[0];
  const std::string name = DisplayName(input);
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string bytes;
  int failure = ExitOk;
  DocumentEncoding encoding;
  // Only the text before a NUL would reach the component, and be written back.
  const Rules rules = format.noNamespaces ? Rules::NoNamespaces : Rules::Xml;
  if (!ReadUsableDocument(host, input, &bytes, &failure, &encoding, rules)) return failure;
  ComponentSession xml(host);
  if (!HasComponent(xml)) return ExitUsage;
  std::string reindented;
  bool wellFormed;
  {
    // For spaces the module indents lines without their indentation: its tabs are then the depth.
    const std::string stripped = format.indent >= 0 ? StripLineIndents(bytes) : std::string();
    const std::string& parsed = format.indent >= 0 ? stripped : bytes;
    wellFormed = ParseAndJudge(xml.get(), parsed, rules).empty();
    xml->ReindentDocument();
    // Tabs for the levels are added at most once a line.
    reindented = FetchDocumentText(xml.get(), parsed.size() + parsed.size() / 8);
  }
  xml.Renew();  // the module's copy is not needed for the merge: its room is
  std::string formatted;
  if (format.indent < 0 && reindented == bytes) {
    formatted.swap(reindented);  // the module changed nothing, so there is nothing to leave out
  } else if (!MergeLineIndents(bytes, reindented, format.indent, &formatted)) {
    std::fprintf(Errors(), "orvelxml: %s: the module's indentation does not line up; nothing written\n",
                 name.c_str());
    return ExitUsage;
  }
  std::string().swap(bytes);
  std::string().swap(reindented);
  if (!wellFormed && !options.quiet)
    std::fprintf(Errors(), "orvelxml: %s is not well formed (formatted anyway)\n", name.c_str());
  const int verdict = wellFormed ? ExitOk : ExitNotWellFormed;
  if (format.output.empty() || format.output == "-") {
    // Formatting changes only white space, which every encoding holds.
    if (encoding.KeepsBytes())
      PrintBytes(formatted);
    else
      PrintBytes(FileBytes(formatted, encoding));
    return verdict;
  }
  std::string error;
  if (!encoding.KeepsBytes()) {
    if (SaveFileBytes(FileBytes(formatted, encoding), format.output, &error)) return verdict;
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  // The module's save writes OUT, as it writes every document of the tool in UTF-8.
  if (!HasComponent(xml)) return ExitUsage;
  xml->ParseText(formatted.c_str());
  if (!SaveDocumentText(xml.get(), format.output, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  return verdict;
}

}  // namespace

void InstallFormatCommand(CLI::App& app, CommandLine& line) {
  auto format = std::make_shared<FormatOptions>();
  CLI::App* command = AddCommand(app, "format", "re-indent", kFormatHelp, line, &format->files,
                                 [format, &line] { return RunFormat(*format, line.options); });
  command->add_option("-o", format->output);
  command->add_option("--indent", format->indent)->check(CLI::Range(0, 16));
  command->add_flag("--no-namespaces", format->noNamespaces);
}

}  // namespace orvelxml
