// Renders the main window to PNG files for looking at it: the empty month
// and the example month, with each of the three chart tabs, the X chart
// and the signal list alone; the file menu, the setup dialog, the about box
// and the print preview of the example month.
// With a third argument, also the year overview window of the month files
// of that folder, and its strength view when the folder has strength logs.
// Then the strength window with the example strength log.
//   window_shot OUTDIR [FILE.slt [FOLDER]] [--scale F]
// Without --scale (and without QT_SCALE_FACTOR set) the pictures are taken
// at 1x, then again at 1.5x and 2x by a run of this program each (the
// scale factor is fixed when the application starts), named NAME@1.5x.png
// and NAME@2x.png. A high-density run needs a screen large enough for the
// window at that scale: xvfb-run -s "-screen 0 2600x2000x24".
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QTimer>

#include "FrmMainProbe.h"
#include "FrmOverviewProbe.h"
#include "app/AboutBox.h"
#include "app/AppFonts.h"
#include "app/FrmOverview.h"
#include "app/FrmSetup.h"
#include "app/FrmStrength.h"
#include "app/RecentFiles.h"
#include "app/SignalPage.h"
#include "core/DataFile.h"
#include "core/MainData.h"
#include "core/Recovery.h"
#include "platform/Fonts.h"
#include "sheets/report/ReportPreview.h"
#include "sheets/report/SheetReport.h"
#include "widgets/CellMgrMain.h"
#include "widgets/CellTable.h"
#include "widgets/ChartTabs.h"
#include "widgets/EditCells.h"
#include "widgets/ShiftPager.h"

