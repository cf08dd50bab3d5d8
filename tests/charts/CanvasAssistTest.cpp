// TCanvasAssist: weighted lines on real pixels, fonts, and text placement
// checked on the recorded operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "../platform/PixelProbe.h"
#include "charts/CanvasAssist.h"
#include "platform/PageImage.h"
#include "platform/QtCanvas.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

template <typename F>
QImage DrawWithAssist(int w, int h, F f) {
  QImage img = WhiteImage(w, h);
  {
    TQtCanvas canvas(&img);
    TCanvasAssist assist(&canvas);
    f(assist);
  }
  return img;
}

// A canvas with made-up text metrics, logging measurements and writes:
// checks the text placement logic independent of real fonts.
class FakeCanvas : public TCanvas {
 public:
  // Text extent for a text at a logical height; default: 10 pixels per
  // character at height 10, growing in proportion.
  std::function<TSize(const QString&, int)> extent = [](const QString& t, int h) {
    return TSize{static_cast<int>(t.size()) * h, h};
  };
  std::vector<int> measured;  // the font height at each TextExtent
  struct Out {
    int x, y;
    QString text;
    int height;
  };
  std::vector<Out> outs;

  int PixelsPerInchX() const override { return 96; }
  int PixelsPerInchY() const override { return 96; }

 protected:
  void DoLine(int, int, int, int) override {}
  void DoRectangle(const TRect&) override {}
  void DoFillRect(const TRect&) override {}
  void DoFrameRect(const TRect&) override {}
  void DoPolygon(const std::vector<TPoint>&) override {}
  void DoEllipse(const TRect&) override {}
  int DoTextOut(int x, int y, const QString& t) override {
    outs.push_back(Out{x, y, t, Font.Log.Height});
    return extent(t, Font.Log.Height).cx;
  }
  TSize DoTextExtent(const QString& t) override {
    measured.push_back(Font.Log.Height);
    return extent(t, Font.Log.Height);
  }
  void DoSetClipRect(const TRect*) override {}
};

// Recorded operations of a drawing with real fonts at 600 dpi.
struct Recorded {
  TPageImage page{2000, 2000, 600, 600};
  TRecordingCanvas canvas{&page};
  TCanvasAssist assist{&canvas};
  TPageImage rulerPage{10, 10, 600, 600};
  TRecordingCanvas ruler{&rulerPage};

  std::vector<pageop::Text> Texts() const {
    std::vector<pageop::Text> out;
    for (const auto& op : page.Ops()) {
      if (auto t = std::get_if<pageop::Text>(&op)) out.push_back(*t);
    }
    return out;
  }
  // Heights of the fonts texts were drawn with, in order.
  std::vector<int> FontHeights() const {
    std::vector<int> out;
    for (const auto& op : page.Ops()) {
      if (auto f = std::get_if<pageop::SetFont>(&op)) out.push_back(f->Font.Log.Height);
    }
    return out;
  }
  std::vector<pageop::Line> Lines() const {
    std::vector<pageop::Line> out;
    for (const auto& op : page.Ops()) {
      if (auto l = std::get_if<pageop::Line>(&op)) out.push_back(*l);
    }
    return out;
  }
  // The width of a text in the current face at another height.
  int WidthAt(int height, const QString& text) {
    ruler.Font.Log = canvas.Font.Log;
    ruler.Font.Log.Height = height;
    return ruler.TextWidth(text);
  }
};

}  // namespace

TEST(AssistLines, WeightedHorizontalLinesGrowAroundY) {
  const struct {
    int extra;
    const char* rows;  // rows 46..53
  } cases[] = {
      {0, "....#..."}, {1, "...##..."}, {2, "...###.."}, {3, "..####.."}, {-1, "........"},
  };
  for (const auto& c : cases) {
    const QImage img = DrawWithAssist(120, 100, [&](TCanvasAssist& a) {
      a.Weights[1] = c.extra;
      a.HorzLine(0, 100, 50, 1);
    });
    EXPECT_EQ(ColPattern(img, 50, 46, 53), c.rows) << c.extra;
    if (c.extra >= 0) {
      EXPECT_EQ(PixelAt(img, 99, 50), clBlack);
      EXPECT_TRUE(IsWhite(img, 100, 50));  // the end point is not painted
    }
  }
  const QImage v = DrawWithAssist(100, 120, [](TCanvasAssist& a) {
    a.Weights[2] = 3;
    a.VertLine(50, 0, 100, 2);
  });
  EXPECT_EQ(RowPattern(v, 60, 46, 53), "..####..");
}

