#include "sheets/OverviewSheet.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

#include "charts/CanvasAssist.h"
#include "charts/NumberText.h"
#include "charts/StrengthTrendChart.h"
#include "charts/TrendChart.h"
#include "core/Numbers.h"
#include "sheets/SheetParts.h"

namespace kestrin {

namespace {

const QString kNone = QString::fromUtf8("－");

QString Fixed(long double x, int d) { return U8(FixedText(x, 0, d, true)); }

template <typename T>
QString Fixed(const std::optional<T>& x, long double scale, int d) {
  return x ? Fixed(static_cast<long double>(*x) / scale, d) : kNone;
}

QString MonthText(int32_t getsudo) {
  return QString::number(DateYear(getsudo)) + U8("年") + QString::number(DateMonth(getsudo)) +
         U8("月");
}

// The table's columns: caption and share of the table width.
struct TColumn {
  const char* Caption;
  long double Width;
};
constexpr std::array<TColumn, 13> kColumns = {{
    {"月度", 0.12L},
    {"目標(cm)", 0.08L},
    {"許容値(cm)", 0.08L},
    {"数", 0.06L},
    {"不合格", 0.07L},
    {"平均 X(cm)", 0.09L},
    {"σ(cm)", 0.08L},
    {"最小(cm)", 0.08L},
    {"最大(cm)", 0.08L},
    {"Cp", 0.07L},
    {"Cpk", 0.07L},
    {"管理外れ", 0.06L},
    {"備考", 0.06L},
}};

using TRow = std::array<QString, kColumns.size()>;

QString SignalCount(const std::optional<int32_t>& n) { return n ? QString::number(*n) : kNone; }

TRow MonthRow(const TOverviewMonth& m, const TControlRuleSet& rules) {
  TRow r;
  r[0] = MonthText(m.Getsudo);
  r[1] = Fixed(m.KariAveX / 100.0L, 1);
  r[2] = Fixed(m.Kyoyo / 100.0L, 1);
  r[3] = QString::number(m.Count);
  r[4] = QString::number(m.Failed);
  r[5] = m.Count > 0 ? Fixed(m.AveX / 100.0L, 2) : kNone;
  r[6] = m.Count > 0 ? Fixed(m.Hensa, 3) : kNone;
  r[7] = Fixed(m.Min, 100, 1);
  r[8] = Fixed(m.Max, 100, 1);
  r[9] = Fixed(m.Capability.Cp, 1, 2);
  r[10] = Fixed(m.Capability.Cpk, 1, 2);
  r[11] = SignalCount(ControlSignalCount(m, rules));
  r[12] = m.Duplicate ? U8("※重複") : QString();
  return r;
}

// The plant's pooled row; 管理外れ adds up the months that have limits.
TRow PlantRow(const TOverview& o, const TOverviewPlant& p, const TControlRuleSet& rules) {
  TRow r;
  r[0] = U8("通算（") + QString::number(p.Months) + U8("か月）");
  r[1] = p.SameLimits ? Fixed(p.KariAveX / 100.0L, 1) : kNone;
  r[2] = p.SameLimits ? Fixed(p.Kyoyo / 100.0L, 1) : kNone;
  r[3] = QString::number(p.Count);
  r[4] = QString::number(p.Failed);
  r[5] = Fixed(p.AveX, 100, 2);
  r[6] = Fixed(p.Hensa, 1, 3);
  r[7] = Fixed(p.Min, 100, 1);
  r[8] = Fixed(p.Max, 100, 1);
  r[9] = Fixed(p.Capability.Cp, 1, 2);
  r[10] = Fixed(p.Capability.Cpk, 1, 2);
  std::optional<int32_t> total;
  for (std::size_t i : p.MonthIndexes)
    if (const auto n = ControlSignalCount(o.Months[i], rules)) total = total.value_or(0) + *n;
  r[11] = SignalCount(total);
  r[12] = p.SameLimits ? QString() : U8("目標・許容値が月で異なる");
  return r;
}

// The header's three lines in `b`: the company, `second` (with "（k／n）"
// on a page of several) and `third`.
void DrawHeaderLines(TCanvasAssist& a, const TRect& b, const TOverviewPage& page, const TSettings& settings,
                     QString second, const QString& third) {
  const long double lineH = static_cast<long double>(b.Height()) / 3;
  auto row = [&](int k) {
    return TRect{b.Left, b.Top + RoundOff(k * lineH), b.Right, b.Top + RoundOff((k + 1) * lineH)};
  };
  a.CreateFont(RoundOff(0.6L * lineH), 0, 0, kFaceMincho);
  const QString company = SheetText(settings.CompanyName);
  if (!company.isEmpty()) a.PutTextFit(row(0), kAlignLeft, 0.0, company);
  if (page.Parts > 1) second += QStringLiteral("（%1／%2）").arg(page.Part + 1).arg(page.Parts);
  a.PutTextFit(row(1), kAlignLeft, 0.0, second);
  a.PutTextFit(row(2), kAlignLeft, 0.0, third);
}

void DrawHeader(TCanvasAssist& a, const TRect& b, const TOverview& o, const TOverviewPage& page,
                const TSettings& settings) {
  DrawHeaderLines(a, b, page, settings, U8("工場：") + U8(PlantLabelUtf8(o.Plants[page.Plant].Kojo)),
                  U8("期間：") + OverviewPeriodText(o, page.Plant));
}

// Rows of the first page's table block (the caption row included): the
// normal row height is the block's height divided by this.
constexpr int kFirstPageRows = 16;
// Rows of a continuation page's table block at that height, the caption
// row included (its block is 0.79 of the page high against 0.4 on the
// first page: 31.6 rows, one spare for rounding).
constexpr int kNextPageRows = 31;

// A table of `columns`: a caption row and `rows`, each at most `rowH`
// high; the last of them is shaded as the pooled row when `pooledLast`.
template <std::size_t N>
void DrawTable(TCanvasAssist& a, const TRect& b, const std::array<TColumn, N>& kColumns,
               const std::vector<std::array<QString, N>>& rows, long double rowH, bool pooledLast) {
  const int n = static_cast<int>(rows.size()) + 1;
  rowH = std::min(static_cast<long double>(b.Height()) / n, rowH);
  std::array<int, N + 1> x{};
  long double f = 0;
  x[0] = b.Left;
  for (std::size_t k = 0; k < kColumns.size(); ++k) {
    f += kColumns[k].Width;
    x[k + 1] = k + 1 == kColumns.size() ? b.Right : FracX(b, f);
  }
  auto y = [&](int r) { return b.Top + RoundOff(r * rowH); };
  const int bottom = y(n);

  a.Canvas->Brush.SetColor(Rgb(235, 235, 235));
  a.Canvas->FillRect(TRect{b.Left, b.Top, b.Right, y(1)});
  if (pooledLast) a.Canvas->FillRect(TRect{b.Left, y(n - 1), b.Right, bottom});
  a.Canvas->Brush.SetStyle(TBrushStyle::Clear);
  a.FrameBox(b.Left, b.Top, b.Right, bottom, 2);
  for (int r = 1; r < n; ++r) a.HorzLine(b.Left, b.Right, y(r), r == 1 || (pooledLast && r == n - 1) ? 1 : 0);
  for (std::size_t k = 1; k < kColumns.size(); ++k) a.VertLine(x[k], b.Top, bottom, 0);

  const int font = RoundOff(0.55L * rowH);
  a.CreateFont(font, 0, 0, kFaceMincho);
  for (std::size_t k = 0; k < kColumns.size(); ++k)
    a.PutTextHeight(TRect{x[k], y(0), x[k + 1], y(1)}, kAlignCenter, 0.04, -1,
                    U8(kColumns[k].Caption));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int top = y(static_cast<int>(r) + 1);
    const int bot = y(static_cast<int>(r) + 2);
    for (std::size_t k = 0; k < kColumns.size(); ++k) {
      const QString& text = rows[r][k];
      if (text.isEmpty()) continue;
      const int align = k == 0 || k + 1 == kColumns.size() ? kAlignLeft : kAlignRight;
      a.PutTextHeight(TRect{x[k], top, x[k + 1], bot}, align, 0.06, -1, text);
    }
  }
}

// The plant's rows: its months, then the pooled row.
std::vector<TRow> PlantRows(const TOverview& o, std::size_t plant, const TControlRuleSet& rules) {
  const TOverviewPlant& p = o.Plants[plant];
  std::vector<TRow> rows;
  for (std::size_t i : p.MonthIndexes) rows.push_back(MonthRow(o.Months[i], rules));
  rows.push_back(PlantRow(o, p, rules));
  return rows;
}

void DrawChartCaption(TCanvasAssist& a, const TRect& chart, const TOverview& o,
                      std::size_t plant) {
  // A one-line key above the chart.
  const int h = RoundOff(chart.Height() * 0.06L);
  a.CreateFont(h, 0, 0, kFaceMincho);
  QString key = U8("● 月平均 X　縦線 ±σ　緑線 目標スランプ　赤線 許容値　赤棒 不合格数");
  bool duplicates = false;
  for (std::size_t i : o.Plants[plant].MonthIndexes) duplicates |= o.Months[i].Duplicate;
  if (duplicates) key += U8("　赤字の月 重複");
  a.PutTextFit(TRect{chart.Left, chart.Top - h - h / 3, chart.Right, chart.Top - h / 3},
               kAlignRight, 0.0, key);
}

// A page of the failed entries: the title, the company and the count,
// and a table of reason and path at the row height of the month tables.
void DrawFailurePage(TCanvas& canvas, const TRect& pageRect, const TOverview& o, const TOverviewPage& page,
                     const TSettings& settings) {
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);
  const TOverviewSheetLayout l = OverviewSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8("スランプ試験（年間推移）"));
  DrawHeaderLines(a, l.Header, page, settings,
                  U8("読み込めなかったファイル・フォルダ：") + QString::number(o.FailedFiles.size()) + U8("件"),
                  U8("この年間推移には含まれていません．"));

  const TRect b{l.Table.Left, FracY(pageRect, 0.21L), l.Table.Right, l.Table.Bottom};
  const long double rowH = static_cast<long double>(l.Table.Height()) / kFirstPageRows;
  const std::size_t from = std::min(page.FirstRow, o.FailedFiles.size());
  const std::size_t to = std::min(from + page.Rows, o.FailedFiles.size());
  const int n = static_cast<int>(to - from) + 1;
  auto y = [&](int r) { return b.Top + RoundOff(r * rowH); };
  const int split = FracX(b, 0.3L);
  a.Canvas->Brush.SetColor(Rgb(235, 235, 235));
  a.Canvas->FillRect(TRect{b.Left, b.Top, b.Right, y(1)});
  a.Canvas->Brush.SetStyle(TBrushStyle::Clear);
  a.FrameBox(b.Left, b.Top, b.Right, y(n), 2);
  for (int r = 1; r < n; ++r) a.HorzLine(b.Left, b.Right, y(r), r == 1 ? 1 : 0);
  a.VertLine(split, b.Top, y(n), 0);
  a.CreateFont(RoundOff(0.55L * rowH), 0, 0, kFaceMincho);
  a.PutTextHeight(TRect{b.Left, y(0), split, y(1)}, kAlignCenter, 0.04, -1, U8("理由"));
  a.PutTextHeight(TRect{split, y(0), b.Right, y(1)}, kAlignCenter, 0.04, -1, U8("ファイル・フォルダ"));
  for (std::size_t i = from; i < to; ++i) {
    const int r = static_cast<int>(i - from) + 1;
    const TOverviewFailure& f = o.FailedFiles[i];
    a.PutTextHeight(TRect{b.Left, y(r), split, y(r + 1)}, kAlignLeft, 0.02, -1, U8(f.Reason));
    a.PutTextHeight(TRect{split, y(r), b.Right, y(r + 1)}, kAlignLeft, 0.01, -1,
                    QString::fromLocal8Bit(f.File.c_str()));
  }
}

