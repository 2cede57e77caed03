// orvelxml check [--lenient] FILE... | -r DIR: well formed or not, per file,
// with the first error as FILE:LINE:COL.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/commands.h"
#include "tools/document_files.h"
#include "tools/document_input.h"

namespace orvelxml {

namespace {

const char kCheckHelp[] =
    "usage: orvelxml check [--lenient] [-v] FILE...\n"
    "       orvelxml check [--lenient] [-v] -r DIR [--ext LIST]\n"
    "Checks that each FILE (- reads standard input) is well formed XML 1.0 and\n"
    "prints \"FILE: well formed\" on standard output, or \"FILE:LINE:COL: MESSAGE\" on\n"
    "standard error for the first error. The module parses FILE first, and its\n"
    "first error is given as it words it; a document it accepts is then held to\n"
    "the rules it leaves alone: duplicate attributes, undefined entities, a bare &\n"
    "or < in a value, -- inside a comment, characters XML does not allow, bytes\n"
    "that are not UTF-8, text outside the root element, an XML declaration that is\n"
    "not at the very start, and the syntax of declarations. A document that ends\n"
    "inside elements is reported at its end, with the elements left open.\n"
    "LINE and COL count lines and UTF-8 characters; a position names the '<' of a\n"
    "tag. An \".xmlz\" FILE is decoded by the module's load; LINE and COL count in\n"
    "the decoded text.\n"
    "-r DIR checks the XML files below DIR, in name order: those named .xml .xmlz\n"
    ".xsl .xslt .svg .xsd, and .conf when the file starts as XML does (a '<' first);\n"
    "--ext LIST names the extensions instead (xml,rng). -v ends with the number of\n"
    "files checked.\n"
    "--lenient gives the module's own verdict alone: it recovers from what it can\n"
    "and leaves the rules above alone, so it prints \"FILE: the component parses it\n"
    "cleanly\", never \"well formed\". (--strict, the default, is still accepted.)\n"
    "-q prints only the errors.\n"
    "Exit 0 when all pass, 1 when one does not, 2 when a file cannot be read\n"
    "(UTF-16 is not read: convert it to UTF-8) or -r finds no file to check.\n";

struct CheckOptions {
  Args files;
  std::string folder;
  std::string extensions;  // --ext LIST
  bool strict = false;
  bool lenient = false;
  bool verbose = false;
  long skipped = 0;  // .conf files -r passed over
};

// The files -r finds below check.folder, appended to check.files; false after
// saying why when there are none or the folder cannot be walked.
bool AddFolder(CheckOptions& check) {
  std::vector<std::string> extensions = DefaultDocumentExtensions();
  std::string why;
  if (!check.extensions.empty() && !ParseExtensions(check.extensions, &extensions, &why)) {
    UsageError("check", why);
    return false;
  }
  FoundDocuments found;
  if (!FindDocuments(check.folder, extensions, &found, &why)) {
    std::fprintf(Errors(), "orvelxml: %s\n", why.c_str());
    return false;
  }
  if (found.files.empty()) {
    std::string names;
    for (const std::string& e : extensions) names += " ." + e;
    std::fprintf(Errors(), "orvelxml: %s: no file to check below it (%s)\n", check.folder.c_str(),
                 names.c_str() + 1);
    return false;
  }
  check.files = found.files;
  check.skipped = found.skipped;
  return true;
}

// -v's last line: how many files were checked, failed and passed over.
void PrintCount(const CheckOptions& check, long failed) {
  const std::size_t n = check.files.size();
  Print("%zu file%s checked, %ld failed", n, n == 1 ? "" : "s", failed);
  if (check.skipped > 0)
    Print(", %ld .conf file%s passed over (not XML)", check.skipped, check.skipped == 1 ? "" : "s");
  Print("\n");
}

// Prints the verdict for one document; returns whether it passes.
bool CheckOne(orvel::IXmlComponent* xml, const std::string& name, const std::string& bytes, Rules rules,
              bool quiet) {
  const std::vector<Diagnostic> errors = ParseAndJudge(xml, bytes, rules);
  PrintErrors(name, bytes, errors);
  if (errors.empty() && !quiet)
    Print("%s: %s\n", name.c_str(), rules == Rules::Xml ? "well formed" : "the component parses it cleanly");
  return errors.empty();
}

int RunCheck(CheckOptions& check, const ToolOptions& options) {
  if (check.files.empty() == check.folder.empty())
    return UsageError("check", "check takes FILE... or -r DIR, one of the two");
  if (!check.extensions.empty() && check.folder.empty()) return UsageError("check", "--ext goes with -r DIR");
  if (check.strict && check.lenient)
    return UsageError("check", "check takes --strict (the default) or --lenient, not both");
  if (!check.folder.empty() && !AddFolder(check)) return ExitUsage;
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  const Rules rules = check.lenient ? Rules::Lenient : Rules::Xml;
  bool allGood = true;
  bool unreadable = false;
  long failed = 0;  // not well formed or not read
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    for (const std::string& path : check.files) {
      std::string bytes;
      int failure = ExitOk;
      if (!ReadUsableDocument(host, path, &bytes, &failure)) {
        unreadable = unreadable || failure == ExitUsage;
        allGood = false;
        ++failed;
        continue;
      }
      const bool passed = CheckOne(xml.get(), DisplayName(path), bytes, rules, options.quiet);
      allGood = passed && allGood;
      failed += passed ? 0 : 1;
    }
  }
  if (check.verbose) PrintCount(check, failed);
  if (unreadable) return ExitUsage;
  return allGood ? ExitOk : ExitNotWellFormed;
}

}  // namespace

void InstallCheckCommand(CLI::App& app, CommandLine& line) {
  auto check = std::make_shared<CheckOptions>();
  CLI::App* command = AddCommand(app, "check", "well formed or not", kCheckHelp, line, &check->files,
                                 [check, &line] { return RunCheck(*check, line.options); });
  command->add_option("-r", check->folder);
  command->add_option("--ext", check->extensions);
  command->add_flag("-v,--verbose", check->verbose);
  command->add_flag("--strict", check->strict);
  command->add_flag("--lenient", check->lenient);
}

}  // namespace orvelxml
