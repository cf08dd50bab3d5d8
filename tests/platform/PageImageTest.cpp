// Recorded page images: recording, replay at other resolutions, files.
#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <cmath>

#include "PixelProbe.h"
#include "platform/PageImage.h"
#include "platform/QtCanvas.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// A 2 x 1.5 inch page at 600 dpi: a heading, a rule, a framed box and a
// vertical line.
constexpr int kPageW = 1200;
constexpr int kPageH = 900;

struct PageMarks {
  TSize textExtent;
};

PageMarks DrawSamplePage(TCanvas& c) {
  PageMarks marks;
  c.Font.Log.FaceName = FaceNameOfKind(0);
  c.Font.Log.Height = 100;
  c.Font.Color = clBlack;
  c.Brush.SetStyle(TBrushStyle::Clear);
  const QString heading = QString::fromUtf8("スランプ試験 18.5");
  marks.textExtent = c.TextExtent(heading);
  c.TextOut(150, 120, heading);
  c.Pen.Color = clBlack;
  c.MoveTo(150, 450);
  c.LineTo(1050, 450);
  c.MoveTo(1100, 500);
  c.LineTo(1100, 850);
  c.Brush.SetColor(clBlue);
  c.FrameRect(TRect{300, 550, 600, 750});
  return marks;
}

QImage Replay(const TPageImage& page, int dpi) {
  const int w = kPageW * dpi / 600;
  const int h = kPageH * dpi / 600;
  return page.ToImage(w, h);
}

}  // namespace

TEST(PageImage, ReplayKeepsTextAndLinesAtTheSameRelativePlaces) {
  TPageImage page(kPageW, kPageH, 600, 600);
  TRecordingCanvas rec(&page);
  const PageMarks marks = DrawSamplePage(rec);

  for (int dpi : {96, 1200}) {
    SCOPED_TRACE(dpi);
    const QImage img = Replay(page, dpi);
    const double s = dpi / 600.0;
    // Rule at y = 450, from x = 150 to 1049.
    const int ruleY = static_cast<int>(std::lround(450 * s));
    const TRect rule = InkBox(img.copy(0, ruleY - 2, img.width(), 5));
    EXPECT_EQ(rule.Top + ruleY - 2, ruleY);
    EXPECT_EQ(rule.Bottom - rule.Top, 1);
    EXPECT_NEAR(rule.Left, 150 * s, 1);
    EXPECT_NEAR(rule.Right, 1050 * s, 1);
    // Vertical line at x = 1100 from y = 500 to 849.
    const int lineX = static_cast<int>(std::lround(1100 * s));
    EXPECT_EQ(InkRows(img, lineX, static_cast<int>(std::lround(500 * s)),
                      static_cast<int>(std::lround(850 * s))),
              std::string(std::lround(850 * s) - std::lround(500 * s), '#'));
    EXPECT_TRUE(IsWhite(img, lineX, static_cast<int>(std::lround(850 * s))));
    EXPECT_TRUE(IsWhite(img, lineX - 1, static_cast<int>(std::lround(600 * s))));
    EXPECT_TRUE(IsWhite(img, lineX + 1, static_cast<int>(std::lround(600 * s))));
    // The blue frame: one device pixel wide at every scale.
    EXPECT_EQ(PixelAt(img, std::lround(300 * s), std::lround(650 * s)), clBlue);
    EXPECT_TRUE(IsWhite(img, std::lround(300 * s) + 1, std::lround(650 * s)));
    EXPECT_EQ(PixelAt(img, std::lround(600 * s) - 1, std::lround(650 * s)), clBlue);
    // The heading: its ink lies in the scaled text cell and spans nearly
    // all of the scaled text width.
    const QImage top = img.copy(0, 0, img.width(), std::lround(400 * s));
    const TRect ink = InkBox(top, 160);
    const double left = 150 * s, right = (150 + marks.textExtent.cx) * s;
    const double cellTop = 120 * s, cellBottom = (120 + marks.textExtent.cy) * s;
    EXPECT_GE(ink.Left, left - 1);
    EXPECT_LE(ink.Left, left + 0.08 * (right - left));
    EXPECT_LE(ink.Right, right + 1);
    EXPECT_GE(ink.Right, right - 0.08 * (right - left));
    EXPECT_GE(ink.Top, cellTop - 1);
    EXPECT_LE(ink.Bottom, cellBottom + 1);
    EXPECT_GE(ink.Bottom - ink.Top, 0.6 * (cellBottom - cellTop));
  }
}

TEST(PageImage, ReplayAtTheRecordedResolutionEqualsDirectDrawing) {
  TPageImage page(kPageW, kPageH, 600, 600);
  TRecordingCanvas rec(&page);
  DrawSamplePage(rec);
  const QImage replayed = page.ToImage(kPageW, kPageH);

  QImage direct = WhiteImage(kPageW, kPageH);
  direct.setDotsPerMeterX(23622);
  direct.setDotsPerMeterY(23622);
  {
    TQtCanvas c(&direct);
    DrawSamplePage(c);
  }
  EXPECT_EQ(replayed, direct);
}

