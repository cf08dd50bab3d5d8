#include "TitleBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "Cell.h"

namespace kestrin {

TTitleBar::TTitleBar(QWidget* parent) : QWidget(parent) {
  CaptionFont = QFont(QStringLiteral("ＭＳ Ｐ明朝"));
  CaptionFont.setPixelSize(27);
  CaptionFont.setBold(true);
  CaptionFont.setStyleStrategy(QFont::PreferAntialias);
  setFixedHeight(36);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTitleBar::SetCaption(const QString& caption) {
  Caption = caption;
  update();
}

void TTitleBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Color);
  // The framed block at the left end of the band.
  const QRect block(4, 4, 12, height() - 8);
  p.fillRect(block, Color.lighter(125));
  DrawRaisedFrame(p, block);
  // A thin line under the band sets it off from the window below.
  p.setPen(Color.darker(140));
  p.drawLine(0, height() - 1, width() - 1, height() - 1);

  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(CaptionFont);
  p.setPen(FontColor);
  p.drawText(rect().adjusted(block.right() + 8, 0, -RightMargin, 0),
             Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, Caption);
}

void TTitleBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit Clicked();
}

}  // namespace kestrin
