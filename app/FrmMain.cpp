// The main window's life: creation, first show with the settings, close
// with the unsaved-changes question, the recomputation and repaint after a
// commit, the day cells' handlers, drag and drop and a second start's
// requests.
#include "FrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTimer>

#include "AppFonts.h"
#include "ControlPage.h"
#include "FrmSetup.h"
#include "FrmStrength.h"
#include "RecordHistory.h"
#include "RecoveryKeeper.h"
#include "SettingsStore.h"
#include "SignalPage.h"
#include "WindowPlacement.h"
#include "charts/HistogramChart.h"
#include "charts/XChart.h"
#include "core/Numbers.h"
#include "platform/QtCanvas.h"
#include "sheets/report/SheetReport.h"
#include "widgets/BusyWindow.h"
#include "widgets/CellManager.h"
#include "widgets/CellMgrMain.h"
#include "widgets/CellTable.h"
#include "widgets/ChartTabs.h"
#include "widgets/Cp932Text.h"
#include "widgets/EditCells.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/TitleBar.h"

namespace kestrin {

QString FormatAveX(int32_t aveX) {
  const int64_t a = aveX < 0 ? -int64_t{aveX} : int64_t{aveX};
  QString s = QString::number(a / 100) + QLatin1Char('.') +
              QString::number(a % 100).rightJustified(2, QLatin1Char('0'));
  if (aveX < 0) s.prepend(QLatin1Char('-'));
  return s.rightJustified(5, QLatin1Char(' '));
}

QString FormatHensa(long double hensa) {
  return FormatFixed(static_cast<double>(hensa), 3).rightJustified(6, QLatin1Char(' '));
}

TFrmMain::TFrmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("TFrmMain"));
  setFont(BaseFont());
  // Creation: the month record (reset to the current month) and the cement
  // table, one of each for the life of the window.
  mainData_ = std::make_unique<TMainData>();
  cementList_ = std::make_unique<TCementList>();
  MakeCementList(*cementList_);

  CreateRegions();
  CreateMenus();
  CreateHeaderCells();
  CreateDayTable();
  CreateCharts();
  CreateFunctionKeys();
  ConnectCommands();
  ConnectEditing();
  executablePath_ = QCoreApplication::applicationFilePath();
  openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  // A month file dropped anywhere on the window is opened.
  setAcceptDrops(true);

  // Focus order of the groups: header, day table, function keys, charts.
  ui_.CellCoordinator->AddGroup(ui_.Header);
  ui_.CellCoordinator->AddGroup(ui_.DayTable);
  ui_.CellCoordinator->AddGroup(ui_.FunctionKeys);
  ui_.CellCoordinator->AddGroup(ui_.ChartTabs);

  InitialiseState();

  // The paint boxes draw the screen histogram and X chart on a canvas over
  // their painter; the canvas starts with the window's font.
  SetHistogramDrawer([](QPainter& p, const QRect& r, const TMainData& d) {
    TQtCanvas canvas(&p);
    DrawHistogram(canvas, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}, d);
  });
  SetXChartDrawer([this](QPainter& p, const QRect& r, const TMainData& d) {
    TQtCanvas canvas(&p);
    const TRect rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    // The signals belong to the window's own record only.
    if (&d == mainData_.get())
      DrawXChart(canvas, rect, d, signals_);
    else
      DrawXChart(canvas, rect, d);
  });

  // Design size of the client area; the window may grow but not shrink
  // below it.
  const int menuHeight = menuBar()->sizeHint().height();
  setMinimumSize(kClientWidth, kClientHeight + menuHeight);
  resize(kClientWidth, kClientHeight + menuHeight);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect avail = screen->availableGeometry();
    move(avail.center() - QPoint(width() / 2, height() / 2));
  }
}

TFrmMain::~TFrmMain() {
  // A window that was shown and closed without the close question (the
  // application ended) still leaves its placement.
  if (shown_ && !placementSaved_) WritePlacementOnly();
  // The setup dialog edits settings_, a member that is gone by the time
  // QObject's destructor deletes the children: the dialog goes first.
  delete frmSetup_.data();
  report_.reset();
  // The cells' handlers refer to the record: drop the groups' editors
  // before the record goes, and no commit reaches the history any more.
  for (TCellArea* g : ui_.CellCoordinator->Groups()) g->DropActive();
  ui_.CellCoordinator->KeyHook = nullptr;
  ui_.CellCoordinator->disconnect(this);
  // The history clears itself as it goes; the recovery copy stays.
  history_->Stack().disconnect(this);
}

void TFrmMain::InitialiseState() {
  // The year/month pair runs from 1900-01-01 to 2100-12-31.
  datePair_->SetLimits(PackDate(1900, 1, 1), PackDate(2100, 12, 31));
  ui_.CellCoordinator->SetEdited(false);
  // The cement list holds the table's names, "その他" last; the plant list
  // is empty until the settings are read.
  QStringList names;
  for (int32_t i = 0; i < cementList_->Count(); ++i) names << FromAnsi(cementList_->Items(i).Name);
  ui_.CellCement->Items = names;
  ui_.CellKojo->Items.clear();
  UpdateDayRows();
}

