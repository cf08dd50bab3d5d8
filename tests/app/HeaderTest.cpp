// The header fields of the main window: person default, plant list, cement
// name and symbol rules, numeric entry rules and the CP932 text limits.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "MainWindowFixture.h"
#include "app/FrmSetup.h"
#include "widgets/CellManager.h"
#include "widgets/Cp932Text.h"
#include "widgets/StatusLine.h"

using namespace kestrin;

using Header = MainWindowFixture;

TEST_F(Header, PersonDefaultsToTheSettingsName) {
  // First show copies the default person into the record.
  EXPECT_EQ(Info().Tanto, Sjis("山田 太郎"));
  Enter(Ui().CellTanto, "佐藤");
  EXPECT_EQ(Info().Tanto, Sjis("佐藤"));
  // An empty entry stores the default instead.
  Enter(Ui().CellTanto, "");
  EXPECT_EQ(Info().Tanto, Sjis("山田 太郎"));
  EXPECT_EQ(Ui().CellTanto->DisplayText(), "山田 太郎");
  // Showing the cell only reads: a record emptied behind the window's back
  // stays empty until a month begins again.
  Info().Tanto.clear();
  EXPECT_EQ(Ui().CellTanto->DisplayText(), "");
  Ui().CellCoordinator->RepaintAll();
  Ui().Header->grab();
  EXPECT_EQ(Info().Tanto, "");
  // データクリア puts the default into the fresh month.
  Probe().SetEdited(false);
  QTest::keyClick(KeyTarget(), Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_EQ(Info().Tanto, Sjis("山田 太郎"));
}

TEST_F(Header, WithoutADefaultPersonAnEmptyEntryStaysEmpty) {
  settings.TantoName.clear();
  Enter(Ui().CellTanto, "佐藤");
  Enter(Ui().CellTanto, "");
  EXPECT_EQ(Info().Tanto, "");
  // A default set in the setup dialog fills the empty person when the
  // dialog closes; a person already there stays.
  auto setup = [this](const char* name) {
    WhenOpen<TFrmSetup>([name, this](TFrmSetup* s) {
      Probe().Settings().TantoName = Sjis(name);
      s->done(0);
    });
    QTest::keyClick(KeyTarget(), Qt::Key_F11);
  };
  setup("鈴木");
  EXPECT_EQ(Info().Tanto, Sjis("鈴木"));
  EXPECT_EQ(Ui().CellTanto->DisplayText(), "鈴木");
  setup("高橋");
  EXPECT_EQ(Info().Tanto, Sjis("鈴木"));
}

TEST_F(Header, PlantIsChosenFromTheTenSettingsNames) {
  TFrmMainUi& ui = Ui();
  ASSERT_EQ(ui.CellKojo->Items.size(), 10);
  EXPECT_EQ(ui.CellKojo->Items[0], "第一工場");
  EXPECT_EQ(ui.CellKojo->Items[1], "");
  EXPECT_EQ(ui.CellKojo->Items[2], "第三工場");
  Go(ui.CellKojo);
  auto* combo = qobject_cast<QComboBox*>(Editor());
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->isEditable());  // no typing
  combo->setCurrentIndex(2);
  Key(Qt::Key_Tab);
  EXPECT_EQ(Info().Kojo, Sjis("第三工場"));
  EXPECT_EQ(Active(), ui.CellTanto);
  EXPECT_TRUE(Probe().Edited());
  // The list is rebuilt from the settings (after the setup dialog).
  Probe().Settings().KojoNames[1] = Sjis("新工場");
  Probe().RebuildKojoList();
  EXPECT_EQ(ui.CellKojo->Items[1], "新工場");
}

TEST_F(Header, StandardCementNameFixesAndLocksTheSymbol) {
  TFrmMainUi& ui = Ui();
  ASSERT_EQ(ui.CellCement->Items.size(), Probe().CementList().Count());
  EXPECT_EQ(ui.CellCement->Items.back(), "その他");
  EXPECT_FALSE(ui.CellCement->ListOnly);  // editable at start
  Enter(ui.CellCement, "普通");
  EXPECT_EQ(Info().Cement.Name, Sjis("普通"));
  EXPECT_EQ(Info().Cement.Mark, "N");
  EXPECT_TRUE(ui.CellCement->ListOnly);
  EXPECT_EQ(BackColor(ui.CellCementMark), QColor(0xDD, 0xFF, 0xDD));
  EXPECT_FALSE(ui.CellCementMark->Focusable());
  EXPECT_EQ(ui.CellCementMark->DisplayText(), "N");
  // Forward from the name passes over the locked symbol.
  Go(ui.CellCement);
  EXPECT_FALSE(qobject_cast<QComboBox*>(Editor())->isEditable());
  Key(Qt::Key_Tab);
  EXPECT_EQ(Active(), Probe().DayCell(0, colAM));
  // A click on the locked symbol does not enter it.
  EXPECT_FALSE(ui.CellCoordinator->Activate(ui.CellCementMark));
}

