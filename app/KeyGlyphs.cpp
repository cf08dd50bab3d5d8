#include "KeyGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace kestrin {

namespace {

void Folder(QPainter& p) {
  p.setPen(QColor(120, 90, 0));
  p.setBrush(QColor(240, 200, 80));
  p.drawRect(2, 5, 16, 12);
  p.drawRect(2, 3, 7, 3);
  p.setBrush(QColor(255, 225, 120));
  const QPointF front[4] = {{2, 17}, {5, 9}, {19, 9}, {17, 17}};
  p.drawPolygon(front, 4);
}

void Floppy(QPainter& p) {
  p.setPen(QColor(20, 40, 90));
  p.setBrush(QColor(50, 90, 170));
  p.drawRect(2, 2, 16, 16);
  p.setBrush(Qt::white);
  p.drawRect(5, 2, 10, 6);
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(5, 11, 10, 7);
  p.fillRect(11, 3, 2, 4, QColor(50, 90, 170));
}

void Sheet(QPainter& p) {
  p.setPen(QColor(0, 90, 40));
  p.setBrush(QColor(30, 140, 70));
  p.drawRect(2, 2, 16, 16);
  p.setPen(QColor(220, 255, 230));
  for (int y = 6; y < 18; y += 4) p.drawLine(3, y, 17, y);
  for (int x = 7; x < 18; x += 5) p.drawLine(x, 3, x, 17);
}

void PageWithLens(QPainter& p) {
  p.setPen(QColor(90, 90, 90));
  p.setBrush(Qt::white);
  p.drawRect(2, 1, 12, 16);
  p.setPen(QColor(160, 160, 160));
  for (int y = 4; y < 15; y += 3) p.drawLine(4, y, 12, y);
  QPen pen(QColor(40, 40, 40), 2);
  p.setPen(pen);
  p.setBrush(QColor(200, 230, 255, 200));
  p.drawEllipse(QPointF(12, 11), 4, 4);
  p.drawLine(QPointF(15, 14), QPointF(18.5, 17.5));
}

void Printer(QPainter& p) {
  p.setPen(QColor(80, 80, 80));
  p.setBrush(Qt::white);
  p.drawRect(5, 1, 10, 7);
  p.setBrush(QColor(170, 170, 170));
  p.drawRect(1, 7, 18, 8);
  p.setBrush(Qt::white);
  p.drawRect(5, 12, 10, 7);
  p.fillRect(15, 9, 2, 2, QColor(40, 200, 40));
}

void Gear(QPainter& p) {
  QPainterPath path;
  const QPointF c(10, 10);
  const int teeth = 8;
  for (int i = 0; i < teeth * 2; ++i) {
    const double a = M_PI * i / teeth;
    const double r = (i % 2 == 0) ? 9.0 : 6.5;
    const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    if (i == 0) path.moveTo(pt);
    else path.lineTo(pt);
  }
  path.closeSubpath();
  p.setPen(QColor(60, 60, 60));
  p.setBrush(QColor(150, 150, 160));
  p.drawPath(path);
  p.setBrush(Qt::white);
  p.drawEllipse(c, 3, 3);
}

void Door(QPainter& p) {
  p.setPen(QColor(90, 50, 20));
  p.setBrush(QColor(170, 110, 60));
  p.drawRect(3, 1, 10, 18);
  p.setBrush(QColor(250, 220, 120));
  p.drawEllipse(QPointF(11, 10), 1, 1);
  QPen pen(QColor(200, 30, 30), 2.5);
  p.setPen(pen);
  p.drawLine(QPointF(9, 10), QPointF(18, 10));
  p.drawLine(QPointF(15, 7), QPointF(18, 10));
  p.drawLine(QPointF(15, 13), QPointF(18, 10));
}

void Eraser(QPainter& p) {
  p.translate(10, 10);
  p.rotate(-35);
  p.setPen(QColor(120, 60, 80));
  p.setBrush(QColor(250, 170, 190));
  p.drawRect(-8, -4, 10, 8);
  p.setBrush(QColor(90, 120, 210));
  p.drawRect(2, -4, 6, 8);
}

}  // namespace

QIcon KeyGlyph(TKeyGlyph glyph) {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  switch (glyph) {
    case TKeyGlyph::Load: Folder(p); break;
    case TKeyGlyph::Save: Floppy(p); break;
    case TKeyGlyph::Excel: Sheet(p); break;
    case TKeyGlyph::Preview: PageWithLens(p); break;
    case TKeyGlyph::Print: Printer(p); break;
    case TKeyGlyph::Setup: Gear(p); break;
    case TKeyGlyph::Quit: Door(p); break;
    case TKeyGlyph::Clear: Eraser(p); break;
  }
  p.end();
  return QIcon(pm);
}

}  // namespace kestrin
