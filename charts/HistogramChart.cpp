#include "charts/HistogramChart.h"

#include <algorithm>

#include "charts/CanvasAssist.h"
#include "charts/ChartFrame.h"
#include "charts/NumberText.h"
#include "core/Numbers.h"

namespace kestrin {

namespace {

// Right edges of the eight columns as shares of the table width.
constexpr long double kColumnShares[8] = {0.04L, 0.32L, 0.40L, 0.44L, 0.78L, 0.84L, 0.92L, 1.0L};

// Space around the table inside the paint box.
constexpr int kInset = 16;

// The largest frequency scale drawn.
constexpr int64_t kMaxScale = 1000;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// The lowest and highest class holding a value; -1 when none does.
void OccupiedClasses(const THistogramList& list, int& first, int& last) {
  first = -1;
  last = -1;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i).F > 0) {
      if (first < 0) first = i;
      last = i;
    }
  }
}

class THistogramDrawer {
 public:
  THistogramDrawer(TCanvas& canvas, const TRect& rect, const TMainData& data)
      : c_(canvas), data_(data), lay_(HistogramLayout(rect, data)), a_(&canvas) {
    a_.Weights[0] = 0;
    a_.Weights[1] = 0;
    a_.Weights[2] = 1;
    a_.VAlign = kVAlignCenter;
    a_.VMargin = 0;
    a_.HMargin = 0;
  }

  void Draw() {
    DrawFills();
    DrawBars();
    DrawExtremeMarks();
    DrawScale();
    DrawTableLines();
    DrawHeaderTexts();
    DrawCellTexts();
  }

 private:
  int X(int k) const { return lay_.X[k]; }
  int Y(int k) const { return lay_.Y[k]; }
  long double Rh() const { return lay_.RowHeight; }
  // Class row edges for the table lines and fills ...
  int LineRowTop(int i) const { return Y(3) + RoundOff(i * Rh()); }
  // ... and for the cell texts and bars.
  int TextRowTop(int i) const { return Y(3) + RoundEven(i * Rh()); }
  int BarX(long double units) const { return X(4) + RoundEven(units * lay_.Unit); }

  void SetPen(TColor color, TPenStyle style = TPenStyle::Solid) {
    c_.Pen.Color = color;
    c_.Pen.Width = 1;
    c_.Pen.Style = style;
  }

  void TextFont(int height) {
    a_.CreateFont(height, 0, 0, 2);
    c_.Brush.SetStyle(TBrushStyle::Clear);
    c_.Font.Color = clBlack;
  }

  void DrawFills() {
    SetPen(clBlack);
    c_.Brush.SetColor(kHistHeaderColor);
    c_.Rectangle(X(0), Y(0), X(8) + 1, Y(3) + 1);
    const long double t = data_.BasicInfo.KariAveX;
    const long double k = data_.BasicInfo.Kyoyo;
    const THistogramList& list = data_.HistogramList;
    for (int i = 0; i < lay_.Rows; ++i) {
      const long double centre = list.Items(i).Center;
      const bool out = centre < t - k || centre > t + k;
      c_.Brush.SetColor(out ? kHistOutColor : kHistInColor);
      c_.Rectangle(X(0), LineRowTop(i), X(8) + 1, LineRowTop(i + 1) + 1);
    }
    c_.Brush.SetColor(kHistTotalColor);
    c_.Rectangle(X(0), Y(4), X(8) + 1, Y(5) + 1);
  }

  void DrawBars() {
    const TColor saved = c_.Brush.Color();
    c_.Brush.SetColor(kHistBarColor);
    const THistogramList& list = data_.HistogramList;
    for (int i = 0; i < lay_.Rows; ++i) {
      const int f = list.Items(i).F;
      if (f <= 0) continue;
      c_.FillRect(TRect{X(4), TextRowTop(i), BarX(f), TextRowTop(i + 1)});
    }
    c_.Brush.SetColor(saved);
  }

