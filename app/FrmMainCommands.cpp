// The main window's commands: load, save, clear, quit, setup, about, the
// spreadsheet export, preview and print with the sheet choice, and the
// shared message boxes.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "AboutBox.h"
#include "FrmMain.h"
#include "FrmOverview.h"
#include "FrmSetup.h"
#include "FrmStrength.h"
#include "Manual.h"
#include "RecordHistory.h"
#include "SingleInstance.h"
#include "core/DataFile.h"
#include "core/Numbers.h"
#include "core/StrengthRecovery.h"
#include "core/Version.h"
#include "platform/SafeSave.h"
#include "sheets/report/PdfName.h"
#include "sheets/report/SheetReport.h"
#include "widgets/BusyWindow.h"
#include "widgets/CellMgrMain.h"
#include "widgets/Cp932Text.h"
#include "widgets/Dialogs.h"
#include "widgets/EditCells.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/TitleBar.h"

namespace kestrin {

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Marks a long command as running for its lifetime.
class TRunning {
 public:
  explicit TRunning(bool& flag) : flag_(flag) { flag_ = true; }
  ~TRunning() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

// The busy window as the spreadsheet export drives it.
class TFrmMain::TExportBusy : public calc::TExportBusyWindow {
 public:
  explicit TExportBusy(TFrmMain& window) : window_(window) {}
  void ShowBusyMessage() override { window_.ShowBusyMessage(); }
  void SetProgressText(const std::string& utf8) override {
    if (window_.busy_) window_.busy_->SetLine(0, QString::fromStdString(utf8));
  }
  void HideBusyMessage() override { window_.HideBusyMessage(); }
  void KeepAlive() override { QApplication::processEvents(); }

