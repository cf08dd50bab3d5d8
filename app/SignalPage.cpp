#include "SignalPage.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "AppFonts.h"
#include "charts/XChart.h"
#include "core/Numbers.h"
#include "widgets/Cell.h"
#include "widgets/EditCells.h"

namespace kestrin {

namespace {

const QColor kPageColor(0xF9, 0xF3, 0xDF);         // as the window's header
const QColor kResultLabelColor(0xDE, 0x77, 0x50);  // as the mean and sigma labels
const QColor kResultValueColor(0xEB, 0xEB, 0xEB);
const QColor kHeadingColor(0x10, 0x92, 0x5A);
const QColor kRowColor(0xFF, 0xFF, 0xFF);
constexpr int kMargin = 8;
constexpr int kCell = 26;
constexpr int kLabelWidth = 64;
constexpr int kValueWidth = 80;
constexpr int kScrollWidth = 16;

QString Count(int32_t n) { return QString::number(n) + QStringLiteral("点"); }

}  // namespace

QString SignalDateText(int32_t getsudo, const TSignalValue& v) {
  return QStringLiteral("%1月%2日 %3")
      .arg(DateMonth(getsudo))
      .arg(v.Day)
      .arg(v.Half == 0 ? QStringLiteral("午前") : QStringLiteral("午後"));
}

QString SignalText(int32_t getsudo, const TSignal& s) {
  QString what;
  switch (s.Rule) {
    case TSignalRule::Run:
      what = (s.Side == TSignalSide::Above ? QStringLiteral("中心線の上側に") : QStringLiteral("中心線の下側に")) +
             Count(s.Count) + QStringLiteral("連続");
      break;
    case TSignalRule::Trend:
      what = Count(s.Count) +
             (s.Side == TSignalSide::Up ? QStringLiteral("連続して上昇") : QStringLiteral("連続して下降"));
      break;
    case TSignalRule::NearLimit:
      what = (s.Side == TSignalSide::Above ? QStringLiteral("上限") : QStringLiteral("下限")) +
             QStringLiteral("寄り（許容値の2/3超）に") + Count(s.Count);
      break;
  }
  return SignalDateText(getsudo, s.From) + QStringLiteral(" 〜 ") + SignalDateText(getsudo, s.To) +
         QStringLiteral("：") + what;
}

QString CapabilityText(const std::optional<double>& index) {
  return index ? FormatFixed(*index, 2) : QStringLiteral("－");
}

TSignalPage::TSignalPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SignalPage"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->hide();
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this] { update(); });
  SetContents({}, {}, 0, {});
}

void TSignalPage::SetContents(const TCapability& capability, const std::vector<TSignal>& found,
                              int32_t getsudo, const TSignalLengths& lengths) {
  cp_ = CapabilityText(capability.Cp);
  cpk_ = CapabilityText(capability.Cpk);
  heading_ = QStringLiteral("管理状態の判定（連%1点・傾向%2点・限界接近 3点中2点）")
                 .arg(lengths.RunLength)
                 .arg(lengths.TrendLength);
  rows_.clear();
  for (const TSignal& s : found) rows_ << SignalText(getsudo, s);
  hasSignals_ = !rows_.isEmpty();
  if (!hasSignals_) rows_ << QStringLiteral("該当なし");
  UpdateScrollBar();
  update();
}

QRect TSignalPage::ListRect() const {
  const int top = kMargin + kCell + kMargin + kCell;
  return QRect(kMargin, top, std::max(0, width() - 2 * kMargin), std::max(0, height() - top - kMargin));
}

int TSignalPage::VisibleRows() const { return std::max(1, ListRect().height() / kRowHeight); }

void TSignalPage::UpdateScrollBar() {
  const int hidden = static_cast<int>(rows_.size()) - VisibleRows();
  scrollBar_->setVisible(hidden > 0);
  scrollBar_->setRange(0, std::max(0, hidden));
  scrollBar_->setPageStep(VisibleRows());
  const QRect l = ListRect();
  scrollBar_->setGeometry(l.right() + 1 - kScrollWidth, l.top(), kScrollWidth,
                          std::min(l.height(), static_cast<int>(rows_.size()) * kRowHeight));
}

void TSignalPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateScrollBar();
}

void TSignalPage::wheelEvent(QWheelEvent* event) {
  if (!scrollBar_->isVisible()) return QWidget::wheelEvent(event);
  const int steps = event->angleDelta().y() / 120;
  scrollBar_->setValue(scrollBar_->value() - steps);
  event->accept();
}

void TSignalPage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kPageColor);
  auto cell = [&p](const QRect& r, const QColor& back, const QString& text, const QFont& font,
                   const QColor& color, TCellAlign align) {
    p.fillRect(r, back);
    DrawCellText(p, r, text, font, color, align, 4);
    DrawRaisedFrame(p, r);
  };

  int x = kMargin;
  const int y = kMargin;
  cell(QRect(x, y, kLabelWidth, kCell), kResultLabelColor, QStringLiteral("Cp"), LabelFont(), Qt::white,
       TCellAlign::Center);
  x += kLabelWidth;
  cell(QRect(x, y, kValueWidth, kCell), kResultValueColor, cp_, ValueFont(), Qt::black, TCellAlign::Right);
  x += kValueWidth + kMargin;
  cell(QRect(x, y, kLabelWidth, kCell), kResultLabelColor, QStringLiteral("Cpk"), LabelFont(), Qt::white,
       TCellAlign::Center);
  x += kLabelWidth;
  cell(QRect(x, y, kValueWidth, kCell), kResultValueColor, cpk_, ValueFont(), Qt::black, TCellAlign::Right);

  const QRect list = ListRect();
  cell(QRect(list.left(), list.top() - kCell, list.width(), kCell), kHeadingColor, heading_, LabelFont(),
       Qt::white, TCellAlign::Left);

  const int first = scrollBar_->isVisible() ? scrollBar_->value() : 0;
  const int textWidth = list.width() - (scrollBar_->isVisible() ? kScrollWidth : 0);
  const int shown = std::min(VisibleRows(), static_cast<int>(rows_.size()) - first);
  p.setClipRect(list);
  for (int i = 0; i < shown; ++i) {
    const QRect r(list.left(), list.top() + i * kRowHeight, textWidth, kRowHeight);
    p.fillRect(r, kRowColor);
    int indent = 4;
    if (hasSignals_) {
      // The ring the X chart draws around the values of a signal.
      const QColor ring = ToQColor(kXSignalRingColor);
      p.setPen(QPen(ring, kXSignalRingWidth));
      p.setBrush(Qt::NoBrush);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.drawEllipse(QPointF(r.left() + 12, r.center().y() + 0.5), kXSignalRingRadius, kXSignalRingRadius);
      p.setRenderHint(QPainter::Antialiasing, false);
      indent = 24;
    }
    DrawCellText(p, r.adjusted(indent - 4, 0, 0, 0), rows_[first + i], UnitFont(), Qt::black, TCellAlign::Left, 4);
    DrawRaisedFrame(p, r);
  }
}

}  // namespace kestrin
