// The window on the desktop: a file handed over by a second start, a
// dropped file, the recent-files submenu with its section of the settings
// file, and the program started without a display or with a file.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "MainWindowFixture.h"
#include "SecondStart.h"
#include "app/SingleInstance.h"
#include "core/DataFile.h"
#include "widgets/StatusLine.h"

using namespace kestrin;

namespace {

class Desktop : public MainWindowFixture {
 protected:
  QTemporaryDir tmp;
  QString Path(const QString& name) const { return QDir(tmp.path()).filePath(name); }
  // A month of February 2005 with `biko` as its remarks, written to `name`.
  QString WriteMonth(const QString& name, const char* biko) {
    TMainData d;
    d.BasicInfo.Getsudo = PackDate(2005, 2, 1);
    d.AdjustSlumpList();
    d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1850;
    d.BasicInfo.Biko = Sjis(biko);
    d.Calculate();
    EXPECT_TRUE(SaveToFile(QFile::encodeName(Path(name)).toStdString(), d));
    return Path(name);
  }
  // Drags `urls` over the window and drops them; true when the window took
  // the drag.
  bool Drop(const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = Window().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Window(), &drop);
    QTest::qWait(20);
    return drop.isAccepted();
  }
  QStringList RecentMenu() {
    QStringList texts;
    for (QAction* a : Ui().RecentMenu->actions()) texts << a->data().toString();
    return texts;
  }
};

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

}  // namespace

// A second start with a file: the running window asks about its changes,
// and on Yes loads the file; a plain second start only brings it forward.
TEST_F(Desktop, AFileHandedOverIsLoadedAfterTheQuestion) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  const QString file = WriteMonth("200502.slt", "引き渡し");
  TInstancePlace place;
  place.RuntimeDir = Path("run");
  QDir().mkpath(place.RuntimeDir);
  QFile::setPermissions(place.RuntimeDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  TSingleInstance first("window", place);
  ASSERT_EQ(first.Start(), TSingleInstance::TStart::First);
  f.ListenTo(first);

  Enter(ui.CellBiko, "未保存");
  dialogs.Answers = {false};
  EXPECT_EQ(SecondStart("window", place, file), TSingleInstance::TStart::HandedOver);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.Messages.size() == 1; }, 5000));
  EXPECT_EQ(dialogs.Texts(), QStringList{"保存していませんが，ロードしますか？"});
  EXPECT_EQ(Info().Biko, Sjis("未保存"));

  dialogs.Answers = {true};
  EXPECT_EQ(SecondStart("window", place, file), TSingleInstance::TStart::HandedOver);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Probe().DataFileName() == file; }, 5000));
  EXPECT_EQ(Info().Biko, Sjis("引き渡し"));
  EXPECT_EQ(f.windowTitle(), "Kestrin " + file);
  EXPECT_FALSE(Probe().Edited());
  EXPECT_EQ(Active(), ui.CellYear);

  // Without a file nothing is loaded or asked.
  dialogs.Reset();
  EXPECT_EQ(SecondStart("window", place), TSingleInstance::TStart::HandedOver);
  QTest::qWait(200);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(Probe().DataFileName(), file);
}

TEST_F(Desktop, OneDroppedMonthFileIsLoadedWithTheSameQuestion) {
  TFrmMainUi& ui = Ui();
  const QString file = WriteMonth("200502.SLT", "ドロップ");
  WriteMonth("200503.slt", "二つ目");
  // Not a month file, two files, or a remote one: refused.
  EXPECT_FALSE(Drop({QUrl::fromLocalFile(Path("notes.txt"))}));
  EXPECT_FALSE(Drop({QUrl::fromLocalFile(file), QUrl::fromLocalFile(Path("200503.slt"))}));
  EXPECT_FALSE(Drop({QUrl("https://example.org/200502.slt")}));

  Enter(ui.CellBiko, "未保存");
  dialogs.Answers = {false};
  EXPECT_TRUE(Drop({QUrl::fromLocalFile(file)}));
  EXPECT_EQ(dialogs.Texts(), QStringList{"保存していませんが，ロードしますか？"});
  EXPECT_EQ(Info().Biko, Sjis("未保存"));
  dialogs.Answers = {true};
  EXPECT_TRUE(Drop({QUrl::fromLocalFile(file)}));
  EXPECT_EQ(Info().Biko, Sjis("ドロップ"));
  EXPECT_EQ(Probe().DataFileName(), file);
  EXPECT_FALSE(Probe().Edited());
}

