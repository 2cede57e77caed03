// orvelxml check [--lenient | --no-namespaces] FILE... | -r DIR: well formed
// or not, per file, with the first error as FILE:LINE:COL.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/commands.h"
#include "tools/document_files.h"
#include "tools/document_input.h"

namespace orvelxml {

namespace {

const char kCheckHelp[] =
    "usage: orvelxml check [--lenient | --no-namespaces] [-v] FILE...\n"
    "       orvelxml check [--lenient | --no-namespaces] [-v] -r DIR [--ext LIST]\n"
    "Checks that each FILE (- reads standard input) is well formed XML 1.0 that\n"
    "keeps the rules of namespaces in XML 1.0, and prints \"FILE: well formed\" on\n"
    "standard output, or on standard error \"FILE:LINE:COL: MESSAGE\" for its first\n"
    "error in document order, placed where it is fixed (a document that ends\n"
    "inside elements at its end, naming the elements left open).\n"
    "What is checked: the bytes against the encoding FILE is in (found from its\n"
    "first bytes and its XML declaration: UTF-8 unless it says otherwise; UTF-16\n"
    "and UTF-32 of either byte order, with a byte-order mark or starting with\n"
    "'<?xml'; any other encoding the system's converter knows, and one it does\n"
    "not know is an error); characters XML does not allow; the syntax of every\n"
    "construct, the XML declaration and the document type declaration included;\n"
    "start and end tags that match; one root element, and nothing but comments,\n"
    "instructions and white space around it; attributes given once; & and < only\n"
    "as markup; references to declared entities and to allowed characters; -- only\n"
    "to end a comment. Namespaces: every prefix bound by a declaration in scope\n"
    "(xml always is), names with at most one ':' between two names, no two\n"
    "attributes with the same namespace and local name, the prefixes xml and xmlns\n"
    "and their namespaces only as reserved; --no-namespaces leaves these out.\n"
    "The external subset and external entities are not read.\n"
    "LINE and COL count lines and characters; a position names the '<' of a tag.\n"
    "An \".xmlz\" FILE is decoded by the module's load; LINE and COL count in the\n"
    "decoded text.\n"
    "-r DIR checks the XML files below DIR, in name order: those named .xml .xmlz\n"
    ".xsl .xslt .svg .xsd, and .conf when the file starts as XML does (a '<' first);\n"
    "--ext LIST names the extensions instead (xml,rng). -v ends with the number of\n"
    "files checked.\n"
    "--lenient gives the module's own verdict alone: it recovers from what it can\n"
    "and leaves the rules above alone (bytes not in the encoding count as U+FFFD,\n"
    "an encoding the system does not know leaves the bytes as they are), so it\n"
    "prints \"FILE: the component parses it cleanly\", never \"well formed\", or the\n"
    "module's first error. (--strict, the default, is still accepted.)\n"
    "-q prints only the errors.\n"
    "Exit 0 when all pass, 1 when one does not, 2 when a file cannot be read or\n"
    "-r finds no file to check.\n";

struct CheckOptions {
  Args files;
  std::string folder;
  std::string extensions;  // --ext LIST
  bool strict = false;
  bool lenient = false;
  bool verbose = false;
  long skipped = 0;  // .conf files -r passed over
  bool noNamespaces = false;
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
    Print("%s: %s\n", name.c_str(),
          rules == Rules::Lenient ? "the component parses it cleanly" : "well formed");
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
  const Rules rules = check.lenient ? Rules::Lenient : check.noNamespaces ? Rules::NoNamespaces : Rules::Xml;
  bool allGood = true;
  bool unreadable = false;
  long failed = 0;  // not well formed or not read
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    for (const std::string& path : check.files) {
      std::string bytes;
      int failure = ExitOk;
      if (!ReadUsableDocument(host, path, &bytes, &failure, nullptr, rules)) {
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
  command->add_flag("--no-namespaces", check->noNamespaces);
}

}  // namespace orvelxml