// --- The strength pages ----------------------------------------------------

constexpr std::array<TColumn, 13> kStrengthColumns = {{
    {"月度", 0.11L},
    {"呼び強度", 0.07L},
    {"試験数", 0.06L},
    {"結果数", 0.06L},
    {"平均(N/mm²)", 0.09L},
    {"σ(N/mm²)", 0.08L},
    {"最小(N/mm²)", 0.08L},
    {"最大(N/mm²)", 0.08L},
    {"不合格試験", 0.08L},
    {"不合格ロット", 0.08L},
    {"必要平均", 0.08L},
    {"余裕", 0.07L},
    {"備考", 0.06L},
}};

using TStrengthRow = std::array<QString, kStrengthColumns.size()>;

QString Scaled(const std::optional<int32_t>& v, int decimals) {
  return v ? U8(FormatScaled(*v, decimals)) : kNone;
}

// The figures of a summary into columns 3 to 7, 10 and 11.
void SummaryCells(TStrengthRow& r, const TStrengthSummary& s) {
  r[3] = QString::number(s.Count);
  r[4] = Scaled(s.Mean, 2);
  r[5] = Scaled(s.Sigma, 2);
  r[6] = Scaled(s.Min, 1);
  r[7] = Scaled(s.Max, 1);
  r[10] = Scaled(s.RequiredMean, 2);
  r[11] = Scaled(s.Margin, 2);
}