TEST_F(Header, ClickingTheSymbolAfterTypingAStandardNameKeepsTheNameCell) {
  TFrmMainUi& ui = Ui();
  Go(ui.CellCement);
  TypeText(Editor(), "普通");
  // The symbol cell is enterable until the name is committed; the click
  // commits the name, which locks the symbol, so the name cell stays.
  QTest::mouseClick(ui.Header, Qt::LeftButton, {}, ui.CellCementMark->Rect.center());
  EXPECT_EQ(Info().Cement.Name, Sjis("普通"));
  EXPECT_EQ(Info().Cement.Mark, "N");
  EXPECT_EQ(Active(), ui.CellCement);
  auto* combo = qobject_cast<QComboBox*>(Editor());
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->isEditable());
  // The list-only editor still commits a new choice.
  combo->setCurrentIndex(0);
  Key(Qt::Key_Tab);
  EXPECT_EQ(FromAnsi(Info().Cement.Name), ui.CellCement->Items[0]);
}

TEST_F(Header, OtherCementEmptiesTheSymbolAndAllowsFreeNames) {
  TFrmMainUi& ui = Ui();
  Enter(ui.CellCement, "普通");
  Go(ui.CellCement);
  auto* combo = qobject_cast<QComboBox*>(Editor());
  ASSERT_NE(combo, nullptr);
  combo->setCurrentIndex(combo->count() - 1);  // "その他"
  emit combo->activated(combo->count() - 1);   // chosen from the list
  EXPECT_EQ(Info().Cement.Name, Sjis("その他"));
  EXPECT_EQ(Info().Cement.Mark, "");
  EXPECT_FALSE(ui.CellCement->ListOnly);
  // The editor turned editable at once.
  combo = qobject_cast<QComboBox*>(Editor());
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isEditable());
  EXPECT_EQ(BackColor(ui.CellCementMark), QColor(Qt::white));
  TypeText(combo->lineEdit(), "高炉セメントＸ");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Info().Cement.Name, Sjis("高炉セメントＸ"));
  EXPECT_EQ(Active(), ui.CellCementMark);
  TypeText(Editor(), "BXZW");  // 3 characters at most
  Key(Qt::Key_Return);
  EXPECT_EQ(Info().Cement.Mark, "BXZ");
  // The name is limited to 18 bytes.
  Enter(ui.CellCement, "あいうえおかきくけこ");
  EXPECT_EQ(Info().Cement.Name, Sjis("あいうえおかきくけ"));
}

TEST_F(Header, NumericHeaderFieldsFollowTheirRules) {
  TFrmMainUi& ui = Ui();
  // Strength: whole numbers, empty when 0, above 99 refused.
  EXPECT_EQ(ui.CellKyodo->DisplayText(), "");
  Enter(ui.CellKyodo, "24");
  EXPECT_EQ(Info().Kyodo, 24.0);
  EXPECT_EQ(ui.CellKyodo->DisplayText(), "24");
  Enter(ui.CellKyodo, "150");
  EXPECT_EQ(Info().Kyodo, 24.0);
  EXPECT_EQ(Ui().StatusLine->Text(), "0～99の範囲で入力してください．");
  Enter(ui.CellKyodo, "99");
  EXPECT_EQ(Info().Kyodo, 99.0);
  Enter(ui.CellKyodo, "");
  EXPECT_EQ(Info().Kyodo, 0.0);
  // Target slump: one decimal, never empty.
  Enter(ui.CellSlump, "");
  EXPECT_EQ(Info().KariAveX, 0);
  EXPECT_EQ(ui.CellSlump->DisplayText(), "0.0");
  Enter(ui.CellSlump, "99.9");
  EXPECT_EQ(Info().KariAveX, 9990);
  Enter(ui.CellSlump, "8");
  EXPECT_EQ(ui.CellSlump->DisplayText(), "8.0");
  // Aggregate and air take any number, including a sign.
  Enter(ui.CellKotsuzai, "-20");
  EXPECT_EQ(Info().Kotsuzai, -20.0);
  Enter(ui.CellAir, "4.5");
  EXPECT_EQ(ui.CellAir->DisplayText(), "4.5");
  Enter(ui.CellAirKyoyo, "7");
  EXPECT_EQ(Info().AirKyoyo, 0.0);
  EXPECT_EQ(Ui().StatusLine->Text(), "0.0～5.0の範囲で入力してください．");
  Enter(ui.CellAirKyoyo, "5");
  EXPECT_EQ(Info().AirKyoyo, 5.0);
  Enter(ui.CellAirKyoyo, "");
  EXPECT_EQ(ui.CellAirKyoyo->DisplayText(), "");
  // No sign where a maximum is set.
  Go(ui.CellKyoyo);
  TypeText(Editor(), "-1");
  EXPECT_EQ(static_cast<QLineEdit*>(Editor())->text(), "1");
}

