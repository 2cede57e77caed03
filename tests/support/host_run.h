// Runs a host program in a child process and collects what it printed and its
// debug log: from the file named by ORVEL_DEBUG_LOG on POSIX, as a debugger of
// the child on Windows.
#pragma once

#include <string>
#include <vector>

namespace orvel {
namespace test {

struct HostRun {
  int exitCode = -1;
  std::string out;      // stdout of the host
  std::string err;      // stderr of the host
  std::string log;      // every debug message of the host, in order
  int debugBreaks = 0;  // Windows: DebugBreak stops seen (the loader's first one not counted)
};

// Runs host with args in a child process and waits for it. POSIX: ORVEL_DEBUG_LOG
// points at a fresh file. Windows: the child runs under DEBUG_ONLY_THIS_PROCESS
// and its OUTPUT_DEBUG_STRING_EVENTs are the log. env holds extra NAME=VALUE
// entries (which win over inherited ones).
HostRun RunHost(const std::string& host, const std::vector<std::string>& args,
                const std::vector<std::string>& env = {});

}  // namespace test
}  // namespace orvel
