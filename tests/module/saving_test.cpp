// What a save keeps, as a host sees it when an ordinary user or root saves:
// the file's mode, owner and group, its other names and its extended
// attributes, the old text whole when the new one cannot be written, the
// kernel's rules for shared folders, and the order in which the new text
// reaches the disk. The files, folders, mounts and kernel settings are made
// here as root (mounts in a mount namespace of the test's own, settings put
// back after each case); the host takes the saver's identity before it
// saves. POSIX only: users, modes, mounts and leases are POSIX's (the win32
// build's cases are in document_files_test.cpp).
#if !defined(_WIN32)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "tests/module/module_test_support.h"

namespace orvel {
namespace test {
namespace {

// Users and groups: "nobody", root, and a second ordinary user (1234) whose
// group 1234 nobody joins where a case says so.
constexpr unsigned kNobody = 65534;
constexpr unsigned kOther = 1234;
// The old text is the longer one: a file written in place must be cut to the new length.
const std::string kOld = "<old>" + std::string(100, 'o') + "</old>";
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

// A kernel setting (/proc/sys/NAME) with another value for one scope, put
// back at its end.
class KernelSetting {
 public:
  KernelSetting(const std::string& name, const std::string& value) : path_("/proc/sys/" + name) {
    old_ = ReadFile(path_);
    set_ = !old_.empty() && Write(value) && ReadFile(path_) == value + "\n";
  }
  ~KernelSetting() {
    if (!old_.empty()) Write(old_);
  }
  KernelSetting(const KernelSetting&) = delete;
  KernelSetting& operator=(const KernelSetting&) = delete;
  bool set() const { return set_; }

 private:
  bool Write(const std::string& value) const { return static_cast<bool>(std::ofstream(path_) << value); }
  std::string path_, old_;
  bool set_ = false;
};

// A mount for one scope, in a mount namespace that the test process makes
// its own at its first mount: no mount is seen outside the process or
// outlives it. error() says why there is none.
class TestMount {
 public:
  TestMount(const std::string& source, const std::string& target, const char* type, unsigned long flags,
            const char* options)
      : target_(target) {
    static const int isolated =
        unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 ? 0
                                                                                                     : errno;
    if (isolated != 0) {
      error_ = std::string("no mount namespace of its own: ") + std::strerror(isolated);
    } else if (mount(source.c_str(), target.c_str(), type, flags, options) != 0) {
      error_ = std::strerror(errno);
    }
  }
  ~TestMount() {
    if (error_.empty()) umount2(target_.c_str(), MNT_DETACH);
  }
  TestMount(const TestMount&) = delete;
  TestMount& operator=(const TestMount&) = delete;
  const std::string& error() const { return error_; }