TStrengthRow StrengthMonthRow(const TStrengthOverviewMonth& m) {
  TStrengthRow r;
  r[0] = MonthText(m.Getsudo);
  r[1] = U8(NominalText(m.Nominal));
  r[2] = QString::number(m.Tests);
  SummaryCells(r, m.Summary);
  r[8] = QString::number(m.FailedTests);
  r[9] = QString::number(m.FailedLots);
  r[12] = m.Duplicate ? U8("※重複") : QString();
  return r;
}

TStrengthRow StrengthMixRow(const TOverview& o, const TStrengthOverviewMix& mix) {
  TStrengthRow r;
  int64_t tests = 0;
  for (std::size_t i : mix.MonthIndexes) tests += o.StrengthMonths[i].Tests;
  r[0] = U8("通算（") + QString::number(mix.Months) + U8("か月）");
  r[1] = U8(NominalText(mix.Nominal));
  r[2] = QString::number(tests);
  SummaryCells(r, mix.Summary);
  r[8] = QString::number(mix.FailedTests);
  r[9] = QString::number(mix.FailedLots);
  return r;
}

void DrawStrengthPage(TCanvas& canvas, const TRect& pageRect, const TOverview& o, const TOverviewPage& page,
                      const TSettings& settings) {
  if (page.Mix >= o.StrengthMixes.size()) return;
  const TStrengthOverviewMix& mix = o.StrengthMixes[page.Mix];
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);
  const TOverviewSheetLayout l = OverviewSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8("強度試験（年間推移）"));
  DrawHeaderLines(a, l.Header, page, settings,
                  U8("工場：") + U8(PlantLabelUtf8(mix.Kojo)) + U8("　呼び強度：") + U8(NominalText(mix.Nominal)),
                  U8("期間：") + StrengthPeriodText(o, page.Mix));
  const int r = l.Seal.Height() / 3;
  DrawSealBoxes(a, l.Seal.Left, l.Seal.Right, l.Seal.Top, l.Seal.Top + r, l.Seal.Bottom, RoundOff(0.5L * r),
                settings);

  std::vector<TStrengthRow> all;
  for (std::size_t i : mix.MonthIndexes) all.push_back(StrengthMonthRow(o.StrengthMonths[i]));
  all.push_back(StrengthMixRow(o, mix));
  const std::size_t from = std::min(page.FirstRow, all.size());
  const std::size_t to = std::min(from + page.Rows, all.size());
  const std::vector<TStrengthRow> rows(all.begin() + static_cast<std::ptrdiff_t>(from),
                                       all.begin() + static_cast<std::ptrdiff_t>(to));
  const long double rowH = static_cast<long double>(l.Table.Height()) / kFirstPageRows;
  if (page.Part == 0) {
    const int h = RoundOff(l.Chart.Height() * 0.06L);
    a.CreateFont(h, 0, 0, kFaceMincho);
    QString key = U8("● 月平均　縦線 ±σ　緑実線 呼び強度　緑点線 呼び強度の85％　赤棒 不合格試験数");
    bool duplicates = false;
    for (std::size_t i : mix.MonthIndexes) duplicates |= o.StrengthMonths[i].Duplicate;
    if (duplicates) key += U8("　赤字の月 重複");
    a.PutTextFit(TRect{l.Chart.Left, l.Chart.Top - h - h / 3, l.Chart.Right, l.Chart.Top - h / 3},
                 kAlignRight, 0.0, key);
    DrawStrengthTrendChartDoc(canvas, l.Chart, a, StrengthTrendPoints(o, page.Mix));
    ResetSheetCanvas(canvas);
    DrawTable(a, l.Table, kStrengthColumns, rows, rowH, to == all.size());
  } else {
    DrawTable(a, TRect{l.Table.Left, FracY(pageRect, 0.21L), l.Table.Right, l.Table.Bottom}, kStrengthColumns,
              rows, rowH, to == all.size());
  }
}

}  // namespace

