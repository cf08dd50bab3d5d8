// The strength window's lots, summary and chart (see StrengthPanel.h).
#include "StrengthPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>

#include <array>

#include "charts/CanvasAssist.h"
#include "charts/StrengthChart.h"
#include "platform/QtCanvas.h"

namespace kestrin {

// The x–Rs–Rm chart on screen: paints the copy it was last given.
class TStrengthChartBox : public QWidget {
 public:
  explicit TStrengthChartBox(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }

  void SetContents(const TStrengthLog& log, const TStrengthFigures& figures) {
    log_ = log;
    figures_ = figures;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    TQtCanvas canvas(&p);
    // Every weight 0: one-pixel lines on screen.
    TCanvasAssist assist(&canvas);
    const int m = 6;
    DrawStrengthChart(canvas, TRect{m, m, width() - m, height() - m}, assist, log_, figures_);
  }

 private:
  TStrengthLog log_;
  TStrengthFigures figures_;
};

namespace {

constexpr std::array<const char*, TStrengthPanel::kSummaryRows> kSummaryCaptions = {
    "試験数", "平均 x̄", "標準偏差 σ", "最小", "最大", "必要平均強度", "余裕", "不合格試験", "不合格ロット"};
constexpr std::array<const char*, TStrengthPanel::kLotColumns> kLotCaptions = {"ロット", "試験", "平均",
                                                                               "判定"};
constexpr char kNone[] = "－";

QString Scaled(const std::optional<int32_t>& v, int decimals) {
  return QString::fromStdString(v ? FormatScaled(*v, decimals) : std::string(kNone));
}

// The test numbers of a lot: "4–6" for a run, "4・5・7" when a test that
// still cures lies between them.
QString LotTests(const std::vector<std::size_t>& tests) {
  if (tests.empty()) return QString::fromUtf8(kNone);
  bool run = true;
  for (std::size_t k = 1; k < tests.size(); ++k) run = run && tests[k] == tests[k - 1] + 1;
  const auto number = [](std::size_t n) { return QString::number(static_cast<qulonglong>(n)); };
  if (tests.size() == 1) return number(tests[0]);
  if (run) return number(tests.front()) + QChar(0x2013) + number(tests.back());
  QStringList parts;
  for (const std::size_t t : tests) parts << number(t);
  return parts.join(QChar(0x30FB));
}

QTableWidget* MakeTable(QWidget* parent, int columns, const std::vector<const char*>& captions) {
  auto* t = new QTableWidget(0, columns, parent);
  QStringList labels;
  for (const char* c : captions) labels << QString::fromUtf8(c);
  t->setHorizontalHeaderLabels(labels);
  t->verticalHeader()->hide();
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->setFocusPolicy(Qt::NoFocus);
  t->setWordWrap(false);
  t->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  return t;
}

void Put(QTableWidget* t, int row, int column, const QString& text, Qt::Alignment align,
         const QColor& color = QColor()) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(align | Qt::AlignVCenter);
  if (color.isValid()) item->setForeground(color);
  t->setItem(row, column, item);
}

// Columns wide enough for their texts, the table as wide as its columns.
void FitWidth(QTableWidget* t, const QStringList& widest) {
  int total = 2 * t->frameWidth();
  const QFontMetrics fm = t->fontMetrics();
  for (int c = 0; c < t->columnCount(); ++c) {
    const int text = fm.horizontalAdvance(c < widest.size() ? widest[c] : QString());
    const int header = fm.horizontalAdvance(t->horizontalHeaderItem(c)->text());
    const int w = std::max(text, header) + 16;
    t->setColumnWidth(c, w);
    total += w;
  }
  // Room for the scroll bar of a long list.
  t->setFixedWidth(total + t->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

}  // namespace

TStrengthPanel::TStrengthPanel(QWidget* parent) : QWidget(parent) {
  lots_ = MakeTable(this, kLotColumns, {kLotCaptions.begin(), kLotCaptions.end()});
  summary_ = MakeTable(this, 2, {"月のまとめ", "N/mm²"});
  summary_->setRowCount(kSummaryRows);
  summary_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  for (int r = 0; r < kSummaryRows; ++r)
    Put(summary_, r, 0, QString::fromUtf8(kSummaryCaptions[static_cast<std::size_t>(r)]), Qt::AlignLeft);
  FitWidth(lots_, {QStringLiteral("ロット"), QStringLiteral("199–200"), QStringLiteral("199.9"),
                   QStringLiteral("判定待ち")});
  FitWidth(summary_, {QStringLiteral("必要平均強度"), QStringLiteral("-199.99")});
  chart_ = new TStrengthChartBox(this);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(lots_);
  layout->addWidget(summary_);
  layout->addWidget(chart_, 1);
  // The summary whole, without scrolling, where the window allows.
  setMinimumHeight(summary_->horizontalHeader()->height() +
                   kSummaryRows * summary_->verticalHeader()->defaultSectionSize() +
                   2 * summary_->frameWidth());
  Show(TStrengthLog{}, TStrengthFigures{});
}

TStrengthPanel::~TStrengthPanel() = default;

const QWidget* TStrengthPanel::ChartBox() const { return chart_; }

void TStrengthPanel::Show(const TStrengthLog& log, const TStrengthFigures& figures) {
  const Qt::Alignment right = Qt::AlignRight;
  lots_->setRowCount(static_cast<int>(figures.Lots.size()));
  for (std::size_t k = 0; k < figures.Lots.size(); ++k) {
    const TStrengthLot& lot = figures.Lots[k];
    const int row = static_cast<int>(k);
    Put(lots_, row, colLot, QString::number(static_cast<qulonglong>(k + 1)), right);
    Put(lots_, row, colTests, LotTests(lot.Tests), Qt::AlignCenter);
    const bool failed = lot.Pass == false;
    Put(lots_, row, colMean, Scaled(lot.Mean, 1), right, failed ? kBadColor : QColor());
    const char* judgement = !lot.Pass ? "判定待ち" : *lot.Pass ? "合格" : "不合格";
    Put(lots_, row, colJudgement, QString::fromUtf8(judgement), Qt::AlignCenter,
        !lot.Pass ? QColor(Qt::darkGray)
        : failed  ? kBadColor
                  : QColor());
  }

  const TStrengthSummary& s = figures.Summary;
  Put(summary_, rowCount, 1, QString::number(static_cast<qulonglong>(s.Count)), right);
  Put(summary_, rowMean, 1, Scaled(s.Mean, 2), right);
  Put(summary_, rowSigma, 1, Scaled(s.Sigma, 2), right);
  Put(summary_, rowMin, 1, Scaled(s.Min, 1), right);
  Put(summary_, rowMax, 1, Scaled(s.Max, 1), right);
  Put(summary_, rowRequiredMean, 1, Scaled(s.RequiredMean, 2), right);
  Put(summary_, rowMargin, 1, Scaled(s.Margin, 2), right,
      !s.Margin        ? QColor()
      : *s.Margin >= 0 ? kGoodColor
                       : kBadColor);
  Put(summary_, rowFailedTests, 1, QString::number(figures.FailedTests), right,
      figures.FailedTests > 0 ? kBadColor : QColor());
  Put(summary_, rowFailedLots, 1, QString::number(figures.FailedLots), right,
      figures.FailedLots > 0 ? kBadColor : QColor());

  chart_->SetContents(log, figures);
}

}  // namespace kestrin
