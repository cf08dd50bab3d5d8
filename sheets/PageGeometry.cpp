#include "sheets/PageGeometry.h"

#include <QPageLayout>
#include <QPagedPaintDevice>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Numbers.h"

namespace kestrin {

namespace {

struct TPaperMm {
  long double Width;
  long double Height;
};

TPaperMm PortraitPaper(const TReportSetup& setup) {
  switch (setup.PaperSize) {
    case TPaperSize::psA3: return {297, 420};
    case TPaperSize::psA4: return {210, 297};
    case TPaperSize::psB5: return {182, 257};
    case TPaperSize::psB4: return {257, 364};
    case TPaperSize::psLetter: return {215.9L, 279.4L};
    case TPaperSize::ps15x11: return {381, 279.4L};
    case TPaperSize::psUser: return {setup.UserWidthMm, setup.UserHeightMm};
  }
  return {210, 297};
}

// Truncation toward zero, saturating at the int range (a broken setup
// must not overflow).
int TruncPixels(long double v) {
  if (!(v == v)) return 0;
  constexpr long double kMax = std::numeric_limits<int>::max();
  constexpr long double kMin = std::numeric_limits<int>::min();
  return static_cast<int>(std::trunc(std::clamp(v, kMin, kMax)));
}

}  // namespace

TReportSetup SheetReportSetup() {
  TReportSetup s;
  s.MarginLeft = 15;
  s.MarginRight = 10;
  s.MarginTop = 15;
  s.MarginBottom = 15;
  s.Units = TReportUnits::mm;
  s.PaperSize = TPaperSize::psA4;
  s.OrientIsPortrait = true;
  s.RepZoomMode = true;
  return s;
}

long double PaperWidthMm(const TReportSetup& setup) {
  if (setup.PaperSize == TPaperSize::psUser) return setup.UserWidthMm;
  const TPaperMm p = PortraitPaper(setup);
  return setup.OrientIsPortrait ? p.Width : p.Height;
}

long double PaperHeightMm(const TReportSetup& setup) {
  if (setup.PaperSize == TPaperSize::psUser) return setup.UserHeightMm;
  const TPaperMm p = PortraitPaper(setup);
  return setup.OrientIsPortrait ? p.Height : p.Width;
}

int MmToPixels(long double length, int resolution, TReportUnits units) {
  const long double inches = units == TReportUnits::mm ? length / kMmPerInch : length;
  const int pixels = TruncPixels(inches * resolution);
  if (pixels == 0 && length != 0) return 1;
  return pixels;
}

TPageGeometry ComputePageGeometry(const TDeviceInfo& device, const TReportSetup& setup) {
  TPageGeometry g;
  g.ResX = device.DpiX;
  g.ResY = device.DpiY;
  g.PaperWidth = TruncPixels(PaperWidthMm(setup) / kMmPerInch * g.ResX);
  g.PaperHeight = TruncPixels(PaperHeightMm(setup) / kMmPerInch * g.ResY);
  g.PhysicalWidth = device.PhysicalWidth;
  g.PhysicalHeight = device.PhysicalHeight;

  g.OffsetLeft = device.OffsetLeft;
  g.OffsetTop = device.OffsetTop;
  g.OffsetRight = device.OffsetRight;
  g.OffsetBottom = device.OffsetBottom;

  g.MarginLeft = std::max(MmToPixels(setup.MarginLeft, g.ResX, setup.Units), g.OffsetLeft);
  g.MarginRight = std::max(MmToPixels(setup.MarginRight, g.ResX, setup.Units), g.OffsetRight);
  g.MarginTop = std::max(MmToPixels(setup.MarginTop, g.ResY, setup.Units), g.OffsetTop);
  g.MarginBottom = std::max(MmToPixels(setup.MarginBottom, g.ResY, setup.Units), g.OffsetBottom);

  const long long width = setup.RepZoomMode ? g.PhysicalWidth : g.PaperWidth;
  const long long height = setup.RepZoomMode ? g.PhysicalHeight : g.PaperHeight;
  g.DrawWidth = static_cast<int>(std::clamp<long long>(
      width - g.MarginLeft - g.MarginRight, std::numeric_limits<int>::min() / 2,
      std::numeric_limits<int>::max() / 2));
  g.DrawHeight = static_cast<int>(std::clamp<long long>(
      height - g.MarginTop - g.MarginBottom, std::numeric_limits<int>::min() / 2,
      std::numeric_limits<int>::max() / 2));

  g.PageRect = TRect{g.MarginLeft, g.MarginTop, g.MarginLeft + g.DrawWidth,
                     g.MarginTop + g.DrawHeight};
  return g;
}

TDeviceInfo PictureDevice(const TReportSetup& setup, int dpi) {
  TDeviceInfo d;
  d.DpiX = dpi;
  d.DpiY = dpi;
  d.PhysicalWidth = RoundOff(PaperWidthMm(setup) / 25.4L * dpi);
  d.PhysicalHeight = RoundOff(PaperHeightMm(setup) / 25.4L * dpi);
  return d;
}

TDeviceInfo DeviceInfoOf(const QPagedPaintDevice& device) {
  TDeviceInfo d;
  d.DpiX = device.logicalDpiX();
  d.DpiY = device.logicalDpiY();
  // The unprintable border is the layout's minimum margins, whatever
  // margins the layout has been given.
  QPageLayout layout = device.pageLayout();
  layout.setMode(QPageLayout::StandardMode);
  layout.setMargins(layout.minimumMargins());
  const QRect full = layout.fullRectPixels(d.DpiX);
  const QRect paint = layout.paintRectPixels(d.DpiX);
  d.PhysicalWidth = full.width();
  d.PhysicalHeight = full.height();
  d.OffsetLeft = paint.left() - full.left();
  d.OffsetTop = paint.top() - full.top();
  d.OffsetRight = full.width() - paint.width() - d.OffsetLeft;
  d.OffsetBottom = full.height() - paint.height() - d.OffsetTop;
  return d;
}

}  // namespace kestrin
