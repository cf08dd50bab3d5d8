// The printed X̄–R sheet on recorded operations: title, limits' source,
// limit and capability figures, and the signal list with its last row.
#include <gtest/gtest.h>

#include "SheetRecording.h"
#include "charts/XbarRChart.h"
#include "sheets/XbarRSheet.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// Days 1-10 at 18.0/19.0 cm: X̿ = 18.50, R̄ = 1.00.
TMainData Month() {
  std::vector<TDayValues> days;
  for (int d = 1; d <= 10; ++d) days.push_back({d, 1800, 1900});
  return MakeMonth(days);
}

TRecordedSheet Record(const TMainData& data, const TControlChart& chart) {
  const TSettings settings;
  return RecordSheet([&](TCanvas& c, const TRect& r) { DrawXbarRSheet(c, r, data, settings, chart); });
}

// `n` rule-1 signals on day 1.
TControlChart WithSignals(const TMainData& data, int n) {
  TControlChart chart = ComputeControlChart(data, {});
  chart.Signals.assign(static_cast<std::size_t>(n), TControlSignal{1, TControlChartKind::Xbar, TControlSide::Above, 0, 0, 1, 1, 1});
  return chart;
}

}  // namespace

TEST(XbarRSheet, TitleSourceFiguresAndNoSignals) {
  const TMainData d = Month();
  const TRecordedSheet s = Record(d, ComputeControlChart(d, {}));
  EXPECT_TRUE(s.HasText(QStringLiteral("スランプ試験（X̄－R管理図）")));
  EXPECT_TRUE(s.HasText(QStringLiteral("　基準：当月（10群）")));
  EXPECT_TRUE(s.HasText(QStringLiteral("《管理外れ》　ルール 1・2・3・5")));
  EXPECT_TRUE(s.HasText(QStringLiteral("該当なし")));
  bool limits = false;
  for (const auto& t : s.Texts) limits |= t.Str.startsWith(QStringLiteral("X̿ 18.50　UCL 20.38　LCL 16.62"));
  EXPECT_TRUE(limits);
}

TEST(XbarRSheet, TenSignalsAreListedAndMoreEndInACount) {
  const TMainData d = Month();
  const QString line = ControlSignalText(d.BasicInfo.Getsudo, WithSignals(d, 1).Signals[0]);
  const TRecordedSheet ten = Record(d, WithSignals(d, kXbarRSheetSignalRows));
  EXPECT_EQ(ten.TextsEqual(line).size(), static_cast<std::size_t>(kXbarRSheetSignalRows));
  const TRecordedSheet eleven = Record(d, WithSignals(d, kXbarRSheetSignalRows + 1));
  EXPECT_EQ(eleven.TextsEqual(line).size(), static_cast<std::size_t>(kXbarRSheetSignalRows - 1));
  EXPECT_TRUE(eleven.HasText(QStringLiteral("ほか 2 件")));
}

TEST(XbarRSheet, WithoutLimitsTheFiguresSayWhy) {
  const TMainData d = MakeMonth({{1, 1800, 1900}, {2, 1800, 1900}, {3, 1800, 0}});
  const TRecordedSheet s = Record(d, ComputeControlChart(d, {}));
  EXPECT_TRUE(s.HasText(QStringLiteral("　管理限界：－（5群未満）")));
  EXPECT_TRUE(s.HasText(QStringLiteral("管理限界：－（完全な群 2 群，5群以上で計算）")));
  EXPECT_TRUE(s.HasText(QStringLiteral("－")));
}
