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
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "GtestQt.h"
#include "SecondStart.h"
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
  for (const QString& path : {QStringLiteral("relative/200502.slt"), odd})
    EXPECT_EQ(SecondStart("handover", dirs.Place(), path), TSingleInstance::TStart::HandedOver);
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

  EXPECT_EQ(SecondStart("peer", dirs.Place()), TSingleInstance::TStart::HandedOver);
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

// Connections held open by something else do not shut out a real second
// start: the oldest makes room for the newcomer, whose file is opened.
TEST(InstanceSocket, HeldConnectionsDoNotCrowdOutAHandOver) {
  TPlaceDirs dirs;
  TSingleInstance first("crowd", dirs.Place());
  first.SetIdleTimeout(60000);
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  QStringList opened;
  QObject::connect(&first, &TSingleInstance::OpenRequested, [&](const QString& p) { opened << p; });
  std::vector<int> held;
  for (int i = 0; i < TSingleInstance::kMaxConnections; ++i) held.push_back(ConnectTo(first.SocketPath()));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return first.OpenConnections() == TSingleInstance::kMaxConnections; }, 3000));

  const QString path = dirs.tmp.path() + "/200502.slt";
  EXPECT_EQ(SecondStart("crowd", dirs.Place(), path), TSingleInstance::TStart::HandedOver);
  EXPECT_TRUE(QTest::qWaitFor([&] { return opened == QStringList{path}; }, 3000))
      << opened.join(' ').toStdString();
  // Only the oldest held connection was closed.
  QTest::qWait(50);
  EXPECT_TRUE(ClosedByPeer(held[0]));
  EXPECT_FALSE(ClosedByPeer(held[1]));
  EXPECT_EQ(first.OpenConnections(), TSingleInstance::kMaxConnections - 1);
  for (int fd : held) ::close(fd);
}

// A running instance that does not answer (its window hangs; here this
// thread is busy with the second start): the second start gives up after
// the hand-over time and says so, and the request it gave up on is not
// carried out when the instance comes back.
TEST(InstanceSocket, WithoutAnAnswerTheSecondStartGivesUpAndItsRequestIsDropped) {
  TPlaceDirs dirs;
  TSingleInstance first("hung", dirs.Place());
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  int heard = 0;
  QObject::connect(&first, &TSingleInstance::ActivationRequested, [&] { ++heard; });
  QObject::connect(&first, &TSingleInstance::OpenRequested, [&] { ++heard; });
  QElapsedTimer clock;
  clock.start();
  TSingleInstance second("hung", dirs.Place());
  EXPECT_EQ(second.Start(dirs.tmp.path() + "/200502.slt"), TSingleInstance::TStart::NoAnswer);
  EXPECT_LT(clock.elapsed(), 3 * TSingleInstance::kHandOverMs);
  QTest::qWait(300);
  EXPECT_EQ(heard, 0);
}

// Only an absolute path is opened, and only a request that is carried out
// is answered: a relative path, an empty one, a NUL byte, a name that is
// not UTF-8 or an unknown message opens nothing and gets no answer.
TEST(InstanceSocket, OnlyAnAbsolutePathIsOpenedAndAnswered) {
  TPlaceDirs dirs;
  TSingleInstance first("relative", dirs.Place());
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  QStringList opened;
  QObject::connect(&first, &TSingleInstance::OpenRequested, [&](const QString& p) { opened << p; });
  // Bytes that are not UTF-8 would reach another file by the name Qt makes of them.
  for (const char* message : {"open relative/200502.slt\n", "open \n", "open %2Fa%00b.slt\n",
                              "opens /a.slt\n", "open %2Fdata%2F%B7%EE.slt\n"}) {
    const int fd = ConnectTo(first.SocketPath());
    ASSERT_GE(fd, 0);
    ASSERT_GT(::send(fd, message, std::strlen(message), MSG_NOSIGNAL), 0);
    // Closed without a byte of answer.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ClosedByPeer(fd); }, 3000)) << message;
    ::close(fd);
  }
  EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();

  const int fd = ConnectTo(first.SocketPath());
  const QByteArray message = TSingleInstance::OpenMessage("/data/200502.slt");
  ASSERT_GT(::send(fd, message.constData(), message.size(), MSG_NOSIGNAL), 0);
  char answer[8] = {};
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return ::recv(fd, answer, sizeof answer - 1, MSG_DONTWAIT | MSG_PEEK) >= 3; }, 3000));
  EXPECT_STREQ(answer, TSingleInstance::kAcknowledgement);
  ::close(fd);
  EXPECT_EQ(opened, QStringList{"/data/200502.slt"});
}
