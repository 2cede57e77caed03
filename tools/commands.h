// The orvelxml subcommands. Each installs itself on the command-line parser
// and, once chosen, runs with its parsed options and returns the process exit
// code (tools/tool_support.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/tool_support.h"

namespace CLI {
class App;
}

namespace orvelxml {

using Args = std::vector<std::string>;

// What the parse of one command line leaves behind: the options every command
// shares and the chosen command, bound to its own options.
struct CommandLine {
  ToolOptions options;
  std::function<int()> run;
  Args* operands = nullptr;  // where the chosen command keeps its operands
};

// A subcommand of app named name whose --help prints help exactly, and whose
// parse, when it is chosen, sets line.run to call run. Its operands (file
// names and the like, null for none) are taken into *operands, also those
// that follow "--".
CLI::App* AddCommand(CLI::App& app, const char* name, const char* description, const char* help,
                     CommandLine& line, Args* operands, std::function<int()> run);

// A usage error: "orvelxml: MESSAGE" and where the help is, "try 'orvelxml
// COMMAND --help'" ("try 'orvelxml --help'" for an empty command), on standard
// error. Returns ExitUsage.
int UsageError(const std::string& command, const std::string& message);

void InstallDemoCommand(CLI::App& app, CommandLine& line);
void InstallCheckCommand(CLI::App& app, CommandLine& line);
void InstallFormatCommand(CLI::App& app, CommandLine& line);
void InstallScriptCommand(CLI::App& app, CommandLine& line);
void InstallPackCommands(CLI::App& app, CommandLine& line);
void InstallEditCommands(CLI::App& app, CommandLine& line);

}  // namespace orvelxml
