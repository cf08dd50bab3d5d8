#include "sheets/report/ReportPreview.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "sheets/report/PreviewGlyphs.h"
#include "sheets/report/PreviewPageView.h"
#include "widgets/TitleBar.h"

namespace kestrin {

// ------------------------------------------------------------ the window

namespace {

QToolButton* MakeCell(QWidget* parent, const QIcon& icon, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setIcon(icon);
  b->setIconSize(QSize(24, 24));
  b->setToolTip(hint);
  b->setAutoRaise(false);
  b->setFixedSize(34, 34);
  b->setFocusPolicy(Qt::TabFocus);
  return b;
}

QFrame* Separator(QWidget* parent) {
  auto* f = new QFrame(parent);
  f->setFrameShape(QFrame::VLine);
  f->setFrameShadow(QFrame::Sunken);
  return f;
}

}  // namespace

TVelReportPreview::TVelReportPreview(TReportPages* pages, QWidget* parent)
    : QDialog(parent), m_pages(pages) {
  setWindowTitle(QStringLiteral("プレビュー"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setMinimumSize(320, 200);
  setModal(true);
  move(0, 0);

  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);

  // The bars may be cut at the right in a narrow window: they do not hold
  // the window wider than its own minimum size.
  auto* top = new QFrame(this);
  top->setFrameShape(QFrame::StyledPanel);
  top->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  auto* row = new QHBoxLayout(top);
  row->setContentsMargins(3, 3, 3, 3);
  row->setSpacing(2);
  CellPzWhole = MakeCell(top, PreviewGlyph(TPreviewGlyph::Whole),
                         QStringLiteral("全表示 (ショートカットキー「1」)"));
  CellPzXFull = MakeCell(top, PreviewGlyph(TPreviewGlyph::FullWidth),
                         QStringLiteral("横フル表示 (ショートカットキー「2」)"));
  CellPzTobai = MakeCell(top, PreviewGlyph(TPreviewGlyph::RealSize),
                         QStringLiteral("実寸に近い表示 (ショートカットキー「3」)"));
  CellZoomIn = MakeCell(top, PreviewGlyph(TPreviewGlyph::ZoomIn),
                        QStringLiteral("拡大表示 (ショートカットキー「+」)"));
  CellZoomOut = MakeCell(top, PreviewGlyph(TPreviewGlyph::ZoomOut),
                         QStringLiteral("縮小表示 (ショートカットキー「-」)"));
  CellFirstPage = MakeCell(top, PreviewGlyph(TPreviewGlyph::First),
                           QStringLiteral("先頭ページを表示 (ショートカットキー「Home」)"));
  CellPrevPage = MakeCell(top, PreviewGlyph(TPreviewGlyph::Prev),
                          QStringLiteral("前ページを表示 (ショートカットキー「PageUp」)"));
  CellNextPage = MakeCell(top, PreviewGlyph(TPreviewGlyph::Next),
                          QStringLiteral("次ページを表示 (ショートカットキー「PageDown」)"));
  CellLastPage = MakeCell(top, PreviewGlyph(TPreviewGlyph::Last),
                          QStringLiteral("末尾ページを表示 (ショートカットキー「End」)"));
  CellPrint = MakeCell(top, PreviewGlyph(TPreviewGlyph::Print),
                       QStringLiteral("印刷 (ショートカットキー「P」)"));
  CellPrint->setText(QStringLiteral("印刷"));
  CellPrint->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  CellPrint->setFixedSize(72, 34);
  CellClose = MakeCell(top, QIcon(), QStringLiteral("閉じる"));
  CellClose->setText(QStringLiteral("閉じる"));
  CellClose->setToolButtonStyle(Qt::ToolButtonTextOnly);
  CellClose->setFixedSize(64, 34);
  for (QToolButton* b : {CellPzWhole, CellPzXFull, CellPzTobai}) b->setCheckable(true);

  row->addWidget(CellPzWhole);
  row->addWidget(CellPzXFull);
  row->addWidget(CellPzTobai);
  row->addWidget(Separator(top));
  row->addWidget(CellZoomIn);
  row->addWidget(CellZoomOut);
  row->addWidget(Separator(top));
  row->addWidget(CellFirstPage);
  row->addWidget(CellPrevPage);
  row->addWidget(CellNextPage);
  row->addWidget(CellLastPage);
  row->addWidget(Separator(top));
  row->addWidget(CellPrint);
  row->addWidget(CellClose);
  row->addSpacing(6);
  PageTitlePreview = new TTitleBar(top);
  PageTitlePreview->setMinimumWidth(120);
  PageTitlePreview->setFixedHeight(34);
  row->addWidget(PageTitlePreview, 1);
  box->addWidget(top);

  ScrollBox = new QScrollArea(this);
  ScrollBox->setWidgetResizable(false);
  ScrollBox->setFocusPolicy(Qt::NoFocus);
  ScrollBox->setFrameShape(QFrame::StyledPanel);
  ScrollBox->setBackgroundRole(QPalette::Dark);
  m_view = new TPreviewPageView({[this] { return ShownSize(); }, [this]() -> const QImage& { return Rendering(); },
                                 [this] { return ScrollPosition(); }, [this](QPoint p) { SetScrollPosition(p); },
                                 [this](QPoint p) { CentreOn(p); }});
  ScrollBox->setWidget(m_view);
  ScrollBox->viewport()->installEventFilter(this);
  box->addWidget(ScrollBox, 1);

  StatusBar = new QLabel(QString::fromUtf8(kPreviewKeyHelp), this);
  StatusBar->setFrameShape(QFrame::Panel);
  StatusBar->setFrameShadow(QFrame::Sunken);
  StatusBar->setContentsMargins(4, 2, 4, 2);
  StatusBar->setTextFormat(Qt::PlainText);
  StatusBar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  box->addWidget(StatusBar);

  connect(CellPzWhole, &QToolButton::clicked, this, [this] { SetMode(TPreviewMode::Whole); });
  connect(CellPzXFull, &QToolButton::clicked, this, [this] { SetMode(TPreviewMode::FullWidth); });
  connect(CellPzTobai, &QToolButton::clicked, this, [this] { SetMode(TPreviewMode::RealSize); });
  connect(CellZoomIn, &QToolButton::clicked, this, [this] { ZoomIn(); });
  connect(CellZoomOut, &QToolButton::clicked, this, [this] { ZoomOut(); });
  connect(CellFirstPage, &QToolButton::clicked, this, [this] { FirstPage(); });
  connect(CellPrevPage, &QToolButton::clicked, this, [this] { PrevPage(); });
  connect(CellNextPage, &QToolButton::clicked, this, [this] { NextPage(); });
  connect(CellLastPage, &QToolButton::clicked, this, [this] { LastPage(); });
  connect(CellPrint, &QToolButton::clicked, this, [this] { RequestPrint(); });
  connect(CellClose, &QToolButton::clicked, this, [this] { reject(); });

  // The run: its title, its first page, and its pages as they come.
  if (m_pages) {
    SetTitle(m_pages->RunTitle(), m_pages->RunTitleColor());
    SetCurrentPage(m_pages->FirstPageOfRange());
    connect(m_pages, &TReportPages::PageStored, this, &TVelReportPreview::PageReady);
    connect(m_pages, &TReportPages::ProductionFinished, this, &TVelReportPreview::ProductionDone);
    connect(m_pages, &TReportPages::Progress, this, &TVelReportPreview::ShowProgress);
    connect(m_pages, &TReportPages::ProgressEnded, this, &TVelReportPreview::EndProgress);
  }

  // Keys reach the window whichever of its cells has the focus.
  qApp->installEventFilter(this);
  UpdateModeCells();
  UpdateNavigation();
  resize(800, 600);
}

TVelReportPreview::~TVelReportPreview() { qApp->removeEventFilter(this); }

void TVelReportPreview::PlaceMaximized() {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen) setGeometry(screen->availableGeometry());
  setWindowState(windowState() | Qt::WindowMaximized);
}

void TVelReportPreview::SetTitle(const QString& title, TColor color) {
  PageTitlePreview->Color = ToQColor(color);
  PageTitlePreview->SetCaption(title);
}

void TVelReportPreview::SetCurrentPage(int pageNo) { m_currentPage = std::max(1, pageNo); }

void TVelReportPreview::UpdateNavigation() {
  const int first = m_pages ? m_pages->FirstStoredPage() : 0;
  const int last = m_pages ? m_pages->LastStoredPage() : 0;
  const bool back = first > 0 && m_currentPage > first;
  const bool forward = last > 0 && m_currentPage < last;
  CellFirstPage->setEnabled(back);
  CellPrevPage->setEnabled(back);
  CellNextPage->setEnabled(forward);
  CellLastPage->setEnabled(forward);
}

void TVelReportPreview::PageReady(int pageNo) {
  UpdateNavigation();
  if (pageNo == m_currentPage && !m_image) {
    LoadCurrentPage();
    Relayout();
  }
}

void TVelReportPreview::ProductionDone() {
  UpdateNavigation();
  if (!m_image) {
    LoadCurrentPage();
    Relayout();
  }
  m_view->update();
}

void TVelReportPreview::ShowProgress(const QString& text) {
  if (!m_progressShown) {
    m_statusBeforeProgress = StatusBar->text();
    m_progressShown = true;
  }
  StatusBar->setText(text);
}

void TVelReportPreview::EndProgress() {
  if (!m_progressShown) return;
  StatusBar->setText(m_statusBeforeProgress);
  m_progressShown = false;
}

void TVelReportPreview::LoadCurrentPage() {
  auto page = std::make_unique<TPageImage>();
  if (m_pages && m_pages->LoadPage(m_currentPage, *page)) {
    m_image = std::move(page);
  } else {
    m_image.reset();
  }
  m_renderingValid = false;
  m_view->update();
}

QSize TVelReportPreview::PageSizePixels() const {
  if (m_image && m_image->Width() > 0 && m_image->Height() > 0) {
    return QSize(m_image->Width(), m_image->Height());
  }
  const QSize paper = m_pages ? m_pages->PageSizePixels() : QSize();
  if (paper.width() > 0 && paper.height() > 0) return paper;
  return QSize(210, 297);
}

void TVelReportPreview::Relayout() {
  const QSize page = PageSizePixels();
  const QSize full = ScrollBox->maximumViewportSize();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollBox);
  switch (m_mode) {
    case TPreviewMode::Whole:
      m_shown = FitWholePage(page, full);
      break;
    case TPreviewMode::FullWidth:
      m_shown = FitPageWidth(page, full.width());
      // Taller than the area: the vertical scroll bar takes its width.
      if (m_shown.height() + 2 * kPreviewBorder > full.height()) {
        m_shown = FitPageWidth(page, full.width() - bar);
      }
      break;
    case TPreviewMode::RealSize: {
      const long double w = m_pages ? m_pages->PaperWidthMm() : 210;
      const long double h = m_pages ? m_pages->PaperHeightMm() : 297;
      m_shown = RealPaperSize(w, h, logicalDpiX(), logicalDpiY());
      break;
    }
    case TPreviewMode::Free:
      break;
  }
  ApplyContentSize();
}