bool TFrmMain::Edited() const { return ui_.CellCoordinator->Edited(); }
void TFrmMain::SetEdited(bool edited) { ui_.CellCoordinator->SetEdited(edited); }

void TFrmMain::SetHistogramDrawer(TChartDrawer drawer) {
  histogramDrawer_ = std::move(drawer);
  ui_.HistogramBox->update();
}

void TFrmMain::SetXChartDrawer(TChartDrawer drawer) {
  xChartDrawer_ = std::move(drawer);
  ui_.XChartBox->update();
}

// ------------------------------------------------------------- operations

void TFrmMain::RecalcAndRepaint() {
  mainData_->Calculate();
  capability_ = MonthCapability(*mainData_);
  signals_ = MonthSignals(*mainData_, settings_.SignalLengths());
  ui_.SignalPage->SetContents(capability_, signals_, mainData_->BasicInfo.Getsudo, settings_.SignalLengths());
  RecalcControlChart();
  ui_.HistogramBox->update();
  ui_.XChartBox->update();
  SyncCementMode();
  UpdateDayRows();
}

void TFrmMain::RecalcControlChart() {
  const bool asked = settings_.ReferenceMonths > 0;
  std::vector<TReferenceMonth> reference;
  if (asked && !dataFileName_.isEmpty())
    reference =
        referenceFinder_.Find(QFile::encodeName(QFileInfo(dataFileName_).absolutePath()).toStdString(),
                              *mainData_, settings_.ReferenceMonths);
  controlChart_ = ComputeControlChart(*mainData_, settings_.ControlRules, asked, reference);
  ui_.ControlPage->SetContents(mainData_.get(), controlChart_,
                               MonthCapabilityBounds(*mainData_, controlChart_), settings_.ControlRules);
}

void TFrmMain::UpdateDayRows() {
  const int32_t getsudo = mainData_->BasicInfo.Getsudo;
  // Never more rows than the record has days.
  const int rows = getsudo == 0 ? 0 : std::min(DaysInMonth(getsudo), mainData_->SlumpList.Count());
  ui_.DayTable->SetRowCount(rows);
  ui_.CellCoordinator->RepaintAll();
}

void TFrmMain::UpdateCaption() { setWindowTitle(QStringLiteral("Kestrin ") + dataFileName_); }

void TFrmMain::FocusFirstCell() {
  ui_.DayTable->SetTopRow(0);
  ui_.CellCoordinator->Activate(ui_.CellYear);
  // The year cell may already have been the active cell: show the record's
  // value, not what was typed before.
  ui_.CellCoordinator->ReloadActive();
}

bool TFrmMain::CommitActiveCell() { return ui_.CellCoordinator->CommitActive(); }

void TFrmMain::RebuildKojoList() {
  QStringList names;
  // The names as the record's plant cell takes them, so what is chosen is
  // what the month keeps.
  for (int i = 0; i < kKojoNameCount; ++i) names << FromAnsi(KojoChoice(settings_, i));
  ui_.CellKojo->Items = names;
  if (ui_.CellCoordinator->ActiveCell() == ui_.CellKojo) ui_.CellCoordinator->ReloadActive();
}

void TFrmMain::SyncCementMode() {
  // A standard name offers the list only; any other name can be typed.
  ui_.CellCement->ListOnly = IsStandardCementName(*cementList_, mainData_->BasicInfo.Cement.Name);
}

TSokutei* TFrmMain::Measurement(int row, int which) {
  if (row < 0 || row >= mainData_->SlumpList.Count()) return nullptr;
  TSokuteiList& l = mainData_->SlumpList.Items(row).SokuteiList;
  return which < l.Count() ? &l.Items(which) : nullptr;
}

const TSokutei* TFrmMain::Measurement(int row, int which) const {
  return const_cast<TFrmMain*>(this)->Measurement(row, which);
}

void TFrmMain::DayTextColor(const TCell& cell, TCellColors& colors) const {
  const int32_t date = WithDay(mainData_->BasicInfo.Getsudo, cell.Row + 1);
  switch (DayOfWeekNo(date)) {
    case 1: colors.Text = QColor(0xFF, 0x00, 0x00); break;  // Sunday
    case 7: colors.Text = QColor(0x00, 0x00, 0xFF); break;  // Saturday
    default: colors.Text = Qt::black; break;
  }
}

TCell* TFrmMain::DayCell(int row, TDayColumn column) const { return ui_.DayTable->Cell(row, column); }

// --------------------------------------------------------------- lifecycle

void TFrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FirstShow();
  }
}

