// RunHost on POSIX: posix_spawn, stdout to a file, the debug log through ORVEL_DEBUG_LOG.
#if !defined(_WIN32)

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "tests/support/host_run.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace orvel {
namespace test {
namespace {

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

}  // namespace

HostRun RunHost(const std::string& host, const std::vector<std::string>& args,
                const std::vector<std::string>& env) {
  TempDir io;
  const std::string outPath = io.At("stdout");
  const std::string errPath = io.At("stderr");
  const std::string logPath = io.At("debug.log");

  std::vector<std::string> environment;
  environment.push_back("ORVEL_DEBUG_LOG=" + logPath);
  for (const std::string& e : env) environment.push_back(e);
  for (char** e = environ; *e != nullptr; ++e) {
    bool replaced = false;
    for (const std::string& mine : environment) replaced = replaced || NameOf(mine) == NameOf(*e);
    if (!replaced) environment.push_back(*e);
  }
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  std::vector<std::string> argStrings{host};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  HostRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, host.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  run.log = ReadFile(logPath);
  return run;
}

}  // namespace test
}  // namespace orvel

#endif  // !_WIN32
