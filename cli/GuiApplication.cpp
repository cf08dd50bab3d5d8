#include "GuiApplication.h"

#include <QByteArray>
#include <QString>

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
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace kestrin::cli
