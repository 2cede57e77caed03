// Reaching the factory library: ini files beside the host, SetDLLRegistry,
// SetFactoryHandle, the idle notice, the data root from component 991 and the
// path-utility registration.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/module/module_test_support.h"

namespace orvel {
namespace test {
namespace {

std::string RealPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved.string();
}

// Replaces every "{dir}" in text with dir.
std::string Expand(std::string text, const std::string& dir) {
  for (std::size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}", at + dir.size())) {
    text.replace(at, 5, dir);
  }
  return text;
}

class FactoryLoading : public ::testing::Test {
 protected:
  HostInFolder host{ORVEL_TEST_MODULE};
  std::string dir = host.dir().path();
  // Creates and releases one component, so the idle notice goes out once.
  HostRun IdleOnce(std::vector<std::string> before = {}) const {
    for (const char* a : {"create", "1", "1", "release", "0", "zandrop"}) before.push_back(a);
    return host.Run(before);
  }
};

TEST_F(FactoryLoading, IniBesideTheHostLocatesTheFactoryLibrary) {
  const struct {
    const char* what;
    std::string ini;
    std::vector<std::string> libraries;  // where libZandrop.so is placed, relative to the host
    bool reached;
  } cases[] = {
      {"bare name", "[361]\nDLL=libZandrop.so\n", {"libZandrop.so"}, true},
      {"blanks around the name", "[361]\nDLL = \t libZandrop.so \t\n", {"libZandrop.so"}, true},
      {"quoted name, section in other case", "[361]\ndll=\"libZandrop.so\"\n", {"libZandrop.so"}, true},
      {"relative DllPath", "[361]\nDLL=libZandrop.so\n[DefaultValue]\nDllPath=libs\n", {"libs/libZandrop.so"}, true},
      {"relative DllPath, library only beside host",
       "[361]\nDLL=libZandrop.so\n[DefaultValue]\nDllPath=libs\n", {"libZandrop.so"}, false},
      {"absolute DllPath", "[361]\nDLL=libZandrop.so\n[DefaultValue]\nDllPath={dir}/abs\n", {"abs/libZandrop.so"},
       true},
      {"NotUseDefaultDllPath ignores DllPath",
       "[361]\nDLL=libZandrop.so\nNotUseDefaultDllPath=1\n[DefaultValue]\nDllPath=libs\n", {"libZandrop.so"}, true},
      {"NotUseDefaultDllPath 0 keeps DllPath",
       "[361]\nDLL=libZandrop.so\nNotUseDefaultDllPath=0\n[DefaultValue]\nDllPath=libs\n", {"libZandrop.so"}, false},
      {"absolute DLL wins", "[361]\nDLL={dir}/x/libZandrop.so\nNotUseDefaultDllPath=1\n[DefaultValue]\nDllPath=libs\n",
       {"x/libZandrop.so"}, true},
      {"no DLL key names a folder", "[361]\n[DefaultValue]\nDllPath=libs\n", {"libs/libZandrop.so"}, false},
      {"commented out", "[361]\n;DLL=libZandrop.so\n", {"libZandrop.so"}, false},
      {"no ini file", "", {"libZandrop.so"}, false},
  };
  for (const auto& c : cases) {
    HostInFolder h(ORVEL_TEST_MODULE);
    const std::string d = h.dir().path();
    if (!c.ini.empty()) h.dir().Write("Orvel.ini", Native(Expand(c.ini, d)));
    for (const std::string& at : c.libraries) h.dir().Link(ORVEL_ZANDROP, Native(at));
    const HostRun run = h.Run({"create", "1", "1", "release", "0", "zandrop"});
    EXPECT_EQ(run.exitCode, 0) << c.what;
    if (c.reached) {
      EXPECT_EQ(ValueOf(run.out, "zandrop"), "idle:1 registrations:0 live:1") << c.what;
      EXPECT_EQ(run.log.find("[Orvel_Error]"), std::string::npos) << c.what << "\n" << run.log;
    } else {
      EXPECT_EQ(ValueOf(run.out, "zandrop"), "none") << c.what;
      EXPECT_EQ(run.log, kHook + kDestroyed + kNoFactory) << c.what;
    }
  }
}

TEST_F(FactoryLoading, IdleNoticeReachesComponent361OnceEachTimeTheMapEmpties) {
  host.dir().Write("Orvel.ini", Native("[361]\nDLL=libZandrop.so\n"));
  host.dir().Link(ORVEL_ZANDROP, kZandropFile);
  const HostRun run = host.Run({"base", "create", "1", "1", "create", "1", "2", "release", "0", "zandrop",
                                "release", "1", "zandrop", "create", "1", "3", "release", "2", "zandrop"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("zandrop=none\nzandrop=idle:1 registrations:0 live:1\ncreate=2"), std::string::npos)
      << run.out;
  // The library the module loaded is now there for the third component to register with.
  EXPECT_NE(run.out.find("zandrop=idle:2 registrations:1 live:1\n"), std::string::npos) << run.out;
  const std::string notice = "Zandrop: idle notice from module 0x";
  const std::size_t first = run.log.find(notice);
  ASSERT_NE(first, std::string::npos) << run.log;
  const std::string handle = run.log.substr(first + notice.size(), run.log.find('\n', first) - first - notice.size());
  EXPECT_GE(handle.size(), 8u);
  EXPECT_NE(handle.find_first_not_of('0'), std::string::npos) << "module instance handle is null";
  // Saved at process attach (DllMain's instance handle on Windows): the module's own base.
  EXPECT_EQ("0x" + handle, ValueOf(run.out, "base"));
  EXPECT_EQ(run.log, kHook + kDestroyed + kHook + kDestroyed + notice + handle + "\n" + kHook + kDestroyed + notice +
                         handle + "\n");
}

TEST_F(FactoryLoading, SetDllRegistryRelativePathAndRelativeRedirect) {
  // cfg/my.ini redirects to other.ini beside it; other.ini's own redirect is not read.
  host.dir().Write("cfg/my.ini", Native("[Redirect]\nPath=other.ini\n[361]\nDLL=wrong.so\n"));
  host.dir().Write("cfg/other.ini", Native("[Redirect]\nPath=my.ini\n[361]\nDLL=../libZandrop.so\n"));
  host.dir().Link(ORVEL_ZANDROP, kZandropFile);
  const HostRun run = IdleOnce({"registry", Native("cfg/my.ini")});
  EXPECT_EQ(ValueOf(run.out, "zandrop"), "idle:1 registrations:0 live:1") << run.log;
}

TEST_F(FactoryLoading, AbsoluteRedirectsAreFollowedAndLoopsStop) {
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
  } cases[] = {
      {"chain", {{"a.ini", "[Redirect]\nPath={dir}/sub/b.ini\n"}, {"sub/b.ini", "[361]\nDLL=libZandrop.so\n"}}},
      {"chain ending in a relative redirect",
       {{"a.ini", "[Redirect]\nPath={dir}/sub/b.ini\n"},
        {"sub/b.ini", "[Redirect]\nPath=c.ini\n"},
        {"sub/c.ini", "[Redirect]\nPath={dir}/a.ini\n[361]\nDLL=libZandrop.so\n"}}},
      // a -> b -> a: the chain stops at b, the last file read.
      {"loop", {{"a.ini", "[Redirect]\nPath={dir}/sub/b.ini\n"},
                {"sub/b.ini", "[Redirect]\nPath={dir}/a.ini\n[361]\nDLL=libZandrop.so\n"}}},
      {"self loop", {{"a.ini", "[Redirect]\nPath={dir}/a.ini\n[361]\nDLL=sub/libZandrop.so\n"}}},
  };
  for (const auto& c : cases) {
    HostInFolder h(ORVEL_TEST_MODULE);
    const std::string d = h.dir().path();
    for (const auto& [name, content] : c.files) h.dir().Write(name, Native(Expand(content, d)));
    h.dir().Link(ORVEL_ZANDROP, Native("sub/libZandrop.so"));
    const HostRun run =
        h.Run({"registry", h.dir().At("a.ini"), "create", "1", "1", "release", "0", "zandrop"});
    EXPECT_EQ(run.exitCode, 0) << c.what;
    EXPECT_EQ(ValueOf(run.out, "zandrop"), "idle:1 registrations:0 live:1") << c.what << "\n" << run.log;
  }
}

TEST_F(FactoryLoading, SetFactoryHandleBypassesTheIniFile) {
  host.dir().Write("Orvel.ini", "[361]\nDLL=missing.so\n");
  const HostRun run = IdleOnce({"factory-handle", ORVEL_ZANDROP});
  EXPECT_EQ(ValueOf(run.out, "factory-handle"), "1");
  // Loaded by the host before the component was made, so the component registered too.
  EXPECT_EQ(ValueOf(run.out, "zandrop"), "idle:1 registrations:1 live:1");
  EXPECT_EQ(run.log.find("[Orvel_Error]"), std::string::npos) << run.log;
}

TEST_F(FactoryLoading, BrokenFactoryLibrariesAreReportedAndSkipped) {
  const std::string failed = "[Orvel_Error] Create ComponentFactory in Zandrop.dll Fail\n";
  const struct {
    const char* library;
    std::string registration;  // the library is loaded when the component is made
    std::string log;
  } cases[] = {
      {ORVEL_FIXTURE_NO_EXPORT, "Can't find CreateComponent() in Zandrop.dll or Zandrop.dll is missed\n",
       "[Orvel_Error] Can't find CreateComponent().\n" + failed},
      {ORVEL_FIXTURE_NULL_FACTORY, "Invoke CreateComponent() in Zandrop.dll return null.\n",
       "[Orvel_Error] CreateComponent(ComponentId=361) return null.\n" + failed},
  };
  for (const auto& c : cases) {
    const HostRun run = host.Run({"factory-handle", c.library, "create", "1", "2", "dataroot", "0", "release", "0"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ValueOf(run.out, "dataroot"), "1:" + RealPath(dir));
    // Once for the data root (991), once for the idle notice (361).
    EXPECT_EQ(run.log, c.registration + c.log + kHook + kDestroyed + c.log) << c.library;
  }
}

TEST_F(FactoryLoading, DataRootComesFromTheConfigurationStoreOnce) {
  host.dir().Write("Orvel.ini",
                   Native("[361]\nDLL=libZandrop.so\n[ORVEL_ROOTPATH]\norvel_rootpath_data = /data/root \n"));
  host.dir().Link(ORVEL_ZANDROP, kZandropFile);
  const HostRun run = host.Run({"create", "1", "1", "dataroot", "0", "zandrop", "dataroot", "0", "zandrop", "join",
                                "0", "doc.xml", "260", "join", "0", "doc.xml", "8", "join", "0", "doc.xml", "1"},
                               {kNoLeakCheck});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1),
            // one access: the factory object stays, the store was released
            Native("dataroot=1:/data/root\nzandrop=idle:0 registrations:0 live:1\n"
                   "dataroot=1:/data/root\nzandrop=idle:0 registrations:0 live:1\n"
                   "join=1:/data/root/doc.xml\njoin=0:\njoin=0:#\n"));  // a cut path is refused
  EXPECT_EQ(BeforeLeakReport(run.log), "");
}

