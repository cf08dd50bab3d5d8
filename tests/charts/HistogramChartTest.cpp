// The screen histogram: table layout, scale, fills and shading, bars, the
// extreme-class marks with their leaders, frequency numbers, header and
// cell texts, on recorded operations and on pixels.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>

#include "../platform/PixelProbe.h"
#include "ChartOps.h"
#include "charts/HistogramChart.h"
#include "platform/QtCanvas.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// A 1000 x 400 paint box and T = 18.0, K = 2.0, h = 0.5 (11 classes):
// the table is 626 x 368 from (187, 16); column edges 187, 212, 387, 437,
// 462, 675, 713, 763, 813; rh = 368 / 15; row edges 16, 41, 65, 90, 359,
// 384. Class i spans 15.25 + 0.5 i .. 15.75 + 0.5 i with its centre at
// 15.5 + 0.5 i: classes 0 and 10 lie beyond T +- K, classes 1 and 9 have
// their centre exactly on it.
constexpr TRect kBox{0, 0, 1000, 400};
constexpr int kX[9] = {187, 212, 387, 437, 462, 675, 713, 763, 813};
constexpr int kY[6] = {16, 41, 65, 90, 359, 384};
constexpr long double kRh = 368.0L / 15;

std::vector<DrawOp> Record(const TMainData& d, const TRect& box = kBox) {
  TPageImage page(box.Right, box.Bottom, 96, 96);
  TRecordingCanvas canvas(&page);
  DrawHistogram(canvas, box, d);
  return Flatten(page);
}

std::vector<QString> Texts(const std::vector<DrawOp>& ops) {
  std::vector<QString> out;
  for (const DrawOp& op : ops)
    if (op.kind == DrawOp::Text) out.push_back(op.text);
  return out;
}

bool Has(const std::vector<QString>& texts, const QString& s) {
  return std::find(texts.begin(), texts.end(), s) != texts.end();
}

QString U(const char* s) { return QString::fromUtf8(s); }

// Texts written in the lower half of the third header row, over the bars.
std::vector<QString> ScaleNumbers(const std::vector<DrawOp>& ops) {
  std::vector<QString> out;
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Text && op.r.Left > kX[4] && op.r.Left < kX[5] &&
        op.r.Top >= (kY[2] + kY[3]) / 2 - 2 && op.r.Top < kY[3])
      out.push_back(op.text);
  }
  return out;
}

// Texts whose left edge lies in column c (1-based) and top in [y1, y2).
std::vector<QString> CellTexts(const std::vector<DrawOp>& ops, int c, int y1, int y2) {
  std::vector<QString> out;
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Text && op.r.Left >= kX[c - 1] && op.r.Left < kX[c] &&
        op.r.Top >= y1 && op.r.Top < y2)
      out.push_back(op.text);
  }
  return out;
}

int RowTextTop(int i) { return kY[3] + static_cast<int>(std::nearbyint(i * kRh)); }

}  // namespace

TEST(Histogram, LayoutOfAThousandByFourHundredBox) {
  const TMainData d = MakeMonth(2024, 1);
  const THistogramLayout lay = HistogramLayout(kBox, d);
  EXPECT_EQ(lay.Area, (TRect{187, 16, 813, 384}));
  for (int k = 0; k < 9; ++k) EXPECT_EQ(lay.X[k], kX[k]) << k;
  for (int k = 0; k < 6; ++k) EXPECT_EQ(lay.Y[k], kY[k]) << k;

  const auto ops = Record(d);
  const auto rects = Select(ops, [](const DrawOp& op) { return op.kind == DrawOp::Rectangle; });
  ASSERT_EQ(rects.size(), 13u);  // header, 11 classes, total
  EXPECT_EQ(rects[0].r, (TRect{187, 16, 814, 91}));
  EXPECT_EQ(rects[0].brush.Color(), kHistHeaderColor);
  EXPECT_EQ(rects[1].r, (TRect{187, 90, 814, 116}));
  EXPECT_EQ(rects[12].r, (TRect{187, 359, 814, 385}));
  EXPECT_EQ(rects[12].brush.Color(), kHistTotalColor);
  for (const auto& r : rects) EXPECT_EQ(r.pen.Color, clBlack);
  // Nothing outside the table.
  for (const auto& op : ops) {
    if (op.kind == DrawOp::Text || op.kind == DrawOp::Polygon) continue;
    EXPECT_GE(std::min(op.r.Left, op.r.Right), 187);
    EXPECT_LE(std::max(op.r.Left, op.r.Right), 814);
  }
}

