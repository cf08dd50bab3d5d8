#include "app/FrmOverview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "AppFonts.h"
#include "FrmMain.h"
#include "FrmOverviewRows.h"
#include "charts/StrengthTrendChart.h"
#include "charts/TrendChart.h"
#include "platform/FolderWatch.h"
#include "platform/QtCanvas.h"
#include "sheets/OverviewSheet.h"
#include "sheets/report/OverviewReport.h"
#include "sheets/report/PdfName.h"
#include "widgets/ChartTabs.h"
#include "widgets/Dialogs.h"

namespace kestrin {

namespace {

using namespace overview_rows;

const QColor kDuplicateColor(0xD0, 0x28, 0x5F);

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The table's texts of a plant row and of a month row.
QStringList PlantTexts(const TOverview& overview, const TOverviewPlant& plant, const TControlRuleSet& rules) {
  QStringList cells = OverviewPlantCells(overview, plant, rules);
  cells[0] = FromUtf8(PlantLabelUtf8(plant.Kojo)) + QStringLiteral("（通算 %1 か月）").arg(plant.Months);
  return cells;
}

QStringList MonthTexts(const TOverviewMonth& m, const TControlRuleSet& rules) {
  QStringList row = OverviewMonthCells(m, rules);
  row << QString::fromLocal8Bit(m.File.c_str());
  return row;
}

// The table keeps its rows (the same files in the same places, the same
// duplicates, plants and failures): only texts change.
bool SameShape(const TOverview& a, const TOverview& b) {
  if (a.Months.size() != b.Months.size() || a.Plants.size() != b.Plants.size() ||
      a.FailedFiles.size() != b.FailedFiles.size())
    return false;
  for (std::size_t i = 0; i < a.Months.size(); ++i)
    if (a.Months[i].File != b.Months[i].File || a.Months[i].Duplicate != b.Months[i].Duplicate) return false;
  for (std::size_t i = 0; i < a.Plants.size(); ++i)
    if (a.Plants[i].Kojo != b.Plants[i].Kojo || a.Plants[i].MonthIndexes != b.Plants[i].MonthIndexes)
      return false;
  for (std::size_t i = 0; i < a.FailedFiles.size(); ++i)
    if (a.FailedFiles[i].File != b.FailedFiles[i].File || a.FailedFiles[i].Reason != b.FailedFiles[i].Reason)
      return false;
  return true;
}

}  // namespace

TFrmOverview::TFrmOverview(const TSettings* settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("FrmOverview"));
  setWindowTitle(QStringLiteral("年間推移"));
  setFont(BaseFont());
  setSizeGripEnabled(true);
  resize(980, 640);