 private:
  TFrmMain& window_;
};

QString ProposedFileName(int32_t getsudo) {
  if (getsudo == 0) return {};
  return QStringLiteral("%1%2")
      .arg(DateYear(getsudo), 4, 10, QLatin1Char('0'))
      .arg(DateMonth(getsudo), 2, 10, QLatin1Char('0'));
}

void TFrmMain::ConnectCommands() {
  TShiftPager* k = ui_.FunctionKeys;
  k->SetAction(0, 5, [this] { CellBitBtnLoadClick(); });
  k->SetAction(0, 6, [this] { CellBitBtnSaveClick(); });
  k->SetAction(0, 7, [this] { CellBtnEXCELClick(); });
  k->SetAction(0, 8, [this] { CellBitBtnPreviewPrintClick(true); });
  k->SetAction(0, 9, [this] { CellBitBtnPreviewPrintClick(false); });
  k->SetAction(0, 11, [this] { CellBitBtnSetupClick(); });
  k->SetAction(0, 12, [this] { CellBitBtnQuitClick(); });
  k->SetAction(1, 5, [this] { CellBitBtnClearClick(); });
  k->SetAction(1, 6, [this] { NextMonthClick(); });
  k->SetAction(1, 7, [this] { OpenOverview(); });
  k->SetAction(1, 8, [this] { OpenStrength(); });

  connect(ui_.LoadAction, &QAction::triggered, this, [this] { CellBitBtnLoadClick(); });
  connect(ui_.SaveAction, &QAction::triggered, this, [this] { CellBitBtnSaveClick(); });
  connect(ui_.SaveInPlaceAction, &QAction::triggered, this, [this] { SaveInPlaceClick(); });
  connect(ui_.NextMonthAction, &QAction::triggered, this, [this] { NextMonthClick(); });
  connect(ui_.ExportAction, &QAction::triggered, this, [this] { CellBtnEXCELClick(); });
  connect(ui_.OverviewAction, &QAction::triggered, this, [this] { OpenOverview(); });
  connect(ui_.StrengthAction, &QAction::triggered, this, [this] { OpenStrength(); });
  connect(ui_.QuitAction, &QAction::triggered, this, [this] { CellBitBtnQuitClick(); });
  // Ctrl+P on the print submenu: the sheet choice at the F9 button.
  connect(ui_.PrintMenu->menuAction(), &QAction::triggered, this,
          [this] { CellBitBtnPreviewPrintClick(false); });
  connect(ui_.ClearAction, &QAction::triggered, this, [this] { CellBitBtnClearClick(); });
  connect(ui_.AboutAction, &QAction::triggered, this, [this] { MenuOptionAboutClick(); });
  connect(ui_.ManualAction, &QAction::triggered, this, [this] { OpenManual(); });
  for (QMenu* m : {ui_.PreviewMenu, ui_.PrintMenu}) {
    const bool preview = m == ui_.PreviewMenu;
    for (QAction* a : m->actions()) {
      if (a->isSeparator()) continue;
      connect(a, &QAction::triggered, this,
              [this, preview, a] { RunReport(preview, static_cast<TPrintSheet>(a->data().toInt())); });
    }
  }
  connect(ui_.TitleBar, &TTitleBar::Clicked, this, [this] { MenuOptionAboutClick(); });
}

// ------------------------------------------------------------ messages

bool TFrmMain::ConfirmYesNo(const QString& text) {
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  QApplication::beep();
  TMessageRequest r;
  r.Parent = this;
  r.Caption = QString::fromUtf8(kConfirmCaption);
  r.Text = text;
  r.Icon = TMessageIcon::Question;
  r.YesNo = true;
  const bool yes = Dialogs().Message(r);
  QApplication::restoreOverrideCursor();
  return yes;
}

QString WithReason(const char* message, const TFileResult& result) {
  QString text = QString::fromUtf8(message);
  const std::string reason = result.Reason();
  if (!reason.empty()) text += QLatin1Char('\n') + QString::fromUtf8(reason.c_str());
  return text;
}

void TFrmMain::ShowError(const QString& text) {
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  TMessageRequest r;
  r.Parent = this;
  r.Caption = QString::fromUtf8(kProductName);
  r.Text = text;
  Dialogs().Message(r);
  QApplication::restoreOverrideCursor();
}

void TFrmMain::ShowBusyMessage() {
  HideBusyMessage();
  busy_ = new TBusyWindow(this, QString::fromUtf8(calc::kBusyMessage), 2);
  busy_->setObjectName(QStringLiteral("BusyWindow"));
  busy_->show();
  busy_->raise();
  QApplication::processEvents();
}

void TFrmMain::HideBusyMessage() {
  if (!busy_) return;
  TBusyWindow* b = busy_;
  busy_ = nullptr;
  b->hide();
  b->deleteLater();
}

// ------------------------------------------------------------- files

QString TFrmMain::DialogFolder() const {
  const QString last = !dialogFolder_.isEmpty() ? dialogFolder_ : QString::fromStdString(settings_.LastDataDir);
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  return QDir::homePath();
}

void TFrmMain::ResetRecord() {
  mainData_->ClearLists();
  mainData_->Clear();
  FillDefaultPerson();
  // The rows follow at once, so nothing shows days the record no longer
  // has while a message is up.
  RecalcAndRepaint();
}

void TFrmMain::ShowNewRecord() {
  referenceFinder_.Forget();  // the folder's files may have changed
  RecalcAndRepaint();
  UpdateCaption();
  FocusFirstCell();
  ui_.CellCoordinator->RepaintAll();
}

void TFrmMain::CellBitBtnLoadClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskLoad))) return;
  TFileRequest r;
  r.Parent = this;
  r.Save = false;
  r.Directory = DialogFolder();
  r.FileName = QFileInfo(dataFileName_).fileName();
  r.DefaultSuffix = QString::fromLatin1(kFileExt);
  r.NameFilters = {QString::fromUtf8(kDataFileFilter)};
  const QString path = Dialogs().File(r);
  if (path.isEmpty()) {
    ui_.CellCoordinator->RepaintAll();
    return;
  }
  LoadDataFile(path);
}

void TFrmMain::LoadDataFile(const QString& path) {
  dialogFolder_ = QFileInfo(path).absolutePath();
  ResetRecord();
  dataFileName_ = path;
  const bool wasEdited = Edited();
  // A loaded month starts a new history.
  TFileResult loaded = CheckCarriedName(path);
  if (loaded) loaded = LoadFromFile(LocalPath(path), *mainData_);
  if (loaded) {
    FillDefaultPerson();
    history_->Restart();
    SetEdited(false);
    inPlaceFile_ = path;
    recent_.Add(QFileInfo(path).absoluteFilePath());
    RebuildRecentMenu();
  } else {
    // A fresh month under the chosen name; the edited flag stays.
    ResetRecord();
    history_->Restart();
    // Unsaved before stays unsaved; never written over the unreadable file
    // without a dialog.
    if (wasEdited) history_->Stack().resetClean();
    SetEdited(wasEdited);
    inPlaceFile_.clear();
    ShowError(WithReason(kLoadFailed, loaded));
  }
  // Another month: the copy of the one before goes.
  KeepRecovery();
  ShowNewRecord();
}