TEST(Histogram, PixelsOfTheTable) {
  TMainData d = MakeMonth(2024, 1);
  FillSlots(d, 1, 3, 1800);
  SetValue(d, 10, 0, 1500);
  d.Calculate();
  QImage img = WhiteImage(1000, 400);
  {
    TQtCanvas canvas(&img);
    DrawHistogram(canvas, kBox, d);
  }
  EXPECT_TRUE(IsWhite(img, 186, 50));
  EXPECT_EQ(PixelAt(img, 187, 50), clBlack);       // left outline
  EXPECT_EQ(PixelAt(img, 813, 50), clBlack);       // right outline X8
  EXPECT_TRUE(IsWhite(img, 814, 50));
  EXPECT_TRUE(IsWhite(img, 500, 15));
  EXPECT_EQ(PixelAt(img, 500, 16), clBlack);
  EXPECT_EQ(PixelAt(img, 200, 30), kHistHeaderColor);
  EXPECT_EQ(PixelAt(img, 300, 100), kHistOutColor);  // class 0 (its interval text lies right)
  EXPECT_EQ(PixelAt(img, 192, 130), kHistInColor);   // class 1
  EXPECT_EQ(PixelAt(img, 192, 370), kHistTotalColor);
  // The bar of class 5 (three values): 3 x 10.65 pixels from X4.
  const int barRow = RowTextTop(5) + 5;
  EXPECT_EQ(PixelAt(img, 463, barRow), kHistBarColor);
  EXPECT_EQ(PixelAt(img, 493, barRow), kHistBarColor);
  EXPECT_NE(PixelAt(img, 495, barRow), kHistBarColor);
}

TEST(Histogram, ShadingOfClassesBeyondTheTolerance) {
  const TMainData d = MakeMonth(2024, 1);
  const auto ops = Record(d);
  const auto rects = Select(ops, [](const DrawOp& op) { return op.kind == DrawOp::Rectangle; });
  ASSERT_EQ(rects.size(), 13u);
  for (int i = 0; i < 11; ++i) {
    const bool beyond = i == 0 || i == 10;  // centres 15.5 and 20.5
    EXPECT_EQ(rects[1 + i].brush.Color(), beyond ? kHistOutColor : kHistInColor) << i;
  }
}

TEST(Histogram, ScaleMaxAndItsNumbers) {
  struct Case {
    int largest;
    int scaleMax;
    std::vector<QString> numbers;
  };
  const std::vector<Case> cases = {
      {0, 20, {"5", "10", "15"}},
      {20, 20, {"5", "10", "15"}},
      {21, 25, {"5", "10", "15", "20"}},
      {25, 30, {"5", "10", "15", "20", "25"}},
      {30, 35, {"5", "10", "15", "20", "25", "30"}},
  };
  for (const Case& c : cases) {
    TMainData d = MakeMonth(2024, 1);
    FillSlots(d, 1, c.largest, 1800);
    d.Calculate();
    EXPECT_EQ(HistogramScaleMax(d), c.scaleMax) << c.largest;
    const auto ops = Record(d);
    EXPECT_EQ(ScaleNumbers(ops), c.numbers) << c.largest;
    // One scale line per unit, solid black on the multiples of 5.
    const auto scale = Select(ops, [](const DrawOp& op) {
      return op.kind == DrawOp::Line && op.r.Left == op.r.Right && op.r.Left > kX[4] &&
             op.r.Left < kX[5] && op.r.Top == kY[3];
    });
    ASSERT_EQ(static_cast<int>(scale.size()), c.scaleMax - 1) << c.largest;
    const long double unit = static_cast<long double>(kX[5] - kX[4]) / c.scaleMax;
    for (int a = 1; a < c.scaleMax; ++a) {
      const auto& l = scale[a - 1];
      EXPECT_EQ(l.r.Left, kX[4] + static_cast<int>(std::nearbyint(a * unit)));
      EXPECT_EQ(l.r.Bottom, kY[4]);
      EXPECT_EQ(l.pen.Style, a % 5 == 0 ? TPenStyle::Solid : TPenStyle::Dot);
      EXPECT_EQ(l.pen.Color, a % 5 == 0 ? clBlack : kHistMinorScaleColor);
    }
  }
}

