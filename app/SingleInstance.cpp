#include "SingleInstance.h"

#include <unistd.h>

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace kestrin {

namespace {

constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 2000;
constexpr int kAttempts = 5;

// Keeps the characters that are safe in a socket name.
QString Sanitised(const QString& s) {
  QString out;
  for (const QChar c : s) out += (c.isLetterOrNumber() || c == QLatin1Char('.')) ? c : QLatin1Char('_');
  return out;
}

}  // namespace

TSingleInstance::TSingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DefaultName() {
  QString name = QStringLiteral("jp.kestrin.Kestrin.%1").arg(::getuid());
  QString session = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (session.isEmpty()) session = qEnvironmentVariable("DISPLAY");
  if (!session.isEmpty()) name += QLatin1Char('.') + Sanitised(session);
  return name;
}

bool TSingleInstance::Notify() {
  QLocalSocket socket;
  socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
  socket.connectToServer(name_, QIODevice::WriteOnly);
  if (!socket.waitForConnected(kConnectMs)) return false;
  socket.write(kActivateMessage);
  socket.flush();
  const bool sent = socket.bytesToWrite() == 0 || socket.waitForBytesWritten(kWriteMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kWriteMs);
  return sent;
}

TSingleInstance::TStart TSingleInstance::Start() {
  // Two starts at the same moment: the one that loses the race to listen
  // connects to the winner on its next turn.
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (Notify()) return TStart::HandedOver;
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (server->listen(name_)) {
      server_ = server;
      connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
      return TStart::First;
    }
    error_ = server->errorString();
    const bool inUse = server->serverError() == QAbstractSocket::AddressInUseError;
    delete server;
    if (!inUse) return TStart::Failed;
  }
  // The name is held by a process that does not answer: it is running, so
  // this start ends as a second one would.
  return TStart::HandedOver;
}

void TSingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    auto read = [this, socket] {
      // One short line is all a second start sends; anything longer is
      // not ours.
      while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(64);
        if (line == kActivateMessage) emit ActivationRequested();
      }
      if (socket->bytesAvailable() > 64) socket->abort();
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    read();  // what arrived before the connection was taken
  }
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
