#include "SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/ShownText.h"

namespace kestrin {

namespace {

constexpr int kConnectMs = 1000;
constexpr int kRetryMs = 200;
// The longest message: "open ", a percent-encoded path (PATH_MAX bytes at
// three characters each) and the line end.
constexpr qint64 kMaxMessage = 5 + 3 * 4096 + 1;

// Keeps the characters that are safe in a socket name.
QString Sanitised(const QString& s) {
  QString out;
  for (const QChar c : s) out += (c.isLetterOrNumber() || c == QLatin1Char('.')) ? c : QLatin1Char('_');
  return out;
}

QString SystemError(const QString& what, int error) {
  return what + QStringLiteral(": ") + QString::fromUtf8(SystemErrorText(error).c_str());
}

// True when the other end of a connected socket has closed its side (or
// the socket is gone).
bool PeerHungUp(qintptr descriptor) {
  if (descriptor < 0) return true;
  pollfd p{static_cast<int>(descriptor), POLLRDHUP, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

// Milliseconds left before `deadline`, never negative.
int Remaining(const QDeadlineTimer& deadline) {
  return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

}  // namespace

TInstancePlace TInstancePlace::FromEnvironment() {
  TInstancePlace p;
  p.RuntimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return p;
}

long PeerUid(qintptr socketDescriptor) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (socketDescriptor < 0 ||
      ::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 ||
      len != sizeof cred)
    return -1;
  return static_cast<long>(cred.uid);
}

bool IsPrivateFolder(const QString& path) {
  struct stat st {};
  if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

TSingleInstance::TSingleInstance(QString name, TInstancePlace place, QObject* parent)
    : QObject(parent), name_(std::move(name)), place_(std::move(place)) {}

TSingleInstance::~TSingleInstance() {
  // The sockets go before the counter they update.
  delete server_;
  server_ = nullptr;
  if (lockFd_ >= 0) ::close(lockFd_);
}

QString TSingleInstance::DefaultName() {
  QString name = QStringLiteral("jp.kestrin.Kestrin.%1").arg(::geteuid());
  QString session = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (session.isEmpty()) session = qEnvironmentVariable("DISPLAY");
  if (!session.isEmpty()) name += QLatin1Char('.') + Sanitised(session).left(64);
  return name;
}

QString TSingleInstance::SocketPath() const {
  return folder_.isEmpty() ? QString() : folder_ + QLatin1Char('/') + Sanitised(name_);
}

QByteArray TSingleInstance::OpenMessage(const QString& absolutePath) {
  return "open " + QFile::encodeName(absolutePath).toPercentEncoding() + "\n";
}

bool TSingleInstance::PrepareFolder() {
  // The runtime folder is used only when it really is the user's own;
  // the environment may name any folder.
  if (QDir::isAbsolutePath(place_.RuntimeDir) && IsPrivateFolder(place_.RuntimeDir)) {
    folder_ = place_.RuntimeDir;
    return true;
  }
  const QString own = place_.TempDir + QStringLiteral("/kestrin-%1").arg(::geteuid());
  if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
    error_ = SystemError(own, errno);
    return false;
  }
  // Made by someone else (another user, or with other rights): not ours.
  if (!IsPrivateFolder(own)) {
    error_ = own + QStringLiteral(": 他の利用者のフォルダか，権限が 0700 ではありません");
    return false;
  }
  folder_ = own;
  return true;
}

TSingleInstance::TStart TSingleInstance::Notify(const QByteArray& message, const QDeadlineTimer& deadline) {
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(std::min(kConnectMs, Remaining(deadline)))) return TStart::NoAnswer;
  // Only an instance of the same user gets the message.
  if (PeerUid(socket.socketDescriptor()) != static_cast<long>(::geteuid())) {
    socket.abort();
    return TStart::NoAnswer;
  }
  socket.write(message);
  socket.flush();
  if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(Remaining(deadline))) {
    socket.abort();
    return TStart::NoAnswer;
  }
  // Handed over only when the running instance says it took the message;
  // closing the connection without the answer is a refusal.
  while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired() &&
         socket.bytesAvailable() < qint64{sizeof kAcknowledgement})
    socket.waitForReadyRead(Remaining(deadline));
  const bool taken = socket.canReadLine() && socket.readLine(64) == kAcknowledgement;
  socket.abort();
  return taken ? TStart::HandedOver : TStart::NoAnswer;
}

