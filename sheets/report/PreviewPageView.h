// The page view of the preview window: the scrolled content, drawn from
// what the window tells it through a few functions.
#pragma once

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QWidget>

#include <functional>

#include "sheets/report/PreviewZoom.h"

namespace kestrin {

// What the view asks of its window.
struct TPreviewPageHooks {
  std::function<QSize()> ShownSize;          // the page's displayed size
  std::function<const QImage&()> Rendering;  // the page at that size
  std::function<QPoint()> ScrollPosition;
  std::function<void(QPoint)> SetScrollPosition;
  std::function<void(QPoint)> CentreOn;      // a point of the content
};

// The scrolled content: the page at its displayed size on a grey ground,
// with a frame and a shadow line at the right and bottom edges. The left
// button drags the page; a double click brings the clicked point to the
// centre of the visible area.
class TPreviewPageView : public QWidget {
 public:
  explicit TPreviewPageView(TPreviewPageHooks hooks) : QWidget(nullptr), m_hooks(std::move(hooks)) {
    setCursor(Qt::OpenHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x80, 0x80, 0x80));
    const QSize shown = m_hooks.ShownSize();
    const QPoint o = PageOrigin(shown, size());
    const QRect page(o, shown);
    p.fillRect(page, Qt::white);
    const QImage& img = m_hooks.Rendering();
    if (!img.isNull()) p.drawImage(o, img);
    // Frame one pixel outside the page, shadow on the second pixel at the
    // right and at the bottom.
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.drawRect(page.adjusted(-1, -1, 0, 0));
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.drawLine(page.right() + 2, page.top() + 1, page.right() + 2, page.bottom() + 2);
    p.drawLine(page.left() + 1, page.bottom() + 2, page.right() + 2, page.bottom() + 2);
  }

  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    m_dragging = true;
    m_dragStart = e->globalPosition().toPoint();
    m_scrollStart = m_hooks.ScrollPosition();
    setCursor(Qt::ClosedHandCursor);
  }

  void mouseMoveEvent(QMouseEvent* e) override {
    if (!m_dragging) return;
    const QPoint d = e->globalPosition().toPoint() - m_dragStart;
    m_hooks.SetScrollPosition(m_scrollStart - d);
  }

  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton) return;
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
  }

  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) m_hooks.CentreOn(e->position().toPoint());
  }

 private:
  TPreviewPageHooks m_hooks;
  bool m_dragging = false;
  QPoint m_dragStart;
  QPoint m_scrollStart;
};

}  // namespace kestrin
