// The safe writer under hostile or broken conditions, grouped by fault
// class: output targets, save races, file errors, settings place. Cases
// that need root (device nodes, another user's link) say why they skip.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/DataFile.h"
#include "core/SafeFile.h"
#include "core/Settings.h"
#include "core/ShownText.h"
#include "tests/core/MonthBuilder.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;

namespace {

constexpr uid_t kNobody = 65534;

TMainData Month(int32_t year, int32_t month) { return testutil::MonthWithValues({}, PackDate(year, month, 1)); }

bool IsFifo(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Runs `body` in a child process; its exit code, or 128 + the signal that
// ended it.
int InChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Records the order of the writer's calls; can end the process at one of
// them (a save killed there) or make the unnamed temporary file unavailable
// (a file system without it).
class TRecordingCalls : public TFileSystemCalls {
 public:
  std::vector<std::string> Log;
  std::string KillAt;
  bool NoUnnamedFiles = false;
  int TempFd = -1;

  int OpenAt(int dirFd, const char* name, int flags, mode_t mode) override {
    if ((flags & O_TMPFILE) == O_TMPFILE && NoUnnamedFiles) {
      errno = EOPNOTSUPP;
      return -1;
    }
    const int fd = TFileSystemCalls::OpenAt(dirFd, name, flags, mode);
    if (flags & O_WRONLY) TempFd = fd;
    return fd;
  }
  int Fsync(int fd) override {
    Note(fd == TempFd ? "fsync file" : "fsync folder");
    return TFileSystemCalls::Fsync(fd);
  }
  int LinkAt(int a, const char* b, int c, const char* d, int e) override {
    Note("link");
    return TFileSystemCalls::LinkAt(a, b, c, d, e);
  }
  int RenameAt(int a, const char* b, int c, const char* d) override {
    Note("rename");
    return TFileSystemCalls::RenameAt(a, b, c, d);
  }

 private:
  void Note(const std::string& call) {
    if (call == KillAt) ::raise(SIGKILL);
    Log.push_back(call);
  }
};

std::size_t IndexOf(const std::vector<std::string>& log, const std::string& call) {
  for (std::size_t i = 0; i < log.size(); ++i)
    if (log[i] == call) return i;
  return log.size();
}

}  // namespace

// ================================================================ output targets

TEST(OutputTargets, PipesAndLinksToThemAreRefusedAndKept) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("pipe", (dir / "link.slt").c_str()), 0);
  for (const std::string name : {"pipe", "link.slt"}) {
    const TFileResult r = SaveToFile(dir / name, Month(2026, 12));
    EXPECT_FALSE(r) << name;
    EXPECT_NE(r.Reason().find(dir / name), std::string::npos) << r.Reason();
    EXPECT_NE(r.Step.find("通常のファイルではない"), std::string::npos) << r.Step;
  }
  EXPECT_TRUE(IsFifo(dir / "pipe"));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.slt", "pipe"}));
}

TEST(OutputTargets, DeviceNodesAndLinksToThemAreRefusedAndKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
  TempDir dir;
  // A node of the null device, made in the test's own folder.
  ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  ASSERT_EQ(::symlink((dir / "null").c_str(), (dir / "out.png").c_str()), 0);
  for (const std::string name : {"null", "out.png"}) {
    EXPECT_FALSE(WriteFileAtomically(dir / name, "bytes")) << name;
    EXPECT_FALSE(CheckWriteTarget(dir / name)) << name;
  }
  struct stat st;
  ASSERT_EQ(::lstat((dir / "null").c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"null", "out.png"}));
}

