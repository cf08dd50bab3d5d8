#include "platform/QtCanvas.h"

#include <QPaintDevice>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrin {

TQtCanvas::TQtCanvas(QPainter* painter) : m_painter(painter) { Init(); }

TQtCanvas::TQtCanvas(QPaintDevice* device)
    : m_ownPainter(std::make_unique<QPainter>(device)), m_painter(m_ownPainter.get()) {
  Init();
}

TQtCanvas::~TQtCanvas() { End(); }

void TQtCanvas::End() {
  ResetClip();
  if (m_ownPainter && m_ownPainter->isActive()) m_ownPainter->end();
}

void TQtCanvas::DoSetClipRect(const TRect* r) {
  if (m_painter == nullptr || !m_painter->isActive()) return;
  if (m_painterSaved) {
    m_painter->restore();
    m_painterSaved = false;
  }
  if (r == nullptr) return;
  m_painter->save();
  m_painterSaved = true;
  // Intersected with what the painter already clips to (a borrowed
  // painter's region); an empty rectangle clips everything.
  m_painter->setClipRect(QRect(r->Left, r->Top, std::max(0, r->Width()), std::max(0, r->Height())),
                         m_painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TQtCanvas::Init() {
  if (m_painter == nullptr || !m_painter->isActive()) return;
  m_painter->setRenderHint(QPainter::Antialiasing, false);
  m_painter->setRenderHint(QPainter::TextAntialiasing, true);
}

int TQtCanvas::PixelsPerInchX() const {
  return m_painter && m_painter->device() ? m_painter->device()->logicalDpiX() : 96;
}

int TQtCanvas::PixelsPerInchY() const {
  return m_painter && m_painter->device() ? m_painter->device()->logicalDpiY() : 96;
}

bool TQtCanvas::ApplyPen() {
  if (Pen.Style == TPenStyle::Clear) {
    m_painter->setPen(Qt::NoPen);
    return false;
  }
  const int width = Pen.Width < 1 ? 1 : Pen.Width;
  QPen pen(ToQColor(Pen.Color));
  pen.setWidth(width);
  pen.setJoinStyle(width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
  pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
  // Styles apply to one-pixel pens only; wider pens are solid. The
  // patterns are those of the old cosmetic pens, in pixels.
  if (width == 1) {
    switch (Pen.Style) {
      case TPenStyle::Dash: pen.setDashPattern({18, 6}); break;
      case TPenStyle::Dot: pen.setDashPattern({3, 3}); break;
      case TPenStyle::DashDot: pen.setDashPattern({9, 6, 3, 6}); break;
      case TPenStyle::DashDotDot: pen.setDashPattern({9, 3, 3, 3, 3, 3}); break;
      default: break;
    }
  }
  m_painter->setPen(pen);
  return true;
}

void TQtCanvas::ApplyBrush() {
  if (Brush.IsClear()) {
    m_painter->setBrush(Qt::NoBrush);
  } else {
    m_painter->setBrush(ToQColor(Brush.Color()));
  }
}

double TQtCanvas::StrokeOffset() const {
  const int width = Pen.Width < 1 ? 1 : Pen.Width;
  return (width % 2 == 1) ? 0.5 : 0.0;
}

void TQtCanvas::DoLine(int x1, int y1, int x2, int y2) {
  if (m_painter == nullptr || (x1 == x2 && y1 == y2)) return;
  if (!ApplyPen()) return;
  if (Pen.Width > 1) {
    // Wide pens: round-capped stroke between the two points.
    const double o = StrokeOffset();
    m_painter->drawLine(QPointF(x1 + o, y1 + o), QPointF(x2 + o, y2 + o));
    return;
  }
  // One-pixel line: a flat-capped stroke through the pixel centres, moved
  // back by half a step along the major axis, covers exactly the pixels
  // from the start up to the one before the end, whichever the direction.
  const int dx = x2 - x1;
  const int dy = y2 - y1;
  double sx, sy;
  if (std::abs(dx) >= std::abs(dy)) {
    sx = dx > 0 ? 1.0 : -1.0;
    sy = static_cast<double>(dy) / std::abs(dx);
  } else {
    sy = dy > 0 ? 1.0 : -1.0;
    sx = static_cast<double>(dx) / std::abs(dy);
  }
  m_painter->drawLine(QPointF(x1 + 0.5 - sx / 2, y1 + 0.5 - sy / 2),
                      QPointF(x2 + 0.5 - sx / 2, y2 + 0.5 - sy / 2));
}

void TQtCanvas::DoRectangle(const TRect& r) {
  if (m_painter == nullptr || r.IsEmpty()) return;
  const bool pen = ApplyPen();
  ApplyBrush();
  if (!pen) {
    // Without a pen the fill stops one pixel short on the right and bottom.
    if (Brush.IsClear()) return;
    if (r.Width() > 1 && r.Height() > 1) {
      m_painter->fillRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1),
                          ToQColor(Brush.Color()));
    }
    return;
  }
  if (!Brush.IsClear()) {
    m_painter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(Brush.Color()));
  }
  m_painter->setBrush(Qt::NoBrush);
  const double o = StrokeOffset();
  if (r.Width() == 1 || r.Height() == 1) {
    // A one-pixel-wide outline degenerates to a line of pixels.
    m_painter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(Pen.Color));
    return;
  }
  m_painter->drawRect(QRectF(r.Left + o, r.Top + o, r.Width() - 1, r.Height() - 1));
}

