// The about box, the window placement in the settings file and the
// single-instance rule.
#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <fstream>

#include "MainWindowFixture.h"
#include "SecondStart.h"
#include "app/AboutBox.h"
#include "app/SingleInstance.h"
#include "app/WindowPlacement.h"
#include "core/SettingsIni.h"
#include "core/Version.h"

using namespace kestrin;

// ------------------------------------------------------------- about box

TEST(AboutBox, ShowsNameFileVersionAndTheHistoryLinkOnlyWithTheFile) {
  QTemporaryDir tmp;
  const QString exe = QDir(tmp.path()).filePath("kestrin");
  {
    TAboutBox box(exe);
    EXPECT_EQ(box.windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(box.size(), QSize(498, 317));
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(box.ProductName->text(), "『Kestrin』");
    EXPECT_EQ(box.ProgramName->text(), "kestrin");
    EXPECT_EQ(box.Version->text(), "Version 2.11a");
    EXPECT_TRUE(QRegularExpression("^Version \\d+\\.\\d\\d[a-z]$").match(box.Version->text()).hasMatch());
    box.show();
    EXPECT_FALSE(box.HistoryLink->isVisible());
    EXPECT_EQ(box.HistoryFile(), "");
  }
  QFile history(QDir(tmp.path()).filePath("history.htm"));
  ASSERT_TRUE(history.open(QIODevice::WriteOnly));
  history.close();
  TAboutBox box(exe);
  QList<QUrl> opened;
  box.OpenUrl = [&](const QUrl& u) {
    opened << u;
    return true;
  };
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  EXPECT_TRUE(box.HistoryLink->isVisible());
  EXPECT_EQ(box.HistoryLink->text(), "更新履歴");
  QTest::mouseClick(box.HistoryLink, Qt::LeftButton, {}, box.HistoryLink->rect().center());
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QFileInfo(history).absoluteFilePath()));
  EXPECT_TRUE(box.isVisible());

  // Dragged by the mouse from anywhere on the box, the texts included.
  const QPoint before = box.pos();
  const QPoint grab = box.Version->geometry().center();
  QTest::mousePress(&box, Qt::LeftButton, {}, grab);
  QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(30, 20)), box.mapToGlobal(QPointF(grab + QPoint(30, 20))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&box, &move);
  QTest::mouseRelease(&box, Qt::LeftButton, {}, grab + QPoint(30, 20));
  EXPECT_EQ(box.pos(), before + QPoint(30, 20));

  box.OKButton->click();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(AboutBox, VersionIsTheNewestOfTheChangeLog) {
  std::ifstream log(KESTRIN_SOURCE_DIR "/CHANGELOG.md");
  ASSERT_TRUE(log.good());
  std::string line;
  while (std::getline(log, line))
    if (line.rfind("## ", 0) == 0) break;
  EXPECT_EQ(line.substr(3, line.find(' ', 3) - 3), kVersionText);
}

// ------------------------------------------------------------- placement

TEST(WindowPlacement, NormalPosFieldsFallBackOneByOne) {
  const QRect current(10, 20, 300, 200);  // right 310, bottom 220
  EXPECT_EQ(ParseNormalPos("1,2,3,4", current), (std::array<int, 4>{1, 2, 3, 4}));
  EXPECT_EQ(ParseNormalPos("-5, x ,800,", current), (std::array<int, 4>{-5, 20, 800, 220}));
  EXPECT_EQ(ParseNormalPos("", current), (std::array<int, 4>{10, 20, 310, 220}));
  EXPECT_EQ(ParseNormalPos("7", current), (std::array<int, 4>{7, 20, 310, 220}));
  EXPECT_EQ(ParseNormalPos("1,2,3,4,5", current), (std::array<int, 4>{1, 2, 3, 4}));
  EXPECT_EQ(ParseNormalPos("99999999999,2,3,4", current)[0], 10);
  EXPECT_EQ(FormatNormalPos(QRect(100, 50, 831, 630)), "100,50,931,680");
}

