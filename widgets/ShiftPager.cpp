#include "ShiftPager.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "CellMgrMain.h"

namespace kestrin {

// ------------------------------------------------------------------ button

TButtonCell::TButtonCell(QString name) : TCell(std::move(name)) {
  TabStop = true;
  Align = TCellAlign::Center;
}

void TButtonCell::Click() {
  if (Enabled && OnClick) OnClick();
}

void TButtonCell::Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const {
  const QColor face = state.Palette.color(QPalette::Button);
  p.fillRect(r, face);
  const bool sunken = state.Pressed;
  const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  // Two-pixel button bevel.
  p.setPen(sunken ? QColor(64, 64, 64) : QColor(255, 255, 255));
  p.drawLine(l, t, rt - 1, t);
  p.drawLine(l, t, l, b - 1);
  p.setPen(sunken ? QColor(255, 255, 255) : QColor(64, 64, 64));
  p.drawLine(l, b, rt, b);
  p.drawLine(rt, t, rt, b);
  p.setPen(sunken ? QColor(160, 160, 160) : QColor(227, 227, 227));
  p.drawLine(l + 1, t + 1, rt - 2, t + 1);
  p.drawLine(l + 1, t + 1, l + 1, b - 2);
  p.setPen(sunken ? QColor(227, 227, 227) : QColor(160, 160, 160));
  p.drawLine(l + 1, b - 1, rt - 1, b - 1);
  p.drawLine(rt - 1, t + 1, rt - 1, b - 1);

  if (Caption.isEmpty()) return;  // an empty slot
  const int shift = sunken ? 1 : 0;
  QColor text = Enabled ? FontColor : QColor(160, 160, 160);
  if (!KeyLabel.isEmpty()) {
    QFont kf = Font;
    kf.setPixelSize(9);
    kf.setBold(false);
    p.setFont(kf);
    p.setPen(QColor(110, 110, 110));
    p.drawText(QRect(l + 3 + shift, t + 2 + shift, 30, 10), Qt::AlignLeft | Qt::AlignTop, KeyLabel);
  }
  if (!Icon.isNull()) {
    const QRect ir(r.center().x() - 10 + shift, t + 3 + shift, 20, 20);
    Icon.paint(&p, ir, Qt::AlignCenter, Enabled ? QIcon::Normal : QIcon::Disabled);
  }
  p.setFont(Font);
  p.setPen(text);
  p.drawText(QRect(l + 2 + shift, t + 22 + shift, r.width() - 4, 16),
             Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, Caption);
  if (state.Active) {
    QPen pen(state.Palette.color(QPalette::Highlight));
    pen.setWidth(2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(3, 3, -3, -3));
  }
}

// ------------------------------------------------------------------- row

TShiftPager::TShiftPager(QWidget* parent) : TCellArea(parent) {
  for (int page = 0; page < 2; ++page)
    for (int k = kFirstKey; k <= kLastKey; ++k) {
      auto b = std::make_unique<TButtonCell>();
      b->KeyLabel = (page ? QStringLiteral("S-F%1") : QStringLiteral("F%1")).arg(k);
      b->Enabled = false;
      // Only the first page takes the focus, whichever page shows: the
      // second shows only while Shift is held, and Shift with Tab moves
      // backwards into the row.
      b->TabStop = page == 0;
      b->OnCanFocus = [](const TCell& c) { return !c.Caption.isEmpty(); };
      buttons_[static_cast<std::size_t>(page * kSlots + (k - kFirstKey))] = std::move(b);
    }
  qApp->installEventFilter(this);
}

TShiftPager::~TShiftPager() {
  if (qApp) qApp->removeEventFilter(this);
}

int TShiftPager::SlotLeft(int slot) {
  int x = kGuideWidth + 2 + slot * kSlotWidth;
  if (slot >= 2) x += kGroupGap;  // before F5
  if (slot >= 6) x += kGroupGap;  // before F9
  return x;
}

TCell* TShiftPager::CellAt(int index) const { return buttons_.at(static_cast<std::size_t>(index)).get(); }

QRect TShiftPager::CellRect(int index) const {
  const int page = index / kSlots, slot = index % kSlots;
  if (page != page_) return {};
  return QRect(SlotLeft(slot) + 1, 1, kSlotWidth - 2, 40);
}

TButtonCell* TShiftPager::Button(int page, int fkey) const {
  if (page < 0 || page > 1 || fkey < kFirstKey || fkey > kLastKey) return nullptr;
  return buttons_[static_cast<std::size_t>(page * kSlots + (fkey - kFirstKey))].get();
}

TButtonCell* TShiftPager::FindButton(const QString& name) const {
  for (const auto& b : buttons_)
    if (b->Name == name) return b.get();
  return nullptr;
}

void TShiftPager::SetSlot(int page, int fkey, const TFunctionKeySlot& slot) {
  TButtonCell* b = Button(page, fkey);
  if (!b) return;
  b->Name = slot.Name;
  b->Caption = slot.Caption;
  b->Hint = slot.Hint;
  b->StatusMessage = slot.StatusMessage;
  b->Icon = slot.Icon;
  b->Font.setPixelSize(slot.FontPixels);
  b->OnClick = slot.Action;
  b->Enabled = !slot.Caption.isEmpty();
  update();
}

void TShiftPager::SetAction(int page, int fkey, std::function<void()> action) {
  if (TButtonCell* b = Button(page, fkey)) b->OnClick = std::move(action);
}

void TShiftPager::SetPage(int page) {
  page = page ? 1 : 0;
  if (page == page_) return;
  const int active = ActiveIndex();
  page_ = page;
  PlaceEditor();
  update();
  (void)active;
  emit PageChanged(page_);
}

bool TShiftPager::TriggerKey(int fkey, bool shift) {
  TButtonCell* b = Button(shift ? 1 : 0, fkey);
  if (!b) return false;
  if (b->Enabled && b->OnClick) {
    if (Main() && !Main()->CommitActive()) return true;
    b->OnClick();
  }
  return true;
}

QColor TShiftPager::GuideColor(int page) const {
  return page ? QColor(0xFF, 0x80, 0x00) : QColor(0x00, 0x80, 0x00);
}

void TShiftPager::paintEvent(QPaintEvent* event) {
  TCellArea::paintEvent(event);
  QPainter p(this);
  const QRect guide(0, 1, kGuideWidth, 40);
  p.fillRect(guide, GuideColor(page_));
  DrawRaisedFrame(p, guide);
}

bool TShiftPager::OwnsEvent(QObject* watched) const {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != window()) return false;
  QWidget* modal = QApplication::activeModalWidget();
  return !modal || modal == window();
}

bool TShiftPager::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type t = event->type();
  if ((t == QEvent::KeyPress || t == QEvent::KeyRelease) && OwnsEvent(watched)) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_Shift) {
      SetPage(t == QEvent::KeyPress ? 1 : 0);
    } else {
      SetPage((k->modifiers() & Qt::ShiftModifier) ? 1 : 0);
      if (t == QEvent::KeyPress && k->key() >= Qt::Key_F3 && k->key() <= Qt::Key_F12) {
        if (!k->isAutoRepeat())
          TriggerKey(k->key() - Qt::Key_F1 + 1, (k->modifiers() & Qt::ShiftModifier) != 0);
        return true;
      }
    }
  } else if (t == QEvent::WindowDeactivate && watched == window()) {
    SetPage(0);
  }
  return TCellArea::eventFilter(watched, event);
}

}  // namespace kestrin