void TVelReportPreview::ApplyContentSize() {
  ScrollBox->setHorizontalScrollBarPolicy(m_mode == TPreviewMode::FullWidth
                                              ? Qt::ScrollBarAlwaysOff
                                              : Qt::ScrollBarAsNeeded);
  const QSize full = ScrollBox->maximumViewportSize();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ScrollBox);
  const int w = m_shown.width() + 2 * kPreviewBorder;
  const int h = m_shown.height() + 2 * kPreviewBorder;
  const bool noHorz = m_mode == TPreviewMode::FullWidth;
  bool needV = h > full.height();
  bool needH = !noHorz && w > full.width();
  if (needV && !needH && !noHorz) needH = w > full.width() - bar;
  if (needH && !needV) needV = h > full.height() - bar;
  const QSize view(full.width() - (needV ? bar : 0), full.height() - (needH ? bar : 0));
  const QSize content(std::max(view.width(), w), std::max(view.height(), h));
  if (m_view->size() != content) m_view->resize(content);
  if (m_rendering.deviceIndependentSize().toSize() != m_shown) m_renderingValid = false;
  m_view->update();
}

const QImage& TVelReportPreview::Rendering() {
  // On a high-density screen the page is drawn in the screen's own pixels
  // (crisp lines and text) and shown at its size in window units.
  const qreal ratio = m_view ? m_view->devicePixelRatioF() : 1.0;
  const QSize pixels = ratio == 1.0 ? m_shown : (QSizeF(m_shown) * ratio).toSize();
  if (!m_renderingValid || m_rendering.size() != pixels) {
    m_rendering = m_image ? m_image->ToImage(pixels.width(), pixels.height()) : QImage();
    if (!m_rendering.isNull()) m_rendering.setDevicePixelRatio(ratio);
    m_renderingValid = true;
  }
  return m_rendering;
}