TEST(WindowPlacement, RestoreRules) {
  const QRect current(0, 0, 100, 100);
  TIniFile ini;
  ini.SetText("[TFrmMain]\r\nFlags=0\r\nShowCmd=3\r\nNormalPos=10,20,900,700\r\nPixelsPerInch=96\r\n");
  // Another resolution: nothing at all.
  EXPECT_FALSE(PlacementToRestore(ini, 120, current).has_value());
  auto r = PlacementToRestore(ini, 96, current);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->NormalPos, QRect(10, 20, 890, 680));
  EXPECT_EQ(r->ShowCmd, kShowMaximized);
  // Left not less than right: the rectangle is ignored, the state is not.
  ini.WriteString("TFrmMain", "NormalPos", "500,20,500,700");
  r = PlacementToRestore(ini, 96, current);
  EXPECT_TRUE(r->NormalPos.isNull());
  EXPECT_EQ(r->ShowCmd, kShowMaximized);
  const std::pair<int, int> states[] = {{1, kShowNormal}, {5, kShowNormal}, {9, kShowNormal},
                                        {2, kShowMinimized}, {6, kShowMinimized}, {3, kShowMaximized},
                                        {0, 0}, {4, 0}, {7, 0}};
  for (auto [stored, state] : states) {
    ini.WriteInteger("TFrmMain", "ShowCmd", stored);
    EXPECT_EQ(PlacementToRestore(ini, 96, current)->ShowCmd, state) << stored;
  }
  // No resolution written: nothing.
  TIniFile none;
  none.SetText("[TFrmMain]\r\nNormalPos=1,2,300,400\r\n");
  EXPECT_FALSE(PlacementToRestore(none, 96, current).has_value());
}

namespace {

class Placement : public MainWindowFixture {
 protected:
  QTemporaryDir tmp;
  void SetUp() override {
    MainWindowFixture::SetUp();
    settingsFile = QFile::encodeName(QDir(tmp.path()).filePath("kestrin.INI")).toStdString();
  }
  int Dpi() {
    QWidget probe;
    return ScreenPixelsPerInch(probe);
  }
  void WritePlacementText(const std::string& text) {
    TIniFile ini;
    ini.SetText(text);
    ASSERT_TRUE(ini.Save(settingsFile));
  }
  // Whether the window stands in the middle of the screen (to a pixel or
  // two of rounding).
  static bool Centred(const QWidget& w) {
    const QPoint d = w.frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    return std::abs(d.x()) <= 2 && std::abs(d.y()) <= 2;
  }
};

}  // namespace

TEST_F(Placement, WrittenAtCloseAndRestoredAtTheNextStart) {
  TFrmMain& f = Window();
  const QRect wanted(40, 30, 900, 700);
  f.setGeometry(wanted);
  f.close();
  ASSERT_FALSE(f.isVisible());
  TIniFile ini;
  ASSERT_TRUE(ini.Load(settingsFile));
  EXPECT_EQ(ini.ReadString("TFrmMain", "Flags", ""), "0");
  EXPECT_EQ(ini.ReadString("TFrmMain", "ShowCmd", ""), "1");
  EXPECT_EQ(ini.ReadString("TFrmMain", "NormalPos", ""), "40,30,940,730");
  EXPECT_EQ(ini.ReadInteger("TFrmMain", "PixelsPerInch", 0), Dpi());
  EXPECT_TRUE(ini.Find("TFrmMain", "Color").has_value());
  // The settings are in the same file.
  EXPECT_EQ(ini.ReadString("Info", "InkanTitle2", ""), Sjis("部長"));

  w.reset();
  EXPECT_EQ(Window().geometry(), wanted);
  EXPECT_FALSE(Window().isMaximized());
}

TEST_F(Placement, AnotherResolutionOrAnEmptyRectangleOpensCentred) {
  WritePlacementText("[TFrmMain]\r\nShowCmd=1\r\nNormalPos=40,30,940,730\r\nPixelsPerInch=" +
                     std::to_string(Dpi() + 48) + "\r\n");
  const QSize designed = TFrmMain().size();
  EXPECT_TRUE(Centred(Window()));
  EXPECT_EQ(Window().size(), designed);
  w.reset();
  WritePlacementText("[TFrmMain]\r\nShowCmd=1\r\nNormalPos=940,30,40,730\r\nPixelsPerInch=" +
                     std::to_string(Dpi()) + "\r\n");
  EXPECT_TRUE(Centred(Window()));
  EXPECT_EQ(Window().size(), designed);
}

TEST_F(Placement, MaximizedStateAndAnOffScreenRectangle) {
  // Far outside every screen: brought back onto the primary screen.
  WritePlacementText("[TFrmMain]\r\nShowCmd=3\r\nNormalPos=-9000,-9000,-8100,-8300\r\nPixelsPerInch=" +
                     std::to_string(Dpi()) + "\r\n");
  TFrmMain& f = Window();
  EXPECT_TRUE(f.isMaximized());
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(f.normalGeometry()))
      << f.normalGeometry().x();
  f.close();
  TIniFile ini;
  ASSERT_TRUE(ini.Load(settingsFile));
  EXPECT_EQ(ini.ReadInteger("TFrmMain", "ShowCmd", 0), 3);
}

TEST_F(Placement, ATooSmallRectangleKeepsTheLeastSize) {
  WritePlacementText("[TFrmMain]\r\nShowCmd=1\r\nNormalPos=50,60,150,60\r\nPixelsPerInch=" +
                     std::to_string(Dpi()) + "\r\n");
  TFrmMain& f = Window();
  EXPECT_EQ(f.geometry().topLeft(), QPoint(50, 60));
  EXPECT_EQ(f.size(), f.minimumSize());
}