TEST(AssistLines, WeightOutsideTheTableIsASingleLine) {
  const QImage img = DrawWithAssist(60, 60, [](TCanvasAssist& a) {
    std::fill(std::begin(a.Weights), std::end(a.Weights), 4);
    a.HorzLine(0, 50, 20, 10);
    a.HorzLine(0, 50, 40, -1);
  });
  EXPECT_EQ(ColPattern(img, 10, 16, 24), "....#....");
  EXPECT_EQ(ColPattern(img, 10, 36, 44), "....#....");
}

TEST(AssistLines, SlopedLinesCopyAcrossTheirDirection) {
  Recorded r;
  r.assist.Weights[2] = 2;
  r.assist.Line(0, 0, 100, 10, 2);     // shallow: copies shifted vertically
  r.assist.Line(0, 0, 10, 100, 2);     // steep: copies shifted sideways
  r.assist.Line(0, 0, 50, 50, 2);      // near 45 degrees, going down
  r.assist.Line(0, 50, 50, 0, 2);      // near 45 degrees, going up
  r.assist.Line(100, 10, 0, 0, 2);     // reversed shallow line
  const auto lines = r.Lines();
  ASSERT_EQ(lines.size(), 15u);
  auto offset = [&](int i, int x1, int y1) {
    return std::make_pair(lines[i].X1 - x1, lines[i].Y1 - y1);
  };
  using P = std::pair<int, int>;
  EXPECT_EQ(offset(0, 0, 0), P(0, -1));
  EXPECT_EQ(offset(1, 0, 0), P(0, 0));
  EXPECT_EQ(offset(2, 0, 0), P(0, 1));
  EXPECT_EQ(offset(3, 0, 0), P(-1, 0));
  EXPECT_EQ(offset(5, 0, 0), P(1, 0));
  // Going down-right: sideways first, then up.
  EXPECT_EQ(offset(6, 0, 0), P(-1, 0));
  EXPECT_EQ(offset(7, 0, 0), P(0, 0));
  EXPECT_EQ(offset(8, 0, 0), P(0, -1));
  // Going up-right: sideways first, then down.
  EXPECT_EQ(offset(9, 0, 50), P(-1, 0));
  EXPECT_EQ(offset(10, 0, 50), P(0, 0));
  EXPECT_EQ(offset(11, 0, 50), P(0, 1));
  // The copies keep the line's own direction.
  EXPECT_EQ(lines[12].X1, 100);
  EXPECT_EQ(lines[12].X2, 0);
}

TEST(AssistLines, ThickDiagonalHasNoHoles) {
  const QImage img = DrawWithAssist(80, 80, [](TCanvasAssist& a) {
    a.Weights[3] = 3;
    a.Line(10, 10, 60, 60, 3);
  });
  for (int y = 14; y < 56; ++y) {
    int first = -1, last = -1, count = 0;
    for (int x = 0; x < 80; ++x) {
      if (PixelAt(img, x, y) == clBlack) {
        if (first < 0) first = x;
        last = x;
        ++count;
      }
    }
    EXPECT_EQ(count, last - first + 1) << "row " << y;
    EXPECT_GE(count, 3) << "row " << y;
  }
}

