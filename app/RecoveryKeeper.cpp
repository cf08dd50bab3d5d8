#include "RecoveryKeeper.h"

#include <QFile>

namespace kestrin {

TRecoveryKeeper::TRecoveryKeeper(std::unique_ptr<TRecoveryFiles> files, const TMainData& record,
                                 const QString& fileName, QObject* parent)
    : QObject(parent), files_(std::move(files)), record_(record), fileName_(fileName) {
  timer_.setSingleShot(true);
  timer_.setInterval(kIntervalMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (pending_) WriteNow();
  });
}

void TRecoveryKeeper::Changed() {
  // The first change after a save is the one a crash would lose first.
  if (!written_ || !timer_.isActive()) {
    WriteNow();
    return;
  }
  pending_ = true;
}

void TRecoveryKeeper::Discard() {
  timer_.stop();
  pending_ = false;
  written_ = false;
  files_->Remove();
}

void TRecoveryKeeper::WriteNow() {
  pending_ = false;
  const TFileResult r = files_->Write(record_, QFile::encodeName(fileName_).toStdString());
  written_ = true;
  timer_.start();  // the next write waits at least one interval
  if (r) {
    failed_ = false;
  } else if (!failed_) {
    failed_ = true;
    emit WriteFailed(QString::fromStdString(r.Reason()));
  }
}

}  // namespace kestrin
