// orvelxml pack IN OUT and unpack IN OUT: compressed documents for users
// without gzip at hand. pack writes gzip data; unpack goes through the
// module's load, so it reads exactly what a host reads.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/platform.h"
#include "tools/commands.h"
#include "tools/document_encoding.h"
#include "tools/document_save.h"
#include "tools/gzip.h"
#include "tools/strict/strict_check.h"

namespace orvelxml {

namespace {

const char kPackHelp[] =
    "usage: orvelxml pack IN.xml OUT.xmlz\n"
    "Compresses IN into OUT as gzip data (what gzip -c IN > OUT writes), which the\n"
    "module loads as a compressed document. IN may be - (standard input), and OUT\n"
    "- (standard output).\n"
    "Exit 0; 2 on usage or file errors.\n";

const char kUnpackHelp[] =
    "usage: orvelxml unpack IN.xmlz OUT.xml\n"
    "Loads IN with the module (decoded by the factory library's decoder) and\n"
    "writes the document text to OUT. OUT may be - (standard output); IN may not,\n"
    "since the module loads files only.\n"
    "Exit 0; 1 when the text is not well formed (written anyway); 2 on usage\n"
    "errors, when IN cannot be loaded or OUT cannot be written.\n";

// The two file operands of pack and unpack.
struct TwoFiles {
  Args files;
};

// Both operands given; else false after saying so.
bool HasTwoFiles(const TwoFiles& operands, const char* command) {
  if (operands.files.size() == 2) return true;
  UsageError(command, std::string(command) + " takes IN OUT");
  return false;
}

int RunPack(const TwoFiles& operands) {
  if (!HasTwoFiles(operands, "pack")) return ExitUsage;
  const std::string& in = operands.files[0];
  const std::string& out = operands.files[1];
  std::string bytes, packed, error;
  if (!ReadInputFile(in, &bytes, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  if (out != "-") {
    if (SaveCompressedText(bytes, out, &error)) return ExitOk;
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  if (!Gzip(bytes, &packed)) {
    std::fputs("orvelxml: compression failed\n", Errors());
    return ExitUsage;
  }
  PrintBytes(packed);
  return ExitOk;
}

int RunUnpack(const TwoFiles& operands, const ToolOptions& options) {
  if (!HasTwoFiles(operands, "unpack")) return ExitUsage;
  const std::string& in = operands.files[0];
  const std::string& out = operands.files[1];
  if (in == "-")
    return UsageError("unpack", "unpack reads IN with the module, which loads files only: IN is not -");
  std::string error;
  char absolute[260];
  if (!orvel::platform::AbsolutePath(in.c_str(), absolute, sizeof absolute)) {
    std::fprintf(Errors(), "orvelxml: %s: %s\n", in.c_str(), std::strerror(ENAMETOOLONG));
    return ExitUsage;
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  bool wellFormed;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    xml->LoadDocumentFile(absolute);
    const std::string text = FetchDocumentText(xml.get());
    if (text.empty()) {
      std::fprintf(Errors(), "orvelxml: %s: cannot be loaded (missing, not gzip data, or no decoder)\n",
                   in.c_str());
      return ExitUsage;
    }
    std::string characters = text;
    DocumentEncoding encoding;
    Diagnostic why{0, ""};
    wellFormed = xml->IsDocumentValid() != 0 && DecodeDocument(&characters, &encoding, &why) &&
                 FindStrictErrors(characters).empty();
    if (out == "-") {
      PrintBytes(text);
    } else if (!SaveDocumentText(xml.get(), out, &error)) {
      std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
      return ExitUsage;
    }
  }
  if (!wellFormed && !options.quiet)
    std::fprintf(Errors(), "orvelxml: %s is not well formed (unpacked anyway)\n", in.c_str());
  return wellFormed ? ExitOk : ExitNotWellFormed;
}

}  // namespace

void InstallPackCommands(CLI::App& app, CommandLine& line) {
  auto pack = std::make_shared<TwoFiles>();
  AddCommand(app, "pack", "compress", kPackHelp, line, &pack->files, [pack] { return RunPack(*pack); });
  auto unpack = std::make_shared<TwoFiles>();
  AddCommand(app, "unpack", "load and write the text", kUnpackHelp, line, &unpack->files,
             [unpack, &line] { return RunUnpack(*unpack, line.options); });
}

}  // namespace orvelxml
