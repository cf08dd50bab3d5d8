// Program entry: one running instance per user and session, the
// application object with its Japanese texts and fonts, and the main window.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/AppFonts.h"
#include "app/FrmMain.h"
#include "app/SettingsStore.h"
#include "app/SingleInstance.h"
#include "app/Version.h"
#include "core/Settings.h"
#include "platform/Fonts.h"
#include "widgets/Dialogs.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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

  // A second start hands over to the running window and ends.
  kestrin::TSingleInstance instance(kestrin::TSingleInstance::DefaultName());
  switch (instance.Start()) {
    case kestrin::TSingleInstance::TStart::First: break;
    case kestrin::TSingleInstance::TStart::HandedOver: return 0;
    case kestrin::TSingleInstance::TStart::Failed: {
      kestrin::TMessageRequest r;
      r.Caption = QString::fromUtf8(kestrin::kProductName);
      r.Text = QStringLiteral("起動できませんでした．\n%1").arg(instance.ErrorString());
      r.Icon = kestrin::TMessageIcon::Critical;
      kestrin::Dialogs().Message(r);
      return 1;
    }
  }

  kestrin::RegisterFontSubstitutions();
  QApplication::setFont(kestrin::BaseFont());
  kestrin::TFrmMain window;
  window.SetSettingsStore(std::make_unique<kestrin::TExeSettingsStore>(kestrin::CurrentExecutablePath()));
  QObject::connect(&instance, &kestrin::TSingleInstance::ActivationRequested, &window,
                   &kestrin::TFrmMain::BringToFront);
  window.show();
  return app.exec();
}
