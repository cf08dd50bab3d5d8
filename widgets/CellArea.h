// The common base of every group of cells (cell managers, the day table,
// the function-key row, the chart tabs): painting, the active cell with its
// in-place editor, the keys that move the focus, mouse and hints.
#pragma once

#include <QPointer>
#include <QWidget>

#include "Cell.h"
#include "CellMgrMain.h"

class QKeyEvent;

namespace kestrin {

class TCellMgrMain;

// The colours of an open editor: the selection colours of its area (the
// active cell shows them whether it has an editor or not), with selected
// text in a darker shade of the selection colour.
QPalette ActiveEditorPalette(const QPalette& editor, const QPalette& area);

class TCellArea : public QWidget {
  Q_OBJECT
 public:
  explicit TCellArea(QWidget* parent = nullptr);
  ~TCellArea() override;

  // Background behind and between the cells.
  QColor Background = QColor(0xF0, 0xF0, 0xF0);

  TCellMgrMain* Main() const { return main_; }
  void SetMain(TCellMgrMain* main) { main_ = main; }

  // ---- the cells of this group
  virtual int CellCount() const = 0;
  virtual TCell* CellAt(int index) const = 0;
  // Where the cell lies in this widget; a null rectangle when it is not
  // shown (a scrolled-away row, the other page of the function keys).
  virtual QRect CellRect(int index) const = 0;
  virtual void EnsureVisible(int index) {}
  // The next cell that takes the focus after `from` (forward or back), or
  // -1 at the end of the group.
  virtual int NextFocus(int from, bool forward) const;
  // The neighbour in the direction of an arrow key, or -1.
  virtual int Neighbour(int from, int key) const;
  // The cell taken when the group is entered from another group.
  virtual int EntryCell(bool forward) const;
  // The cell a page key (PageUp/PageDown) moves to, or -1.
  virtual int PageTarget(int from, bool down) const { return -1; }

  int IndexOf(const TCell* cell) const;
  int CellIndexAt(const QPoint& pos) const;
  bool HasFocusableCell() const;

  // ---- the active cell
  int ActiveIndex() const { return active_; }
  TCell* ActiveCell() const { return active_ >= 0 && active_ < CellCount() ? CellAt(active_) : nullptr; }
  QWidget* Editor() const { return editor_; }
  // The open editor holds typing not yet committed.
  bool EditorHoldsChange() const;
  // Makes `index` this group's active cell: the open editor is committed
  // and closed, the new cell's editor opened and given the keyboard. Use
  // TCellMgrMain::Activate to move between groups.
  bool SetActiveIndex(int index);
  // Commits and closes the editor; the group has no active cell afterwards.
  void Deactivate();
  // Drops the active cell without committing (its row disappeared).
  void DropActive();
  // Writes the open editor's value back. True when the stored value changed.
  // With `reload` the editor stays open and shows the stored value. A text
  // the cell refuses (CommitRefusal) is not written: the refusal beeps and
  // shows its message, the editor keeps the text selected and Refused()
  // is true until the next commit.
  bool CommitEditor(bool reload = true);
  bool Refused() const { return refused_; }
  // Refills the open editor from the bound value, discarding what was typed.
  void ReloadEditor();
  // Keeps the editor over its cell after a scroll or resize.
  void PlaceEditor();

 signals:
  void ActiveIndexChanged(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  // The keys of cell navigation, for the editor and for the group itself.
  // True when the key was used.
  virtual bool HandleKey(QKeyEvent* event, bool fromEditor);
  virtual void PaintCell(QPainter& p, int index, const QRect& r) const;
  int PressedIndex() const { return pressed_; }

 private:
  void OpenEditor();
  void CloseEditor();
  void DiscardEditor();
  void WatchEditor(QWidget* editor);
  bool EditorTakesArrow(int key, Qt::KeyboardModifiers mods) const;

  QPointer<TCellMgrMain> main_;
  int active_ = -1;
  QPointer<QWidget> editor_;
  int pressed_ = -1;
  bool editorCommitted_ = false;  // committed on the way out, not to be written again
  bool refused_ = false;          // the last commit was refused
};

}  // namespace kestrin
