// One running program per user and desktop session. The first start takes
// a lock file and listens on a local socket beside it, both in a folder only
// the user can enter: $XDG_RUNTIME_DIR when it is the user's own folder with
// mode 0700, else <tmp>/kestrin-<euid>, made with mode 0700 and checked.
// The lock ends with the process, so a crashed instance never blocks a
// later start (its socket file is replaced). A second start connects,
// checks that the listener runs under the same user, sends "activate" or
// the path of a file to open, and waits a few seconds at most for the
// first to answer that it took the request; the first answers, then
// brings its window forward (and opens the file). Connections from
// another user are dropped, idle connections are closed after a short
// time, and only a few are kept at once: a new one pushes out the oldest,
// so connections held open by something else never shut out a real
// second start. When the folder is held by another user the program runs
// without the channel.
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace kestrin {

// Where the socket and the lock may live.
struct TInstancePlace {
  QString RuntimeDir;               // $XDG_RUNTIME_DIR (may be empty or unsafe)
  QString TempDir = QStringLiteral("/tmp");  // parent of the fallback folder
  static TInstancePlace FromEnvironment();
};

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  enum class TStart {
    First,       // this process runs the program and listens
    HandedOver,  // the running instance answered that it took the message: end now
    NoAnswer,    // an instance runs but did not answer in time (kHandOverMs)
    Alone,       // no safe channel (ErrorString): run without one
  };

  // `name`: the socket name; DefaultName() for the program, a name of
  // their own for tests.
  explicit TSingleInstance(QString name, TInstancePlace place = TInstancePlace::FromEnvironment(),
                           QObject* parent = nullptr);
  ~TSingleInstance() override;

  // "jp.kestrin.Kestrin.<uid>" with the session's display appended, so that
  // another display (a separate X server) starts its own instance.
  static QString DefaultName();

  // `openPath`: a file the running instance is to open (empty: just come
  // forward). Relative paths are taken from the current folder.
  TStart Start(const QString& openPath = {});
  QString Name() const { return name_; }
  // The folder of the socket; empty before Start or without a safe one.
  QString Folder() const { return folder_; }
  QString SocketPath() const;
  QString ErrorString() const { return error_; }

  // Connections that send nothing are closed after this time; at most
  // kMaxConnections are served at once, a further one closes the oldest.
  void SetIdleTimeout(int ms) { idleMs_ = ms; }
  static constexpr int kMaxConnections = 8;
  int OpenConnections() const { return static_cast<int>(open_.size()); }

  // The messages of a second start: "activate\n", or "open " followed by
  // the percent-encoded bytes of an absolute path and "\n". The running
  // instance answers a request it takes with kAcknowledgement; it does not
  // answer a message it refuses, nor one whose sender stopped waiting.
  static constexpr char kActivateMessage[] = "activate\n";
  static QByteArray OpenMessage(const QString& absolutePath);
  static constexpr char kAcknowledgement[] = "ok\n";
  // How long a second start waits in all for that answer, retries included.
  static constexpr int kHandOverMs = 5000;

 signals:
  // A second start asked this instance to come forward.
  void ActivationRequested();
  // A second start asked this instance to open a file (absolute path).
  void OpenRequested(const QString& path);

 private:
  bool PrepareFolder();
  TStart Notify(const QByteArray& message, const QDeadlineTimer& deadline);
  void OnNewConnection();
  void ReadMessage(QLocalSocket* socket);

  QString name_;
  TInstancePlace place_;
  QString folder_;
  QString error_;
  int lockFd_ = -1;
  QLocalServer* server_ = nullptr;
  int idleMs_ = 3000;
  std::vector<QLocalSocket*> open_;  // served connections, oldest first (children of server_)
};

// The uid of the process at the other end of a connected local socket, or
// -1 when it cannot be told.
long PeerUid(qintptr socketDescriptor);

// True when `path` is a real folder (not a link) owned by the effective
// user with no access for group or others.
bool IsPrivateFolder(const QString& path);

// Raises the window, restores it when minimized and activates it; a modal
// dialog open over it comes forward too.
void BringToFront(QWidget* window);

}  // namespace kestrin
