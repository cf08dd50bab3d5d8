// The strength sheet (see StrengthSheet.h).
#include "sheets/StrengthSheet.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "charts/CanvasAssist.h"
#include "charts/StrengthChart.h"
#include "core/Numbers.h"
#include "sheets/SheetParts.h"

namespace kestrin {

namespace {

constexpr TColor kFailedColor = Rgb(255, 0, 0);
const char kTitle[] = "圧縮強度試験（管理表）";

QString Scaled(int64_t v, int d) { return U8(FormatScaled(v, d)); }
QString Scaled(const std::optional<int32_t>& v, int d) { return v ? Scaled(*v, d) : QString(); }

struct TColumn {
  const char* Caption;
  long double Width;
};
constexpr std::array<TColumn, 16> kColumns = {{
    {"No", 0.04L},
    {"日", 0.04L},
    {"時刻", 0.06L},
    {"スランプ", 0.065L},
    {"空気量", 0.06L},
    {"温度", 0.055L},
    {"塩化物", 0.06L},
    {"28日①", 0.06L},
    {"28日②", 0.06L},
    {"28日③", 0.06L},
    {"結果", 0.065L},
    {"Rm", 0.05L},
    {"7日結果", 0.065L},
    {"判定", 0.06L},
    {"ロット平均", 0.085L},
    {"ロット判定", 0.065L},
}};

// One table cell's text and whether it is printed red.
struct TCell {
  QString Text;
  bool Failed = false;
};
using TRow = std::array<TCell, kColumns.size()>;

TRow TestRow(const TStrengthLog& log, const TStrengthFigures& f, std::size_t i) {
  const TStrengthTest& t = log.Tests[i];
  const TStrengthTestFigures& g = f.Tests[i];
  TRow r;
  r[0].Text = QString::number(static_cast<qulonglong>(i + 1));
  r[1].Text = QString::number(t.Day);
  r[2].Text = U8(t.Time);
  r[3] = {Scaled(t.Slump, 1), !g.SlumpPass};
  r[4] = {Scaled(t.Air, 1), !g.AirPass};
  r[5].Text = Scaled(t.Temperature, 1);
  r[6] = {Scaled(t.Chloride, 2), g.ChloridePass == false};
  if (t.Strength28)
    for (std::size_t k = 0; k < kSpecimens; ++k) r[7 + k].Text = Scaled((*t.Strength28)[k], 1);
  r[10] = {Scaled(g.Result28, 1), g.Pass == false};
  r[11].Text = Scaled(g.Rm, 1);
  r[12].Text = Scaled(g.Result7, 1);
  if (g.Pass) r[13] = {U8(*g.Pass ? "○" : "×"), !*g.Pass};
  else r[13].Text = U8("養生中");
  return r;
}

// Lot means at the row of each lot's last test.
void AddLots(const TStrengthFigures& f, std::vector<TRow>& rows) {
  for (std::size_t k = 0; k < f.Lots.size(); ++k) {
    const TStrengthLot& lot = f.Lots[k];
    if (lot.Tests.empty() || lot.Tests.back() > rows.size()) continue;
    TRow& r = rows[lot.Tests.back() - 1];
    const QString name = U8("L") + QString::number(static_cast<qulonglong>(k + 1)) + U8(" ");
    if (lot.Mean) {
      r[14] = {name + Scaled(*lot.Mean, 1), lot.Pass == false};
      r[15] = {U8(*lot.Pass ? "○" : "×"), !*lot.Pass};
    } else {
      r[14].Text = name + U8("－");
      r[15].Text = U8("保留");
    }
  }
}

void PutCell(TCanvasAssist& a, const TRect& rc, int align, const TCell& c) {
  if (c.Text.isEmpty()) return;
  if (c.Failed) a.Canvas->Font.Color = kFailedColor;
  a.PutTextHeight(rc, align, 0.06, -1, c.Text);
  a.Canvas->Font.Color = clBlack;
}

// The caption row and the rows first..first + count - 1, each rowH high.
void DrawTable(TCanvasAssist& a, const TRect& b, const std::vector<TRow>& rows, std::size_t first,
               std::size_t count, long double rowH) {
  std::array<int, kColumns.size() + 1> x{};
  long double f = 0;
  x[0] = b.Left;
  for (std::size_t k = 0; k < kColumns.size(); ++k) {
    f += kColumns[k].Width;
    x[k + 1] = k + 1 == kColumns.size() ? b.Right : FracX(b, f);
  }
  auto y = [&](std::size_t r) { return b.Top + RoundOff(static_cast<long double>(r) * rowH); };
  const std::size_t n = count + 1;
  const int bottom = y(n);
  a.Canvas->Brush.SetColor(Rgb(235, 235, 235));
  a.Canvas->FillRect(TRect{b.Left, b.Top, b.Right, y(1)});
  a.Canvas->Brush.SetStyle(TBrushStyle::Clear);
  a.FrameBox(b.Left, b.Top, b.Right, bottom, 2);
  for (std::size_t r = 1; r < n; ++r) a.HorzLine(b.Left, b.Right, y(r), r == 1 ? 1 : 0);
  for (std::size_t k = 1; k < kColumns.size(); ++k)
    a.VertLine(x[k], b.Top, bottom, k == 7 || k == 10 || k == 14 ? 1 : 0);
  a.CreateFont(RoundOff(0.55L * rowH), 0, 0, kFaceMincho);
  for (std::size_t k = 0; k < kColumns.size(); ++k)
    a.PutTextHeight(TRect{x[k], y(0), x[k + 1], y(1)}, kAlignCenter, 0.04, -1, U8(kColumns[k].Caption));
  for (std::size_t r = 0; r < count && first + r < rows.size(); ++r)
    for (std::size_t k = 0; k < kColumns.size(); ++k) {
      const int align = k <= 2 || k == 13 || k == 15 ? kAlignCenter : kAlignRight;
      PutCell(a, TRect{x[k], y(r + 1), x[k + 1], y(r + 2)}, align, rows[first + r][k]);
    }
}

void DrawHeader(TCanvasAssist& a, const TRect& b, const TStrengthLog& log, const TSettings& settings,
                int page, int pages) {
  const long double third = static_cast<long double>(b.Height()) / 3;
  const int y1 = b.Top + RoundOff(third), y2 = b.Top + RoundOff(2 * third);
  a.CreateFont(RoundOff(0.55L * third), 0, 0, kFaceMincho);
  QString month = QString::number(log.Year) + U8("年") +
                  QString::number(log.Month).rightJustified(2, QLatin1Char('0')) + U8("月度");
  if (pages > 1) month += QStringLiteral("（%1／%2）").arg(page + 1).arg(pages);
  const QString names = SheetText(settings.CompanyName) + U8(" ") + U8(log.Plant);
  a.PutTextFit(TRect{b.Left, b.Top, FracX(b, 0.68L), y1}, kAlignLeft, 0.0, names.trimmed());
  a.PutTextFit(TRect{FracX(b, 0.68L), b.Top, b.Right, y1}, kAlignRight, 0.0, month);

  const TStrengthMix& m = log.Mix;
  a.FrameBox(b.Left, y1, b.Right, b.Bottom, 2);
  a.HorzLine(b.Left, b.Right, y2, 1);
  const std::array<long double, 9> xs = {0, 0.12L, 0.24L, 0.36L, 0.52L, 0.63L, 0.79L, 0.88L, 1.0L};
  for (std::size_t k = 1; k + 1 < xs.size(); ++k) a.VertLine(FracX(b, xs[k]), y1, y2, 0);
  a.VertLine(FracX(b, xs[1]), y2, b.Bottom, 0);
  auto cell = [&](std::size_t k, int top, int bottom) {
    return TRect{FracX(b, xs[k]), top, FracX(b, xs[k + 1]), bottom};
  };
  a.CreateFont(RoundOff(0.5L * third), 0, 0, kFaceMincho);
  a.PutTextFit(cell(0, y1, y2), kAlignCenter, 0.04, U8("呼び強度"));
  a.PutTextFit(cell(1, y1, y2), kAlignRight, 0.05, Scaled(m.NominalStrength, 1) + U8("N/mm^2"));
  a.PutTextFit(cell(2, y1, y2), kAlignCenter, 0.04, U8("スランプ"));
  a.PutTextFit(cell(3, y1, y2), kAlignRight, 0.05,
               Scaled(m.Slump, 1) + U8("±") + Scaled(m.SlumpTolerance, 1) + U8("cm"));
  a.PutTextFit(cell(4, y1, y2), kAlignCenter, 0.04, U8("空気量"));
  a.PutTextFit(cell(5, y1, y2), kAlignRight, 0.05,
               Scaled(m.Air, 1) + U8("±") + Scaled(m.AirTolerance, 1) + U8("%"));
  a.PutTextFit(cell(6, y1, y2), kAlignCenter, 0.04, QString::number(m.Aggregate) + U8("mm"));
  a.PutTextFit(cell(7, y1, y2), kAlignCenter, 0.04, U8(m.Cement + " " + m.Symbol));
  a.PutTextFit(TRect{FracX(b, 0), y2, FracX(b, xs[1]), b.Bottom}, kAlignCenter, 0.04, U8("判定基準"));
  const int64_t share = RoundDiv(int64_t{m.NominalStrength} * kResultSharePercent, 10);
  a.PutTextFit(TRect{FracX(b, xs[1]), y2, b.Right, b.Bottom}, kAlignLeft, 0.01,
               U8("1回の結果 ≧ 呼び強度の85％（") + Scaled(share, 2) + U8("）　3回の平均 ≧ 呼び強度（") +
                   Scaled(m.NominalStrength, 1) + U8("）　塩化物 ≦ 0.30kg/m^3"));
}

void DrawSummary(TCanvasAssist& a, const TRect& b, const TStrengthFigures& f) {
  const TStrengthSummary& s = f.Summary;
  const std::array<const char*, 9> captions = {"試験数",     "平均 x̄", "標準偏差 σ", "最小",        "最大",
                                               "必要な平均", "余裕",   "不合格試験", "不合格ロット"};
  const std::array<TCell, 9> values = {{{QString::number(static_cast<qulonglong>(s.Count))},
                                        {Scaled(s.Mean, 2)},
                                        {Scaled(s.Sigma, 2)},
                                        {Scaled(s.Min, 1)},
                                        {Scaled(s.Max, 1)},
                                        {Scaled(s.RequiredMean, 2)},
                                        {Scaled(s.Margin, 2), s.Margin && *s.Margin < 0},
                                        {QString::number(f.FailedTests), f.FailedTests > 0},
                                        {QString::number(f.FailedLots), f.FailedLots > 0}}};
  const int mid = b.Top + b.Height() / 2;
  a.Canvas->Brush.SetColor(Rgb(235, 235, 235));
  a.Canvas->FillRect(TRect{b.Left, b.Top, b.Right, mid});
  a.Canvas->Brush.SetStyle(TBrushStyle::Clear);
  a.FrameBox(b.Left, b.Top, b.Right, b.Bottom, 2);
  a.HorzLine(b.Left, b.Right, mid, 1);
  a.CreateFont(RoundOff(0.55L * (mid - b.Top)), 0, 0, kFaceMincho);
  for (std::size_t k = 0; k < captions.size(); ++k) {
    const int x0 = FracX(b, static_cast<long double>(k) / captions.size());
    const int x1 = FracX(b, static_cast<long double>(k + 1) / captions.size());
    if (k > 0) a.VertLine(x0, b.Top, b.Bottom, 0);
    a.PutTextHeight(TRect{x0, b.Top, x1, mid}, kAlignCenter, 0.04, -1, U8(captions[k]));
    PutCell(a, TRect{x0, mid, x1, b.Bottom}, kAlignCenter,
            values[k].Text.isEmpty() ? TCell{U8("－")} : values[k]);
  }
}

}  // namespace

int StrengthSheetPages(const TStrengthLog& log) {
  const std::size_t n = log.Tests.size();
  if (n <= kStrengthFirstPageTests) return 1;
  return 1 + static_cast<int>((n - kStrengthFirstPageTests + kStrengthNextPageTests - 1) /
                              kStrengthNextPageTests);
}

TStrengthSheetLayout StrengthSheetLayout(const TRect& page) {
  TStrengthSheetLayout l;
  l.Title = FracRect(page, 0, 0, 1.0L, 0.035L);
  l.Header = FracRect(page, 0, 0.05L, 0.7L, 0.15L);
  l.Seal = FracRect(page, 0.73L, 0.05L, 1.0L, 0.15L);
  l.Chart = FracRect(page, 0, 0.165L, 1.0L, 0.5L);
  l.Table = FracRect(page, 0, 0.515L, 1.0L, 0.9L);
  l.Summary = FracRect(page, 0, 0.92L, 1.0L, 0.98L);
  return l;
}

void DrawStrengthSheet(TCanvas& canvas, const TRect& pageRect, const TStrengthLog& log,
                       const TStrengthFigures& figures, const TSettings& settings, int page) {
  const int pages = StrengthSheetPages(log);
  if (page < 0 || page >= pages || figures.Tests.size() != log.Tests.size()) return;
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);

