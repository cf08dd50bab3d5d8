// The about box: the product name in book-title brackets, the executable's
// file name, the version, and a link to the change history page when
// history.htm lies beside the executable. A small frameless window that is
// dragged by pressing the mouse anywhere on it.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>
#include <functional>

class QPushButton;

namespace kestrin {

// A text that acts as a link: blue, underlined, a hand cursor; a click
// emits Clicked.
class TLinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kWidth = 498;
  static constexpr int kHeight = 317;

  // `exePath`: the running program's file (its name is shown, and
  // history.htm is looked for in its folder).
  explicit TAboutBox(const QString& exePath, QWidget* parent = nullptr);

  QLabel* ProductName = nullptr;
  QLabel* ProgramName = nullptr;
  QLabel* Version = nullptr;
  TLinkLabel* HistoryLink = nullptr;  // hidden without history.htm
  QPushButton* OKButton = nullptr;

  // The change history page beside the executable ("" when there is none).
  QString HistoryFile() const { return historyFile_; }
  // Opens the change history page with the system's handler for it.
  void OpenHistory();
  // How documents are opened (QDesktopServices; tests record the call).
  std::function<bool(const QUrl&)> OpenUrl;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString historyFile_;
  QPoint dragOffset_;
  bool dragging_ = false;
};

}  // namespace kestrin