QStringList OverviewStrengthCaptions() {
  QStringList l;
  for (const TColumn& c : kStrengthColumns) l << U8(c.Caption);
  return l;
}
QStringList OverviewStrengthMonthCells(const TStrengthOverviewMonth& month) {
  const TStrengthRow r = StrengthMonthRow(month);
  return QStringList(r.begin(), r.end());
}
QStringList OverviewStrengthMixCells(const TOverview& overview, const TStrengthOverviewMix& mix) {
  const TStrengthRow r = StrengthMixRow(overview, mix);
  return QStringList(r.begin(), r.end());
}

QStringList OverviewColumnCaptions() {
  QStringList l;
  for (const TColumn& c : kColumns) l << U8(c.Caption);
  return l;
}
QStringList OverviewMonthCells(const TOverviewMonth& month, const TControlRuleSet& rules) {
  const TRow r = MonthRow(month, rules);
  return QStringList(r.begin(), r.end());
}
QStringList OverviewPlantCells(const TOverview& overview, const TOverviewPlant& plant,
                               const TControlRuleSet& rules) {
  const TRow r = PlantRow(overview, plant, rules);
  return QStringList(r.begin(), r.end());
}

TReportSetup OverviewReportSetup() {
  TReportSetup s = SheetReportSetup();
  s.OrientIsPortrait = false;
  return s;
}