TEST_F(FactoryLoading, DataRootFallsBackToTheHostDirectory) {
  const struct {
    const char* what;
    std::string ini;
    bool linkLibrary;
    std::string log;
  } cases[] = {
      {"no factory library", "", false, kNoFactory},
      {"no such value", "[361]\nDLL=libZandrop.so\n", true, ""},
      {"empty value", "[361]\nDLL=libZandrop.so\n[orvel_rootpath]\norvel_rootpath_data=\n", true, ""},
      {"value too long", "[361]\nDLL=libZandrop.so\n[orvel_rootpath]\norvel_rootpath_data=/" + std::string(300, 'r') + "\n",
       true, ""},
  };
  for (const auto& c : cases) {
    HostInFolder h(ORVEL_TEST_MODULE);
    if (!c.ini.empty()) h.dir().Write("Orvel.ini", Native(c.ini));
    if (c.linkLibrary) h.dir().Link(ORVEL_ZANDROP, kZandropFile);
    const HostRun run = h.Run({"create", "1", "1", "dataroot", "0", "join", "0", "a.xml", "260"}, {kNoLeakCheck});
    const std::string root = RealPath(h.dir().path());
    EXPECT_EQ(ValueOf(run.out, "dataroot"), "1:" + root) << c.what;
    EXPECT_EQ(ValueOf(run.out, "join"), "1:" + root + Native("/a.xml")) << c.what;
    EXPECT_EQ(BeforeLeakReport(run.log), c.log) << c.what;
  }
}

