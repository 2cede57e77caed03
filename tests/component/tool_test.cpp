// The orvelxml tool as a user runs it: exit codes, FILE:LINE:COL, formatted
// text, script errors.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#if defined(_WIN32)
#include <vector>
#else
#include <sys/wait.h>
#endif

#include "tests/support/host_run.h"
#include "tests/support/temp_dir.h"

namespace {

struct Outcome {
  int exitCode;
  std::string out;  // standard output and standard error, in that order
};

const orvel::test::TempDir& Scratch() {
  static const orvel::test::TempDir dir;
  return dir;
}

std::string Folder() { return Scratch().path(); }

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = Folder() + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

#if defined(_WIN32)
// The tool as a child process; the arguments are split at spaces (no path here has one).
Outcome Tool(const std::string& arguments) {
  std::vector<std::string> args = {"--module", ORVEL_MODULE_PATH};
  std::istringstream words(arguments);
  for (std::string word; words >> word;) args.push_back(word);
  const orvel::test::HostRun run = orvel::test::RunHost(ORVELXML_TOOL, args);
  return {run.exitCode, run.out + run.err};
}
#else
// shellPrefix runs in the same shell before the tool (e.g. a ulimit).
Outcome Tool(const std::string& arguments, const std::string& shellPrefix = "") {
  const std::string err = Folder() + "/stderr.txt";
  const std::string command = shellPrefix + std::string(ORVELXML_TOOL) + " --module " + ORVEL_MODULE_PATH +
                              " " + arguments + " 2>" + err;
  Outcome o{-1, ""};
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return o;
  char chunk[4096];
  std::size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, p)) > 0) o.out.append(chunk, n);
  const int status = pclose(p);
  o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  o.out += ReadFile(err);
  return o;
}
#endif

TEST(ToolCheck, ReportsEachFileAndTheFirstErrorPosition) {
  const std::string good = WriteFile("good.xml", "<?xml version=\"1.0\"?>\n<r>\n  <a k=\"v\"/>\n</r>\n");
  const std::string mismatch = WriteFile("mismatch.xml", "<r>\n  <a>\n  </b>\n</r>\n");
  const std::string open = WriteFile("open.xml", "<r>\n\t<a>\n</r>");
  const std::string sibling = WriteFile("sibling.xml", "<a/>\n<b/>\n");
  const std::string empty = WriteFile("empty.xml", "");
  // Not "nul.xml": on Windows that name is the null device.
  const std::string nul = WriteFile("nul_byte.xml", std::string("<r>\n<a/>\0</r>", 13));
  const struct {
    std::string file;
    int exitCode;
    std::string line;
  } cases[] = {
      {good, 0, good + ": well formed\n"},
      {mismatch, 1, mismatch + ":3:3: end tag 'b' does not match start tag 'a' (opened at 2:3)\n"},
      {open, 1, open + ":3:1: end tag 'r' does not match start tag 'a' (opened at 2:2)\n"},
      {sibling, 1, sibling + ":2:1: a second root element\n"},
      {empty, 1, empty + ":1:1: the document is empty\n"},
      {nul, 1, nul + ":2:5: a NUL byte, which XML does not allow\n"},
  };
  for (const auto& c : cases) {
    const Outcome o = Tool("check " + c.file);
    EXPECT_EQ(o.exitCode, c.exitCode) << c.file;
    EXPECT_EQ(o.out, c.line);
  }
}

TEST(ToolCheck, ExitCodeCoversAllFiles) {
  const std::string good = WriteFile("good2.xml", "<r/>");
  const std::string bad = WriteFile("bad2.xml", "<r>");
  EXPECT_EQ(Tool("check " + good + " " + good).exitCode, 0);
  EXPECT_EQ(Tool("check " + bad + " " + good).exitCode, 1);
  EXPECT_EQ(Tool("check " + good + " " + Folder() + "/missing.xml").exitCode, 2);
}

TEST(ToolFormat, ReindentsToStandardOutputOrAFile) {
  const std::string in = WriteFile("fmt.xml", "<root>\n<a>\n\t\t\t<b/>\n</a>\n</root>");
  const std::string expected = "<root>\n\t<a>\n\t\t<b/>\n\t</a>\n</root>";
  Outcome o = Tool("format " + in);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, expected);
  const std::string out = Folder() + "/fmt_out.xml";
  o = Tool("format " + in + " -o " + out);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(ReadFile(out), expected);
}

TEST(ToolFormat, FormatsADocumentThatIsNotWellFormedButSaysSo) {
  const std::string in = WriteFile("fmt_bad.xml", "<r>\n<a>\n</r>");
  const Outcome o = Tool("format " + in);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out, "<r>\n\t<a>\n</r>orvelxml: " + in + " is not well formed (formatted anyway)\n");
}

