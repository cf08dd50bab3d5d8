// The main window's recovery copy: kept after every change of the history,
// removed when nothing is unsaved, and offered at the next start.
#include <QDateTime>
#include <QFile>
#include <QUndoStack>

#include "FrmMain.h"
#include "RecordHistory.h"
#include "RecoveryKeeper.h"
#include "core/Recovery.h"
#include "widgets/CellMgrMain.h"
#include "widgets/Cp932Text.h"

namespace kestrin {

void TFrmMain::SetRecoveryFiles(std::unique_ptr<TRecoveryFiles> files) {
  recovery_.reset();
  if (!files || !files->Own()) return;
  recovery_ = std::make_unique<TRecoveryKeeper>(std::move(files), *mainData_, dataFileName_);
  connect(recovery_.get(), &TRecoveryKeeper::WriteFailed, this, [this](const QString& reason) {
    ShowStatus(QStringLiteral("復元用のファイルを書けません：") + reason);
  });
}

void TFrmMain::SetRecoveryUnavailable(const QString& reason) { recoveryUnavailable_ = reason; }

void TFrmMain::KeepRecovery() {
  if (!recovery_) return;
  // Nothing unsaved (back at the month as loaded or saved): no copy.
  if (history_->Stack().isClean()) recovery_->Discard();
  else recovery_->Changed();
}

void TFrmMain::OfferRecovery() {
  if (!recoveryUnavailable_.isEmpty()) {
    const QString reason = std::exchange(recoveryUnavailable_, QString());
    ShowError(QString::fromUtf8(kRecoveryUnavailable) + QLatin1Char('\n') + reason);
    return;
  }
  if (!recovery_ || !recovery_->Files().Exists()) return;
  TRecovered r;
  if (const TFileResult read = recovery_->Files().Read(r); !read) {
    ShowError(WithReason(kRecoveryDamaged, read));
    return;
  }
  const int32_t g = r.Data.BasicInfo.Getsudo;
  QString month = QStringLiteral("%1年%2月").arg(DateYear(g)).arg(DateMonth(g));
  if (!r.Data.BasicInfo.Kojo.empty()) month += QLatin1Char(' ') + FromAnsi(r.Data.BasicInfo.Kojo);
  const QString when = QDateTime::fromSecsSinceEpoch(r.WrittenAt).toString(QStringLiteral("H:mm"));
  if (!ConfirmYesNo(QString::fromUtf8(kRecoveryQuestion).arg(month, when))) {
    recovery_->Discard();
    return;
  }
  *mainData_ = std::move(r.Data);
  dataFileName_ = QFile::decodeName(r.FileName.c_str());
  inPlaceFile_ = dataFileName_;
  // A new history whose start is not saved anywhere.
  history_->Restart();
  history_->Stack().resetClean();
  SetEdited(true);
  KeepRecovery();
  ShowNewRecord();
}

}  // namespace kestrin
