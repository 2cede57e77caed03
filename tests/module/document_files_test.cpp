// Document files through the interface, as a host loads and saves them: plain
// files byte for byte, compressed ".xmlz" files through the decoder of the
// factory library (the stand-in's gzip decoder, or a scripted one that
// misbehaves on purpose), relative paths under the data root, and failures
// that leave the document and the old file as they were.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/module/module_test_support.h"

namespace orvel {
namespace test {
namespace {

const std::string kKept = "text=\"<keep a=\\\"1\\\"/>\" valid=1";

// A refused save as the host prints it: 0, then errno's text (the module's
// status text, which no slot hands out).
std::string Refused(int error) { return std::string("save=0\nreason=") + std::strerror(error); }

unsigned long ThisProcessId() {
#if defined(_WIN32)
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// The XML module in a host copied to its own folder (the host directory).
class DocumentFiles : public ::testing::Test {
 protected:
  // Makes the stand-in factory library (with the gzip decoder) reachable through an Orvel.ini.
  void UseFactoryLibrary(const std::string& extraIni = "") const {
    host.dir().Write("Orvel.ini", Native("[361]\nDLL=libZandrop.so\n") + extraIni);
    host.dir().Link(ORVEL_ZANDROP, kZandropFile);
  }
  // Commands on one component that starts with a small well-formed document.
  HostRun RunOnDocument(const std::vector<std::string>& commands,
                        const std::vector<std::string>& first = {}) const {
    std::vector<std::string> args = first;
    for (const char* a : {"create", "1", "0", "parse", "0", "<keep a=\"1\"/>"}) args.push_back(a);
    args.insert(args.end(), commands.begin(), commands.end());
    for (const char* a : {"text", "0", "release", "0"}) args.push_back(a);
    return host.Run(args);
  }

  HostInFolder host{ORVEL_XML_MODULE};
  const TempDir& dir = host.dir();
};

TEST_F(DocumentFiles, PlainFilesRoundTripByteForByte) {
  const struct {
    const char* what;
    std::string bytes;
    const char* loaded;
  } cases[] = {
      {"CRLF line ends", "<r>\r\n\t<a x=\"1\"/>\r\n</r>\r\n", "1"},
      {"no final newline", "<?xml version=\"1.0\"?>\n<r><a/></r>", "1"},
      {"NUL bytes", std::string("<r>a\0b</r>\0\0tail", 16), "0"},
      {"8-bit bytes and a byte order mark", "\xEF\xBB\xBF<r>\xE9\xFF\x80</r>\n", "1"},
      {"not well formed", "<r><a></r>\n", "0"},
      {"5 MB, read into fresh large room", "<r>" + std::string(5u << 20, 'x') + "</r>\n", "1"},
  };
  for (const auto& c : cases) {
    const std::string in = dir.Write("in.xml", c.bytes);
    const std::string out = dir.At("out.xml");
    const HostRun run = host.Run({"create", "1", "0",    "flags", "0", "7",    "load", "0", in,        "save",
                                  "0",      out, "load", "0",     out, "save", "0",    in,  "release", "0"});
    EXPECT_EQ(run.out.substr(run.out.find('\n') + 1),
              std::string("load=") + c.loaded + "\nsave=1\nload=" + c.loaded + "\nsave=1\n")
        << c.what;
    EXPECT_EQ(ReadFile(out), c.bytes) << c.what;
    EXPECT_EQ(ReadFile(in), c.bytes) << c.what << ": saved over the file it was loaded from";
    EXPECT_EQ(run.log, kNoFactory) << c.what << ": only the idle notice finds no factory library";
  }
}

TEST_F(DocumentFiles, FailedLoadsAndSavesLeaveTheDocumentAsItWas) {
  const std::string folder = dir.MakeDir("folder");
  dir.Write("empty.xml", "");
  const std::string longPath =
      dir.path() + platform::kPathSeparator + std::string(300 - dir.path().size(), 'p') + ".xml";
  // Over 259 bytes, each name of it short enough for the file system.
  const std::string deepPath =
      dir.MakeDir(std::string(200, 'd')) + platform::kPathSeparator + std::string(90, 'p') + ".xml";
  const std::string path259 =
      dir.path() + platform::kPathSeparator + std::string(258 - dir.path().size(), 'q');
  dir.Write(path259.substr(dir.path().size() + 1), "<q/>");  // exists: the plain route takes it
  const struct {
    const char* what;
    std::vector<std::string> commands;
    std::string out;
    std::string text;
    std::string log;
  } cases[] = {
    // The missing plain file is looked for as missing.xmlz: the decoder is asked for first.
    {"missing file", {"load", "0", dir.At("missing.xml")}, "load=0", kKept, kNoFactory},
    {"folder", {"load", "0", folder}, "load=0", kKept, ""},
    {"null path", {"load", "0", "null"}, "load=0", kKept, ""},
    {"empty path", {"load", "0", ""}, "load=0", kKept, ""},
    {"path of 300 bytes", {"load", "0", longPath}, "load=0", kKept, ""},
    {"missing path of 260 bytes", {"load", "0", path259 + "x"}, "load=0", kKept, ""},
    {"existing path of 259 bytes", {"load", "0", path259}, "load=1", "text=\"<q/>\" valid=1", ""},
    // An empty file holds no document: the one loaded before stays, as on the compressed route.
    {"plain file of 0 bytes", {"load", "0", dir.At("empty.xml")}, "load=0", kKept, ""},
#if !defined(_WIN32)  // no device on Windows that refuses every write
    {"write failure", {"save", "0", "/dev/full", "reason"}, Refused(ENOSPC), kKept, ""},
#endif
    {"folder missing", {"save", "0", dir.At("none/out.xml"), "reason"}, Refused(ENOENT), kKept, ""},
    {"save onto a folder", {"save", "0", folder, "reason"}, Refused(EISDIR), kKept, ""},
    {"save to a null path", {"save", "0", "null", "reason"}, Refused(ENOENT), kKept, ""},
    {"save to a path a load could not open",
     {"save", "0", deepPath, "reason"},
     Refused(ENAMETOOLONG),
     kKept,
     ""},
    {"save to a path of 260 bytes", {"save", "0", path259 + "x", "reason"}, Refused(ENAMETOOLONG), kKept, ""},
  };
  for (const auto& c : cases) {
    const HostRun run = RunOnDocument(c.commands);
    EXPECT_NE(run.out.find("parse=1\n" + c.out + "\n" + c.text + "\n"), std::string::npos) << c.what << "\n"
                                                                                           << run.out;
    EXPECT_EQ(run.log, c.log + kNoFactory) << c.what;
  }
#if !defined(_WIN32)
  struct stat st;
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "a device is written in place, never replaced";
#endif
  EXPECT_EQ(ReadFile(deepPath), "") << "no file that cannot be loaded back";
}

// A save over a file with a second name writes the file in place, cut to the
// new length: every name reads the new text. On Windows a read-only file is
// refused.
TEST_F(DocumentFiles, EveryNameOfASavedFileReadsTheNewText) {
  dir.Write("doc.xml", "<old>" + std::string(100, 'o') + "</old>");
  const std::string other = dir.HardLink("doc.xml", "other.xml");
  const HostRun run = RunOnDocument({"save", "0", dir.At("doc.xml")});
  EXPECT_NE(run.out.find("save=1\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(dir.At("doc.xml")), "<keep a=\"1\"/>");
  EXPECT_EQ(ReadFile(other), "<keep a=\"1\"/>");
#if defined(_WIN32)
  // (POSIX: SavingAs in saving_test.cpp, where the saver is not root.)
  const std::string readOnly = dir.Write("read-only.xml", "<old/>");
  const auto writable = std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                        std::filesystem::perms::others_write;
  std::filesystem::permissions(readOnly, writable, std::filesystem::perm_options::remove);  // the attribute
  const HostRun refused = RunOnDocument({"save", "0", readOnly});
  EXPECT_NE(refused.out.find("save=0\n"), std::string::npos) << refused.out;
  EXPECT_EQ(ReadFile(readOnly), "<old/>");
  std::filesystem::permissions(readOnly, writable, std::filesystem::perm_options::add);
#endif
}

// Paths of 259 bytes save and load back, a new file as well as one that is
// replaced: the files the replacement puts beside a short name in a long
// folder must fit too. 260 bytes are refused above.
TEST_F(DocumentFiles, PathsOf259BytesSaveAndLoadBack) {
  const std::string folder = dir.MakeDir(std::string(252 - dir.path().size(), 'f'));
  dir.Write(folder.substr(dir.path().size() + 1) + "/e.xml", "<old/>");
  for (const char* name : {"n.xml", "e.xml"}) {
    const std::string path = folder + platform::kPathSeparator + name;
    ASSERT_EQ(path.size(), 259u);
    const HostRun run = RunOnDocument({"save", "0", path, "load", "0", path});
    EXPECT_NE(run.out.find("save=1\nload=1\n" + kKept), std::string::npos) << name << "\n" << run.out;
  }
}

// A relative name is saved in the working folder (a load looks for it under
// the data root): a bare name of a file there, a new name, a name in a
// sub-folder.
TEST_F(DocumentFiles, RelativeNamesSaveToTheWorkingFolder) {
  const TempDir working;
  working.Write("e.xml", "<old/>");
  working.MakeDir("sub");
  dir.Write("e.xml", "<host/>");  // the data root: the host's folder
  const HostRun run = RunOnDocument({"cd", working.path(), "save", "0", "e.xml", "save", "0", "new.xml",
                                     "save", "0", NativePath("sub/e.xml")});
  EXPECT_NE(run.out.find("cd=1\nsave=1\nsave=1\nsave=1\n"), std::string::npos) << run.out;
  for (const char* name : {"e.xml", "new.xml", "sub/e.xml"}) {
    EXPECT_EQ(ReadFile(working.At(name)), "<keep a=\"1\"/>") << name;
  }
  EXPECT_EQ(ReadFile(dir.At("e.xml")), "<host/>");
}

// A save removes what writers of the same document that no longer run left
// beside it (files named after the document and the writer's process), and
// nothing else.
TEST_F(DocumentFiles, ASaveRemovesTheLeftoversOfEndedWriters) {
  char running[16];
  std::snprintf(running, sizeof running, "%lx", static_cast<unsigned long>(ThisProcessId()));
  const struct {
    std::string name;
    bool kept;
  } files[] = {
      {".doc.xml.orvel~7fffffff-0", false},  // no process has that id
      {".doc.xml.orvel~7fffffff-1a", false},
      {".doc.xml.orvel~" + std::string(running) + "-0", true},  // this test's process runs on
      {".other.xml.orvel~7fffffff-0", true},                    // another document's
      {".doc.xml.orvel~7fffffff", true},                        // no name a save gives
      {".doc.xml.orvel~7fffffff-0.bak", true},
  };
  const std::string doc = dir.Write("doc.xml", "<old/>");
  for (const auto& f : files) dir.Write(f.name, "<leftover/>");
  const HostRun run = RunOnDocument({"save", "0", doc});
  EXPECT_NE(run.out.find("save=1\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(doc), "<keep a=\"1\"/>");
  for (const auto& f : files) EXPECT_EQ(std::filesystem::exists(dir.At(f.name)), f.kept) << f.name;
}

#if defined(_WIN32)
// A program that opens each new file without delete sharing (an indexer, a
// virus scanner, a sync client) makes ReplaceFileA fail, sometimes after it
// moved the document away. Each save still ends with the document whole at
// its name, and succeeds once the holder lets go; a later save removes what
// could not be removed while it was held.
TEST_F(DocumentFiles, ASaveOutlastsAProgramHoldingItsFiles) {
  const std::string doc = dir.Write("folder/doc.xml", "<v0/>");
  std::vector<std::string> args = {"create", "1", "0", "hold-new-files", dir.At("folder"), "30"};
  std::string expected;
  for (int i = 1; i <= 12; ++i) {
    const std::string text = "<v" + std::to_string(i) + "/>";
    args.insert(args.end(), {"parse", "0", text, "save", "0", doc, "load", "0", doc, "text", "0"});
    expected += "parse=1\nsave=1\nload=1\ntext=\"" + text + "\" valid=1\n";
  }
  args.insert(args.end(), {"release", "0"});
  const HostRun run = host.Run(args);
  EXPECT_NE(run.out.find(expected), std::string::npos) << run.out;
  const HostRun again = RunOnDocument({"save", "0", doc});
  EXPECT_NE(again.out.find("save=1\n"), std::string::npos) << again.out;
  std::string names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.At("folder")))
    names += entry.path().filename().string() + " ";
  EXPECT_EQ(names, "doc.xml ");
}
#else
// Standard output redirected to a file is the caller's stream: a save to
// /dev/stdout writes the text where the stream stands, between what the host
// printed before and after, and never replaces the file.
TEST_F(DocumentFiles, SavingToStandardOutputWritesIntoTheStream) {
  const HostRun run = RunOnDocument({"save", "0", "/dev/stdout"});
  EXPECT_NE(run.out.find("parse=1\n<keep a=\"1\"/>save=1\n" + kKept + "\n"), std::string::npos) << run.out;
}
#endif

#if !defined(_WIN32)  // file modes, a file size limit and symbolic links are POSIX's
TEST_F(DocumentFiles, UnreadableFileIsRefused) {
  chmod(dir.path().c_str(), 0755);
  const std::string secret = dir.Write("secret.xml", "<secret/>");
  chmod(secret.c_str(), 0);
  const HostRun run = RunOnDocument({"unprivileged", "load", "0", secret});
  ASSERT_NE(run.out.find("unprivileged=1\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("load=0\n" + kKept + "\n"), std::string::npos) << run.out;
}

TEST_F(DocumentFiles, AFailedSaveKeepsTheOldFileWhole) {
  const std::string target = dir.Write("doc.xml", "<old/>");
  chmod(target.c_str(), 0640);
  const std::string big = "<r>" + std::string(8000, 'x') + "</r>";
  const HostRun run = host.Run({"create", "1", "0", "parse", "0", big, "file-size-limit", "4096", "save", "0",
                                target, "parse", "0", "<new/>", "save", "0", target, "release", "0"});
  EXPECT_NE(run.out.find("file-size-limit=1\nsave=0\nparse=1\nsave=1\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(target), "<new/>");
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replacing file takes the old one's permissions";
  // The failed save's sibling file is gone: only the host, the target and nothing else.
  const std::string listing = dir.path() + "/listing";
  ASSERT_EQ(std::system(("ls -A '" + dir.path() + "' > '" + listing + "'").c_str()), 0);
  EXPECT_EQ(ReadFile(listing), "doc.xml\nhost\nlisting\n");
}

TEST_F(DocumentFiles, SavingThroughALinkReplacesTheFileItNames) {
  const std::string target = dir.Write("real.xml", "<old/>");
  const std::string link = dir.Link(target, "link.xml");
  const HostRun run = RunOnDocument({"save", "0", link});
  EXPECT_NE(run.out.find("save=1\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(target), "<keep a=\"1\"/>");
  struct stat st;
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}
#endif

#if !defined(_WIN32)  // Windows hosts live within MAX_PATH; peak memory is measured on POSIX
// A host whose path the module cannot hold whole has no host folder for it:
// no ini file, no factory library, no relative paths. The folder a cut path
// would name (the ancestor at byte 240 here) holds an ini file, a factory
// library and a document that must all stay unread.
TEST_F(DocumentFiles, AHostPathTooLongToHoldNamesNoFolder) {
  const TempDir base;
  const std::string ancestor = std::string(239 - base.path().size(), 'a');
  const std::string hostPath = base.Copy(ORVEL_TEST_HOST, ancestor + "/" + std::string(51, 'b') + "/host");
  ASSERT_EQ(hostPath.size(), 297u);
  base.Write(ancestor + "/Orvel.ini", "[361]\nDLL=libZandrop.so\n");
  base.Link(ORVEL_ZANDROP, ancestor + "/libZandrop.so");
  base.Write(ancestor + "/doc.xml", "<cut/>");
  const HostRun run =
      RunHost(hostPath, {ORVEL_XML_MODULE, "create", "1", "0", "parse", "0", "<keep a=\"1\"/>", "load", "0",
                         "doc.xml", "zandrop", "text", "0", "release", "0"});
  EXPECT_EQ(ValueOf(run.out, "load"), "0") << run.out;
  EXPECT_EQ(ValueOf(run.out, "zandrop"), "none") << "the library a cut path names was loaded";
  EXPECT_EQ(ValueOf(run.out, "text"), "\"<keep a=\\\"1\\\"/>\" valid=1");
  EXPECT_NE(run.log.find(kNoFactory), std::string::npos) << run.log;
}

// A compressed load holds its text once (handed over to the document, not
// copied beside it), and room a decoder asks for but does not write costs no
// memory. (The host reads its peak memory from /proc/self/status.)
TEST_F(DocumentFiles, ACompressedLoadHoldsItsTextOnce) {
  UseFactoryLibrary();
  const long long size = 128ll << 20;
  const std::string packed = dir.WriteGzip("large.xmlz", "<r>" + std::string(size, 'x') + "</r>");
  const HostRun run =
      host.Run({"create", "1", "0", "maxrss", "load", "0", packed, "maxrss", "release", "0"}, {kNoLeakCheck});
  EXPECT_NE(run.out.find("load=1\n"), std::string::npos) << run.out;
  const long long before = std::stoll(ValueOf(run.out, "maxrss"));
  const long long after = std::stoll(run.out.substr(run.out.rfind("maxrss=") + 7));
  EXPECT_LT((after - before) * 1024, size * 3 / 2) << "KiB: " << before << " -> " << after;

  const std::string doc = dir.Write("doc.xmlz", "<r/>");
  const HostRun claims =
      host.Run({"factory-handle", ORVEL_FIXTURE_DECODER, "decoder-mode", "5", "create", "1", "0", "maxrss",
                "load", "0", doc, "maxrss", "text", "0", "release", "0"});
  EXPECT_NE(claims.out.find("load=1\n"), std::string::npos) << claims.out;
  EXPECT_EQ(ValueOf(claims.out, "text"), "\"<r/>\" valid=1");
  const long long claimedBefore = std::stoll(ValueOf(claims.out, "maxrss"));
  const long long claimedAfter = std::stoll(claims.out.substr(claims.out.rfind("maxrss=") + 7));
  EXPECT_LT(claimedAfter - claimedBefore, 64 << 10)
      << "KiB for a decoder that claims 2 GiB and writes 4 bytes";
}
#endif

TEST_F(DocumentFiles, RelativePathsAreOpenedUnderTheDataRoot) {
  const TempDir root, workingFolder;
  root.Write("doc.xml", "<root/>");
  root.WriteGzip("packed.xmlz", "<packed/>");
  root.WriteGzip("fallback.xmlz", "<fallback/>");
  workingFolder.Write("doc.xml", "<working/>");  // same name in the working folder: never read
  workingFolder.Write("sub/doc.xml", "<working/>");
  const struct {
    const char* what;
    bool store;  // the configuration store names root; otherwise the host directory is the data root
    const char* path;
    std::string text;
  } cases[] = {
      {"host directory", false, "doc.xml", "<host/>"},
      {"host directory, sub-folder", false, "sub/doc.xml", "<hostsub/>"},
      {"configuration store", true, "doc.xml", "<root/>"},
      {"configuration store, compressed", true, "packed.xmlz", "<packed/>"},
      {"configuration store, fallback to z", true, "fallback.xml", "<fallback/>"},
  };
  for (const auto& c : cases) {
    HostInFolder h(ORVEL_XML_MODULE);
    h.dir().Write("doc.xml", "<host/>");
    h.dir().Write("sub/doc.xml", "<hostsub/>");
    if (c.store) {
      h.dir().Write("Orvel.ini", Native("[361]\nDLL=libZandrop.so\n[orvel_rootpath]\norvel_rootpath_data=") +
                                     root.path() + "\n");
      h.dir().Link(ORVEL_ZANDROP, kZandropFile);
    }
    const HostRun run = h.Run(
        {"cd", workingFolder.path(), "create", "1", "0", "load", "0", c.path, "text", "0", "release", "0"});
    EXPECT_NE(run.out.find("load=1\ntext=\"" + c.text + "\" valid=1\n"), std::string::npos) << c.what << "\n"
                                                                                            << run.out;
    // Without a factory library both the data root and the idle notice look for one.
    if (c.store) {
      EXPECT_EQ(run.log.find("[Orvel_Error]"), std::string::npos) << c.what << "\n" << run.log;
    } else {
      EXPECT_EQ(run.log, kNoFactory + kNoFactory) << c.what;
    }
  }
}

TEST_F(DocumentFiles, CompressedFilesGoThroughTheDecoder) {
  UseFactoryLibrary();
  std::string large = "<catalog>\r\n";
  for (int i = 0; i < 20000; ++i)
    large += "\t<item id=\"" + std::to_string(i % 100) + "\">same text</item>\r\n";
  large += "</catalog>";
  const std::string packedLarge = dir.WriteGzip("large.xmlz", large);
  ASSERT_GE(large.size(), 50 * ReadFile(packedLarge).size())
      << "the text is at least 50 times its compressed size";
  dir.WriteGzip("upper.XMLZ", "<upper/>");
  dir.WriteGzip("spaced.xmlz ", "<spaced/>");  // the name ends in a space
  dir.WriteGzip("fallback.xmlz", "<fallback/>");
  dir.WriteGzip("both.xmlz", "<compressed/>");
  dir.Write("both.xml", "<plain/>");
  dir.Write("dir.old/file", "<plain/>");
  dir.WriteGzip("bad.xmlz", "<a><b></a>");
  const std::string one = ReadFile(dir.WriteGzip("one.gz", "<two>"));
  dir.Write("members.xmlz", one + ReadFile(dir.WriteGzip("two.gz", "</two>")));  // as cat one.gz two.gz
  const struct {
    const char* what;
    std::string path;
    std::string out;
  } cases[] = {
      {"upper-case extension", dir.At("upper.XMLZ"), "load=1\ntext=\"<upper/>\" valid=1"},
      {"extension with a trailing space", dir.At("spaced.xmlz "), "load=1\ntext=\"<spaced/>\" valid=1"},
      {"missing .xml found as .xmlz", dir.At("fallback.xml"), "load=1\ntext=\"<fallback/>\" valid=1"},
      {"existing .xml stays plain", dir.At("both.xml"), "load=1\ntext=\"<plain/>\" valid=1"},
      {"a dot in a folder name only", dir.At("dir.old/file"), "load=1\ntext=\"<plain/>\" valid=1"},
      {"decoded text not well formed", dir.At("bad.xmlz"), "load=0\ntext=\"<a><b></a>\" valid=0"},
      {"two gzip members", dir.At("members.xmlz"), "load=1\ntext=\"<two></two>\" valid=1"},
  };
  for (const auto& c : cases) {
    const HostRun run = RunOnDocument({"load", "0", c.path});
    EXPECT_NE(run.out.find(c.out + "\n"), std::string::npos) << c.what << "\n" << run.out;
    EXPECT_EQ(run.log.find("[Orvel_Error]"), std::string::npos) << c.what << "\n" << run.log;
  }
  const HostRun run = host.Run(
      {"create", "1", "0", "load", "0", packedLarge, "save", "0", dir.At("large.xml"), "release", "0"});
  EXPECT_NE(run.out.find("load=1\nsave=1\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFile(dir.At("large.xml")), large)
      << "decoded whole, although it is far more than twice the file";
}

// A text loaded from a compressed file is the same bytes as from a plain
// file, NUL bytes inside it included: saved again, both give the same file.
TEST_F(DocumentFiles, BothRoutesGiveTheSameBytes) {
  UseFactoryLibrary();
  const struct {
    std::string text;
    const char* loaded;  // a text ends at its first NUL for every scan
  } cases[] = {
      {std::string("<a/>\0garbage", 12), "1"},
      {std::string("<r>a\0b</r>\n", 11), "0"},
      {"<r>\xFF\xFE plain</r>", "1"},
  };
  for (const auto& c : cases) {
    const std::string plain = dir.Write("doc.xml", c.text);
    const std::string packed = dir.WriteGzip("packed.xmlz", c.text);
    const HostRun run =
        host.Run({"create", "1", "0", "load", "0", plain, "save", "0", dir.At("plain-out.xml"), "load", "0",
                  packed, "save", "0", dir.At("packed-out.xml"), "release", "0"});
    const std::string loaded = std::string("load=") + c.loaded + "\nsave=1\n";
    EXPECT_NE(run.out.find(loaded + loaded), std::string::npos) << run.out;
    EXPECT_EQ(ReadFile(dir.At("plain-out.xml")), c.text);
    EXPECT_EQ(ReadFile(dir.At("packed-out.xml")), c.text) << "the compressed route";
  }
}

TEST_F(DocumentFiles, CorruptCompressedFilesAreRefused) {
  UseFactoryLibrary();
  const std::string good = ReadFile(dir.WriteGzip("good.gz", "<doc>some text to compress</doc>"));
  std::string badCheck = good;
  badCheck[badCheck.size() - 5] ^= 0x55;  // the CRC-32 of the text
  std::string badData = good;
  badData[12] ^= 0x55;
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"not gzip data", "<doc>plain text under a compressed name</doc>"},
      {"truncated", good.substr(0, good.size() / 2)},
      {"header only", good.substr(0, 10)},
      {"wrong check sum", badCheck},
      {"damaged data", badData},
      {"garbage after the member", good + "garbage"},
      {"decodes to nothing", ReadFile(dir.WriteGzip("nothing.gz", ""))},
  };
  for (const auto& c : cases) {
    const std::string path = dir.Write("corrupt.xmlz", c.bytes);
    const HostRun run = RunOnDocument({"load", "0", path});
    EXPECT_EQ(run.exitCode, 0) << c.what;
    EXPECT_NE(run.out.find("load=0\n" + kKept + "\n"), std::string::npos) << c.what << "\n" << run.out;
  }
}

TEST_F(DocumentFiles, WithoutADecoderACompressedLoadFails) {
  dir.WriteGzip("doc.xmlz", "<doc/>");
  const HostRun run = RunOnDocument({"load", "0", dir.At("doc.xmlz")});
  EXPECT_NE(run.out.find("load=0\n" + kKept + "\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.log, kNoFactory + kNoFactory) << "the decoder's access, then the idle notice";
}

// The scripted decoder "decodes" a file by copying it, in the way FixtureDecoderMode sets.
class ScriptedDecoder : public DocumentFiles {
 protected:
  HostRun Load(int mode, const std::string& path, std::vector<std::string> more = {}) const {
    std::vector<std::string> commands = {"decoder-mode", std::to_string(mode), "load", "0",
                                         path,           "decoder-calls"};
    commands.insert(commands.end(), more.begin(), more.end());
    return RunOnDocument(commands, {"factory-handle", ORVEL_FIXTURE_DECODER});
  }
};

TEST_F(ScriptedDecoder, TheModuleHoldsTheDecoderToItsResult) {
  const std::string doc = dir.Write("doc.xmlz", "<r/>");
  const struct {
    const char* what;
    int mode;
    std::string out;
  } cases[] = {
      {"reports the size", 0, "load=1\ndecoder-calls=1\ntext=\"<r/>\" valid=1"},
      {"reports nothing", 1, "load=1\ndecoder-calls=1\ntext=\"<r/>\" valid=1"},
      // 8 bytes in a capacity of 8: the text ends at the zero byte the module keeps beyond it.
      {"fills the whole capacity", 2, "load=0\ndecoder-calls=1\ntext=\"<r/><r/>\" valid=0"},
      {"returns failure", 3, "load=0\ndecoder-calls=1\n" + kKept},
      {"produces no bytes", 4, "load=0\ndecoder-calls=1\n" + kKept},
  };
  for (const auto& c : cases) {
    const HostRun run = Load(c.mode, doc);
    EXPECT_NE(run.out.find(c.out + "\n"), std::string::npos) << c.what << "\n" << run.out;
  }
}

TEST_F(ScriptedDecoder, NamesWithoutARoomForTheSuffixAreNotTriedAsCompressed) {
  // A file named "z" beside the host and in the working folder: what a missing
  // null, empty or over-long name would have become with "z" appended.
  dir.Write("z", "<z/>");
  const std::string name259 =
      dir.path() + platform::kPathSeparator + std::string(259 - dir.path().size() - 1, 'n');
  const struct {
    const char* what;
    std::string path;
  } cases[] = {
      {"null", "null"},
      {"empty", ""},
      {"259 bytes", name259},
      {"300 bytes", name259 + std::string(41, 'n')},
  };
  for (const auto& c : cases) {
    const HostRun run = Load(0, c.path, {"cd", dir.path(), "load", "0", c.path});
    EXPECT_NE(run.out.find("load=0\ndecoder-calls=0\ncd=1\nload=0\n" + kKept + "\n"), std::string::npos)
        << c.what << "\n"
        << run.out;
  }
}

TEST_F(ScriptedDecoder, AReleaseDuringACompressedLoadWaitsForTheOuterCall) {
  const std::string doc = dir.Write("doc.xmlz", "<r/>");
  // The decoder releases the component while slot 5 is in progress; the nested
  // ParseText runs on the released component, which goes when slot 5 returns.
  const HostRun run =
      host.Run({"factory-handle", ORVEL_FIXTURE_DECODER, "create", "1", "0", "release-in-decode", "0",
                "canunload", "load", "0", doc, "forget", "0", "decoder-calls", "canunload"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("canunload=0\nload=1\ndecoder-calls=1\ncanunload=1\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(run.log, "Orvel[Assert]: operation called on a released component\n");
#if defined(_WIN32)
  EXPECT_EQ(run.debugBreaks, 1) << "the assertion stops in the attached debugger, then the call goes on";
#endif
}

}  // namespace
}  // namespace test
}  // namespace orvel
