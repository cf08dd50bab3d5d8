#include "BusyWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrin {

TBusyWindow::TBusyWindow(QWidget* parent, const QString& message, int lines)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setModal(false);
  setWindowTitle(QStringLiteral("処理中"));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
  setPalette(pal);
  auto* box = new QVBoxLayout(this);
  message_ = new QLabel(message, this);
  message_->setAlignment(Qt::AlignCenter);
  box->addWidget(message_);
  for (int i = 0; i < std::clamp(lines, 0, 3); ++i) {
    auto* l = new QLabel(this);
    l->setAlignment(Qt::AlignCenter);
    lines_.append(l);
    box->addWidget(l);
  }
  cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(cancel_);
  row->addStretch();
  box->addLayout(row);
  connect(cancel_, &QPushButton::clicked, this, &TBusyWindow::reject);
  setMinimumWidth(360);
}

void TBusyWindow::SetMessage(const QString& message) { message_->setText(message); }

void TBusyWindow::SetLine(int index, const QString& text) {
  if (index >= 0 && index < lines_.size()) lines_[index]->setText(text);
}

void TBusyWindow::reject() {
  cancelled_ = true;
  cancel_->setEnabled(false);
}

}  // namespace kestrin
