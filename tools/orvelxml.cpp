// orvelxml: a host of the OrvelXml module. It loads the module at run time and
// works through its exports and the component's slots, with one exception:
// to say why the module refuses a document, tools/strict/first_error.cpp
// parses it again with the engine linked in, since no slot hands out the
// parser's status text or its element table.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <new>

#include "orvel/version.h"
#include "platform/platform.h"
#include "tools/commands.h"
#include "tools/standard_output.h"

namespace {

const char kUsage[] =
    "usage: orvelxml [--module PATH] [-q] COMMAND [ARGS]\n"
    "Commands:\n"
    "  demo [FILE]                guided run on the bundled sample (or FILE)\n"
    "  check [--lenient] FILE...  well formed or not; first error as FILE:LINE:COL\n"
    "  format FILE [-o OUT]       re-indent and print (or write OUT)\n"
    "  get FILE PATH              print the text or attribute of each element found\n"
    "  set FILE PATH VALUE        set it in each, keeping every other byte of FILE\n"
    "  add FILE PATH MARKUP       add MARKUP at the end of each one's content\n"
    "  delete FILE PATH           remove each element PATH finds\n"
    "  run SCRIPT|-               call interface operations by name, one per line\n"
    "  pack IN OUT                compress IN into OUT (gzip), a file the module loads\n"
    "  unpack IN OUT              load IN with the module and write its text to OUT\n"
    "Every command takes - for FILE, SCRIPT and IN (standard input) and for OUT\n"
    "(standard output), but unpack's IN; an edit of - writes the edited document\n"
    "to standard output. PATH is an XPath path of element names, [n] and a last\n"
    "@attribute: catalog/book[2]/@id (orvelxml get --help says more).\n"
    "Documents are read in UTF-8, UTF-16, UTF-32 or any encoding their XML\n"
    "declaration names that the system's converter knows, and written back in\n"
    "their own; values are taken and printed in UTF-8. check, format and the\n"
    "edits hold documents to the rules of namespaces too; --no-namespaces (after\n"
    "the command) to XML 1.0 alone.\n"
    "Each command takes --help; -- ends the options. --module PATH loads that\n"
    "module instead of the one beside this executable; -q leaves out what is not\n"
    "a result or an error; --version.\n";

// The innermost command the parse reached, for its help text.
const CLI::App* ChosenCommand(const CLI::App& app) {
  const CLI::App* at = &app;
  while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
  return at;
}

// The words after the first "--", which are operands whatever they look
// like, as GNU tools take them; argv keeps those before it.
orvelxml::Args OperandsAfterDashes(std::vector<char*>* argv) {
  orvelxml::Args operands;
  for (std::size_t i = 1; i < argv->size(); ++i) {
    if (std::string((*argv)[i]) != "--") continue;
    operands.assign(argv->begin() + static_cast<std::ptrdiff_t>(i) + 1, argv->end());
    argv->resize(i);
    break;
  }
  return operands;
}

int Run(int argc, char** argv) {
  using namespace orvelxml;
  CommandLine line;
  CLI::App app("a host of the OrvelXml module", "orvelxml");
  app.formatter(std::make_shared<CLI::Formatter>());
  app.fallthrough();  // --module and -q are taken after the command's name too
  // Options are GNU style on Windows too: a word starting with / is an operand
  // (a PATH such as /catalog/book, a file /tmp/a.xml), never an option. The
  // commands added below take this setting from app.
  app.allow_windows_style_options(false);
  app.add_option("--module", line.options.modulePath);
  app.add_flag("-q,--quiet", line.options.quiet);
  bool version = false;
  app.add_flag("--version", version);
  InstallDemoCommand(app, line);
  InstallCheckCommand(app, line);
  InstallFormatCommand(app, line);
  InstallEditCommands(app, line);
  InstallScriptCommand(app, line);
  InstallPackCommands(app, line);
  AddCommand(app, "help", "this text", kUsage, line, nullptr, [] {
    Print("%s", kUsage);
    return ExitOk;
  });
  std::vector<char*> words(argv, argv + argc);
  const Args afterDashes = OperandsAfterDashes(&words);
  try {
    app.parse(static_cast<int>(words.size()), words.data());
    if (!afterDashes.empty() && line.operands == nullptr) {
      throw CLI::ExtrasError("unexpected argument '" + afterDashes[0] + "'", CLI::ExitCodes::ExtrasError);
    }
  } catch (const CLI::CallForHelp&) {
    const CLI::App* chosen = ChosenCommand(app);
    Print("%s", chosen == &app ? kUsage : chosen->help().c_str());
    return ExitOk;
  } catch (const CLI::ParseError& e) {
    const CLI::App* chosen = ChosenCommand(app);
    std::string why = e.what();
    // Extras fall through to the top level, where the parser keeps them.
    const std::vector<std::string> extra = app.remaining();
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr && !extra.empty()) {
      if (extra[0].size() > 1 && extra[0][0] == '-') {
        why = "unknown option '" + extra[0] + "' (a FILE whose name starts with - goes after --)";
      } else {
        why = (chosen == &app ? "unknown command '" : "unexpected argument '") + extra[0] + "'";
      }
    }
    return UsageError(chosen == &app ? "" : chosen->get_name(), why);
  }
  if (line.operands != nullptr)
    line.operands->insert(line.operands->end(), afterDashes.begin(), afterDashes.end());
  if (version) {
    Print("orvelxml %s\n", ORVELXML_VERSION_STRING);
    return ExitOk;
  }
  if (!line.run) return UsageError("", "no COMMAND given");
  // No exception may end the tool with an abort: a file or buffer too large for
  // memory is reported like any other failure.
  try {
    return line.run();
  } catch (const std::bad_alloc&) {
    std::fputs("orvelxml: out of memory\n", Errors());
  } catch (const std::exception& e) {
    std::fprintf(Errors(), "orvelxml: %s\n", e.what());
  }
  return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // Documents and scripts pass through byte for byte: no "\r\n" made of "\n".
  orvel::platform::UseBinaryStandardStreams();
  return orvelxml::FinishStandardOutput(Run(argc, argv));
}
