// orvelxml: a host of the OrvelXml module. It loads the module at run time and
// works only through its exports and the component's slots.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "orvel/version.h"
#include "platform/platform.h"
#include "tools/commands.h"

namespace {

const char kUsage[] =
    "usage: orvelxml [--module PATH] COMMAND [ARGS]\n"
    "Commands:\n"
    "  demo [FILE]          guided run on the bundled sample (or FILE)\n"
    "  check FILE...        well formed or not; first error as FILE:LINE:COL\n"
    "  format FILE [-o OUT] re-indent and print (or write OUT)\n"
    "  run SCRIPT|-         call interface operations by name, one per line\n"
    "  pack IN OUT          compress IN into OUT (gzip), a file the module loads\n"
    "  unpack IN OUT        load IN with the module and write its text to OUT\n"
    "Each command takes --help. --module PATH loads that module instead of the\n"
    "one beside this executable. --version prints the package version.\n";

struct Command {
  const char* name;
  int (*run)(const orvelxml::Args&, const orvelxml::ToolOptions&);
};

const Command kCommands[] = {
    {"demo", orvelxml::RunDemoCommand},
    {"check", orvelxml::RunCheckCommand},
    {"format", orvelxml::RunFormatCommand},
    {"run", orvelxml::RunScriptCommand},
    {"pack", orvelxml::RunPackCommand},
    {"unpack", orvelxml::RunUnpackCommand},
};

}  // namespace

int main(int argc, char** argv) {
  // Documents and scripts pass through byte for byte: no "\r\n" made of "\n".
  orvel::platform::UseBinaryStandardStreams();
  orvelxml::ToolOptions options;
  orvelxml::Args words;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--module") == 0) {
      if (i + 1 >= argc) {
        std::fputs("orvelxml: --module needs a PATH\n", stderr);
        return orvelxml::ExitUsage;
      }
      options.modulePath = argv[++i];
    } else {
      words.emplace_back(argv[i]);
    }
  }
  if (!words.empty() && words[0] == "--version") {
    std::printf("orvelxml %s\n", ORVELXML_VERSION_STRING);
    return orvelxml::ExitOk;
  }
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::fputs(kUsage, words.empty() ? stderr : stdout);
    return words.empty() ? orvelxml::ExitUsage : orvelxml::ExitOk;
  }
  // No exception may end the tool with an abort: a file or buffer too large for
  // memory is reported like any other failure.
  try {
    for (const Command& command : kCommands) {
      if (words[0] == command.name) return command.run(orvelxml::Args(words.begin() + 1, words.end()), options);
    }
  } catch (const std::bad_alloc&) {
    std::fputs("orvelxml: out of memory\n", stderr);
    return orvelxml::ExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvelxml: %s\n", e.what());
    return orvelxml::ExitUsage;
  }
  std::fprintf(stderr, "orvelxml: unknown command '%s'\n%s", words[0].c_str(), kUsage);
  return orvelxml::ExitUsage;
}
