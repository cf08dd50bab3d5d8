// The strength log's recovery copy: written and read back, hostile copies
// refused and moved aside, and its files kept apart from the month's.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "core/DataFile.h"
#include "core/StrengthFile.h"
#include "core/StrengthRecovery.h"

using namespace kestrin;
using testutil::Exists;
using testutil::TempDir;
using testutil::WriteFile;

namespace {

TStrengthLog Sample() {
  TStrengthLog log;
  EXPECT_TRUE(LoadStrengthFile(KESTRIN_SOURCE_DIR "/examples/sample-strength.kst", log));
  return log;
}

TMainData Month() {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2025, 6, 1);
  d.AdjustSlumpList();
  return d;
}

}  // namespace

TEST(StrengthRecovery, WrittenLogAndNameReadBackEqual) {
  TempDir tmp;
  TStrengthRecoveryFiles files(tmp.Path());
  EXPECT_EQ(files.LogPath(), tmp / "strength-recovery.kst");
  EXPECT_EQ(files.NamePath(), tmp / "strength-recovery.name");
  const TStrengthLog log = Sample();
  ASSERT_EQ(log.Tests.size(), 18u);
  ASSERT_TRUE(files.Write(log, "/data/東京第一工場_202506.kst"));
  TStrengthLog plain;  // any reader of .kst files reads the copy
  ASSERT_TRUE(LoadStrengthFile(files.LogPath(), plain));
  TStrengthRecovered r;
  ASSERT_TRUE(files.Read(r));
  EXPECT_EQ(r.Log, log);
  EXPECT_EQ(r.FileName, "/data/東京第一工場_202506.kst");
  EXPECT_GT(r.WrittenAt, 0);
  // A log the reader would refuse is not written: the last good copy stays.
  TStrengthLog bad = log;
  bad.Tests[3].Day = 32;
  const TFileResult refused = files.Write(bad, "/data/x.kst");
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.Step.find("Tests[3].Day"), std::string::npos) << refused.Step;
  ASSERT_TRUE(files.Read(r));
  EXPECT_EQ(r.Log, log);
  EXPECT_EQ(r.FileName, "/data/東京第一工場_202506.kst");
}

TEST(StrengthRecovery, HostileOrDamagedCopiesAreRefusedAndMovedAside) {
  TempDir tmp;
  TStrengthRecoveryFiles files(tmp.Path());
  TStrengthRecovered r;
  auto refusedAndAside = [&](const char* what) {
    const TFileResult read = files.Read(r);
    EXPECT_FALSE(read) << what;
    EXPECT_FALSE(read.Reason().empty()) << what;
    EXPECT_FALSE(Exists(files.LogPath())) << what;
    EXPECT_TRUE(Exists(files.LogPath() + ".damaged")) << what;
  };
  WriteFile(files.LogPath(), "{\"Format\": \"Kestrin.StrengthLog\"");
  refusedAndAside("damaged log");
  ASSERT_EQ(::symlink("/etc/passwd", files.LogPath().c_str()), 0);
  refusedAndAside("a link");
  ASSERT_EQ(::mkfifo(files.LogPath().c_str(), 0600), 0);
  refusedAndAside("a pipe");
  // Up to the .kst file's limit and not a byte more.
  std::string text = StrengthLogText(Sample());
  text.append(kMaxStrengthFileBytes - text.size(), ' ');
  WriteFile(files.LogPath(), text);
  EXPECT_TRUE(files.Read(r));
  WriteFile(files.LogPath(), text + " ");
  refusedAndAside("too large");
  ASSERT_TRUE(files.Write(Sample(), "relative.kst"));
  refusedAndAside("a bad name");
  EXPECT_TRUE(Exists(files.NamePath() + ".damaged"));
}

TEST(StrengthRecovery, TheMonthsAndTheLogsCopiesKeepApart) {
  TempDir tmp;
  TRecoveryFiles month(tmp.Path());
  TStrengthRecoveryFiles strength(tmp.Path());
  // Each window owns its own copy: two locks.
  EXPECT_TRUE(month.Own());
  EXPECT_TRUE(strength.Own());
  EXPECT_FALSE(TStrengthRecoveryFiles(tmp.Path()).Own());
  EXPECT_FALSE(TRecoveryFiles(tmp.Path()).Own());
  ASSERT_TRUE(month.Write(Month(), "/data/202506.slt"));
  EXPECT_FALSE(strength.Exists());
  ASSERT_TRUE(strength.Write(Sample(), "/data/202506.kst"));
  EXPECT_EQ(tmp.Entries(), (std::vector<std::string>{"recovery.lock", "recovery.name", "recovery.slt",
                                                     "strength-recovery.kst", "strength-recovery.lock",
                                                     "strength-recovery.name"}));
  // A damaged log is moved aside alone; removing one copy leaves the other.
  WriteFile(strength.LogPath(), "garbage");
  TStrengthRecovered log;
  EXPECT_FALSE(strength.Read(log));
  TRecovered r;
  ASSERT_TRUE(month.Read(r));
  EXPECT_EQ(r.FileName, "/data/202506.slt");
  ASSERT_TRUE(strength.Write(Sample(), "/data/202506.kst"));
  month.Remove();
  EXPECT_FALSE(month.Exists());
  ASSERT_TRUE(strength.Read(log));
  EXPECT_EQ(log.FileName, "/data/202506.kst");
  strength.Remove();
  EXPECT_EQ(tmp.Entries(),
            (std::vector<std::string>{"recovery.lock", "strength-recovery.kst.damaged",
                                      "strength-recovery.lock", "strength-recovery.name.damaged"}));
}