// Loaded and saved files, newest first, at most 8, kept in [Recent] of the
// settings file beside every other section; a path CP932 cannot hold is not
// listed; a file that is gone is taken off with the load-failure message.
TEST_F(Desktop, RecentFilesAreListedKeptAndPruned) {
  settingsFile = Path("kestrin.INI").toStdString();
  {
    std::ofstream ini(settingsFile, std::ios::binary);
    ini << "[Other]\r\nKey=keep me\r\n[Recent]\r\nFile1=" << Path("old.slt").toStdString() << "\r\nExtra=1\r\n";
  }
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  EXPECT_EQ(RecentMenu(), QStringList{Path("old.slt")});

  const QString a = WriteMonth("200502.slt", "a");
  const QString emoji = WriteMonth("月度😀.slt", "b");
  dialogs.FileAnswers = {a, emoji};
  ui.LoadAction->trigger();
  ui.LoadAction->trigger();
  EXPECT_EQ(Info().Biko, Sjis("b"));  // loaded, only not listed
  dialogs.FileAnswers = {Path("saved")};
  ui.SaveAction->trigger();
  const QString saved = Path("saved.slt");
  EXPECT_EQ(RecentMenu(), (QStringList{saved, a, Path("old.slt")}));
  EXPECT_EQ(ui.RecentMenu->actions()[0]->text(), "&1 " + saved);

  // Chosen again: loaded, and first in the list.
  ui.RecentMenu->actions()[1]->trigger();
  EXPECT_EQ(Probe().DataFileName(), a);
  EXPECT_EQ(RecentMenu().first(), a);

  // A file that is gone: the message, off the list, the month unchanged.
  dialogs.Reset();
  ui.RecentMenu->actions()[2]->trigger();
  EXPECT_EQ(dialogs.Texts(), QStringList{"ファイルのロードに失敗しました．"});
  EXPECT_EQ(RecentMenu(), (QStringList{a, saved}));
  EXPECT_EQ(Probe().DataFileName(), a);
  EXPECT_EQ(Info().Biko, Sjis("a"));

  f.close();
  const QString text = ReadAll(Path("kestrin.INI"));
  EXPECT_TRUE(text.contains("[Other]\r\nKey=keep me\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("Extra=1\r\n"));
  for (const QString& line : {"File1=" + a, "File2=" + saved, QStringLiteral("File3=")})
    EXPECT_TRUE(text.contains(line + "\r\n")) << line.toStdString() << "\n" << text.toStdString();
  EXPECT_FALSE(text.contains("old.slt"));
  EXPECT_FALSE(ReadAll(Path("kestrin.INI")).toUtf8().contains("月度"));

  // The next run lists them again; at most eight are kept.
  w.reset();
  TFrmMainUi& next = Ui();  // a new window
  EXPECT_EQ(RecentMenu(), (QStringList{a, saved}));
  for (int i = 0; i < 9; ++i) {
    dialogs.FileAnswers = {WriteMonth(QStringLiteral("2005%1.slt").arg(i + 1, 2, 10, QLatin1Char('0')), "x")};
    next.LoadAction->trigger();
  }
  EXPECT_EQ(RecentMenu().size(), 8);
  EXPECT_EQ(RecentMenu().first(), Path("200509.slt"));
}

// An entry with a control character is dropped, never written back as
// another file (a CR would come back as a blank); a path CP932 cannot hold
// exactly is never listed; a long path is cut in its middle in the menu
// and shown whole in the status line.
TEST_F(Desktop, RecentEntriesWithControlCharactersGoAndLongOnesAreElided) {
  settingsFile = Path("kestrin.INI").toStdString();
  QString longPath = QStringLiteral("/data");
  for (int i = 0; i < 30; ++i) longPath += QStringLiteral("/第%1工場の月度データ").arg(i);
  longPath += QStringLiteral("/200502.slt");
  {
    std::ofstream ini(settingsFile, std::ios::binary);
    ini << "[Recent]\r\nFile1=/data/a\rb.slt\r\nFile2=/data/a\tb.slt\r\nFile3=/data/a\x1b"
           "b.slt\r\nFile4="
        << Sjis(longPath.toStdString()) << "\r\n";
  }
  TFrmMainUi& ui = Ui();
  ASSERT_EQ(RecentMenu(), QStringList{longPath});
  QAction* item = ui.RecentMenu->actions()[0];
  const QString text = item->text();
  EXPECT_TRUE(text.startsWith("&1 /data/第0工場")) << text.toStdString();
  EXPECT_TRUE(text.endsWith("/200502.slt")) << text.toStdString();
  EXPECT_TRUE(text.contains(QChar(0x2026))) << text.toStdString();
  EXPECT_LE(ui.RecentMenu->fontMetrics().horizontalAdvance(text.mid(3)), TRecentFiles::kMenuTextWidth);
  EXPECT_EQ(item->statusTip(), longPath);
  ui.RecentMenu->setActiveAction(item);
  QStatusTipEvent tip(item->statusTip());
  QApplication::sendEvent(&Window(), &tip);
  EXPECT_EQ(ui.StatusLine->Text(), longPath);

  Window().close();
  std::ostringstream bytes;
  bytes << std::ifstream(settingsFile, std::ios::binary).rdbuf();
  const std::string written = bytes.str();
  EXPECT_NE(written.find("File1=" + Sjis(longPath.toStdString()) + "\r\nFile2=\r\n"), std::string::npos)
      << written;
  EXPECT_EQ(written.find("a b.slt"), std::string::npos) << written;

  // Exact round trips only: U+2212 reads back as U+FF0D, U+FF5E and the
  // ampersand stay.
  EXPECT_FALSE(TRecentFiles::Storable(QStringLiteral("/data/a\u2212b.slt")));
  EXPECT_TRUE(TRecentFiles::Storable(QStringLiteral("/data/a\uFF5Eb&c.slt")));
  TRecentFiles recent;
  recent.Add(QStringLiteral("/data/a\u2212b.slt"));
  recent.Add(QStringLiteral("/data/a\nb.slt"));
  EXPECT_TRUE(recent.Paths().isEmpty());
  EXPECT_EQ(TRecentFiles::MenuText(QStringLiteral("/data/a&b.slt"), ui.RecentMenu->fontMetrics(), 1000),
            QStringLiteral("/data/a&&b.slt"));
}

// A path that holds U+FFFD stands for a name whose bytes were not UTF-8
// (made under a non-UTF-8 locale): loading or saving it would reach a file
// of another name, so both are refused with the name in the message.
TEST_F(Desktop, ANameQtCouldNotCarryIsNeitherLoadedNorSavedUnderAnotherName) {
  TFrmMainUi& ui = Ui();
  const QString lost = Path(QStringLiteral("\uFFFD\uFFFD.slt"));
  WriteMonth(QStringLiteral("\uFFFD\uFFFD.slt"), "別のファイル");  // the name Qt would reach
  dialogs.FileAnswers = {lost};
  ui.LoadAction->trigger();
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(
      dialogs.Texts()[0].startsWith("ファイルのロードに失敗しました．\n" + lost + ": ファイル名に UTF-8"))
      << dialogs.Texts()[0].toStdString();
  EXPECT_NE(Info().Biko, Sjis("別のファイル"));

  dialogs.Reset();
  const QString other = Path(QStringLiteral("\uFFFD.slt"));
  dialogs.FileAnswers = {other};
  ui.SaveAction->trigger();
  ASSERT_EQ(dialogs.Texts().size(), 1);
  EXPECT_TRUE(dialogs.Texts()[0].startsWith("ファイルのセーブに失敗しました．"))
      << dialogs.Texts()[0].toStdString();
  EXPECT_FALSE(QFile::exists(other));
}

// ------------------------------------------------------------- the program

namespace {

QString Program() { return QStringLiteral(KESTRIN_BIN_DIR "/kestrin"); }

// A display number no X server uses now, from `from` on.
int FreeDisplay(int from) {
  int n = from;
  while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))) ++n;
  return n;
}

}  // namespace

