// The editor of the strength table's cells: a line edit whose text is
// checked before it reaches the model. Enter commits a text the column
// takes and asks the window to move on (along the row, then to the next
// test's first cell); a text the column refuses keeps the editor open
// with what was typed and the reason goes to the status line. A commit by
// leaving the cell goes through the model, which refuses the same way
// (the cell then keeps its value).
#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace kestrin {

class TStrengthDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  // Returns the refusal of `text` for the cell, empty when it is taken.
  using TCheck = std::function<QString(const QModelIndex& index, const QString& text)>;

  explicit TStrengthDelegate(TCheck check, QObject* parent = nullptr);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

  // Commits and closes `editor` when its text is taken; false (the editor
  // stays, the refusal said) otherwise.
  bool Finish(QWidget* editor);

 signals:
  void Refused(const QString& reason);
  // Enter committed a cell: the window moves to the next one.
  void Advance();

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  TCheck check_;
};

}  // namespace kestrin
