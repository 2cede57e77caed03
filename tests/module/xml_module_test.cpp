// The module boundary of the XML module itself (libOrvelXml.so, ComponentID 1).
#include <gtest/gtest.h>

#include "tests/module/module_test_support.h"

namespace orvel {
namespace test {
namespace {

class XmlModuleBoundary : public ::testing::Test {
 protected:
  HostInFolder host{ORVEL_XML_MODULE};
};

TEST_F(XmlModuleBoundary, ServesExactlyComponentOne) {
  const HostRun run = host.Run({"ids", "0", "ids", "5"});
  EXPECT_EQ(run.out, "ids=1:x\nids=1:1,x,x,x,x,x\n");
  EXPECT_EQ(run.log, "");
}

TEST_F(XmlModuleBoundary, CreatesAndReleasesXmlComponents) {
  const HostRun run = host.Run({"create", "1", "7", "id", "0", "canunload", "release", "0", "canunload", "create",
                                "2", "0", "unload"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ValueOf(run.out, "id"), "1");
  EXPECT_NE(run.out.find("canunload=0\ncanunload=1\ncreate=null\nunloaded\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.log, kNoFactory +
                         "Orvel[Error]: Can't find the factory method of Component\n"
                         "Orvel[Error]: ComponentID=2 CreatorID=0");
}

TEST_F(XmlModuleBoundary, ReportsLeakedXmlComponentsAtUnload) {
  const HostRun run =
      host.Run({"create", "1", "7", "create", "1", "8", "auto", "1", "1", "freemap", "unload"}, {kNoLeakCheck});
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> p = PrintedPointers(run.out);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(run.log, LeakReport({{1, 7, p[0]}}));
}

TEST_F(XmlModuleBoundary, RegistersWithTheFactoryAndSendsTheIdleNotice) {
  const HostRun run = host.Run({"factory-handle", ORVEL_ZANDROP, "create", "1", "1", "create", "1", "2", "zandrop",
                                "release", "0", "release", "1", "zandrop"});
  EXPECT_EQ(run.exitCode, 0);
  // Two registrations, then the notice, all through the process's one factory object.
  EXPECT_NE(run.out.find("zandrop=idle:0 registrations:2 live:1\nzandrop=idle:1 registrations:2 live:1\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.log.find("Orvel[Error]"), std::string::npos) << run.log;
  EXPECT_NE(run.log.find("Zandrop: idle notice from module 0x"), std::string::npos) << run.log;
}

}  // namespace
}  // namespace test
}  // namespace orvel