TEST(ProgramStart, WithoutADisplayItSaysSoInJapaneseAndExitsOne) {
  if (!QFile::exists(Program())) GTEST_SKIP() << "kestrin not built";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.remove("WAYLAND_DISPLAY");
  // No display at all, and a display nobody serves.
  for (const QString& display : {QString(), QStringLiteral(":%1").arg(FreeDisplay(90))}) {
    if (display.isEmpty()) env.remove("DISPLAY");
    else env.insert("DISPLAY", display);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(Program(), {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << display.toStdString();
    EXPECT_EQ(p.exitCode(), 1) << display.toStdString();
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("グラフィカルなディスプレイが必要です")) << err.toStdString();
  }
}

// Under a real X server (Xvfb): `kestrin FILE` opens the month, a second
// `kestrin FILE2` hands it over and ends, and the running window shows it.
TEST(ProgramStart, OpensTheFileAndASecondStartHandsItsFileOver) {
  if (!QFile::exists(Program())) GTEST_SKIP() << "kestrin not built";
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  const QString xdotool = QStandardPaths::findExecutable("xdotool");
  if (xvfb.isEmpty() || xdotool.isEmpty()) GTEST_SKIP() << "Xvfb or xdotool not installed (Debian: xvfb, xdotool)";
  QTemporaryDir tmp;
  const int number = FreeDisplay(150 + QCoreApplication::applicationPid() % 500);
  const QString display = QStringLiteral(":%1").arg(number);
  QProcess server;
  // -noreset: by default the server resets when its last client goes, and
  // a client connecting during the reset (the program's display check is
  // one, the readiness probe below another) is turned away.
  server.start(xvfb, {display, "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
  ASSERT_TRUE(server.waitForStarted(5000));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  env.remove("WAYLAND_DISPLAY");
  env.insert("DISPLAY", display);
  env.insert("HOME", tmp.path());
  env.insert("XDG_CONFIG_HOME", tmp.path() + "/config");
  env.insert("XDG_RUNTIME_DIR", tmp.path());  // 0700, ours
  // The window whose caption names `file`.
  auto windowShows = [&](const QString& file) {
    return QTest::qWaitFor(
        [&] {
          QProcess search;
          search.setProcessEnvironment(env);
          QString pattern = file;
          pattern.replace(".", "\\.");
          search.start(xdotool, {"search", "--name", "^Kestrin " + pattern + "$"});
          search.waitForFinished(5000);
          return search.exitCode() == 0 && !search.readAllStandardOutput().trimmed().isEmpty();
        },
        30000);
  };
  auto month = [&](const QString& name) {
    TMainData d;
    d.BasicInfo.Getsudo = PackDate(2005, 2, 1);
    d.AdjustSlumpList();
    const QString path = tmp.path() + "/" + name;
    EXPECT_TRUE(SaveToFile(QFile::encodeName(path).toStdString(), d));
    return path;
  };
  const QString a = month("200502.slt"), b = month("200503.slt");
  // The X server may take a moment to come up: its socket can exist before
  // it takes connections, so wait until a client gets an answer.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QProcess probe;
        probe.setProcessEnvironment(env);
        probe.start(xdotool, {"getdisplaygeometry"});
        return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit &&
               probe.exitCode() == 0;
      },
      20000));
  QProcess first;
  first.setProcessEnvironment(env);
  first.setWorkingDirectory(tmp.path());
  first.start(Program(), {"200502.slt"});  // relative to its folder
  ASSERT_TRUE(first.waitForStarted(5000));
  EXPECT_TRUE(windowShows(a)) << first.readAllStandardError().toStdString();

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(Program(), {b});
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
  EXPECT_TRUE(windowShows(b));
  EXPECT_EQ(first.state(), QProcess::Running);

  first.kill();
  first.waitForFinished(5000);
  server.terminate();
  server.waitForFinished(5000);
}