  void DrawExtremeMarks() {
    int first, last;
    OccupiedClasses(data_.HistogramList, first, last);
    if (data_.CalcedResult.SumF < 2 || first < 0 || first == last) return;
    TextFont(RoundOff(Rh() * 0.7L));
    SetPen(clBlack, TPenStyle::DashDot);
    DrawMark(first, Q("L･L"));
    DrawMark(last, Q("U･L"));
    c_.Pen.Style = TPenStyle::Solid;
  }

  void DrawMark(int i, const QString& text) {
    const int f = data_.HistogramList.Items(i).F;
    // One frequency unit right of the bar's end.
    const int x = X(4) + RoundEven(f * lay_.Unit + lay_.Unit);
    const int left = X(5) - c_.TextWidth(text);
    const int y = Y(3) + RoundOff(i * Rh() + Rh() / 2);
    if (x < left) a_.HorzLine(x, left, y, 0);
    a_.PutTextFit(TRect{left, LineRowTop(i), X(5), Y(3) + RoundOff(i * Rh() + Rh())},
                  kAlignCenter, 0.1, text);
  }

  void DrawScale() {
    c_.Brush.SetStyle(TBrushStyle::Clear);
    for (int a = 1; a <= lay_.ScaleMax - 1; ++a) {
      if (a % 5 == 0) {
        SetPen(clBlack);
      } else {
        SetPen(kHistMinorScaleColor, TPenStyle::Dot);
      }
      a_.VertLine(BarX(a), Y(3), Y(4), 0);
    }
    SetPen(clBlack);
    TextFont(RoundOff(Rh() * 0.4L));
    // The numbers stand in the lower half of the third header row, each
    // centred over its solid scale line.
    const int top = (Y(2) + Y(3)) / 2;
    const int height =
        a_.MeasureFitHeight(TRect{BarX(4), top, BarX(6), Y(3)}, kAlignCenter, 0.1, Q("99"));
    for (int m = 5; m <= lay_.ScaleMax - 5; m += 5) {
      a_.PutTextHeight(TRect{BarX(m - 1), top, BarX(m + 1), Y(3)}, kAlignCenter, 0, height,
                       QString::number(m));
    }
  }

  void DrawTableLines() {
    SetPen(clBlack);
    a_.HorzLine(X(0), X(8), Y(3), 1);
    for (int a = 1; a <= lay_.Rows - 1; ++a) a_.HorzLine(X(0), X(8), LineRowTop(a), 0);
    // Diagonals across the empty number header and the empty part of the
    // total row.
    a_.Line(X(0), Y(0), X(1), Y(3), 0);
    a_.Line(X(0), Y(4), X(4), Y(5), 0);
    a_.HorzLine(X(0), X(8), Y(4), 1);
    for (int k = 1; k <= 3; ++k) a_.VertLine(X(k), Y(0), Y(4), 0);
    for (int k = 4; k <= 7; ++k) a_.VertLine(X(k), Y(0), Y(5), 0);
    a_.VertLine(X(8), Y(0), Y(5), 1);
  }

  void DrawHeaderTexts() {
    TextFont(RoundOff(Rh() * 0.7L));
    const int hh = a_.MeasureFitHeight(TRect{X(7), Y(0), X(8), Y(3)}, kAlignCenter, 0.1, Q("u^2･f"));
    auto put = [&](int x1, int y1, int x2, int y2, const char* text) {
      a_.PutTextHeight(TRect{x1, y1, x2, y2}, kAlignCenter, 0.1, hh, Q(text));
    };
    put(X(1), Y(0), X(2), Y(3), "区　　間");
    put(X(2), Y(0), X(3), Y(1), "中");
    put(X(2), Y(1), X(3), Y(2), "心");
    put(X(2), Y(2), X(3), Y(3), "値");
    put(X(3), Y(0), X(4), Y(3), "u");
    put(X(4), Y(0), X(5), Y(3), "度 数 チ ェ ッ ク");
    put(X(5), Y(0), X(6), Y(3), "f");
    put(X(6), Y(0), X(7), Y(3), "u･f");
    put(X(7), Y(0), X(8), Y(3), "u^2･f");
    put(X(4), Y(4), X(5), Y(5), "合　　計");
  }

  void Cell(int col, int top, int bottom, const QString& text) {
    a_.PutTextFit(TRect{X(col - 1), top, X(col), bottom}, kAlignCenter, 0.1, text);
  }