QPoint TVelReportPreview::ShownOrigin() const { return PageOrigin(m_shown, m_view->size()); }

QPoint TVelReportPreview::ScrollPosition() const {
  return QPoint(ScrollBox->horizontalScrollBar()->value(), ScrollBox->verticalScrollBar()->value());
}

void TVelReportPreview::SetScrollPosition(QPoint p) {
  ScrollBox->horizontalScrollBar()->setValue(p.x());
  ScrollBox->verticalScrollBar()->setValue(p.y());
}

void TVelReportPreview::ScrollBy(int dx, int dy) {
  SetScrollPosition(ScrollPosition() + QPoint(dx, dy));
}

void TVelReportPreview::CentreOn(QPoint contentPoint) {
  const QSize view = ScrollBox->viewport()->size();
  SetScrollPosition(contentPoint - QPoint(view.width() / 2, view.height() / 2));
}

void TVelReportPreview::UpdateModeCells() {
  CellPzWhole->setChecked(m_mode == TPreviewMode::Whole);
  CellPzXFull->setChecked(m_mode == TPreviewMode::FullWidth);
  CellPzTobai->setChecked(m_mode == TPreviewMode::RealSize);
}

void TVelReportPreview::SetMode(TPreviewMode mode) {
  if (m_mode != mode && m_mode != TPreviewMode::Free) m_fitMode = m_mode;
  m_mode = mode;
  Relayout();
  SetScrollPosition(QPoint(0, 0));
  UpdateModeCells();
}

