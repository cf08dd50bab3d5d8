// The function-key row: two pages of ten buttons for F3 ... F12, the second
// shown while Shift is held (its keys are Shift plus the function key), and
// a guide strip at the left that is green for the first page and orange for
// the second. The window fills the slots (caption, hint, status message,
// picture, action); the row runs a slot's action on a click, on Enter/Space
// while the button is the active cell, and on its function key.
#pragma once

#include <QIcon>
#include <array>
#include <functional>
#include <memory>

#include "CellArea.h"

namespace kestrin {

struct TFunctionKeySlot {
  QString Name;     // component name, e.g. "CellBitBtnLoad"
  QString Caption;  // empty: an empty slot that does nothing
  QString Hint;
  QString StatusMessage;
  QIcon Icon;
  int FontPixels = 15;
  std::function<void()> Action;
};

class TButtonCell : public TCell {
 public:
  explicit TButtonCell(QString name = {});
  QIcon Icon;
  QString KeyLabel;  // "F5", "⇧F5"
  std::function<void()> OnClick;
  bool IsButton() const override { return true; }
  void Click() override;
  void Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const override;
};

class TShiftPager : public TCellArea {
  Q_OBJECT
 public:
  static constexpr int kFirstKey = 3;  // F3
  static constexpr int kLastKey = 12;  // F12
  static constexpr int kSlots = kLastKey - kFirstKey + 1;
  static constexpr int kGuideWidth = 16;
  static constexpr int kSlotWidth = 76;
  static constexpr int kGroupGap = 14;

  explicit TShiftPager(QWidget* parent = nullptr);
  ~TShiftPager() override;

  // page 0 (normal) or 1 (Shift), key 3..12.
  void SetSlot(int page, int fkey, const TFunctionKeySlot& slot);
  void SetAction(int page, int fkey, std::function<void()> action);
  TButtonCell* Button(int page, int fkey) const;
  TButtonCell* FindButton(const QString& name) const;

  int Page() const { return page_; }
  void SetPage(int page);

  // Runs the slot of a function key (Shift selects the second page). True
  // when the key belongs to the row (empty slots swallow their key too).
  bool TriggerKey(int fkey, bool shift);

  // The left edge of a slot (0..9) in this widget.
  static int SlotLeft(int slot);

  QColor GuideColor(int page) const;

  int CellCount() const override { return 2 * kSlots; }
  TCell* CellAt(int index) const override;
  QRect CellRect(int index) const override;
  QSize sizeHint() const override { return QSize(SlotLeft(kSlots - 1) + kSlotWidth, 42); }

 signals:
  void PageChanged(int page);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OwnsEvent(QObject* watched) const;
  std::array<std::unique_ptr<TButtonCell>, 2 * kSlots> buttons_;
  int page_ = 0;
};

}  // namespace kestrin
