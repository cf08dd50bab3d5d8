// The recovery copy: where it lives and how that folder is made, writing
// and reading it back, the lock of the running window, and hostile copies
// refused and moved aside.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/DataFile.h"
#include "core/Recovery.h"

using namespace kestrin;
using testutil::Exists;
using testutil::TempDir;
using testutil::WriteFile;

namespace {

mode_t Mode(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TMainData Month() {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2025, 6, 1);
  d.AdjustSlumpList();
  d.SlumpList.Items(2).SokuteiList.Items(1).Value = 1850;
  d.BasicInfo.Kojo = "Honsha";
  return d;
}

}  // namespace

TEST(Recovery, TheFolderIsTheStateFolderMadeForTheUserAlone) {
  TempDir tmp;
  std::string folder;
  ASSERT_TRUE(RecoveryFolder(nullptr, tmp.Path().c_str(), folder));
  EXPECT_EQ(folder, tmp / ".local/state/kestrin");
  EXPECT_EQ(Mode(tmp / ".local"), 0700u);
  EXPECT_EQ(Mode(folder), 0700u);
  // An absolute XDG_STATE_HOME wins; a relative one is ignored.
  ASSERT_TRUE(RecoveryFolder((tmp / "state/").c_str(), "/nonexistent", folder));
  EXPECT_EQ(folder, tmp / "state/kestrin");
  ASSERT_TRUE(RecoveryFolder("state", tmp.Path().c_str(), folder));
  EXPECT_EQ(folder, tmp / ".local/state/kestrin");
  EXPECT_FALSE(RecoveryFolder("state", nullptr, folder));
  EXPECT_FALSE(RecoveryFolder(nullptr, "relative", folder));
  // A folder others may read is closed; one others may write, or a link,
  // is no safe place.
  ::chmod(folder.c_str(), 0755);
  ASSERT_TRUE(RecoveryFolder(nullptr, tmp.Path().c_str(), folder));
  EXPECT_EQ(Mode(folder), 0700u);
  ::chmod(folder.c_str(), 0777);
  EXPECT_FALSE(RecoveryFolder(nullptr, tmp.Path().c_str(), folder));
  ::chmod(folder.c_str(), 0720);
  EXPECT_FALSE(RecoveryFolder(nullptr, tmp.Path().c_str(), folder));
  ::mkdir((tmp / "elsewhere").c_str(), 0700);
  ::mkdir((tmp / "linked").c_str(), 0700);
  ASSERT_EQ(::symlink((tmp / "elsewhere").c_str(), (tmp / "linked/kestrin").c_str()), 0);
  EXPECT_FALSE(RecoveryFolder((tmp / "linked").c_str(), nullptr, folder));
  WriteFile(tmp / "plain", "x");
  EXPECT_FALSE(RecoveryFolder((tmp / "plain").c_str(), nullptr, folder));
  if (::geteuid() == 0) {
    ::mkdir((tmp / "foreign").c_str(), 0700);
    ::mkdir((tmp / "foreign/kestrin").c_str(), 0700);
    ASSERT_EQ(::chown((tmp / "foreign/kestrin").c_str(), 12345, 12345), 0);
    EXPECT_FALSE(RecoveryFolder((tmp / "foreign").c_str(), nullptr, folder));
  }
}

TEST(Recovery, WrittenMonthAndNameReadBackAndAreRemoved) {
  TempDir tmp;
  TRecoveryFiles files(tmp.Path());
  EXPECT_FALSE(files.Exists());
  ASSERT_TRUE(files.Write(Month(), "/data/本社工場_202506.slt"));
  EXPECT_TRUE(files.Exists());
  // Any reader of data files reads the copy.
  TMainData plain;
  ASSERT_TRUE(LoadFromFile(files.MonthPath(), plain));
  EXPECT_EQ(plain.SlumpList.Items(2).SokuteiList.Items(1).Value, 1850);
  TRecovered r;
  ASSERT_TRUE(files.Read(r));
  EXPECT_EQ(r.Data.BasicInfo.Getsudo, PackDate(2025, 6, 1));
  EXPECT_EQ(r.Data.BasicInfo.Kojo, "Honsha");
  EXPECT_EQ(r.FileName, "/data/本社工場_202506.slt");
  EXPECT_GT(r.WrittenAt, 0);
  // Without a name file: a month without a file.
  ::unlink(files.NamePath().c_str());
  ASSERT_TRUE(files.Read(r));
  EXPECT_EQ(r.FileName, "");
  files.Remove();
  EXPECT_FALSE(files.Exists());
  EXPECT_FALSE(Exists(files.NamePath()));
  files.Remove();  // nothing there: no harm
}

TEST(Recovery, OneRunningWindowOwnsTheCopy) {
  TempDir tmp;
  TRecoveryFiles first(tmp.Path());
  TRecoveryFiles second(tmp.Path());
  EXPECT_TRUE(first.Own());
  EXPECT_TRUE(first.Own());
  // The lock is per open file: a second owner in this process is refused
  // just as one in another process.
  EXPECT_FALSE(second.Own());
  {
    TRecoveryFiles gone(tmp / "missing");
    EXPECT_TRUE(gone.Own());  // no lock file possible: taken as its own
  }
}

TEST(Recovery, HostileOrDamagedCopiesAreRefusedAndMovedAside) {
  TempDir tmp;
  TRecoveryFiles files(tmp.Path());
  TRecovered r;
  auto refusedAndAside = [&](const char* what) {
    const TFileResult read = files.Read(r);
    EXPECT_FALSE(read) << what;
    EXPECT_FALSE(read.Reason().empty()) << what;
    EXPECT_FALSE(Exists(files.MonthPath())) << what;
    EXPECT_TRUE(Exists(files.MonthPath() + ".damaged")) << what;
  };
  WriteFile(files.MonthPath(), "SLUMPTES garbage");
  refusedAndAside("damaged month");
  ASSERT_EQ(::symlink("/etc/passwd", files.MonthPath().c_str()), 0);
  refusedAndAside("a link");
  ASSERT_EQ(::mkfifo(files.MonthPath().c_str(), 0600), 0);
  refusedAndAside("a pipe");
  const std::string month = MainDataBytes(Month());
  WriteFile(files.MonthPath(), month + std::string(TRecoveryFiles::kMaxMonthBytes, '\0'));
  refusedAndAside("too large");
  for (const std::string& name :
       {std::string("relative.slt"), std::string("/a\nb.slt"), std::string("/a\x7f"),
        std::string(TRecoveryFiles::kMaxNameBytes + 1, '/')}) {
    ASSERT_TRUE(files.Write(Month(), name));
    refusedAndAside("a bad name");
    EXPECT_TRUE(Exists(files.NamePath() + ".damaged"));
  }
  ASSERT_TRUE(files.Write(Month(), std::string(TRecoveryFiles::kMaxNameBytes, '/')));
  EXPECT_TRUE(files.Read(r));
  // Nothing there is a failure without moving anything.
  files.Remove();
  EXPECT_FALSE(files.Read(r));
}