void TVelReportPreview::SetShownSize(QSize size) {
  const QSize oldShown = m_shown;
  const QPoint oldOrigin = ShownOrigin();
  const QPoint scroll = ScrollPosition();
  const QSize oldView = ScrollBox->viewport()->size();
  if (m_mode != TPreviewMode::Free) {
    m_fitMode = m_mode;
    m_mode = TPreviewMode::Free;
  }
  m_shown = size;
  ApplyContentSize();
  // Let the scroll area take the new content size before scrolling.
  QApplication::sendPostedEvents(ScrollBox, QEvent::LayoutRequest);
  SetScrollPosition(ScrollKeepingCentre(scroll, oldView, oldOrigin, oldShown,
                                        ScrollBox->viewport()->size(), ShownOrigin(), m_shown));
  UpdateModeCells();
}

bool TVelReportPreview::ZoomIn() {
  QSize s = m_shown;
  if (!ZoomInSize(s)) return false;
  SetShownSize(s);
  return true;
}

bool TVelReportPreview::ZoomOut() {
  QSize s = m_shown;
  if (!ZoomOutSize(s)) return false;
  SetShownSize(s);
  return true;
}

void TVelReportPreview::GoToPage(int pageNo) {
  if (!m_pages || !m_pages->IsStored(pageNo) || pageNo == m_currentPage) return;
  m_currentPage = pageNo;
  if (m_mode == TPreviewMode::Free) m_mode = m_fitMode;
  LoadCurrentPage();
  Relayout();
  SetScrollPosition(QPoint(0, 0));
  UpdateModeCells();
  UpdateNavigation();
}

