// The strength window: construction, menus, commits and repaint (see
// FrmStrength.h). Files are in FrmStrengthFiles.cpp, table editing in
// FrmStrengthEdit.cpp.
#include "FrmStrength.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "AppFonts.h"
#include "RecentFiles.h"
#include "RecoveryKeeper.h"
#include "StrengthCsvDialog.h"
#include "StrengthDelegate.h"
#include "StrengthMixBar.h"
#include "StrengthPanel.h"
#include "StrengthTableModel.h"
#include "core/Cp932.h"
#include "core/Version.h"
#include "sheets/report/StrengthReport.h"
#include "widgets/Dialogs.h"
#include "widgets/StatusLine.h"

namespace kestrin {

namespace {

// Column widths of the table, in pixels.
int ColumnWidth(TStrengthColumn c) {
  switch (c) {
    case TStrengthColumn::Day: return 34;
    case TStrengthColumn::Time: return 50;
    case TStrengthColumn::Truck: return 60;
    case TStrengthColumn::Remarks: return 140;
    case TStrengthColumn::Judgement: return 56;
    default: return 52;
  }
}

}  // namespace

TFrmStrength::TFrmStrength(const TSettings* settings, const TMainData* month, TRecentFiles* recent,
                           QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      month_(month),
      recent_(recent),
      csvImport_([](QWidget* parent, QString& folder, int32_t days) {
        return AskStrengthCsvImport(parent, folder, days);
      }) {
  setObjectName(QStringLiteral("FrmStrength"));
  // A window of its own in front of the main window, deleted with it.
  setWindowFlag(Qt::Window);
  setAcceptDrops(true);
  resize(1060, 760);
  history_ = std::make_unique<TStrengthHistory>(
      work_, [this](const TStrengthPlace& place) { ShowPlace(place); }, this);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  mixBar_ = new TStrengthMixBar(central);
  layout->addWidget(mixBar_);
  auto* split = new QSplitter(Qt::Vertical, central);
  table_ = new QTableView(split);
  table_->setObjectName(QStringLiteral("StrengthTable"));
  model_ = new TStrengthTableModel(
      &work_, &figures_,
      [this](int test, TStrengthColumn column, const QString& text) {
        return CommitCell(test, column, text);
      },
      this);
  delegate_ = new TStrengthDelegate(
      [this](const QModelIndex& index, const QString& text) {
        return CheckCell(index.row(), static_cast<TStrengthColumn>(index.column()), text);
      },
      this);
  table_->setModel(model_);
  table_->setItemDelegate(delegate_);
  table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
  table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  for (int c = 0; c < kStrengthColumns; ++c)
    table_->setColumnWidth(c, ColumnWidth(static_cast<TStrengthColumn>(c)));
  table_->installEventFilter(this);
  panel_ = new TStrengthPanel(split);
  panel_->setObjectName(QStringLiteral("StrengthPanel"));
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  layout->addWidget(split, 1);
  status_ = new TStatusLine(central);
  status_->setObjectName(QStringLiteral("StrengthStatus"));
  layout->addWidget(status_);
  setCentralWidget(central);

  CreateMenus();
  ConnectCommands();
  QStringList plants;
  if (settings_)
    for (int i = 0; i < kKojoNameCount; ++i)
      if (const AnsiString name = KojoChoice(*settings_, i); !name.empty())
        plants << QString::fromStdString(Cp932ToUtf8Lossy(name));
  mixBar_->SetPlants(plants);
  RebuildRecentMenu();
  // A new log of this month.
  TStrengthLog log;
  log.Year = QDate::currentDate().year();
  log.Month = QDate::currentDate().month();
  Reset(std::move(log), {});
}

TFrmStrength::~TFrmStrength() {
  // The children outlive the history: a field that loses the focus while
  // they are taken down commits to nothing.
  mixBar_->disconnect(this);
  model_->disconnect(this);
  delegate_->disconnect(this);
}

void TFrmStrength::CreateMenus() {
  menuBar()->setFont(BaseFont());
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  newAction_ = file->addAction(QStringLiteral("新規(&N)"));
  newAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  openAction_ = file->addAction(QStringLiteral("開く(&O)..."));
  openAction_->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_O)});
  saveAction_ = file->addAction(QStringLiteral("名前を付けて保存(&A)..."));
  saveAction_->setShortcuts({QKeySequence(Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
  saveInPlaceAction_ = file->addAction(QStringLiteral("上書き保存(&S)"));
  saveInPlaceAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  recentMenu_ = file->addMenu(QStringLiteral("最近使ったファイル(&R)"));
  file->addSeparator();
  importAction_ = file->addAction(QStringLiteral("CSV取込(&I)..."));
  file->addSeparator();
  previewAction_ = file->addAction(QStringLiteral("印刷プレビュー(&V)"));
  previewAction_->setShortcut(QKeySequence(Qt::Key_F8));
  printAction_ = file->addAction(QStringLiteral("印刷(&P)"));
  printAction_->setShortcuts({QKeySequence(Qt::Key_F9), QKeySequence(Qt::CTRL | Qt::Key_P)});
  file->addSeparator();
  closeAction_ = file->addAction(QStringLiteral("閉じる(&C)"));
  closeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  undoAction_ = edit->addAction(QStringLiteral("元に戻す(&U)"));
  undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redoAction_ = edit->addAction(QStringLiteral("やり直し(&R)"));
  redoAction_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  edit->addSeparator();
  copyAction_ = edit->addAction(QStringLiteral("コピー(&C)"));
  copyAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  pasteAction_ = edit->addAction(QStringLiteral("貼り付け(&P)"));
  pasteAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  deleteAction_ = edit->addAction(QStringLiteral("削除(&D)"));
  deleteAction_->setShortcut(QKeySequence(Qt::Key_Delete));
  edit->addSeparator();
  insertAction_ = edit->addAction(QStringLiteral("試験を挿入(&I)"));
  insertAction_->setShortcut(QKeySequence(Qt::Key_Insert));
  removeAction_ = edit->addAction(QStringLiteral("試験を削除(&T)"));
  removeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
  edit->addSeparator();
  copyMonthAction_ = edit->addAction(QStringLiteral("スランプの月から写す(&M)"));
  for (QMenu* m : {file, edit, recentMenu_}) m->setFont(BaseFont());
}

void TFrmStrength::ConnectCommands() {
  connect(newAction_, &QAction::triggered, this, [this] { NewClick(); });
  connect(openAction_, &QAction::triggered, this, [this] { OpenClick(); });
  connect(saveAction_, &QAction::triggered, this, [this] { SaveClick(); });
  connect(saveInPlaceAction_, &QAction::triggered, this, [this] { SaveInPlaceClick(); });
  connect(importAction_, &QAction::triggered, this, [this] { ImportCsv(); });
  connect(previewAction_, &QAction::triggered, this, [this] { RunReport(true); });
  connect(printAction_, &QAction::triggered, this, [this] { RunReport(false); });
  connect(closeAction_, &QAction::triggered, this, [this] { close(); });
  connect(undoAction_, &QAction::triggered, this, [this] {
    if (CommitEditor()) history_->Stack().undo();
  });
  connect(redoAction_, &QAction::triggered, this, [this] {
    if (CommitEditor()) history_->Stack().redo();
  });
  connect(copyAction_, &QAction::triggered, this, [this] { CopyCells(); });
  connect(pasteAction_, &QAction::triggered, this, [this] { PasteCells(); });
  connect(deleteAction_, &QAction::triggered, this, [this] { ClearCells(); });
  connect(insertAction_, &QAction::triggered, this, [this] { InsertTest(); });
  connect(removeAction_, &QAction::triggered, this, [this] { RemoveTest(); });
  connect(copyMonthAction_, &QAction::triggered, this, [this] { CopyFromMonth(); });
  connect(mixBar_, &TStrengthMixBar::FieldEdited, this, &TFrmStrength::CommitMixField);
  connect(mixBar_, &TStrengthMixBar::CopyFromMonth, this, [this] { CopyFromMonth(); });
  connect(mixBar_, &TStrengthMixBar::ImportCsv, this, [this] { ImportCsv(); });
  connect(model_, &TStrengthTableModel::Refused, this, &TFrmStrength::ShowStatus);
  connect(delegate_, &TStrengthDelegate::Refused, this, &TFrmStrength::ShowStatus);
  connect(delegate_, &TStrengthDelegate::Advance, this, [this] { Advance(); });
  connect(&history_->Stack(), &QUndoStack::cleanChanged, this, [this] { UpdateCaption(); });
}

// ------------------------------------------------------------- commits

bool TFrmStrength::Edited() const { return !history_->Stack().isClean(); }

bool TFrmStrength::Change(const QString& text, const TStrengthPlace& place,
                          const std::function<bool()>& change) {
  const bool changed = history_->Change(text, place, change);
  if (changed) Refresh();
  return changed;
}

QString TFrmStrength::CheckCell(int test, TStrengthColumn column, const QString& text) const {
  if (test < 0 || static_cast<std::size_t>(test) >= work_.Log.Tests.size()) return {};
  TStrengthWork trial = work_;
  return QString::fromStdString(
      SetStrengthCell(trial, static_cast<std::size_t>(test), column, text.toStdString()));
}

QString TFrmStrength::CommitCell(int test, TStrengthColumn column, const QString& text) {
  if (test < 0 || static_cast<std::size_t>(test) >= work_.Log.Tests.size()) return {};
  std::string why;
  Change(QStringLiteral("入力"), {test, static_cast<int>(column)}, [&] {
    why = SetStrengthCell(work_, static_cast<std::size_t>(test), column, text.toStdString());
    return why.empty();
  });
  if (why.empty()) ShowStatus({});
  return QString::fromStdString(why);
}

void TFrmStrength::CommitMixField(TStrengthMixField field, const QString& text) {
  std::string why;
  Change(QString::fromUtf8(StrengthMixFieldName(field)), {}, [&] {
    why = SetStrengthMixField(work_.Log, field, text.toStdString());
    return why.empty();
  });
  if (!why.empty()) {
    ShowStatus(QString::fromStdString(why));
    // The field shows the log's value again: nothing was taken.
    mixBar_->Show(work_.Log);
  }
}

bool TFrmStrength::CommitEditor() {
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  if (!editor || editor->parentWidget() != table_->viewport()) return true;
  return delegate_->Finish(editor);
}

void TFrmStrength::Refresh() {
  figures_ = ComputeStrengthFigures(work_.Log);
  model_->Refresh();
  mixBar_->Show(work_.Log);
  panel_->Show(work_.Log, figures_);
  UpdateCaption();
  KeepRecovery();
}

void TFrmStrength::ShowPlace(const TStrengthPlace& place) {
  Refresh();
  if (place.Test >= 0) SetCurrent(place.Test, place.Column);
}

void TFrmStrength::UpdateCaption() {
  const QString name = fileName_.isEmpty() ? QStringLiteral("（新規）") : QFileInfo(fileName_).fileName();
  setWindowTitle(QStringLiteral("強度試験 - %1[*]").arg(name));
  setWindowModified(Edited());
}

void TFrmStrength::ShowStatus(const QString& text) { status_->SetText(text); }

bool TFrmStrength::ConfirmYesNo(const QString& text) {
  QApplication::beep();
  TMessageRequest r;
  r.Parent = this;
  r.Caption = QStringLiteral("確認");
  r.Text = text;
  r.Icon = TMessageIcon::Question;
  r.YesNo = true;
  return Dialogs().Message(r);
}

void TFrmStrength::ShowError(const QString& text) {
  TMessageRequest r;
  r.Parent = this;
  r.Caption = QString::fromUtf8(kProductName);
  r.Text = text;
  Dialogs().Message(r);
}

void TFrmStrength::closeEvent(QCloseEvent* event) {
  if (!CommitEditor() || (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskCloseStrength)))) {
    event->ignore();
    return;
  }
  // Changes the user chose not to keep are gone: the window opens next
  // time with the log as it was saved (a new one when it never was).
  if (Edited()) {
    if (inPlaceFile_.isEmpty() || !history_->Stack().canUndo()) {
      TStrengthLog log;
      log.Plant = work_.Log.Plant;
      log.Year = work_.Log.Year;
      log.Month = work_.Log.Month;
      log.Mix = work_.Log.Mix;
      Reset(std::move(log), {});
    } else {
      while (!history_->Stack().isClean() && history_->Stack().canUndo()) history_->Stack().undo();
    }
  }
  // A normal close: nothing is left to recover.
  if (recovery_) recovery_->Discard();
  event->accept();
}

bool TFrmStrength::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
      Advance();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

TFrmStrength* StrengthWindow(const QWidget& owner) {
  return owner.findChild<TFrmStrength*>(QStringLiteral("FrmStrength"), Qt::FindDirectChildrenOnly);
}

}  // namespace kestrin
