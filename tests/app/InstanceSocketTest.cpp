// The single-instance channel under a hostile machine: a file path handed
// over, runtime folders the program must not trust, a squatter and a peer
// of another user, and idle connections. Tests that need another user run
// when the test runs as root (they drop to `nobody` in a forked child).
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "GtestQt.h"
#include "app/SingleInstance.h"

using namespace kestrin;

namespace {

// A temporary folder standing for /tmp, and a runtime folder of our own.
struct TPlaceDirs {
  QTemporaryDir tmp;
  TInstancePlace Place(bool withRuntime = true) {
    TInstancePlace p;
    p.TempDir = tmp.path() + "/tmp";
    QDir().mkpath(p.TempDir);
    ::chmod(QFile::encodeName(p.TempDir).constData(), 01777);
    if (withRuntime) {
      p.RuntimeDir = tmp.path() + "/run";
      QDir().mkpath(p.RuntimeDir);
      ::chmod(QFile::encodeName(p.RuntimeDir).constData(), 0700);
    }
    return p;
  }
};

// A Unix-socket connection to `path`; -1 on failure (a full listen queue
// too: the socket does not block).
int ConnectTo(const QString& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray p = QFile::encodeName(path);
  std::memcpy(addr.sun_path, p.constData(), std::min<std::size_t>(p.size(), sizeof addr.sun_path - 1));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

// True when the other end closed the connection (a read gives 0 or an error).
bool ClosedByPeer(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return false;
  char c;
  return ::recv(fd, &c, 1, MSG_DONTWAIT) <= 0;
}

#define REQUIRE_ROOT() \
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user (nobody)"

}  // namespace

TEST(InstanceSocket, ASecondStartHandsOverTheAbsolutePathOfItsFile) {
  TPlaceDirs dirs;
  TSingleInstance first("handover", dirs.Place());
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First) << first.ErrorString().toStdString();
  EXPECT_EQ(first.Folder(), dirs.tmp.path() + "/run");
  QStringList opened;
  QObject::connect(&first, &TSingleInstance::OpenRequested, [&](const QString& p) { opened << p; });
  // Any bytes a file name may hold, a line break included.
  const QString odd = dirs.tmp.path() + "/月度 2005\n02%.slt";
  for (const QString& path : {QStringLiteral("relative/200502.slt"), odd}) {
    TSingleInstance second("handover", dirs.Place());
    EXPECT_EQ(second.Start(path), TSingleInstance::TStart::HandedOver);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 5000));
  EXPECT_EQ(opened[0], QDir::current().absoluteFilePath("relative/200502.slt"));
  EXPECT_EQ(opened[1], odd);
}

