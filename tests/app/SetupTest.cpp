// The settings as the main window reads and writes them, and the setup
// dialog: defaults without a file, the last data folder, the plant list
// after the dialog, the dialog's cells, limits, switch pairs and keys.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FrmSetupProbe.h"
#include "MainWindowFixture.h"
#include "core/DataFile.h"
#include "widgets/CellManager.h"
#include "widgets/Cp932Text.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/SwitchCell.h"
#include "widgets/TitleBar.h"

using namespace kestrin;

namespace {

TFrmSetupUi& SetupUi(TFrmSetup* s) { return TFrmSetupProbe(*s).Ui(); }

class SettingsFile : public MainWindowFixture {
 protected:
  QTemporaryDir tmp;
  QString Path(const QString& name) const { return QDir(tmp.path()).filePath(name); }
  void SetUp() override {
    MainWindowFixture::SetUp();
    settingsFile = QFile::encodeName(Path("kestrin.INI")).toStdString();
  }
  void WriteIni(const std::string& text) {
    TIniFile ini;
    ini.SetText(text);
    ASSERT_TRUE(ini.Save(settingsFile));
  }
  TIniFile Ini() {
    TIniFile ini;
    EXPECT_TRUE(ini.Load(settingsFile));
    return ini;
  }
  QString MonthFile(const QString& folder) {
    QDir().mkpath(Path(folder));
    const QString file = QDir(Path(folder)).filePath("200502.slt");
    TMainData d;
    EXPECT_TRUE(SaveToFile(QFile::encodeName(file).toStdString(), d));
    return file;
  }
  void Quit() {
    if (Probe().Edited()) dialogs.Answers.push_back(true);
    Probe().CellBitBtnQuitClick();
    ASSERT_FALSE(Window().isVisible());
  }
  // Opens the setup dialog with F11 and runs `act` in it.
  void InSetup(std::function<void(TFrmSetup*)> act) {
    bool ran = false;
    WhenOpen<TFrmSetup>([&](TFrmSetup* s) {
      act(s);
      ran = true;
      if (s->isVisible()) s->done(0);
    });
    QTest::keyClick(KeyTarget(), Qt::Key_F11);
    EXPECT_TRUE(ran);
  }
  void Type(TFrmSetup* s, TCell* cell, const QString& text) {
    ASSERT_TRUE(SetupUi(s).CellCoordinator->Activate(cell)) << cell->Name.toStdString();
    QWidget* e = SetupUi(s).CellCoordinator->ActiveArea()->Editor();
    ASSERT_NE(e, nullptr);
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    TypeText(e, text);
    QTest::keyClick(e, Qt::Key_Return);
  }
};

}  // namespace

TEST_F(SettingsFile, WithoutAFileTheDefaultsApply) {
  TFrmMainUi& ui = Ui();
  const TSettings& s = Probe().Settings();
  EXPECT_EQ(s.InkanTitle1, Sjis("工場長"));
  EXPECT_EQ(s.InkanTitle2, Sjis("部長"));
  EXPECT_EQ(s.InkanTitle3, Sjis("係"));
  EXPECT_EQ(s.DispNullData, 1);
  EXPECT_FALSE(s.DrawHistNoRange);
  EXPECT_FALSE(s.DrawXChartNoRange);
  EXPECT_EQ(ui.CellKojo->Items, QStringList(10, QString()));
  EXPECT_EQ(Probe().DialogFolder(), QDir::homePath());
  EXPECT_EQ(ui.CellTanto->DisplayText(), "");
}

TEST_F(SettingsFile, ValuesAreReadAtFirstShowAndWrittenAtClose) {
  WriteIni(Sjis("[Info]\r\nTantoName=佐藤\r\nKojoName1=北工場\r\nKojoName9=南工場\r\nDispNullData=x\r\n"
                "DrawHistNoRange=yes\r\nDrawXChartNoRange=1\r\n[Other]\r\nKeep=me\r\n"));
  TFrmMainUi& ui = Ui();
  EXPECT_EQ(Probe().Settings().DispNullData, 1);  // not a number
  EXPECT_FALSE(Probe().Settings().DrawHistNoRange);
  EXPECT_TRUE(Probe().Settings().DrawXChartNoRange);
  EXPECT_EQ(ui.CellKojo->Items.size(), 10);
  EXPECT_EQ(ui.CellKojo->Items[1], "北工場");
  EXPECT_EQ(ui.CellKojo->Items[9], "南工場");
  EXPECT_EQ(ui.CellTanto->DisplayText(), "佐藤");
  Quit();
  const TIniFile ini = Ini();
  EXPECT_EQ(ini.ReadString("Info", "TantoName", ""), Sjis("佐藤"));
  EXPECT_EQ(ini.ReadString("Info", "DispNullData", ""), "1");
  EXPECT_EQ(ini.ReadString("Info", "DrawHistNoRange", ""), "0");
  EXPECT_EQ(ini.ReadString("Info", "DrawXChartNoRange", ""), "1");
  EXPECT_EQ(ini.ReadString("Other", "Keep", ""), "me");
}

