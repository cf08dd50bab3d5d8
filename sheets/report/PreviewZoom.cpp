#include "sheets/report/PreviewZoom.h"

#include <algorithm>
#include <cmath>

#include "core/Numbers.h"
#include "sheets/PageGeometry.h"

namespace kestrin {

namespace {

int Round(double v) { return RoundOff(static_cast<long double>(v)); }

QSize Fit(QSize page, int width, int height) {
  if (page.width() <= 0 || page.height() <= 0) return QSize(1, 1);
  width = std::max(1, width);
  height = std::max(1, height);
  const double sx = static_cast<double>(width) / page.width();
  const double sy = static_cast<double>(height) / page.height();
  if (sx <= sy) return QSize(width, std::max(1, Round(page.height() * sx)));
  return QSize(std::max(1, Round(page.width() * sy)), height);
}

}  // namespace

QSize FitWholePage(QSize page, QSize client) {
  return Fit(page, client.width() - 2 * kPreviewBorder, client.height() - 2 * kPreviewBorder);
}

QSize FitPageWidth(QSize page, int clientWidth) {
  if (page.width() <= 0 || page.height() <= 0) return QSize(1, 1);
  const int w = std::max(1, clientWidth - 2 * kPreviewBorder);
  return QSize(w, std::max(1, Round(static_cast<double>(page.height()) * w / page.width())));
}

QSize RealPaperSize(long double widthMm, long double heightMm, int dpiX, int dpiY) {
  const int w = static_cast<int>(std::trunc(widthMm / kMmPerInch * dpiX));
  const int h = static_cast<int>(std::trunc(heightMm / kMmPerInch * dpiY));
  return QSize(std::max(1, w), std::max(1, h));
}

bool ZoomInSize(QSize& shown) {
  const int w = shown.width(), h = shown.height();
  if (w <= 0 || h <= 0 || w == kZoomMaxSide || h == kZoomMaxSide) return false;
  const double nw = w * kZoomStep, nh = h * kZoomStep;
  const double larger = std::max(nw, nh);
  if (larger > kZoomMaxSide) {
    const double f = kZoomMaxSide / larger;
    shown = nw >= nh ? QSize(kZoomMaxSide, std::max(1, Round(nh * f)))
                     : QSize(std::max(1, Round(nw * f)), kZoomMaxSide);
  } else {
    shown = QSize(Round(nw), Round(nh));
  }
  return true;
}

bool ZoomOutSize(QSize& shown) {
  const int w = shown.width(), h = shown.height();
  if (w <= 0 || h <= 0 || w <= kZoomMinSide || h <= kZoomMinSide) return false;
  const double nw = w / kZoomStep, nh = h / kZoomStep;
  const double smaller = std::min(nw, nh);
  if (smaller < kZoomMinSide) {
    const double f = kZoomMinSide / smaller;
    shown = nw <= nh ? QSize(kZoomMinSide, Round(nh * f)) : QSize(Round(nw * f), kZoomMinSide);
  } else {
    shown = QSize(Round(nw), Round(nh));
  }
  return true;
}

QPoint PageOrigin(QSize shown, QSize content) {
  const int x = std::max(kPreviewBorder, (content.width() - shown.width()) / 2);
  const int y = std::max(kPreviewBorder, (content.height() - shown.height()) / 2);
  return QPoint(x, y);
}

QPoint ScrollKeepingCentre(QPoint scroll, QSize oldView, QPoint oldOrigin, QSize oldShown,
                           QSize newView, QPoint newOrigin, QSize newShown) {
  if (oldShown.width() <= 0 || oldShown.height() <= 0) return QPoint(0, 0);
  // The centre of the visible area as a fraction of the old page.
  const double fx = (scroll.x() + oldView.width() / 2.0 - oldOrigin.x()) / oldShown.width();
  const double fy = (scroll.y() + oldView.height() / 2.0 - oldOrigin.y()) / oldShown.height();
  const int x = Round(newOrigin.x() + fx * newShown.width() - newView.width() / 2.0);
  const int y = Round(newOrigin.y() + fy * newShown.height() - newView.height() / 2.0);
  return QPoint(std::max(0, x), std::max(0, y));
}

}  // namespace kestrin
