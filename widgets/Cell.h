// A framed cell: one rectangle of a cell manager with a caption or a
// computed text, its colours and font, and optionally an in-place editor.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QRect>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

namespace kestrin {

enum class TCellAlign { Left, Center, Right };

// A colour given as the old 0x00BBGGRR integer.
QColor ColorFromBgr(uint32_t bgr);

// What a cell paints with; colour handlers may change both.
struct TCellColors {
  QColor Back;
  QColor Text;
};

// The state a cell is painted in.
struct TCellPaintState {
  bool Active = false;   // the window's active cell
  bool Pressed = false;  // a button held down
  QPalette Palette;      // selection colours of the owning area
};

// Draws the 1-px raised frame every cell has (light top/left, shadow
// bottom/right) on the rectangle's outer pixels.
void DrawRaisedFrame(QPainter& p, const QRect& r);
void DrawSunkenFrame(QPainter& p, const QRect& r);

// Text placement used by every cell: `margin` px inside the frame on the
// aligned side, vertically centred.
void DrawCellText(QPainter& p, const QRect& r, const QString& text, const QFont& font,
                  const QColor& color, TCellAlign align, int margin);

class TCell {
 public:
  explicit TCell(QString name = {});
  virtual ~TCell();
  TCell(const TCell&) = delete;
  TCell& operator=(const TCell&) = delete;

  QString Name;
  QRect Rect;  // position in the cell manager (fixed cells)
  QString Caption;
  QColor Color = Qt::white;
  QColor FontColor = Qt::black;
  QFont Font;
  TCellAlign Align = TCellAlign::Left;
  int Margin = 2;
  QString StatusMessage;
  QString Hint;
  bool TabStop = false;  // can become the active cell
  bool Enabled = true;
  int Row = -1;     // row of a table cell
  int Column = -1;  // column of a table cell

  // Computed text instead of the caption (label and display cells).
  std::function<QString(const TCell&)> OnGetText;
  // Colours by state (weekday colours, judgements, locked cells).
  std::function<void(const TCell&, TCellColors&)> OnGetColor;
  // Whether the cell can be entered just now (besides TabStop/Enabled).
  std::function<bool(const TCell&)> OnCanFocus;
  // Replaces the drawing of background and text; the frame is drawn after.
  std::function<void(const TCell&, QPainter&, const QRect&, const TCellColors&)> OnDrawCell;

  // The text shown when the cell is not being edited.
  virtual QString DisplayText() const;
  // The colours after the handler and the active state.
  TCellColors Colors(const TCellPaintState& state) const;
  virtual void Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const;
  virtual bool Focusable() const;

  // ---- in-place editing (overridden by the editor cells)
  virtual bool HasEditor() const { return false; }
  virtual QWidget* CreateEditor(QWidget* parent);
  // Fills the editor from the bound value.
  virtual void LoadEditor(QWidget* editor) const;
  // Writes the editor's value back through the bound handler. Returns true
  // when the stored value changed (the window's edited flag is set then).
  virtual bool Commit(QWidget* editor);
  // True when the editor holds an uncommitted change.
  virtual bool EditorModified(const QWidget* editor) const;
  // Why the editor's text cannot be committed (a number outside the
  // cell's range), as a status-line message; empty when it can.
  virtual QString CommitRefusal(const QWidget* editor) const;
  // False when the editor no longer fits the cell's mode (a combo box that
  // turned list-only) and must be made again.
  virtual bool EditorMatches(const QWidget* editor) const { return true; }
  // Keys the editor wants for itself before the cell manager moves on.
  virtual bool EditorWantsKey(const QWidget* editor, int key, Qt::KeyboardModifiers mods) const;

  // ---- buttons
  virtual bool IsButton() const { return false; }
  // Whether Enter clicks the cell (buttons) or moves on (switches).
  virtual bool ClicksOnEnter() const { return IsButton(); }
  virtual void Click() {}
};

}  // namespace kestrin