TEST(Histogram, ExtremeClassMarksAndTheirLeaders) {
  auto isMark = [](const DrawOp& op) {
    return op.kind == DrawOp::Text && (op.text == U("L･L") || op.text == U("U･L"));
  };
  auto isLeader = [](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.pen.Style == TPenStyle::DashDot;
  };

  // All values in one class: bar, no marks.
  TMainData one = MakeMonth(2024, 1);
  FillSlots(one, 1, 4, 1800);
  one.Calculate();
  auto ops = Record(one);
  EXPECT_TRUE(Select(ops, isMark).empty());
  EXPECT_EQ(Select(ops, [](const DrawOp& op) { return op.kind == DrawOp::FillRect; }).size(), 1u);

  // A single value: no marks either.
  TMainData single = MakeMonth(2024, 1);
  SetValue(single, 1, 0, 1600);
  single.Calculate();
  EXPECT_TRUE(Select(Record(single), isMark).empty());

  // One value at 17.0 (class 3) and nineteen at 18.0 (class 5): the upper
  // bar plus one unit reaches X5, so only the lower mark has a leader.
  TMainData two = MakeMonth(2024, 1);
  SetValue(two, 20, 0, 1700);
  FillSlots(two, 1, 19, 1800);
  two.Calculate();
  ops = Record(two);
  const auto marks = Select(ops, isMark);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].text, U("L･L"));
  EXPECT_EQ(marks[1].text, U("U･L"));
  EXPECT_GE(marks[0].r.Top, RowTextTop(3) - 1);
  EXPECT_LT(marks[0].r.Top, RowTextTop(4));
  EXPECT_GE(marks[1].r.Top, RowTextTop(5) - 1);
  EXPECT_LT(marks[1].r.Top, RowTextTop(6));
  for (const auto& m : marks) {
    EXPECT_EQ(m.brush.Style(), TBrushStyle::Clear);
    EXPECT_EQ(m.font.Log.FaceName, U("ＭＳ ゴシック"));
    EXPECT_LT(m.font.Log.Height, static_cast<int>(std::lround(kRh * 0.7L)));  // shrunk by the margin
  }
  const auto leaders = Select(ops, isLeader);
  ASSERT_EQ(leaders.size(), 1u);
  const int yMid = kY[3] + static_cast<int>(std::lround(3 * kRh + kRh / 2));
  EXPECT_EQ(leaders[0].r.Top, yMid);
  EXPECT_EQ(leaders[0].r.Bottom, yMid);
  EXPECT_EQ(leaders[0].r.Left, kX[4] + static_cast<int>(std::nearbyint(2 * 10.65L)));
  EXPECT_LT(leaders[0].r.Right, kX[5]);
  EXPECT_GT(leaders[0].r.Right, kX[5] - 40);
  // The scale lines after the marks are solid or dotted again.
  const int after = IndexOf(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.r.Left == op.r.Right && op.r.Top == kY[3];
  });
  ASSERT_GT(after, IndexOf(ops, isMark));
  EXPECT_NE(ops[after].pen.Style, TPenStyle::DashDot);
}

TEST(Histogram, CellTextsWithBlankOuterBounds) {
  TMainData d = MakeMonth(2024, 1);
  SetValue(d, 1, 0, 1500);  // class 0
  SetValue(d, 1, 1, 1600);  // class 1
  SetValue(d, 2, 0, 1610);  // class 1
  SetValue(d, 2, 1, 2100);  // class 10
  d.Calculate();
  const auto ops = Record(d);

  // First class: five blanks, " ～ ", its upper bound; blank centre.
  EXPECT_EQ(CellTexts(ops, 2, RowTextTop(0), RowTextTop(1)), std::vector<QString>{U("      ～ 15.75")});
  EXPECT_EQ(CellTexts(ops, 3, RowTextTop(0), RowTextTop(1)), std::vector<QString>{U("    ")});
  // Last class: its lower bound, " ～ ", five blanks; blank centre.
  EXPECT_EQ(CellTexts(ops, 2, RowTextTop(10), RowTextTop(11)),
            std::vector<QString>{U("20.25 ～      ")});
  EXPECT_EQ(CellTexts(ops, 3, RowTextTop(10), RowTextTop(11)), std::vector<QString>{U("    ")});
  // A middle class.
  EXPECT_EQ(CellTexts(ops, 1, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U(" 2")});
  EXPECT_EQ(CellTexts(ops, 2, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U("15.75 ～ 16.25")});
  EXPECT_EQ(CellTexts(ops, 3, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U("16.0")});
  EXPECT_EQ(CellTexts(ops, 4, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U(" -4")});
  EXPECT_EQ(CellTexts(ops, 6, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U("  2")});
  EXPECT_EQ(CellTexts(ops, 7, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U("  -8")});
  EXPECT_EQ(CellTexts(ops, 8, RowTextTop(1), RowTextTop(2)), std::vector<QString>{U("  32")});
  // An empty class leaves f, u･f and u²･f empty.
  for (int c = 6; c <= 8; ++c) EXPECT_TRUE(CellTexts(ops, c, RowTextTop(2), RowTextTop(3)).empty());
  // Totals: 4 values, u･f = -5 - 4 - 4 + 5 = -8, u²･f = 25 + 16 + 16 + 25 = 82.
  EXPECT_EQ(CellTexts(ops, 6, kY[4], kY[5]), std::vector<QString>{U("  4")});
  EXPECT_EQ(CellTexts(ops, 7, kY[4], kY[5]), std::vector<QString>{U("  -8")});
  EXPECT_EQ(CellTexts(ops, 8, kY[4], kY[5]), std::vector<QString>{U("  82")});
}

