// The preview window: the stored pages of a report run, one at a time, in
// four display modes (free zoom, whole page, full width, near real size),
// with page navigation, zoom, dragging, keys and printing from the window.
//
// The window reads the run's pages through TReportPages only. Pages arrive
// while the window is open: the run's signals say when a page is stored and
// when production is done; the navigation cells follow the stored pages.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QPointer>

#include <memory>

#include "platform/Color.h"
#include "platform/PageImage.h"
#include "sheets/report/ReportPages.h"
#include "sheets/report/PreviewZoom.h"

class QLabel;
class QScrollArea;
class QToolButton;
class QAbstractButton;

namespace kestrin {

class TTitleBar;
class TPreviewPageView;

// The key help of the status bar.
inline const char* const kPreviewKeyHelp =
    "キー操作 [スクロール] ↑↓←→(Shiftで大きく移動), Ctrl-Home/End 等 [前/次ページ] "
    "PageUp,PageDown [先頭/末尾ページ] Home,End [表示モード切替] 1,2,3 [拡大/縮小] +,- "
    "[印刷] P";

class TVelReportPreview : public QDialog {
  Q_OBJECT
 public:
  // pages: the run whose pages the window shows (may be null: no pages).
  TVelReportPreview(TReportPages* pages, QWidget* parent = nullptr);
  ~TVelReportPreview() override;

  // ---- components
  TTitleBar* PageTitlePreview = nullptr;
  QToolButton* CellPzWhole = nullptr;
  QToolButton* CellPzXFull = nullptr;
  QToolButton* CellPzTobai = nullptr;
  QToolButton* CellZoomIn = nullptr;
  QToolButton* CellZoomOut = nullptr;
  QToolButton* CellFirstPage = nullptr;
  QToolButton* CellPrevPage = nullptr;
  QToolButton* CellNextPage = nullptr;
  QToolButton* CellLastPage = nullptr;
  QToolButton* CellPrint = nullptr;
  QToolButton* CellClose = nullptr;
  QScrollArea* ScrollBox = nullptr;
  QLabel* StatusBar = nullptr;

  // Maximized at the top-left of the screen (also where no window manager
  // maximizes windows).
  void PlaceMaximized();

  void SetTitle(const QString& title, TColor color);
  void SetCurrentPage(int pageNo);
  void UpdateNavigation();
  // ---- the run's signals
  void PageReady(int pageNo);
  void ProductionDone();
  void ShowProgress(const QString& text);
  void EndProgress();

  // ---- state
  int CurrentPage() const { return m_currentPage; }
  // The current page as loaded from the store (null before it is stored).
  const TPageImage* CurrentImage() const { return m_image.get(); }
  TPreviewMode Mode() const { return m_mode; }
  // The mode that free zoom returns to on another page.
  TPreviewMode FitMode() const { return m_fitMode; }
  QSize ShownSize() const { return m_shown; }
  // Where the page starts inside the scrolled content.
  QPoint ShownOrigin() const;
  QPoint ScrollPosition() const;
  void SetScrollPosition(QPoint p);
  bool PrintRequested() const { return m_printRequested; }

  // ---- commands (the cells and keys call these)
  void SetMode(TPreviewMode mode);
  bool ZoomIn();
  bool ZoomOut();
  // Sets the displayed page size directly (free zoom).
  void SetShownSize(QSize size);
  void FirstPage();
  void PrevPage();
  void NextPage();
  void LastPage();
  void RequestPrint();
  // The page's rendering at the displayed size (cached).
  const QImage& Rendering();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool HandleKey(QKeyEvent* event);
  void GoToPage(int pageNo);
  void LoadCurrentPage();
  // Recomputes the displayed size for the fitting modes and lays out the
  // content.
  void Relayout();
  void ApplyContentSize();
  QSize PageSizePixels() const;
  void ScrollBy(int dx, int dy);
  void UpdateModeCells();
  void CentreOn(QPoint contentPoint);

  QPointer<TReportPages> m_pages;
  TPreviewPageView* m_view = nullptr;
  int m_currentPage = 1;
  std::unique_ptr<TPageImage> m_image;
  TPreviewMode m_mode = TPreviewMode::Whole;
  TPreviewMode m_fitMode = TPreviewMode::Whole;
  QSize m_shown{1, 1};
  QImage m_rendering;
  bool m_renderingValid = false;
  bool m_printRequested = false;
  QString m_statusBeforeProgress;  // the status text while progress shows
  bool m_progressShown = false;
};

}  // namespace kestrin