TEST(ToolRun, PrintsEachCallAndItsResult) {
  const std::string script = WriteFile("s.script",
                                       "# comment line\n"
                                       "\n"
                                       "ParseText \"<r id=\\\"7\\\">t\\x21</r>\"   # trailing comment\n"
                                       "SeekSiblingElement null\n"
                                       "ReadAttribute \"id\"\n"
                                       "ReadAttribute \"id\" 1\n"
                                       "ReadAttribute \"id\" null\n"
                                       "ReadContent 0\n"
                                       "ReadDocumentText 6\n"
                                       "ReadDocumentText\n"
                                       "SetDocumentFlags 0x8\n"
                                       "GetDocumentFlags\n"
                                       "SetDocumentFlags 010\n"
                                       "GetDocumentFlags\n"
                                       "Release 0\n"
                                       "IsDocumentValid\n");
  const Outcome o = Tool("run " + script);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out,
            "ParseText \"<r id=\\\"7\\\">t!</r>\" -> 1\n"
            "SeekSiblingElement null -> 1\n"
            "ReadAttribute \"id\" -> 1 \"7\"\n"
            "ReadAttribute \"id\" 1 -> 1 untouched\n"
            "ReadAttribute \"id\" null -> 0\n"
            "ReadContent 0 -> 0 untouched\n"
            "ReadDocumentText 6 -> untouched\n"
            "ReadDocumentText -> \"<r id=\\\"7\\\">t!</r>\"\n"
            "SetDocumentFlags 0x8 -> done\n"
            "GetDocumentFlags -> 8\n"
            "SetDocumentFlags 010 -> done\n"
            "GetDocumentFlags -> 10\n"
            "Release 0 -> done\n"
            "IsDocumentValid -> 0\n");
}

TEST(ToolRun, RejectsBadScriptsWithExitCodeTwo) {
  const struct {
    const char* script;
    const char* message;
  } cases[] = {
      {"Frobnicate\n", ":1: unknown operation 'Frobnicate'"},
      {"ParseText\n", ":1: ParseText: missing argument: a string or null"},
      {"ParseText 5\n", ":1: ParseText: expected a string or null, got 5"},
      {"ParseText \"a\" \"b\"\n", ":1: ParseText: too many arguments"},
      {"\nParseText \"abc\n", ":2: unterminated string"},
      {"ParseText \"\\q\"\n", ":1: unknown escape \\q"},
      {"SetDocumentFlags 12x\n", ":1: bad number '12x'"},
      {"SetDocumentFlags 99999999999\n", ":1: SetDocumentFlags: integer out of 32-bit range: 99999999999"},
  };
  int i = 0;
  for (const auto& c : cases) {
    const std::string script = WriteFile("bad" + std::to_string(i++) + ".script", c.script);
    const Outcome o = Tool("run " + script);
    EXPECT_EQ(o.exitCode, 2) << c.script;
    EXPECT_NE(o.out.find(script + c.message), std::string::npos) << o.out;
  }
}

TEST(ToolFailures, UnreadableInputIsAnErrorNotAnEmptyRun) {
  // A folder opens like a file but cannot be read: no script ran, so no success.
  const Outcome o = Tool("run " + Folder());
  EXPECT_EQ(o.exitCode, 2) << o.out;
#if defined(_WIN32)
  const std::string message = "cannot open script ";  // Windows does not open a folder as a file
#else
  const std::string message = "cannot read script ";
#endif
  EXPECT_EQ(o.out, "orvelxml: " + message + Folder() + "\n");
}

TEST(ToolFailures, FormatRefusesADocumentWithANulByte) {
  // The component takes the text up to its first NUL: formatting would drop the
  // rest, and `-o` onto the input file would lose it for good. XML allows no
  // NUL, so the document is not well formed (1).
  const std::string bytes("<r>\n<a/>\0<!-- more --></r>", 25);
  const std::string in = WriteFile("fmt_nul.xml", bytes);
  Outcome o = Tool("format " + in);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out, in + ":2:5: a NUL byte, which XML does not allow\n");
  o = Tool("format " + in + " -o " + in);
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(ReadFile(in), bytes) << "the input file is left as it was";
}

TEST(ToolFailures, MemoryExhaustionEndsWithAMessageAndExitCodeTwo) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#elif defined(_WIN32)
  GTEST_SKIP() << "no address-space limit (ulimit -v) to set for a Windows process";
#else
  // A 200 MB buffer under a 150 MB address-space limit: the allocation fails.
  const std::string script = WriteFile("oom.script", "ParseText \"<a/>\"\nReadDocumentText 200000000\n");
  const Outcome o = Tool("run " + script, "ulimit -v 150000; ");
  EXPECT_EQ(o.exitCode, 2) << o.out;
  EXPECT_EQ(o.out, "ParseText \"<a/>\" -> 1\n" + script + ":2: ReadDocumentText: out of memory\n");
#endif
}

