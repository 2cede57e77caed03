// The platform's ini reader against the conventions of the profile-string
// reader: the POSIX build's own reader, and GetPrivateProfileStringA itself on
// Windows, held to the same table.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstring>
#include <string>

#include "module/config_file.h"
#include "platform/platform.h"
#include "tests/module/host_process.h"

namespace orvel {
namespace test {
namespace {

using platform::ReadProfileString;

TEST(IniReader, FindsValuesByTheReaderConventions) {
  const struct {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"plain", "[s]\nk=v\n", "s", "k", "v"},
      {"names without letter case", "[SeCtIoN]\nKeY=v\n", "section", "kEy", "v"},
      {"blanks trimmed", "  [ s ]  \n \t k \t=\t  v w  \n", "s", "k", "v w"},
      {"double quotes", "[s]\nk=\" a b \"\n", "s", "k", " a b "},
      {"single quotes", "[s]\nk='x'\n", "s", "k", "x"},
      {"unmatched quotes stay", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
      {"lone quote stays", "[s]\nk=\"\n", "s", "k", "\""},
      {"comment lines", "[s]\n;k=v\n  ; k=w\nk=z\n", "s", "k", "z"},
      {"semicolon inside a value", "[s]\nk=a;b\n", "s", "k", "a;b"},
      {"equals sign inside a value", "[s]\nk=a=b\n", "s", "k", "a=b"},
      {"first of two keys", "[s]\nk=1\nk=2\n", "s", "k", "1"},
      {"empty value is not the default", "[s]\nk=\n", "s", "k", ""},
      {"CRLF lines", "[s]\r\nk=v\r\n", "s", "k", "v"},
      {"no final line feed", "[s]\nk=v", "s", "k", "v"},
      {"byte order mark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
      {"key of another section", "[a]\nk=1\n[b]\nj=2\n", "b", "k", "default"},
      {"key before any section", "k=1\n[s]\n", "s", "k", "default"},
      {"missing section", "[a]\nk=1\n", "s", "k", "default"},
      {"line without equals sign", "[s]\nk\n", "s", "k", "default"},
      {"prefix of a key", "[s]\nkey=1\n", "s", "k", "default"},
      {"empty file", "", "s", "k", "default"},
      // Malformed lines, read as the Windows reader reads them.
      {"section name up to the last bracket", "[a]b]\nk=v\n", "a]b", "k", "v"},
      {"text after the bracket", "[s]junk\nk=v\n", "s", "k", "v"},
      {"header without a bracket is no header", "[p]\nj=1\n[s\nk=v\n", "p", "k", "v"},
      {"nor does it open its section", "[s\nk=v\n", "s", "k", "default"},
      {"a NUL byte ends the value", std::string("[s]\nk=v \0w\n", 11), "s", "k", "v "},
      {"and its quotes", std::string("[s]\nk=\"a\0b\"\n", 12), "s", "k", "\"a"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.Write("t.ini", c.file);
    char out[64];
    std::memset(out, '#', sizeof out);
    const std::size_t n = ReadProfileString(path.c_str(), c.section, c.key, "default", out, sizeof out);
    EXPECT_STREQ(out, c.expected) << c.what;
    EXPECT_EQ(n, std::strlen(c.expected)) << c.what;
  }
}

TEST(IniReader, MissingFileOrNamesGiveTheDefault) {
  char out[16];
  EXPECT_EQ(ReadProfileString("/nonexistent/dir/x.ini", "s", "k", "dflt", out, sizeof out), 4u);
  EXPECT_STREQ(out, "dflt");
  EXPECT_EQ(ReadProfileString(nullptr, "s", "k", nullptr, out, sizeof out), 0u);
  EXPECT_STREQ(out, "");
  TempDir dir;
  const std::string path = dir.Write("t.ini", "[s]\nk=v\n");
  EXPECT_EQ(ReadProfileString(path.c_str(), nullptr, "k", "d", out, sizeof out), 1u);
  EXPECT_STREQ(out, "d");
  EXPECT_EQ(ReadProfileString(path.c_str(), "s", nullptr, "d", out, sizeof out), 1u);
  EXPECT_STREQ(out, "d");
  EXPECT_EQ(ReadProfileString(dir.path().c_str(), "s", "k", "d", out, sizeof out), 1u) << "a folder";
  EXPECT_STREQ(out, "d");
}

TEST(IniReader, ResultIsCutToTheBuffer) {
  TempDir dir;
  const std::string path = dir.Write("t.ini", "[s]\nk=abcdef\n");
  const struct {
    std::size_t capacity;
    const char* expected;
    const char* defaultValue;
  } cases[] = {{7, "abcdef", ""}, {6, "abcde", ""}, {1, "", ""}};
  for (const auto& c : cases) {
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(ReadProfileString(path.c_str(), "s", "k", c.defaultValue, out, c.capacity), std::strlen(c.expected));
    EXPECT_STREQ(out, c.expected) << c.capacity;
  }
  char out[4] = {'#', '#', '#', '\0'};
  EXPECT_EQ(ReadProfileString(path.c_str(), "s", "k", "", out, 0), 0u);
  EXPECT_STREQ(out, "###") << "capacity 0 writes nothing";
  EXPECT_EQ(ReadProfileString(path.c_str(), "s", "missing", "longdefault", out, sizeof out), 3u);
  EXPECT_STREQ(out, "lon");
}

TEST(IniReader, LongLinesAndBinaryBytesAreRead) {
  TempDir dir;
  const std::string longValue(5000, 'v');
  const std::string path = dir.Write("t.ini", std::string("[x]\n\0\xff\n", 7) + "[s]\nk=" + longValue + "\n");
  std::string out(6000, '#');
  EXPECT_EQ(ReadProfileString(path.c_str(), "s", "k", "", out.data(), out.size()), longValue.size());
  EXPECT_EQ(std::string(out.c_str()), longValue);
}

// An ini file over 1 MiB is not read (it counts as missing), so that a
// huge file costs no time at each factory access; the module logs it.
TEST(IniReader, AFileOverOneMebibyteIsNotRead) {
  TempDir dir;
  const std::string head = "[s]\nk=v\n;";
  for (const std::size_t size : {platform::kMaxProfileFileBytes, platform::kMaxProfileFileBytes + 1}) {
    const std::string path = dir.Write("big.ini", head + std::string(size - head.size() - 1, 'c') + "\n");
    char out[8];
    ReadProfileString(path.c_str(), "s", "k", "default", out, sizeof out);
    EXPECT_STREQ(out, size > platform::kMaxProfileFileBytes ? "default" : "v") << size;
    EXPECT_EQ(platform::ProfileFile(path.c_str()).tooLarge(), size > platform::kMaxProfileFileBytes) << size;
  }
  const CapturedLog log;
  char library[kPathCapacity];
  ResolveFactoryLibrary(dir.At("big.ini").c_str(), library);
  EXPECT_EQ(log.Text(),
            "[Orvel_Error] Ini file " + dir.At("big.ini") + " is larger than 1048576 bytes: not read.\n");
}

#if !defined(_WIN32)  // FIFOs and fork are POSIX's
// A child that opens fifo for writing (waiting for a reader), writes text and exits.
pid_t StartFifoWriter(const std::string& fifo, const std::string& text) {
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGPIPE, SIG_IGN);
    const int fd = open(fifo.c_str(), O_WRONLY);
    if (fd >= 0) {
      const ssize_t written = write(fd, text.data(), text.size());
      (void)written;
      close(fd);
    }
    _exit(0);
  }
  return pid;
}

// Lets a writer still waiting for a reader finish, then collects it.
void StopFifoWriter(const std::string& fifo, pid_t pid) {
  const int fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  int status = 0;
  waitpid(pid, &status, 0);
  if (fd >= 0) close(fd);
}

TEST(IniReader, OnlyRegularFilesAreRead) {
  // A pipe or a device named as an ini file would block the caller (a FIFO
  // without a writer) or never end (/dev/zero); neither is an ini file.
  TempDir dir;
  const std::string fifo = dir.At("pipe.ini");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = StartFifoWriter(fifo, "[s]\nk=from the pipe\n");
  ASSERT_GT(writer, 0);
  char out[32];
  const std::size_t n = ReadProfileString(fifo.c_str(), "s", "k", "default", out, sizeof out);
  StopFifoWriter(fifo, writer);
  EXPECT_STREQ(out, "default");
  EXPECT_EQ(n, 7u);
}
#endif

}  // namespace
}  // namespace test
}  // namespace orvel