void TFrmMain::OpenDataFile(const QString& path) {
  // Another command runs or a dialog is open over the window: the file
  // waits until the window is free (the newest request wins).
  if (running_ || QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
    const bool waiting = !pendingOpen_.isEmpty();
    pendingOpen_ = path;
    if (!waiting) {
      QTimer::singleShot(250, this, [this] {
        const QString next = std::exchange(pendingOpen_, QString());
        OpenDataFile(next);
      });
    }
    return;
  }
  // A strength log goes to the strength window, which asks about its own
  // unsaved log.
  if (QFileInfo(path).suffix().compare(QString::fromLatin1(kStrengthFileExt), Qt::CaseInsensitive) == 0) {
    OpenStrength(path);
    return;
  }
  if (!CommitActiveCell()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskLoad))) return;
  LoadDataFile(path);
}

void TFrmMain::OpenRecentFile(const QString& path) {
  if (running_) return;
  // Gone (moved, deleted, an unmounted share): off the list, and the month
  // on the screen stays as it is.
  if (!QFileInfo(path).isFile()) {
    recent_.Remove(path);
    RebuildRecentMenu();
    ShowError(QString::fromUtf8(kLoadFailed));
    return;
  }
  OpenDataFile(path);
}

void TFrmMain::RebuildRecentMenu() {
  ui_.RecentMenu->clear();
  const QStringList& paths = recent_.Paths();
  for (int i = 0; i < paths.size(); ++i) {
    const QString path = paths[i];
    // A long path is cut in its middle so the menu stays narrow; the status
    // line shows it whole while the item is highlighted.
    const QString text =
        TRecentFiles::MenuText(path, ui_.RecentMenu->fontMetrics(), TRecentFiles::kMenuTextWidth);
    QAction* a = ui_.RecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
    a->setData(path);
    a->setStatusTip(QDir::toNativeSeparators(path));
    connect(a, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
  }
  ui_.RecentMenu->setEnabled(!paths.isEmpty());
}

namespace {

// The local .slt (or .kst, for the strength window) file of a drop of
// exactly one file; empty otherwise.
QString DroppedDataFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return {};
  const QString path = urls[0].toLocalFile();
  const QString suffix = QFileInfo(path).suffix();
  if (suffix.compare(QString::fromLatin1(kFileExt), Qt::CaseInsensitive) != 0 &&
      suffix.compare(QString::fromLatin1(kStrengthFileExt), Qt::CaseInsensitive) != 0)
    return {};
  return path;
}

}  // namespace

void TFrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!running_ && !DroppedDataFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event) {
  const QString path = DroppedDataFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // The question and the load run after the drop has ended, so the file
  // manager is not held while a message box is open.
  QTimer::singleShot(0, this, [this, path] { OpenDataFile(path); });
}

void TFrmMain::CellBitBtnSaveClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  TFileRequest r;
  r.Parent = this;
  r.Save = true;
  r.Directory = DialogFolder();
  r.FileName = ProposedFileName(mainData_->BasicInfo.Getsudo);
  r.DefaultSuffix = QString::fromLatin1(kFileExt);
  r.NameFilters = {QString::fromUtf8(kDataFileFilter)};
  r.ConfirmOverwrite = true;
  const QString chosen = Dialogs().File(r);
  // Cancelled: the month, the edited flag, the file name and the caption
  // stay as they were.
  if (chosen.isEmpty()) return;
  SaveTo(WithDefaultSuffix(chosen, QString::fromLatin1(kFileExt)));
}

void TFrmMain::SaveInPlaceClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  if (inPlaceFile_.isEmpty() || !QFileInfo(inPlaceFile_).isFile()) {
    CellBitBtnSaveClick();
    return;
  }
  SaveTo(inPlaceFile_);
}

