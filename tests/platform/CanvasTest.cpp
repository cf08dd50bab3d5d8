// The canvas rules checked on real pixels drawn by QPainter.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include "PixelProbe.h"
#include "platform/QtCanvas.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// Draws with `f` on a fresh white image and returns the image.
template <typename F>
QImage Draw(int w, int h, F f) {
  QImage img = WhiteImage(w, h);
  {
    TQtCanvas c(&img);
    f(c);
  }
  return img;
}

}  // namespace

TEST(CanvasLines, EndPixelIsLeftOutInEveryDirection) {
  const QImage img = Draw(40, 40, [](TCanvas& c) {
    c.MoveTo(2, 10);
    c.LineTo(12, 10);   // right: 2..11
    c.MoveTo(12, 20);
    c.LineTo(2, 20);    // left: 3..12
    c.MoveTo(30, 2);
    c.LineTo(30, 12);   // down: 2..11
    c.MoveTo(35, 12);
    c.LineTo(35, 2);    // up: 3..12
  });
  EXPECT_EQ(RowPattern(img, 10, 0, 14), "..##########...");
  EXPECT_EQ(RowPattern(img, 20, 0, 14), "...##########..");
  EXPECT_EQ(ColPattern(img, 30, 0, 14), "..##########...");
  EXPECT_EQ(ColPattern(img, 35, 0, 14), "...##########..");
}

TEST(CanvasLines, DiagonalsStopOnePixelShortAndPenPositionFollows) {
  TPoint after;
  const QImage img = Draw(40, 40, [&](TCanvas& c) {
    c.MoveTo(5, 5);
    c.LineTo(10, 10);
    c.MoveTo(30, 30);
    c.LineTo(25, 25);
    after = c.PenPos;
  });
  for (int i = 5; i < 10; ++i) EXPECT_EQ(PixelAt(img, i, i), clBlack) << i;
  EXPECT_TRUE(IsWhite(img, 10, 10));
  for (int i = 26; i <= 30; ++i) EXPECT_EQ(PixelAt(img, i, i), clBlack) << i;
  EXPECT_TRUE(IsWhite(img, 25, 25));
  EXPECT_EQ(after, (TPoint{25, 25}));
}

TEST(CanvasLines, ZeroLengthLinePaintsNothingAndPolylineKeepsThePenPosition) {
  TPoint after;
  const QImage img = Draw(20, 20, [&](TCanvas& c) {
    c.MoveTo(3, 3);
    c.LineTo(3, 3);
    c.MoveTo(1, 1);
    c.Polyline({{5, 5}, {15, 5}, {15, 15}});
    after = c.PenPos;
  });
  EXPECT_TRUE(IsWhite(img, 3, 3));
  EXPECT_EQ(RowPattern(img, 5, 4, 16), ".###########.");  // 5..15, the corner included
  EXPECT_EQ(ColPattern(img, 15, 4, 16), ".##########..");  // 5..14, the last point left out
  EXPECT_EQ(after, (TPoint{1, 1}));
}

TEST(CanvasLines, StylesAndWidths) {
  const QImage img = Draw(60, 30, [](TCanvas& c) {
    c.Pen.Style = TPenStyle::Dot;
    c.MoveTo(0, 5);
    c.LineTo(40, 5);
    c.Pen.Style = TPenStyle::DashDot;
    c.MoveTo(0, 10);
    c.LineTo(40, 10);
    c.Pen.Style = TPenStyle::Clear;
    c.MoveTo(0, 15);
    c.LineTo(40, 15);
    c.Pen.Style = TPenStyle::Dot;  // ignored for wide pens
    c.Pen.Width = 2;
    c.MoveTo(10, 22);
    c.LineTo(40, 22);
  });
  const std::string dots = RowPattern(img, 5, 0, 39);
  EXPECT_EQ(dots.substr(0, 12), "###...###...");
  EXPECT_EQ(RowPattern(img, 10, 0, 29), "#########......###......######");
  EXPECT_EQ(RowPattern(img, 15, 0, 39), std::string(40, '.'));
  // A two-pixel pen covers the row above and the row of the line.
  EXPECT_EQ(ColPattern(img, 25, 19, 24), "..##..");
  EXPECT_EQ(RowPattern(img, 22, 12, 38), std::string(27, '#'));
}