TEST(PageImage, TextExtentsWhileRecordingMatchTheDevice) {
  TPageImage page(4958, 7017, 600, 600);
  TRecordingCanvas rec(&page);
  QImage image = WhiteImage(10, 10);
  image.setDotsPerMeterX(23622);
  image.setDotsPerMeterY(23622);
  TQtCanvas direct(&image);
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setResolution(600);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("metrics.pdf")));
  TQtCanvas onPrinter(&printer);
  for (int kind : {0, 2, 3}) {
    for (int h : {13, 47, 140}) {
      for (TCanvas* c : {static_cast<TCanvas*>(&rec), static_cast<TCanvas*>(&direct),
                         static_cast<TCanvas*>(&onPrinter)}) {
        c->Font.Log.FaceName = FaceNameOfKind(kind);
        c->Font.Log.Height = h;
      }
      const QString s = QString::fromUtf8("呼び強度 24N/mm2 ±2.5");
      EXPECT_EQ(rec.TextExtent(s), direct.TextExtent(s)) << kind << " " << h;
      EXPECT_EQ(rec.TextExtent(s), onPrinter.TextExtent(s)) << kind << " " << h;
    }
  }
  EXPECT_EQ(rec.PixelsPerInchY(), 600);
}

TEST(PageImage, StateIsRecordedOnlyWhenItChanges) {
  TPageImage page(100, 100, 96, 96);
  TRecordingCanvas rec(&page);
  rec.MoveTo(0, 0);
  rec.LineTo(10, 0);
  rec.LineTo(10, 10);
  rec.Pen.Color = clRed;
  rec.LineTo(0, 10);
  rec.Pen.Style = TPenStyle::Clear;
  rec.LineTo(0, 0);  // nothing to record
  rec.Brush.SetStyle(TBrushStyle::Clear);
  rec.FillRect(TRect{0, 0, 5, 5});  // nothing to record
  const auto& ops = page.Ops();
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_TRUE(std::holds_alternative<pageop::SetPen>(ops[0]));
  EXPECT_TRUE(std::holds_alternative<pageop::Line>(ops[1]));
  EXPECT_TRUE(std::holds_alternative<pageop::Line>(ops[2]));
  ASSERT_TRUE(std::holds_alternative<pageop::SetPen>(ops[3]));
  EXPECT_EQ(std::get<pageop::SetPen>(ops[3]).Pen.Color, clRed);
  const auto& last = std::get<pageop::Line>(ops[4]);
  EXPECT_EQ((TRect{last.X1, last.Y1, last.X2, last.Y2}), (TRect{10, 10, 0, 10}));
}

TEST(PageImage, PlayLeavesTheTargetStateAsItWas) {
  TPageImage page(100, 100, 96, 96);
  {
    TRecordingCanvas rec(&page);
    rec.Pen.Color = clRed;
    rec.Brush.SetColor(clGreen);
    rec.Rectangle(10, 10, 20, 20);
    rec.TextOut(0, 0, QStringLiteral("x"));
  }
  QImage img = WhiteImage(50, 50);
  TQtCanvas c(&img);
  c.Pen.Color = clBlue;
  c.Brush.SetStyle(TBrushStyle::Clear);
  c.MoveTo(7, 8);
  page.Play(c, TRect{0, 0, 50, 50});
  EXPECT_EQ(c.Pen.Color, clBlue);
  EXPECT_TRUE(c.Brush.IsClear());
  EXPECT_EQ(c.PenPos, (TPoint{7, 8}));
  EXPECT_EQ(c.TextScaleX, 1.0);
  c.End();
  // Stretched to half size: the rectangle lands on 5..9.
  EXPECT_EQ(PixelAt(img, 5, 5), clRed);
  EXPECT_EQ(PixelAt(img, 9, 9), clRed);
  EXPECT_TRUE(IsWhite(img, 10, 7));
}

TEST(PageImage, PlayWithOffsetStretchesIntoTheDestination) {
  TPageImage page(200, 100, 96, 96);
  {
    TRecordingCanvas rec(&page);
    rec.Brush.SetColor(clBlack);
    rec.FillRect(TRect{0, 0, 200, 100});
  }
  QImage img = WhiteImage(100, 100);
  {
    TQtCanvas c(&img);
    page.Play(c, TRect{10, 20, 60, 45});
  }
  EXPECT_EQ(InkBox(img), (TRect{10, 20, 60, 45}));
}

