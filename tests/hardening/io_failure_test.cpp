// File loading and saving when the file system says no: missing, unreadable
// and directory paths, a file cut short or grown between taking its size and
// reading it, files of unknown size, writes to a full device, to a read-only
// folder or file and past the file size limit, paths too long to load back. A failed load returns 0 and
// leaves the document as it was (a plain load reports why in the status); a failed save returns 0, says why
// in the status and leaves no file claiming success.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/hardening/created_files.h"
#include "tests/hardening/file_read_faults.h"
#include "tests/hardening/gzip_text.h"
#include "tests/hardening/in_process.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

const char kKept[] = "<keep a=\"1\"/>";

// Runs the scope with the permissions of an ordinary user: root reads and
// writes whatever the mode bits say, so the tests drop to nobody for it.
class Unprivileged {
 public:
  Unprivileged() : wasRoot_(geteuid() == 0) {
    if (wasRoot_) dropped_ = seteuid(65534) == 0;
  }
  ~Unprivileged() {
    if (wasRoot_ && dropped_ && seteuid(0) != 0) std::abort();
  }
  bool ok() const { return !wasRoot_ || dropped_; }

 private:
  bool wasRoot_;
  bool dropped_ = false;
};

class IoFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/orvel_io_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    dir_ = folder;
    chmod(dir_.c_str(), 0777);  // nobody may work in it
    ASSERT_TRUE(UseFactoryLibrary());
  }
  void TearDown() override {
    EXPECT_EQ(std::system(("chmod -R u+rwx '" + dir_ + "'; rm -rf '" + dir_ + "'").c_str()), 0);
  }

  std::string At(const std::string& name) const { return dir_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes, mode_t mode = 0666) const {
    const std::string path = At(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    chmod(path.c_str(), mode);
    return path;
  }
  std::string Listing(const std::string& folder) const {
    const std::string out = dir_ + ".listing";
    EXPECT_EQ(std::system(("ls -A '" + folder + "' > '" + out + "'").c_str()), 0);
    std::string text;
    if (std::FILE* f = std::fopen(out.c_str(), "rb")) {
      char buffer[4096];
      text.assign(buffer, std::fread(buffer, 1, sizeof buffer, f));
      std::fclose(f);
    }
    std::remove(out.c_str());
    return text;
  }

  std::string dir_;
};

std::string ReadFile(const std::string& path) {
  std::string text;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}

// Letters that do not compress much: the compressed file is longer than the
// block the C library reads ahead.
std::string Varied(std::size_t n) {
  std::string text;
  unsigned state = 1;
  for (std::size_t i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    text += static_cast<char>('a' + (state >> 24) % 26);
  }
  return text;
}

TEST_F(IoFailure, FailedLoadsLeaveTheDocumentAndSayWhy) {
  const std::string document = "<doc>" + Varied(20000) + "</doc>";
  mkdir(At("folder").c_str(), 0777);
  mkdir(At("folder.xmlz").c_str(), 0777);
  Write("secret.xml", "<secret/>", 0);
  Write("secret.xmlz", Gzip("<secret/>"), 0);
  Write("cut.xml", document);
  Write("cut.xmlz", Gzip(document));
  const struct {
    const char* what;
    std::string path;
    const char* status;  // null: the status stays as it was
    bool unprivileged;
    off_t resizeTo;  // -1: no change during the load
  } cases[] = {
      // The compressed twin is looked for too, and not found either.
      {"missing file", At("missing.xml"), nullptr, false, -1},
      {"folder", At("folder"), std::strerror(EISDIR), false, -1},
      {"folder named as a compressed file", At("folder.xmlz"), nullptr, false, -1},
      {"unreadable file", At("secret.xml"), std::strerror(EACCES), true, -1},
      {"unreadable compressed file", At("secret.xmlz"), nullptr, true, -1},
      {"file cut short during the load", At("cut.xml"), std::strerror(EIO), false, 5000},
      {"compressed file cut short during the load", At("cut.xmlz"), nullptr, false, 5000},
  };
  for (const auto& c : cases) {
    IXmlComponent* xml = NewComponent();
    ASSERT_EQ(xml->ParseText(kKept), 1);
    const Snapshot before(DocumentOf(xml));
    int loaded = -1;
    {
      Unprivileged user;
      if (c.unprivileged) {
        ASSERT_TRUE(user.ok());
      }
      ResizeFileAtNextRead(c.resizeTo);
      loaded = xml->LoadDocumentFile(c.path.c_str());
      ResizeFileAtNextRead(-1);
    }
    EXPECT_EQ(loaded, 0) << c.what;
    Snapshot after(DocumentOf(xml));
    EXPECT_EQ(after.status, c.status != nullptr ? std::string(c.status) : before.status) << c.what;
    after.status = before.status;
    EXPECT_TRUE(after == before) << c.what << ": the document changed";
    EXPECT_TRUE(CheckTable(DocumentOf(xml))) << c.what;
    xml->Release(0);
    if (c.resizeTo >= 0)
      Write(c.path.substr(dir_.size() + 1), c.path == At("cut.xml") ? document : Gzip(document));
  }
}