void TFrmMain::SaveTo(const QString& path) {
  dataFileName_ = path;
  TFileResult saved = CheckCarriedName(path);
  if (saved) saved = SaveToFile(LocalPath(path), *mainData_);
  if (saved) {
    history_->MarkSaved();
    SetEdited(false);
    inPlaceFile_ = path;
    KeepRecovery();
    // Only a folder a month was really saved in becomes the dialogs' start
    // folder; a failed save may name a folder no dialog should open in.
    dialogFolder_ = QFileInfo(path).absolutePath();
    recent_.Add(QFileInfo(path).absoluteFilePath());
    RebuildRecentMenu();
    ShowStatus(QString::fromUtf8(kSaved) + QDir::toNativeSeparators(path));
  } else {
    ShowError(WithReason(kSaveFailed, saved));
  }
  UpdateCaption();
}

void TFrmMain::NextMonthClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskNextMonth))) return;
  const TBasicInfo kept = mainData_->BasicInfo;
  mainData_->ClearLists();
  mainData_->Clear();
  TBasicInfo& b = mainData_->BasicInfo;
  const int32_t year = DateYear(kept.Getsudo), month = DateMonth(kept.Getsudo);
  b.Getsudo = datePair_->Clamp(month >= 12 ? PackDate(year + 1, 1, 1) : PackDate(year, month + 1, 1));
  b.Kojo = kept.Kojo;
  b.Tanto = kept.Tanto;
  b.ClassWidth = kept.ClassWidth;
  b.KariAveX = kept.KariAveX;
  b.Kyoyo = kept.Kyoyo;
  b.Kyodo = kept.Kyodo;
  b.Kotsuzai = kept.Kotsuzai;
  b.Air = kept.Air;
  b.AirKyoyo = kept.AirKyoyo;
  b.Cement = kept.Cement;
  FillDefaultPerson();
  mainData_->AdjustSlumpList();
  mainData_->MakeHistogramList();
  dataFileName_.clear();
  inPlaceFile_.clear();
  // A new month starts a new history.
  history_->Restart();
  SetEdited(false);
  KeepRecovery();
  ShowNewRecord();
}

void TFrmMain::CellBitBtnClearClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskClear))) return;
  // One undo step. The edited flag stays: a change made before counts as
  // unsaved, a clean month stays clean.
  const bool clean = history_->Stack().isClean();
  history_->Change(QStringLiteral("データクリア"), TRecordPlace{}, [this] {
    mainData_->ClearLists();
    mainData_->Clear();
    FillDefaultPerson();
  });
  if (clean) history_->MarkSaved();
  dataFileName_.clear();
  inPlaceFile_.clear();
  KeepRecovery();
  ShowNewRecord();
}

void TFrmMain::CellBitBtnQuitClick() { close(); }

// ----------------------------------------------------------- dialogs

void TFrmMain::CellBitBtnSetupClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  if (!frmSetup_) frmSetup_ = new TFrmSetup(settings_, this);
  frmSetup_->exec();
  // What was set is kept at once, not only when the window closes.
  SaveSettingsFile();
  // A default person set just now fills a month that has none.
  FillDefaultPerson();
  RebuildKojoList();
  // The run and trend lengths may have changed.
  RecalcAndRepaint();
  ui_.CellCoordinator->ReloadActive();
  ui_.CellCoordinator->RepaintAll();
}

void TFrmMain::MenuOptionAboutClick() {
  if (running_) return;
  TAboutBox box(executablePath_, this);
  box.exec();
}

void TFrmMain::OpenManual() {
  if (running_) return;
  const QString page = ManualPage(executablePath_);
  if (page.isEmpty()) {
    ShowError(QStringLiteral("操作マニュアルが見つかりません．"));
    return;
  }
  if (!openUrl_(QUrl::fromLocalFile(page)))
    ShowError(QStringLiteral("操作マニュアルを開けませんでした．\n%1").arg(QDir::toNativeSeparators(page)));
}

void TFrmMain::OpenOverview() {
  TFrmOverview* f = OverviewWindow(*this);
  const bool fresh = f == nullptr;
  if (fresh) {
    // A child of this window: it lives as long as this window and stays in
    // front of it.
    f = new TFrmOverview(&settings_, this);
    f->SetDialogFolder(DialogFolder());
  }
  f->show();
  f->raise();
  f->activateWindow();
  if (fresh || f->Overview().Months.empty()) f->AddFilesClick();
}

