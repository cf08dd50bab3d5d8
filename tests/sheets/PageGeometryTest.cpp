// Page geometry: millimetres to device pixels with 1600/63 mm per inch,
// margins raised to the unprintable border, drawing area from the page.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QPageLayout>
#include <QPdfWriter>

#include "sheets/PageGeometry.h"

using namespace kestrin;

TEST(PageGeometry, MillimetresUseSixteenHundredOverSixtyThreePerInch) {
  // 15 / 25.396825... x 600 = 354.375.
  EXPECT_EQ(MmToPixels(15, 600), 354);
  EXPECT_EQ(MmToPixels(10, 600), 236);
  EXPECT_EQ(MmToPixels(15, 1200), 708);
  // 297 mm at 600 dpi: 7016.6 here, 7015.7 with 25.4 mm per inch.
  EXPECT_EQ(MmToPixels(297, 600), 7016);
  EXPECT_EQ(MmToPixels(1, 96, TReportUnits::Inch), 96);
  // A non-zero length never vanishes; zero stays zero.
  EXPECT_EQ(MmToPixels(0.001L, 96), 1);
  EXPECT_EQ(MmToPixels(0, 600), 0);
}

TEST(PageGeometry, SheetSetupOnA4At600DpiGivesThePageRectangle) {
  const TReportSetup setup = SheetReportSetup();
  EXPECT_EQ(setup.PaperSize, TPaperSize::psA4);
  EXPECT_TRUE(setup.OrientIsPortrait);
  const TDeviceInfo device = PictureDevice(setup, 600);
  EXPECT_EQ(device.PhysicalWidth, 4961);
  EXPECT_EQ(device.PhysicalHeight, 7016);

  const TPageGeometry g = ComputePageGeometry(device, setup);
  EXPECT_EQ(g.MarginLeft, 354);
  EXPECT_EQ(g.MarginRight, 236);
  EXPECT_EQ(g.MarginTop, 354);
  EXPECT_EQ(g.MarginBottom, 354);
  EXPECT_EQ(g.PaperWidth, 4961);   // 4961.25 truncated
  EXPECT_EQ(g.PaperHeight, 7016);  // 7016.6 truncated (25.4 mm per inch: 7015)
  EXPECT_EQ(g.DrawWidth, 4961 - 354 - 236);
  EXPECT_EQ(g.DrawHeight, 7016 - 354 - 354);
  EXPECT_EQ(g.PageRect, (TRect{354, 354, 4725, 6662}));
}

TEST(PageGeometry, MarginsAreRaisedToTheUnprintableBorder) {
  TDeviceInfo device = PictureDevice(SheetReportSetup(), 600);
  device.OffsetLeft = 400;   // larger than 354
  device.OffsetTop = 100;    // smaller: the margin stays
  device.OffsetRight = 300;  // larger than 236
  device.OffsetBottom = 354; // equal
  const TPageGeometry g = ComputePageGeometry(device, SheetReportSetup());
  EXPECT_EQ(g.MarginLeft, 400);
  EXPECT_EQ(g.MarginTop, 354);
  EXPECT_EQ(g.MarginRight, 300);
  EXPECT_EQ(g.MarginBottom, 354);
  EXPECT_EQ(g.PageRect, (TRect{400, 354, 4961 - 300, 7016 - 354}));
}

TEST(PageGeometry, DrawingAreaFromPhysicalPageOrNominalPaper) {
  TReportSetup setup = SheetReportSetup();
  TDeviceInfo device;
  device.DpiX = device.DpiY = 300;
  device.PhysicalWidth = 2400;  // a printer whose page is not exactly A4
  device.PhysicalHeight = 3600;
  TPageGeometry g = ComputePageGeometry(device, setup);
  EXPECT_EQ(g.DrawWidth, 2400 - MmToPixels(15, 300) - MmToPixels(10, 300));
  EXPECT_EQ(g.DrawHeight, 3600 - 2 * MmToPixels(15, 300));

  setup.RepZoomMode = false;
  g = ComputePageGeometry(device, setup);
  EXPECT_EQ(g.PaperWidth, 2480);   // 210 mm at 300 dpi: 2480.6
  EXPECT_EQ(g.PaperHeight, 3508);  // 297 mm: 3508.3
  EXPECT_EQ(g.DrawWidth, 2480 - 177 - 118);
  EXPECT_EQ(g.DrawHeight, 3508 - 177 - 177);
}

TEST(PageGeometry, LandscapeSwapsThePaperAndDifferentResolutionsPerAxis) {
  TReportSetup setup = SheetReportSetup();
  setup.OrientIsPortrait = false;
  EXPECT_EQ(PaperWidthMm(setup), 297);
  EXPECT_EQ(PaperHeightMm(setup), 210);
  const TDeviceInfo pic = PictureDevice(setup, 150);
  EXPECT_GT(pic.PhysicalWidth, pic.PhysicalHeight);

  TDeviceInfo device;
  device.DpiX = 600;
  device.DpiY = 300;
  device.PhysicalWidth = 4961;
  device.PhysicalHeight = 3508;
  const TPageGeometry g = ComputePageGeometry(device, SheetReportSetup());
  EXPECT_EQ(g.MarginLeft, 354);
  EXPECT_EQ(g.MarginTop, 177);

  setup.PaperSize = TPaperSize::psUser;
  setup.UserWidthMm = 100;
  setup.UserHeightMm = 50;
  EXPECT_EQ(PaperWidthMm(setup), 100);  // user paper is taken as given
  EXPECT_EQ(PaperHeightMm(setup), 50);
}

TEST(PageGeometry, PdfWriterIsAFullPageWithoutBorder) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setResolution(600);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
  const TDeviceInfo d = DeviceInfoOf(writer);
  EXPECT_EQ(d.DpiX, 600);
  EXPECT_EQ(d.DpiY, 600);
  // A4 of the PDF is 595 x 842 points.
  EXPECT_NEAR(d.PhysicalWidth, 4961, 4);
  EXPECT_NEAR(d.PhysicalHeight, 7016, 4);
  // The layout's own margins are not an unprintable border.
  EXPECT_EQ(d.OffsetLeft, 0);
  EXPECT_EQ(d.OffsetTop, 0);
  EXPECT_EQ(d.OffsetRight, 0);
  EXPECT_EQ(d.OffsetBottom, 0);
}
