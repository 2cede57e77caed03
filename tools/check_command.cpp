// orvelxml check [--lenient] FILE... | -r DIR: well formed or not, per file,
// with the first error as FILE:LINE:COL.
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
    "usage: orvelxml check [--lenient] FILE...\n"
    "       orvelxml check [--lenient] -r DIR\n"
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
    "the decoded text. -r DIR checks every .xml and .xmlz file below DIR, in name\n"
    "order.\n"
    "--lenient gives the module's own verdict alone: it recovers from what it can\n"
    "and leaves the rules above alone, so it prints \"FILE: the component parses it\n"
    "cleanly\", never \"well formed\". (--strict, the default, is still accepted.)\n"
    "-q prints only the errors.\n"
    "Exit 0 when all pass, 1 when one does not, 2 when a file cannot be read\n"
    "(UTF-16 is not read: convert it to UTF-8).\n";

struct CheckOptions {
  Args files;
  std::string folder;
  bool strict = false;
  bool lenient = false;
};

// Prints the verdict for one document; returns whether it passes.
bool CheckOne(orvel::IXmlComponent* xml, const std::string& name, const std::string& bytes, Rules rules,
              bool quiet) {
  const std::vector<Diagnostic> errors = ParseAndJudge(xml, bytes, rules);
  PrintErrors(name, bytes, errors);
  if (errors.empty() && !quiet)
    Print("%s: %s\n", name.c_str(), rules == Rules::Xml ? "well formed" : "the component parses it cleanly");
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
  const Rules rules = check.lenient ? Rules::Lenient : Rules::Xml;
  bool allGood = true;
  bool unreadable = false;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    for (const std::string& path : check.files) {
      std::string bytes;
      int failure = ExitOk;
      if (!ReadUsableDocument(host, path, &bytes, &failure)) {
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
}

}  // namespace orvelxml