// A file that grows while it is loaded is read as long as it was when its
// size was taken: the bytes added later are not part of the document.
TEST_F(IoFailure, AFileGrowingDuringTheLoadIsReadAtTheSizeFound) {
  const std::string path = Write("growing.xml", "<doc/>");
  IXmlComponent* xml = NewComponent();
  ResizeFileAtNextRead(64);
  EXPECT_EQ(xml->LoadDocumentFile(path.c_str()), 1);
  EXPECT_TRUE(FileWasResized());
  EXPECT_EQ(DocumentOf(xml).text, "<doc/>");
  EXPECT_EQ(DocumentOf(xml).status, "6 bytes");
  xml->Release(0);
}

// Files whose size seeking cannot tell are read to their end: a /proc file
// (which says 0 bytes) and a pipe. A device holds no document.
TEST_F(IoFailure, FilesOfUnknownSizeAreReadToTheirEnd) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  ASSERT_EQ(write(pipeEnds[1], "<piped/>", 8), 8);
  close(pipeEnds[1]);  // the reader meets the end of the text after it
  const struct {
    const char* what;
    std::string path;
    int loaded;
    std::string text;  // "=": the document as it was
    std::string status;
  } cases[] = {
      {"a /proc file", "/proc/version", 0, ReadFile("/proc/version"), ""},
      {"a pipe", "/proc/self/fd/" + std::to_string(pipeEnds[0]), 1, "<piped/>", "8 bytes"},
      {"a device", "/dev/zero", 0, "=", std::strerror(ENODEV)},
  };
  for (const auto& c : cases) {
    IXmlComponent* xml = NewComponent();
    ASSERT_EQ(xml->ParseText(kKept), 1);
    EXPECT_EQ(xml->LoadDocumentFile(c.path.c_str()), c.loaded) << c.what;
    EXPECT_EQ(DocumentOf(xml).text, c.text == "=" ? kKept : c.text) << c.what;
    if (!c.status.empty()) {
      EXPECT_EQ(DocumentOf(xml).status, c.status) << c.what;
    }
    xml->Release(0);
  }
  close(pipeEnds[0]);
}

// The file that replaces an existing one can be opened by no one but its
// writer from the moment it exists: what is written into it is not read by
// others before it takes the old file's permissions.
TEST_F(IoFailure, TheReplacingFileIsPrivateFromItsCreation) {
  umask(022);  // new files would be readable by everyone
  for (const mode_t mode : {0600, 0640, 0644}) {
    const std::string path = Write("doc.xml", "<old/>", mode);
    IXmlComponent* xml = NewComponent();
    ASSERT_EQ(xml->ParseText("<new/>"), 1);
    WatchCreatedFiles(dir_);
    EXPECT_EQ(xml->SaveDocumentFile(path.c_str()), 1);
    const std::vector<unsigned> modes = CreatedFileModes();
    ASSERT_EQ(modes.size(), 1u) << "one replacing file, created through open()";
    EXPECT_EQ(modes[0] & 077, 0u) << std::oct << mode << ": others could open it while it was written";
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    EXPECT_EQ(ReadFile(path), "<new/>");
    xml->Release(0);
  }
}

