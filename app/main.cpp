// Program entry: a display check, one running instance per user and
// session, the application object with its Japanese texts and fonts, and
// the main window. The one argument is a data file to open at start (or
// to hand to the running instance); a strength log (.kst) opens in the
// strength window.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/AppFonts.h"
#include "app/DisplayCheck.h"
#include "app/FrmMain.h"
#include "app/SettingsStore.h"
#include "app/SingleInstance.h"
#include "core/Recovery.h"
#include "core/Settings.h"
#include "core/ShownText.h"
#include "core/Version.h"
#include "platform/Fonts.h"

int main(int argc, char** argv) {
  // Without a display Qt would abort with a core dump.
  kestrin::TDisplayCheck display = kestrin::CheckGraphicalDisplay();
  if (!display) {
    std::fputs(kestrin::kNoDisplayMessage, stderr);
    return 1;
  }
  QApplication app(argc, argv);
  display.Release();  // Qt has its own connection now
  QApplication::setApplicationName(QString::fromUtf8(kestrin::kProductName));
  QApplication::setApplicationVersion(QString::fromUtf8(kestrin::kVersionText));
  // The desktop entry's id: the window is matched to its launcher and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("jp.kestrin.Kestrin"));

  // Everything the user sees is Japanese, the standard dialogs included.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTexts);

  // No options: at most one data file (Qt's own options are taken out).
  const QStringList args = QApplication::arguments().mid(1);
  if (args.size() > 1 || (args.size() == 1 && (args[0].isEmpty() || args[0].startsWith(QLatin1Char('-'))))) {
    std::fputs("使い方: kestrin [データファイル.slt | 強度試験ファイル.kst]\n", stderr);
    return 2;
  }
  // QApplication took its own options out of argv: argv[1] is the file's
  // name as given. Bytes that are not UTF-8 (a name made under another
  // locale) would become another name here.
  if (!args.isEmpty() && argc == 2 && !kestrin::IsValidUtf8(argv[1])) {
    std::fprintf(stderr, "ファイル名に UTF-8 で表せないバイトがあるため開けません：%s\n",
                 kestrin::ShownName(argv[1]).c_str());
    return 1;
  }
  const QString openPath = args.isEmpty() ? QString() : QFileInfo(args[0]).absoluteFilePath();

  // A second start hands over to the running window (with the file) and
  // ends.
  kestrin::TSingleInstance instance(kestrin::TSingleInstance::DefaultName());
  switch (instance.Start(openPath)) {
    case kestrin::TSingleInstance::TStart::First: break;
    case kestrin::TSingleInstance::TStart::HandedOver: return 0;
    case kestrin::TSingleInstance::TStart::NoAnswer:
      // Never a silent success: the file was not taken (a window that
      // hangs, or something else holding the channel).
      if (openPath.isEmpty()) std::fputs("起動中の Kestrin が応答しません．\n", stderr);
      else
        std::fprintf(stderr, "起動中の Kestrin がファイルを受け取りませんでした：%s\n",
                     kestrin::ShownName(QFile::encodeName(openPath).toStdString()).c_str());
      return 1;
    case kestrin::TSingleInstance::TStart::Alone:
      // Another user holds the place of the channel: this window runs on
      // its own.
      std::fprintf(stderr, "Kestrin: 二重起動の確認ができません（%s）．\n",
                   instance.ErrorString().toLocal8Bit().constData());
      break;
  }

  kestrin::RegisterFontSubstitutions();
  QApplication::setFont(kestrin::BaseFont());
  kestrin::TFrmMain window;
  window.SetSettingsStore(std::make_unique<kestrin::TExeSettingsStore>(kestrin::CurrentExecutablePath()));
  window.ListenTo(instance);
  // The recovery copy in the user's state folder.
  std::string recoveryFolder;
  if (const kestrin::TFileResult place =
          kestrin::RecoveryFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"), recoveryFolder)) {
    window.SetRecoveryFiles(std::make_unique<kestrin::TRecoveryFiles>(recoveryFolder));
    window.SetStrengthRecoveryFolder(QFile::decodeName(recoveryFolder.c_str()));
  } else window.SetRecoveryUnavailable(QString::fromStdString(place.Reason()));
  window.show();
  // A copy left by a crash is offered before the file of the command line
  // is opened.
  QTimer::singleShot(0, &window, [&window] { window.OfferRecovery(); });
  if (!openPath.isEmpty()) QTimer::singleShot(0, &window, [&window, openPath] { window.OpenDataFile(openPath); });
  return app.exec();
}
