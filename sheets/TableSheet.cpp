#include "sheets/TableSheet.h"

#include <algorithm>

#include "charts/CanvasAssist.h"
#include "charts/NumberText.h"
#include "core/Numbers.h"
#include "sheets/PrintSheet.h"
#include "sheets/SheetParts.h"

namespace kestrin {

namespace {

constexpr TColor kShadeColor = Rgb(235, 235, 235);  // 15461355
constexpr TColor kBarColor = Rgb(128, 128, 128);

long double Ld(int v) { return static_cast<long double>(v); }

QString Str(const std::string& s) { return U8(s); }

bool IsBlankDay(const TSlump& day) {
  for (const TSokutei& s : day.SokuteiList)
    if (s.Value > 0) return false;
  return true;
}

// The measurement of a day (0 AM, 1 PM), or nullptr when the day has fewer.
const TSokutei* Measurement(const TSlump& day, int index) {
  return index < day.SokuteiList.Count() ? &day.SokuteiList.Items(index) : nullptr;
}

// ------------------------------------------------------------ daily table

void DrawDailyTable(TCanvasAssist& a, const TRect& b, const TMainData& data,
                    const TSettings& settings) {
  const long double t = Ld(b.Height()) / 33;
  const int X[8] = {FracX(b, 0),    FracX(b, 0.1L), FracX(b, 0.2L),  FracX(b, 0.3L),
                    FracX(b, 0.5L), FracX(b, 0.7L), FracX(b, 0.85L), FracX(b, 1.0L)};
  const int Y0 = b.Top;
  const int Y1 = b.Top + RoundOff(t);
  const int Y2 = b.Top + RoundOff(2 * t);
  const int Y3 = b.Top + RoundOff(33 * t);

  a.FrameBox(X[0], Y0, X[7], Y3, 2);
  a.HorzLine(X[3], X[5], Y1, 0);
  a.HorzLine(X[0], X[7], Y2, 1);
  for (int i = 1; i <= 30; ++i) a.HorzLine(X[0], X[7], Y2 + RoundOff(i * t), 0);
  for (int i : {1, 2, 3, 5}) a.VertLine(X[i], Y0, Y3, 1);
  a.VertLine(X[4], Y1, Y3, 1);
  a.VertLine(X[6], Y2, Y3, 0);

  // Headings; "No", "日" and "合否判定" sit in a one-row band centred on Y1.
  a.CreateFont(RoundOff(0.6L * t), 0, 0, kFaceMincho);
  const int Ya = (Y0 + Y1) / 2;
  const int Yb = Y1 + (Ya - Y0);
  a.PutText(TRect{X[0], Ya, X[1], Yb}, kAlignCenter, U8("No"));
  a.PutText(TRect{X[1], Ya, X[2], Yb}, kAlignCenter, U8("日"));
  a.PutText(TRect{X[2], Y0, X[3], Y1}, kAlignCenter, U8("曜"));
  a.PutText(TRect{X[2], Y1, X[3], Y2}, kAlignCenter, U8("日"));
  a.PutText(TRect{X[3], Y0, X[5], Y1}, kAlignCenter, U8("測定値"));
  a.PutText(TRect{X[3], Y1, X[4], Y2}, kAlignCenter, U8("AM"));
  a.PutText(TRect{X[4], Y1, X[5], Y2}, kAlignCenter, U8("PM"));
  a.PutText(TRect{X[5], Ya, X[7], Yb}, kAlignCenter, U8("合否判定"));

  const std::array<int, kDailyRows> rows = DailyTableRows(data, settings.DispNullData);
  const int32_t getsudo = data.BasicInfo.Getsudo;
  for (int n = 0; n < kDailyRows; ++n) {
    const int top = Y2 + RoundEven(n * t);
    const int bottom = Y2 + RoundEven((n + 1) * t);
    const int rowHeight = bottom - top;
    const int textHeight = RoundEven(0.7L * rowHeight);
    auto cell = [&](int i) { return TRect{X[i], top, X[i + 1], bottom}; };

    a.CreateFont(textHeight, 0, 0, kFaceGothic);
    a.PutTextFit(cell(0), kAlignRight, 0.15, QString::number(n + 1));
    if (rows[n] < 0) continue;
    const TSlump& day = data.SlumpList.Items(rows[n]);

    a.PutTextFit(cell(1), kAlignRight, 0.15, QString::number(day.Day));
    const int dow = DayOfWeekNo(WithDay(getsudo, day.Day));
    a.CreateFont(textHeight, 0, 0, kFaceMincho);
    a.PutTextFit(cell(2), kAlignRight, 0.15, U8(DayOfWeekNameUtf8(dow)));

    a.CreateFont(textHeight, 0, 0, kFaceGothic);
    for (int k = 0; k < 2; ++k) {
      const TSokutei* s = Measurement(day, k);
      if (s != nullptr && s->Value > 0)
        a.PutTextFit(cell(3 + k), kAlignRight, 0.15,
                     Str(FixedText(Ld(s->Value) / 100, 4, 1, true)));
    }
    // Pass marks: "合" in a circle, nudged right by 2 % of the cell.
    for (int k = 0; k < 2; ++k) {
      const TSokutei* s = Measurement(day, k);
      if (s == nullptr || !s->Judge) continue;
      const TRect c = cell(5 + k);
      const long double shift = 0.02L * c.Width();
      const TRect mark{RoundOff(c.Left + shift), top, RoundOff(c.Right + shift), bottom};
      a.CreateFont(RoundOff(0.7L * rowHeight), 0, 0, kFaceMincho);
      a.PutTextFit(mark, kAlignCenter, 0, U8("合"));
      a.CreateFont(rowHeight, 0, 0, kFaceMincho);
      a.PutTextFit(mark, kAlignCenter, 0, U8("○"));
    }
  }
}

// ------------------------------------------------------ frequency table

void DrawFrequencyTable(TCanvasAssist& a, const TRect& b, long double t, const TMainData& data,
                        const TSettings& settings) {
  TCanvas& c = *a.Canvas;
  const TBasicInfo& info = data.BasicInfo;
  const THistogramList& classes = data.HistogramList;
  const int K = classes.Count();
  const long double q = (Ld(b.Height()) - 4 * t) / std::max(23, K);
  const int X[9] = {FracX(b, 0),     FracX(b, 0.04L), FracX(b, 0.28L),
                    FracX(b, 0.36L), FracX(b, 0.42L), FracX(b, 0.76L),
                    FracX(b, 0.82L), FracX(b, 0.91L), FracX(b, 1.0L)};
  const int Y0 = b.Top;
  const int Y1 = b.Top + RoundOff(t);
  const int Y2 = b.Top + RoundOff(3 * t);
  const int Y3 = b.Top + RoundOff(K * q + 3 * t);
  const int Y4 = b.Top + RoundOff(K * q + 4 * t);
  auto classTop = [&](int i) { return Y2 + RoundEven(i * q); };
  auto classBottom = [&](int i) { return Y2 + RoundEven((i + 1) * q); };

  const int N = TallyScale(classes);
  const long double u = Ld(X[5] - X[4]) / N;

  // Classes outside the tolerance, shaded under everything else.
  if (settings.DrawHistNoRange) {
    const TBrush saved = c.Brush;
    c.Brush.SetColor(kShadeColor);
    const int lo = info.KariAveX - info.Kyoyo;
    const int hi = info.KariAveX + info.Kyoyo;
    for (int i = 0; i < K; ++i) {
      const THistogram& h = classes.Items(i);
      if (h.Center < lo || h.Center > hi)
        c.Rectangle(X[0], classTop(i), X[8] + 1, classBottom(i) + 1);
    }
    c.Brush = saved;
  }

  // Tally bars.
  {
    const TBrush saved = c.Brush;
    c.Brush.SetColor(kBarColor);
    for (int i = 0; i < K; ++i) {
      const THistogram& h = classes.Items(i);
      if (h.F > 0) c.FillRect(TRect{X[4], classTop(i), X[4] + RoundEven(h.F * u), classBottom(i)});
    }
    c.Brush = saved;
  }

  // Lowest and highest occupied classes.
  if (data.CalcedResult.SumF >= 2) {
    int first = -1, last = -1;
    for (int i = 0; i < K; ++i) {
      if (classes.Items(i).F > 0) {
        if (first < 0) first = i;
        last = i;
      }
    }
    if (first >= 0 && first != last) {
      a.CreateFont(RoundOff(0.7L * t), 0, 0, kFaceMincho);
      c.Pen = TPen{clBlack, 1, TPenStyle::DashDot};
      const std::pair<int, const char*> marks[2] = {{first, "L.L."}, {last, "U.L."}};
      for (const auto& [i, label] : marks) {
        const QString text = U8(label);
        const int start = X[4] + RoundEven((classes.Items(i).F + 1) * u);
        const int end = X[5] - c.TextWidth(text);
        if (start < end) a.HorzLine(start, end, Y2 + RoundOff(i * q + q / 2), 0);
        a.PutTextFit(TRect{end, Y2 + RoundOff(i * q), X[5], Y2 + RoundOff(i * q + q)}, kAlignCenter,
                     0.1, text);
      }
      c.Pen = TPen{clBlack, 1, TPenStyle::Solid};
    }
  }

  // Count grid: solid every fifth count, grey dots between.
  for (int k = 1; k < N; ++k) {
    c.Pen = k % 5 == 0 ? TPen{clBlack, 1, TPenStyle::Solid} : TPen{kBarColor, 1, TPenStyle::Dot};
    a.VertLine(X[4] + RoundEven(k * u), Y2, Y3, 0);
  }
  c.Pen = TPen{clBlack, 1, TPenStyle::Solid};

  // Count labels above the grid, all in the height at which "99" fits two
  // counts.
  a.CreateFont(RoundOff(0.8L * t), 0, 0, kFaceGothic);
  {
    const int bandTop = Y2 - (Y2 - Y1) / 5;
    const int labelHeight = a.MeasureFitHeight(
        TRect{X[4] + RoundEven(4 * u), bandTop, X[4] + RoundEven(6 * u), Y2}, kAlignCenter, 0.1,
        U8("99"));
    for (int m = 5; m <= 5 * (N / 5 - 1); m += 5) {
      a.PutTextHeight(
          TRect{X[4] + RoundEven((m - 1) * u), bandTop, X[4] + RoundEven((m + 1) * u), Y2},
          kAlignCenter, 0, labelHeight, QString::number(m));
    }
  }

  // Lines.
  a.FrameBox(X[0], Y1, X[8], Y4, 2);
  a.HorzLine(X[0], X[8], Y2, 1);
  for (int i = 1; i < K; ++i) a.HorzLine(X[0], X[8], Y2 + RoundOff(i * q), 0);
  a.Line(X[0], Y1, X[1], Y2, 0);
  a.Line(X[0], Y3, X[4], Y4, 0);
  a.HorzLine(X[0], X[8], Y3, 1);
  for (int i : {1, 2, 3}) a.VertLine(X[i], Y1, Y3, 0);
  for (int i : {4, 5, 6, 7}) a.VertLine(X[i], Y1, Y4, 0);
  a.VertLine(X[8], Y1, Y4, 1);

  // Headings.
  a.CreateFont(RoundOff(0.5L * t), 0, 0, kFaceMincho);
  a.PutText(TRect{X[0], Y0, X[8], Y1}, kAlignLeft, ToleranceText(info));
  a.PutText(TRect{X[1], Y1, X[2], Y2}, kAlignCenter, U8("区　　間"));
  a.PutText(TRect{X[2], Y1, X[3], Y1 + (Y2 - Y1) / 3}, kAlignCenter, U8("中"));
  a.PutText(TRect{X[2], Y1, X[3], Y2}, kAlignCenter, U8("心"));
  a.PutText(TRect{X[2], Y1 + 2 * (Y2 - Y1) / 3, X[3], Y2}, kAlignCenter, U8("値"));
  a.PutText(TRect{X[3], Y1, X[4], Y2}, kAlignCenter, U8("u"));
  a.PutText(TRect{X[4], Y1, X[5], Y2}, kAlignCenter, U8("度 数 チ ェ ッ ク"));
  a.PutText(TRect{X[5], Y1, X[6], Y2}, kAlignCenter, U8("f"));
  a.PutText(TRect{X[6], Y1, X[7], Y2}, kAlignCenter, U8("u･f"));
  a.PutText(TRect{X[7], Y1, X[8], Y2}, kAlignCenter, U8("u^2･f"));
  a.PutText(TRect{X[4], Y3, X[5], Y4}, kAlignCenter, U8("合　　計"));

  // Class rows.
  for (int i = 0; i < K; ++i) {
    const THistogram& h = classes.Items(i);
    const int top = classTop(i);
    const int bottom = classBottom(i);
    const int textHeight = RoundEven(0.9L * (bottom - top));
    // Rows thinner than a pixel's worth of text (a damaged class table of
    // thousands of rows) get no texts: a font of height 0 would be the
    // default size, far larger than the row.
    if (textHeight < 1) continue;
    a.CreateFont(textHeight, 0, 0, kFaceGothic);
    auto cell = [&](int x) { return TRect{X[x], top, X[x + 1], bottom}; };
    const bool firstRow = i == 0;
    const bool lastRow = i == K - 1;
    a.PutTextFit(cell(0), kAlignCenter, 0.04, Str(IntText(i + 1, 2)));
    const std::string lower = firstRow ? "     " : FixedText(Ld(h.Lower) / 100, 5, 2);
    const std::string upper = lastRow ? "     " : FixedText(Ld(h.Upper) / 100, 5, 2);
    a.PutTextFit(cell(1), kAlignCenter, 0.02, Str(lower) + U8(" ～ ") + Str(upper));
    a.PutTextFit(cell(2), kAlignCenter, 0.02,
                 Str(firstRow || lastRow ? "    " : FixedText(Ld(h.Center) / 100, 4, 1)));
    a.PutTextFit(cell(3), kAlignCenter, 0.04, Str(IntText(h.U, 3)));
    if (h.F > 0) {
      a.PutTextFit(cell(5), kAlignCenter, 0.04, Str(IntText(h.F, 3)));
      a.PutTextFit(cell(6), kAlignCenter, 0.04, Str(IntText(h.UF(), 4)));
      a.PutTextFit(cell(7), kAlignCenter, 0.04, Str(IntText(h.U2F(), 4)));
    }
  }

  // Totals, in the font the class rows left.
  const TCalcedResult& res = data.CalcedResult;
  a.PutTextFit(TRect{X[5], Y3, X[6], Y4}, kAlignCenter, 0.1, Str(IntText(res.SumF, 3)));
  a.PutTextFit(TRect{X[6], Y3, X[7], Y4}, kAlignCenter, 0.1, Str(IntText(res.SumUF, 4)));
  a.PutTextFit(TRect{X[7], Y3, X[8], Y4}, kAlignCenter, 0.1, Str(IntText(res.SumU2F, 4)));
}

// ---------------------------------------------------------- formula block

void DrawFormulaBlock(TCanvasAssist& a, const TRect& b, const TMainData& data) {
  const TBasicInfo& info = data.BasicInfo;
  const TCalcedResult& res = data.CalcedResult;
  const long double g = Ld(b.Height()) / 7;
  const int Ym = b.Top + RoundOff(3.5L * g);
  auto band = [&](int from, long double p0, long double p1) {
    return TRect{b.Left, from + RoundEven(p0 * g), b.Right, from + RoundEven(p1 * g)};
  };

  a.FrameBox(b.Left, b.Top, b.Right, b.Bottom, 2);

  a.CreateFont(RoundOff(0.6L * g), 0, 0, kFaceMincho);
  a.PutTextFit(band(b.Top, 0, 1), kAlignLeft, 0.05,
               U8("規 格 値：Xo=") + Str(FixedText(Ld(info.KariAveX) / 100, 4, 1)));
  a.PutTextFit(band(b.Top, 1, 2), kAlignLeft, 0.05,
               U8("区間の幅：h =") + Str(FixedText(info.ClassWidth, 4, 1)));
  a.PutTextFit(band(b.Top, 2, 3), kAlignLeft, 0.05,
               U8("平 均 値：X =Xo+Σu･f/Σf×h = ") + Str(FixedText(Ld(res.AveX) / 100, 5, 2)));

  a.PutTextFit(band(Ym, 0, 2), kAlignLeft, 0.05, U8("標準偏差：σ=   "));
  const int xSigma = a.TextRect.Right;
  a.PutTextFit(band(Ym, 0, 1), kAlignLeft, 0.05,
               QString(16, QLatin1Char(' ')) + U8("Σu^2f-(Σuf)^2/Σf"));
  const int xEnd = a.TextRect.Right;
  const TRect denominator = band(Ym, 1, 2);
  a.PutTextFit(TRect{xSigma, denominator.Top, xEnd, denominator.Bottom}, kAlignCenter, 0.05,
               U8("Σf-1"));
  const TRect times = band(Ym, 0, 2);
  a.PutTextFit(TRect{xEnd, times.Top, b.Right, times.Bottom}, kAlignLeft, 0.05, U8("×h "));
  a.PutTextFit(band(Ym, 2, 3), kAlignLeft, 0.05,
               QString(12, QLatin1Char(' ')) + U8("=") + Str(FixedText(res.Hensa, 6, 3)));

  // The square-root sign over the fraction, and the fraction bar.
  const long double s = Ld(xSigma - b.Left) / 16;
  const int A = b.Left + RoundOff(14 * s);
  const int B = b.Left + RoundOff(15 * s);
  a.Line(A, Ym + RoundEven(g), B, Ym + RoundEven(2 * g), 0);
  a.Line(B, Ym + RoundEven(2 * g), xSigma, Ym, 1);
  a.HorzLine(xSigma, xEnd, Ym, 0);
  a.HorzLine(xSigma, xEnd, Ym + RoundEven(g), 0);
}

}  // namespace

TTableSheetLayout TableSheetLayout(const TRect& page) {
  TTableSheetLayout l;
  l.Title = FracRect(page, 0, 0, 1.0L, 0.02L);
  l.Header = FracRect(page, 0, 0.035L, 1.0L, 0.125L);
  l.Daily = FracRect(page, 0, 0.14L, 0.39L, 1.0L);
  // The right-hand column is divided in fractions of its own height M.
  const int top = FracY(page, 0.14L);
  const int M = FracY(page, 1.0L) - top;
  auto m = [&](long double f) { return top + RoundOff(f * M); };
  const int left = FracX(page, 0.41L);
  const int right = FracX(page, 1.0L);
  l.Seal = TRect{left, top, right, m(0.1L)};
  l.Frequency = TRect{left, m(0.1L), right, m(0.785L)};
  l.Formula = TRect{left, m(0.8L), right, m(1.0L)};
  return l;
}

std::array<int, kDailyRows> DailyTableRows(const TMainData& data, int dispNullData) {
  std::array<int, kDailyRows> rows;
  rows.fill(-1);
  int next = 0;
  for (int k = 0; k < data.SlumpList.Count() && next < kDailyRows; ++k) {
    if (dispNullData != 1 && IsBlankDay(data.SlumpList.Items(k))) continue;
    rows[next++] = k;
  }
  return rows;
}

int TallyScale(const THistogramList& classes) {
  int64_t largest = 0;
  for (const THistogram& h : classes) largest = std::max<int64_t>(largest, h.F);
  if (largest <= 20) return 20;
  // Counts come from at most 62 measurements; a record that was not
  // recomputed may hold anything, and one grid line per count is drawn.
  return static_cast<int>(std::min<int64_t>((largest / 5) * 5 + 5, kMaxTallyScale));
}

void DrawTableSheet(TCanvas& canvas, const TRect& pageRect, const TMainData& data,
                    const TSettings& settings) {
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);

  const TTableSheetLayout l = TableSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8(SheetTitle(TPrintSheet::Table)));
  DrawSheetHeader(a, l.Header, data, settings);
  DrawDailyTable(a, l.Daily, data, settings);

  // The seal boxes and the frequency table head their rows with the daily
  // table's row height.
  const long double t = Ld(l.Daily.Height()) / 33;
  DrawSealBoxes(a, FracX(l.Seal, 0.55L), l.Seal.Right, l.Seal.Top, l.Seal.Top + RoundOff(t),
                l.Seal.Bottom, RoundOff(0.5L * t), settings);
  DrawFrequencyTable(a, l.Frequency, t, data, settings);
  DrawFormulaBlock(a, l.Formula, data);
}

}  // namespace kestrin
