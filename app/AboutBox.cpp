#include "AboutBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "AppFonts.h"
#include "core/Version.h"
#include "widgets/Cell.h"
#include "widgets/Dialogs.h"
#include "widgets/TitleBar.h"

namespace kestrin {

namespace {

const QColor kPanelColor(0xF9, 0xF3, 0xDF);
const QColor kGreen(0x10, 0x92, 0x5A);

QLabel* TextLabel(QWidget* parent, const QString& text, const QFont& font, const QRect& at) {
  auto* l = new QLabel(text, parent);
  l->setFont(font);
  l->setGeometry(at);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Presses go through to the box, which is dragged by them.
  l->setAttribute(Qt::WA_TransparentForMouseEvents);
  return l;
}

}  // namespace

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
  setPalette(pal);
  setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) { event->accept(); }

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
}

TAboutBox::TAboutBox(const QString& exePath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  setFixedSize(kWidth, kHeight);
  setFont(BaseFont());
  OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

  auto* title = new TTitleBar(this);
  title->SetCaption(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  title->CaptionFont.setPixelSize(20);
  title->setGeometry(1, 1, kWidth - 2, 36);
  title->setAttribute(Qt::WA_TransparentForMouseEvents);

  const QFileInfo exe(exePath);
  const int left = 128;
  QFont big = FaceFont("ＭＳ Ｐ明朝", 24, true);
  big.setStyleStrategy(QFont::PreferAntialias);
  ProductName = TextLabel(this, QStringLiteral("『%1』").arg(QString::fromUtf8(kProductName)), big,
                          QRect(left, 68, 340, 36));
  ProgramName = TextLabel(this, exe.fileName(), LabelFont(), QRect(left, 116, 340, 22));
  Version = TextLabel(this, QStringLiteral("Version %1").arg(QString::fromUtf8(kVersionText)),
                      LabelFont(), QRect(left, 142, 340, 22));

  HistoryLink = new TLinkLabel(QStringLiteral("更新履歴"), this);
  HistoryLink->setFont([] {
    QFont f = LabelFont();
    f.setUnderline(true);
    return f;
  }());
  HistoryLink->adjustSize();
  HistoryLink->move(left, 182);
  const QFileInfo history(exe.absoluteDir().filePath(QStringLiteral("history.htm")));
  if (!exePath.isEmpty() && history.isFile()) historyFile_ = history.absoluteFilePath();
  HistoryLink->setVisible(!historyFile_.isEmpty());
  connect(HistoryLink, &TLinkLabel::Clicked, this, &TAboutBox::OpenHistory);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setFont(LabelFont());
  OKButton->setGeometry((kWidth - 88) / 2, kHeight - 52, 88, 30);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  // Centred on the screen.
  if (QScreen* s = parent ? parent->screen() : QGuiApplication::primaryScreen())
    move(s->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

void TAboutBox::OpenHistory() {
  if (historyFile_.isEmpty()) return;
  if (!OpenUrl(QUrl::fromLocalFile(historyFile_)))
    Dialogs().Message({this, QString::fromUtf8(kProductName),
                       QStringLiteral("更新履歴を開けませんでした．\n%1").arg(historyFile_)});
}

void TAboutBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kPanelColor);
  // The thin frame of the box and the sunken panel under the title.
  p.setPen(QColor(0x40, 0x40, 0x40));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect panel(16, 52, kWidth - 32, kHeight - 52 - 64);
  p.fillRect(panel, Qt::white);
  DrawSunkenFrame(p, panel);
  // The program's picture: a slump cone on green.
  const QRect pic(40, 72, 64, 64);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(kGreen);
  p.drawRoundedRect(pic, 10, 10);
  p.setBrush(QColor(0xE8, 0xE8, 0xE8));
  const QPointF cone[4] = {{pic.left() + 24.0, pic.top() + 14.0}, {pic.left() + 40.0, pic.top() + 14.0},
                           {pic.left() + 50.0, pic.top() + 50.0}, {pic.left() + 14.0, pic.top() + 50.0}};
  p.drawPolygon(cone, 4);
  p.setBrush(QColor(0xB0, 0xB0, 0xB0));
  p.drawRect(QRectF(pic.left() + 10.0, pic.top() + 50.0, 44.0, 4.0));
}

void TAboutBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TAboutBox::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton))
    move(event->globalPosition().toPoint() - dragOffset_);
}

void TAboutBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  QDialog::mouseReleaseEvent(event);
}

}  // namespace kestrin