TEST_F(FactoryLoading, PathUtilityRegistersOnlyWithAnAlreadyLoadedFactory) {
  const std::string untouched = "0,0,-1,0";
  const struct {
    const char* what;
    const char* preload;  // null: nothing loaded
    std::string registrations;
    std::string log;
  } cases[] = {
      {"not loaded", nullptr, untouched + "|" + untouched, ""},
      // words: reserved, field 4 (the serial, written by the factory), second result word, first result word
      {"loaded", ORVEL_ZANDROP, "0,1,1515078738,1|0,2,1515078738,2", ""},
      {"no export", ORVEL_FIXTURE_NO_EXPORT, untouched + "|" + untouched,
       "Can't find CreateComponent() in Zandrop.dll or Zandrop.dll is missed\n"
       "Can't find CreateComponent() in Zandrop.dll or Zandrop.dll is missed\n"},
      {"null factory", ORVEL_FIXTURE_NULL_FACTORY, untouched + "|" + untouched,
       "Invoke CreateComponent() in Zandrop.dll return null.\nInvoke CreateComponent() in Zandrop.dll return null.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args;
    if (c.preload != nullptr) args = {"preload", c.preload};
    for (const char* a : {"create", "1", "1", "create", "1", "2", "registration", "0", "registration", "1"}) {
      args.push_back(a);
    }
    const HostRun run = host.Run(args, {kNoLeakCheck});
    EXPECT_EQ(run.exitCode, 0);
    const std::size_t first = run.out.find("registration=");
    ASSERT_NE(first, std::string::npos) << run.out;
    const std::size_t second = run.out.find("registration=", first + 1);
    const std::string words = ValueOf(run.out, "registration") + "|" + ValueOf(run.out.substr(second), "registration");
    EXPECT_EQ(words, c.registrations) << c.what;
    EXPECT_EQ(BeforeLeakReport(run.log), c.log) << c.what;
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
