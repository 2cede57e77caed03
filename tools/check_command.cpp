// orvelxml check [--strict] FILE... | -r DIR: well formed or not, per file,
// with the first error as FILE:LINE:COL and the parser's status text.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "tools/commands.h"
#include "tools/first_error.h"
#include "tools/strict_check.h"

namespace orvelxml {

namespace {

namespace fs = std::filesystem;

const char kCheckHelp[] =
    "usage: orvelxml check [--strict] FILE...\n"
    "       orvelxml check [--strict] -r DIR\n"
    "Parses each FILE (- reads standard input) with the module and prints\n"
    "\"FILE: well formed\" on standard output, or \"FILE:LINE:COL: MESSAGE\" on standard\n"
    "error: when elements were not ended, the innermost of them first, then the\n"
    "first error the parser recorded, exactly as it words it. LINE and COL count\n"
    "lines and UTF-8 characters; a position names the '<' of a tag. An \".xmlz\" FILE\n"
    "is decoded by the module's load; LINE and COL count in the decoded text.\n"
    "-r DIR checks every .xml and .xmlz file below DIR, in name order.\n"
    "--strict adds the well-formedness rules the module leaves alone: duplicate\n"
    "attributes, undefined entities, a bare & or < in a value, -- inside a comment,\n"
    "characters XML does not allow, bytes that are not UTF-8, an XML declaration\n"
    "that is not at the very start, and the syntax of declarations.\n"
    "-q prints only the errors.\n"
    "Exit 0 when all are well formed, 1 when one is not, 2 when a file cannot be read.\n";

struct CheckOptions {
  Args files;
  std::string folder;
  bool strict = false;
};

// Prints the verdict for one document; returns whether it is well formed.
bool CheckOne(orvel::IXmlComponent* xml, const std::string& name, const std::string& bytes, bool strict,
              bool quiet) {
  const Refusal refusal = RefuseUnreadable(bytes);
  if (!refusal.message.empty()) {
    PrintAt(stderr, name, bytes, refusal.offset, refusal.message);
    return false;
  }
  std::vector<Diagnostic> errors;
  if (xml->ParseText(bytes.c_str()) == 0) {
    errors = FindFirstErrors(bytes);
  } else if (strict) {
    errors = FindStrictErrors(bytes);
  }
  for (const Diagnostic& d : errors) PrintAt(stderr, name, bytes, d.offset, d.message);
  if (errors.empty() && !quiet) std::printf("%s: well formed\n", name.c_str());
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
    std::fprintf(stderr, "orvelxml: %s: %s\n", folder.c_str(), failure.message().c_str());
    return false;
  }
  std::sort(files->begin(), files->end());
  return true;
}

int RunCheck(CheckOptions& check, const ToolOptions& options) {
  if (check.files.empty() == check.folder.empty()) {
    std::fputs(kCheckHelp, stderr);
    return ExitUsage;
  }
  if (!check.folder.empty() && !FilesBelow(check.folder, &check.files)) return ExitUsage;
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  bool allGood = true;
  bool unreadable = false;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    for (const std::string& path : check.files) {
      std::string bytes, error;
      if (!ReadInputDocument(host, path, &bytes, &error)) {
        std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
        unreadable = true;
        continue;
      }
      allGood = CheckOne(xml.get(), DisplayName(path), bytes, check.strict, options.quiet) && allGood;
    }
  }
  if (unreadable) return ExitUsage;
  return allGood ? ExitOk : ExitNotWellFormed;
}

}  // namespace

void InstallCheckCommand(CLI::App& app, CommandLine& line) {
  auto check = std::make_shared<CheckOptions>();
  CLI::App* command = AddCommand(app, "check", "well formed or not", kCheckHelp, line,
                                 [check, &line] { return RunCheck(*check, line.options); });
  command->add_option("FILE", check->files);
  command->add_option("-r", check->folder);
  command->add_flag("--strict", check->strict);
}

}  // namespace orvelxml