TEST_F(IoFailure, FailedSavesLeaveNoFileClaimingSuccess) {
  const std::string document = "<doc>" + std::string(8000, 'x') + "</doc>";
  mkdir(At("readonly").c_str(), 0777);
  Write("readonly/old.xml", "<old/>", 0444);
  // The saver's files: one in a folder that is not the saver's, one read-only.
  ASSERT_EQ(chown(Write("readonly/mine.xml", "<old/>").c_str(), 65534, 65534), 0);
  ASSERT_EQ(chown(Write("mine.xml", "<old/>", 0444).c_str(), 65534, 65534), 0);
  Write("limited.xml", "<old/>");
  chmod(At("readonly").c_str(), 0555);
  const std::string longFolder = std::string(200, 'f');
  mkdir(At(longFolder).c_str(), 0777);
  const std::string longPath = At(longFolder + "/" + std::string(100, 'p') + ".xml");
  const std::string kListing = longFolder + "\nfolder\nlimited.xml\nmine.xml\nreadonly\n";
  const struct {
    const char* what;
    std::string path;
    int error;
    std::string folder, listing;  // the folder's names afterwards
    std::string fileAfter;        // the path's bytes afterwards ("" also for no file)
    bool unprivileged;
    rlim_t sizeLimit;  // 0: none
  } cases[] = {
      {"a full device", "/dev/full", ENOSPC, "", "", "", false, 0},
      {"a new file in a read-only folder", At("readonly/new.xml"), EACCES, At("readonly"),
       "mine.xml\nold.xml\n", "", true, 0},
      {"a read-only file in a read-only folder", At("readonly/old.xml"), EACCES, At("readonly"),
       "mine.xml\nold.xml\n", "<old/>", true, 0},
      {"the saver's own read-only file", At("mine.xml"), EACCES, dir_, kListing, "<old/>", true, 0},
      {"a write past the file size limit", At("limited.xml"), EFBIG, dir_, kListing, "<old/>", false, 4096},
      {"a write in place past the file size limit", At("readonly/mine.xml"), EFBIG, At("readonly"),
       "mine.xml\nold.xml\n", "<old/>", true, 4096},
      {"a path a load could not open", longPath, ENAMETOOLONG, At(longFolder), "", "", false, 0},
      {"a folder", At("folder"), EISDIR, "", "", "", false, 0},
      {"a missing folder", At("none/new.xml"), ENOENT, "", "", "", false, 0},
  };
  mkdir(At("folder").c_str(), 0777);
  for (const auto& c : cases) {
    IXmlComponent* xml = NewComponent();
    ASSERT_EQ(xml->ParseText(document.c_str()), 1);
    const Snapshot before(DocumentOf(xml));
    int saved = -1;
    {
      Unprivileged user;
      if (c.unprivileged) {
        ASSERT_TRUE(user.ok());
      }
      struct rlimit old {};
      getrlimit(RLIMIT_FSIZE, &old);
      if (c.sizeLimit != 0) {
        signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
        struct rlimit limited = old;
        limited.rlim_cur = c.sizeLimit;
        setrlimit(RLIMIT_FSIZE, &limited);
      }
      saved = xml->SaveDocumentFile(c.path.c_str());
      setrlimit(RLIMIT_FSIZE, &old);
    }
    EXPECT_EQ(saved, 0) << c.what;
    Snapshot after(DocumentOf(xml));
    EXPECT_EQ(after.status, std::strerror(c.error)) << c.what;
    after.status = before.status;
    EXPECT_TRUE(after == before) << c.what << ": the document changed";
    if (!c.folder.empty()) {
      EXPECT_EQ(Listing(c.folder), c.listing) << c.what << ": a file was left behind";
      EXPECT_EQ(ReadFile(c.path), c.fileAfter) << c.what;
    }
    xml->Release(0);
  }
  struct stat st;
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "a device is written in place, never replaced";
}

}  // namespace
}  // namespace test
}  // namespace orvel