TEST(CanvasShapes, RectangleCoversLeftToRightMinusOne) {
  const QImage img = Draw(40, 40, [](TCanvas& c) {
    c.Pen.Color = clRed;
    c.Brush.SetColor(clBlue);
    c.Rectangle(10, 10, 20, 16);
  });
  EXPECT_EQ(RowPattern(img, 10, 8, 21, clRed), "..##########..");
  EXPECT_EQ(RowPattern(img, 15, 8, 21, clRed), "..##########..");
  EXPECT_EQ(RowPattern(img, 12, 8, 21, clRed), "..#........#..");
  EXPECT_EQ(RowPattern(img, 12, 8, 21, clBlue), "...########...");
  EXPECT_TRUE(IsWhite(img, 15, 16));
  EXPECT_TRUE(IsWhite(img, 20, 12));
}

TEST(CanvasShapes, RectangleWithClearPenOrClearBrush) {
  const QImage noPen = Draw(40, 40, [](TCanvas& c) {
    c.Pen.Style = TPenStyle::Clear;
    c.Brush.SetColor(clBlue);
    c.Rectangle(10, 10, 20, 16);
  });
  // Without a pen the fill stops one pixel short on the right and bottom.
  EXPECT_EQ(RowPattern(noPen, 10, 8, 21, clBlue), "..#########...");
  EXPECT_EQ(ColPattern(noPen, 12, 8, 17, clBlue), "..#####...");

  const QImage noBrush = Draw(40, 40, [](TCanvas& c) {
    c.Brush.SetStyle(TBrushStyle::Clear);
    c.Rectangle(10, 10, 20, 16);
    c.FillRect(TRect{25, 25, 30, 30});
    c.FrameRect(TRect{25, 25, 30, 30});
  });
  EXPECT_EQ(RowPattern(noBrush, 12, 8, 21), "..#........#..");
  EXPECT_EQ(InkBox(noBrush), (TRect{10, 10, 20, 16}));
}

TEST(CanvasShapes, FillRectAndFrameRectUseTheBrushOnly) {
  const QImage img = Draw(40, 40, [](TCanvas& c) {
    c.Pen.Color = clRed;
    c.Brush.SetColor(clGreen);
    c.FillRect(TRect{2, 2, 8, 5});
    c.Brush.SetColor(clBlue);
    c.FrameRect(TRect{10, 10, 20, 16});
    c.FrameRect(TRect{30, 30, 30, 35});  // empty: nothing
  });
  EXPECT_EQ(RowPattern(img, 2, 0, 9, clGreen), "..######..");
  EXPECT_EQ(ColPattern(img, 2, 0, 6, clGreen), "..###..");
  EXPECT_EQ(RowPattern(img, 10, 8, 21, clBlue), "..##########..");
  EXPECT_EQ(RowPattern(img, 15, 8, 21, clBlue), "..##########..");
  EXPECT_EQ(RowPattern(img, 12, 8, 21, clBlue), "..#........#..");
  EXPECT_TRUE(IsWhite(img, 15, 12));
  EXPECT_TRUE(IsWhite(img, 30, 32));
}

TEST(CanvasShapes, BrushColourMakesAClearBrushSolid) {
  TBrush b;
  b.SetStyle(TBrushStyle::Clear);
  b.SetColor(clRed);
  EXPECT_EQ(b.Style(), TBrushStyle::Solid);
  EXPECT_EQ(b.Color(), clRed);
}

TEST(CanvasShapes, EllipseAndPolygonStayInsideTheirBox) {
  const QImage img = Draw(60, 60, [](TCanvas& c) {
    c.Pen.Color = clBlack;
    c.Brush.SetColor(clBlack);
    c.Ellipse(10, 10, 21, 17);
    // The chart framework's point mark: an octagon five pixels across.
    const int x = 40, y = 40;
    c.Polygon({{x - 1, y - 2}, {x + 1, y - 2}, {x + 2, y - 1}, {x + 2, y + 1},
               {x + 1, y + 2}, {x - 1, y + 2}, {x - 2, y + 1}, {x - 2, y - 1}});
  });
  QImage top = img.copy(0, 0, 30, 30);
  EXPECT_EQ(InkBox(top), (TRect{10, 10, 21, 17}));
  QImage mark = img.copy(30, 30, 30, 30);
  EXPECT_EQ(InkBox(mark), (TRect{8, 8, 13, 13}));
  EXPECT_EQ(RowPattern(img, 40, 37, 43), ".#####.");
  EXPECT_EQ(RowPattern(img, 38, 37, 43), "..###..");
}