  auto button = [this](const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* addFiles = button("ファイル追加(&A)...");
  QPushButton* addFolder = button("フォルダ追加(&D)...");
  remove_ = button("削除(&R)");
  preview_ = button("印刷プレビュー(&V)");
  print_ = button("印刷(&P)");
  reload_ = button("再読込(F5)");
  QPushButton* close = button("閉じる");
  addFiles->setObjectName(QStringLiteral("BtnAddFiles"));
  addFolder->setObjectName(QStringLiteral("BtnAddFolder"));
  remove_->setObjectName(QStringLiteral("BtnRemove"));
  preview_->setObjectName(QStringLiteral("BtnPreview"));
  print_->setObjectName(QStringLiteral("BtnPrint"));
  remove_->setShortcut(QKeySequence::Delete);
  reload_->setObjectName(QStringLiteral("BtnReload"));
  reload_->setShortcut(Qt::Key_F5);
  connect(reload_, &QPushButton::clicked, this, [this] { Reload(); });
  connect(addFiles, &QPushButton::clicked, this, [this] { AddFilesClick(); });
  connect(addFolder, &QPushButton::clicked, this, [this] { AddFolderClick(); });
  connect(remove_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
  connect(preview_, &QPushButton::clicked, this, [this] { PreviewPrintClick(true); });
  connect(print_, &QPushButton::clicked, this, [this] { PreviewPrintClick(false); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  // The switch スランプ／強度 of the table and the chart.
  slumpView_ = button("スランプ");
  strengthViewButton_ = button("強度");
  slumpView_->setObjectName(QStringLiteral("BtnSlumpView"));
  strengthViewButton_->setObjectName(QStringLiteral("BtnStrengthView"));
  for (QPushButton* b : {slumpView_, strengthViewButton_}) b->setCheckable(true);
  slumpView_->setChecked(true);
  connect(slumpView_, &QPushButton::clicked, this, [this] { SetStrengthView(false); });
  connect(strengthViewButton_, &QPushButton::clicked, this, [this] { SetStrengthView(true); });

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {addFiles, addFolder, remove_, reload_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(new QLabel(QStringLiteral("表示："), this));
  buttons->addWidget(slumpView_);
  buttons->addWidget(strengthViewButton_);
  buttons->addSpacing(12);
  for (QPushButton* b : {preview_, print_, close}) buttons->addWidget(b);

  table_ = new QTreeWidget(this);
  table_->setObjectName(QStringLiteral("OverviewTable"));
  QStringList captions = OverviewColumnCaptions();
  captions[0] = QStringLiteral("工場／月度");
  captions << QStringLiteral("ファイル");
  table_->setHeaderLabels(captions);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setUniformRowHeights(true);
  table_->setRootIsDecorated(true);
  table_->header()->setStretchLastSection(true);
  table_->header()->setDefaultAlignment(Qt::AlignCenter);
  connect(table_, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });

  strengthTable_ = new QTreeWidget(this);
  strengthTable_->setObjectName(QStringLiteral("OverviewStrengthTable"));
  QStringList strengthCaptions = OverviewStrengthCaptions();
  strengthCaptions[0] = QStringLiteral("工場・呼び強度／月度");
  strengthCaptions << QStringLiteral("ファイル");
  strengthTable_->setHeaderLabels(strengthCaptions);
  strengthTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  strengthTable_->setUniformRowHeights(true);
  strengthTable_->setRootIsDecorated(true);
  strengthTable_->header()->setStretchLastSection(true);
  strengthTable_->header()->setDefaultAlignment(Qt::AlignCenter);
  connect(strengthTable_, &QTreeWidget::itemSelectionChanged, this, [this] { StrengthSelectionChanged(); });
  tables_ = new QStackedWidget(this);
  tables_->addWidget(table_);
  tables_->addWidget(strengthTable_);

  chart_ = new TPaintBox(this);
  chart_->setObjectName(QStringLiteral("OverviewChart"));
  chart_->setMinimumHeight(200);
  chart_->Background = QColor(0xF0, 0xF0, 0xF0);
  chart_->OnPaint = [this](QPainter& p, const QRect& r) {
    const TRect rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    if (strengthView_) {
      if (currentMix_ < 0) return;
      TQtCanvas canvas(&p);
      DrawStrengthTrendChart(canvas, rect,
                             StrengthTrendPoints(overview_, static_cast<std::size_t>(currentMix_)), 12);
      return;
    }
    if (currentPlant_ < 0) return;
    const std::vector<TTrendPoint> points =
        TrendPoints(overview_, static_cast<std::size_t>(currentPlant_));
    TQtCanvas canvas(&p);
    DrawTrendChart(canvas, rect, points, 12);
  };

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(tables_);
  split->addWidget(chart_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("OverviewStatus"));

  refresh_ = new QTimer(this);
  refresh_->setSingleShot(true);
  refresh_->setInterval(300);  // a save or a copy of many files ends first
  connect(refresh_, &QTimer::timeout, this, [this] {
    if (lost_) RefreshFromDisk();
    else ApplyChanges();
  });
  watch_ = std::make_unique<TFolderWatch>();
  watch_->OnChanged = [this](const std::string& path, bool folder) { NameChanged(path, folder); };
  watch_->OnLost = [this] {
    lost_ = true;
    refresh_->start();
  };

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(split, 1);
  layout->addWidget(status_);
  Rebuild();
}

TFrmOverview::~TFrmOverview() = default;

void TFrmOverview::AddPaths(const QStringList& paths, bool recursive) {
  std::set<std::string> listed;
  for (const TOverviewMonth& m : months_) listed.insert(m.File);
  for (const TStrengthOverviewMonth& m : strength_) listed.insert(m.File);
  for (const TOverviewFailure& f : failures_) listed.insert(f.File);
  for (const TOverviewFailure& f : folderFailures_) listed.insert(f.File);
  std::vector<std::string> files;
  for (const QString& p : paths) {
    const std::string path = Local(p);
    removed_.erase(path);
    if (QFileInfo(p).isDir()) {
      if (std::find_if(folders_.begin(), folders_.end(),
                       [&](const auto& f) { return f.first == path; }) == folders_.end())
        folders_.emplace_back(path, recursive);
      std::vector<std::string> found;
      std::vector<TOverviewFailure> unread;
      std::vector<std::string> walked;
      ListOverviewFiles(path, recursive, found, unread, &walked);
      listedFolders_.insert(walked.begin(), walked.end());
      files.insert(files.end(), found.begin(), found.end());
      for (TOverviewFailure& f : unread)
        if (listed.insert(f.File).second) folderFailures_.push_back(std::move(f));
    } else {
      files.push_back(path);
    }
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (const std::string& f : files) {
    if (!listed.insert(f).second) continue;
    removed_.erase(f);
    ReadInto(f);
  }
  QApplication::restoreOverrideCursor();
  Rebuild();
}

void TFrmOverview::ReadInto(const std::string& path) {
  std::string reason;
  if (IsStrengthFileName(path)) {
    TStrengthOverviewMonth m;
    if (ReadStrengthOverviewMonth(path, m, reason)) strength_.push_back(std::move(m));
    else failures_.push_back({path, reason});
    return;
  }
  TOverviewMonth m;
  if (ReadOverviewMonth(path, m, reason))
    months_.push_back(std::move(m));
  else
    failures_.push_back({path, reason});
}

void TFrmOverview::RemoveSelected() {
  std::set<std::string> gone;
  for (QTreeWidgetItem* item : table_->selectedItems()) {
    const int kind = item->data(0, kKindRole).toInt();
    const auto index = static_cast<std::size_t>(item->data(0, kIndexRole).toLongLong());
    if (kind == rowMonth && index < overview_.Months.size()) {
      gone.insert(overview_.Months[index].File);
    } else if (kind == rowPlant && index < overview_.Plants.size()) {
      for (std::size_t i : overview_.Plants[index].MonthIndexes) gone.insert(overview_.Months[i].File);
    } else if (kind == rowFailure && index < overview_.FailedFiles.size()) {
      gone.insert(overview_.FailedFiles[index].File);
    } else if (kind == rowFailures) {
      for (const TOverviewFailure& f : overview_.FailedFiles) gone.insert(f.File);
    }
  }
  for (QTreeWidgetItem* item : strengthTable_->selectedItems()) {
    const int kind = item->data(0, kKindRole).toInt();
    const auto index = static_cast<std::size_t>(item->data(0, kIndexRole).toLongLong());
    if (kind == rowStrengthMonth && index < overview_.StrengthMonths.size()) {
      gone.insert(overview_.StrengthMonths[index].File);
    } else if (kind == rowMix && index < overview_.StrengthMixes.size()) {
      for (std::size_t i : overview_.StrengthMixes[index].MonthIndexes)
        gone.insert(overview_.StrengthMonths[i].File);
    }
  }
  if (gone.empty()) return;
  removed_.insert(gone.begin(), gone.end());
  std::erase_if(months_, [&](const TOverviewMonth& m) { return gone.count(m.File) > 0; });
  std::erase_if(strength_, [&](const TStrengthOverviewMonth& m) { return gone.count(m.File) > 0; });
  std::erase_if(failures_, [&](const TOverviewFailure& f) { return gone.count(f.File) > 0; });
  std::erase_if(folderFailures_, [&](const TOverviewFailure& f) { return gone.count(f.File) > 0; });
  Rebuild();
}

void TFrmOverview::RemoveAll() {
  months_.clear();
  strength_.clear();
  failures_.clear();
  folderFailures_.clear();
  folders_.clear();
  listedFolders_.clear();
  removed_.clear();
  changed_.clear();
  Rebuild();
}

void TFrmOverview::AddFilesClick() {
  TFileRequest r;
  r.Parent = this;
  r.Caption = QStringLiteral("年間推移に加えるファイル");
  r.Directory = dialogFolder_;
  r.NameFilters = {QStringLiteral("月度データ・強度試験データ (*.slt *.kst)"),
                   QString::fromUtf8(kDataFileFilter), QStringLiteral("強度試験データ (*.kst)")};
  const QStringList files = Dialogs().Files(r);
  if (files.isEmpty()) return;
  dialogFolder_ = QFileInfo(files.first()).absolutePath();
  AddPaths(files);
}

void TFrmOverview::AddFolderClick() {
  TFileRequest r;
  r.Parent = this;
  r.Caption = QStringLiteral("年間推移に加えるフォルダ");
  r.Directory = dialogFolder_;
  r.Folder = true;
  const QStringList folders = Dialogs().Files(r);
  if (folders.isEmpty()) return;
  dialogFolder_ = folders.first();
  AddPaths(folders);
}

void TFrmOverview::PreviewPrintClick(bool preview) {
  if (overview_.Plants.empty()) return;
  if (reportHandler_) {
    reportHandler_(preview);
    return;
  }
  RunReport(preview);
}

void TFrmOverview::RunReport(bool preview) {
  if (!report_) report_ = std::make_unique<TOverviewReport>(&overview_, settings_, this);
  // Without a printer the print is a PDF named after the period, in the
  // folder the file dialogs show first.
  report_->Rep.PdfName = OverviewPdfName(overview_);
  report_->Rep.PdfFolder = dialogFolder_;
  report_->Rep.DocumentTitle = QStringLiteral("スランプ試験（年間推移）");
  report_->Run(preview, preview ? nullptr : print_);
  if (const QString pdf = report_->Rep.WrittenPdf(); !pdf.isEmpty())
    status_->setText(QStringLiteral("PDF に保存しました：") + QDir::toNativeSeparators(pdf));
}

void TFrmOverview::SetCurrentPlant(int plant) {
  if (plant < -1 || plant >= static_cast<int>(overview_.Plants.size())) plant = -1;
  currentPlant_ = plant;
  chart_->update();
}

void TFrmOverview::Rebuild() { Rebuild({}); }

void TFrmOverview::Rebuild(const std::set<std::string>& changed) {
  const AnsiString shown =
      currentPlant_ >= 0 && currentPlant_ < static_cast<int>(overview_.Plants.size())
          ? overview_.Plants[static_cast<std::size_t>(currentPlant_)].Kojo
          : AnsiString();
  std::optional<std::pair<AnsiString, int32_t>> shownMix;
  if (currentMix_ >= 0 && currentMix_ < static_cast<int>(overview_.StrengthMixes.size())) {
    const TStrengthOverviewMix& mix = overview_.StrengthMixes[static_cast<std::size_t>(currentMix_)];
    shownMix.emplace(mix.Kojo, mix.Nominal);
  }
  std::vector<TOverviewFailure> failures = failures_;
  failures.insert(failures.end(), folderFailures_.begin(), folderFailures_.end());
  // Plants in the order of the settings' plant list, then by name.
  std::vector<AnsiString> order;
  if (settings_) order.assign(settings_->KojoNames.begin(), settings_->KojoNames.end());
  TOverview next = MakeOverview(months_, std::move(failures), order, strength_);
  const bool inPlace = !changed.empty() && SameShape(overview_, next);
  overview_ = std::move(next);
  Watch();
  // The chart keeps its plant while that plant is listed; else the first
  // plant with month files.
  currentPlant_ = overview_.Plants.empty() ? -1 : 0;
  for (std::size_t i = overview_.Plants.size(); i-- > 0;)
    if (!overview_.Plants[i].MonthIndexes.empty()) currentPlant_ = static_cast<int>(i);
  for (std::size_t i = 0; i < overview_.Plants.size(); ++i)
    if (overview_.Plants[i].Kojo == shown) currentPlant_ = static_cast<int>(i);
  // The chart keeps its mix while that mix is listed.
  currentMix_ = overview_.StrengthMixes.empty() ? -1 : 0;
  for (std::size_t i = 0; i < overview_.StrengthMixes.size() && shownMix; ++i)
    if (overview_.StrengthMixes[i].Kojo == shownMix->first &&
        overview_.StrengthMixes[i].Nominal == shownMix->second)
      currentMix_ = static_cast<int>(i);
  if (inPlace) UpdateRows(changed);
  else FillTable();
  FillStrengthTable();
  // The view follows what there is: strength logs alone show the strength
  // view, month files alone the slump view.
  const bool slumps = !overview_.Months.empty(), logs = !overview_.StrengthMonths.empty();
  slumpView_->setEnabled(slumps || !logs);
  strengthViewButton_->setEnabled(logs);
  if (logs && !slumps) SetStrengthView(true);
  else if (!logs) SetStrengthView(false);
  const bool any = !overview_.Plants.empty();
  preview_->setEnabled(any);
  print_->setEnabled(any);
  remove_->setEnabled(any || !overview_.FailedFiles.empty());
  ShowStatus();
  chart_->update();
}

void TFrmOverview::ShowStatus() {
  QString text = QStringLiteral("%1 か月，%2 工場").arg(overview_.Months.size()).arg(overview_.Plants.size());
  if (!overview_.StrengthMonths.empty())
    text += QStringLiteral("，強度試験 %1 件（%2 配合）")
                .arg(overview_.StrengthMonths.size())
                .arg(overview_.StrengthMixes.size());
  if (!overview_.FailedFiles.empty())
    text += QStringLiteral("，読み込めなかったファイル・フォルダ %1").arg(overview_.FailedFiles.size());
  if (overview_.Months.empty() && overview_.StrengthMonths.empty() && overview_.FailedFiles.empty())
    text = QStringLiteral("「ファイル追加」または「フォルダ追加」で月度データを選んでください．");
  if (!watchProblem_.isEmpty())
    text += QStringLiteral("　※ディスク上の変更を追えません（") + watchProblem_ +
            QStringLiteral("）．「再読込」(F5) で読み直してください．");
  status_->setText(text);
}

void TFrmOverview::FillTable() {
  const QSignalBlocker block(table_);
  table_->clear();
  const int columns = table_->columnCount();
  auto align = [columns](QTreeWidgetItem* item) {
    for (int c = 1; c + 2 < columns; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  };
  for (std::size_t p = 0; p < overview_.Plants.size(); ++p) {
    const TOverviewPlant& plant = overview_.Plants[p];
    // A plant of strength logs alone is in the strength table only.
    if (plant.MonthIndexes.empty()) continue;
    auto* top = new QTreeWidgetItem(table_, PlantTexts(overview_, plant, Rules()));
    top->setData(0, kKindRole, rowPlant);
    top->setData(0, kIndexRole, static_cast<qlonglong>(p));
    QFont bold = top->font(0);
    bold.setBold(true);
    for (int c = 0; c < columns; ++c) top->setFont(c, bold);
    align(top);
    for (std::size_t i : plant.MonthIndexes) {
      const TOverviewMonth& m = overview_.Months[i];
      auto* item = new QTreeWidgetItem(top, MonthTexts(m, Rules()));
      item->setData(0, kKindRole, rowMonth);
      item->setData(0, kIndexRole, static_cast<qlonglong>(i));
      if (m.Duplicate)
        for (int c = 0; c < columns; ++c) item->setForeground(c, kDuplicateColor);
      align(item);
    }
    top->setExpanded(true);
    if (static_cast<int>(p) == currentPlant_) top->setSelected(true);
  }
  if (!overview_.FailedFiles.empty()) {
    auto* top =
        new QTreeWidgetItem(table_, QStringList{QStringLiteral("読み込めなかったファイル・フォルダ")});
    top->setData(0, kKindRole, rowFailures);
    top->setForeground(0, kDuplicateColor);
    for (std::size_t i = 0; i < overview_.FailedFiles.size(); ++i) {
      const TOverviewFailure& f = overview_.FailedFiles[i];
      QStringList row;
      for (int c = 0; c < columns; ++c) row << QString();
      row[0] = FromUtf8(f.Reason);
      row[columns - 1] = QString::fromLocal8Bit(f.File.c_str());
      auto* item = new QTreeWidgetItem(top, row);
      item->setData(0, kKindRole, rowFailure);
      item->setData(0, kIndexRole, static_cast<qlonglong>(i));
    }
    top->setExpanded(true);
  }
  for (int c = 0; c + 1 < columns; ++c) table_->resizeColumnToContents(c);
}

void TFrmOverview::UpdateRows(const std::set<std::string>& changed) {
  const QSignalBlocker block(table_);
  auto set = [](QTreeWidgetItem* item, const QStringList& texts) {
    for (int c = 0; c < texts.size(); ++c)
      if (item->text(c) != texts[c]) item->setText(c, texts[c]);
  };
  int row = 0;
  for (std::size_t p = 0; p < overview_.Plants.size(); ++p) {
    const TOverviewPlant& plant = overview_.Plants[p];
    if (plant.MonthIndexes.empty()) continue;  // not in the month table
    QTreeWidgetItem* top = table_->topLevelItem(row++);
    bool any = false;
    for (std::size_t k = 0; k < plant.MonthIndexes.size(); ++k) {
      const TOverviewMonth& m = overview_.Months[plant.MonthIndexes[k]];
      if (!changed.count(m.File)) continue;
      any = true;
      set(top->child(static_cast<int>(k)), MonthTexts(m, Rules()));
    }
    if (any) set(top, PlantTexts(overview_, plant, Rules()));
  }
}

void TFrmOverview::SelectionChanged() {
  const QList<QTreeWidgetItem*> items = table_->selectedItems();
  if (items.isEmpty()) return;
  QTreeWidgetItem* item = items.first();
  if (item->parent() != nullptr && item->data(0, kKindRole).toInt() == rowMonth) item = item->parent();
  if (item->data(0, kKindRole).toInt() == rowPlant)
    SetCurrentPlant(item->data(0, kIndexRole).toInt());
}

// ------------------------------------------------------------ main window

TFrmOverview* OverviewWindow(const QWidget& owner) {
  return owner.findChild<TFrmOverview*>(QStringLiteral("FrmOverview"), Qt::FindDirectChildrenOnly);
}

}  // namespace kestrin
