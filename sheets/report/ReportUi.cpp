#include "sheets/report/ReportUi.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QPageLayout>
#include <QPageSize>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

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

// Sets the paper and orientation choices of Qt's printer properties dialog
// to `layout`, the first time that dialog is shown (later the user's own
// choice stays).
void PresetPaperChoice(QWidget* properties, const QPageLayout& layout) {
  if (!properties || !properties->inherits("QPrintPropertiesDialog") ||
      properties->property("kestrinPaperPreset").toBool()) {
    return;
  }
  properties->setProperty("kestrinPaperPreset", true);
  if (auto* sizes = properties->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"))) {
    for (int i = 0; i < sizes->count(); ++i) {
      const QVariant data = sizes->itemData(i);
      if (data.canConvert<QPageSize>() && data.value<QPageSize>().isEquivalentTo(layout.pageSize())) {
        sizes->setCurrentIndex(i);
        break;
      }
    }
  }
  const QString orientation = layout.orientation() == QPageLayout::Portrait ? QStringLiteral("portrait")
                                                                          : QStringLiteral("landscape");
  if (auto* button = properties->findChild<QAbstractButton*>(orientation)) button->click();
}

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
    const QPageLayout asked = printer.pageLayout();
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(fromPage, toPage);
    printer.setPrintRange(QPrinter::AllPages);
    // The paper and orientation are chosen in the dialog's printer
    // properties only. For a CUPS printer Qt's dialog hands back the
    // printer's default paper (from its PPD) even when they were never
    // opened, and opens them showing that paper: the properties start from
    // the paper the run asked for, and without them that paper stays.
    bool propertiesOpened = false;
    if (auto* properties = dialog.findChild<QAbstractButton*>(QStringLiteral("properties"))) {
      // Pressed comes before the properties open (they run their own event
      // loop from the click), clicked after they have closed.
      QObject::connect(properties, &QAbstractButton::pressed, &dialog, [asked] {
        QTimer::singleShot(0, [asked] { PresetPaperChoice(QApplication::activeModalWidget(), asked); });
      });
      QObject::connect(properties, &QAbstractButton::clicked, &dialog,
                       [&propertiesOpened] { propertiesOpened = true; });
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    if (!propertiesOpened) {
      printer.setPageSize(asked.pageSize());
      printer.setPageOrientation(asked.orientation());
    }
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