// --------------------------------------------------------- single instance

namespace {

QString UniqueName(const char* tag) {
  return QStringLiteral("kestrin-test-%1-%2-%3")
      .arg(QString::fromLatin1(tag))
      .arg(QCoreApplication::applicationPid())
      .arg(QDateTime::currentMSecsSinceEpoch());
}

// A private runtime folder of the test's own, so that no socket or lock
// file is left behind in the user's folders.
struct TTestPlace {
  QTemporaryDir dir;
  TInstancePlace Place() const {
    TInstancePlace p;
    p.RuntimeDir = dir.path();
    p.TempDir = dir.path();
    return p;
  }
};

}  // namespace

TEST(SingleInstance, ASecondStartHandsOverAndTheFirstComesForward) {
  TTestPlace place;
  const QString name = UniqueName("pair");
  TSingleInstance first(name, place.Place());
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  int activations = 0;
  QObject::connect(&first, &TSingleInstance::ActivationRequested, [&] { ++activations; });
  EXPECT_EQ(SecondStart(name, place.Place()), TSingleInstance::TStart::HandedOver);
  EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }, 3000));
  // Another name is not affected.
  TSingleInstance other(name + "-x", place.Place());
  EXPECT_EQ(other.Start(), TSingleInstance::TStart::First);
}

TEST(SingleInstance, TheNameEndsWithTheFirstInstance) {
  TTestPlace place;
  const QString name = UniqueName("gone");
  {
    TSingleInstance first(name, place.Place());
    ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  }
  TSingleInstance again(name, place.Place());
  EXPECT_EQ(again.Start(), TSingleInstance::TStart::First);
}

TEST(SingleInstance, DefaultNameIsPerUserAndDisplay) {
  const QByteArray saved = qgetenv("DISPLAY");
  const QByteArray savedWayland = qgetenv("WAYLAND_DISPLAY");
  qunsetenv("WAYLAND_DISPLAY");
  qputenv("DISPLAY", ":7.0");
  const QString a = TSingleInstance::DefaultName();
  qputenv("DISPLAY", ":8");
  const QString b = TSingleInstance::DefaultName();
  EXPECT_NE(a, b);
  EXPECT_TRUE(a.startsWith(QStringLiteral("jp.kestrin.Kestrin.%1.").arg(::getuid()))) << a.toStdString();
  EXPECT_FALSE(a.contains(':'));
  qputenv("DISPLAY", saved);
  if (!savedWayland.isEmpty()) qputenv("WAYLAND_DISPLAY", savedWayland);
}

TEST(SingleInstance, BringToFrontRestoresAMinimizedWindow) {
  QWidget window;
  window.resize(200, 100);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(window.isMinimized());
  BringToFront(&window);
  EXPECT_FALSE(window.isMinimized());
  EXPECT_TRUE(window.isVisible());
}

// The program itself: a second start ends at once while the first runs,
// and a first instance that was killed does not block the next start.
TEST(SingleInstance, TheProgramStartsOnceAndAfterACrash) {
  const QString exe = QStringLiteral(KESTRIN_BIN_DIR "/kestrin");
  if (!QFile::exists(exe)) GTEST_SKIP() << "kestrin not built";
  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  // A display name and a runtime folder of its own keep the test apart
  // from a real session, and its sockets and lock files go with the folder.
  const QString display = UniqueName("display");
  env.insert("DISPLAY", display);
  env.remove("WAYLAND_DISPLAY");
  env.insert("HOME", home.path());
  env.insert("XDG_CONFIG_HOME", home.path() + "/config");
  env.insert("XDG_RUNTIME_DIR", home.path());  // 0700, ours
  auto start = [&](QProcess& p) {
    p.setProcessEnvironment(env);
    p.start(exe, {});
    return p.waitForStarted(5000);
  };
  // The first start keeps running (its window is up).
  QProcess first;
  ASSERT_TRUE(start(first));
  EXPECT_FALSE(first.waitForFinished(2500));
  // A second start ends by itself, successfully.
  QProcess second;
  ASSERT_TRUE(start(second));
  EXPECT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  // The first instance crashes: the next start runs.
  ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
  first.waitForFinished(5000);
  QProcess third;
  ASSERT_TRUE(start(third));
  EXPECT_FALSE(third.waitForFinished(2500));
  third.kill();
  third.waitForFinished(5000);
  // Nothing of these runs in the shared fallback folder.
  const QDir shared(QStringLiteral("/tmp/kestrin-%1").arg(::geteuid()));
  EXPECT_TRUE(
      shared.entryList({"*" + QString(display).replace('-', '_') + "*"}, QDir::AllEntries | QDir::System)
          .isEmpty());
}
