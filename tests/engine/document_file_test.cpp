// LoadFile and SaveFile on the engine: the status text each leaves (the
// interface does not hand it out) and a table that still describes the text
// after a load that failed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/xml_document.h"
#include "tests/support/table_checker.h"
#include "tests/support/temp_dir.h"

namespace orvel {
namespace {

class DocumentFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(doc_.ParseText("<old><a/></old>")); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    return dir_.Write(name, bytes);
  }

  test::TempDir dir_;
  XmlDocument doc_;
};

TEST_F(DocumentFile, LoadStatuses) {
  dir_.MakeDir("folder");
  const struct {
    const char* what;
    std::string path;
    bool loaded;
    std::string status;
    std::string text;  // "=" : the document as it was
  } cases[] = {
      {"well formed", Write("good.xml", "<r>\r\n</r>"), true, "9 bytes", "<r>\r\n</r>"},
      {"not well formed", Write("bad.xml", "<r>"), false, "3 bytes, Element 'r' at offset 0 not ended",
       "<r>"},
      {"empty", Write("empty.xml", ""), false, "0 bytes, Empty document", "="},
      {"missing", dir_.At("missing.xml"), false, "No such file or directory", "="},
      {"folder", dir_.At("folder"), false, "Is a directory", "="},
      {"null path", "", false, "No such file or directory", "="},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(doc_.ParseText("<old><a/></old>"));
    doc_.docFlags = 7;
    EXPECT_EQ(doc_.LoadFile(c.what == std::string("null path") ? nullptr : c.path.c_str()), c.loaded)
        << c.what;
    EXPECT_EQ(doc_.status, c.status) << c.what;
    EXPECT_EQ(doc_.text, c.text == "=" ? "<old><a/></old>" : c.text) << c.what;
    EXPECT_EQ(doc_.docFlags, 7) << c.what;
    EXPECT_TRUE(test::CheckTable(doc_)) << c.what;
  }
}

TEST_F(DocumentFile, SaveStatuses) {
  const struct {
    const char* what;
    std::string text;
    std::string path;
    bool saved;
    std::string status;
  } cases[] = {
    {"document", "<r>\0x</r>", dir_.At("out.xml"), true, "9 bytes"},
    {"empty document", "", dir_.At("empty.xml"), true, "0 bytes"},
#if !defined(_WIN32)  // no device on Windows that refuses every write
    {"full device", "<r/>", "/dev/full", false, "No space left on device"},
#endif
    {"missing folder", "<r/>", dir_.At("none/out.xml"), false, "No such file or directory"},
  };
  for (const auto& c : cases) {
    doc_.text.assign(c.what == std::string("document") ? std::string("<r>\0x</r>", 9) : c.text);
    EXPECT_EQ(doc_.SaveFile(c.path.c_str()), c.saved) << c.what;
    EXPECT_EQ(doc_.status, c.status) << c.what;
    if (!c.saved) continue;
    std::ifstream in(c.path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), doc_.text) << c.what;
  }
}

}  // namespace
}  // namespace orvel