TEST(InstanceSocket, ARuntimeFolderThatIsNotPrivateIsNotUsed) {
  TPlaceDirs dirs;
  TInstancePlace place = dirs.Place();
  const QString own = place.TempDir + QStringLiteral("/kestrin-%1").arg(::geteuid());
  // Open to others, a link to a private folder, a relative name.
  ::chmod(QFile::encodeName(place.RuntimeDir).constData(), 0755);
  const QString link = dirs.tmp.path() + "/link";
  QDir().mkpath(dirs.tmp.path() + "/private");
  ::chmod(QFile::encodeName(dirs.tmp.path() + "/private").constData(), 0700);
  ASSERT_TRUE(QFile::link(dirs.tmp.path() + "/private", link));
  for (const QString& runtime : {place.RuntimeDir, link, QStringLiteral("run")}) {
    place.RuntimeDir = runtime;
    TSingleInstance instance("unsafe", place);
    ASSERT_EQ(instance.Start(), TSingleInstance::TStart::First) << runtime.toStdString();
    EXPECT_EQ(instance.Folder(), own) << runtime.toStdString();
  }
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// Another user made the fallback folder first and listens in it, and the
// environment names a runtime folder of that user: the program neither
// trusts them nor talks to the squatter; it starts on its own.
TEST(InstanceSocket, ASquatterOfAnotherUserDoesNotStopTheStart) {
  REQUIRE_ROOT();
  TPlaceDirs dirs;
  TInstancePlace place = dirs.Place();
  ::chmod(QFile::encodeName(dirs.tmp.path()).constData(), 0755);
  const passwd* pw = ::getpwnam("nobody");
  ASSERT_NE(pw, nullptr);
  ASSERT_EQ(::chown(QFile::encodeName(place.RuntimeDir).constData(), pw->pw_uid, pw->pw_gid), 0);
  const QByteArray squatDir = QFile::encodeName(place.TempDir + "/kestrin-0");
  const QByteArray squatSocket = squatDir + "/squat";

  int ready[2], report[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(report), 0);
  const pid_t squatter = ::fork();
  if (squatter == 0) {
    const int rc = [&] {
      if (::setgroups(0, nullptr) != 0 || ::setgid(pw->pw_gid) != 0 || ::setuid(pw->pw_uid) != 0) return 90;
      if (::mkdir(squatDir.constData(), 0777) != 0) return 91;
      ::chmod(squatDir.constData(), 0777);
      const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::strncpy(addr.sun_path, squatSocket.constData(), sizeof addr.sun_path - 1);
      if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 8) != 0) return 92;
      ::chmod(squatSocket.constData(), 0777);
      (void)!::write(ready[1], "r", 1);
      // Reports whether anybody connected within 3 s.
      pollfd p{s, POLLIN, 0};
      const char got = ::poll(&p, 1, 3000) > 0 ? 'c' : 'n';
      (void)!::write(report[1], &got, 1);
      return 0;
    }();
    ::_exit(rc);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  TSingleInstance instance("squat", place);
  EXPECT_EQ(instance.Start(), TSingleInstance::TStart::Alone);
  EXPECT_TRUE(instance.Folder().isEmpty());
  EXPECT_FALSE(instance.ErrorString().isEmpty());
  ASSERT_EQ(::read(report[0], &c, 1), 1);
  EXPECT_EQ(c, 'n') << "the squatter was contacted";
  int status = 0;
  ::waitpid(squatter, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  for (int fd : {ready[0], ready[1], report[0], report[1]}) ::close(fd);
}

// Should another user's process reach the socket at all (the folder's
// rights loosened behind the program's back), its messages are ignored
// and its connection closed; the user's own second start still works.
TEST(InstanceSocket, APeerOfAnotherUserIsIgnored) {
  REQUIRE_ROOT();
  TPlaceDirs dirs;
  TSingleInstance first("peer", dirs.Place());
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  int heard = 0;
  QObject::connect(&first, &TSingleInstance::ActivationRequested, [&] { ++heard; });
  QObject::connect(&first, &TSingleInstance::OpenRequested, [&] { ++heard; });
  ::chmod(QFile::encodeName(dirs.tmp.path()).constData(), 0755);
  ::chmod(QFile::encodeName(first.Folder()).constData(), 0711);
  ::chmod(QFile::encodeName(first.SocketPath()).constData(), 0777);

  const QString socketPath = first.SocketPath();
  // The child connects as nobody, sends both messages and waits for the
  // program to close the connection; the parent keeps the event loop
  // running meanwhile.
  const pid_t child = ::fork();
  if (child == 0) {
    const passwd* pw = ::getpwnam("nobody");
    if (!pw || ::setgroups(0, nullptr) != 0 || ::setgid(pw->pw_gid) != 0 || ::setuid(pw->pw_uid) != 0) ::_exit(90);
    const int fd = ConnectTo(socketPath);
    if (fd < 0) ::_exit(91);
    const char msg[] = "activate\nopen /etc/passwd\n";
    (void)!::send(fd, msg, sizeof msg - 1, MSG_NOSIGNAL);
    pollfd p{fd, POLLIN, 0};
    char c;
    const bool closed = ::poll(&p, 1, 5000) > 0 && ::recv(fd, &c, 1, MSG_DONTWAIT) <= 0;
    ::_exit(closed ? 0 : 92);
  }
  int status = 0;
  ASSERT_TRUE(QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 8000));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "90 no nobody, 91 no connection, 92 not closed";
  QTest::qWait(100);
  EXPECT_EQ(heard, 0);

  TSingleInstance second("peer", dirs.Place());
  second.Start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return heard == 1; }, 5000));
}

TEST(InstanceSocket, IdleConnectionsAreCappedAndClosed) {
  TPlaceDirs dirs;
  TSingleInstance first("idle", dirs.Place());
  first.SetIdleTimeout(300);
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  std::vector<int> clients;
  for (int i = 0; i < 200; ++i) {
    const int fd = ConnectTo(first.SocketPath());
    if (fd < 0) break;  // the listen queue is full: the program accepts no more
    clients.push_back(fd);
    if (i % 20 == 0) QTest::qWait(5);
  }
  ASSERT_GT(clients.size(), size_t{TSingleInstance::kMaxConnections});
  QTest::qWait(100);
  EXPECT_LE(first.OpenConnections(), TSingleInstance::kMaxConnections);
  // After the idle time every connection is closed, none left open.
  EXPECT_TRUE(QTest::qWaitFor([&] { return first.OpenConnections() == 0; }, 3000));
  QTest::qWait(50);
  int closed = 0;
  for (int fd : clients) closed += ClosedByPeer(fd) ? 1 : 0;
  for (int fd : clients) ::close(fd);
  EXPECT_EQ(closed, static_cast<int>(clients.size()));
}
