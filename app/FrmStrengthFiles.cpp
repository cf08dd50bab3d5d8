// The strength window's files: new, open, save, save in place, recent
// files, a dropped file, preview and print.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QUrl>

#include "FrmStrength.h"
#include "RecentFiles.h"
#include "StrengthTableModel.h"
#include "core/DataFile.h"
#include "core/StrengthFile.h"
#include "platform/SafeSave.h"
#include "sheets/report/PdfName.h"
#include "sheets/report/StrengthReport.h"
#include "widgets/Dialogs.h"

namespace kestrin {

namespace {

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The local .kst file of a drop of exactly one file; empty otherwise.
QString DroppedStrengthFile(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return {};
  const QList<QUrl> urls = mime->urls();
  if (urls.size() != 1 || !urls[0].isLocalFile()) return {};
  const QString path = urls[0].toLocalFile();
  if (QFileInfo(path).suffix().compare(QString::fromLatin1(kStrengthFileExt), Qt::CaseInsensitive) != 0)
    return {};
  return path;
}

}  // namespace

QString ProposedStrengthFileName(const TStrengthLog& log) {
  const QString month =
      QStringLiteral("%1%2").arg(log.Year, 4, 10, QLatin1Char('0')).arg(log.Month, 2, 10, QLatin1Char('0'));
  const QString plant = FileNamePart(QString::fromStdString(log.Plant));
  return (plant.isEmpty() ? QStringLiteral("強度_%1").arg(month)
                          : QStringLiteral("強度_%1_%2").arg(plant, month)) +
         QLatin1Char('.') + QString::fromLatin1(kStrengthFileExt);
}

QString TFrmStrength::DialogFolder() const {
  if (!dialogFolder_.isEmpty() && QFileInfo(dialogFolder_).isDir()) return dialogFolder_;
  return QDir::homePath();
}

void TFrmStrength::Reset(TStrengthLog log, const QString& fileName) {
  work_ = TStrengthWork(std::move(log));
  fileName_ = fileName;
  inPlaceFile_ = fileName;
  history_->Restart();
  Refresh();
  if (!work_.Log.Tests.empty()) SetCurrent(0, 0);
  ShowStatus({});
}

void TFrmStrength::NewClick() {
  if (!CommitEditor()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskNewStrength))) return;
  // A new log keeps the plant, month and mix of the one before: the next
  // mix or month of the same plant starts from them.
  TStrengthLog log;
  log.Plant = work_.Log.Plant;
  log.Year = work_.Log.Year;
  log.Month = work_.Log.Month;
  log.Mix = work_.Log.Mix;
  Reset(std::move(log), {});
}

void TFrmStrength::OpenClick() {
  if (!CommitEditor()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskOpenStrength))) return;
  TFileRequest r;
  r.Parent = this;
  r.Save = false;
  r.Directory = DialogFolder();
  r.DefaultSuffix = QString::fromLatin1(kStrengthFileExt);
  r.NameFilters = {QString::fromUtf8(kStrengthFileFilter)};
  const QString path = Dialogs().File(r);
  if (!path.isEmpty()) LoadFile(path);
}

void TFrmStrength::OpenFile(const QString& path) {
  if (QApplication::activeModalWidget()) {
    // A dialog is open over the window: the file waits for it.
    QTimer::singleShot(250, this, [this, path] { OpenFile(path); });
    return;
  }
  if (!CommitEditor()) return;
  if (Edited() && !ConfirmYesNo(QString::fromUtf8(kAskOpenStrength))) return;
  LoadFile(path);
}

void TFrmStrength::LoadFile(const QString& path) {
  dialogFolder_ = QFileInfo(path).absolutePath();
  TStrengthLog log;
  TStrengthReadResult read;
  if (const TFileResult carried = CheckCarriedName(path); !carried)
    read = {false, LocalPath(path), {}, carried.Reason()};
  else read = LoadStrengthFile(LocalPath(path), log);
  if (!read) {
    // The log on the screen stays as it was.
    ShowError(QString::fromUtf8(kLoadFailed) + QLatin1Char('\n') +
              QString::fromStdString(read.Field.empty() ? read.Reason : read.Field + "：" + read.Reason));
    return;
  }
  Reset(std::move(log), path);
  if (recent_) recent_->Add(QFileInfo(path).absoluteFilePath());
  RebuildRecentMenu();
}

