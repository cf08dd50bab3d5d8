// The window's recovery copy: written after commits (at once after a
// save, then coalesced), removed by save, load and a normal close, and
// offered at the next start.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "MainWindowFixture.h"
#include "app/RecoveryKeeper.h"
#include "core/DataFile.h"
#include "core/Recovery.h"

using namespace kestrin;

namespace {

class RecoveryWindow : public MainWindowFixture {
 protected:
  QTemporaryDir tmp;
  std::string Folder() const { return QFile::encodeName(tmp.path()).toStdString(); }
  TRecoveryFiles Files() const { return TRecoveryFiles(Folder()); }
  bool CopyThere() const { return TRecoveryFiles(Folder()).Exists(); }
  void Start() {
    w = std::make_unique<TFrmMain>();
    TFrmMainProbe(*w).SettingsReader() = [this] { return settings; };
    w->SetRecoveryFiles(std::make_unique<TRecoveryFiles>(Folder()));
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->OfferRecovery();
  }
  TMainData Copy() {
    TMainData d;
    EXPECT_TRUE(LoadFromFile(Files().MonthPath(), d));
    return d;
  }
};

}  // namespace

TEST_F(RecoveryWindow, CommitsAreKeptUntilSaveAndACleanCloseRemovesThem) {
  Start();
  Probe().Recovery()->SetInterval(60000);
  Enter(Day(1, colAM), "18.5");  // the first change: written at once
  ASSERT_TRUE(CopyThere());
  EXPECT_EQ(Copy().SlumpList.Items(0).SokuteiList.Items(0).Value, 1850);
  Enter(Day(2, colAM), "17.5");  // within the interval: waits
  EXPECT_EQ(Copy().SlumpList.Items(1).SokuteiList.Items(0).Value, 0);
  Probe().Recovery()->SetInterval(1);
  // The coalesced write comes with the timer (late on a loaded machine).
  EXPECT_TRUE(QTest::qWaitFor([this] { return Copy().SlumpList.Items(1).SokuteiList.Items(0).Value == 1750; }, 5000));
  // A save removes the copy; the next change writes at once again.
  const QString file = QDir(tmp.path()).filePath("saved.slt");
  dialogs.FileAnswers = {file};
  Key(Qt::Key_F6);
  EXPECT_FALSE(CopyThere());
  Probe().Recovery()->SetInterval(60000);
  Enter(Day(3, colAM), "19");
  ASSERT_TRUE(CopyThere());
  TRecovered r;
  ASSERT_TRUE(Files().Read(r));
  EXPECT_EQ(QFile::decodeName(r.FileName.c_str()), file);
  // Undo back to the saved month: nothing unsaved, nothing kept.
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(CopyThere());
  Enter(Day(3, colAM), "19");
  dialogs.Answers = {true};
  w->close();
  EXPECT_FALSE(CopyThere());
}

TEST_F(RecoveryWindow, ALeftCopyIsOfferedAtStartAndRestoredWithItsName) {
  TMainData month;
  month.BasicInfo.Getsudo = PackDate(2025, 6, 1);
  month.AdjustSlumpList();
  month.BasicInfo.Kojo = Sjis("本社工場");
  month.SlumpList.Items(4).SokuteiList.Items(1).Value = 1920;
  ASSERT_TRUE(Files().Write(month, "/data/本社工場_202506.slt"));
  dialogs.Answers = {true};
  Start();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  const QString q = dialogs.Messages[0].Text;
  EXPECT_TRUE(q.startsWith("保存されていない入力が残っています（2025年6月 本社工場，最終入力 "))
      << q.toStdString();
  EXPECT_TRUE(q.endsWith("）．復元しますか？")) << q.toStdString();
  EXPECT_EQ(Value(5, 1).Value, 1920);
  EXPECT_EQ(Probe().DataFileName(), "/data/本社工場_202506.slt");
  EXPECT_TRUE(Probe().Edited());
  EXPECT_FALSE(Probe().UndoStack().canUndo());
  EXPECT_TRUE(CopyThere());  // until saved or closed
}

TEST_F(RecoveryWindow, NoDeletesTheCopyAndADamagedOneIsMovedAside) {
  TMainData month;
  ASSERT_TRUE(Files().Write(month, ""));
  dialogs.Answers = {false};
  Start();
  EXPECT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_FALSE(CopyThere());
  w.reset();

  QFile bad(QString::fromStdString(Files().MonthPath()));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("SLUMPTES\0\0\0\0broken", 20);
  bad.close();
  dialogs.Reset();
  Start();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_TRUE(dialogs.Messages[0].Text.startsWith("復元用のファイルが壊れているため使えません．"))
      << dialogs.Messages[0].Text.toStdString();
  EXPECT_FALSE(dialogs.Messages[0].YesNo);
  EXPECT_FALSE(CopyThere());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Files().MonthPath() + ".damaged")));
}