void TFrmMain::FirstShow() {
  UpdateCaption();
  ui_.CellCoordinator->Activate(ui_.CellYear);
  TIniFile ini;
  if (store_) {
    const TIniLoadResult read = store_->Read(ini);
    if (read.Failed()) {
      // Said once the window is up; the file stays untouched (see WriteSettings).
      settingsUnreadable_ = true;
      const QString text = QString::fromStdString(read.Message()) + QLatin1Char('\n') +
                           QString::fromUtf8(kSettingsUnreadable);
      QTimer::singleShot(0, this, [this, text] { ShowError(text); });
    }
  }
  if (settingsReader_) {
    settings_ = settingsReader_();
  } else {
    settings_ = kestrin::ReadSettings(ini);
  }
  ReadSettings();
  UpdateDayRows();
  RecalcAndRepaint();
  if (store_ && store_->WritePath().empty()) ShowError(QString::fromUtf8(kSettingsMemoryOnly));
  // The page control's background is its own colour darkened by 32.
  ui_.ChartTabs->Background = TChartTabs::Darkened(ui_.ChartTabs->palette().color(QPalette::Button));
  for (int i = 0; i < ui_.ChartTabs->TabCount(); ++i) ui_.ChartTabs->Tab(i)->Color = ui_.ChartTabs->TabColor;
  ui_.ChartTabs->update();
  // The year cell was opened before the settings: show the record again.
  ui_.CellCoordinator->ReloadActive();
  recent_.Read(ini);
  recentStrength_.Read(ini);
  RebuildRecentMenu();
  // The placement of the last run, when it was written at this resolution.
  RestorePlacement(ini, *this);
}

void TFrmMain::ReadSettings() {
  // The dialogs start in the last data folder; the default person goes
  // into the record; the plant list is the ten names.
  dialogFolder_.clear();
  mainData_->BasicInfo.Tanto = DefaultTanto(settings_);
  RebuildKojoList();
}

void TFrmMain::FillDefaultPerson() {
  AnsiString& tanto = mainData_->BasicInfo.Tanto;
  if (tanto.empty()) tanto = DefaultTanto(settings_);
}

void TFrmMain::SetSettingsStore(std::unique_ptr<TSettingsStore> store) { store_ = std::move(store); }

void TFrmMain::SaveSettingsFile() {
  if (!store_ || settingsUnreadable_) return;
  RememberDataFolder(settings_, QFile::encodeName(dataFileName_).toStdString());
  TIniFile ini = store_->Load();
  kestrin::WriteSettings(ini, settings_);
  recent_.Write(ini);
  recentStrength_.Write(ini);
  if (store_->WritePath().empty()) return;
  if (const TFileResult saved = store_->Save(ini); !saved) ShowError(WithReason(kSettingsSaveFailed, saved));
}

void TFrmMain::WriteSettings() {
  if (!store_ || settingsUnreadable_) return;
  RememberDataFolder(settings_, QFile::encodeName(dataFileName_).toStdString());
  TIniFile ini = store_->Load();
  kestrin::WriteSettings(ini, settings_);
  recent_.Write(ini);
  recentStrength_.Write(ini);
  WritePlacement(ini, CurrentPlacement(*this));
  placementSaved_ = true;
  // Without a safe place the settings live in memory; that was said once
  // at the start.
  if (store_->WritePath().empty()) return;
  if (const TFileResult saved = store_->Save(ini); !saved) ShowError(WithReason(kSettingsSaveFailed, saved));
}

void TFrmMain::WritePlacementOnly() {
  if (!store_ || settingsUnreadable_) return;
  TIniFile ini = store_->Load();
  WritePlacement(ini, CurrentPlacement(*this));
  placementSaved_ = true;
  if (!store_->WritePath().empty()) store_->Save(ini);
}

void TFrmMain::closeEvent(QCloseEvent* event) {
  // A long command still runs: it ends first.
  if (running_) {
    event->ignore();
    return;
  }
  // What is typed in the open editor counts as entered; a refused entry
  // keeps the window open.
  if (!CommitActiveCell()) {
    event->ignore();
    return;
  }
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskQuit))) {
    event->ignore();
    return;
  }
  // The strength window asks about its own unsaved log first.
  if (TFrmStrength* strength = StrengthWindow(*this);
      strength && strength->isVisible() && !strength->close()) {
    event->ignore();
    return;
  }
  WriteSettings();
  // A normal close: nothing is left to recover.
  if (recovery_) recovery_->Discard();
  if (frmSetup_) frmSetup_->deleteLater();
  QMainWindow::closeEvent(event);
}

bool TFrmMain::event(QEvent* event) {
  // Menu item hints show in the status line while the item is highlighted.
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    ui_.StatusLine->SetText(tip.isEmpty() ? ui_.CellCoordinator->StatusMessage() : tip);
    return true;
  }
  return QMainWindow::event(event);
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) {
    LayoutClient();
  } else if (watched == ui_.GreenLine && event->type() == QEvent::Paint) {
    // A lowered green line of 3 px.
    QPainter p(ui_.GreenLine);
    const int w = ui_.GreenLine->width();
    p.fillRect(0, 0, w, 3, QColor(0x00, 0x80, 0x00));
    p.setPen(QColor(0x00, 0x40, 0x00));
    p.drawLine(0, 0, w - 1, 0);
    p.setPen(QColor(0x80, 0xC0, 0x80));
    p.drawLine(0, 2, w - 1, 2);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace kestrin
