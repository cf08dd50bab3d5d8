// Page geometry of the printed sheets: the report's page setup (paper,
// orientation, margins, units) turned into device pixels of one output
// device (printer, PDF writer, picture).
//
// Millimetres become inches with 1600/63 mm per inch (25.3968..., the
// conversion the page setup has always used, not 25.4), then pixels with
// the device's resolution, truncated. Margins never fall inside the
// device's unprintable border: each is raised to its offset. The drawing
// area is the physical page less the margins, and PageRect is that area in
// pixels of the physical page (origin at the paper's top-left corner).
#pragma once

#include "platform/Geometry.h"

class QPagedPaintDevice;

namespace kestrin {

enum class TReportUnits { mm, Inch };

// Paper sizes of the page setup.
enum class TPaperSize { psA3, psA4, psB5, psB4, psLetter, ps15x11, psUser };

struct TReportSetup {
  long double MarginLeft = 0;
  long double MarginRight = 0;
  long double MarginTop = 0;
  long double MarginBottom = 0;
  TReportUnits Units = TReportUnits::mm;
  TPaperSize PaperSize = TPaperSize::psA3;
  bool OrientIsPortrait = false;
  // True: the drawing area comes from the physical page; false: from the
  // nominal paper size.
  bool RepZoomMode = true;
  // Paper of psUser, in mm (portrait width and height).
  long double UserWidthMm = 0;
  long double UserHeightMm = 0;
};

// The setup the sheets are printed with: A4 portrait, margins left 15,
// right 10, top 15, bottom 15 mm, drawing area from the physical page.
TReportSetup SheetReportSetup();

// Paper width and height in mm for the setup's paper and orientation.
long double PaperWidthMm(const TReportSetup& setup);
long double PaperHeightMm(const TReportSetup& setup);

// Millimetres (or inches) per inch of the report units: 1600/63 for mm.
inline constexpr long double kMmPerInch = 1600.0L / 63.0L;

// A length in the report's units as device pixels at `resolution`:
// truncated; a non-zero length that would give 0 gives 1.
int MmToPixels(long double length, int resolution, TReportUnits units = TReportUnits::mm);

// What the geometry needs of an output device, in its own pixels.
struct TDeviceInfo {
  int DpiX = 0;
  int DpiY = 0;
  int PhysicalWidth = 0;   // the whole sheet of paper
  int PhysicalHeight = 0;
  // Unprintable border on each side (0 for a PDF or a picture).
  int OffsetLeft = 0;
  int OffsetTop = 0;
  int OffsetRight = 0;
  int OffsetBottom = 0;
};

struct TPageGeometry {
  int ResX = 0;
  int ResY = 0;
  int PaperWidth = 0;      // nominal paper size in pixels
  int PaperHeight = 0;
  int PhysicalWidth = 0;
  int PhysicalHeight = 0;
  int MarginLeft = 0;      // after raising to the offsets
  int MarginTop = 0;
  int MarginRight = 0;
  int MarginBottom = 0;
  int OffsetLeft = 0;
  int OffsetTop = 0;
  int OffsetRight = 0;
  int OffsetBottom = 0;
  int DrawWidth = 0;
  int DrawHeight = 0;
  // (MarginLeft, MarginTop) - (MarginLeft + DrawWidth, MarginTop + DrawHeight).
  TRect PageRect;
};

TPageGeometry ComputePageGeometry(const TDeviceInfo& device, const TReportSetup& setup);

// A picture of the setup's paper at `dpi`: physical size = the paper in
// pixels (rounded from true millimetres), no unprintable border.
TDeviceInfo PictureDevice(const TReportSetup& setup, int dpi);

// A printer or PDF writer: resolution, the full paper of its page layout,
// and its minimum margins as the unprintable border.
TDeviceInfo DeviceInfoOf(const QPagedPaintDevice& device);

}  // namespace kestrin