TEST(AssistLines, FrameBoxIsClosedAndFrameRectWeightGrowsInwards) {
  const QImage img = DrawWithAssist(100, 100, [](TCanvasAssist& a) {
    a.FrameBox(10, 10, 40, 30, 0);
    a.Canvas->Brush.SetColor(clBlue);
    a.Weights[2] = 2;
    a.FrameRectWeight(TRect{50, 50, 90, 80}, 2);
    a.MoveTo(5, 90);
    a.LineTo(20, 90, 0);
    a.LineTo(20, 95, 0);
  });
  for (TPoint p : {TPoint{10, 10}, TPoint{40, 10}, TPoint{40, 30}, TPoint{10, 30}}) {
    EXPECT_EQ(PixelAt(img, p.X, p.Y), clBlack) << p.X << "," << p.Y;
  }
  EXPECT_TRUE(IsWhite(img, 41, 20));
  EXPECT_EQ(RowPattern(img, 65, 48, 92, clBlue), "..###..................................###...");
  EXPECT_EQ(ColPattern(img, 70, 48, 82, clBlue), "..###........................###...");
  EXPECT_EQ(RowPattern(img, 90, 4, 21), ".################.");
  TCanvasAssist a;
  a.Weights[1] = 3;
  EXPECT_EQ(a.InsetByWeight(TRect{10, 20, 30, 40}, 1), (TRect{13, 23, 27, 37}));
  EXPECT_EQ(a.InsetByWeight(TRect{10, 20, 30, 40}, 0), (TRect{10, 20, 30, 40}));
}