void TFrmMain::OpenStrength(const QString& path) {
  TFrmStrength* f = StrengthWindow(*this);
  const bool fresh = f == nullptr;
  if (fresh) {
    // A child of this window: it lives as long as this window.
    f = new TFrmStrength(&settings_, mainData_.get(), &recentStrength_, this);
    f->SetDialogFolder(DialogFolder());
    if (!strengthRecoveryFolder_.isEmpty())
      f->SetRecoveryFiles(
          std::make_unique<TStrengthRecoveryFiles>(QFile::encodeName(strengthRecoveryFolder_).toStdString()));
  }
  f->show();
  kestrin::BringToFront(f);
  // A copy left by a crash is offered before a file is opened.
  if (fresh) f->OfferRecovery();
  if (!path.isEmpty()) f->OpenFile(path);
}

void TFrmMain::BringToFront() { kestrin::BringToFront(this); }

void TFrmMain::ListenTo(TSingleInstance& instance) {
  connect(&instance, &TSingleInstance::ActivationRequested, this, &TFrmMain::BringToFront);
  // Queued: the question and the load run outside the socket's handler.
  connect(
      &instance, &TSingleInstance::OpenRequested, this,
      [this](const QString& path) {
        BringToFront();
        OpenDataFile(path);
      },
      Qt::QueuedConnection);
}

// ------------------------------------------------- export, preview, print

void TFrmMain::CellBtnEXCELClick() {
  if (running_) return;
  if (!CommitActiveCell()) return;
  calc::TCalcExportResult result;
  {
    TRunning running(running_);
    TExportBusy busy(*this);
    result = calc::ExportToCalc(*mainData_, &busy, exportOptions_);
  }
  if (result.Status == calc::TCalcExportStatus::NoSpreadsheet ||
      result.Status == calc::TCalcExportStatus::Failed)
    ShowError(QString::fromStdString(result.MessageUtf8));
}

void TFrmMain::CellBitBtnPreviewPrintClick(bool preview) {
  if (running_) return;
  if (!CommitActiveCell()) return;
  previewMode_ = preview;
  // The popup opens with its top-left corner at the button's.
  const int index = ui_.FunctionKeys->IndexOf(ui_.FunctionKeys->Button(0, preview ? 8 : 9));
  QRect button = ui_.FunctionKeys->CellRect(index);
  if (button.isNull()) button = QRect(TShiftPager::SlotLeft(preview ? 5 : 6) + 1, 1, 1, 1);
  QAction* chosen = ui_.SheetMenu->exec(ui_.FunctionKeys->mapToGlobal(button.topLeft()));
  if (chosen) RunReport(previewMode_, static_cast<TPrintSheet>(chosen->data().toInt()));
}

void TFrmMain::RunReport(bool preview, TPrintSheet printSheet) {
  if (running_) return;
  if (!CommitActiveCell()) return;
  previewMode_ = preview;
  printSheet_ = printSheet;
  TRunning running(running_);
  if (reportHandler_) {
    reportHandler_(preview, printSheet);
    return;
  }
  // The report reads the month record and the settings when it draws.
  if (!report_) {
    report_ = std::make_unique<TSheetReport>(this);
    report_->Drawers = MakeSheetDrawers(*mainData_, settings_, &controlChart_);
  }
  report_->PreviewMode = preview;
  // Without a printer the print is a PDF named after the month, beside the
  // month files, titled like the sheet.
  report_->Rep.PdfName = SheetPdfName(FromAnsi(mainData_->BasicInfo.Kojo), mainData_->BasicInfo.Getsudo);
  report_->Rep.PdfFolder = DialogFolder();
  report_->Rep.DocumentTitle = QString::fromUtf8(SheetTitle(printSheet));
  report_->Run(printSheet);
  if (const QString pdf = report_->Rep.WrittenPdf(); !pdf.isEmpty())
    ui_.StatusLine->SetText(QStringLiteral("PDF に保存しました：") + QDir::toNativeSeparators(pdf));
}

}  // namespace kestrin
