#include "ChartTabs.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace kestrin {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Background);
  if (OnPaint) {
    p.save();
    OnPaint(p, QRect(0, 0, width(), height()));
    p.restore();
  }
}

TTabCell::TTabCell(QString name) : TCell(std::move(name)) {
  TabStop = true;
  Align = TCellAlign::Center;
}

void TTabCell::Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const {
  const TCellColors c = Colors(state);
  p.fillRect(r, c.Back);
  QFont f = Font;
  f.setBold(Selected);
  DrawCellText(p, r, DisplayText(), f, c.Text, TCellAlign::Center, Margin);
  // Tab outline: light left and top, shadow right; the selected tab opens
  // into the page below.
  const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  p.setPen(QColor(255, 255, 255));
  p.drawLine(l, t, rt - 1, t);
  p.drawLine(l, t, l, b);
  p.setPen(QColor(128, 128, 128));
  p.drawLine(rt, t, rt, b);
  if (!Selected) {
    p.setPen(QColor(255, 255, 255));
    p.drawLine(l, b, rt, b);
  }
}

TChartTabs::TChartTabs(QWidget* parent) : TCellArea(parent) {
  Background = Darkened(palette().color(QPalette::Button));
  connect(this, &TCellArea::ActiveIndexChanged, this, [this](int i) {
    if (i >= 0) SetCurrentTab(i);
  });
}

TChartTabs::~TChartTabs() = default;

QColor TChartTabs::Darkened(const QColor& c, int by) {
  return QColor(std::max(0, c.red() - by), std::max(0, c.green() - by), std::max(0, c.blue() - by));
}

TTabCell* TChartTabs::AddTab(const QString& name, const QString& caption,
                             const QString& statusMessage, QWidget* page) {
  auto cell = std::make_unique<TTabCell>(name);
  cell->Caption = caption;
  cell->StatusMessage = statusMessage;
  cell->Color = TabColor;
  TTabCell* raw = cell.get();
  page->setParent(this);
  page->setGeometry(PageRect());
  page->hide();
  tabs_.push_back(TTab{std::move(cell), page});
  if (current_ < 0) SetCurrentTab(0);
  update();
  return raw;
}

void TChartTabs::SetCurrentTab(int index) {
  if (index < 0 || index >= TabCount() || index == current_) return;
  current_ = index;
  for (int i = 0; i < TabCount(); ++i) {
    Tab(i)->Selected = i == index;
    Page(i)->setVisible(i == index);
  }
  if (ActiveIndex() >= 0 && ActiveIndex() != index) SetActiveIndex(index);
  update();
  emit CurrentTabChanged(index);
}

QRect TChartTabs::PageRect() const {
  return QRect(3, TabHeight + 2, std::max(0, width() - 6), std::max(0, height() - TabHeight - 5));
}

QRect TChartTabs::CellRect(int index) const {
  const bool sel = index == current_;
  // The selected tab stands 2 px higher and reaches down into the page frame.
  return QRect(2 + index * TabWidth, sel ? 1 : 3, TabWidth, TabHeight + (sel ? 1 : -1));
}

int TChartTabs::Neighbour(int from, int key) const {
  if (key == Qt::Key_Left && from > 0) return from - 1;
  if (key == Qt::Key_Right && from >= 0 && from + 1 < TabCount()) return from + 1;
  return -1;
}

void TChartTabs::paintEvent(QPaintEvent* event) {
  TCellArea::paintEvent(event);
  QPainter p(this);
  // The page frame around the shown chart.
  const QRect frame = PageRect().adjusted(-2, -2, 1, 1);
  p.setPen(QColor(255, 255, 255));
  p.drawLine(frame.topLeft(), frame.topRight());
  p.drawLine(frame.topLeft(), frame.bottomLeft());
  p.setPen(QColor(64, 64, 64));
  p.drawLine(frame.bottomLeft(), frame.bottomRight());
  p.drawLine(frame.topRight(), frame.bottomRight());
  if (current_ >= 0) {
    // Open the frame under the selected tab.
    const QRect t = CellRect(current_);
    p.setPen(Tab(current_)->Color);
    p.drawLine(t.left() + 1, frame.top(), t.right() - 1, frame.top());
    Tab(current_)->Paint(p, t, TCellPaintState{ActiveIndex() == current_, false, palette()});
  }
}

void TChartTabs::resizeEvent(QResizeEvent* event) {
  TCellArea::resizeEvent(event);
  for (const TTab& t : tabs_) t.Page->setGeometry(PageRect());
}

void TChartTabs::mousePressEvent(QMouseEvent* event) {
  // A click shows the tab's chart and makes the tab the active cell, as
  // reaching it by keyboard does: the cell before commits and the status
  // line shows the tab's message.
  if (event->button() != Qt::LeftButton) return;
  const int i = CellIndexAt(event->position().toPoint());
  if (i < 0) return;
  SetCurrentTab(i);
  TCellArea::mousePressEvent(event);
}

}  // namespace kestrin