TOverviewSheetLayout OverviewSheetLayout(const TRect& page) {
  TOverviewSheetLayout l;
  l.Title = FracRect(page, 0, 0, 1.0L, 0.04L);
  l.Header = FracRect(page, 0, 0.065L, 0.6L, 0.175L);
  l.Seal = FracRect(page, 0.73L, 0.055L, 1.0L, 0.175L);
  l.Chart = FracRect(page, 0, 0.23L, 1.0L, 0.58L);
  l.Table = FracRect(page, 0, 0.6L, 1.0L, 1.0L);
  return l;
}

namespace {

QString PeriodText(int32_t first, int32_t last) {
  if ((first & ~0xFF) == (last & ~0xFF)) return MonthText(first);
  return MonthText(first) + U8("～") + MonthText(last);
}

// The first and last month of the logs of `mixes`.
QString LogsPeriodText(const TOverview& o, const std::vector<std::size_t>& mixes) {
  std::optional<int32_t> first, last;
  for (std::size_t mix : mixes)
    for (std::size_t i : o.StrengthMixes[mix].MonthIndexes) {
      const int32_t g = o.StrengthMonths[i].Getsudo;
      first = first ? std::min(*first, g) : g;
      last = last ? std::max(*last, g) : g;
    }
  return first ? PeriodText(*first, *last) : QString();
}

}  // namespace

QString OverviewPeriodText(const TOverview& o, std::size_t plant) {
  if (plant >= o.Plants.size()) return QString();
  const TOverviewPlant& p = o.Plants[plant];
  if (p.MonthIndexes.empty()) return LogsPeriodText(o, p.MixIndexes);
  return PeriodText(o.Months[p.MonthIndexes.front()].Getsudo, o.Months[p.MonthIndexes.back()].Getsudo);
}

QString StrengthPeriodText(const TOverview& o, std::size_t mix) {
  if (mix >= o.StrengthMixes.size()) return QString();
  return LogsPeriodText(o, {mix});
}

