// Memory exhaustion at every allocation of a component's life: the failure
// stays inside the module (a null component, a 0 result, an untouched buffer),
// the component stays usable, and nothing leaks (AddressSanitizer's leak check).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "component/xml_component.h"
#include "tests/support/failing_allocator.h"

namespace {

using orvel::IXmlComponent;

// More elements than the first reservation holds, so the table grows during the parse.
const char kDocument[] =
    "<?xml version=\"1.0\"?>\n<r a=\"1\">\n<x>t&amp;u</x>\n<!-- c -->\n<y k='v'><z/></y>\n"
    "<i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/>\n</r>\n";

// One component's life with allocation number n failing. Returns false once
// the whole life ran without reaching allocation n.
bool LifeWithFailureAt(long n) {
  static const std::string path = "/tmp/orvel_oom_" + std::to_string(getpid()) + ".xml";
  orvel::test::FailAllocation(n + 1);
  IXmlComponent* xml = static_cast<IXmlComponent*>(orvel::CreateXmlComponent());
  if (xml == nullptr) {
    orvel::test::FailAllocation(0);
    return true;  // creation itself failed cleanly
  }
  const int parsed = xml->ParseText(kDocument);
  char text[256];
  std::memset(text, '#', sizeof text);
  xml->ReindentDocument();
  xml->ReadDocumentText(text, sizeof text);
  xml->SeekSiblingElement(nullptr);
  xml->SeekChildElement("y");
  char value[16] = "untouched";
  const int read = xml->ReadChildAttribute("k", value, sizeof value);
  const int marked = xml->MarkPosition("m");
  // A file written and read back, each step of which may run out of memory.
  const int saved = xml->SaveDocumentFile(path.c_str());
  const int loaded = xml->LoadDocumentFile(path.c_str());
  const bool reached = orvel::test::AllocationsCounted() > n;
  orvel::test::FailAllocation(0);

  EXPECT_TRUE(parsed == 0 || parsed == 1) << n;
  EXPECT_TRUE(read == 0 || read == 1) << n;
  EXPECT_TRUE(marked == 0 || marked == 1) << n;
  EXPECT_TRUE(saved == 0 || saved == 1) << n;
  EXPECT_TRUE(loaded == 0 || loaded == 1) << n;
  std::remove(path.c_str());
  if (read == 1) {
    EXPECT_TRUE(std::strcmp(value, "v") == 0 || std::strcmp(value, "") == 0) << n;
  } else {
    EXPECT_STREQ(value, "untouched") << n;
  }
  // Whatever failed, the component still answers, and a new parse restores it.
  xml->IsDocumentValid();
  xml->ReadDocumentText(text, sizeof text);
  EXPECT_EQ(xml->ParseText(kDocument), 1) << n;
  xml->ReadDocumentText(text, sizeof text);
  EXPECT_STREQ(text, kDocument) << n;
  xml->Release(0);
  return reached;
}

TEST(OutOfMemory, EveryAllocationOfAComponentsLifeMayFail) {
  long n = 0;
  while (LifeWithFailureAt(n) && n < 100000) ++n;
  EXPECT_GT(n, 5) << "the life should allocate several times";
  EXPECT_LT(n, 100000);
  std::printf("allocations in one life: %ld\n", n);
}

}  // namespace