TEST(Histogram, HeaderTextsWithTheRaisedTwo) {
  const TMainData d = MakeMonth(2024, 1);
  const auto ops = Record(d);
  const auto texts = Texts(ops);
  for (const char* h : {"区　　間", "中", "心", "値", "u", "度 数 チ ェ ッ ク", "f", "u･f", "合　　計"})
    EXPECT_TRUE(Has(texts, U(h))) << h;
  // "u^2･f": u, a half-height 2, a blank, then ･f.
  const int u2 = IndexOf(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Text && op.text == "2" && op.r.Left >= kX[7];
  });
  ASSERT_GT(u2, 0);
  EXPECT_EQ(ops[u2 - 1].text, "u");
  EXPECT_EQ(ops[u2 + 1].text, " ");
  EXPECT_EQ(ops[u2 + 2].text, U("･f"));
  const int full = ops[u2 - 1].font.Log.Height;
  EXPECT_EQ(ops[u2].font.Log.Height, full / 2);
  EXPECT_EQ(ops[u2].r.Top, ops[u2 - 1].r.Top);
  // All header texts share that height; the cell texts are fitted.
  for (const char* h : {"区　　間", "度 数 チ ェ ッ ク", "合　　計"}) {
    const int k = IndexOf(ops, [&](const DrawOp& op) { return op.kind == DrawOp::Text && op.text == U(h); });
    EXPECT_EQ(ops[k].font.Log.Height, full) << h;
    EXPECT_EQ(ops[k].font.Log.FaceName, U("ＭＳ ゴシック"));
  }
  // Empty month: totals 0, no bars, no marks.
  EXPECT_EQ(CellTexts(ops, 6, kY[4], kY[5]), std::vector<QString>{U("  0")});
  EXPECT_EQ(CellTexts(ops, 7, kY[4], kY[5]), std::vector<QString>{U("   0")});
  EXPECT_TRUE(Select(ops, [](const DrawOp& op) { return op.kind == DrawOp::FillRect; }).empty());
}

TEST(Histogram, TableLinesAndDiagonals) {
  const TMainData d = MakeMonth(2024, 1);
  const auto ops = Record(d);
  auto has = [&](TRect r) {
    return IndexOf(ops, [&](const DrawOp& op) {
             return op.kind == DrawOp::Line && op.r == r && op.pen.Color == clBlack &&
                    op.pen.Style == TPenStyle::Solid;
           }) >= 0;
  };
  EXPECT_TRUE(has({kX[0], kY[3], kX[8], kY[3]}));
  EXPECT_TRUE(has({kX[0], kY[4], kX[8], kY[4]}));
  EXPECT_TRUE(has({kX[0], kY[0], kX[1], kY[3]}));  // number header diagonal
  EXPECT_TRUE(has({kX[0], kY[4], kX[4], kY[5]}));  // total row diagonal
  for (int k = 1; k <= 3; ++k) EXPECT_TRUE(has({kX[k], kY[0], kX[k], kY[4]})) << k;
  for (int k = 4; k <= 8; ++k) EXPECT_TRUE(has({kX[k], kY[0], kX[k], kY[5]})) << k;
  for (int a = 1; a <= 10; ++a) {
    const int y = kY[3] + static_cast<int>(std::lround(a * kRh));
    EXPECT_TRUE(has({kX[0], y, kX[8], y})) << a;
  }
}

TEST(Histogram, OddRecordsDrawWithoutFault) {
  // No class rows at all (class width 0), a tiny box, an empty box.
  TMainData none = MakeMonth(2024, 1);
  none.BasicInfo.ClassWidth = 0;
  none.MakeHistogramList();
  none.Calculate();
  EXPECT_EQ(none.HistogramList.Count(), 0);
  auto ops = Record(none);
  EXPECT_FALSE(ops.empty());
  EXPECT_TRUE(Record(none, TRect{0, 0, 30, 30}).empty());
  QImage img = WhiteImage(40, 40);
  TQtCanvas canvas(&img);
  DrawHistogram(canvas, TRect{0, 0, 40, 40}, MakeMonth(2024, 1));
  DrawHistogram(canvas, TRect{0, 0, 0, 0}, MakeMonth(2024, 1));
}