TEST_F(Header, TextFieldsKeepTheirCp932ByteLimits) {
  TFrmMainUi& ui = Ui();
  Enter(ui.CellTanto, "あいうえおかきくけこ");  // 20 bytes typed into 16
  EXPECT_EQ(Info().Tanto, Sjis("あいうえおかきく"));
  Enter(ui.CellTanto, "aあいうえおかきく");  // 1 + 16: the last character does not fit
  EXPECT_EQ(Info().Tanto, Sjis("aあいうえおかき"));
  EXPECT_EQ(Info().Tanto.size(), 15u);
  QString longRemark;
  for (int i = 0; i < 25; ++i) longRemark += QStringLiteral("備");
  Enter(ui.CellBiko, longRemark);
  EXPECT_EQ(Info().Biko.size(), 40u);
  // A character CP932 cannot hold is refused with a reason in the status line.
  Go(ui.CellBiko);
  Key(Qt::Key_End);
  TypeText(Editor(), QString::fromUtf8("x😀"));
  EXPECT_TRUE(ui.StatusLine->Text().contains(QString::fromUtf8("😀"))) << ui.StatusLine->Text().toStdString();
  Key(Qt::Key_Backspace);
  Key(Qt::Key_Backspace);
  TypeText(Editor(), QString::fromUtf8("髙①"));
  Key(Qt::Key_Return);
  EXPECT_EQ(Info().Biko.substr(Info().Biko.size() - 4), Sjis("髙①"));
}

TEST_F(Header, InputMethodModesAndStatusMessages) {
  TFrmMainUi& ui = Ui();
  struct Expect {
    TCell* cell;
    const char* ime;
    const char* status;
  };
  const std::vector<Expect> cases{
      {ui.CellTanto, "hiragana", "担当者名を入力してください．"},
      {ui.CellBiko, "hiragana", "備考を入力してください．"},
      {ui.CellCementMark, "off", "セメント種類の記号を入力してください．"},
      {ui.CellKyodo, "off", "呼び強度を入力してください．"},
      {ui.CellMonth, "off", "管理月度を入力してください．"},
      {Probe().DayCell(0, colAM), "off", "午前の測定値を入力してください．"},
      {Probe().DayCell(0, colPM), "off", "午後の測定値を入力してください．"},
  };
  for (const Expect& e : cases) {
    Go(e.cell);
    EXPECT_EQ(Editor()->property("kestrinImeMode").toString(), e.ime) << e.cell->Name.toStdString();
    EXPECT_EQ(Editor()->testAttribute(Qt::WA_InputMethodEnabled), QString(e.ime) == "hiragana");
    EXPECT_EQ(ui.StatusLine->Text(), e.status);
  }
}

TEST_F(Header, OpenListsPaintUnchosenItemsInTheListsOwnColours) {
  for (TCell* cell : {static_cast<TCell*>(Ui().CellKojo), static_cast<TCell*>(Ui().CellCement)}) {
    SCOPED_TRACE(cell->Name.toStdString());
    Go(cell);
    auto* combo = qobject_cast<QComboBox*>(Editor());
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(0);
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QApplication::processEvents();
    // The active cell's colour (the area's selection colour) stays on the
    // closed box; the list's unchosen items show the list's own colours.
    const QPalette area = combo->parentWidget()->palette();
    const QColor activeCell = area.color(QPalette::Active, QPalette::Highlight);
    const QImage shot = view->viewport()->grab().toImage();
    const int x = view->viewport()->width() - 3;
    auto rowColour = [&](int row) {
      const QRect r = view->visualRect(combo->model()->index(row, 0));
      return shot.pixelColor(QPoint(x, r.center().y()) * shot.devicePixelRatio());
    };
    const QColor unchosen = rowColour(2);
    EXPECT_NE(unchosen, activeCell) << unchosen.name().toStdString();
    EXPECT_TRUE(unchosen == area.color(QPalette::Active, QPalette::Base) ||
                unchosen == area.color(QPalette::Active, QPalette::Window))
        << unchosen.name().toStdString();
    EXPECT_EQ(rowColour(3), unchosen);
    EXPECT_NE(rowColour(0), unchosen);  // the chosen item stands out
    combo->hidePopup();
  }
}
