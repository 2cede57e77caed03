// LoadFile and SaveFile on the engine: the status text each leaves (the
// interface does not hand it out) and a table that still describes the text
// after a load that failed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "engine/xml_document.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace {

class DocumentFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvel_document_file_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_TRUE(doc_.ParseText("<old><a/></old>"));
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ + "/" + name, std::ios::binary) << bytes;
    return folder_ + "/" + name;
  }

  std::string folder_;
  XmlDocument doc_;
};

TEST_F(DocumentFile, LoadStatuses) {
  mkdir((folder_ + "/folder").c_str(), 0755);
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
      {"empty", Write("empty.xml", ""), false, "0 bytes, Empty document", ""},
      {"missing", folder_ + "/missing.xml", false, "No such file or directory", "="},
      {"folder", folder_ + "/folder", false, "Is a directory", "="},
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
      {"document", "<r>\0x</r>", folder_ + "/out.xml", true, "9 bytes"},
      {"empty document", "", folder_ + "/empty.xml", true, "0 bytes"},
      {"full device", "<r/>", "/dev/full", false, "No space left on device"},
      {"missing folder", "<r/>", folder_ + "/none/out.xml", false, "No such file or directory"},
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
