// orvelxml run SCRIPT: calls interface operations by name, one per line, and
// prints each call with its result in one stable form.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>

#include "tools/commands.h"
#include "tools/operations.h"

namespace orvelxml {

namespace {

const char kRunHelp[] =
    "usage: orvelxml run SCRIPT   (SCRIPT may be - for standard input)\n"
    "Each line: an operation of IXmlComponent by name, then its arguments:\n"
    "  strings in double quotes with C escapes (\\n \\t \\r \\\\ \\\" \\xHH \\ooo), null\n"
    "  for a null pointer, integers (decimal or 0x hex). Text operations take an\n"
    "  optional last argument: the buffer capacity (default 1048576) or null.\n"
    "Blank lines and # comments are skipped. Each call prints one line:\n"
    "  NAME ARGS -> RESULT [TEXT]\n"
    "RESULT is the number returned, or done for operations that return nothing;\n"
    "TEXT is the buffer afterwards: the quoted text, untouched, or garbled.\n"
    "Release 0 releases the component; the script goes on with a fresh one.\n"
    "A relative path is loaded by LoadDocumentFile from the data root (the folder\n"
    "the factory library's configuration names, else orvelxml's own folder) but\n"
    "saved by SaveDocumentFile in the working folder.\n"
    "Exit 0; 2 for a missing script, an unknown operation or bad arguments.\n";

// Runs the script read from in; named for error messages.
int RunLines(std::istream& in, const std::string& name, ModuleHost& host) {
  ComponentSession xml(host);
  if (!HasComponent(xml)) return ExitUsage;
  std::string line;
  std::vector<ScriptValue> values;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string error;
    if (!SplitScriptLine(line, &values, &error)) {
      std::fprintf(Errors(), "%s:%d: %s\n", name.c_str(), number, error.c_str());
      return ExitUsage;
    }
    if (values.empty()) continue;
    const Operation* op = values[0].kind == ScriptValue::Word ? FindOperation(values[0].text) : nullptr;
    if (op == nullptr) {
      std::fprintf(Errors(), "%s:%d: unknown operation '%s'\n", name.c_str(), number, values[0].text.c_str());
      return ExitUsage;
    }
    ArgReader args(values);
    std::string result;
    try {
      result = op->invoke(xml.get(), args);
    } catch (const ScriptError& e) {
      std::fprintf(Errors(), "%s:%d: %s: %s\n", name.c_str(), number, op->name, e.what());
      return ExitUsage;
    } catch (const std::bad_alloc&) {
      // A large capacity argument is the usual cause: say where, and stop.
      std::fprintf(Errors(), "%s:%d: %s: out of memory\n", name.c_str(), number, op->name);
      return ExitUsage;
    }
    Print("%s%s -> %s\n", op->name, args.Echo().c_str(), result.c_str());
    if (std::string(op->name) == "Release") {
      xml.Forget();
      xml.Renew();
      if (!xml) {
        std::fprintf(Errors(), "%s:%d: the module created no fresh component\n", name.c_str(), number);
        return ExitUsage;
      }
    }
  }
  // A read error ends getline like the end of the script does; only the stream tells them apart.
  if (in.bad()) {
    std::fprintf(Errors(), "orvelxml: cannot read script %s\n", name.c_str());
    return ExitUsage;
  }
  return ExitOk;
}

int RunScript(const Args& scripts, const ToolOptions& options) {
  if (scripts.size() != 1) return UsageError("run", "run takes one SCRIPT");
  const std::string& script = scripts[0];
  std::ifstream file;
  if (script != "-") {
    file.open(script, std::ios::binary);
    if (!file) {
      std::fprintf(Errors(), "orvelxml: cannot open script %s\n", script.c_str());
      return ExitUsage;
    }
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::fflush(stdout);
  return script == "-" ? RunLines(std::cin, kStandardInputName, host) : RunLines(file, script, host);
}

}  // namespace

void InstallScriptCommand(CLI::App& app, CommandLine& line) {
  auto scripts = std::make_shared<Args>();
  AddCommand(app, "run", "call operations by name", kRunHelp, line, scripts.get(),
             [scripts, &line] { return RunScript(*scripts, line.options); });
}

}  // namespace orvelxml
