// Looks at the preview as a user would: the example month previewed with
// both sheets, a screenshot of each display mode on each page, then P and
// the real print dialog (screenshot too, then OK) printing to a PDF file.
//
//   report_preview_shot OUTDIR [FILE.slt]
//
// Writes OUTDIR/preview-<page>-<mode>.png, OUTDIR/print-dialog.png,
// OUTDIR/busy.png when the busy window is seen, and OUTDIR/printed.pdf.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "core/DataFile.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Fonts.h"
#include "sheets/report/ReportPreview.h"
#include "sheets/report/SheetReport.h"

using namespace kestrin;

namespace {

void Settle(int ms = 100) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void Save(QWidget& w, const QString& path) {
  w.grab().save(path);
  std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  if (argc < 2) {
    std::fprintf(stderr, "usage: report_preview_shot OUTDIR [FILE.slt]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  const std::string file = argc > 2 ? argv[2] : KESTRIN_SOURCE_DIR "/examples/sample-month.slt";

  TMainData data;
  data.ClearLists();
  data.Clear();
  if (!LoadFromFile(file, data)) {
    std::fprintf(stderr, "cannot load %s\n", file.c_str());
    return 1;
  }
  data.Calculate();
  TSettings settings;

  TSheetReport report;
  report.Drawers = MakeSheetDrawers(data, settings);
  // The current printer as the program makes it, printing into OUTDIR.
  report.Rep.PrinterFactory = [&] {
    std::unique_ptr<QPrinter> p = TVelReport::DefaultPrinter();
    if (p->outputFormat() == QPrinter::PdfFormat)
      p->setOutputFileName(QDir(out).filePath(QStringLiteral("printed.pdf")));
    return p;
  };

  TReportUi& ui = report.Rep.Ui;
  const TReportUi real = DefaultReportUi();
  ui.ExecPreview = [&](TVelReportPreview& p) {
    // Looks at the window from inside its own modal loop, then presses P.
    QTimer::singleShot(0, &p, [&] {
      Settle(300);
      const struct {
        int key;
        const char* name;
      } modes[] = {{Qt::Key_1, "whole"}, {Qt::Key_2, "fullwidth"}, {Qt::Key_3, "realsize"}};
      for (int page = 1; page <= 2; ++page) {
        for (const auto& m : modes) {
          QKeyEvent press(QEvent::KeyPress, m.key, Qt::NoModifier, QString());
          QApplication::sendEvent(&p, &press);
          Settle();
          Save(p, QDir(out).filePath(QStringLiteral("preview-%1-%2.png").arg(page).arg(m.name)));
        }
        for (int i = 0; i < 3; ++i) {
          QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
          QApplication::sendEvent(&p, &plus);
        }
        Settle();
        Save(p, QDir(out).filePath(QStringLiteral("preview-%1-zoom.png").arg(page)));
        QKeyEvent next(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, QString());
        QApplication::sendEvent(&p, &next);
        Settle();
      }
      QKeyEvent print(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QStringLiteral("p"));
      QApplication::sendEvent(&p, &print);
    });
    real.ExecPreview(p);
  };
  ui.PrintDialog = [&](QWidget* parent, QPrinter& printer, int& from, int& to) {
    // The real dialog: photographed, then accepted as it stands.
    QTimer::singleShot(500, [&] {
      if (auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
        Save(*d, QDir(out).filePath(QStringLiteral("print-dialog.png")));
        d->accept();
      }
    });
    return real.PrintDialog(parent, printer, from, to);
  };
  ui.BusyWindow = [&](QWidget* parent, const QString& text) {
    auto busy = real.BusyWindow(parent, text);
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && w->windowTitle() == QStringLiteral("処理中")) {
        QApplication::processEvents();
        Save(*w, QDir(out).filePath(QStringLiteral("busy.png")));
      }
    }
    return busy;
  };

  report.PreviewMode = true;
  const bool ran = report.Run(TPrintSheet::All);
  std::printf("preview ran: %s\n", ran ? "yes" : "no");
  return ran ? 0 : 1;
}