void TVelReportPreview::FirstPage() {
  if (m_pages) GoToPage(m_pages->FirstStoredPage());
}

void TVelReportPreview::PrevPage() { GoToPage(m_currentPage - 1); }
void TVelReportPreview::NextPage() { GoToPage(m_currentPage + 1); }

void TVelReportPreview::LastPage() {
  if (m_pages) GoToPage(m_pages->LastStoredPage());
}

void TVelReportPreview::RequestPrint() {
  m_printRequested = true;
  if (m_pages) m_pages->RequestPrint();
  accept();
}

void TVelReportPreview::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Relayout();
}

bool TVelReportPreview::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ScrollBox->viewport() && event->type() == QEvent::Resize) {
    Relayout();
    return false;
  }
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isVisible()) {
    auto* w = static_cast<QWidget*>(watched);
    if (w == this || isAncestorOf(w)) return HandleKey(static_cast<QKeyEvent*>(event));
  }
  return QDialog::eventFilter(watched, event);
}

void TVelReportPreview::keyPressEvent(QKeyEvent* event) {
  if (!HandleKey(event)) QDialog::keyPressEvent(event);
}

bool TVelReportPreview::HandleKey(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  QScrollBar* h = ScrollBox->horizontalScrollBar();
  QScrollBar* v = ScrollBox->verticalScrollBar();
  const int steps = shift ? 5 : 1;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (auto* b = qobject_cast<QAbstractButton*>(focusWidget()); b && isAncestorOf(b)) {
        if (b->isEnabled()) b->click();
      }
      return true;
    case Qt::Key_Escape:
    case Qt::Key_F12:
      reject();
      return true;
    case Qt::Key_PageUp:
      if (ctrl) ScrollBy(0, -ScrollBox->viewport()->height());
      else PrevPage();
      return true;
    case Qt::Key_PageDown:
      if (ctrl) ScrollBy(0, ScrollBox->viewport()->height());
      else NextPage();
      return true;
    case Qt::Key_Home:
      if (ctrl) SetScrollPosition(QPoint(0, 0));
      else FirstPage();
      return true;
    case Qt::Key_End:
      if (ctrl) SetScrollPosition(QPoint(h->maximum(), v->maximum()));
      else LastPage();
      return true;
    case Qt::Key_Left: ScrollBy(-h->singleStep() * steps, 0); return true;
    case Qt::Key_Right: ScrollBy(h->singleStep() * steps, 0); return true;
    case Qt::Key_Up: ScrollBy(0, -v->singleStep() * steps); return true;
    case Qt::Key_Down: ScrollBy(0, v->singleStep() * steps); return true;
    case Qt::Key_1: SetMode(TPreviewMode::Whole); return true;
    case Qt::Key_2: SetMode(TPreviewMode::FullWidth); return true;
    case Qt::Key_3: SetMode(TPreviewMode::RealSize); return true;
    case Qt::Key_Plus: ZoomIn(); return true;
    case Qt::Key_Minus: ZoomOut(); return true;
    case Qt::Key_P: RequestPrint(); return true;
    default: return false;
  }
}

}  // namespace kestrin
