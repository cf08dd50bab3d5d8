// Zoom geometry of the preview window: the displayed page size for each
// display mode, zooming in and out within fixed limits, and the scroll
// position that keeps a point of the page in place.
#pragma once

#include <QPoint>
#include <QSize>

namespace kestrin {

// Display modes of the preview (the numbers are the modes' own numbers).
enum class TPreviewMode { Free = 1, Whole = 2, FullWidth = 3, RealSize = 4 };

// The border around the displayed page, on every side.
inline constexpr int kPreviewBorder = 2;
// Zoom limits of the displayed page: the larger side at most, the smaller
// side at least.
inline constexpr int kZoomMaxSide = 2560;
inline constexpr int kZoomMinSide = 128;
inline constexpr double kZoomStep = 1.2;

// The page (width x height in any unit) fitted, keeping its aspect ratio,
// into `client` less the border on every side.
QSize FitWholePage(QSize page, QSize client);
// The page fitted to `clientWidth` less the border on each side.
QSize FitPageWidth(QSize page, int clientWidth);
// The paper at the screen's resolution: each side = Trunc(mm / mm-per-inch
// x dpi).
QSize RealPaperSize(long double widthMm, long double heightMm, int dpiX, int dpiY);

// One zoom step in or out from the displayed size; false (size unchanged)
// when the limit is already reached. Zooming in refuses a page with a side
// at kZoomMaxSide and caps the larger side there (a page shown larger than
// that comes down to it); zooming out keeps the smaller side at least
// kZoomMinSide.
bool ZoomInSize(QSize& shown);
bool ZoomOutSize(QSize& shown);

// Where the displayed page starts in a content area of `content` size:
// centred where it is smaller, else at the border.
QPoint PageOrigin(QSize shown, QSize content);

// The scroll position after a zoom that keeps the page point at the centre
// of the visible area in place: `scroll` is the old scroll position,
// `oldView`/`newView` the visible area, `oldOrigin`/`newOrigin` where the
// page starts in the content, before and after.
QPoint ScrollKeepingCentre(QPoint scroll, QSize oldView, QPoint oldOrigin, QSize oldShown,
                           QSize newView, QPoint newOrigin, QSize newShown);

}  // namespace kestrin
