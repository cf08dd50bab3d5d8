#include "Cell.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace kestrin {

QColor ColorFromBgr(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

void DrawRaisedFrame(QPainter& p, const QRect& r) {
  if (r.width() < 2 || r.height() < 2) return;
  const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  p.setPen(QColor(255, 255, 255));
  p.drawLine(l, t, rt - 1, t);
  p.drawLine(l, t, l, b - 1);
  p.setPen(QColor(128, 128, 128));
  p.drawLine(l, b, rt, b);
  p.drawLine(rt, t, rt, b);
}

void DrawSunkenFrame(QPainter& p, const QRect& r) {
  if (r.width() < 2 || r.height() < 2) return;
  const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  p.setPen(QColor(128, 128, 128));
  p.drawLine(l, t, rt - 1, t);
  p.drawLine(l, t, l, b - 1);
  p.setPen(QColor(255, 255, 255));
  p.drawLine(l, b, rt, b);
  p.drawLine(rt, t, rt, b);
}

void DrawCellText(QPainter& p, const QRect& r, const QString& text, const QFont& font,
                  const QColor& color, TCellAlign align, int margin) {
  if (text.isEmpty()) return;
  const QRect inner = r.adjusted(1 + margin, 1, -1 - margin, -1);
  int flags = Qt::AlignVCenter | Qt::TextSingleLine;
  switch (align) {
    case TCellAlign::Left: flags |= Qt::AlignLeft; break;
    case TCellAlign::Center: flags |= Qt::AlignHCenter; break;
    case TCellAlign::Right: flags |= Qt::AlignRight; break;
  }
  p.save();
  p.setClipRect(r.adjusted(1, 1, -1, -1));
  p.setFont(font);
  p.setPen(color);
  p.drawText(inner, flags, text);
  p.restore();
}

TCell::TCell(QString name) : Name(std::move(name)) {}
TCell::~TCell() = default;

QString TCell::DisplayText() const { return OnGetText ? OnGetText(*this) : Caption; }

TCellColors TCell::Colors(const TCellPaintState& state) const {
  TCellColors c{Color, FontColor};
  if (OnGetColor) OnGetColor(*this, c);
  if (state.Active) {
    c.Back = state.Palette.color(QPalette::Active, QPalette::Highlight);
    c.Text = state.Palette.color(QPalette::Active, QPalette::HighlightedText);
  }
  return c;
}

void TCell::Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const {
  const TCellColors c = Colors(state);
  if (OnDrawCell) {
    OnDrawCell(*this, p, r, c);
  } else {
    p.fillRect(r, c.Back);
    DrawCellText(p, r, DisplayText(), Font, c.Text, Align, Margin);
  }
  DrawRaisedFrame(p, r);
}

bool TCell::Focusable() const {
  return TabStop && Enabled && (!OnCanFocus || OnCanFocus(*this));
}

QWidget* TCell::CreateEditor(QWidget*) { return nullptr; }
void TCell::LoadEditor(QWidget*) const {}
bool TCell::Commit(QWidget*) { return false; }
bool TCell::EditorModified(const QWidget*) const { return false; }
QString TCell::CommitRefusal(const QWidget*) const { return {}; }
bool TCell::EditorWantsKey(const QWidget*, int, Qt::KeyboardModifiers) const { return false; }

}  // namespace kestrin