namespace {

// The pages of a table of `rows` rows (the pooled row last), for the
// plant's month table or a mix's strength table.
void AddTablePages(std::vector<TOverviewPage>& pages, std::size_t plant, std::size_t rows, bool strength,
                   std::size_t mix) {
  std::vector<std::size_t> counts;
  for (std::size_t left = rows, room = kFirstPageRows - 1; left > 0; room = kNextPageRows - 1) {
    counts.push_back(std::min(left, room));
    left -= counts.back();
  }
  // The pooled row never stands alone on a page: a month goes with it.
  if (counts.size() > 1 && counts.back() == 1) {
    --counts[counts.size() - 2];
    ++counts.back();
  }
  std::size_t first = 0;
  for (std::size_t k = 0; k < counts.size(); ++k) {
    pages.push_back(TOverviewPage{plant, first, counts[k], static_cast<int>(k),
                                  static_cast<int>(counts.size()), false, strength, mix});
    first += counts[k];
  }
}

}  // namespace

std::vector<TOverviewPage> OverviewPages(const TOverview& overview) {
  std::vector<TOverviewPage> pages;
  for (std::size_t plant = 0; plant < overview.Plants.size(); ++plant) {
    const TOverviewPlant& p = overview.Plants[plant];
    // The slump pages, then a strength page (or more) per mix; a plant of
    // one kind of file alone has only that kind's pages.
    if (!p.MonthIndexes.empty()) AddTablePages(pages, plant, p.MonthIndexes.size() + 1, false, 0);
    for (std::size_t mix : p.MixIndexes)
      AddTablePages(pages, plant, overview.StrengthMixes[mix].MonthIndexes.size() + 1, true, mix);
  }
  const std::size_t failed = overview.FailedFiles.size();
  const std::size_t perPage = kNextPageRows - 1;
  const int parts = static_cast<int>((failed + perPage - 1) / perPage);
  for (std::size_t first = 0; first < failed; first += perPage)
    pages.push_back(TOverviewPage{0, first, std::min(perPage, failed - first),
                                  static_cast<int>(first / perPage), parts, true});
  return pages;
}

void DrawOverviewSheet(TCanvas& canvas, const TRect& pageRect, const TOverview& overview,
                       const TOverviewPage& page, const TSettings& settings) {
  if (page.Failures) {
    DrawFailurePage(canvas, pageRect, overview, page, settings);
    return;
  }
  if (page.Plant >= overview.Plants.size()) return;
  if (page.Strength) {
    DrawStrengthPage(canvas, pageRect, overview, page, settings);
    return;
  }
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);

  const TOverviewSheetLayout l = OverviewSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8("スランプ試験（年間推移）"));
  DrawHeader(a, l.Header, overview, page, settings);

  const int r = l.Seal.Height() / 3;
  DrawSealBoxes(a, l.Seal.Left, l.Seal.Right, l.Seal.Top, l.Seal.Top + r, l.Seal.Bottom,
                RoundOff(0.5L * r), settings);

  const std::vector<TRow> all = PlantRows(overview, page.Plant, settings.ControlRules);
  const std::size_t from = std::min(page.FirstRow, all.size());
  const std::size_t to = std::min(from + page.Rows, all.size());
  const std::vector<TRow> rows(all.begin() + static_cast<std::ptrdiff_t>(from),
                               all.begin() + static_cast<std::ptrdiff_t>(to));
  const long double rowH = static_cast<long double>(l.Table.Height()) / kFirstPageRows;
  if (page.Part == 0) {
    DrawChartCaption(a, l.Chart, overview, page.Plant);
    const std::vector<TTrendPoint> points = TrendPoints(overview, page.Plant);
    DrawTrendChartDoc(canvas, l.Chart, a, points);
    // The chart leaves its own pen, brush and fonts behind.
    ResetSheetCanvas(canvas);
    DrawTable(a, l.Table, kColumns, rows, rowH, to == all.size());
  } else {
    // The table alone, from where the chart stands on the first page.
    DrawTable(a, TRect{l.Table.Left, FracY(pageRect, 0.21L), l.Table.Right, l.Table.Bottom}, kColumns, rows,
              rowH, to == all.size());
  }
}

}  // namespace kestrin