TEST(CanvasText, TopOfTheCellAtYAndPenMovesByTheWidth) {
  TSize ext;
  TPoint after;
  const QImage img = Draw(300, 100, [&](TCanvas& c) {
    c.Font.Log.FaceName = FaceNameOfKind(2);
    c.Font.Log.Height = 30;
    c.Font.Color = clBlack;
    c.Brush.SetColor(clYellow);
    ext = c.TextExtent(QStringLiteral("Slump 18"));
    c.TextOut(20, 40, QStringLiteral("Slump 18"));
    after = c.PenPos;
  });
  EXPECT_EQ(after, (TPoint{20 + ext.cx, 40}));
  EXPECT_EQ(ext.cy, 30);
  // The solid brush paints exactly the text cell.
  EXPECT_EQ(PixelAt(img, 20, 40), clYellow);
  EXPECT_EQ(PixelAt(img, 20 + ext.cx - 1, 40 + ext.cy - 1), clYellow);
  EXPECT_TRUE(IsWhite(img, 19, 45));
  EXPECT_TRUE(IsWhite(img, 20 + ext.cx, 45));
  EXPECT_TRUE(IsWhite(img, 25, 39));
  EXPECT_TRUE(IsWhite(img, 25, 40 + ext.cy));
  // The glyphs stand inside the cell: the capital S reaches close to its top.
  const TRect ink = InkBox(img.copy(0, 0, 300, 100), 128);
  EXPECT_GE(ink.Top, 40);
  EXPECT_LE(ink.Top, 40 + ext.cy / 3);
  EXPECT_LE(ink.Bottom, 40 + ext.cy);
}

TEST(CanvasText, ClearBrushWritesWithoutBackground) {
  const QImage img = Draw(300, 100, [](TCanvas& c) {
    c.Font.Log.FaceName = FaceNameOfKind(0);
    c.Font.Log.Height = 40;
    c.Font.Color = clRed;
    c.Brush.SetStyle(TBrushStyle::Clear);
    c.TextOut(10, 10, QString::fromUtf8("試験"));
  });
  // Only glyph pixels (reddish) are painted; no cell background.
  int red = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      if (p == qRgb(255, 255, 255)) continue;
      EXPECT_GT(qRed(p), qBlue(p)) << x << "," << y;
      if (qRed(p) == 255 && qGreen(p) == 0) ++red;
    }
  }
  EXPECT_GT(red, 50);
  EXPECT_TRUE(IsWhite(img, 11, 11));
}

TEST(CanvasFonts, PositiveHeightIsTheCellNegativeHeightTheEm) {
  QImage img = WhiteImage(10, 10);
  TQtCanvas canvas(&img);
  for (int kind = 0; kind < 4; ++kind) {
    canvas.Font.Log.FaceName = FaceNameOfKind(kind);
    for (int h : {8, 12, 20, 33, 100, 480}) {
      canvas.Font.Log.Height = h;
      const int cell = canvas.TextHeight(QString::fromUtf8("明X"));
      EXPECT_NEAR(cell, h, h < 40 ? 1 : h / 40) << "kind " << kind << " height " << h;
    }
    canvas.Font.Log.Height = -100;  // em 100: the cell is about 100 / 0.91..0.93
    const int cell = canvas.TextHeight(QStringLiteral("X"));
    EXPECT_GE(cell, 106) << kind;
    EXPECT_LE(cell, 111) << kind;
  }
}

TEST(CanvasFonts, FaceKindsResolveToTheIpaFonts) {
  const char* expected[4] = {"IPAMincho", "IPAPMincho", "IPAGothic", "IPAPGothic"};
  for (int kind = 0; kind < 4; ++kind) {
    TLogFont lf;
    lf.Height = 20;
    lf.FaceName = FaceNameOfKind(kind);
    EXPECT_EQ(QFontInfo(MakeQFont(lf)).family(), QString::fromLatin1(expected[kind])) << kind;
  }
  EXPECT_EQ(FaceNameOfKind(0), QString::fromUtf8("ＭＳ 明朝"));
  EXPECT_EQ(FaceNameOfKind(3), QString::fromUtf8("ＭＳ Ｐゴシック"));
  EXPECT_EQ(FaceNameOfKind(7), QStringLiteral("Times New Roman"));
  // The Gothic face is fixed-pitch for half-width characters, the P face is not.
  TLogFont g;
  g.Height = 40;
  g.FaceName = FaceNameOfKind(2);
  TLogFont p = g;
  p.FaceName = FaceNameOfKind(3);
  const QString narrow = QStringLiteral("iiii"), wide = QStringLiteral("MMMM");
  EXPECT_DOUBLE_EQ(MeasureText(MakeQFont(g), narrow).Width, MeasureText(MakeQFont(g), wide).Width);
  EXPECT_LT(MeasureText(MakeQFont(p), narrow).Width, MeasureText(MakeQFont(p), wide).Width);
}

