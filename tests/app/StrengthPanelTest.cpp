// The strength window's panel: the lots with their judgements, the month
// summary with the margin's colour, and the figures as the command line
// gives them.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTableWidget>

#include "app/StrengthPanel.h"
#include "core/StrengthFile.h"

namespace kestrin {
namespace {

constexpr char kSample[] = KESTRIN_SOURCE_DIR "/examples/sample-strength.kst";

QString Text(const QTableWidget* t, int row, int column) {
  const QTableWidgetItem* item = t->item(row, column);
  return item ? item->text() : QStringLiteral("(none)");
}
QColor Color(const QTableWidget* t, int row, int column) {
  const QTableWidgetItem* item = t->item(row, column);
  return item && item->foreground().style() != Qt::NoBrush ? item->foreground().color() : QColor();
}

TEST(StrengthPanel, MarginAndFailuresColouredAtTheirBoundsAndLotsJudged) {
  TStrengthPanel panel;
  const QTableWidget* s = panel.SummaryTable();
  TStrengthFigures f;
  f.Summary.Margin = 0;
  panel.Show(TStrengthLog{}, f);
  EXPECT_EQ(Text(s, TStrengthPanel::rowMargin, 1), "0.00");
  EXPECT_EQ(Color(s, TStrengthPanel::rowMargin, 1), TStrengthPanel::kGoodColor);
  EXPECT_EQ(Color(s, TStrengthPanel::rowFailedTests, 1), QColor());
  EXPECT_EQ(Color(s, TStrengthPanel::rowFailedLots, 1), QColor());
  f.Summary.Margin = -1;
  f.FailedTests = 1;
  f.FailedLots = 1;
  panel.Show(TStrengthLog{}, f);
  EXPECT_EQ(Text(s, TStrengthPanel::rowMargin, 1), "-0.01");
  EXPECT_EQ(Color(s, TStrengthPanel::rowMargin, 1), TStrengthPanel::kBadColor);
  EXPECT_EQ(Color(s, TStrengthPanel::rowFailedTests, 1), TStrengthPanel::kBadColor);
  EXPECT_EQ(Color(s, TStrengthPanel::rowFailedLots, 1), TStrengthPanel::kBadColor);

  // Lots: a run of tests, tests around one that cures, and a pending lot.
  f.Lots = {{{1, 2, 3}, 240, true}, {{4, 5, 7}, 239, false}, {{8}, std::nullopt, std::nullopt}};
  panel.Show(TStrengthLog{}, f);
  const QTableWidget* l = panel.LotTable();
  ASSERT_EQ(l->rowCount(), 3);
  const QStringList expected[] = {
      {"1", "1–3", "24.0", "合格"}, {"2", "4・5・7", "23.9", "不合格"}, {"3", "8", "－", "判定待ち"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < TStrengthPanel::kLotColumns; ++c)
      EXPECT_EQ(Text(l, r, c), expected[r][c]) << r << "," << c;
  EXPECT_EQ(Color(l, 0, TStrengthPanel::colJudgement), QColor());
  EXPECT_EQ(Color(l, 1, TStrengthPanel::colJudgement), TStrengthPanel::kBadColor);
  EXPECT_EQ(Color(l, 1, TStrengthPanel::colMean), TStrengthPanel::kBadColor);
}

TEST(StrengthPanel, AnEmptyLogShowsDashesAndPaints) {
  TStrengthPanel panel;
  panel.resize(900, 260);
  const TStrengthLog log;
  panel.Show(log, ComputeStrengthFigures(log));
  EXPECT_EQ(panel.LotTable()->rowCount(), 0);
  const QTableWidget* s = panel.SummaryTable();
  EXPECT_EQ(Text(s, TStrengthPanel::rowCount, 1), "0");
  for (int r = TStrengthPanel::rowMean; r <= TStrengthPanel::rowMargin; ++r) {
    EXPECT_EQ(Text(s, r, 1), "－") << r;
    EXPECT_EQ(Color(s, r, 1), QColor()) << r;
  }
  EXPECT_FALSE(panel.grab().isNull());
}

// The panel's figures are the command line's, rounded as shown.
TEST(StrengthPanel, FiguresMatchTheCommandLinesStats) {
  QProcess cli;
  cli.start(QStringLiteral(KESTRIN_BIN_DIR "/kestrin-cli"),
            {QStringLiteral("strength"), QStringLiteral("stats"), QString::fromUtf8(kSample)});
  ASSERT_TRUE(cli.waitForFinished(10000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const QJsonObject stats = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();

  TStrengthLog log;
  ASSERT_TRUE(LoadStrengthFile(kSample, log));
  TStrengthPanel panel;
  panel.Show(log, ComputeStrengthFigures(log));

  const QJsonObject sum = stats["Summary"].toObject();
  const QTableWidget* s = panel.SummaryTable();
  EXPECT_EQ(Text(s, TStrengthPanel::rowCount, 1), QString::number(sum["Count"].toInt()));
  const std::pair<TStrengthPanel::TSummaryRow, const char*> figures[] = {
      {TStrengthPanel::rowMean, "Mean"},
      {TStrengthPanel::rowSigma, "Sigma"},
      {TStrengthPanel::rowRequiredMean, "RequiredMean"},
      {TStrengthPanel::rowMargin, "Margin"}};
  for (const auto& [row, key] : figures)
    EXPECT_EQ(Text(s, row, 1), QString::number(sum[key].toDouble(), 'f', 2)) << key;
  EXPECT_EQ(Text(s, TStrengthPanel::rowMin, 1), QString::number(sum["Min"].toDouble(), 'f', 1));
  EXPECT_EQ(Text(s, TStrengthPanel::rowMax, 1), QString::number(sum["Max"].toDouble(), 'f', 1));
  EXPECT_EQ(Color(s, TStrengthPanel::rowMargin, 1),
            sum["Margin"].toDouble() >= 0 ? TStrengthPanel::kGoodColor : TStrengthPanel::kBadColor);

  const QJsonArray lots = stats["Lots"].toArray();
  const QTableWidget* l = panel.LotTable();
  ASSERT_EQ(l->rowCount(), lots.size());
  for (int r = 0; r < lots.size(); ++r) {
    const QJsonObject lot = lots[r].toObject();
    const QJsonArray tests = lot["Tests"].toArray();
    const QString run = tests.size() == 1
                            ? QString::number(tests.first().toInt())
                            : QStringLiteral("%1–%2").arg(tests.first().toInt()).arg(tests.last().toInt());
    EXPECT_EQ(Text(l, r, TStrengthPanel::colTests), run) << r;
    EXPECT_EQ(Text(l, r, TStrengthPanel::colMean),
              lot["Mean"].isNull() ? QStringLiteral("－") : QString::number(lot["Mean"].toDouble(), 'f', 1))
        << r;
    EXPECT_EQ(Text(l, r, TStrengthPanel::colJudgement), lot["Pass"].isNull()   ? "判定待ち"
                                                        : lot["Pass"].toBool() ? "合格"
                                                                               : "不合格")
        << r;
  }
}

}  // namespace
}  // namespace kestrin
