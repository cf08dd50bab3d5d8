// Renders the main window to PNG files for looking at it: the empty month
// and the example month, with each of the two chart tabs; the setup dialog
// and the about box; with a third argument, the year overview window of the
// month files of that folder.
//   window_shot OUTDIR [FILE.slt [FOLDER]]
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "app/AppFonts.h"
#include "platform/Fonts.h"
#include "app/AboutBox.h"
#include "app/FrmMain.h"
#include "app/FrmOverview.h"
#include "app/FrmSetup.h"
#include "core/DataFile.h"
#include "widgets/ChartTabs.h"
#include "widgets/ShiftPager.h"

using namespace kestrin;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  QApplication::setFont(BaseFont());
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  const std::string file =
      argc > 2 ? argv[2] : std::string(KESTRIN_SOURCE_DIR) + "/examples/sample-month.slt";
  QDir().mkpath(out);

  auto shoot = [&](TFrmMain& w, const QString& name) {
    QApplication::processEvents();
    w.grab().save(out + QLatin1Char('/') + name);
  };
  {
    TFrmMain w;
    w.SettingsReader = [] { return TSettings(); };
    w.show();
    shoot(w, QStringLiteral("window-empty-xchart.png"));
    w.CmPageCtrl->SetCurrentTab(0);
    shoot(w, QStringLiteral("window-empty-histogram.png"));
    w.CmShiftPager->SetPage(1);  // as while Shift is held
    shoot(w, QStringLiteral("window-shift-page.png"));

    TSettings settings;
    settings.CompanyName = Sjis("北山生コン株式会社");
    settings.KojoNames[0] = Sjis("第一工場");
    settings.KojoNames[1] = Sjis("第二工場");
    TFrmSetup setup(settings, &w);
    setup.show();
    QApplication::processEvents();
    setup.grab().save(out + QStringLiteral("/setup-dialog.png"));
    setup.hide();
    TAboutBox about(QStringLiteral(KESTRIN_SOURCE_DIR "/kestrin"));
    about.show();
    QApplication::processEvents();
    about.grab().save(out + QStringLiteral("/about-box.png"));
  }
  {
    TFrmMain w;
    w.SettingsReader = [] { return TSettings(); };
    w.show();
    w.MainData().ClearLists();
    w.MainData().Clear();
    if (!LoadFromFile(file, w.MainData())) {
      fprintf(stderr, "cannot load %s\n", file.c_str());
      return 1;
    }
    w.SetDataFileName(QString::fromStdString(file));
    w.RecalcAndRepaint();
    w.UpdateCaption();
    w.FocusFirstCell();
    shoot(w, QStringLiteral("window-sample-xchart.png"));
    w.CmPageCtrl->SetCurrentTab(0);
    shoot(w, QStringLiteral("window-sample-histogram.png"));
  }
  if (argc > 3) {
    TSettings settings;
    TFrmOverview f(&settings);
    f.show();
    f.AddPaths({QString::fromLocal8Bit(argv[3])});
    QApplication::processEvents();
    f.grab().save(out + QStringLiteral("/overview-window.png"));
  }
  return 0;
}