TEST(ToolUsage, HelpAndUsageErrors) {
  const struct {
    const char* arguments;
    int exitCode;
  } cases[] = {
      {"--help", 0},
      {"check --help", 0},
      {"format --help", 0},
      {"run --help", 0},
      {"demo --help", 0},
      {"", 2},
      {"explode", 2},
      {"check", 2},
      {"format", 2},
      {"run", 2},
      {"run /nonexistent/x.script", 2},
      {"format /nonexistent/x.xml", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(Tool(c.arguments).exitCode, c.exitCode) << c.arguments;
}

TEST(ToolUsage, PackAndUnpackUsageErrors) {
  const struct {
    const char* arguments;
    int exitCode;
  } cases[] = {
      {"pack --help", 0},
      {"unpack --help", 0},
      {"pack a.xml", 2},
      {"unpack a.xmlz", 2},
      {"pack /nonexistent/x.xml /tmp/x.xmlz", 2},
      {"unpack /nonexistent/x.xmlz /tmp/x.xml", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(Tool(c.arguments).exitCode, c.exitCode) << c.arguments;
}

TEST(ToolPack, PackedFilesAreGzipAndUnpackThroughTheModule) {
  const std::string text = "<r>\r\n\t<a x=\"1\">text</a>\r\n</r>";
  const std::string in = WriteFile("pack.xml", text);
  const std::string packed = Folder() + "/pack.XMLZ";
  Outcome o = Tool("pack " + in + " " + packed);
  EXPECT_EQ(o.exitCode, 0) << o.out;
  o = Tool("unpack " + packed + " " + Folder() + "/unpacked.xml");
  EXPECT_EQ(o.exitCode, 0) << o.out;
  EXPECT_EQ(ReadFile(Folder() + "/unpacked.xml"), text);
#if defined(_WIN32)
  // No gzip tool here: zlib's gzip writer makes the file for the module.
  Scratch().WriteGzip("gzipped.xmlz", text);
#else
  // What gzip reads back, and what the module makes of a file gzip wrote.
  ASSERT_EQ(std::system(("gzip -dc " + packed + " > " + Folder() + "/gunzipped.xml").c_str()), 0);
  EXPECT_EQ(ReadFile(Folder() + "/gunzipped.xml"), text);
  ASSERT_EQ(std::system(("gzip -c " + in + " > " + Folder() + "/gzipped.xmlz").c_str()), 0);
#endif
  o = Tool("check " + Folder() + "/gzipped.xmlz");
  EXPECT_EQ(o.out, Folder() + "/gzipped.xmlz: well formed\n");

  const std::string bad = WriteFile("bad.xml", "<r>\n<a></r>");
  Tool("pack " + bad + " " + Folder() + "/bad.xmlz");
  o = Tool("check " + Folder() + "/bad.xmlz");
  EXPECT_EQ(o.exitCode, 1);
  EXPECT_EQ(o.out, Folder() + "/bad.xmlz:2:4: end tag 'r' does not match start tag 'a' (opened at 2:1)\n");
  o = Tool("unpack " + Folder() + "/bad.xmlz " + Folder() + "/bad-out.xml");
  EXPECT_EQ(o.exitCode, 1) << "not well formed, written anyway";
  EXPECT_EQ(ReadFile(Folder() + "/bad-out.xml"), "<r>\n<a></r>");

  const std::string junk = WriteFile("junk.xmlz", "not gzip");
  EXPECT_EQ(Tool("check " + junk).exitCode, 2);
  EXPECT_EQ(Tool("unpack " + junk + " " + Folder() + "/junk.xml").exitCode, 2);
  o = Tool("format " + Folder() + "/gzipped.xmlz");
  EXPECT_EQ(o.out, "<r>\r\n\t<a x=\"1\">text</a>\r\n</r>");
}

TEST(ToolFormat, FormattingAFileOntoItselfKeepsIt) {
  const std::string in = WriteFile("self.xml", "<r>\n<a>\n<b/>\n</a>\n</r>\n");
  const Outcome o = Tool("format " + in + " -o " + in);
  EXPECT_EQ(o.exitCode, 0) << o.out;
  EXPECT_EQ(ReadFile(in), "<r>\n\t<a>\n\t\t<b/>\n\t</a>\n</r>\n");
}

// A failed save names its reason as the module gives it: errno, whose text
// is the component's status after the failed save.
TEST(ToolSave, AFailedSaveNamesItsReason) {
  const std::string in = WriteFile("reason.xml", "<r/>");
  std::filesystem::create_directory(Folder() + "/reason-folder");
  const struct {
    std::string out;
    int reason;
  } cases[] = {
      {Folder() + "/missing-folder/out.xml", ENOENT},
      {Folder() + "/reason-folder", EISDIR},
      {Folder() + "/" + std::string(150, 'f') + "/" + std::string(150, 'p') + ".xml", ENAMETOOLONG},
  };
  for (const auto& c : cases) {
    const Outcome o = Tool("format " + in + " -o " + c.out);
    EXPECT_EQ(o.exitCode, 2) << c.out;
    EXPECT_EQ(o.out, "orvelxml: " + c.out + ": " + std::strerror(c.reason) + "\n");
  }
}

TEST(ToolDemo, RunsOnTheBundledSample) {
  const Outcome o = Tool("demo");
  EXPECT_EQ(o.exitCode, 0) << o.out;
  EXPECT_NE(o.out.find("IsDocumentValid() -> 1"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("module unloads: yes"), std::string::npos) << o.out;
}

}  // namespace