  void DrawCellTexts() {
    const THistogramList& list = data_.HistogramList;
    const int n = lay_.Rows;
    for (int i = 0; i < n; ++i) {
      const THistogram& h = list.Items(i);
      const int top = TextRowTop(i);
      const int bottom = TextRowTop(i + 1);
      const bool firstRow = i == 0;
      const bool lastRow = i == n - 1;
      // The outer classes are open-ended: their outer bound and their
      // centre stay blank.
      const std::string lower = firstRow ? std::string(5, ' ') : FixedText(h.Lower / 100.0L, 5, 2);
      const std::string upper = lastRow ? std::string(5, ' ') : FixedText(h.Upper / 100.0L, 5, 2);
      const std::string centre =
          firstRow || lastRow ? std::string(4, ' ') : FixedText(h.Center / 100.0L, 4, 1);
      Cell(1, top, bottom, Q(IntText(i + 1, 2)));
      Cell(2, top, bottom, Q(lower) + Q(" ～ ") + Q(upper));
      Cell(3, top, bottom, Q(centre));
      Cell(4, top, bottom, Q(IntText(h.U, 3)));
      if (h.F > 0) {
        Cell(6, top, bottom, Q(IntText(h.F, 3)));
        Cell(7, top, bottom, Q(IntText(h.UF(), 4)));
        Cell(8, top, bottom, Q(IntText(h.U2F(), 4)));
      }
    }
    const TCalcedResult& r = data_.CalcedResult;
    Cell(6, Y(4), Y(5), Q(IntText(r.SumF, 3)));
    Cell(7, Y(4), Y(5), Q(IntText(r.SumUF, 4)));
    Cell(8, Y(4), Y(5), Q(IntText(r.SumU2F, 4)));
  }

  TCanvas& c_;
  const TMainData& data_;
  THistogramLayout lay_;
  TCanvasAssist a_;
};

}  // namespace

int HistogramScaleMax(const TMainData& data) {
  int64_t scaleMax = 20;
  for (const THistogram& h : data.HistogramList) scaleMax = std::max<int64_t>(scaleMax, h.F);
  if (scaleMax > 20) scaleMax = (scaleMax / 5 + 1) * 5;
  // A month holds at most 62 values; keep a damaged record from asking
  // for millions of scale lines.
  return static_cast<int>(std::min<int64_t>(scaleMax, kMaxScale));
}

THistogramLayout HistogramLayout(const TRect& rect, const TMainData& data) {
  THistogramLayout lay;
  lay.ScaleMax = HistogramScaleMax(data);
  lay.Rows = data.HistogramList.Count();
  const TRect inner{rect.Left + kInset, rect.Top + kInset, rect.Right - kInset, rect.Bottom - kInset};
  lay.Area = FitAspectRect(inner, 1.7L, 1);
  const int l = lay.Area.Left;
  const int t = lay.Area.Top;
  const long double w = lay.Area.Width();
  const long double h = lay.Area.Height();
  lay.X[0] = l;
  for (int k = 1; k <= 8; ++k) lay.X[k] = l + RoundOff(w * kColumnShares[k - 1]);
  const long double rh = h / (lay.Rows + 4);
  lay.RowHeight = rh;
  lay.Y[0] = t;
  lay.Y[1] = t + RoundOff(rh);
  lay.Y[2] = t + RoundOff(2 * rh);
  lay.Y[3] = t + RoundOff(3 * rh);
  lay.Y[4] = t + RoundOff((lay.Rows + 3) * rh);
  lay.Y[5] = t + RoundOff((lay.Rows + 4) * rh);
  lay.Unit = static_cast<long double>(lay.X[5] - lay.X[4]) / lay.ScaleMax;
  return lay;
}

void DrawHistogram(TCanvas& canvas, const TRect& rect, const TMainData& data) {
  // A paint box too small for the inset has no room for a table.
  if (rect.Width() <= 2 * kInset || rect.Height() <= 2 * kInset) return;
  THistogramDrawer drawer(canvas, rect, data);
  drawer.Draw();
}

}  // namespace kestrin
