// RunHost on Windows: the host starts under DEBUG_ONLY_THIS_PROCESS with its
// stdout in a file, and this process, as its debugger, collects every
// OUTPUT_DEBUG_STRING_EVENT: the debug log captured the way Windows delivers it.
#if defined(_WIN32)

#include <windows.h>

#include <cstring>

#include "tests/support/host_run.h"
#include "tests/support/temp_dir.h"

namespace orvel {
namespace test {
namespace {

// One argument quoted so that the C runtime's parser gives it back unchanged.
std::string Quoted(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// The parent's environment with env's entries put first (replacing those of the same name).
std::string EnvironmentBlock(const std::vector<std::string>& env) {
  std::string block;
  for (const std::string& e : env) block += e + '\0';
  char* inherited = GetEnvironmentStringsA();
  for (const char* e = inherited; e != nullptr && *e != '\0'; e += std::strlen(e) + 1) {
    bool replaced = false;
    for (const std::string& mine : env)
      replaced = replaced || _strnicmp(NameOf(mine).c_str(), NameOf(e).c_str(), NameOf(mine).size() + 1) == 0;
    if (!replaced) block += std::string(e) + '\0';
  }
  if (inherited != nullptr) FreeEnvironmentStringsA(inherited);
  return block + '\0';
}

// The text of an OUTPUT_DEBUG_STRING_EVENT, read from the debuggee's memory.
std::string DebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  std::string text(info.nDebugStringLength, '\0');
  SIZE_T got = 0;
  if (text.empty() || !ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &got))
    return "";
  text.resize(strnlen(text.c_str(), got));  // the length counts the NUL
  return text;
}

// Runs the debug loop until the process exits; fills log, debugBreaks and exitCode.
void Debug(HANDLE process, HostRun& run) {
  bool loaderBreak = true;
  for (;;) {
    DEBUG_EVENT event;
    if (!WaitForDebugEvent(&event, INFINITE)) return;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case OUTPUT_DEBUG_STRING_EVENT:
        run.log += DebugString(process, event.u.DebugString);
        break;
      case EXCEPTION_DEBUG_EVENT:
        if (event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT) {
          if (!loaderBreak) ++run.debugBreaks;
          loaderBreak = false;
        } else {
          status = DBG_EXCEPTION_NOT_HANDLED;  // the host's own handlers, then the system's
        }
        break;
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile != nullptr) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile != nullptr) CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        run.exitCode = static_cast<int>(event.u.ExitProcess.dwExitCode);
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        return;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
}

}  // namespace

HostRun RunHost(const std::string& host, const std::vector<std::string>& args,
                const std::vector<std::string>& env) {
  TempDir io;
  const std::string outPath = io.At("stdout");
  const std::string errPath = io.At("stderr");
  HostRun run;
  {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
      if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
      if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
      return run;
    }
    std::string commandLine = Quoted(host);
    for (const std::string& a : args) commandLine += " " + Quoted(a);
    std::string environment = EnvironmentBlock(env);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION child{};
    const bool started = CreateProcessA(host.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                        DEBUG_ONLY_THIS_PROCESS, &environment[0], nullptr, &startup, &child);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) return run;
    Debug(child.hProcess, run);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  return run;
}

}  // namespace test
}  // namespace orvel

#endif  // _WIN32
