#include "sheets/SheetOutput.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <utility>

#include "platform/QtCanvas.h"
#include "platform/SafeSave.h"
#include "sheets/TableSheet.h"
#include "sheets/XChartSheet.h"
#include "sheets/XbarRSheet.h"

namespace kestrin {

namespace {

void SetError(TSheetOutputError* error, const QString& message) {
  if (error != nullptr) error->Message = message;
}

QString CannotWrite(const QString& path, const TFileResult& result = {}) {
  QString text = QString::fromUtf8("ファイルを書き込めません：") + ShownPath(path);
  if (!result) text += QLatin1Char('\n') + ReasonText(result);
  return text;
}

QPageLayout SheetPageLayout(const TReportSetup& setup) {
  const QSizeF portrait(static_cast<double>(std::min(PaperWidthMm(setup), PaperHeightMm(setup))),
                        static_cast<double>(std::max(PaperWidthMm(setup), PaperHeightMm(setup))));
  const QPageSize size(portrait, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
  QPageLayout layout(size, setup.OrientIsPortrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  layout.setMode(QPageLayout::FullPageMode);
  return layout;
}

// Pages of an earlier, longer run under the same name: OUT-<n>.png from
// the page after `pageCount` on, as long as they follow each other. A
// file or a link is removed (a link alone, never what it points to); a
// folder, pipe or device of that name is not ours and is only named.
bool RemoveStalePages(const QString& path, int pageCount, TSheetOutputError* error) {
  QStringList removed;
  QStringList left;
  for (int page = pageCount + 1;; ++page) {
    const QString name = PngPagePath(path, page);
    const QByteArray local = QFile::encodeName(name);
    struct stat st;
    if (::lstat(local.constData(), &st) != 0) break;
    if ((S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && ::unlink(local.constData()) == 0) removed << name;
    else left << name;
  }
  if (error != nullptr && !removed.isEmpty())
    error->Notice =
        QString::fromUtf8("前回の出力の残りのページを削除しました：") + removed.join(QStringLiteral("，"));
  if (left.isEmpty()) return true;
  SetError(error, QString::fromUtf8("前回の出力の残りのページを削除できません（新しいページは %1 枚です）：")
                          .arg(pageCount) +
                      left.join(QStringLiteral("，")));
  return false;
}

}  // namespace

void DrawSheet(TCanvas& canvas, const TRect& pageRect, TPrintSheet sheet, const TMainData& data,
               const TSettings& settings, const TControlChart* chart) {
  if (sheet == TPrintSheet::XChart) DrawXChartSheet(canvas, pageRect, data, settings);
  else if (sheet == TPrintSheet::XbarR)
    DrawXbarRSheet(canvas, pageRect, data, settings,
                   chart ? *chart : ComputeControlChart(data, settings.ControlRules));
  else
    DrawTableSheet(canvas, pageRect, data, settings);
}

bool WritePagesPdf(const QString& path, const TReportSetup& setup, int pageCount, int dpi,
                   const QString& title, const TPageDrawer& draw, TSheetOutputError* error) {
  // The document is made in memory and written by the safe writer.
  if (const TFileResult target = CheckSaveTarget(path); !target) {
    SetError(error, CannotWrite(path, target));
    return false;
  }
  QByteArray pdf;
  QBuffer buffer(&pdf);
  if (!buffer.open(QIODevice::WriteOnly)) {
    SetError(error, CannotWrite(path));
    return false;
  }
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(dpi);
    writer.setPageLayout(SheetPageLayout(setup));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Kestrin"));

    QPainter painter;
    if (!painter.begin(&writer)) {
      SetError(error, CannotWrite(path));
      return false;
    }
    const TPageGeometry geometry = ComputePageGeometry(DeviceInfoOf(writer), setup);
    for (int page = 0; page < pageCount; ++page) {
      if (page > 0) writer.newPage();
      TQtCanvas canvas(&painter);
      draw(canvas, geometry.PageRect, page);
    }
    painter.end();
  }
  buffer.close();
  if (const TFileResult saved = SaveBytes(path, pdf); !saved) {
    SetError(error, CannotWrite(path, saved));
    return false;
  }
  return true;
}

bool WriteSheetsPdf(const QString& path, TPrintSheet choice, int dpi, const TMainData& data,
                    const TSettings& settings, TSheetOutputError* error, const TControlChart* chart) {
  const std::vector<TPrintSheet> sheets = SheetsOf(choice);
  return WritePagesPdf(
      path, SheetReportSetup(), static_cast<int>(sheets.size()), dpi, QString::fromUtf8(SheetTitle(choice)),
      [&](TCanvas& canvas, const TRect& pageRect, int page) {
        DrawSheet(canvas, pageRect, sheets[static_cast<std::size_t>(page)], data, settings, chart);
      },
      error);
}

QString PngPagePath(const QString& path, int page) {
  const QFileInfo info(path);
  const QString suffix = info.suffix();
  const QString number = QStringLiteral("-") + QString::number(page);
  if (suffix.isEmpty() || info.fileName() == QStringLiteral(".") + suffix)
    return path + number + QStringLiteral(".png");
  return path.left(path.size() - suffix.size() - 1) + number + QStringLiteral(".") + suffix;
}

bool WritePagesPng(const QString& path, const TReportSetup& setup, int pageCount, int dpi,
                   const TPageDrawer& draw, std::vector<QString>* written,
                   TSheetOutputError* error) {
  const TDeviceInfo device = PictureDevice(setup, dpi);
  const TPageGeometry geometry = ComputePageGeometry(device, setup);
  const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
  // Every page is drawn and encoded before any file is touched; a refused
  // name stops the run before the drawing.
  for (int page = 0; page < pageCount; ++page) {
    const QString name = PngPagePath(path, page + 1);
    if (const TFileResult target = CheckSaveTarget(name); !target) {
      SetError(error, CannotWrite(name, target));
      return false;
    }
  }
  std::vector<std::pair<QString, QByteArray>> pages;
  for (int page = 0; page < pageCount; ++page) {
    QImage image(device.PhysicalWidth, device.PhysicalHeight, QImage::Format_RGB32);
    if (image.isNull()) {
      SetError(error, QString::fromUtf8("メモリが不足しています．"));
      return false;
    }
    image.fill(Qt::white);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    {
      TQtCanvas canvas(&image);
      draw(canvas, geometry.PageRect, page);
      canvas.End();
    }
    const QString name = PngPagePath(path, page + 1);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
      SetError(error, CannotWrite(name));
      return false;
    }
    buffer.close();
    pages.emplace_back(name, std::move(png));
  }
  if (const TFileResult saved = SaveByteSet(pages); !saved) {
    SetError(error, CannotWrite(QFile::decodeName(QByteArray::fromStdString(saved.Path)), saved));
    return false;
  }
  if (written != nullptr)
    for (const auto& page : pages) written->push_back(page.first);
  return RemoveStalePages(path, pageCount, error);
}

bool WriteSheetsPng(const QString& path, TPrintSheet choice, int dpi, const TMainData& data,
                    const TSettings& settings, std::vector<QString>* written,
                    TSheetOutputError* error, const TControlChart* chart) {
  const std::vector<TPrintSheet> sheets = SheetsOf(choice);
  return WritePagesPng(
      path, SheetReportSetup(), static_cast<int>(sheets.size()), dpi,
      [&](TCanvas& canvas, const TRect& pageRect, int page) {
        DrawSheet(canvas, pageRect, sheets[static_cast<std::size_t>(page)], data, settings, chart);
      },
      written, error);
}

}  // namespace kestrin