TEST(PageImage, SaveAndLoadRoundTrip) {
  TPageImage page(kPageW, kPageH, 600, 600);
  {
    TRecordingCanvas rec(&page);
    DrawSamplePage(rec);
    rec.Pen.Width = 3;
    rec.Pen.Style = TPenStyle::DashDot;
    rec.Brush.SetColor(clBtnFace);
    rec.Polygon({{10, 10}, {50, 10}, {30, 40}});
    rec.Ellipse(60, 60, 90, 80);
    rec.Font.Log.Italic = true;
    rec.Font.Log.Weight = FW_BOLD;
    rec.TextOut(5, 5, QString::fromUtf8("合 ～ u･f"));
  }
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath(QStringLiteral("page.kpg"));
  ASSERT_TRUE(page.SaveToFile(file));
  TPageImage loaded;
  ASSERT_TRUE(loaded.LoadFromFile(file));
  EXPECT_EQ(loaded.Width(), kPageW);
  EXPECT_EQ(loaded.DpiY(), 600);
  ASSERT_EQ(loaded.Ops().size(), page.Ops().size());
  EXPECT_EQ(loaded.ToImage(300, 225), page.ToImage(300, 225));
}

TEST(PageImage, LoadRefusesDamagedFilesAndKeepsThePage) {
  TPageImage page(100, 100, 96, 96);
  {
    TRecordingCanvas rec(&page);
    rec.MoveTo(0, 0);
    rec.LineTo(50, 50);
    rec.TextOut(0, 0, QStringLiteral("abc"));
  }
  QTemporaryDir dir;
  const QString good = dir.filePath(QStringLiteral("good.kpg"));
  ASSERT_TRUE(page.SaveToFile(good));
  QFile f(good);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  f.close();

  auto tryLoad = [&](const QByteArray& data) {
    const QString bad = dir.filePath(QStringLiteral("bad.kpg"));
    QFile out(bad);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(data);
    out.close();
    TPageImage target(7, 7, 72, 72);
    const bool ok = target.LoadFromFile(bad);
    if (!ok) {
      EXPECT_EQ(target.Width(), 7);
      EXPECT_TRUE(target.Ops().empty());
    }
    return ok;
  };
  EXPECT_TRUE(tryLoad(bytes));
  for (int cut : {0, 3, 10, 27, static_cast<int>(bytes.size()) - 1}) {
    EXPECT_FALSE(tryLoad(bytes.left(cut))) << cut;
  }
  EXPECT_FALSE(tryLoad(bytes + QByteArray(1, '\0')));
  QByteArray wrongKind = bytes;
  wrongKind[26] = char(0x7F);  // first operation's kind
  EXPECT_FALSE(tryLoad(wrongKind));
  QByteArray hugeCount = bytes;
  hugeCount[22] = hugeCount[23] = hugeCount[24] = hugeCount[25] = char(0xFF);
  EXPECT_FALSE(tryLoad(hugeCount));
  EXPECT_FALSE(TPageImage().LoadFromFile(dir.filePath(QStringLiteral("missing.kpg"))));
}

TEST(PageImage, ClipIsRecordedReplayedAtScaleAndLiftedAfterThePage) {
  TPageImage page(100, 100, 96, 96);
  {
    TRecordingCanvas rec(&page);
    rec.Brush.SetColor(clBlack);
    rec.SetClipRect(TRect{10, 10, 50, 50});
    rec.FillRect(TRect{0, 0, 100, 100});
    rec.MoveTo(0, 70);
    rec.LineTo(100, 70);  // outside the clip: not painted
    rec.ResetClip();
    rec.FillRect(TRect{90, 90, 100, 100});
  }
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("clip.kpg"));
  ASSERT_TRUE(page.SaveToFile(file));
  TPageImage loaded;
  ASSERT_TRUE(loaded.LoadFromFile(file));
  for (const TPageImage* p : {&page, &loaded}) {
    QImage img = WhiteImage(200, 200);
    TQtCanvas c(&img);
    p->Play(c, TRect{0, 0, 200, 200});
    EXPECT_FALSE(c.HasClip());
    c.End();
    EXPECT_EQ(InkBox(img, 128), (TRect{20, 20, 200, 200}));
    EXPECT_TRUE(IsWhite(img, 19, 30));
    EXPECT_EQ(PixelAt(img, 99, 99), clBlack);
    EXPECT_TRUE(IsWhite(img, 100, 100));
    EXPECT_TRUE(IsWhite(img, 50, 140));  // the line below the clip
    EXPECT_EQ(PixelAt(img, 199, 199), clBlack);
  }
  // A page replayed into a clip of the target stays inside both.
  QImage img = WhiteImage(200, 200);
  {
    TQtCanvas c(&img);
    c.SetClipRect(TRect{0, 0, 60, 200});
    page.Play(c, TRect{0, 0, 200, 200});
    ASSERT_TRUE(c.HasClip());
    EXPECT_EQ(c.ClipRect(), (TRect{0, 0, 60, 200}));
  }
  EXPECT_EQ(InkBox(img, 128), (TRect{20, 20, 60, 100}));
}