TEST(AssistFonts, CreateFontFillsTheLogicalFont) {
  Recorded r;
  r.canvas.Font.Color = clRed;
  r.assist.CreateFont(37, 0, 0, 2);
  EXPECT_EQ(r.assist.LogFont.Height, 37);
  EXPECT_EQ(r.assist.LogFont.Weight, FW_NORMAL);
  EXPECT_EQ(r.assist.LogFont.CharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(r.assist.LogFont.FaceName, QString::fromUtf8("ＭＳ ゴシック"));
  EXPECT_EQ(r.canvas.Font.Log, r.assist.LogFont);
  EXPECT_EQ(r.canvas.Font.Color, clRed);  // the colour stays

  r.assist.CreateFont(20, 0, 0, 9, QString(), fsBold | fsItalic | fsUnderline);
  EXPECT_EQ(r.assist.LogFont.FaceName, QStringLiteral("Times New Roman"));
  EXPECT_EQ(r.assist.LogFont.CharSet, ANSI_CHARSET);
  EXPECT_EQ(r.assist.LogFont.Weight, FW_BOLD);
  EXPECT_TRUE(r.assist.LogFont.Italic);
  EXPECT_TRUE(r.assist.LogFont.Underline);
  EXPECT_FALSE(r.assist.LogFont.StrikeOut);

  // A face name longer than the 31-byte field is cut without splitting a
  // double-byte character: 15 kanji are 30 bytes, the 16th does not fit.
  const QString longName = QString::fromUtf8("あいうえおかきくけこさしすせそた");
  r.assist.CreateFont(20, 0, 0, 0, QString::fromUtf8("A") + longName);
  EXPECT_EQ(r.assist.LogFont.FaceName, QString::fromUtf8("A") + longName.left(15));
  r.assist.CreateFont(20, 0, 0, 0, longName);
  EXPECT_EQ(r.assist.LogFont.FaceName, longName.left(15));
}

TEST(AssistText, FittingTextKeepsTheFont) {
  Recorded r;
  r.assist.CreateFont(40, 0, 0, 2);
  const QString text = QStringLiteral("18.5");
  const int h = r.assist.PutTextFit(TRect{0, 0, 400, 60}, kAlignLeft, 0.1, text);
  EXPECT_EQ(h, 40);
  EXPECT_EQ(r.FontHeights(), std::vector<int>({40}));
  ASSERT_EQ(r.Texts().size(), 1u);
  EXPECT_EQ(r.Texts()[0].X, 40);                 // margin 0.1 x 400
  EXPECT_EQ(r.canvas.Font.Log, r.assist.LogFont);
}

TEST(AssistText, TooWideTextShrinksInAtMostThreeSteps) {
  // Twice too wide with no margin: the first guess halves the height.
  FakeCanvas c;
  TCanvasAssist a(&c);
  a.CreateFont(100, 0, 0, 0);
  const QString text = QStringLiteral("abcd");  // 400 wide at height 100
  EXPECT_EQ(a.PutTextFit(TRect{0, 0, 200, 300}, kAlignLeft, 0, text), 50);
  EXPECT_EQ(c.measured, (std::vector<int>{100, 50}));
  ASSERT_EQ(c.outs.size(), 1u);
  EXPECT_EQ(c.outs[0].height, 50);
  EXPECT_EQ(c.Font.Log.Height, 100);
  EXPECT_EQ(a.LogFont.Height, 100);

  // A text that still overflows: the integer part of the first guess, then
  // one unit smaller at a time, three tries at most; drawn in the last font
  // tried, the result one below it.
  FakeCanvas g;
  g.extent = [](const QString& t, int h) { return TSize{h * 10 + 7, h}; };
  TCanvasAssist b(&g);
  b.CreateFont(100, 0, 0, 0);
  // 100 x 333 / 1007 = 33.07 -> 33: 337 is too wide, 327 fits at 32.
  EXPECT_EQ(b.PutTextFit(TRect{0, 0, 333, 300}, kAlignLeft, 0, text), 32);
  EXPECT_EQ(g.measured, (std::vector<int>{100, 33, 32}));
  FakeCanvas g2;
  g2.extent = [](const QString&, int h) { return TSize{h < 100 ? 1000 : 2000, h}; };
  TCanvasAssist b2(&g2);
  b2.CreateFont(100, 0, 0, 0);
  const int r = b2.PutTextFit(TRect{0, 0, 100, 300}, kAlignLeft, 0, text);
  EXPECT_EQ(g2.measured, (std::vector<int>{100, 5, 4, 3}));
  ASSERT_EQ(g2.outs.size(), 1u);
  EXPECT_EQ(g2.outs[0].height, 3);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(g2.Font.Log.Height, 100);

  // Shrinking stops at a text one pixel high, and never goes below it.
  FakeCanvas tiny;
  TCanvasAssist t(&tiny);
  t.CreateFont(10, 0, 0, 0);
  EXPECT_EQ(t.PutTextFit(TRect{0, 0, 1, 20}, kAlignLeft, 0, QStringLiteral("abcdefghij")), 1);
  EXPECT_EQ(tiny.measured, (std::vector<int>{10, 1}));
  ASSERT_EQ(tiny.outs.size(), 1u);
}

TEST(AssistText, ShrinkingWithRealFontsStaysProportional) {
  Recorded r;
  r.assist.CreateFont(100, 0, 0, 0);
  const QString text = QString::fromUtf8("スランプ試験");
  const int cx = r.WidthAt(100, text);
  const TRect half{0, 0, cx / 2, 200};
  const int h = r.assist.PutTextFit(half, kAlignLeft, 0, text);
  EXPECT_EQ(r.FontHeights(), std::vector<int>({h}));
  EXPECT_LE(r.WidthAt(h, text), half.Width());
  EXPECT_GE(h, 100 * (cx / 2) / cx - 3);
  EXPECT_EQ(r.canvas.Font.Log.Height, 100);
}

TEST(AssistText, ForcedHeights) {
  FakeCanvas c;
  TCanvasAssist a(&c);
  a.CreateFont(30, 0, 0, 2);
  // The height already in LogFont: no font change at all.
  EXPECT_EQ(a.PutTextHeight(TRect{0, 0, 100, 40}, kAlignLeft, 0, 30, QStringLiteral("ab")), 30);
  EXPECT_EQ(c.measured, (std::vector<int>{30}));
  ASSERT_EQ(c.outs.size(), 1u);
  EXPECT_EQ(c.outs[0].height, 30);
  // Another height: selected for the text, then the LogFont again, even
  // when the text overflows the rectangle.
  c.measured.clear();
  const QString wide = QStringLiteral("0123456789");
  EXPECT_EQ(a.PutTextHeight(TRect{0, 0, 20, 40}, kAlignLeft, 0, 50, wide), 50);
  EXPECT_EQ(c.measured, (std::vector<int>{30, 50}));
  ASSERT_EQ(c.outs.size(), 2u);
  EXPECT_EQ(c.outs[1].height, 50);
  EXPECT_EQ(c.outs[1].text, wide);
  EXPECT_EQ(a.TextRect.Width(), 500);
  EXPECT_EQ(c.Font.Log.Height, 30);
  // A forced height is taken even when the text would fit, and the fitting
  // never runs with it.
  EXPECT_EQ(a.PutTextHeight(TRect{0, 0, 2, 40}, kAlignLeft, 0, 12, wide), 12);
}

TEST(AssistText, EmptyTextAndNoRoomDrawSafely) {
  FakeCanvas c;
  TCanvasAssist a(&c);
  a.CreateFont(30, 0, 0, 2);
  EXPECT_EQ(a.PutTextFit(TRect{0, 0, 10, 10}, kAlignCenter, 0.6, QString()), 30);
  EXPECT_EQ(a.PutTextFit(TRect{0, 0, 10, 10}, kAlignCenter, 0.6, QStringLiteral("x")), 1);
  EXPECT_EQ(c.Font.Log.Height, 30);
}

TEST(AssistText, CentredTextMustFitInsideBothMargins) {
  Recorded r;
  r.assist.CreateFont(40, 0, 0, 2);
  const QString text = QStringLiteral("12345");
  const int cx = r.WidthAt(40, text);
  // Rectangle such that the text fits within 80 % of it but not 90 %...
  const int w = cx * 100 / 85;
  EXPECT_LT(cx, w);
  EXPECT_EQ(r.assist.MeasureFitHeight(TRect{0, 0, w, 50}, kAlignCenter, 0.1, text) < 40, true);
  EXPECT_EQ(r.assist.MeasureFitHeight(TRect{0, 0, w, 50}, kAlignLeft, 0.1, text), 40);
  // ... and one where it fits within 80 %.
  const int roomy = cx * 100 / 79 + 2;
  EXPECT_EQ(r.assist.MeasureFitHeight(TRect{0, 0, roomy, 50}, kAlignCenter, 0.1, text), 40);
  EXPECT_TRUE(r.Texts().empty());  // measuring draws nothing
}

TEST(AssistText, PlacementAndTextRect) {
  Recorded r;
  r.assist.CreateFont(30, 0, 0, 2);
  const QString text = QStringLiteral("ab");
  const TSize ext = r.canvas.TextExtent(text);
  const TRect cell{100, 200, 300, 251};  // 51 high: an odd leftover
  r.assist.PutTextEx(cell, kAlignCenter, 0, true, -1, text);
  const int leftover = cell.Height() - ext.cy;
  EXPECT_EQ(r.assist.TextRect.Left, 100 + (200 - ext.cx) / 2);
  EXPECT_EQ(r.assist.TextRect.Top, 251 - leftover / 2 - ext.cy);
  EXPECT_EQ(r.assist.TextRect.Right, r.assist.TextRect.Left + ext.cx);
  EXPECT_EQ(r.assist.TextRect.Bottom, r.assist.TextRect.Top + ext.cy);

  r.assist.PutTextEx(cell, kAlignRight, 0.05, true, -1, text);
  EXPECT_EQ(r.assist.TextRect.Right, 300 - 10);
  r.assist.HMargin = 7;
  r.assist.PutText(cell, kAlignLeft, text);
  EXPECT_EQ(r.Texts().back().X, 107);
  r.assist.VAlign = kVAlignTop;
  r.assist.VMargin = 3;
  r.assist.PutText(cell, kAlignLeft, text);
  EXPECT_EQ(r.Texts().back().Y, 203);
  r.assist.VAlign = kVAlignBottom;
  r.assist.PutText(cell, kAlignLeft, text);
  EXPECT_EQ(r.Texts().back().Y, 251 - 3 - ext.cy);
}

TEST(AssistMarkup, Splitting) {
  using S = TTextSegment;
  EXPECT_EQ(SplitMarkup(QString::fromUtf8("u^2･f")),
            (std::vector<S>{{S::Normal, "u"}, {S::Raised, "2"}, {S::Normal, QString::fromUtf8("･f")}}));
  EXPECT_EQ(SplitMarkup(QStringLiteral("X^L1+X^l2")),
            (std::vector<S>{{S::Normal, "X"}, {S::Lowered, "1"}, {S::Normal, "+X"}, {S::Lowered, "2"}}));
  EXPECT_EQ(SplitMarkup(QStringLiteral("N/mm^2")),
            (std::vector<S>{{S::Normal, "N/mm"}, {S::Raised, "2"}}));
  // A double-byte character after the marker is one character; the marker
  // at the very end is plain text; "^L" at the end raises the L.
  EXPECT_EQ(SplitMarkup(QString::fromUtf8("m^２")),
            (std::vector<S>{{S::Normal, "m"}, {S::Raised, QString::fromUtf8("２")}}));
  EXPECT_EQ(SplitMarkup(QStringLiteral("a^")), (std::vector<S>{{S::Normal, "a^"}}));
  EXPECT_EQ(SplitMarkup(QStringLiteral("a^L")), (std::vector<S>{{S::Normal, "a"}, {S::Raised, "L"}}));
  EXPECT_EQ(PlainText(SplitMarkup(QString::fromUtf8("u^2･f"))), QString::fromUtf8("u2･f"));
  EXPECT_TRUE(SplitMarkup(QString()).empty());
}

TEST(AssistMarkup, RaisedCharacterInAFixedPitchFontKeepsThePlainWidth) {
  Recorded r;
  r.assist.CreateFont(40, 0, 0, 2);  // "ＭＳ ゴシック": fixed pitch
  const QString text = QString::fromUtf8("u^2･f");
  r.assist.PutText(TRect{0, 0, 400, 40}, kAlignLeft, text);
  const auto texts = r.Texts();
  ASSERT_EQ(texts.size(), 4u);  // "u", the small "2", " ", "･f"
  const int x0 = texts[0].X;
  const int uw = r.WidthAt(40, QStringLiteral("u"));
  EXPECT_EQ(texts[1].Str, QStringLiteral("2"));
  EXPECT_EQ(texts[1].X, x0 + uw);
  EXPECT_EQ(texts[1].Y, texts[0].Y);
  EXPECT_EQ(texts[2].Str, QStringLiteral(" "));
  EXPECT_EQ(texts[2].X, x0 + uw);
  EXPECT_EQ(r.FontHeights(), std::vector<int>({40, 20, 40}));
  // The last segment ends where the plain text would end.
  const int plainWidth = r.WidthAt(40, QString::fromUtf8("u2･f"));
  EXPECT_EQ(r.canvas.PenPos.X, x0 + plainWidth);
  EXPECT_EQ(r.assist.TextRect.Width(), plainWidth);
}

TEST(AssistMarkup, LoweredCharacterDropsBelowTheLine) {
  Recorded r;
  r.assist.CreateFont(41, 0, 0, 2);
  r.assist.PutText(TRect{0, 0, 400, 41}, kAlignLeft, QStringLiteral("X^L1"));
  const auto texts = r.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1].Str, QStringLiteral("1"));
  EXPECT_EQ(texts[1].Y, texts[0].Y + 38 - 20);  // RoundOff(41 x 0.92) - 41 div 2
  EXPECT_EQ(texts[2].Y, texts[0].Y);
}

TEST(AssistText, ShrunkTextWithMarkupRaisesAtTheFittedSize) {
  Recorded r;
  r.assist.CreateFont(100, 0, 0, 2);
  const QString text = QString::fromUtf8("u^2･f");
  const int fitted = r.assist.PutTextFit(TRect{0, 0, 100, 100}, kAlignCenter, 0.1, text);
  EXPECT_LT(fitted, 100);
  // "u", then the raised "2" at half the fitted height, then " " and "･f".
  EXPECT_EQ(r.FontHeights(), std::vector<int>({fitted, fitted / 2, fitted}));
  EXPECT_EQ(r.canvas.Font.Log.Height, 100);
}
