#include "CellArea.h"

#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>
#include <QAbstractItemView>
#include <climits>

#include "CellMgrMain.h"
#include "Cp932Text.h"
#include "EditCells.h"

namespace kestrin {

QPalette ActiveEditorPalette(const QPalette& editor, const QPalette& area) {
  const QColor back = area.color(QPalette::Active, QPalette::Highlight);
  const QColor text = area.color(QPalette::Active, QPalette::HighlightedText);
  QPalette pal = editor;
  for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
    pal.setColor(role, back);
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
    pal.setColor(role, text);
  // Selected text in a darker shade, so that it still stands out.
  pal.setColor(QPalette::Highlight, back.darker(150));
  pal.setColor(QPalette::HighlightedText, text);
  return pal;
}

TCellArea::TCellArea(QWidget* parent) : QWidget(parent) {
  // The group takes the keyboard only when its active cell has no editor
  // (buttons, tabs); clicks and Tab are handled by the cells themselves.
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

TCellArea::~TCellArea() {
  if (main_) main_->NotifyDeactivated(this);
}

int TCellArea::NextFocus(int from, bool forward) const {
  const int n = CellCount();
  if (forward) {
    for (int i = from + 1; i < n; ++i)
      if (CellAt(i)->Focusable()) return i;
  } else {
    for (int i = (from < 0 ? n : from) - 1; i >= 0; --i)
      if (CellAt(i)->Focusable()) return i;
  }
  return -1;
}

int TCellArea::EntryCell(bool forward) const { return NextFocus(forward ? -1 : CellCount(), forward); }

int TCellArea::Neighbour(int from, int key) const {
  if (from < 0) return -1;
  const QRect a = CellRect(from);
  if (a.isNull()) return -1;
  int best = -1;
  long bestScore = LONG_MAX;
  for (int i = 0; i < CellCount(); ++i) {
    if (i == from || !CellAt(i)->Focusable()) continue;
    const QRect b = CellRect(i);
    if (b.isNull()) continue;
    long primary = 0, secondary = 0;
    const bool vOverlap = b.top() <= a.bottom() && a.top() <= b.bottom();
    switch (key) {
      case Qt::Key_Left:
        if (!vOverlap || b.center().x() >= a.center().x()) continue;
        primary = a.left() - b.right();
        break;
      case Qt::Key_Right:
        if (!vOverlap || b.center().x() <= a.center().x()) continue;
        primary = b.left() - a.right();
        break;
      case Qt::Key_Up:
        if (b.bottom() >= a.top()) continue;
        primary = a.top() - b.bottom();
        secondary = std::abs(b.center().x() - a.center().x());
        // Prefer cells overlapping horizontally, then the nearest.
        if (b.right() < a.left() || b.left() > a.right()) secondary += 10000;
        break;
      case Qt::Key_Down:
        if (b.top() <= a.bottom()) continue;
        primary = b.top() - a.bottom();
        secondary = std::abs(b.center().x() - a.center().x());
        if (b.right() < a.left() || b.left() > a.right()) secondary += 10000;
        break;
      default: return -1;
    }
    const long score = primary * 100000 + secondary;
    if (score < bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

int TCellArea::IndexOf(const TCell* cell) const {
  for (int i = 0; i < CellCount(); ++i)
    if (CellAt(i) == cell) return i;
  return -1;
}

int TCellArea::CellIndexAt(const QPoint& pos) const {
  for (int i = 0; i < CellCount(); ++i) {
    const QRect r = CellRect(i);
    if (!r.isNull() && r.contains(pos)) return i;
  }
  return -1;
}

bool TCellArea::HasFocusableCell() const { return EntryCell(true) >= 0; }

bool TCellArea::EditorHoldsChange() const {
  const TCell* cell = ActiveCell();
  return editor_ && cell && cell->EditorModified(editor_);
}

// ------------------------------------------------------------ activation

bool TCellArea::SetActiveIndex(int index) {
  if (index < 0 || index >= CellCount() || !CellAt(index)->Focusable()) return false;
  if (index == active_) {
    if (editor_) editor_->setFocus(Qt::OtherFocusReason);
    else setFocus(Qt::OtherFocusReason);
    return true;
  }
  // Commit first (the handler may recompute the record, change the rows or
  // lock the target); when the entry is refused or the target can no
  // longer be entered, the current cell stays active with its editor.
  CommitEditor(true);
  if (refused_) return false;
  if (index >= CellCount() || !CellAt(index)->Focusable()) {
    update();
    return false;
  }
  CloseEditor();
  const int old = active_;
  active_ = index;
  EnsureVisible(index);
  OpenEditor();
  if (!editor_) setFocus(Qt::OtherFocusReason);
  if (old >= 0) update(CellRect(old).adjusted(-2, -2, 2, 2));
  update();
  if (main_) main_->NotifyActivated(this);
  emit ActiveIndexChanged(active_);
  return true;
}

void TCellArea::Deactivate() {
  if (active_ < 0) return;
  CloseEditor();
  active_ = -1;
  pressed_ = -1;
  update();
  emit ActiveIndexChanged(-1);
}

void TCellArea::DropActive() {
  DiscardEditor();
  active_ = -1;
  update();
  if (main_) main_->NotifyDeactivated(this);
  emit ActiveIndexChanged(-1);
}

bool TCellArea::CommitEditor(bool reload) {
  refused_ = false;
  TCell* cell = ActiveCell();
  if (!editor_ || !cell || editorCommitted_) return false;
  QPointer<QWidget> e = editor_;
  if (const QString why = cell->CommitRefusal(e); !why.isEmpty()) {
    refused_ = true;
    if (main_) main_->RefuseInput(why);
    if (auto* le = qobject_cast<QLineEdit*>(e.data())) le->selectAll();
    return false;
  }
  const bool modified = cell->EditorModified(e);
  const int index = active_;
  if (modified && main_) main_->NotifyCommitting(this, index);
  const bool changed = cell->Commit(e);
  if (!reload && e == editor_) editorCommitted_ = true;
  if (changed && main_) main_->SetEdited(true);
  if (modified && main_) main_->NotifyCommitted(this, index, changed);
  // The handler may have changed the rows or this cell's mode.
  if (!e || e != editor_ || ActiveCell() != cell || !reload) return changed;
  if (!cell->EditorMatches(e)) {
    DiscardEditor();
    OpenEditor();
  } else {
    cell->LoadEditor(e);
  }
  update();
  return changed;
}

void TCellArea::ReloadEditor() {
  TCell* cell = ActiveCell();
  if (!editor_ || !cell) return;
  if (!cell->EditorMatches(editor_)) {
    DiscardEditor();
    OpenEditor();
  } else {
    cell->LoadEditor(editor_);
    editorCommitted_ = false;
  }
  update();
}

void TCellArea::OpenEditor() {
  TCell* cell = ActiveCell();
  if (!cell || !cell->HasEditor()) return;
  QWidget* e = cell->CreateEditor(this);
  if (!e) return;
  e->setPalette(ActiveEditorPalette(e->palette(), palette()));
  e->setAutoFillBackground(true);
  if (auto* combo = qobject_cast<QComboBox*>(e)) {
    // The drop-down list keeps the ordinary colours.
    if (auto* cellCombo = qobject_cast<TCellComboBox*>(combo))
      cellCombo->SetListPalette(palette());
    else
      combo->view()->setPalette(palette());
    // An editable box paints its list in its own colours: the box keeps
    // the ordinary ones and only its typing field wears the active cell's.
    if (combo->isEditable() && combo->lineEdit()) {
      combo->setPalette(palette());
      combo->lineEdit()->setPalette(ActiveEditorPalette(combo->lineEdit()->palette(), palette()));
      combo->lineEdit()->setAutoFillBackground(true);
    }
  }
  editor_ = e;
  editorCommitted_ = false;
  WatchEditor(e);
  cell->LoadEditor(e);
  PlaceEditor();
  e->show();
  e->setFocus(Qt::OtherFocusReason);
  if (auto* combo = qobject_cast<QComboBox*>(e)) {
    // A choice from the list is committed at once.
    connect(combo, &QComboBox::activated, this, [this, combo](int) {
      if (editor_ == combo) CommitEditor();
    });
  }
}

void TCellArea::WatchEditor(QWidget* editor) {
  editor->installEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(editor))
    if (combo->lineEdit()) combo->lineEdit()->installEventFilter(this);
  // Refused keys beep and say why in the status line.
  auto refuse = [this](const QString& message) {
    if (main_) main_->RefuseInput(message);
  };
  for (TCp932Validator* v : editor->findChildren<TCp932Validator*>())
    connect(v, &TCp932Validator::Refused, this, refuse);
  for (TNumValidator* v : editor->findChildren<TNumValidator*>())
    connect(v, &TNumValidator::Refused, this, refuse);
}

void TCellArea::CloseEditor() {
  if (!editor_) return;
  CommitEditor(false);
  DiscardEditor();
}

void TCellArea::DiscardEditor() {
  if (!editor_) return;
  QWidget* e = editor_;
  editor_ = nullptr;
  e->removeEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(e))
    if (combo->lineEdit()) combo->lineEdit()->removeEventFilter(this);
  e->disconnect(this);
  e->hide();
  e->deleteLater();
}

void TCellArea::PlaceEditor() {
  if (!editor_ || active_ < 0) return;
  QRect r = CellRect(active_);
  if (r.isNull()) r = QRect(-1000, -1000, 10, 10);  // scrolled away: keeps the keyboard
  editor_->setGeometry(r.adjusted(1, 1, -1, -1));
}

// ------------------------------------------------------------- painting

void TCellArea::PaintCell(QPainter& p, int index, const QRect& r) const {
  TCellPaintState s;
  s.Active = index == active_;
  s.Pressed = index == pressed_;
  s.Palette = palette();
  CellAt(index)->Paint(p, r, s);
}

void TCellArea::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), Background);
  const int n = CellCount();
  for (int i = 0; i < n; ++i) {
    const QRect r = CellRect(i);
    if (r.isNull() || !r.intersects(event->rect())) continue;
    PaintCell(p, i, r);
  }
}

void TCellArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceEditor();
}

// ----------------------------------------------------------------- mouse

void TCellArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int i = CellIndexAt(event->position().toPoint());
  if (i < 0) return;
  TCell* cell = CellAt(i);
  if (cell->IsButton()) {
    if (!cell->Enabled) return;
    if (cell->Focusable() && main_) main_->Activate(this, i);
    pressed_ = i;
    update(CellRect(i));
    return;
  }
  if (cell->Focusable()) {
    if (main_) main_->Activate(this, i);
    else SetActiveIndex(i);
    // This click entered the cell (its editor opened with all of the text
    // selected); the next click on the editor places the caret.
    if (auto* le = qobject_cast<TCellLineEdit*>(editor_.data()); le && ActiveIndex() == i)
      le->EntryClickTaken();
  }
}

void TCellArea::mouseReleaseEvent(QMouseEvent* event) {
  if (pressed_ < 0) return;
  const int i = pressed_;
  pressed_ = -1;
  update(CellRect(i));
  if (i < CellCount() && CellRect(i).contains(event->position().toPoint())) {
    if (main_ && !main_->CommitActive()) return;
    CellAt(i)->Click();
  }
}

// ------------------------------------------------------------------ keys

bool TCellArea::EditorTakesArrow(int key, Qt::KeyboardModifiers mods) const {
  if (!editor_) return false;
  if (mods & (Qt::ControlModifier | Qt::ShiftModifier)) return true;
  if (mods & Qt::AltModifier) return true;  // Alt+Down opens a list
  QLineEdit* le = qobject_cast<QLineEdit*>(editor_.data());
  if (!le) {
    if (auto* combo = qobject_cast<QComboBox*>(editor_.data())) le = combo->lineEdit();
  }
  if (!le) return false;  // a list-only combo box: arrows move between cells
  if (key != Qt::Key_Left && key != Qt::Key_Right) return false;
  const QString t = le->text();
  if (t.isEmpty()) return false;
  if (le->hasSelectedText() && le->selectedText().size() == t.size()) return false;
  if (le->hasSelectedText()) return true;
  if (key == Qt::Key_Left) return le->cursorPosition() > 0;
  return le->cursorPosition() < t.size();
}

