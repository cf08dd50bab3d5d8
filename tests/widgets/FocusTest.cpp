// Focus movement between cells and groups, the day-table scrolling, the
// function-key pages and the active cell's status message.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "GtestQt.h"
#include "TypeText.h"
#include "widgets/BusyWindow.h"
#include "widgets/CellManager.h"
#include "widgets/CellMgrMain.h"
#include "widgets/CellTable.h"
#include "widgets/ChartTabs.h"
#include "widgets/EditCells.h"
#include "widgets/ShiftPager.h"

using namespace kestrin;

namespace {

// Two header-like rows of cells, a 31-row table with two enterable columns,
// and the function-key row, in that focus order.
class FocusWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    root.resize(800, 600);
    header = new TCellManager(&root);
    header->setGeometry(0, 0, 600, 52);
    auto text = [&](const char* name, QRect r) {
      auto c = std::make_unique<TTextCell>(QString::fromUtf8(name));
      c->StatusMessage = QString::fromUtf8(name) + QStringLiteral(" message");
      c->OnGetValue = [this, n = QString::fromUtf8(name)] { return values[n]; };
      c->OnSetValue = [this, n = QString::fromUtf8(name)](const QString& s) { values[n] = s; };
      return header->Add(std::move(c), r);
    };
    auto label = std::make_unique<TCell>(QStringLiteral("label"));
    header->Add(std::move(label), QRect(0, 0, 80, 26));
    a = text("a", QRect(80, 0, 100, 26));
    b = text("b", QRect(180, 0, 100, 26));
    c = text("c", QRect(80, 26, 60, 26));
    d = text("d", QRect(140, 26, 140, 26));
    d->OnCanFocus = [this](const TCell&) { return dEnterable; };

    table = new TCellTable(&root);
    table->setGeometry(0, 60, 300, 13 * 26);
    bar = new QScrollBar(Qt::Vertical, &root);
    table->AttachScrollBar(bar);
    table->AddColumn(40, [](int) { return std::make_unique<TCell>(QStringLiteral("day")); });
    for (int col = 0; col < 2; ++col)
      table->AddColumn(80, [this, col](int row) {
        auto cell = std::make_unique<TNumCell>(col ? QStringLiteral("pm") : QStringLiteral("am"));
        cell->Rule = TNumRule{1, 4, true, 0, 99.9};
        cell->OnGetValue = [this, row, col] { return TNumValue{cells[row][col], cells[row][col] == 0}; };
        cell->OnSetValue = [this, row, col](const TNumValue& v) { cells[row][col] = v.Value; };
        return cell;
      });
    table->SetRowCount(31);

    keys = new TShiftPager(&root);
    keys->setGeometry(0, 500, 800, 42);
    TFunctionKeySlot load;
    load.Name = QStringLiteral("load");
    load.Caption = QStringLiteral("ロード");
    load.Action = [this] { ++loads; };
    keys->SetSlot(0, 5, load);
    TFunctionKeySlot clear;
    clear.Name = QStringLiteral("clear");
    clear.Caption = QStringLiteral("データクリア");
    clear.Action = [this] { ++clears; };
    keys->SetSlot(1, 5, clear);

    main.AddGroup(header);
    main.AddGroup(table);
    main.AddGroup(keys);
    root.show();
  }

  QWidget* Editor() const { return main.ActiveArea() ? main.ActiveArea()->Editor() : nullptr; }
  QWidget* KeyTarget() const {
    QWidget* e = Editor();
    return e ? e : main.ActiveArea();
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(KeyTarget(), static_cast<Qt::Key>(key), mods);
  }
  QString Active() const {
    TCell* cell = main.ActiveCell();
    if (!cell) return QStringLiteral("-");
    return cell->Row >= 0 ? QStringLiteral("%1%2").arg(cell->Name).arg(cell->Row + 1) : cell->Name;
  }

  QWidget root;
  TCellMgrMain main;
  TCellManager* header = nullptr;
  TCellTable* table = nullptr;
  QScrollBar* bar = nullptr;
  TShiftPager* keys = nullptr;
  TCell *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
  bool dEnterable = true;
  std::map<QString, QString> values;
  double cells[31][2] = {};
  int loads = 0, clears = 0;
};

}  // namespace

