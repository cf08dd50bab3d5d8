// The page title bar at the top of a window: a coloured band with a framed
// block at the left and the caption right-aligned in an anti-aliased font.
#pragma once

#include <QWidget>

namespace kestrin {

class TTitleBar : public QWidget {
  Q_OBJECT
 public:
  explicit TTitleBar(QWidget* parent = nullptr);
  QString Caption;
  QColor Color = QColor(0x10, 0x92, 0x5A);
  QColor FontColor = Qt::white;
  QFont CaptionFont;  // "ＭＳ Ｐ明朝", bold, 27 px by default
  int RightMargin = 12;
  void SetCaption(const QString& caption);
  QSize sizeHint() const override { return QSize(400, 36); }

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kestrin