TEST(CanvasColors, ColorIntegersAreBgr) {
  EXPECT_EQ(Rgb(0xDD, 0xFF, 0xDD), 14548957);
  EXPECT_EQ(Rgb(0xD0, 0x28, 0x5F), 6236368);
  EXPECT_EQ(ColorRed(12615680), 0x00);
  EXPECT_EQ(ColorGreen(12615680), 0x80);
  EXPECT_EQ(ColorBlue(12615680), 0xC0);
  EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(clBtnFace), QGuiApplication::palette().color(QPalette::Active, QPalette::Button));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_TRUE(IsSystemColor(clBtnFace));
}

TEST(CanvasDevices, PrinterPdfKeepsThePixelGeometry) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString pdf = dir.filePath(QStringLiteral("canvas.pdf"));
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    TQtCanvas c(&printer);
    EXPECT_EQ(c.PixelsPerInchY(), 600);
    c.Brush.SetColor(clBlack);
    c.FillRect(TRect{600, 600, 1200, 900});   // 1 x 0.5 inch from (1, 1) inch
    c.MoveTo(600, 1800);
    c.LineTo(3000, 1800);                     // a one-pixel line at y = 3 inch
    c.Font.Log.FaceName = FaceNameOfKind(2);
    c.Font.Log.Height = 300;
    c.Brush.SetStyle(TBrushStyle::Clear);
    c.TextOut(600, 2400, QStringLiteral("X"));
  }
  QProcess proc;
  proc.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-gray"),
                        QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
  ASSERT_TRUE(proc.waitForFinished(30000));
  QImage page(dir.filePath(QStringLiteral("page.pgm")));
  ASSERT_FALSE(page.isNull());
  page = page.convertToFormat(QImage::Format_RGB32);
  // At 150 dpi: the box covers 150..299 x 150..224, the line row 450, the
  // text cell from row 600.
  const TRect box = InkBox(page.copy(0, 0, 400, 400), 128);
  EXPECT_NEAR(box.Left, 150, 1);
  EXPECT_NEAR(box.Top, 150, 1);
  EXPECT_NEAR(box.Right, 300, 1);
  EXPECT_NEAR(box.Bottom, 225, 1);
  const TRect line = InkBox(page.copy(0, 400, 800, 100), 200);
  EXPECT_NEAR(line.Top + 400, 450, 1);
  EXPECT_NEAR(line.Left, 150, 1);
  EXPECT_NEAR(line.Right, 750, 1);
  const TRect text = InkBox(page.copy(0, 550, 400, 150), 128);
  EXPECT_GE(text.Top + 550, 600);
  EXPECT_LE(text.Top + 550, 600 + 75 / 3);
}

namespace {

// A widget that paints through the canvas in its paint event, as the
// chart paint boxes do.
class CanvasWidget : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    TQtCanvas c(&painter);
    c.Brush.SetColor(clWhite);
    c.FillRect(TRect{0, 0, width(), height()});
    c.MoveTo(12, 10);
    c.LineTo(2, 10);
    c.Brush.SetColor(clBlue);
    c.FrameRect(TRect{20, 20, 30, 25});
  }
};

}  // namespace

TEST(CanvasDevices, WidgetPaintEvent) {
  CanvasWidget w;
  w.resize(40, 40);
  const QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(img.width(), 40);
  EXPECT_EQ(RowPattern(img, 10, 0, 14), "...##########..");
  EXPECT_EQ(RowPattern(img, 20, 18, 31, clBlue), "..##########..");
  EXPECT_EQ(ColPattern(img, 29, 18, 26, clBlue), "..#####..");
}
