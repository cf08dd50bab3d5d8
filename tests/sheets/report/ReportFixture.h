// A sheet report wired for tests: a PDF printer at a chosen resolution
// writing into a temporary folder, page drawers that record what they were
// asked to draw, and the user-facing dialogs answered by the test.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sheets/report/ReportPreview.h"
#include "sheets/report/SheetReport.h"

namespace kestrin::test {

// One call of a page drawer.
struct TDrawCall {
  int Sheet = 0;  // 1 table, 2 X chart
  int PageNo = 0;
  TRect PageRect;
  int CanvasDpiY = 0;
};

class TFakeBusy : public TBusyIndicator {
 public:
  explicit TFakeBusy(std::function<bool()> cancelled) : m_cancelled(std::move(cancelled)) {}
  bool Cancelled() const override { return m_cancelled ? m_cancelled() : false; }

 private:
  std::function<bool()> m_cancelled;
};

// Processes events until `done` holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    report = std::make_unique<TSheetReport>();
    UsePdfPrinter(600, "out.pdf");
    // Recording drawers: a frame round the page rectangle and the sheet's
    // number, so that a page shows which sheet it is.
    report->Drawers.Table = [this](TCanvas& c, const TRect& r) { Record(1, c, r); };
    report->Drawers.XChart = [this](TCanvas& c, const TRect& r) { Record(2, c, r); };
    TReportUi& ui = report->Rep.Ui;
    ui.ShowMessage = [this](QWidget*, const QString& text) { messages.push_back(text); };
    ui.PrintDialog = [this](QWidget*, QPrinter& printer, int& from, int& to) {
      ++dialogCalls;
      if (dialogAction) return dialogAction(printer, from, to);
      return true;
    };
    ui.BusyWindow = [this](QWidget*, const QString& text) -> std::unique_ptr<TBusyIndicator> {
      busyTexts.push_back(text);
      return std::make_unique<TFakeBusy>(busyCancelled);
    };
    ui.ExecPreview = [this](TVelReportPreview& preview) {
      ++previewShown;
      preview.show();
      // Production runs while the window is up; the test body sees the
      // window with every page stored, unless it wants to see it earlier.
      if (waitForProduction) {
        EXPECT_TRUE(WaitUntil([&] { return report->RepDraw.Finished(); }));
      }
      if (previewBody) previewBody(preview);
      if (preview.isVisible()) preview.reject();
    };
  }

  void UsePdfPrinter(int dpi, const QString& name) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(dpi);
    printer->setOutputFileName(dir.filePath(name));
    report->Rep.SetPrinter(std::move(printer));
  }

  void Record(int sheet, TCanvas& canvas, const TRect& r) {
    TDrawCall call;
    call.Sheet = sheet;
    call.PageNo = report->RepDraw.PageNo;
    call.PageRect = r;
    call.CanvasDpiY = canvas.PixelsPerInchY();
    calls.push_back(call);
    canvas.Pen.Color = clBlack;
    canvas.Brush.SetStyle(TBrushStyle::Clear);
    canvas.Rectangle(r);
    canvas.Font.Log.Height = -r.Height() / 10;
    canvas.TextOut(r.Left + r.Width() / 3, r.Top + r.Height() / 3, QString::number(sheet));
  }

  std::vector<int> Sheets() const {
    std::vector<int> s;
    for (const auto& c : calls) s.push_back(c.Sheet);
    return s;
  }

  QString PdfPath(const QString& name = QStringLiteral("out.pdf")) const {
    return dir.filePath(name);
  }

  QTemporaryDir dir;
  std::unique_ptr<TSheetReport> report;
  std::vector<TDrawCall> calls;
  std::vector<QString> messages;
  std::vector<QString> busyTexts;
  int dialogCalls = 0;
  int previewShown = 0;
  bool waitForProduction = true;
  std::function<bool(QPrinter&, int&, int&)> dialogAction;
  std::function<bool()> busyCancelled;
  std::function<void(TVelReportPreview&)> previewBody;
};

// Runs a command line; its exit code (-1 when it could not run).
int RunCommand(const std::string& command);
// Page count of a PDF file from pdfinfo (-1 on failure).
int PdfPageCount(const QString& path);
bool HaveTool(const char* name);

}  // namespace kestrin::test
