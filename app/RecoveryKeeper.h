// Keeps the recovery copy of a window's document up to date: after a
// commit it is written at once when it is the first change since the
// document was loaded or saved, otherwise at most once every two seconds
// (changes in between are coalesced into the next write). A save, a load
// of another document and a normal close remove it. The timing is the
// same for every window; TRecoveryKeeper keeps the main window's month,
// TStrengthRecoveryKeeper the strength window's log.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "core/Recovery.h"
#include "core/StrengthRecovery.h"

namespace kestrin {

class TRecoveryKeeperBase : public QObject {
  Q_OBJECT
 public:
  static constexpr int kIntervalMs = 2000;

  // The least time between two writes (tests shorten it).
  void SetInterval(int ms) { timer_.setInterval(ms); }

  // The document changed: written now or with the next coalesced write.
  void Changed();
  // Nothing unsaved any more: the copy is removed.
  void Discard();

 signals:
  // A write failed (said once until a write succeeds again).
  void WriteFailed(const QString& reason);

 protected:
  explicit TRecoveryKeeperBase(QObject* parent);

  // The files of the copy, and one write of the document as it is now.
  virtual TRecoveryStore& Store() = 0;
  virtual TFileResult WriteCopy() = 0;

 private:
  void WriteNow();

  QTimer timer_;
  bool pending_ = false;  // a change waits for the timer
  bool written_ = false;  // a copy was written since the last discard
  bool failed_ = false;
};

// The main window's month.
class TRecoveryKeeper : public TRecoveryKeeperBase {
 public:
  // `record` and `fileName` are the window's; they outlive the keeper.
  TRecoveryKeeper(std::unique_ptr<TRecoveryFiles> files, const TMainData& record, const QString& fileName,
                  QObject* parent = nullptr);

  TRecoveryFiles& Files() { return *files_; }

 protected:
  TRecoveryStore& Store() override { return *files_; }
  TFileResult WriteCopy() override;

 private:
  std::unique_ptr<TRecoveryFiles> files_;
  const TMainData& record_;
  const QString& fileName_;
};

// The strength window's log.
class TStrengthRecoveryKeeper : public TRecoveryKeeperBase {
 public:
  // `log` and `fileName` are the window's; they outlive the keeper.
  TStrengthRecoveryKeeper(std::unique_ptr<TStrengthRecoveryFiles> files, const TStrengthLog& log,
                          const QString& fileName, QObject* parent = nullptr);

  TStrengthRecoveryFiles& Files() { return *files_; }

 protected:
  TRecoveryStore& Store() override { return *files_; }
  TFileResult WriteCopy() override;

 private:
  std::unique_ptr<TStrengthRecoveryFiles> files_;
  const TStrengthLog& log_;
  const QString& fileName_;
};

}  // namespace kestrin