TEST(OutputTargets, AnotherUsersLinkInAStickySharedFolderIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "planting a link as another user needs root";
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string shared = dir / "shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  testutil::WriteFile(dir / "private.slt", "root's own");
  ::chmod((dir / "private.slt").c_str(), 0600);

  // "nobody" plants shared/202406.slt -> the private file.
  const std::string planted = shared + "/202406.slt";
  const std::string privateFile = dir / "private.slt";
  ASSERT_EQ(InChild([&] {
              if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 2;
              return ::symlink(privateFile.c_str(), planted.c_str()) == 0 ? 0 : 3;
            }),
            0);
  const TFileResult r = SaveToFile(planted, Month(2026, 12));
  EXPECT_FALSE(r);
  EXPECT_NE(r.Step.find("シンボリックリンク"), std::string::npos) << r.Step;
  EXPECT_EQ(testutil::ReadFile(privateFile), "root's own");

  // Nor a folder link of theirs on the way: shared/plant -> a private
  // folder, also when reached through a link of our own.
  const std::string privateFolder = dir / "private";
  ASSERT_EQ(::mkdir(privateFolder.c_str(), 0700), 0);
  ASSERT_EQ(InChild([&] {
              if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 2;
              return ::symlink(privateFolder.c_str(), (shared + "/plant").c_str()) == 0 ? 0 : 3;
            }),
            0);
  ASSERT_EQ(::symlink((shared + "/plant/202406.slt").c_str(), (dir / "via.slt").c_str()), 0);
  for (const std::string& target : {shared + "/plant/202406.slt", dir / "via.slt"}) {
    const TFileResult f = SaveToFile(target, Month(2026, 12));
    EXPECT_FALSE(f) << target;
    EXPECT_NE(f.Step.find("シンボリックリンク"), std::string::npos) << f.Step;
  }
  EXPECT_FALSE(testutil::Exists(privateFolder + "/202406.slt"));

  // A link of our own in the same folder is followed, the link kept.
  ASSERT_EQ(::symlink(privateFile.c_str(), (shared + "/mine.slt").c_str()), 0);
  EXPECT_TRUE(SaveToFile(shared + "/mine.slt", Month(2026, 12)));
  EXPECT_EQ(testutil::ReadFile(privateFile).size(), 915u);
  struct stat st;
  ASSERT_EQ(::lstat((shared + "/mine.slt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(OutputTargets, AWriteProtectedFileIsRefused) {
  // Also as root, who passes every permission check of the kernel.
  TempDir dir;
  testutil::WriteFile(dir / "month.slt", "protected");
  ASSERT_EQ(::chmod((dir / "month.slt").c_str(), 0444), 0);
  const TFileResult r = SaveToFile(dir / "month.slt", Month(2026, 12));
  EXPECT_FALSE(r);
  EXPECT_EQ(r.Step, "書き込みが許可されていません");
  EXPECT_EQ(testutil::ReadFile(dir / "month.slt"), "protected");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"month.slt"});
}

// ================================================================ save races

TEST(SaveRaces, TheFileIsOnDiskBeforeItGetsItsName) {
  TempDir dir;
  for (bool unnamed : {true, false}) {
    for (bool replacing : {false, true}) {
      TRecordingCalls calls;
      calls.NoUnnamedFiles = !unnamed;
      const std::string target = dir / (unnamed ? "a.slt" : "b.slt");
      ASSERT_TRUE(WriteFileAtomically(target, replacing ? "new" : "old", calls));
      const std::string where = std::string(unnamed ? "unnamed" : "named") +
                                (replacing ? ", replacing" : ", new");
      const std::size_t sync = IndexOf(calls.Log, "fsync file");
      const std::size_t named = std::min(IndexOf(calls.Log, "link"), IndexOf(calls.Log, "rename"));
      ASSERT_LT(sync, calls.Log.size()) << where;
      EXPECT_LT(sync, named) << where;
      if (replacing) {
        EXPECT_LT(IndexOf(calls.Log, "rename"), calls.Log.size()) << where;
      }
      EXPECT_EQ(calls.Log.back(), "fsync folder") << where;
    }
  }
  EXPECT_EQ(testutil::ReadFile(dir / "a.slt"), "new");
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.slt", "b.slt"}));
}

TEST(SaveRaces, AKilledSaveLeavesTheOldFileAndNothingElse) {
  TempDir dir;
  const std::string target = dir / "month.slt";
  ASSERT_TRUE(SaveToFile(target, Month(2025, 2)));
  const std::string before = testutil::ReadFile(target);
  struct TCase {
    bool unnamed;
    const char* killAt;
  };
  for (const TCase c : {TCase{true, "fsync file"}, TCase{true, "rename"}, TCase{false, "fsync file"},
                        TCase{false, "rename"}}) {
    const std::string where = std::string(c.unnamed ? "unnamed" : "named") + " at " + c.killAt;
    EXPECT_EQ(InChild([&] {
                TRecordingCalls calls;
                calls.NoUnnamedFiles = !c.unnamed;
                calls.KillAt = c.killAt;
                WriteFileAtomically(target, MainDataBytes(Month(2026, 12)), calls);
                return 0;
              }),
              128 + SIGKILL)
        << where;
    EXPECT_EQ(testutil::ReadFile(target), before) << where;
    // An unnamed temporary vanishes with the process; a named one (or the
    // hidden name of an unnamed one killed just before its rename) is gone
    // after the next save.
    if (c.unnamed && std::string(c.killAt) == "fsync file") {
      EXPECT_EQ(dir.Entries(), std::vector<std::string>{"month.slt"}) << where;
    }
    ASSERT_TRUE(SaveToFile(target, Month(2025, 2))) << where;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"month.slt"}) << where;
  }
}

