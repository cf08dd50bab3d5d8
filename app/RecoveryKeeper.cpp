#include "RecoveryKeeper.h"

#include <QFile>

namespace kestrin {

TRecoveryKeeperBase::TRecoveryKeeperBase(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  timer_.setInterval(kIntervalMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (pending_) WriteNow();
  });
}

void TRecoveryKeeperBase::Changed() {
  // The first change after a save is the one a crash would lose first.
  if (!written_ || !timer_.isActive()) {
    WriteNow();
    return;
  }
  pending_ = true;
}

void TRecoveryKeeperBase::Discard() {
  timer_.stop();
  pending_ = false;
  written_ = false;
  Store().Remove();
}

void TRecoveryKeeperBase::WriteNow() {
  pending_ = false;
  const TFileResult r = WriteCopy();
  written_ = true;
  timer_.start();  // the next write waits at least one interval
  if (r) {
    failed_ = false;
  } else if (!failed_) {
    failed_ = true;
    emit WriteFailed(QString::fromStdString(r.Reason()));
  }
}

TRecoveryKeeper::TRecoveryKeeper(std::unique_ptr<TRecoveryFiles> files, const TMainData& record,
                                 const QString& fileName, QObject* parent)
    : TRecoveryKeeperBase(parent), files_(std::move(files)), record_(record), fileName_(fileName) {}

TFileResult TRecoveryKeeper::WriteCopy() {
  return files_->Write(record_, QFile::encodeName(fileName_).toStdString());
}

TStrengthRecoveryKeeper::TStrengthRecoveryKeeper(std::unique_ptr<TStrengthRecoveryFiles> files,
                                                 const TStrengthLog& log, const QString& fileName,
                                                 QObject* parent)
    : TRecoveryKeeperBase(parent), files_(std::move(files)), log_(log), fileName_(fileName) {}

TFileResult TStrengthRecoveryKeeper::WriteCopy() {
  return files_->Write(log_, QFile::encodeName(fileName_).toStdString());
}

}  // namespace kestrin
