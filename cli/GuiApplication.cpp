#include "GuiApplication.h"

#include <QByteArray>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

namespace kestrin::cli {

namespace {

QtMessageHandler previousHandler = nullptr;

void DropRuntimeDirNotice(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
    return;
  if (previousHandler != nullptr) previousHandler(type, context, message);
}

}  // namespace

std::unique_ptr<QGuiApplication> MakeGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (previousHandler == nullptr) previousHandler = qInstallMessageHandler(DropRuntimeDirNotice);
  static int argc = 1;
  static char name[] = "kestrin-cli";
  static char* argv[] = {name, nullptr};
  auto app = std::make_unique<QGuiApplication>(argc, argv);
  // Qt's own texts in Japanese, as in the window; the translator belongs
  // to the application.
  auto* qtTexts = new QTranslator(app.get());
  if (qtTexts->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qtTexts);
  return app;
}

}  // namespace kestrin::cli