TEST_F(SettingsFile, LongNamesEnterTheRecordCutToTheirCells) {
  const std::string tanto = Sjis("山田太郎山田太郎山田太郎");   // 24 bytes
  const std::string kojo = "a" + Sjis("第一生コンクリート工場");  // 23 bytes
  WriteIni("[Info]\r\nTantoName=" + tanto + "\r\nKojoName0=" + kojo + "\r\n");
  TFrmMainUi& ui = Ui();
  EXPECT_EQ(Info().Tanto, Sjis("山田太郎山田太郎"));
  EXPECT_EQ(ui.CellKojo->Items[0], "a第一生コンクリート");  // 19 bytes, no half character
  Go(ui.CellKojo);
  auto* combo = qobject_cast<QComboBox*>(Editor());
  ASSERT_NE(combo, nullptr);
  combo->setCurrentIndex(0);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Info().Kojo, "a" + Sjis("第一生コンクリート"));
  dialogs.Answers = {true};
  QTest::keyClick(KeyTarget(), Qt::Key_F5, Qt::ShiftModifier);  // Clear
  EXPECT_EQ(ui.CellTanto->DisplayText(), "山田太郎山田太郎");
  EXPECT_EQ(Info().Tanto, Sjis("山田太郎山田太郎"));
  Quit();
  EXPECT_EQ(Ini().ReadString("Info", "TantoName", ""), tanto) << "the file keeps its own text";
}

TEST_F(SettingsFile, AFileThatCannotBeReadIsNamedAndLeftAlone) {
  const std::string big = "[Info]\r\nTantoName=x\r\n" + std::string(kMaxIniBytes, ';');
  for (const bool folder : {true, false}) {
    w.reset();
    dialogs.Reset();
    QFile::remove(QString::fromStdString(settingsFile));
    QDir().rmdir(QString::fromStdString(settingsFile));
    if (folder) {
      ASSERT_TRUE(QDir().mkdir(QString::fromStdString(settingsFile)));
    } else {
      QFile out(QString::fromStdString(settingsFile));
      ASSERT_TRUE(out.open(QIODevice::WriteOnly));
      out.write(big.data(), static_cast<qint64>(big.size()));
    }
    TFrmMainUi& ui = Ui();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.Messages.empty(); }, 2000));
    const QString text = dialogs.Messages[0].Text;
    EXPECT_TRUE(text.contains(QString::fromStdString(settingsFile))) << text.toStdString();
    EXPECT_TRUE(text.contains("初期値で起動します")) << text.toStdString();
    EXPECT_EQ(Probe().Settings().InkanTitle1, Sjis("工場長"));
    EXPECT_EQ(ui.CellTanto->DisplayText(), "");
    Probe().Settings().CompanyName = "changed";
    Quit();
    EXPECT_EQ(dialogs.Messages.size(), 1u) << "no second message at quit";
    if (folder) {
      EXPECT_TRUE(QFileInfo(QString::fromStdString(settingsFile)).isDir());
    } else {
      QFile in(QString::fromStdString(settingsFile));
      ASSERT_TRUE(in.open(QIODevice::ReadOnly));
      EXPECT_EQ(in.readAll().toStdString(), big);
    }
  }
}

TEST_F(SettingsFile, LastDataDirFollowsTheLoadedFileAndSurvivesAClear) {
  // A folder from the old Windows program does not exist here: the dialogs
  // open in the home folder, and the value stays while no file is open.
  WriteIni("[File]\r\nLastDataDir=C:\\data\r\n");
  EXPECT_EQ(Probe().Settings().LastDataDir, "C:\\data");
  dialogs.FileAnswers = {""};
  QTest::keyClick(KeyTarget(), Qt::Key_F5);
  EXPECT_EQ(dialogs.Files.back().Directory, QDir::homePath());
  QTest::keyClick(KeyTarget(), Qt::Key_F5, Qt::ShiftModifier);  // Clear
  Quit();
  EXPECT_EQ(Ini().ReadString("File", "LastDataDir", ""), "C:\\data");

  // Loading a file makes its folder the last data folder.
  w.reset();
  const QString file = MonthFile("データ");
  dialogs.FileAnswers = {file};
  QTest::keyClick(KeyTarget(), Qt::Key_F5);
  ASSERT_EQ(Probe().DataFileName(), file);
  Quit();
  const std::string stored = Ini().ReadString("File", "LastDataDir", "");
  EXPECT_EQ(stored, Sjis(QDir(Path("データ")).canonicalPath().toStdString().c_str()));

  // The next run opens its dialogs there; after Clear and quitting the
  // folder keeps its value.
  w.reset();
  EXPECT_EQ(Probe().DialogFolder(), QDir(Path("データ")).canonicalPath());
  QTest::keyClick(KeyTarget(), Qt::Key_F5, Qt::ShiftModifier);
  Quit();
  EXPECT_EQ(Ini().ReadString("File", "LastDataDir", ""), stored);
}

