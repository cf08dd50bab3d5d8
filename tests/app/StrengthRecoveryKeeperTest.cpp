// The strength window's recovery copy keeps the same time as the month's:
// the first change at once, later ones coalesced, a discard removes it.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/RecoveryKeeper.h"
#include "core/StrengthFile.h"

namespace kestrin {
namespace {

TEST(StrengthRecoveryKeeper, FirstChangeAtOnceThenCoalescedAndDiscardRemoves) {
  QTemporaryDir tmp;
  const std::string folder = QFile::encodeName(tmp.path()).toStdString();
  TStrengthLog log;
  ASSERT_TRUE(LoadStrengthFile(KESTRIN_SOURCE_DIR "/examples/sample-strength.kst", log));
  QString fileName = QStringLiteral("/data/六月.kst");
  TStrengthRecoveryKeeper keeper(std::make_unique<TStrengthRecoveryFiles>(folder), log, fileName);
  QStringList failures;
  QObject::connect(&keeper, &TStrengthRecoveryKeeper::WriteFailed,
                   [&](const QString& reason) { failures << reason; });
  auto copy = [&] {
    TStrengthRecovered r;
    EXPECT_TRUE(keeper.Files().Read(r));
    return r;
  };
  keeper.SetInterval(60000);
  keeper.Changed();
  EXPECT_EQ(copy().Log, log);
  EXPECT_EQ(copy().FileName, "/data/六月.kst");
  log.Tests[0].Slump = 190;
  keeper.Changed();  // within the interval: waits
  EXPECT_EQ(copy().Log.Tests[0].Slump, 180);
  keeper.SetInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return copy().Log.Tests[0].Slump == 190; }, 5000));
  // A failed write is said once until a write succeeds again.
  log.Tests[0].Day = 0;
  for (int i = 0; i < 2; ++i) {
    keeper.Discard();
    keeper.Changed();  // the first change after a discard: written at once
  }
  EXPECT_EQ(failures.size(), 1);
  log.Tests[0].Day = 2;
  keeper.Discard();
  keeper.Changed();
  EXPECT_EQ(copy().Log, log);
  log.Tests[0].Day = 0;
  keeper.Discard();
  keeper.Changed();
  EXPECT_EQ(failures.size(), 2);
  keeper.Discard();
  EXPECT_FALSE(keeper.Files().Exists());
}

}  // namespace
}  // namespace kestrin
