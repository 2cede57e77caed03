#include "tests/module/host_process.h"

#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace orvel {
namespace test {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

void MakeParents(const std::string& full) {
  for (std::size_t slash = full.find('/', 1); slash != std::string::npos; slash = full.find('/', slash + 1)) {
    mkdir(full.substr(0, slash).c_str(), 0755);
  }
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/orvel_module_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() { nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

std::string TempDir::Write(const std::string& relative, const std::string& content) const {
  const std::string full = At(relative);
  MakeParents(full);
  std::ofstream(full, std::ios::binary) << content;
  return full;
}

std::string TempDir::Copy(const std::string& source, const std::string& relative) const {
  const std::string full = Write(relative, ReadFile(source));
  chmod(full.c_str(), 0755);
  return full;
}

std::string TempDir::Link(const std::string& target, const std::string& relative) const {
  const std::string full = At(relative);
  MakeParents(full);
  if (symlink(target.c_str(), full.c_str()) != 0) throw std::runtime_error("symlink failed: " + full);
  return full;
}

std::string TempDir::MakeDir(const std::string& relative) const {
  const std::string full = At(relative);
  MakeParents(full + "/");
  return full;
}

std::string TempDir::WriteGzip(const std::string& relative, const std::string& content) const {
  const std::string plain = Write(relative + ".plain", content);
  const std::string packed = At(relative);
  const std::string command = "gzip -n -c '" + plain + "' > '" + packed + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  std::remove(plain.c_str());
  return packed;
}
CapturedLog::CapturedLog() : path_(dir_.At("debug.log")) { setenv("ORVEL_DEBUG_LOG", path_.c_str(), 1); }
CapturedLog::~CapturedLog() { unsetenv("ORVEL_DEBUG_LOG"); }
std::string CapturedLog::Text() const { return ReadFile(path_); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ValueOf(const std::string& out, const std::string& key) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return "";
}

HostRun RunHost(const std::string& host, const std::vector<std::string>& args, const std::vector<std::string>& env) {
  TempDir io;
  const std::string outPath = io.At("stdout");
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
  HostRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, host.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = ReadFile(outPath);
  run.log = ReadFile(logPath);
  return run;
}

}  // namespace test
}  // namespace orvel
