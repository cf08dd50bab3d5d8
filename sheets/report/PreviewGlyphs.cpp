// The glyphs of the preview's cells, drawn in code: a small page for the
// display modes, a magnifier for zooming, arrows for the navigation and a
// printer.
#include "sheets/report/PreviewGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kestrin {

namespace {

constexpr int kSize = 24;

void DrawSheet(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  for (double y = r.top() + 4; y < r.bottom() - 2; y += 3) {
    p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
  }
}

void DrawArrowHead(QPainter& p, QPointF tip, bool right, double size) {
  const double dx = right ? -size : size;
  QPolygonF tri;
  tri << tip << QPointF(tip.x() + dx, tip.y() - size) << QPointF(tip.x() + dx, tip.y() + size);
  p.drawPolygon(tri);
}

void DrawMagnifier(QPainter& p, bool plus) {
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
  p.setBrush(QColor(0xE8, 0xF4, 0xFF));
  p.drawEllipse(QRectF(3, 3, 13, 13));
  p.setPen(QPen(QColor(0x60, 0x40, 0x20), 3.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(15, 15), QPointF(21, 21));
  p.setPen(QPen(QColor(0x10, 0x40, 0xA0), 2));
  p.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
  if (plus) p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
}

void DrawNavigation(QPainter& p, bool right, bool bar) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x10, 0x50, 0xB0));
  const double cx = right ? 15 : 9;
  DrawArrowHead(p, QPointF(cx + (right ? 2 : -2), 12), right, 6);
  if (bar) {
    const double x = right ? 18 : 4;
    p.drawRect(QRectF(x, 6, 2.5, 12));
  }
}

void DrawPrinter(QPainter& p) {
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(7.5, 2.5, 9, 7));
  p.setBrush(QColor(0xB0, 0xB0, 0xB8));
  p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 1.5, 1.5);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 14.5, 11, 7));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
  p.drawLine(QPointF(8.5, 17.5), QPointF(15.5, 17.5));
  p.drawLine(QPointF(8.5, 19.5), QPointF(15.5, 19.5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x20, 0xC0, 0x40));
  p.drawEllipse(QRectF(17, 11, 2.5, 2.5));
}

}  // namespace

QIcon PreviewGlyph(TPreviewGlyph glyph) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  switch (glyph) {
    case TPreviewGlyph::Whole: {
      p.setPen(QPen(QColor(0x10, 0x50, 0xB0), 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(2.5, 1.5, 19, 21));
      DrawSheet(p, QRectF(7.5, 4.5, 9, 15));
      break;
    }
    case TPreviewGlyph::FullWidth: {
      DrawSheet(p, QRectF(3.5, 2.5, 17, 20));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x10, 0x50, 0xB0));
      p.drawRect(QRectF(5, 11, 14, 2));
      DrawArrowHead(p, QPointF(1, 12), false, 4);
      DrawArrowHead(p, QPointF(23, 12), true, 4);
      break;
    }
    case TPreviewGlyph::RealSize: {
      DrawSheet(p, QRectF(2.5, 2.5, 19, 19));
      QFont f = p.font();
      f.setPixelSize(10);
      f.setBold(true);
      p.setFont(f);
      p.setPen(QColor(0x10, 0x50, 0xB0));
      p.drawText(QRectF(2, 6, 20, 13), Qt::AlignCenter, QStringLiteral("1:1"));
      break;
    }
    case TPreviewGlyph::ZoomIn: DrawMagnifier(p, true); break;
    case TPreviewGlyph::ZoomOut: DrawMagnifier(p, false); break;
    case TPreviewGlyph::First: DrawNavigation(p, false, true); break;
    case TPreviewGlyph::Prev: DrawNavigation(p, false, false); break;
    case TPreviewGlyph::Next: DrawNavigation(p, true, false); break;
    case TPreviewGlyph::Last: DrawNavigation(p, true, true); break;
    case TPreviewGlyph::Print: DrawPrinter(p); break;
  }
  p.end();
  return QIcon(pm);
}

}  // namespace kestrin
