// One running program per user and desktop session. The first start listens
// on a local socket in the abstract namespace (it disappears with the
// process, so a crashed instance never blocks a later start); a second
// start connects, sends "activate" and ends, and the first brings its
// window forward.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace kestrin {

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  enum class TStart {
    First,       // this process runs the program
    HandedOver,  // another instance was told to come forward: end now
    Failed,      // the socket could not be set up (ErrorString)
  };

  // `name`: the socket name; DefaultName() for the program, a name of
  // their own for tests.
  explicit TSingleInstance(QString name, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // "jp.kestrin.Kestrin.<uid>" with the session's display appended, so that
  // another user or another display (a separate X server) starts its own
  // instance.
  static QString DefaultName();

  TStart Start();
  QString Name() const { return name_; }
  QString ErrorString() const { return error_; }

  // The message a second start sends.
  static constexpr char kActivateMessage[] = "activate\n";

 signals:
  // A second start asked this instance to come forward.
  void ActivationRequested();

 private:
  bool Notify();  // true when a running instance took the message
  void OnNewConnection();

  QString name_;
  QString error_;
  QLocalServer* server_ = nullptr;
};

// Raises the window, restores it when minimized and activates it; a modal
// dialog open over it comes forward too.
void BringToFront(QWidget* window);

}  // namespace kestrin