TEST_F(SettingsFile, PlantNamesFromTheSetupDialogFillThePlantListAtOnce) {
  TFrmMainUi& ui = Ui();
  InSetup([&](TFrmSetup* s) {
    EXPECT_EQ(s->windowTitle(), "FrmSetup");
    EXPECT_EQ(SetupUi(s).TitleBar->Caption, "各種設定");
    EXPECT_EQ(SetupUi(s).CellCoordinator->ActiveCell(), SetupUi(s).CellCompany);
    Type(s, SetupUi(s).CellKojo[0], "本社工場");
    Type(s, SetupUi(s).CellKojo[3], "第四工場");
    Type(s, SetupUi(s).CellTanto, "鈴木");
  });
  QStringList expected(10, QString());
  expected[0] = "本社工場";
  expected[3] = "第四工場";
  EXPECT_EQ(ui.CellKojo->Items, expected);
  EXPECT_EQ(Probe().Settings().TantoName, Sjis("鈴木"));
  // The plant cell offers the new list in slot order.
  Go(ui.CellKojo);
  auto* combo = qobject_cast<QComboBox*>(Editor());
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 10);
  EXPECT_EQ(combo->itemText(3), "第四工場");
  // The dialog is made once and kept; closing the window frees it.
  TFrmSetup* first = Probe().FrmSetup();
  InSetup([&](TFrmSetup* s) { EXPECT_EQ(s, first); });
  Quit();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Probe().FrmSetup(), nullptr);
  EXPECT_EQ(Ini().ReadString("Info", "KojoName3", ""), Sjis("第四工場"));
  EXPECT_EQ(Ini().ReadString("Info", "KojoName4", "x"), "");
}