// Under a real X server: typing into a running window and killing it with
// SIGKILL leaves the recovery copy in the user's state folder, and the next
// start asks whether to restore it.
TEST(ProgramStart, AKilledWindowLeavesItsTypingAndTheNextStartOffersIt) {
  if (!QFile::exists(Program())) GTEST_SKIP() << "kestrin not built";
  const QString xvfb = QStandardPaths::findExecutable("Xvfb");
  const QString xdotool = QStandardPaths::findExecutable("xdotool");
  if (xvfb.isEmpty() || xdotool.isEmpty())
    GTEST_SKIP() << "Xvfb or xdotool not installed (Debian: xvfb, xdotool)";
  QTemporaryDir tmp;
  const QString display =
      QStringLiteral(":%1").arg(FreeDisplay(700 + QCoreApplication::applicationPid() % 200));
  QProcess server;
  server.start(xvfb, {display, "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
  ASSERT_TRUE(server.waitForStarted(5000));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_STATE_HOME"}) env.remove(name);
  env.insert("DISPLAY", display);
  env.insert("HOME", tmp.path());
  env.insert("XDG_CONFIG_HOME", tmp.path() + "/config");
  env.insert("XDG_RUNTIME_DIR", tmp.path());
  auto xdo = [&](const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(xdotool, args);
    p.waitForFinished(5000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
               ? QString::fromUtf8(p.readAllStandardOutput()).trimmed()
               : QString();
  };
  auto windowNamed = [&](const QString& pattern) {
    QString id;
    (void)QTest::qWaitFor(
        [&] {
          return !(id = xdo({"search", "--name", pattern}).section('\n', 0, 0)).isEmpty();
        },
        30000);
    return id;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return !xdo({"getdisplaygeometry"}).isEmpty(); }, 20000));
  const QString copy = tmp.path() + "/.local/state/kestrin/recovery.slt";

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(Program(), {});
  ASSERT_TRUE(first.waitForStarted(5000));
  const QString id = windowNamed("^Kestrin $");
  ASSERT_FALSE(id.isEmpty()) << first.readAllStandardError().toStdString();
  // The year cell is active at start: a year typed and entered is a commit.
  xdo({"windowfocus", "--sync", id});
  xdo({"type", "--delay", "50", "2024"});
  xdo({"key", "Return"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(copy); }, 20000));
  first.kill();  // SIGKILL: no close, no clean-up
  first.waitForFinished(5000);
  TMainData left;
  ASSERT_TRUE(LoadFromFile(QFile::encodeName(copy).toStdString(), left));
  EXPECT_EQ(DateYear(left.BasicInfo.Getsudo), 2024);

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(Program(), {});
  ASSERT_TRUE(second.waitForStarted(5000));
  EXPECT_FALSE(windowNamed("^確認$").isEmpty()) << second.readAllStandardError().toStdString();
  EXPECT_TRUE(QFile::exists(copy));
  second.kill();
  second.waitForFinished(5000);
  server.terminate();
  server.waitForFinished(5000);
}