using namespace kestrin;

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QStringList args;
  QString scale;
  for (int i = 1; i < argc; ++i) {
    const QString a = QString::fromLocal8Bit(argv[i]);
    if (a == QStringLiteral("--scale") && i + 1 < argc) {
      scale = QString::fromLocal8Bit(argv[++i]);
    } else {
      args << a;
    }
  }
  const bool scaledRuns = scale.isEmpty() && !qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
  if (!scale.isEmpty()) qputenv("QT_SCALE_FACTOR", scale.toLatin1());
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  QApplication::setFont(BaseFont());
  const QString out = !args.isEmpty() ? args[0] : QStringLiteral(".");
  const std::string file = args.size() > 1 ? args[1].toStdString()
                                           : std::string(KESTRIN_SOURCE_DIR) + "/examples/sample-month.slt";
  QDir().mkpath(out);
  // NAME.png, or NAME@2x.png at scale 2.
  const QString suffix = scale.isEmpty() ? QString() : QStringLiteral("@") + scale + QStringLiteral("x");
  auto path = [&](QString name) {
    return out + QLatin1Char('/') + name.replace(QStringLiteral(".png"), suffix + QStringLiteral(".png"));
  };

  auto shoot = [&](QWidget& w, const QString& name) {
    QApplication::processEvents();
    w.grab().save(path(name));
  };
  {
    TFrmMain w;
    TFrmMainProbe p(w);
    p.SettingsReader() = [] { return TSettings(); };
    w.show();
    shoot(w, QStringLiteral("window-empty-xchart.png"));
    p.Ui().ChartTabs->SetCurrentTab(0);
    shoot(w, QStringLiteral("window-empty-histogram.png"));
    p.Ui().FunctionKeys->SetPage(1);  // as while Shift is held
    shoot(w, QStringLiteral("window-shift-page.png"));
    p.Ui().FileMenu->popup(w.mapToGlobal(QPoint(0, 20)));
    QApplication::processEvents();
    p.Ui().FileMenu->grab().save(out + QStringLiteral("/menu-file.png"));
    p.Ui().FileMenu->hide();

    TSettings settings;
    settings.CompanyName = Sjis("北山生コン株式会社");
    settings.KojoNames[0] = Sjis("第一工場");
    settings.KojoNames[1] = Sjis("第二工場");
    TFrmSetup setup(settings, &w);
    setup.show();
    QApplication::processEvents();
    shoot(setup, QStringLiteral("setup-dialog.png"));
    setup.hide();
    TAboutBox about(QStringLiteral(KESTRIN_SOURCE_DIR "/kestrin"));
    about.show();
    QApplication::processEvents();
    shoot(about, QStringLiteral("about-box.png"));
  }
  {
    TFrmMain w;
    TFrmMainProbe p(w);
    p.SettingsReader() = [] { return TSettings(); };
    w.show();
    p.MainData().ClearLists();
    p.MainData().Clear();
    if (!LoadFromFile(file, p.MainData())) {
      fprintf(stderr, "cannot load %s\n", file.c_str());
      return 1;
    }
    p.DataFileName() = QString::fromStdString(file);
    p.RecalcAndRepaint();
    p.UpdateCaption();
    p.FocusFirstCell();
    shoot(w, QStringLiteral("window-sample-xchart.png"));
    p.Ui().XChartBox->grab().save(out + QStringLiteral("/chart-sample-xchart.png"));
    p.Ui().ChartTabs->SetCurrentTab(0);
    shoot(w, QStringLiteral("window-sample-histogram.png"));
    p.Ui().ChartTabs->SetCurrentTab(2);
    shoot(w, QStringLiteral("window-sample-signals.png"));
    p.Ui().SignalPage->grab().save(out + QStringLiteral("/page-sample-signals.png"));
    {
      // The README picture: the X chart with its rings beside the signal tab.
      const QPixmap chart = p.Ui().XChartBox->grab();
      const QPixmap page = p.Ui().SignalPage->grab();
      QPixmap both(chart.width() + page.width(), std::max(chart.height(), page.height()));
      both.setDevicePixelRatio(chart.devicePixelRatio());
      both.fill(Qt::white);
      QPainter p(&both);
      p.drawPixmap(0, 0, chart);
      p.drawPixmap(chart.width() / chart.devicePixelRatio(), 0, page);
      p.end();
      both.save(out + QStringLiteral("/signals.png"));
    }
    // The X̄－R tab (README: docs/xbar-r.png).
    p.Ui().ChartTabs->SetCurrentTab(3);
    shoot(w, QStringLiteral("window-sample-xbar-r.png"));
    w.grab().save(out + QStringLiteral("/xbar-r.png"));
    // Active cells with a list and with an empty value.
    p.Ui().CellCoordinator->Activate(p.Ui().CellKojo);
    shoot(w, QStringLiteral("window-sample-plant-active.png"));
    p.Ui().CellCoordinator->Activate(p.DayCell(0, colAM));
    shoot(w, QStringLiteral("window-sample-empty-day-active.png"));
    // A column pasted from a spreadsheet, and a refused one.
    p.Ui().CellCoordinator->Activate(p.DayCell(2, colPM));
    QGuiApplication::clipboard()->setText(QStringLiteral("18.5\n17.0\n\n19.5\n"));
    p.Ui().PasteAction->trigger();
    shoot(w, QStringLiteral("window-paste.png"));
    QGuiApplication::clipboard()->setText(QStringLiteral("18.0\n17.5\n18.55\n"));
    p.Ui().PasteAction->trigger();
    shoot(w, QStringLiteral("window-paste-refused.png"));

    // The question about a recovery copy left by a crash.
    QTemporaryDir state;
    const std::string folder = QFile::encodeName(state.path()).toStdString();
    TRecoveryFiles(folder).Write(p.MainData(), "/data/本社工場_202506.slt");
    TFrmMain again;
    TFrmMainProbe(again).SettingsReader() = [] { return TSettings(); };
    again.SetRecoveryFiles(std::make_unique<TRecoveryFiles>(folder));
    again.show();
    QTimer::singleShot(300, [&] {
      if (QWidget* box = QApplication::activeModalWidget()) {
        box->grab().save(path(QStringLiteral("recovery-question.png")));
        box->close();
      }
    });
    again.OfferRecovery();

    // The preview of both sheets, whole page, each page.
    TSheetReport report(&w);
    TSettings settings;
    report.Drawers = MakeSheetDrawers(p.MainData(), settings);
    report.Rep.Ui.ExecPreview = [&](TVelReportPreview& p) {
      p.PlaceMaximized();
      p.show();
      while (!report.RepDraw.Finished()) QApplication::processEvents(QEventLoop::AllEvents, 20);
      for (int page = 1; page <= 2; ++page) {
        p.SetCurrentPage(page);
        QApplication::processEvents();
        shoot(p, QStringLiteral("preview-%1.png").arg(page));
      }
      p.reject();
    };
    report.PreviewMode = true;
    report.Run(TPrintSheet::All);
  }
  if (args.size() > 2) {
    TSettings settings;
    TFrmOverview f(&settings);
    f.show();
    f.AddPaths({args[2]});
    QApplication::processEvents();
    f.grab().save(path(QStringLiteral("overview-window.png")));
    // The strength view (README: docs/overview-strength.png).
    if (!f.Overview().StrengthMonths.empty()) {
      TFrmOverviewProbe(f).StrengthViewButton()->click();
      QApplication::processEvents();
      f.grab().save(path(QStringLiteral("overview-strength.png")));
    }
  }
  {
    // The strength window with the example log.
    TSettings settings;
    TMainData month;
    TRecentFiles recent(kSectionRecentStrength);
    TFrmStrength f(&settings, &month, &recent);
    f.resize(1060, 760);
    f.show();
    f.OpenFile(QStringLiteral(KESTRIN_SOURCE_DIR "/examples/sample-strength.kst"));
    QApplication::processEvents();
    f.grab().save(path(QStringLiteral("strength-window.png")));
  }
  int rc = 0;
  if (scaledRuns) {
    for (const char* f : {"1.5", "2"}) {
      QStringList again = args;
      again << QStringLiteral("--scale") << QString::fromLatin1(f);
      rc |= QProcess::execute(QCoreApplication::applicationFilePath(), again);
    }
  }
  return rc;
}