 private:
  std::string target_, error_;
};

// A process that holds a lease (F_RDLCK or F_WRLCK) on a file, as a Samba
// or NFS server does for its clients, and gives it up when the kernel tells
// it that another open waits for it.
class LeaseHolder {
 public:
  LeaseHolder(const std::string& path, int type) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      Hold(path, type, ready[1]);
    }
    close(ready[1]);
    char held = 0;
    held_ = pid_ > 0 && read(ready[0], &held, 1) == 1 && held == 1;
    close(ready[0]);
  }
  ~LeaseHolder() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  LeaseHolder(const LeaseHolder&) = delete;
  LeaseHolder& operator=(const LeaseHolder&) = delete;
  bool held() const { return held_; }
  // The holder was asked for the lease and gave it up.
  bool GaveUp() {
    int status = 0;
    const bool ended = waitpid(pid_, &status, WNOHANG) == pid_;
    if (ended) pid_ = -1;
    return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  static void Hold(const std::string& path, int type, int ready) {
    static int fd = -1;
    fd = open(path.c_str(), O_RDONLY);
    struct sigaction giveUp {};
    giveUp.sa_handler = [](int) {
      fcntl(fd, F_SETLEASE, F_UNLCK);
      _exit(0);
    };
    sigaction(SIGIO, &giveUp, nullptr);
    const char held = fd >= 0 && fcntl(fd, F_SETLEASE, type) == 0 ? 1 : 0;
    if (write(ready, &held, 1) != 1 || held == 0) _exit(2);
    alarm(30);  // never outlives a test that went wrong
    for (;;) pause();
  }
  pid_t pid_ = -1;
  bool held_ = false;
};

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
  // The host saves text to path as saver: whether it took the saver's
  // identity, the save's result and, for a failed save, its reason ("1 0
  // Permission denied").
  std::string Save(const std::string& path, const std::string& text, Saver saver,
                   const std::vector<std::string>& before = {}) const {
    std::vector<std::string> args = {"create", "1", "0", "parse", "0", text};
    args.insert(args.end(), before.begin(), before.end());
    args.insert(args.end(), {"user", std::to_string(saver.id.uid), std::to_string(saver.id.gid), saver.groups,
                             "save", "0", path, "reason", "release", "0"});
    const HostRun run = host.Run(args);
    const std::string saved = ValueOf(run.out, "save");
    return ValueOf(run.out, "user") + " " + saved + (saved == "0" ? " " + ValueOf(run.out, "reason") : "");
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
      {"the saver's set-group-id file", 0755, kNobodys, 02755, kNobodys, false, false, kAsNobody, Replaced},
      {"root's file of another group, saved by root",
       0755,
       kRoot,
       0644,
       {0, kNobody},
       false,
       false,
       {kRoot, "-"},
       Replaced},
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

    EXPECT_EQ(Save(path, kNew, c.saver), c.route == Refused ? "1 0 Permission denied" : "1 1") << c.what;
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

// In a folder that everyone may write to and only owners may delete from
// (mode 1777, as /tmp), the kernel refuses to follow another user's link
// (fs.protected_symlinks) and to open another user's file as an open that
// may create would (fs.protected_regular), so that a name planted there does
// not receive the saver's text. A save is refused as a shell's write is.
TEST_F(SavingAs, TheKernelsRulesForSharedFoldersHold) {
  enum Planted { File, Link };
  const struct {
    const char* what;
    const char* setting;  // under /proc/sys, with the value 1 or 0
    const char* value;
    Planted planted;
    Owner owner;  // of the file, or of the link to root's file elsewhere
    Saver saver;
    const char* saved;
    bool savedThere;  // the new text is at the planted name (or the file the link names)
  } cases[] = {
      {"another user's file, saved by root",
       "fs/protected_regular",
       "1",
       File,
       kOthers,
       {kRoot, "-"},
       "1 0 Permission denied",
       false},
      {"another user's file, saved by its group's member",
       "fs/protected_regular",
       "0",
       File,
       kOthers,
       {kNobodys, "1234"},
       "1 1",
       true},
      {"another user's link, saved by root",
       "fs/protected_symlinks",
       "1",
       Link,
       kOthers,
       {kRoot, "-"},
       "1 0 Permission denied",
       false},
      {"root's own link, saved by root",
       "fs/protected_symlinks",
       "1",
       Link,
       kRoot,
       {kRoot, "-"},
       "1 1",
       true},
  };
  for (const auto& c : cases) {
    const std::string folder = std::to_string(&c - cases);
    const std::string file = c.planted == Link
                                 ? Prepare(folder + "/private", 0755, kRoot, kOld, 0644, kRoot)
                                 : Prepare(folder + "/shared", 01777, kRoot, kOld, 0664, c.owner);
    std::string name = file;
    if (c.planted == Link) {
      name = dir.At(folder + "/shared/doc.xml");
      Own(dir.MakeDir(folder + "/shared"), 01777, kRoot);
      ASSERT_EQ(symlink(file.c_str(), name.c_str()), 0);
      ASSERT_EQ(lchown(name.c_str(), c.owner.uid, c.owner.gid), 0);
    }
    const KernelSetting setting(c.setting, c.value);
    if (!setting.set()) GTEST_SKIP() << c.setting << " cannot be set here";
    EXPECT_EQ(Save(name, kNew, c.saver), c.saved) << c.what;
    EXPECT_EQ(ReadFile(file), c.savedThere ? kNew : kOld) << c.what;
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.planted == File ? c.owner.uid : 0u) << c.what;
  }
}

// Written in place (the saver may write the file but not the folder, or the
// file is a mount point of its own), a save reserves the room for its text
// before the first old byte is overwritten: allocated, or where the file
// system cannot allocate (ramfs here; ext3, NFSv3, many FUSE file systems),
// taken by writing the new bytes past the old end first. A full disk or the
// file size limit then refuses the save, with its reason, and the old text
// stays whole.
TEST_F(SavingAs, InPlaceSavesReserveTheirRoomFirst) {
  const std::string oldLong = "<old>" + std::string(30000, 'o') + "</old>";
  const std::string newLong = "<new>" + std::string(45000, 'n') + "</new>";
  enum Disk { Plain, SmallTmpfs, Ramfs, BoundFile };
  const struct {
    const char* what;
    Disk disk;
    const char* sizeLimit;  // "" for none
    Saver saver;
    const char* saved;
  } cases[] = {
      {"past the file size limit", Plain, "40000", kAsNobody, "1 0 File too large"},
      {"on a full disk", SmallTmpfs, "", kAsNobody, "1 0 No space left on device"},
      {"without allocation, past the file size limit", Ramfs, "40000", kAsNobody, "1 0 File too large"},
      {"without allocation", Ramfs, "", kAsNobody, "1 1"},
      {"a file mounted on its own name", BoundFile, "", {kRoot, "-"}, "1 1"},
  };
  for (const auto& c : cases) {
    const std::string disk = dir.MakeDir(std::to_string(&c - cases));
    std::unique_ptr<TestMount> mounted;
    if (c.disk == SmallTmpfs || c.disk == Ramfs) {
      mounted = std::make_unique<TestMount>("orvel-test", disk, c.disk == Ramfs ? "ramfs" : "tmpfs", 0,
                                            c.disk == Ramfs ? "mode=0755" : "size=64k,mode=0755");
    }
    const std::string path =
        Prepare(std::to_string(&c - cases) + "/folder", 0755, kRoot, oldLong, 0644, kNobodys);
    if (c.disk == SmallTmpfs) {
      dir.Write(std::to_string(&c - cases) + "/filler", std::string(24 * 1024, 'f'));  // 8 KiB left
    } else if (c.disk == BoundFile) {
      const std::string source = dir.Write(std::to_string(&c - cases) + "/source.xml", oldLong);
      mounted = std::make_unique<TestMount>(source, path, nullptr, MS_BIND, nullptr);
    }
    if (mounted != nullptr && !mounted->error().empty()) {
      GTEST_SKIP() << c.what << ": needs a mount (" << mounted->error() << ")";
    }
    const std::vector<std::string> limit =
        *c.sizeLimit ? std::vector<std::string>{"file-size-limit", c.sizeLimit} : std::vector<std::string>{};
    EXPECT_EQ(Save(path, newLong, c.saver, limit), c.saved) << c.what;
    EXPECT_EQ(ReadFile(path), std::string(c.saved) == "1 1" ? newLong : oldLong) << c.what;
  }
}

// A file under a lease (Samba oplocks, NFS delegations) is saved and loaded
// once the holder gives the lease up, as a shell's write or read waits for
// it; neither fails at once.
TEST_F(SavingAs, ALeaseIsWaitedFor) {
  const struct {
    const char* command;
    int lease;  // the lease a write breaks is a read lease; a read breaks a write lease
  } cases[] = {{"save", F_RDLCK}, {"load", F_WRLCK}};
  for (const auto& c : cases) {
    const std::string path = Prepare(c.command, 0755, kRoot, kOld, 0644, kRoot);
    LeaseHolder holder(path, c.lease);
    if (!holder.held()) GTEST_SKIP() << "no lease could be taken on " << path;
    const HostRun run =
        host.Run({"create", "1", "0", "parse", "0", kNew, c.command, "0", path, "reason", "release", "0"});
    EXPECT_EQ(ValueOf(run.out, c.command), "1") << run.out;
    EXPECT_TRUE(holder.GaveUp()) << c.command << ": the holder was not asked for its lease";
  }
}

// The new text reaches the disk before it takes the document's name, and the
// folder's names reach it after the rename: a power cut loses neither the
// old text nor a save that returned 1. The unnamed new file gets a name only
// once it is complete.
TEST_F(SavingAs, TheNewTextIsOnTheDiskBeforeItsName) {
  const std::string log = dir.At("sync.log");
  const char* sanitizer = std::getenv("ASAN_OPTIONS");
  const std::vector<std::string> env = {
      "LD_PRELOAD=" + std::string(ORVEL_FIXTURE_SYNC_LOG), "ORVEL_SYNC_LOG=" + log,
      // The preloaded library comes before the AddressSanitizer runtime.
      "ASAN_OPTIONS=verify_asan_link_order=0" + (sanitizer != nullptr ? ":" + std::string(sanitizer) : "")};
  const std::string existing = dir.Write("folder/doc.xml", kOld);
  dir.HardLink("folder/doc.xml", "folder/linked.xml");
  const struct {
    const char* what;
    std::string path;
    const char* calls;
  } cases[] = {
      {"a file replaced", dir.Write("folder/single.xml", kOld), "fsync file\nlink\nrename\nfsync folder\n"},
      {"a new file", dir.At("folder/new.xml"), "fsync file\nlink\nrename\nfsync folder\n"},
      {"a file with two names, in place", existing, "fsync file\n"},
  };
  for (const auto& c : cases) {
    std::remove(log.c_str());
    const HostRun run =
        host.Run({"create", "1", "0", "parse", "0", kNew, "save", "0", c.path, "release", "0"}, env);
    EXPECT_EQ(ValueOf(run.out, "save"), "1") << c.what << "\n" << run.out << run.err;
    EXPECT_EQ(ReadFile(log), c.calls) << c.what;
    EXPECT_EQ(ReadFile(c.path), kNew) << c.what;
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel

#endif  // !_WIN32
