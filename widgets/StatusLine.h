// The status line at the bottom of a window: one owner-drawn panel on the
// tooltip colour that shows the active cell's status message.
#pragma once

#include <QWidget>

namespace kestrin {

class TStatusLine : public QWidget {
  Q_OBJECT
 public:
  explicit TStatusLine(QWidget* parent = nullptr);
  QString Text() const { return text_; }
  void SetText(const QString& text);
  QSize sizeHint() const override { return QSize(400, 23); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace kestrin
