#include "sheets/report/ReportUi.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

#include "sheets/report/ReportPreview.h"
#include "widgets/BusyWindow.h"

namespace kestrin {

namespace {

class TBusyWindowIndicator : public TBusyIndicator {
 public:
  TBusyWindowIndicator(QWidget* parent, const QString& text)
      : m_window(new TBusyWindow(parent, text)) {
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->show();
    m_window->raise();
  }
  ~TBusyWindowIndicator() override { delete m_window; }
  bool Cancelled() const override { return m_window->Cancelled(); }

 private:
  TBusyWindow* m_window;
};

QString AppCaption() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Kestrin") : name;
}

}  // namespace

TReportUi DefaultReportUi() {
  TReportUi ui;
  ui.ShowMessage = [](QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, AppCaption(), text, QMessageBox::Ok, parent);
    box.exec();
  };
  ui.PrintDialog = [](QWidget* parent, QPrinter& printer, int& fromPage, int& toPage) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(fromPage, toPage);
    printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
      fromPage = printer.fromPage();
      toPage = std::max(printer.fromPage(), printer.toPage());
    }
    return true;
  };
  ui.BusyWindow = [](QWidget* parent, const QString& text) -> std::unique_ptr<TBusyIndicator> {
    return std::make_unique<TBusyWindowIndicator>(parent, text);
  };
  ui.MakePreview = [](TReportPages& pages, QWidget* parent) {
    return std::make_shared<TVelReportPreview>(&pages, parent);
  };
  ui.ExecPreview = [](TVelReportPreview& preview) {
    preview.PlaceMaximized();
    preview.exec();
  };
  return ui;
}

}  // namespace kestrin