void TFrmStrength::SaveClick() {
  if (!CommitEditor()) return;
  TFileRequest r;
  r.Parent = this;
  r.Save = true;
  r.Directory = DialogFolder();
  r.FileName = ProposedStrengthFileName(work_.Log);
  r.DefaultSuffix = QString::fromLatin1(kStrengthFileExt);
  r.NameFilters = {QString::fromUtf8(kStrengthFileFilter)};
  r.ConfirmOverwrite = true;
  const QString chosen = Dialogs().File(r);
  if (chosen.isEmpty()) return;
  SaveTo(WithDefaultSuffix(chosen, QString::fromLatin1(kStrengthFileExt)));
}

void TFrmStrength::SaveInPlaceClick() {
  if (!CommitEditor()) return;
  if (inPlaceFile_.isEmpty() || !QFileInfo(inPlaceFile_).isFile()) {
    SaveClick();
    return;
  }
  SaveTo(inPlaceFile_);
}

bool TFrmStrength::SaveTo(const QString& path) {
  // Specimens typed one or two of three cannot be written: the entry is
  // finished first (nothing is dropped silently).
  if (const std::string incomplete = IncompleteEntry(work_); !incomplete.empty()) {
    ShowError(QString::fromUtf8(kSaveFailed) + QLatin1Char('\n') + QString::fromStdString(incomplete));
    return false;
  }
  TFileResult saved = CheckCarriedName(path);
  if (saved) saved = SaveStrengthFile(LocalPath(path), work_.Log);
  if (!saved) {
    ShowError(WithReasonLine(QString::fromUtf8(kSaveFailed), saved));
    return false;
  }
  fileName_ = path;
  inPlaceFile_ = path;
  dialogFolder_ = QFileInfo(path).absolutePath();
  history_->MarkSaved();
  KeepRecovery();
  if (recent_) recent_->Add(QFileInfo(path).absoluteFilePath());
  RebuildRecentMenu();
  UpdateCaption();
  ShowStatus(QStringLiteral("保存しました：") + QDir::toNativeSeparators(path));
  return true;
}

void TFrmStrength::RebuildRecentMenu() {
  recentMenu_->clear();
  const QStringList paths = recent_ ? recent_->Paths() : QStringList();
  for (int i = 0; i < paths.size(); ++i) {
    const QString path = paths[i];
    const QString text =
        TRecentFiles::MenuText(path, recentMenu_->fontMetrics(), TRecentFiles::kMenuTextWidth);
    QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
    a->setData(path);
    a->setStatusTip(QDir::toNativeSeparators(path));
    connect(a, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
  }
  recentMenu_->setEnabled(!paths.isEmpty());
}

void TFrmStrength::OpenRecentFile(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    if (recent_) recent_->Remove(path);
    RebuildRecentMenu();
    ShowError(QString::fromUtf8(kLoadFailed));
    return;
  }
  OpenFile(path);
}

void TFrmStrength::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedStrengthFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFrmStrength::dropEvent(QDropEvent* event) {
  const QString path = DroppedStrengthFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

void TFrmStrength::RunReport(bool preview) {
  if (!CommitEditor()) return;
  if (reportHandler_) {
    reportHandler_(preview);
    return;
  }
  if (!report_) report_ = std::make_unique<TStrengthReport>(&work_.Log, &figures_, settings_, this);
  // Without a printer the print is a PDF named after the plant and month,
  // in the folder the file dialogs show first.
  report_->Rep.PdfName = StrengthPdfName(work_.Log);
  report_->Rep.PdfFolder = DialogFolder();
  report_->Run(preview);
  if (const QString pdf = report_->Rep.WrittenPdf(); !pdf.isEmpty())
    ShowStatus(QStringLiteral("PDF に保存しました：") + QDir::toNativeSeparators(pdf));
}

}  // namespace kestrin
