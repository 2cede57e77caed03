// What a save keeps, as a host sees it when an ordinary user or root saves:
// the file's mode, owner and group, its other names and its extended
// attributes, and the old text whole when the new one cannot be written.
// The files and folders are made here as root; the host takes the saver's
// identity before it saves. POSIX only: users, modes and attributes are
// POSIX's (the win32 build's cases are in document_files_test.cpp).
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tests/module/module_test_support.h"

namespace orvel {
namespace test {
namespace {

// Users and groups: "nobody", root, and a second ordinary user (1234) whose
// group 1234 nobody joins where a case says so.
constexpr unsigned kNobody = 65534;
constexpr unsigned kOther = 1234;
const std::string kOld = "<old/>";
const std::string kNew = "<new/>";

struct Owner {
  unsigned uid, gid;
};
constexpr Owner kRoot{0, 0};
constexpr Owner kNobodys{kNobody, kNobody};
constexpr Owner kOthers{kOther, kOther};

struct Saver {
  Owner id;
  const char* groups;  // supplementary groups, "-" for none
};
constexpr Saver kAsNobody{kNobodys, "-"};

enum Route { Replaced, InPlace, Refused };

class SavingAs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to make files of several users and to save as each";
    umask(022);  // the host inherits it: a new file is 0644
  }

  // folder/doc.xml holding text, with the modes and owners given.
  std::string Prepare(const std::string& folder, mode_t folderMode, Owner folderOwner,
                      const std::string& text, mode_t mode, Owner owner) const {
    const std::string path = dir.Write(folder + "/doc.xml", text);
    Own(path, mode, owner);
    Own(dir.At(folder), folderMode, folderOwner);
    return path;
  }
  static void Own(const std::string& path, mode_t mode, Owner owner) {
    ASSERT_EQ(chown(path.c_str(), owner.uid, owner.gid), 0) << path;
    ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
  }
  // The host saves text to path as saver; "save=N" and whether it took the saver's identity.
  std::string Save(const std::string& path, const std::string& text, Saver saver,
                   const std::vector<std::string>& before = {}) const {
    std::vector<std::string> args = {"create", "1", "0", "parse", "0", text};
    args.insert(args.end(), before.begin(), before.end());
    args.insert(args.end(), {"user", std::to_string(saver.id.uid), std::to_string(saver.id.gid), saver.groups,
                             "save", "0", path, "release", "0"});
    const HostRun run = host.Run(args);
    return ValueOf(run.out, "user") + " " + ValueOf(run.out, "save");
  }
  // Names in folder that a save left behind.
  std::string LeftOver(const std::string& folder) const {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.At(folder))) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(".orvel~", 0) == 0) names += name + " ";
    }
    return names;
  }

  HostInFolder host{ORVEL_XML_MODULE};
  const TempDir& dir = host.dir();
};

TEST_F(SavingAs, ASaveKeepsWhatTheFileWas) {
  const struct {
    const char* what;
    mode_t folderMode;
    Owner folderOwner;
    mode_t mode;
    Owner owner;
    bool hardLink;
    bool attribute;  // user.orvel = "kept"
    Saver saver;
    Route route;
  } cases[] = {
      {"the saver's private file", 0755, kNobodys, 0600, kNobodys, false, false, kAsNobody, Replaced},
      {"the saver's read-only file", 0755, kNobodys, 0444, kNobodys, false, false, kAsNobody, Refused},
      {"root's file in the saver's folder", 0755, kNobodys, 0644, kRoot, false, false, kAsNobody, Refused},
      {"root's group file, saved by a member",
       0770,
       {0, kOther},
       0660,
       {0, kOther},
       false,
       false,
       {kNobodys, "1234"},
       InPlace},
      {"a file with two names", 0755, kNobodys, 0644, kNobodys, true, false, kAsNobody, InPlace},
      {"a file with an extended attribute", 0755, kNobodys, 0640, kNobodys, false, true, kAsNobody, Replaced},
      {"another user's file, saved by root",
       0755,
       kNobodys,
       0640,
       kNobodys,
       false,
       true,
       {kRoot, "-"},
       Replaced},
      {"another user's file in a sticky folder", 01777, kRoot, 0666, kOthers, false, false, kAsNobody,
       InPlace},
  };
  for (const auto& c : cases) {
    const std::string folder = std::to_string(&c - cases);
    const std::string path = Prepare(folder, c.folderMode, c.folderOwner, kOld, c.mode, c.owner);
    const std::string link = dir.At(folder + "/other-name.xml");
    if (c.hardLink) {
      ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    }
    if (c.attribute) {
      ASSERT_EQ(setxattr(path.c_str(), "user.orvel", "kept", 4, 0), 0) << "no user.* attributes under /tmp";
    }
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    EXPECT_EQ(Save(path, kNew, c.saver), c.route == Refused ? "1 0" : "1 1") << c.what;
    const std::string expected = c.route == Refused ? kOld : kNew;
    EXPECT_EQ(ReadFile(path), expected) << c.what;
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, c.mode) << c.what;
    EXPECT_EQ(after.st_uid, c.owner.uid) << c.what;
    EXPECT_EQ(after.st_gid, c.owner.gid) << c.what;
    EXPECT_EQ(after.st_ino == before.st_ino, c.route != Replaced) << c.what << ": not the route expected";
    if (c.hardLink) {
      EXPECT_EQ(ReadFile(link), expected) << c.what << ": the other name";
    }
    if (c.attribute) {
      char value[8] = {};
      EXPECT_EQ(getxattr(path.c_str(), "user.orvel", value, sizeof value), 4) << c.what;
      EXPECT_STREQ(value, "kept") << c.what;
    }
    EXPECT_EQ(LeftOver(folder), "") << c.what;
  }
}

TEST_F(SavingAs, ANewFileIsMadeAsAnyNewFileOfTheSaver) {
  const std::string path = Prepare("folder", 0755, kNobodys, kOld, 0644, kNobodys);
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(Save(path, kNew, kAsNobody), "1 1");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u) << "0666 less the umask";
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(ReadFile(path), kNew);
}

// Written in place (the saver may write the file but not the folder), a save
// that cannot get the room for its text leaves the old text whole.
const std::string kOldLong = "<old>" + std::string(30000, 'o') + "</old>";
const std::string kNewLong = "<new>" + std::string(45000, 'n') + "</new>";

TEST_F(SavingAs, WritingInPlacePastTheSizeLimitKeepsTheOldText) {
  const std::string path = Prepare("limited", 0755, kRoot, kOldLong, 0644, kNobodys);
  EXPECT_EQ(Save(path, kNewLong, kAsNobody, {"file-size-limit", "40000"}), "1 0");
  EXPECT_EQ(ReadFile(path), kOldLong);
}

TEST_F(SavingAs, WritingInPlaceOnAFullDiskKeepsTheOldText) {
  const std::string disk = dir.MakeDir("disk");
  if (mount("orvel-test", disk.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
    GTEST_SKIP() << "no tmpfs could be mounted (" << std::strerror(errno)
                 << "): this case needs a small disk";
  }
  const std::string path = Prepare("disk/folder", 0755, kRoot, kOldLong, 0644, kNobodys);
  dir.Write("disk/filler", std::string(24 * 1024, 'f'));  // 8 KiB left: the new text needs 16 KiB more
  EXPECT_EQ(Save(path, kNewLong, kAsNobody), "1 0");
  EXPECT_EQ(ReadFile(path), kOldLong);
  EXPECT_EQ(umount(disk.c_str()), 0);
}

}  // namespace
}  // namespace test
}  // namespace orvel

#endif  // !_WIN32
