// The strength window's recovery copy: kept after every change, removed
// when nothing is unsaved, and offered at the window's first open after a
// window that did not close normally.
#include <QDateTime>
#include <QFile>
#include <QUndoStack>

#include "FrmStrength.h"
#include "RecoveryKeeper.h"
#include "core/StrengthRecovery.h"

namespace kestrin {

void TFrmStrength::SetRecoveryFiles(std::unique_ptr<TStrengthRecoveryFiles> files) {
  recovery_.reset();
  if (!files || !files->Own()) return;
  recovery_ = std::make_unique<TStrengthRecoveryKeeper>(std::move(files), work_.Log, fileName_);
  connect(recovery_.get(), &TRecoveryKeeperBase::WriteFailed, this, [this](const QString& reason) {
    ShowStatus(QStringLiteral("復元用のファイルを書けません：") + reason);
  });
}

void TFrmStrength::KeepRecovery() {
  if (!recovery_) return;
  if (!Edited()) recovery_->Discard();
  else recovery_->Changed();
}

void TFrmStrength::OfferRecovery() {
  if (!recovery_ || !recovery_->Files().Exists()) return;
  TStrengthRecovered r;
  if (const TFileResult read = recovery_->Files().Read(r); !read) {
    ShowError(QStringLiteral(
                  "復元用のファイルが壊れているため使えません．名前に「.damaged」を付けて残しました．\n") +
              QString::fromStdString(read.Reason()));
    return;
  }
  QString what = QStringLiteral("%1年%2月").arg(r.Log.Year).arg(r.Log.Month);
  if (!r.Log.Plant.empty()) what += QLatin1Char(' ') + QString::fromStdString(r.Log.Plant);
  const QString when = QDateTime::fromSecsSinceEpoch(r.WrittenAt).toString(QStringLiteral("H:mm"));
  if (!ConfirmYesNo(QString::fromUtf8(kStrengthRecoveryQuestion).arg(what, when))) {
    recovery_->Discard();
    return;
  }
  Reset(std::move(r.Log), QFile::decodeName(r.FileName.c_str()));
  // A new history whose start is not saved anywhere.
  history_->Stack().resetClean();
  UpdateCaption();
  KeepRecovery();
}

}  // namespace kestrin
