// The busy window: a small modeless window with a message, optional
// progress lines and a cancel button, for long runs (printing, export).
// The run asks Cancelled() between its steps.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

namespace kestrin {

class TBusyWindow : public QDialog {
  Q_OBJECT
 public:
  // `lines` progress lines are shown under the message (0 to 3).
  TBusyWindow(QWidget* parent, const QString& message, int lines = 0);
  void SetMessage(const QString& message);
  void SetLine(int index, const QString& text);
  bool Cancelled() const { return cancelled_; }

 protected:
  void reject() override;  // Esc and the cancel button

 private:
  QLabel* message_;
  QList<QLabel*> lines_;
  QPushButton* cancel_;
  bool cancelled_ = false;
};

}  // namespace kestrin
