// The unit label with its raised exponent.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "GtestQt.h"
#include "app/AppFonts.h"
#include "platform/Fonts.h"
#include "app/UnitLabel.h"

using namespace kestrin;

TEST(UnitLabel, OnlyNPerSquareMillimetreIsSplit) {
  for (const char* c : {"N/mm2", "n/MM2", "N/MM2"}) {
    const TRaisedCaption r = SplitRaisedCaption(QString::fromUtf8(c));
    EXPECT_EQ(r.Base, "N/mm") << c;
    EXPECT_EQ(r.Exponent, "2") << c;
    EXPECT_EQ(r.Rest, "") << c;
  }
  const TRaisedCaption cm = SplitRaisedCaption(QStringLiteral("cm"));
  EXPECT_EQ(cm.Base, "cm");
  EXPECT_EQ(cm.Exponent, "");
  EXPECT_EQ(SplitRaisedCaption(QStringLiteral("N/mm^2")).Base, "N/mm^2");  // drawn unchanged
}

TEST(UnitLabel, LayoutFollowsGapFontAndAlignmentRules) {
  RegisterFontSubstitutions();
  const QRect cell(128, 52, 56, 26);
  const TRaisedCaption n = SplitRaisedCaption(QStringLiteral("N/mm2"));
  const TRaisedCaptionLayout small = LayoutRaisedCaption(cell, n, UnitFont(), TCellAlign::Center, 2);
  EXPECT_EQ(small.Gap, 1);  // 13 px font
  EXPECT_EQ(small.ExponentFont.pixelSize(), 9);
  EXPECT_EQ(small.TotalWidth, small.BaseWidth + 1 + small.ExponentWidth);
  EXPECT_EQ(small.X, cell.left() + (cell.width() - small.TotalWidth - 1) / 2);
  QFont big = UnitFont();
  big.setPixelSize(18);
  const TRaisedCaptionLayout large = LayoutRaisedCaption(cell, n, big, TCellAlign::Left, 2);
  EXPECT_EQ(large.Gap, 2);
  EXPECT_EQ(large.X, cell.left() + 3);
  const TRaisedCaptionLayout right = LayoutRaisedCaption(cell, n, big, TCellAlign::Right, 2);
  EXPECT_EQ(right.X, cell.left() + cell.width() - 2 - right.TotalWidth + 1);
}

TEST(UnitLabel, TheExponentSitsHigherThanTheBase) {
  RegisterFontSubstitutions();
  QImage img(56, 26, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    DrawRaisedCaption(p, img.rect(), QStringLiteral("N/mm2"), UnitFont(), TCellAlign::Center, 2,
                      TCellColors{QColor(0xD6, 0xF8, 0xE6), Qt::black});
  }
  const TRaisedCaptionLayout l =
      LayoutRaisedCaption(img.rect(), SplitRaisedCaption(QStringLiteral("N/mm2")), UnitFont(),
                          TCellAlign::Center, 2);
  // Lowest dark pixel of the base's last letter and of the exponent.
  auto lowestInk = [&](int x0, int x1) {
    int lowest = -1;
    for (int x = x0; x < x1; ++x)
      for (int y = 0; y < img.height(); ++y)
        if (qGray(img.pixel(x, y)) < 128) lowest = std::max(lowest, y);
    return lowest;
  };
  const int expLeft = l.X + l.BaseWidth + l.Gap;
  const int baseBottom = lowestInk(l.X, l.X + l.BaseWidth);
  const int expBottom = lowestInk(expLeft, expLeft + l.ExponentWidth);
  ASSERT_GT(baseBottom, 0);
  ASSERT_GT(expBottom, 0);
  EXPECT_LT(expBottom, baseBottom - 2);
  EXPECT_EQ(img.pixelColor(1, 1), QColor(0xD6, 0xF8, 0xE6));
}