TEST_F(FocusWindow, EnterAndTabGoForwardShiftTabBackAcrossGroups) {
  ASSERT_TRUE(main.Activate(a));
  std::vector<QString> seen{Active()};
  for (int i = 0; i < 4; ++i) {
    Key(i % 2 ? Qt::Key_Tab : Qt::Key_Return);
    seen.push_back(Active());
  }
  EXPECT_EQ(seen, (std::vector<QString>{"a", "b", "c", "d", "am1"}));
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Active(), "d");
  Key(Qt::Key_Backtab);
  EXPECT_EQ(Active(), "c");
  // A cell that cannot be entered just now is passed over.
  dEnterable = false;
  Key(Qt::Key_Tab);
  EXPECT_EQ(Active(), "am1");
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Active(), "c");
}

TEST_F(FocusWindow, ArrowsMoveToTheNeighbouringCell) {
  ASSERT_TRUE(main.Activate(b));
  Key(Qt::Key_Down);
  EXPECT_EQ(Active(), "d");  // below b, overlapping it
  Key(Qt::Key_Left);
  EXPECT_EQ(Active(), "c");
  Key(Qt::Key_Up);
  EXPECT_EQ(Active(), "a");
  Key(Qt::Key_Left);  // the label is not entered
  EXPECT_EQ(Active(), "a");
  // In a table the arrows follow rows and columns.
  ASSERT_TRUE(main.Activate(table, table->Index(4, 1)));
  Key(Qt::Key_Down);
  EXPECT_EQ(Active(), "am6");
  Key(Qt::Key_Right);
  EXPECT_EQ(Active(), "pm6");
  Key(Qt::Key_Right);
  EXPECT_EQ(Active(), "pm6");
}

TEST_F(FocusWindow, ArrowsInsideTypedTextMoveTheCursorFirst) {
  ASSERT_TRUE(main.Activate(a));
  TypeText(Editor(), QStringLiteral("xyz"));
  Key(Qt::Key_Left);  // inside the text: the cursor moves
  EXPECT_EQ(Active(), "a");
  Key(Qt::Key_End);
  Key(Qt::Key_Right);  // at the end: on to the neighbour, committing
  EXPECT_EQ(Active(), "b");
  EXPECT_EQ(values["a"], "xyz");
}

TEST_F(FocusWindow, TheTableNeverWrapsFromItsLastCellToItsFirst) {
  ASSERT_TRUE(main.Activate(table, table->Index(30, 2)));
  EXPECT_EQ(Active(), "pm31");
  EXPECT_EQ(table->TopRow(), 31 - 13);
  Key(Qt::Key_Return);
  EXPECT_EQ(Active(), "load");  // the next group, not am1
  Key(Qt::Key_Tab);
  EXPECT_EQ(Active(), "a");  // after the last group, the first
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Active(), "load");
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Active(), "pm31");
}

TEST_F(FocusWindow, TableScrollsByPagesOfThirteenRows) {
  EXPECT_EQ(table->VisibleRows(), 13);
  EXPECT_EQ(bar->pageStep(), 13);
  EXPECT_EQ(bar->maximum(), 31 - 13);
  ASSERT_TRUE(main.Activate(table, table->Index(0, 1)));
  Key(Qt::Key_PageDown);
  EXPECT_EQ(Active(), "am14");
  EXPECT_TRUE(table->CellRect(table->Index(13, 1)).isValid());
  Key(Qt::Key_PageDown);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(Active(), "am31");
  Key(Qt::Key_PageUp);
  EXPECT_EQ(Active(), "am18");
  // The scroll bar moves the rows; the editor goes along with its cell.
  bar->setValue(0);
  EXPECT_EQ(table->TopRow(), 0);
  EXPECT_TRUE(table->CellRect(table->Index(17, 1)).isNull());
}

TEST_F(FocusWindow, CommitsOnLeavingAndEscapeRestores) {
  ASSERT_TRUE(main.Activate(table, table->Index(2, 1)));
  TypeText(Editor(), QStringLiteral("18.5"));
  EXPECT_FALSE(main.Edited());
  Key(Qt::Key_Escape);  // typed text is dropped, the cell stays
  EXPECT_EQ(cells[2][0], 0.0);
  EXPECT_EQ(Active(), "am3");
  QSignalSpy escape(&main, &TCellMgrMain::EscapePressed);
  Key(Qt::Key_Escape);  // nothing typed: Esc goes to the window
  EXPECT_EQ(escape.count(), 1);
  TypeText(Editor(), QStringLiteral("18.5"));
  Key(Qt::Key_Down);
  EXPECT_EQ(cells[2][0], 18.5);
  EXPECT_TRUE(main.Edited());
  // A click on another group's cell commits too.
  TypeText(Editor(), QStringLiteral("17"));
  QTest::mouseClick(header, Qt::LeftButton, {}, a->Rect.center());
  EXPECT_EQ(Active(), "a");
  EXPECT_EQ(cells[3][0], 17.0);
}