TEST_F(SettingsFile, SetupCellsLimitsSwitchesAndStatusMessages) {
  Window();
  InSetup([&](TFrmSetup* s) {
    // Input order: company, person, ten plants, three seals, the switches.
    std::vector<TCell*> order{SetupUi(s).CellCompany, SetupUi(s).CellTanto};
    for (TTextCell* c : SetupUi(s).CellKojo) order.push_back(c);
    for (TCell* c : std::initializer_list<TCell*>{
             SetupUi(s).CellInkan1, SetupUi(s).CellInkan2, SetupUi(s).CellInkan3, SetupUi(s).CellSokuteichi0,
             SetupUi(s).CellSokuteichi1, SetupUi(s).CellDrawHistNoRange0, SetupUi(s).CellDrawHistNoRange1,
             SetupUi(s).CellDrawXChartNoRange0, SetupUi(s).CellDrawXChartNoRange1})
      order.push_back(c);
    SetupUi(s).CellCoordinator->Activate(SetupUi(s).CellCompany);
    for (std::size_t i = 1; i < order.size(); ++i) {
      QWidget* target = SetupUi(s).CellCoordinator->ActiveArea()->Editor();
      if (!target) target = SetupUi(s).CellCoordinator->ActiveArea();
      QTest::keyClick(target, Qt::Key_Tab);
      EXPECT_EQ(SetupUi(s).CellCoordinator->ActiveCell(), order[i]) << i;
    }
    // Limits in CP932 bytes.
    EXPECT_EQ(SetupUi(s).CellCompany->MaxBytes, 30);
    EXPECT_EQ(SetupUi(s).CellTanto->MaxBytes, 16);
    EXPECT_EQ(SetupUi(s).CellKojo[9]->MaxBytes, 20);
    EXPECT_EQ(SetupUi(s).CellInkan2->MaxBytes, 8);
    Type(s, SetupUi(s).CellInkan1, "ABCDEFGHIJ");    // 10 bytes: cut at 8
    Type(s, SetupUi(s).CellInkan2, "課長補佐代理");  // 12 bytes: 4 characters fit
    EXPECT_EQ(SetupUi(s).CellInkan2->DisplayText(), "課長補佐");
    Type(s, SetupUi(s).CellCompany, "");
    // Status messages.
    auto status = [&](TCell* c) {
      SetupUi(s).CellCoordinator->Activate(c);
      return SetupUi(s).StatusLine->Text();
    };
    EXPECT_EQ(status(SetupUi(s).CellCompany), "会社名を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellTanto), "担当者（初期値）を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellKojo[7]), "工場名選択時に使用する工場名を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellInkan3), "各印鑑欄の名称を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellSokuteichi0),
              "１日の測定値が空欄の場合，表を詰めて印刷します．を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellSokuteichi1),
              "１日の測定値が空欄の場合，空欄のまま印刷します．を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellDrawHistNoRange0),
              "ヒストグラムの範囲外を塗りつぶしませんを入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellDrawHistNoRange1),
              "ヒストグラムの範囲外の塗りつぶします．を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellDrawXChartNoRange0),
              "Ｘ管理図の範囲外の塗りつぶしません．を入力してください．");
    EXPECT_EQ(status(SetupUi(s).CellDrawXChartNoRange1),
              "Ｘ管理図の範囲外の塗りつぶします．を入力してください．");
    EXPECT_EQ(status(SetupUi(s).FunctionKeys->Button(0, 12)), "戻ります．");
    EXPECT_EQ(SetupUi(s).FunctionKeys->Button(0, 12)->Hint, "終了します．");

    // Switch pairs: exclusive, by click and by Space; Enter moves on.
    EXPECT_FALSE(SetupUi(s).CellSokuteichi0->On());
    EXPECT_TRUE(SetupUi(s).CellSokuteichi1->On());
    const QRect r0 = SetupUi(s).CellSokuteichi0->Rect;
    QTest::mouseClick(SetupUi(s).SetupCells, Qt::LeftButton, {}, r0.center());
    EXPECT_TRUE(SetupUi(s).CellSokuteichi0->On());
    EXPECT_FALSE(SetupUi(s).CellSokuteichi1->On());
    SetupUi(s).CellCoordinator->Activate(SetupUi(s).CellDrawHistNoRange1);
    QTest::keyClick(SetupUi(s).SetupCells, Qt::Key_Space);
    EXPECT_TRUE(SetupUi(s).CellDrawHistNoRange1->On());
    EXPECT_FALSE(SetupUi(s).CellDrawHistNoRange0->On());
    QTest::keyClick(SetupUi(s).SetupCells, Qt::Key_Return);
    EXPECT_EQ(SetupUi(s).CellCoordinator->ActiveCell(), SetupUi(s).CellDrawXChartNoRange0);
    EXPECT_FALSE(SetupUi(s).CellDrawXChartNoRange1->On());
    // Only F12 has a key; Esc outside an editor closes the dialog.
    for (int k = 3; k <= 11; ++k) EXPECT_FALSE(SetupUi(s).FunctionKeys->Button(0, k)->Enabled) << k;
    for (int k = 3; k <= 12; ++k) EXPECT_FALSE(SetupUi(s).FunctionKeys->Button(1, k)->Enabled) << k;
    QTest::keyClick(SetupUi(s).SetupCells, Qt::Key_Escape);
    EXPECT_FALSE(s->isVisible());
  });
  const TSettings& st = Probe().Settings();
  EXPECT_EQ(st.InkanTitle1, "ABCDEFGH");
  EXPECT_EQ(st.InkanTitle2, Sjis("課長補佐"));
  EXPECT_EQ(st.CompanyName, "");
  EXPECT_EQ(st.DispNullData, 0);
  EXPECT_TRUE(st.DrawHistNoRange);
  EXPECT_FALSE(st.DrawXChartNoRange);
}

TEST_F(SettingsFile, TypingInTheSetupDialogIsKeptByEscAndF12) {
  Window();
  InSetup([&](TFrmSetup* s) {
    SetupUi(s).CellCoordinator->Activate(SetupUi(s).CellCompany);
    QWidget* e = SetupUi(s).CellCoordinator->ActiveArea()->Editor();
    TypeText(e, "途中");
    QTest::keyClick(e, Qt::Key_Escape);  // drops the typing only
    EXPECT_TRUE(s->isVisible());
    TypeText(e, "株式会社");
    QTest::keyClick(e, Qt::Key_F12);  // keeps what is typed and closes
    EXPECT_FALSE(s->isVisible());
  });
  EXPECT_EQ(Probe().Settings().CompanyName, Sjis("株式会社"));
  // Nothing is written before the main window closes.
  EXPECT_FALSE(QFile::exists(Path("kestrin.INI")));
}
