#include "app/FrmOverview.h"

#include <QApplication>
#include <QFile>
#include <QFileSystemWatcher>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <sys/stat.h>

#include <algorithm>

#include "AppFonts.h"
#include "FrmMain.h"
#include "charts/TrendChart.h"
#include "platform/QtCanvas.h"
#include "sheets/OverviewSheet.h"
#include "sheets/report/OverviewReport.h"
#include "widgets/ChartTabs.h"
#include "widgets/Dialogs.h"

namespace kestrin {

namespace {

// Item data: the plant index of a plant row, the month index of a month
// row, the failure index of a failure row.
constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;
enum TRowKind { rowPlant = 1, rowMonth = 2, rowFailure = 3, rowFailures = 4 };

const QColor kDuplicateColor(0xD0, 0x28, 0x5F);

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromLocal(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
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
  QPushButton* close = button("閉じる");
  addFiles->setObjectName(QStringLiteral("BtnAddFiles"));
  addFolder->setObjectName(QStringLiteral("BtnAddFolder"));
  remove_->setObjectName(QStringLiteral("BtnRemove"));
  preview_->setObjectName(QStringLiteral("BtnPreview"));
  print_->setObjectName(QStringLiteral("BtnPrint"));
  remove_->setShortcut(QKeySequence::Delete);
  connect(addFiles, &QPushButton::clicked, this, [this] { AddFilesClick(); });
  connect(addFolder, &QPushButton::clicked, this, [this] { AddFolderClick(); });
  connect(remove_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
  connect(preview_, &QPushButton::clicked, this, [this] { PreviewPrintClick(true); });
  connect(print_, &QPushButton::clicked, this, [this] { PreviewPrintClick(false); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {addFiles, addFolder, remove_}) buttons->addWidget(b);
  buttons->addStretch(1);
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

  chart_ = new TPaintBox(this);
  chart_->setObjectName(QStringLiteral("OverviewChart"));
  chart_->setMinimumHeight(200);
  chart_->Background = QColor(0xF0, 0xF0, 0xF0);
  chart_->OnPaint = [this](QPainter& p, const QRect& r) {
    if (currentPlant_ < 0) return;
    const std::vector<TTrendPoint> points =
        TrendPoints(overview_, static_cast<std::size_t>(currentPlant_));
    TQtCanvas canvas(&p);
    DrawTrendChart(canvas, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, points, 12);
  };

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(table_);
  split->addWidget(chart_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("OverviewStatus"));

  watcher_ = new QFileSystemWatcher(this);
  refresh_ = new QTimer(this);
  refresh_->setSingleShot(true);
  refresh_->setInterval(300);  // a save or a copy of many files ends first
  connect(refresh_, &QTimer::timeout, this, [this] { RefreshFromDisk(); });
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    changed_.insert(Local(path));
    refresh_->start();
  });
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { refresh_->start(); });

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
  for (const TOverviewFailure& f : failures_) listed.insert(f.File);
  std::vector<std::string> files;
  for (const QString& p : paths) {
    const std::string path = Local(p);
    removed_.erase(path);
    if (QFileInfo(p).isDir()) {
      if (std::find_if(folders_.begin(), folders_.end(),
                       [&](const auto& f) { return f.first == path; }) == folders_.end())
        folders_.emplace_back(path, recursive);
      std::vector<std::string> found;
      std::string error;
      if (ListMonthFiles(path, recursive, found, error))
        files.insert(files.end(), found.begin(), found.end());
      else if (listed.insert(path).second)
        failures_.push_back({path, error});
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
  TOverviewMonth m;
  std::string reason;
  if (ReadOverviewMonth(path, m, reason))
    months_.push_back(std::move(m));
  else
    failures_.push_back({path, reason});
}

void TFrmOverview::RefreshFromDisk() {
  auto listed = [this](const std::string& f) {
    return std::any_of(months_.begin(), months_.end(), [&](const auto& m) { return m.File == f; }) ||
           std::any_of(failures_.begin(), failures_.end(), [&](const auto& x) { return x.File == f; });
  };
  // Changed files are read again; files gone from the disk leave the list.
  std::set<std::string> reread;
  for (const std::string& f : changed_)
    if (listed(f)) reread.insert(f);
  changed_.clear();
  std::erase_if(months_, [&](const TOverviewMonth& m) { return reread.count(m.File) || !Exists(m.File); });
  std::erase_if(failures_, [&](const TOverviewFailure& x) { return reread.count(x.File) || !Exists(x.File); });
  for (const std::string& f : reread)
    if (Exists(f)) ReadInto(f);
  // New month files of the chosen folders join.
  for (const auto& [folder, recursive] : folders_) {
    std::vector<std::string> found;
    std::string error;
    if (!ListMonthFiles(folder, recursive, found, error)) continue;
    for (const std::string& f : found)
      if (!removed_.count(f) && !listed(f)) ReadInto(f);
  }
  Rebuild();
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
  if (gone.empty()) return;
  removed_.insert(gone.begin(), gone.end());
  std::erase_if(months_, [&](const TOverviewMonth& m) { return gone.count(m.File) > 0; });
  std::erase_if(failures_, [&](const TOverviewFailure& f) { return gone.count(f.File) > 0; });
  Rebuild();
}

void TFrmOverview::RemoveAll() {
  months_.clear();
  failures_.clear();
  folders_.clear();
  removed_.clear();
  changed_.clear();
  Rebuild();
}

void TFrmOverview::Watch() {
  QStringList paths;
  for (const auto& f : folders_) paths << FromLocal(f.first);
  for (const TOverviewMonth& m : months_) paths << FromLocal(m.File);
  for (const TOverviewFailure& x : failures_)
    if (Exists(x.File)) paths << FromLocal(x.File);
  const QStringList watched = watcher_->files() + watcher_->directories();
  QStringList gone;
  for (const QString& w : watched)
    if (!paths.contains(w)) gone << w;
  if (!gone.isEmpty()) watcher_->removePaths(gone);
  QStringList fresh;
  for (const QString& p : paths)
    if (!watched.contains(p)) fresh << p;
  // A file replaced by a save (a new file renamed over it) drops out of the
  // watch; adding it again keeps following it.
  if (!fresh.isEmpty()) watcher_->addPaths(fresh);
}

void TFrmOverview::AddFilesClick() {
  TFileRequest r;
  r.Parent = this;
  r.Caption = QStringLiteral("年間推移に加えるファイル");
  r.Directory = dialogFolder_;
  r.NameFilters = {QString::fromUtf8(kDataFileFilter)};
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
  report_->Run(preview, preview ? nullptr : print_);
}

void TFrmOverview::SetCurrentPlant(int plant) {
  if (plant < -1 || plant >= static_cast<int>(overview_.Plants.size())) plant = -1;
  currentPlant_ = plant;
  chart_->update();
}

void TFrmOverview::Rebuild() {
  const AnsiString shown =
      currentPlant_ >= 0 && currentPlant_ < static_cast<int>(overview_.Plants.size())
          ? overview_.Plants[static_cast<std::size_t>(currentPlant_)].Kojo
          : AnsiString();
  overview_ = MakeOverview(months_, failures_);
  Watch();
  // The chart keeps its plant while that plant is listed.
  currentPlant_ = overview_.Plants.empty() ? -1 : 0;
  for (std::size_t i = 0; i < overview_.Plants.size(); ++i)
    if (overview_.Plants[i].Kojo == shown) currentPlant_ = static_cast<int>(i);
  FillTable();
  const bool any = !overview_.Plants.empty();
  preview_->setEnabled(any);
  print_->setEnabled(any);
  remove_->setEnabled(any || !overview_.FailedFiles.empty());
  QString text = QStringLiteral("%1 か月，%2 工場").arg(overview_.Months.size()).arg(overview_.Plants.size());
  if (!overview_.FailedFiles.empty())
    text += QStringLiteral("，読み込めなかったファイル %1").arg(overview_.FailedFiles.size());
  if (overview_.Months.empty() && overview_.FailedFiles.empty())
    text = QStringLiteral("「ファイル追加」または「フォルダ追加」で月度データを選んでください．");
  status_->setText(text);
  chart_->update();
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
    QStringList cells = OverviewPlantCells(plant);
    cells[0] = FromUtf8(PlantLabelUtf8(plant.Kojo)) + QStringLiteral("（通算 %1 か月）").arg(plant.Months);
    auto* top = new QTreeWidgetItem(table_, cells);
    top->setData(0, kKindRole, rowPlant);
    top->setData(0, kIndexRole, static_cast<qlonglong>(p));
    QFont bold = top->font(0);
    bold.setBold(true);
    for (int c = 0; c < columns; ++c) top->setFont(c, bold);
    align(top);
    for (std::size_t i : plant.MonthIndexes) {
      const TOverviewMonth& m = overview_.Months[i];
      QStringList row = OverviewMonthCells(m);
      row << QString::fromLocal8Bit(m.File.c_str());
      auto* item = new QTreeWidgetItem(top, row);
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
    auto* top = new QTreeWidgetItem(table_, QStringList{QStringLiteral("読み込めなかったファイル")});
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