  const TStrengthSheetLayout l = StrengthSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8(kTitle));
  DrawHeader(a, l.Header, log, settings, page, pages);
  const int r = l.Seal.Height() / 3;
  DrawSealBoxes(a, l.Seal.Left, l.Seal.Right, l.Seal.Top, l.Seal.Top + r, l.Seal.Bottom, RoundOff(0.5L * r),
                settings);

  std::vector<TRow> rows;
  for (std::size_t i = 0; i < log.Tests.size(); ++i) rows.push_back(TestRow(log, figures, i));
  AddLots(figures, rows);
  const long double rowH = static_cast<long double>(l.Table.Height()) / (kStrengthFirstPageTests + 1);
  if (page == 0) {
    DrawStrengthChart(canvas, l.Chart, a, log, figures);
    ResetSheetCanvas(canvas);
    DrawTable(a, l.Table, rows, 0, std::min(rows.size(), kStrengthFirstPageTests), rowH);
    DrawSummary(a, l.Summary, figures);
  } else {
    const std::size_t first =
        kStrengthFirstPageTests + static_cast<std::size_t>(page - 1) * kStrengthNextPageTests;
    DrawTable(a, TRect{l.Table.Left, l.Chart.Top, l.Table.Right, pageRect.Bottom}, rows, first,
              std::min(rows.size() - first, kStrengthNextPageTests), rowH);
  }
}

}  // namespace kestrin