TEST_F(FocusWindow, AClickOnACellThatCannotBeEnteredKeepsTheEditorWorking) {
  dEnterable = false;
  ASSERT_TRUE(main.Activate(a));
  TypeText(Editor(), QStringLiteral("ab"));
  QTest::mouseClick(header, Qt::LeftButton, {}, d->Rect.center());
  EXPECT_EQ(Active(), "a");
  Key(Qt::Key_End);
  TypeText(Editor(), QStringLiteral("cd"));
  Key(Qt::Key_Tab);
  EXPECT_EQ(values["a"], "abcd");
}

TEST_F(FocusWindow, RowsRemovedUnderTheActiveCellDropIt) {
  ASSERT_TRUE(main.Activate(table, table->Index(30, 1)));
  table->SetRowCount(28);
  EXPECT_EQ(main.ActiveCell(), nullptr);
  EXPECT_EQ(table->CellCount(), 28 * 3);
  table->SetRowCount(31);
  EXPECT_EQ(table->Cell(30, 1)->Row, 30);
}

TEST_F(FocusWindow, StatusLineFollowsTheActiveCell) {
  QSignalSpy status(&main, &TCellMgrMain::StatusMessageChanged);
  ASSERT_TRUE(main.Activate(b));
  EXPECT_EQ(main.StatusMessage(), "b message");
  // A refused character shows why, until the next cell is entered.
  static_cast<QLineEdit*>(Editor())->insert(QString::fromUtf8("😀"));
  EXPECT_TRUE(main.StatusMessage().contains(QString::fromUtf8("😀")));
  Key(Qt::Key_Tab);
  EXPECT_EQ(main.StatusMessage(), "c message");
}

TEST_F(FocusWindow, FunctionKeysAndTheShiftPage) {
  ASSERT_TRUE(main.Activate(a));
  Key(Qt::Key_F5);
  EXPECT_EQ(loads, 1);
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_EQ(clears, 1);
  Key(Qt::Key_F3);  // empty slots do nothing
  Key(Qt::Key_F3, Qt::ShiftModifier);
  Key(Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(loads + clears, 2);
  // Shift held shows the second page and turns the guide strip orange.
  QTest::keyPress(Editor(), Qt::Key_Shift);
  EXPECT_EQ(keys->Page(), 1);
  EXPECT_EQ(keys->GuideColor(keys->Page()), QColor(0xFF, 0x80, 0x00));
  QTest::keyRelease(Editor(), Qt::Key_Shift);
  EXPECT_EQ(keys->Page(), 0);
  // A function key commits what is being typed before the command runs.
  TypeText(Editor(), QStringLiteral("typed"));
  Key(Qt::Key_F5);
  EXPECT_EQ(values["a"], "typed");
  // Slots group as F3-F4, F5-F8, F9-F12.
  EXPECT_EQ(TShiftPager::SlotLeft(1) - TShiftPager::SlotLeft(0), 76);
  EXPECT_EQ(TShiftPager::SlotLeft(2) - TShiftPager::SlotLeft(1), 76 + 14);
  EXPECT_EQ(TShiftPager::SlotLeft(6) - TShiftPager::SlotLeft(5), 76 + 14);
  // A click and Enter on the active button run it.
  QTest::mouseClick(keys, Qt::LeftButton, {}, keys->CellRect(2).center());
  EXPECT_EQ(loads, 3);
  EXPECT_EQ(Active(), "load");
  Key(Qt::Key_Return);
  EXPECT_EQ(loads, 4);
}

TEST(ChartTabs, PageColourIsDarkenedAndClampedAtZero) {
  EXPECT_EQ(TChartTabs::Darkened(QColor(0xF0, 0xF0, 0xF0)), QColor(0xD0, 0xD0, 0xD0));
  EXPECT_EQ(TChartTabs::Darkened(QColor(0x10, 0x40, 0x1F)), QColor(0x00, 0x20, 0x00));
}

TEST(BusyWindow, CancelIsRememberedForTheRunToAsk) {
  TBusyWindow busy(nullptr, QStringLiteral("印刷中...\r\rしばらくお待ちください．"), 2);
  busy.show();
  busy.SetLine(0, QStringLiteral("1 ページ"));
  EXPECT_FALSE(busy.Cancelled());
  QTest::keyClick(&busy, Qt::Key_Escape);  // the cancel button's key
  EXPECT_TRUE(busy.Cancelled());
  EXPECT_TRUE(busy.isVisible());  // the run closes it when it stops
}
