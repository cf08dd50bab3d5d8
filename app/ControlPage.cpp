// The X̄－R管理図 tab; see ControlPage.h.
#include "ControlPage.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "AppFonts.h"
#include "SignalPage.h"
#include "charts/XChart.h"
#include "charts/XbarRChart.h"
#include "platform/QtCanvas.h"
#include "widgets/Cell.h"

namespace kestrin {

namespace {

const QColor kPageColor(0xF9, 0xF3, 0xDF);  // as the window's header
const QColor kInfoColor(0xEB, 0xEB, 0xEB);
const QColor kHeadingColor(0x10, 0x92, 0x5A);
const QColor kRowColor(0xFF, 0xFF, 0xFF);
constexpr int kMargin = 4;
constexpr int kInfoHeight = 20;
constexpr int kListRows = 3;  // rows of signals the page keeps room for
constexpr int kScrollWidth = 16;

}  // namespace

TControlPage::TControlPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ControlPage"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->hide();
  connect(scrollBar_, &QScrollBar::valueChanged, this, [this] { update(); });
  SetContents(nullptr, {}, {}, {});
}

void TControlPage::SetContents(const TMainData* month, TControlChart chart, const TCapabilityBounds& bounds,
                               const TControlRuleSet& rules) {
  month_ = month;
  chart_ = std::move(chart);
  if (!chart_.Limits) {
    info_ = QStringLiteral("管理限界：－（完全な群が%1群，5群以上で計算）").arg(chart_.Points.size());
  } else {
    info_ = QString::fromStdString(ReferenceText(chart_)) + QStringLiteral("　Cp(群内) ") +
            CapabilityText(bounds.CpWithin) + QStringLiteral("　Cpk(群内) ") +
            CapabilityText(bounds.CpkWithin);
  }
  heading_ = QStringLiteral("管理外れ（ルール %1）").arg(RuleListText(rules));
  rows_.clear();
  const int32_t getsudo = month ? month->BasicInfo.Getsudo : 0;
  for (const TControlSignal& s : chart_.Signals) rows_ << ControlSignalText(getsudo, s);
  hasSignals_ = !rows_.isEmpty();
  if (!hasSignals_) rows_ << (chart_.Limits ? QStringLiteral("該当なし") : QStringLiteral("－"));
  UpdateScrollBar();
  update();
}

QRect TControlPage::ListRect() const {
  const int h = kListRows * kRowHeight;
  return QRect(kMargin, height() - kMargin - h, std::max(0, width() - 2 * kMargin), h);
}

QRect TControlPage::InfoRect() const {
  const QRect list = ListRect();
  return QRect(kMargin, list.top() - kRowHeight - kInfoHeight - 2, list.width(), kInfoHeight);
}

QRect TControlPage::ChartRect() const { return QRect(0, 0, width(), std::max(0, InfoRect().top() - 2)); }

int TControlPage::VisibleRows() const { return std::max(1, ListRect().height() / kRowHeight); }

void TControlPage::UpdateScrollBar() {
  const int hidden = static_cast<int>(rows_.size()) - VisibleRows();
  scrollBar_->setVisible(hidden > 0);
  scrollBar_->setRange(0, std::max(0, hidden));
  scrollBar_->setPageStep(VisibleRows());
  const QRect l = ListRect();
  scrollBar_->setGeometry(l.right() + 1 - kScrollWidth, l.top(), kScrollWidth, l.height());
}

void TControlPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateScrollBar();
}

void TControlPage::wheelEvent(QWheelEvent* event) {
  if (!scrollBar_->isVisible()) return QWidget::wheelEvent(event);
  scrollBar_->setValue(scrollBar_->value() - event->angleDelta().y() / 120);
  event->accept();
}

void TControlPage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kPageColor);
  if (month_) {
    const QRect c = ChartRect();
    p.fillRect(c, Qt::white);
    p.setFont(font());
    TQtCanvas canvas(&p);
    DrawXbarRChart(canvas, TRect{c.left(), c.top(), c.right() + 1, c.bottom() + 1}, *month_, chart_);
  }
  p.setClipping(false);
  const QRect info = InfoRect();
  p.fillRect(info, kInfoColor);
  DrawCellText(p, info, info_, UnitFont(), Qt::black, TCellAlign::Left, 4);
  DrawRaisedFrame(p, info);

  const QRect list = ListRect();
  const QRect heading(list.left(), list.top() - kRowHeight, list.width(), kRowHeight);
  p.fillRect(heading, kHeadingColor);
  DrawCellText(p, heading, heading_, UnitFont(), Qt::white, TCellAlign::Left, 4);
  DrawRaisedFrame(p, heading);

  const int first = scrollBar_->isVisible() ? scrollBar_->value() : 0;
  const int textWidth = list.width() - (scrollBar_->isVisible() ? kScrollWidth : 0);
  const int shown = std::min(VisibleRows(), static_cast<int>(rows_.size()) - first);
  p.setClipRect(list);
  for (int i = 0; i < shown; ++i) {
    const QRect r(list.left(), list.top() + i * kRowHeight, textWidth, kRowHeight);
    p.fillRect(r, kRowColor);
    int indent = 4;
    if (hasSignals_) {
      // The ring the chart draws around the points of a signal.
      p.setPen(QPen(ToQColor(kXSignalRingColor), kXSignalRingWidth));
      p.setBrush(Qt::NoBrush);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.drawEllipse(QPointF(r.left() + 12, r.center().y() + 0.5), kXSignalRingRadius, kXSignalRingRadius);
      p.setRenderHint(QPainter::Antialiasing, false);
      indent = 24;
    }
    DrawCellText(p, r.adjusted(indent - 4, 0, 0, 0), rows_[first + i], UnitFont(), Qt::black,
                 TCellAlign::Left, 4);
    DrawRaisedFrame(p, r);
  }
}

}  // namespace kestrin