TEST(SaveRaces, ANamedTemporaryOfARunningSaveIsLeftAlone) {
  // The next save removes only temporaries no live save holds.
  TempDir dir;
  const std::string held = dir / ".month.slt.Ab12Cd";
  testutil::WriteFile(held, "");
  const int fd = ::open(held.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  // flock conflicts between descriptions, so a child's lock stands for a
  // live save in another process.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int own = ::open(held.c_str(), O_RDONLY);
    ::flock(own, LOCK_EX);
    char c = 1;
    [[maybe_unused]] ssize_t w = ::write(ready[1], &c, 1);
    ::pause();
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_TRUE(SaveToFile(dir / "month.slt", Month(2026, 12)));
  EXPECT_TRUE(testutil::Exists(held));
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  EXPECT_TRUE(SaveToFile(dir / "month.slt", Month(2026, 12)));
  EXPECT_FALSE(testutil::Exists(held));
  ::close(fd);
  ::close(ready[0]);
  ::close(ready[1]);
}

// ================================================================ file errors

TEST(FileErrors, APipeAsInputFailsAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.slt").c_str(), 0644), 0);
  // In a child with an alarm: a load that blocks ends there by SIGALRM.
  const std::string pipe = dir / "pipe.slt";
  EXPECT_EQ(InChild([&] {
              ::alarm(5);
              TMainData d;
              const TFileResult r = LoadFromFile(pipe, d);
              return !r && r.Step == "通常のファイルではありません" ? 0 : 1;
            }),
            0);
}

TEST(FileErrors, ATextTheReaderWouldRefuseIsNeverWritten) {
  TempDir dir;
  TMainData d = Month(2026, 12);
  d.BasicInfo.Kojo = std::string(kMaxStrBytes, 'k');  // one byte too many
  const TFileResult r = SaveToFile(dir / "month.slt", d);
  EXPECT_FALSE(r);
  EXPECT_EQ(r.Step, "工場名が長すぎます（1023 バイトまで）");
  EXPECT_TRUE(dir.Entries().empty());
  TMemoryStream s;
  EXPECT_FALSE(WriteStr(s, std::string(kMaxStrBytes, 'x')));
  EXPECT_TRUE(s.Data().empty());

  // The longest text the reader takes is written and loads back.
  d.BasicInfo.Biko = std::string(kMaxStrBytes - 1, 'b');
  d.BasicInfo.Kojo = "ok";
  ASSERT_TRUE(SaveToFile(dir / "month.slt", d));
  TMainData back;
  ASSERT_TRUE(LoadFromFile(dir / "month.slt", back));
  EXPECT_EQ(back.BasicInfo.Biko, d.BasicInfo.Biko);
}

TEST(FileErrors, FailuresNameThePathTheStepAndTheSystemError) {
  TempDir dir;
  TMainData d;
  TFileResult r = LoadFromFile(dir / "none.slt", d);
  EXPECT_EQ(r.Reason(), dir / "none.slt" + ": 開けません（ファイルまたはフォルダがありません）");
  EXPECT_EQ(r.Errno, ENOENT);

  // A name may hold a line break or a terminal escape: shown escaped, so a
  // message never gains a forged line.
  r = LoadFromFile(dir / "a\n月度\x1b[2J.slt", d);
  EXPECT_EQ(r.Reason(), dir / "a\\n月度\\x1B[2J.slt" + ": 開けません（ファイルまたはフォルダがありません）");
  r = LoadFromFile(dir / (std::string(300, 'x') + ".slt"), d);
  EXPECT_EQ(r.SystemError, "名前が長すぎます");

  std::string bytes = MainDataBytes(Month(2026, 12));
  testutil::WriteFile(dir / "short.slt", bytes.substr(0, 22));
  r = LoadFromFile(dir / "short.slt", d);
  EXPECT_EQ(r.Reason(), dir / "short.slt" + ": 工場名を読み込めません");

  r = SaveToFile(dir / "missing/month.slt", Month(2026, 12));
  EXPECT_EQ(r.Reason(), dir / "missing/month.slt" +
                            ": 保存先のフォルダを開けません（ファイルまたはフォルダがありません）");
  EXPECT_TRUE(TFileResult::Success().Reason().empty());
}

TEST(FileErrors, NamesShowEveryControlCharacterAndStrayByteEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"月度 2005（東京）.slt", "月度 2005（東京）.slt"},
      {"a\nb\rc\td", "a\\nb\\rc\\td"},
      {std::string("n\0\x01\x1f \x7f~", 7), "n\\x00\\x01\\x1F \\x7F~"},
      {"back\\slash", "back\\\\slash"},
      // C1 controls (CSI U+009B) but not U+00A0 beside them.
      {"\xc2\x80\xc2\x9b"
       "31m\xc2\xa0",
       "\\xC2\\x80\\xC2\\x9B31m\xc2\xa0"},
      // Line and paragraph separators, direction overrides and isolates;
      // their neighbours U+2027, U+202F, U+2065 and U+206A stay.
      {"\xe2\x80\xa7\xe2\x80\xa8\xe2\x80\xae\xe2\x80\xaf",
       "\xe2\x80\xa7\\xE2\\x80\\xA8\\xE2\\x80\\xAE\xe2\x80\xaf"},
      {"\xe2\x81\xa5\xe2\x81\xa6\xe2\x81\xa9\xe2\x81\xaa",
       "\xe2\x81\xa5\\xE2\\x81\\xA6\\xE2\\x81\\xA9\xe2\x81\xaa"},
      // Bytes that are not UTF-8: EUC-JP, a cut sequence, overlong forms,
      // a surrogate, beyond U+10FFFF. A four-byte character stays.
      {"\xb7\xee\xc5\xd9", "\\xB7\\xEE\\xC5\\xD9"},
      {"cut\xe6\x9c", "cut\\xE6\\x9C"},
      {"\xc1\xbf\xe0\x9f\xbf\xf0\x8f\xbf\xbf", "\\xC1\\xBF\\xE0\\x9F\\xBF\\xF0\\x8F\\xBF\\xBF"},
      {"\xed\xa0\x80\xed\x9f\xbf", "\\xED\\xA0\\x80\xed\x9f\xbf"},
      {"\xf4\x90\x80\x80\xf4\x8f\xbf\xbf", "\\xF4\\x90\\x80\\x80\xf4\x8f\xbf\xbf"},
      {"\xe0\xa0\x80\xf0\x90\x80\x80\xc2", "\xe0\xa0\x80\xf0\x90\x80\x80\\xC2"},
      {"\xe6\x9c\x7f\xf5\x80", "\\xE6\\x9C\\x7F\\xF5\\x80"},
  };
  for (const auto& [name, shown] : cases) EXPECT_EQ(ShownName(name), shown) << shown;
}

