#include "UnitLabel.h"

#include <QFontMetrics>
#include <QPainter>

namespace kestrin {

TRaisedCaption SplitRaisedCaption(const QString& caption) {
  TRaisedCaption r;
  if (caption.toLower() != QLatin1String("n/mm2")) {
    r.Base = caption;
    return r;
  }
  const QString text = QStringLiteral("N/mm^2");
  const int caret = text.indexOf(QLatin1Char('^'));
  r.Base = text.left(caret);
  int i = caret + 1;
  while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) ++i;
  r.Exponent = text.mid(caret + 1, i - caret - 1);
  r.Rest = text.mid(i);
  return r;
}

namespace {

int PixelHeight(const QFont& f) {
  return f.pixelSize() > 0 ? f.pixelSize() : QFontMetrics(f).height();
}

}  // namespace

TRaisedCaptionLayout LayoutRaisedCaption(const QRect& cell, const TRaisedCaption& caption,
                                         const QFont& font, TCellAlign align, int margin) {
  TRaisedCaptionLayout l;
  l.BaseFont = font;
  l.ExponentFont = font;
  l.ExponentFont.setPixelSize(std::max(1, PixelHeight(font) - 4));
  const QFontMetrics fm(l.BaseFont), em(l.ExponentFont);
  l.Gap = caption.Exponent.isEmpty() ? 0 : (PixelHeight(font) > 16 ? 2 : 1);
  l.BaseWidth = fm.horizontalAdvance(caption.Base);
  l.ExponentWidth = caption.Exponent.isEmpty() ? 0 : em.horizontalAdvance(caption.Exponent);
  l.RestWidth = fm.horizontalAdvance(caption.Rest);
  l.TotalWidth = l.BaseWidth + l.Gap + l.ExponentWidth + l.RestWidth;
  const int textHeight = fm.height();
  l.Y = cell.top() + (cell.height() - textHeight) / 2;  // '/' truncates toward zero
  const int right = cell.left() + cell.width();           // exclusive, as the old rectangles
  switch (align) {
    case TCellAlign::Left: l.X = cell.left() + margin + 1; break;
    case TCellAlign::Right: l.X = right - margin - l.TotalWidth + 1; break;
    case TCellAlign::Center: l.X = cell.left() + (cell.width() - l.TotalWidth - 1) / 2; break;
  }
  return l;
}

void DrawRaisedCaption(QPainter& p, const QRect& cell, const QString& caption, const QFont& font,
                       TCellAlign align, int margin, const TCellColors& colors) {
  p.fillRect(cell, colors.Back);
  const TRaisedCaption parts = SplitRaisedCaption(caption);
  const TRaisedCaptionLayout l = LayoutRaisedCaption(cell, parts, font, align, margin);
  p.save();
  p.setClipRect(cell);
  p.setPen(colors.Text);
  // Texts are placed by their top (the baseline is the top plus the ascent),
  // so the smaller exponent lines up with the top of the base and sits high.
  p.setFont(l.BaseFont);
  const int ascent = QFontMetrics(l.BaseFont).ascent();
  p.drawText(l.X, l.Y + ascent, parts.Base);
  int x = l.X + l.BaseWidth;
  if (!parts.Exponent.isEmpty()) {
    x += l.Gap;
    p.setFont(l.ExponentFont);
    p.drawText(x, l.Y + QFontMetrics(l.ExponentFont).ascent(), parts.Exponent);
    x += l.ExponentWidth;
  }
  if (!parts.Rest.isEmpty()) {
    p.setFont(l.BaseFont);
    p.drawText(x, l.Y + ascent, parts.Rest);
  }
  p.restore();
}

}  // namespace kestrin
