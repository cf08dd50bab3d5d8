// The safe writer's owner rules, with the files and folders made by
// another user (nobody): the tests run as root, who passes every check of
// the kernel, so only other owners show whether the writer asks the right
// question. Also the races and close failures of a save on a file system
// without unnamed temporary files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "core/SafeFile.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

#define REQUIRE_ROOT() \
  if (::geteuid() != 0) GTEST_SKIP() << "acting as another user (nobody) needs root"

// Runs `body` as nobody in a child process; its exit code.
int AsNobody(const std::function<bool()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    ::_exit(body() ? 0 : 3);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

struct stat LinkStat(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

// The unnamed temporary file is not available (as on some network file
// systems); `BeforeLink` runs just before the temporary gets the target's
// name; `CloseError`, when set, is what closing the temporary reports.
class TNoUnnamedFiles : public TFileSystemCalls {
 public:
  std::function<void()> BeforeLink;
  int CloseError = 0;
  int TempFd = -1;

  int OpenAt(int dirFd, const char* name, int flags, mode_t mode) override {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    const int fd = TFileSystemCalls::OpenAt(dirFd, name, flags, mode);
    if (flags & O_WRONLY) TempFd = fd;
    return fd;
  }
  int LinkAt(int a, const char* b, int c, const char* d, int e) override {
    if (BeforeLink) BeforeLink();
    return TFileSystemCalls::LinkAt(a, b, c, d, e);
  }
  int Close(int fd) override {
    const int rc = TFileSystemCalls::Close(fd);
    if (fd == TempFd && CloseError != 0) {
      errno = CloseError;
      return -1;
    }
    return rc;
  }
};

}  // namespace

// A sticky, world-writable folder of another user: our own link there is
// still followed (only links of third parties are suspect).
TEST(OwnerRules, OurOwnLinkInAnotherUsersStickyFolderIsFollowed) {
  REQUIRE_ROOT();
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string shared = dir / "shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chown(shared.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  testutil::WriteFile(dir / "month.slt", "old");
  ASSERT_EQ(::symlink((dir / "month.slt").c_str(), (shared + "/mine.slt").c_str()), 0);

  EXPECT_TRUE(WriteFileAtomically(shared + "/mine.slt", "new"));
  EXPECT_EQ(testutil::ReadFile(dir / "month.slt"), "new");
  EXPECT_TRUE(S_ISLNK(LinkStat(shared + "/mine.slt").st_mode));
}

// Our link to a shared folder, then another user's link in that folder:
// an absolute link restarts the walk at the root, so the second link is
// judged in the folder it really lies in, and the save is refused.
TEST(OwnerRules, AnAbsoluteFolderLinkOfOursRestartsTheWalkAtTheRoot) {
  REQUIRE_ROOT();
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string shared = dir / "shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  const std::string theirs = dir / "theirs";
  ASSERT_EQ(::mkdir(theirs.c_str(), 0777), 0);
  ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNogroup), 0);
  ASSERT_EQ(AsNobody([&] { return ::symlink(theirs.c_str(), (shared + "/plant").c_str()) == 0; }), 0);
  ASSERT_EQ(::mkdir((dir / "own").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(shared.c_str(), (dir / "own/shared").c_str()), 0);

  const TFileResult r = WriteFileAtomically(dir / "own/shared/plant/202406.slt", "bytes");
  EXPECT_FALSE(r);
  EXPECT_NE(r.Step.find("他のユーザーのシンボリックリンク"), std::string::npos) << r.Step;
  EXPECT_TRUE(TempDir::List(theirs).empty());
}

// A link whose file is gone: the save fails and does not make the file
// the link names (somebody else's name, perhaps).
TEST(OwnerRules, SavingThroughADanglingLinkFailsAndCreatesNothing) {
  TempDir dir;
  ASSERT_EQ(::symlink((dir / "gone.slt").c_str(), (dir / "link.slt").c_str()), 0);
  const TFileResult r = WriteFileAtomically(dir / "link.slt", "bytes");
  EXPECT_FALSE(r);
  EXPECT_EQ(r.Step, "シンボリックリンクの指す先がありません");
  EXPECT_FALSE(CheckWriteTarget(dir / "link.slt"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"link.slt"});
  EXPECT_TRUE(S_ISLNK(LinkStat(dir / "link.slt").st_mode));
}

// Root saves a colleague's file: the file keeps its owner and its group,
// also when only one of the two differs from root's.
TEST(OwnerRules, RootKeepsTheOwnerAndTheGroupOfAColleaguesFile) {
  REQUIRE_ROOT();
  TempDir dir;
  const std::pair<uid_t, gid_t> owners[] = {{kNobody, 0}, {0, kNogroup}, {kNobody, kNogroup}};
  for (const auto& [uid, gid] : owners) {
    const std::string file = dir / ("m" + std::to_string(uid) + "-" + std::to_string(gid) + ".slt");
    testutil::WriteFile(file, "old");
    ASSERT_EQ(::chown(file.c_str(), uid, gid), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(file, "new"));
    const struct stat st = LinkStat(file);
    EXPECT_EQ(st.st_uid, uid) << file;
    EXPECT_EQ(st.st_gid, gid) << file;
    EXPECT_EQ(st.st_mode & 07777, 0640u) << file;
    EXPECT_EQ(testutil::ReadFile(file), "new");
  }
}

// Without unnamed temporary files: a file that appears under a new name
// while the save runs (another program's) is not replaced.
TEST(OwnerRules, WithoutUnnamedFilesAFileThatAppearsMeanwhileIsKept) {
  TempDir dir;
  TNoUnnamedFiles calls;
  calls.BeforeLink = [&] { testutil::WriteFile(dir / "month.slt", "theirs"); };
  const TFileResult r = WriteFileAtomically(dir / "month.slt", "ours", calls);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.Errno, EEXIST);
  EXPECT_EQ(testutil::ReadFile(dir / "month.slt"), "theirs");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"month.slt"});
}

// A close() of the temporary file that fails (over quota, a network file
// system reporting a late write error) fails the save.
TEST(OwnerRules, AFailingCloseOfTheTemporaryFailsTheSave) {
  TempDir dir;
  for (const bool replacing : {false, true}) {
    if (replacing) testutil::WriteFile(dir / "month.slt", "old");
    TNoUnnamedFiles calls;
    calls.CloseError = EDQUOT;
    const TFileResult r = WriteFileAtomically(dir / "month.slt", "new", calls);
    EXPECT_FALSE(r) << replacing;
    EXPECT_EQ(r.Errno, EDQUOT);
    EXPECT_EQ(r.SystemError, "ディスク使用量の上限（クォータ）を超えました");
  }
}