void TQtCanvas::DoFillRect(const TRect& r) {
  if (m_painter == nullptr || r.IsEmpty() || Brush.IsClear()) return;
  m_painter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(Brush.Color()));
}

void TQtCanvas::DoFrameRect(const TRect& r) {
  if (m_painter == nullptr || r.IsEmpty() || Brush.IsClear()) return;
  const QColor c = ToQColor(Brush.Color());
  const int w = r.Width();
  const int h = r.Height();
  m_painter->fillRect(QRect(r.Left, r.Top, w, 1), c);
  if (h > 1) m_painter->fillRect(QRect(r.Left, r.Bottom - 1, w, 1), c);
  if (h > 2) {
    m_painter->fillRect(QRect(r.Left, r.Top + 1, 1, h - 2), c);
    if (w > 1) m_painter->fillRect(QRect(r.Right - 1, r.Top + 1, 1, h - 2), c);
  }
}

void TQtCanvas::DoPolygon(const std::vector<TPoint>& points) {
  if (m_painter == nullptr || points.size() < 2) return;
  const bool pen = Pen.Style != TPenStyle::Clear;
  if (!Brush.IsClear()) {
    // The inside: pixels whose centre lies in the polygon through the
    // vertex pixels' centres.
    m_painter->setPen(Qt::NoPen);
    ApplyBrush();
    QPolygonF poly;
    poly.reserve(static_cast<int>(points.size()));
    for (const TPoint& p : points) poly << QPointF(p.X + 0.5, p.Y + 0.5);
    m_painter->drawPolygon(poly, Qt::OddEvenFill);
  }
  if (!pen) return;
  if (Pen.Width > 1) {
    ApplyPen();
    m_painter->setBrush(Qt::NoBrush);
    const double o = StrokeOffset();
    QPolygonF poly;
    for (const TPoint& p : points) poly << QPointF(p.X + o, p.Y + o);
    m_painter->drawPolygon(poly);
    return;
  }
  // The outline: each edge as a one-pixel line, so every vertex is painted
  // as the start of its edge and the figure is closed.
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TPoint& a = points[i];
    const TPoint& b = points[(i + 1) % points.size()];
    DoLine(a.X, a.Y, b.X, b.Y);
  }
}

void TQtCanvas::DoEllipse(const TRect& r) {
  if (m_painter == nullptr || r.IsEmpty()) return;
  const bool pen = ApplyPen();
  ApplyBrush();
  const double o = pen ? StrokeOffset() : 0.0;
  m_painter->drawEllipse(QRectF(r.Left + o, r.Top + o, r.Width() - 1, r.Height() - 1));
}

const QFont& TQtCanvas::CurrentQFont() {
  if (!m_haveFont || !(m_fontFor == Font.Log)) {
    m_qfont = MakeQFont(Font.Log);
    m_fontFor = Font.Log;
    m_haveFont = true;
  }
  return m_qfont;
}

TSize TQtCanvas::DoTextExtent(const QString& text) {
  const TTextMetrics m =
      MeasureText(CurrentQFont(), text, m_painter ? m_painter->device() : nullptr);
  return TSize{static_cast<int>(std::lround(m.Width * TextScaleX)),
               static_cast<int>(std::lround(m.CellHeight() * TextScaleY))};
}

int TQtCanvas::DoTextOut(int x, int y, const QString& text) {
  if (m_painter == nullptr) return 0;
  const QFont& font = CurrentQFont();
  const TTextMetrics m = MeasureText(font, text, m_painter->device());
  const int advance = static_cast<int>(std::lround(m.Width * TextScaleX));
  if (text.isEmpty()) return 0;
  const bool opaque = !Brush.IsClear();
  const bool transformed = TextScaleX != 1.0 || TextScaleY != 1.0 || Font.Log.Escapement != 0;
  m_painter->setFont(font);
  m_painter->setPen(ToQColor(Font.Color));
  if (!transformed) {
    if (opaque) {
      m_painter->fillRect(QRect(x, y, advance, static_cast<int>(std::lround(m.CellHeight()))),
                          ToQColor(Brush.Color()));
    }
    m_painter->drawText(QPointF(x, y + m.Ascent), text);
    return advance;
  }
  m_painter->save();
  m_painter->translate(x, y);
  if (Font.Log.Escapement != 0) m_painter->rotate(-Font.Log.Escapement / 10.0);
  m_painter->scale(TextScaleX, TextScaleY);
  if (opaque) m_painter->fillRect(QRectF(0, 0, m.Width, m.CellHeight()), ToQColor(Brush.Color()));
  m_painter->drawText(QPointF(0, m.Ascent), text);
  m_painter->restore();
  return advance;
}

}  // namespace kestrin
