#include "StrengthDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace kestrin {

TStrengthDelegate::TStrengthDelegate(TCheck check, QObject* parent)
    : QStyledItemDelegate(parent), check_(std::move(check)) {}

QWidget* TStrengthDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QStringLiteral("StrengthCellEditor"));
  e->setFrame(false);
  e->setProperty("index", QVariant::fromValue(QPersistentModelIndex(index)));
  return e;
}

void TStrengthDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* e = qobject_cast<QLineEdit*>(editor);
  // Typing into a cell starts with what was typed; F2 or a double click
  // with the cell's text.
  if (e && e->text().isEmpty()) e->setText(index.data(Qt::EditRole).toString());
}

void TStrengthDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
  auto* e = qobject_cast<QLineEdit*>(editor);
  if (!e) return;
  // Unchanged text is no change (and no refusal of a value loaded as it is).
  if (e->text() == index.data(Qt::EditRole).toString()) return;
  model->setData(index, e->text(), Qt::EditRole);
}

bool TStrengthDelegate::Finish(QWidget* editor) {
  auto* e = qobject_cast<QLineEdit*>(editor);
  if (!e) return true;
  const QPersistentModelIndex index = e->property("index").value<QPersistentModelIndex>();
  if (index.isValid() && e->text() != index.data(Qt::EditRole).toString() && check_) {
    const QString refusal = check_(index, e->text());
    if (!refusal.isEmpty()) {
      emit Refused(refusal);
      e->selectAll();
      return false;
    }
  }
  emit commitData(editor);
  emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  return true;
}

bool TStrengthDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (Finish(qobject_cast<QWidget*>(object))) emit Advance();
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace kestrin