bool TCellArea::HandleKey(QKeyEvent* e, bool fromEditor) {
  if (main_ && main_->KeyHook && main_->KeyHook(this, e)) return true;
  const int key = e->key();
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  TCell* cell = ActiveCell();
  switch (key) {
    case Qt::Key_Tab:
      if (mods & (Qt::ControlModifier | Qt::AltModifier)) return false;
      if (main_) main_->MoveFocus(this, !(mods & Qt::ShiftModifier));
      return true;
    case Qt::Key_Backtab:
      if (main_) main_->MoveFocus(this, false);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (cell && cell->ClicksOnEnter()) {
        if (main_ && !main_->CommitActive()) return true;
        cell->Click();
        return true;
      }
      if (main_) main_->MoveFocus(this, !(mods & Qt::ShiftModifier));
      return true;
    case Qt::Key_Space:
      if (cell && cell->IsButton() && !fromEditor) {
        cell->Click();
        return true;
      }
      return false;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (fromEditor && EditorTakesArrow(key, mods)) return false;
      if (mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) return false;
      const int n = Neighbour(active_, key);
      if (n >= 0) {
        if (main_) main_->Activate(this, n);
        else SetActiveIndex(n);
      }
      return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const int n = PageTarget(active_, key == Qt::Key_PageDown);
      if (n < 0) return false;
      if (main_) main_->Activate(this, n);
      else SetActiveIndex(n);
      return true;
    }
    case Qt::Key_Escape:
      if (fromEditor && cell && cell->EditorModified(editor_)) {
        ReloadEditor();
        return true;
      }
      if (main_) main_->RequestEscape();
      return true;
    default: return false;
  }
}

void TCellArea::keyPressEvent(QKeyEvent* event) {
  if (!HandleKey(event, false)) QWidget::keyPressEvent(event);
}

bool TCellArea::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      HandleKey(k, false);
      return true;
    }
  } else if (event->type() == QEvent::ToolTip) {
    auto* h = static_cast<QHelpEvent*>(event);
    const int i = CellIndexAt(h->pos());
    if (i >= 0 && !CellAt(i)->Hint.isEmpty()) QToolTip::showText(h->globalPos(), CellAt(i)->Hint, this);
    else QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
}

bool TCellArea::eventFilter(QObject* watched, QEvent* event) {
  bool fromEditor = editor_ && watched == editor_;
  if (!fromEditor && editor_) {
    if (auto* combo = qobject_cast<QComboBox*>(editor_.data()))
      fromEditor = combo->lineEdit() && watched == combo->lineEdit();
  }
  if (fromEditor && event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (HandleKey(k, true)) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kestrin
