// A minimal host process for the module tests: loads a module through the
// platform loader as a real host does, then runs the commands given on its
// command line in order, printing one line per result to stdout.
//
//   orvel_module_host MODULE COMMAND...
//
// Components created are numbered 0, 1, ... in creation order. Commands
// ending in "-async" run on a thread of their own, as does "hold-new-files";
// the host joins those threads before it exits.
#if defined(_WIN32)
#include <windows.h>
#else
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "orvel/exports.h"
#include "orvel/xml_component.h"
#include "platform/platform.h"
#include "tests/module/test_component.h"

namespace {

using orvel::IComponent;
using orvel::test::ITestComponent;

struct Exports {
  orvel::CreateComponentFn createComponent = nullptr;
  orvel::SetDLLRegistryFn setDllRegistry = nullptr;
  orvel::OrvelDllFreeMapFn freeMap = nullptr;
  orvel::OrvelDllCanUnloadNowFn canUnloadNow = nullptr;
  orvel::SetFactoryHandleFn setFactoryHandle = nullptr;
  orvel::OrvelSetDllSafeFn setDllSafe = nullptr;
  orvel::GetComponentIDsFn getComponentIds = nullptr;
};

template <class Fn>
bool Resolve(orvel::platform::ModuleHandle module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(orvel::platform::FindSymbol(module, name));
  return fn != nullptr;
}

ITestComponent* AsTest(IComponent* c) { return static_cast<ITestComponent*>(c); }
orvel::IXmlComponent* AsXml(IComponent* c) { return static_cast<orvel::IXmlComponent*>(c); }

// bytes as a C string literal body: \r \n \\ \" and \xHH for other unprintable bytes.
std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\' || c == '"') {
      out += std::string("\\") + static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The document text of an XML component (slot 30 with a buffer grown until it fits).
std::string DocumentText(orvel::IXmlComponent* xml) {
  for (int capacity = 256;; capacity *= 2) {
    std::vector<char> buf(capacity, '\x7F');
    xml->ReadDocumentText(buf.data(), capacity);
    if (std::memchr(buf.data(), 0, buf.size()) != nullptr) return buf.data();
  }
}

void ReleaseComponent(void* component) { static_cast<IComponent*>(component)->Release(0); }

// Runs the rest of the commands as user uid, group gid, and the
// supplementary groups listed in groups ("1234,1235", "-" for none) when root
// (file permissions bind root in no other way); false where it cannot
// (Windows has no such switch).
bool SwitchUser(long long uid, long long gid, const char* groups) {
#if defined(_WIN32)
  (void)uid;
  (void)gid;
  (void)groups;
  return false;
#else
  if (geteuid() != 0) return getuid() == static_cast<uid_t>(uid);
  std::vector<gid_t> list;
  std::istringstream names(std::strcmp(groups, "-") == 0 ? "" : groups);
  for (std::string group; std::getline(names, group, ',');)
    list.push_back(static_cast<gid_t>(std::stoul(group)));
  return setgroups(list.size(), list.data()) == 0 && setgid(static_cast<gid_t>(gid)) == 0 &&
         setuid(static_cast<uid_t>(uid)) == 0;
#endif
}

// Peak memory of this process image so far in KiB (Linux: VmHWM, which
// starts anew at exec, unlike getrusage's figure, which a child inherits from
// the parent that forked it); -1 where it is not measured.
long long PeakMemoryKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, 6, "VmHWM:") == 0) return std::stoll(line.substr(6));
  }
  return -1;
}

// Makes writes fail once a file grows past size bytes (EFBIG); false where
// the system has no such limit (Windows).
bool LimitFileSize(long long size) {
#if defined(_WIN32)
  (void)size;
  return false;
#else
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{static_cast<rlim_t>(size), RLIM_INFINITY};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
#endif
}