TEST(FileErrors, CommonSystemErrorsAreSaidInJapaneseTheRestAsTheSystemSaysThem) {
  const std::pair<int, const char*> own[] = {{ENOENT, "ファイルまたはフォルダがありません"},
                                             {EACCES, "権限がありません"},
                                             {EPERM, "権限がありません"},
                                             {ENOSPC, "ディスクの空き容量が足りません"},
                                             {EROFS, "読み取り専用のファイルシステムです"},
                                             {EISDIR, "フォルダです"},
                                             {ENAMETOOLONG, "名前が長すぎます"},
                                             {EMLINK, "リンクが多すぎます"},
                                             {EDQUOT, "ディスク使用量の上限（クォータ）を超えました"},
                                             {EIO, "入出力エラーです（ディスクか接続の不具合）"}};
  for (const auto& [error, text] : own) EXPECT_EQ(SystemErrorText(error), text) << error;
  EXPECT_NE(SystemErrorText(ELOOP).find("シンボリックリンク"), std::string::npos);
  EXPECT_EQ(SystemErrorText(EXDEV), std::strerror(EXDEV));
  EXPECT_EQ(SystemErrorText(0), "");
  EXPECT_EQ(TFileResult::Failure("f", "書けません", ENOSPC).Reason(),
            "f: 書けません（ディスクの空き容量が足りません）");
}

