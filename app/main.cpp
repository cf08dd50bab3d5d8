// Program entry: the application object, the Japanese font names and the
// main window.
#include <QApplication>

#include "app/AppFonts.h"
#include "platform/Fonts.h"
#include "app/FrmMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrin"));
  kestrin::RegisterFontSubstitutions();
  QApplication::setFont(kestrin::BaseFont());
  kestrin::TFrmMain window;
  window.show();
  return app.exec();
}