TSingleInstance::TStart TSingleInstance::Start(const QString& openPath) {
  if (!PrepareFolder()) return TStart::Alone;
  const QByteArray lockPath = QFile::encodeName(SocketPath() + QStringLiteral(".lock"));
  lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  struct stat st {};
  if (lockFd_ < 0 || ::fstat(lockFd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    error_ = SystemError(QFile::decodeName(lockPath), lockFd_ < 0 ? errno : EPERM);
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    return TStart::Alone;
  }
  const QByteArray message =
      openPath.isEmpty() ? QByteArray(kActivateMessage) : OpenMessage(QFileInfo(openPath).absoluteFilePath());

  // The holder of the lock is the running instance. Two starts at the same
  // moment: the one that loses the lock connects to the winner; a winner
  // still starting up gets more tries until the hand-over time is up.
  TStart result = TStart::NoAnswer;
  const QDeadlineTimer deadline(kHandOverMs);
  do {
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
      // A socket left by a crashed instance is replaced.
      QLocalServer::removeServer(SocketPath());
      auto* server = new QLocalServer(this);
      server->setSocketOptions(QLocalServer::UserAccessOption);
      server->setMaxPendingConnections(kMaxConnections);
      if (!server->listen(SocketPath())) {
        error_ = server->errorString();
        delete server;
        ::close(lockFd_);
        lockFd_ = -1;
        return TStart::Alone;
      }
      server_ = server;
      connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
      return TStart::First;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error_ = SystemError(QFile::decodeName(lockPath), errno);
      return TStart::Alone;
    }
    result = Notify(message, deadline);
    if (result == TStart::HandedOver) break;
    QThread::msleep(static_cast<unsigned long>(std::min(kRetryMs, Remaining(deadline))));
  } while (!deadline.hasExpired());
  ::close(lockFd_);
  lockFd_ = -1;
  return result;
}

void TSingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    // Another user's process: closed at once.
    if (PeerUid(socket->socketDescriptor()) != static_cast<long>(::geteuid())) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    // More connections than a few second starts ever make: the oldest,
    // which has had its time to send, is closed, so nobody can use up the
    // program's file handles and connections held open do not shut out
    // the one that came to send a request.
    if (open_.size() >= std::size_t{kMaxConnections}) {
      QLocalSocket* oldest = open_.front();
      open_.erase(open_.begin());
      oldest->abort();
      oldest->deleteLater();
    }
    open_.push_back(socket);
    connect(socket, &QObject::destroyed, this, [this, socket] { std::erase(open_, socket); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadMessage(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A connection that sends nothing in time is closed.
    QTimer::singleShot(idleMs_, socket, [socket] {
      socket->abort();
      socket->deleteLater();
    });
    ReadMessage(socket);  // what arrived before the connection was taken
  }
}

void TSingleInstance::ReadMessage(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kMaxMessage) socket->abort();
    return;
  }
  // One message per connection; anything else is not ours.
  const QByteArray line = socket->readLine(kMaxMessage + 1);
  const bool activate = line == kActivateMessage;
  QString path;
  if (line.startsWith("open ") && line.endsWith('\n')) {
    const QByteArray bytes = QByteArray::fromPercentEncoding(line.mid(5, line.size() - 6));
    // Only a name Qt carries exactly: other bytes would come back as
    // U+FFFD, a path to another file.
    const QString decoded = QFile::decodeName(bytes);
    if (!bytes.isEmpty() && !bytes.contains('\0') && bytes.startsWith('/') &&
        QFile::encodeName(decoded) == bytes)
      path = decoded;
  }
  // A request is answered before it is carried out (the load may ask a
  // question first). A sender that has closed its end stopped waiting and
  // told its user that the file was not taken: its request is dropped.
  if ((!activate && path.isEmpty()) || PeerHungUp(socket->socketDescriptor())) {
    socket->abort();
    socket->deleteLater();
    return;
  }
  socket->write(kAcknowledgement);
  socket->disconnectFromServer();  // once the answer is written
  if (activate) emit ActivationRequested();
  else emit OpenRequested(path);
}

void BringToFront(QWidget* window) {
  if (!window) return;
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  if (!window->isVisible()) window->show();
  window->raise();
  window->activateWindow();
  if (QWindow* handle = window->windowHandle()) handle->requestActivate();
  // A dialog open over the window (setup, about, a question) stays on top.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
    modal->raise();
    modal->activateWindow();
  }
}

}  // namespace kestrin