// Opens each file of folder not among seen (the names it held at the
// start), once, for holdMs milliseconds without delete sharing, as indexers,
// virus scanners and sync clients open new files, until stop is set.
// Windows only: POSIX has no sharing modes that could refuse a rename.
void HoldNewFiles(const std::string& folder, std::set<std::string> seen, int holdMs,
                  const std::atomic<bool>* stop) {
#if defined(_WIN32)
  while (!stop->load()) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      const std::string name = entry.cFileName;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || seen.count(name) != 0) continue;
      const HANDLE h = CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
      if (h == INVALID_HANDLE_VALUE) continue;  // still written (shared with no one): again later
      seen.insert(name);
      Sleep(static_cast<DWORD>(holdMs));
      CloseHandle(h);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
#else
  (void)folder;
  (void)seen;
  (void)holdMs;
  (void)stop;
#endif
}

// Prints the factory library's counters when it is loaded in this process.
void PrintZandropCounts() {
  orvel::platform::ModuleHandle z =
      orvel::platform::FindLoadedModule(orvel::platform::FactoryLibraryModuleName());
  if (z == nullptr) {
    std::printf("zandrop=none\n");
    return;
  }
  using CountFn = int (*)();
  auto idle = reinterpret_cast<CountFn>(orvel::platform::FindSymbol(z, "ZandropIdleNoticeCount"));
  auto registrations = reinterpret_cast<CountFn>(orvel::platform::FindSymbol(z, "ZandropRegistrationCount"));
  auto live = reinterpret_cast<CountFn>(orvel::platform::FindSymbol(z, "ZandropLiveObjectCount"));
  if (idle != nullptr && registrations != nullptr && live != nullptr) {
    std::printf("zandrop=idle:%d registrations:%d live:%d\n", idle(), registrations(), live());
  } else {
    std::printf("zandrop=fixture\n");
  }
  orvel::platform::ReleaseModuleReference(z);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  orvel::platform::UseBinaryStandardStreams();  // lines end in "\n" in both builds
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MODULE COMMAND...\n", argv[0]);
    return 2;
  }
  orvel::platform::ModuleHandle module = orvel::platform::LoadModule(argv[1]);
  Exports x;
  if (module == nullptr || !Resolve(module, "CreateComponent", x.createComponent) ||
      !Resolve(module, "SetDLLRegistry", x.setDllRegistry) ||
      !Resolve(module, "OrvelDllFreeMap", x.freeMap) ||
      !Resolve(module, "OrvelDllCanUnloadNow", x.canUnloadNow) ||
      !Resolve(module, "SetFactoryHandle", x.setFactoryHandle) ||
      !Resolve(module, "OrvelSetDllSafe", x.setDllSafe) ||
      !Resolve(module, "GetComponentIDs", x.getComponentIds)) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 3;
  }
  std::vector<IComponent*> components;
  void* factoryLibrary = nullptr;  // the last library handed over with factory-handle
  std::vector<std::thread> threads;
  std::atomic<bool> stopHolding{false};
  int lastSaveError = 0;  // errno after the last load or save
  auto unload = [&] {
    orvel::platform::ReleaseModuleReference(module);
    module = nullptr;
    std::printf("unloaded\n");
  };
  auto arg = [&](int& i) -> const char* {
    if (i + 1 >= argc) {
      std::fprintf(stderr, "missing argument after %s\n", argv[i]);
      std::exit(2);
    }
    return argv[++i];
  };
  auto number = [&](int& i) { return std::strtoll(arg(i), nullptr, 0); };
  auto component = [&](int& i) {
    const long long n = number(i);
    if (n < 0 || n >= static_cast<long long>(components.size()) || components[n] == nullptr) {
      std::fprintf(stderr, "no component %lld\n", n);
      std::exit(2);
    }
    return components[n];
  };

  for (int i = 2; i < argc; ++i) {
    const std::string cmd = argv[i];
    if (cmd == "create") {
      const auto id = static_cast<std::uint32_t>(number(i));
      const auto creator = static_cast<std::uint32_t>(number(i));
      IComponent* c = x.createComponent(id, creator);
      if (c == nullptr) {
        std::printf("create=null\n");
      } else {
        std::printf("create=%zu pointer=0x%08" PRIxPTR "\n", components.size(),
                    reinterpret_cast<std::uintptr_t>(c));
      }
      components.push_back(c);
    } else if (cmd == "ids") {
      const auto capacity = static_cast<std::uint32_t>(number(i));
      std::vector<std::uint32_t> ids(capacity + 1, 0xEEEEEEEEu);
      const int count = x.getComponentIds(ids.data(), capacity);
      std::string shown;
      for (std::uint32_t v : ids)
        shown += (shown.empty() ? "" : ",") + (v == 0xEEEEEEEEu ? "x" : std::to_string(v));
      std::printf("ids=%d:%s\n", count, shown.c_str());
    } else if (cmd == "release") {
      component(i)->Release(0);
    } else if (cmd == "forget") {  // drop a component the host no longer holds
      components[number(i)] = nullptr;
    } else if (cmd == "auto") {
      IComponent* c = component(i);
      c->SetAutoRelease(static_cast<int>(number(i)));
    } else if (cmd == "id") {
      std::printf("id=%u\n", component(i)->GetComponentID());
    } else if (cmd == "freemap") {
      x.freeMap();
    } else if (cmd == "base") {  // the module's base address, as the system's loader reports it
      const void* base = orvel::platform::ModuleBaseOf(reinterpret_cast<const void*>(x.createComponent));
      std::printf("base=0x%0*" PRIxPTR "\n", static_cast<int>(sizeof(void*) * 2),
                  reinterpret_cast<std::uintptr_t>(base));
    } else if (cmd == "canunload") {
      std::printf("canunload=%d\n", x.canUnloadNow());
    } else if (cmd == "safe") {
      std::printf("safe=%d\n", x.setDllSafe(static_cast<int>(number(i))));
    } else if (cmd == "registry") {
      std::printf("registry=%d\n", x.setDllRegistry(arg(i)));
    } else if (cmd == "registry-null") {
      std::printf("registry=%d\n", x.setDllRegistry(nullptr));
    } else if (cmd == "registry-len") {
      const std::string path(static_cast<std::size_t>(number(i)), 'p');
      std::printf("registry=%d\n", x.setDllRegistry(path.c_str()));
    } else if (cmd == "factory-handle") {
      void* handle = orvel::platform::LoadModule(arg(i));
      factoryLibrary = handle;
      std::printf("factory-handle=%d\n", x.setFactoryHandle(handle) == handle && handle != nullptr ? 1 : 0);
    } else if (cmd == "preload") {
      std::printf("preload=%d\n", orvel::platform::LoadModule(arg(i)) != nullptr ? 1 : 0);
    } else if (cmd == "call-release") {
      IComponent* c = component(i);
      std::printf("call=%d\n", AsTest(c)->ReleaseDuringCall(static_cast<int>(number(i))));
    } else if (cmd == "registration") {
      std::int32_t w[4] = {7, 7, 7, 7};
      AsTest(component(i))->ReadRegistration(w);
      std::printf("registration=%d,%d,%d,%d\n", w[0], w[1], w[2], w[3]);
    } else if (cmd == "dataroot") {
      char buf[260] = {};
      const int ok = AsTest(component(i))->ReadDataRoot(buf, sizeof buf);
      std::printf("dataroot=%d:%s\n", ok, buf);
    } else if (cmd == "join") {
      IComponent* c = component(i);
      const char* name = arg(i);
      const int capacity = static_cast<int>(number(i));
      std::vector<char> buf(capacity > 0 ? capacity : 1, '#');
      const int ok = AsTest(c)->JoinDataRoot(name, buf.data(), capacity);
      std::printf("join=%d:%.*s\n", ok, static_cast<int>(buf.size()), buf.data());
    } else if (cmd == "parse") {
      IComponent* c = component(i);
      std::printf("parse=%d\n", AsXml(c)->ParseText(arg(i)));
    } else if (cmd == "load" || cmd == "save") {
      IComponent* c = component(i);
      const char* path = arg(i);
      if (std::strcmp(path, "null") == 0) path = nullptr;
      errno = 0;
      const int ok = cmd == "load" ? AsXml(c)->LoadDocumentFile(path) : AsXml(c)->SaveDocumentFile(path);
      lastSaveError = errno;
      std::printf("%s=%d\n", cmd.c_str(), ok);
    } else if (cmd == "reason") {  // errno's text after the last load or save
      std::printf("reason=%s\n", std::strerror(lastSaveError));
    } else if (cmd == "hold-new-files") {  // hold-new-files FOLDER MS
      const std::string folder = arg(i);
      const int holdMs = static_cast<int>(number(i));
      std::set<std::string> present;
      std::error_code error;
      for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        present.insert(entry.path().filename().string());
      threads.emplace_back(
          [folder, present, holdMs, &stopHolding] { HoldNewFiles(folder, present, holdMs, &stopHolding); });
    } else if (cmd == "text") {
      IComponent* c = component(i);
      std::printf("text=\"%s\" valid=%d\n", Escaped(DocumentText(AsXml(c))).c_str(),
                  AsXml(c)->IsDocumentValid());
    } else if (cmd == "flags") {
      IComponent* c = component(i);
      AsXml(c)->SetDocumentFlags(static_cast<int>(number(i)));
    } else if (cmd == "cd") {
      std::error_code error;
      std::filesystem::current_path(arg(i), error);
      std::printf("cd=%d\n", error ? 0 : 1);
    } else if (cmd == "unprivileged") {  // the user "nobody", in no other group
      std::printf("unprivileged=%d\n", SwitchUser(65534, 65534, "-") ? 1 : 0);
    } else if (cmd == "user") {  // user UID GID GROUPS
      const long long uid = number(i);
      const long long gid = number(i);
      std::printf("user=%d\n", SwitchUser(uid, gid, arg(i)) ? 1 : 0);
    } else if (cmd == "maxrss") {
      std::printf("maxrss=%lld\n", PeakMemoryKiB());
    } else if (cmd == "file-size-limit") {  // writes past N bytes fail with EFBIG
      std::printf("file-size-limit=%d\n", LimitFileSize(number(i)) ? 1 : 0);
    } else if (cmd == "decoder-mode") {
      using ModeFn = void (*)(int);
      auto mode = reinterpret_cast<ModeFn>(orvel::platform::FindSymbol(factoryLibrary, "FixtureDecoderMode"));
      if (mode != nullptr) mode(static_cast<int>(number(i)));
    } else if (cmd == "release-in-decode") {
      using HookFn = void (*)(void (*)(void*), void*);
      auto hook = reinterpret_cast<HookFn>(orvel::platform::FindSymbol(factoryLibrary, "FixtureDecoderHook"));
      IComponent* c = component(i);
      if (hook != nullptr) hook(&ReleaseComponent, c);
    } else if (cmd == "decoder-calls") {
      using CallsFn = int (*)();
      auto calls =
          reinterpret_cast<CallsFn>(orvel::platform::FindSymbol(factoryLibrary, "FixtureDecoderCalls"));
      std::printf("decoder-calls=%d\n", calls != nullptr ? calls() : -1);
    } else if (cmd == "zandrop") {
      PrintZandropCounts();
    } else if (cmd == "log") {
      orvel::platform::WriteDebugMessage((std::string(arg(i)) + "\n").c_str());
    } else if (cmd == "unload") {
      unload();
    } else if (cmd == "unload-when-idle") {  // as soon as OrvelDllCanUnloadNow allows it
      while (x.canUnloadNow() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      // A thread whose last call has just ended may still be returning through the module's code.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      unload();
    } else if (cmd == "release-async") {
      IComponent* c = component(i);
      threads.emplace_back([c] { c->Release(0); });
    } else if (cmd == "freemap-async") {
      threads.emplace_back(x.freeMap);
    } else if (cmd == "deadline") {  // a hang ends in SIGALRM (exit code 142 as the tests see it)
#if defined(_WIN32)
      const int seconds = number(i);
      std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        std::_Exit(142);
      }).detach();
#else
      alarm(static_cast<unsigned>(number(i)));
#endif
    } else {
      std::fprintf(stderr, "unknown command %s\n", cmd.c_str());
      return 2;
    }
  }
  stopHolding = true;
  for (std::thread& t : threads) t.join();
  return 0;
}
