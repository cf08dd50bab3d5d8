// Keeps the recovery copy of the window's month up to date: after a commit
// it is written at once when it is the first change since the month was
// loaded or saved, otherwise at most once every two seconds (changes in
// between are coalesced into the next write). A save, a load of another
// month and a normal close remove it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "core/Recovery.h"

namespace kestrin {

class TRecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  static constexpr int kIntervalMs = 2000;

  // `record` and `fileName` are the window's; they outlive the keeper.
  TRecoveryKeeper(std::unique_ptr<TRecoveryFiles> files, const TMainData& record, const QString& fileName,
                  QObject* parent = nullptr);

  TRecoveryFiles& Files() { return *files_; }
  // The least time between two writes (tests shorten it).
  void SetInterval(int ms) { timer_.setInterval(ms); }

  // The month changed: written now or with the next coalesced write.
  void Changed();
  // Nothing unsaved any more: the copy is removed.
  void Discard();

 signals:
  // A write failed (said once until a write succeeds again).
  void WriteFailed(const QString& reason);

 private:
  void WriteNow();

  std::unique_ptr<TRecoveryFiles> files_;
  const TMainData& record_;
  const QString& fileName_;
  QTimer timer_;
  bool pending_ = false;  // a change waits for the timer
  bool written_ = false;  // a copy was written since the last discard
  bool failed_ = false;
};

}  // namespace kestrin
