// orvelxml check [--lenient | --no-namespaces] FILE... | -r DIR: well formed
// or not, per file, with the first error as FILE:LINE:COL.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "tools/commands.h"
#include "tools/document_input.h"

namespace orvelxml {

namespace {

namespace fs = std::filesystem;

const char kCheckHelp[] =
    "usage: orvelxml check [--lenient | --no-namespaces] FILE...\n"
    "       orvelxml check [--lenient | --no-namespaces] -r DIR\n"
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
    "decoded text. -r DIR checks every .xml and .xmlz file below DIR, in name\n"
    "order.\n"
    "--lenient gives the module's own verdict alone: it recovers from what it can\n"
    "and leaves the rules above alone (bytes not in the encoding count as U+FFFD,\n"
    "an encoding the system does not know leaves the bytes as they are), so it\n"
    "prints \"FILE: the component parses it cleanly\", never \"well formed\", or the\n"
    "module's first error. (--strict, the default, is still accepted.)\n"
    "-q prints only the errors.\n"
    "Exit 0 when all pass, 1 when one does not, 2 when a file cannot be read.\n";

struct CheckOptions {
  Args files;
  std::string folder;
  bool strict = false;
  bool lenient = false;
  bool noNamespaces = false;
};

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

bool IsDocumentName(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return extension == ".xml" || extension == ".xmlz";
}

// Every .xml and .xmlz file below folder, sorted; false after saying why when
// the folder cannot be walked.
bool FilesBelow(const std::string& folder, Args* files) {
  std::error_code failure;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, failure);
  for (; !failure && it != fs::recursive_directory_iterator(); it.increment(failure)) {
    std::error_code ignored;
    if (it->is_regular_file(ignored) && IsDocumentName(it->path())) files->push_back(it->path().string());
  }
  if (failure) {
    std::fprintf(Errors(), "orvelxml: %s: %s\n", folder.c_str(), failure.message().c_str());
    return false;
  }
  std::sort(files->begin(), files->end());
  return true;
}

int RunCheck(CheckOptions& check, const ToolOptions& options) {
  if (check.files.empty() == check.folder.empty()) {
    std::fputs(kCheckHelp, Errors());
    return ExitUsage;
  }
  if (check.strict && check.lenient) {
    std::fputs("orvelxml: check takes --strict (the default) or --lenient, not both\n", Errors());
    return ExitUsage;
  }
  if (!check.folder.empty() && !FilesBelow(check.folder, &check.files)) return ExitUsage;
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  const Rules rules = check.lenient ? Rules::Lenient : check.noNamespaces ? Rules::NoNamespaces : Rules::Xml;
  bool allGood = true;
  bool unreadable = false;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    for (const std::string& path : check.files) {
      std::string bytes;
      int failure = ExitOk;
      if (!ReadUsableDocument(host, path, &bytes, &failure, nullptr, rules)) {
        unreadable = unreadable || failure == ExitUsage;
        allGood = false;
        continue;
      }
      allGood = CheckOne(xml.get(), DisplayName(path), bytes, rules, options.quiet) && allGood;
    }
  }
  if (unreadable) return ExitUsage;
  return allGood ? ExitOk : ExitNotWellFormed;
}

}  // namespace

void InstallCheckCommand(CLI::App& app, CommandLine& line) {
  auto check = std::make_shared<CheckOptions>();
  CLI::App* command = AddCommand(app, "check", "well formed or not", kCheckHelp, line, &check->files,
                                 [check, &line] { return RunCheck(*check, line.options); });
  command->add_option("-r", check->folder);
  command->add_flag("--strict", check->strict);
  command->add_flag("--lenient", check->lenient);
  command->add_flag("--no-namespaces", check->noNamespaces);
}

}  // namespace orvelxml