// ================================================================ settings place

TEST(SettingsPlace, NeverAFolderOtherUsersCanChange) {
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string shared = dir / "shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  ::unsetenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::string keepHome = oldHome ? oldHome : "";

  // A home folder that everybody may write into: shared/.config could be
  // anybody's.
  ::setenv("HOME", shared.c_str(), 1);
  EXPECT_EQ(FallbackSettingsPath("/usr/bin/kestrin"), "");
  EXPECT_EQ(SettingsPathForWrite("/usr/bin/kestrin"), "");
  EXPECT_EQ(SettingsPathForWrite(shared + "/kestrin"), "");
  const TFileResult r = SaveSettingsForExecutable("/usr/bin/kestrin", TSettings());
  EXPECT_FALSE(r);
  EXPECT_EQ(r.Step, kNoSafeSettingsPlace);
  EXPECT_TRUE(TempDir::List(shared).empty());
  // The same folder through XDG_CONFIG_HOME.
  ::setenv("XDG_CONFIG_HOME", shared.c_str(), 1);
  EXPECT_EQ(FallbackSettingsPath("/usr/bin/kestrin"), "");
  ::unsetenv("XDG_CONFIG_HOME");
  // A private home is fine.
  ::setenv("HOME", (dir / "home").c_str(), 1);
  EXPECT_EQ(FallbackSettingsPath("/usr/bin/kestrin"), dir / "home/.config/kestrin/kestrin.INI");

  // No HOME and no user entry: no place at all, certainly not /tmp.
  ::unsetenv("HOME");
  if (::geteuid() == 0) {
    EXPECT_EQ(InChild([] {
                // A user id without an entry in the user database.
                if (::setgid(54321) != 0 || ::setuid(54321) != 0) return 2;
                if (FallbackSettingsPath("/usr/bin/kestrin") != "") return 3;
                if (SettingsPathForWrite("/usr/bin/kestrin") != "") return 4;
                return SaveSettingsForExecutable("/usr/bin/kestrin", TSettings()) ? 5 : 0;
              }),
              0);
  } else {
    EXPECT_EQ(FallbackSettingsPath("/usr/bin/kestrin").rfind("/tmp/", 0), std::string::npos);
    std::cout << "[ NOTE     ] the case without a user entry needs root\n";
  }
  if (oldHome) ::setenv("HOME", keepHome.c_str(), 1);
}
