#include <CLI/CLI.hpp>
#include <cstdio>

#include "tools/commands.h"

namespace orvelxml {

namespace {

// Help as the command's own text rather than the parser's generated listing,
// so that each command documents its exit codes and file handling in prose.
class FixedHelp : public CLI::FormatterBase {
 public:
  explicit FixedHelp(const char* text) : text_(text) {}
  std::string make_help(const CLI::App*, std::string, CLI::AppFormatMode) const override { return text_; }

 private:
  std::string text_;
};

}  // namespace

CLI::App* AddCommand(CLI::App& app, const char* name, const char* description, const char* help,
                     CommandLine& line, Args* operands, std::function<int()> run) {
  CLI::App* command = app.add_subcommand(name, description);
  command->formatter(std::make_shared<FixedHelp>(help));
  if (operands != nullptr) command->add_option("OPERANDS", *operands);
  command->callback([&line, operands, run = std::move(run)] {
    line.run = run;
    line.operands = operands;
  });
  return command;
}

int UsageError(const std::string& command, const std::string& message) {
  std::fprintf(Errors(), "orvelxml: %s\ntry 'orvelxml %s%s--help'\n", message.c_str(), command.c_str(),
               command.empty() ? "" : " ");
  return ExitUsage;
}

}  // namespace orvelxml
