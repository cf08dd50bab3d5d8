// The preview window: zoom geometry, the display modes, navigation over
// the stored pages, every key of the window, the mouse, and what the window
// shows while the second page is still being drawn.
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "ReportFixture.h"
#include "widgets/TitleBar.h"

namespace kestrin::test {
namespace {

// ---------------------------------------------------------------- geometry

TEST(PreviewZoomTest, ZoomInCapsTheLargerSideAt2560) {
  // A page shown larger than the limit (near real size on a fine screen)
  // is brought to the limit.
  QSize s(2200, 3111);
  ASSERT_TRUE(ZoomInSize(s));
  EXPECT_EQ(s, QSize(1810, 2560));
  // At the limit nothing changes.
  EXPECT_FALSE(ZoomInSize(s));
  EXPECT_EQ(s, QSize(1810, 2560));
  QSize wide(2560, 100);
  EXPECT_FALSE(ZoomInSize(wide));
  QSize near(2000, 2200);
  ASSERT_TRUE(ZoomInSize(near));
  EXPECT_EQ(near, QSize(2327, 2560));
  // An ordinary step.
  QSize small(500, 707);
  ASSERT_TRUE(ZoomInSize(small));
  EXPECT_EQ(small, QSize(600, 848));
}

TEST(PreviewZoomTest, ZoomOutKeepsTheSmallerSideAtLeast128) {
  QSize s(150, 212);
  ASSERT_TRUE(ZoomOutSize(s));
  EXPECT_EQ(s.width(), 128);
  EXPECT_EQ(s.height(), 181);
  EXPECT_FALSE(ZoomOutSize(s));
  QSize normal(600, 848);
  ASSERT_TRUE(ZoomOutSize(normal));
  EXPECT_EQ(normal, QSize(500, 707));
}

TEST(PreviewZoomTest, FittingModesAndRealSize) {
  // A4 at 600 dpi into an 800 x 500 area: the height decides.
  EXPECT_EQ(FitWholePage(QSize(4958, 7017), QSize(800, 500)), QSize(350, 496));
  // Into a wide-enough, low area: width decides when the page is wide.
  EXPECT_EQ(FitWholePage(QSize(7017, 4958), QSize(404, 800)), QSize(400, 283));
  EXPECT_EQ(FitPageWidth(QSize(4958, 7017), 784), QSize(780, 1104));
  // 210 mm / (1600/63) x 96 = 793.8, 297 mm -> 1122.6.
  EXPECT_EQ(RealPaperSize(210, 297, 96, 96), QSize(793, 1122));
  // Centred where smaller, at the border where larger.
  EXPECT_EQ(PageOrigin(QSize(100, 1000), QSize(300, 500)), QPoint(100, 2));
}

TEST(PreviewZoomTest, ScrollKeepsTheCentrePointOfThePage) {
  // View 400 x 300 at scroll (100, 200) over a 1000 x 1400 page at (2, 2):
  // the centre shows page point (298, 348) = fractions 0.298, 0.2486.
  const QPoint s = ScrollKeepingCentre(QPoint(100, 200), QSize(400, 300), QPoint(2, 2),
                                       QSize(1000, 1400), QSize(400, 300), QPoint(2, 2),
                                       QSize(1200, 1680));
  EXPECT_EQ(s, QPoint(2 + 358 - 200, 2 + 418 - 150));
}

// ---------------------------------------------------------------- the window

class PreviewTest : public ReportFixture {
 protected:
  // Runs an all-sheets preview; `body` sees the shown window with both
  // pages stored.
  void WithPreview(std::function<void(TVelReportPreview&)> body) {
    previewBody = [body](TVelReportPreview& p) {
      p.PlaceMaximized();
      p.show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&p));
      QApplication::processEvents();
      body(p);
    };
    EXPECT_TRUE(report->Run(TPrintSheet::All));
  }

  static void Key(TVelReportPreview& p, int key, Qt::KeyboardModifiers mods = {}) {
    QWidget* target = QApplication::focusWidget();
    if (!target || !(target == &p || p.isAncestorOf(target))) target = &p;
    QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
    QApplication::processEvents();
  }

  static QSize View(TVelReportPreview& p) { return p.ScrollBox->viewport()->size(); }
  static QPoint Scroll(TVelReportPreview& p) { return p.ScrollPosition(); }
};

TEST_F(PreviewTest, OpensMaximizedOnTheWholeFirstPage) {
  WithPreview([&](TVelReportPreview& p) {
    EXPECT_EQ(p.windowTitle(), QString::fromUtf8("プレビュー"));
    EXPECT_TRUE(p.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(p.minimumSize(), QSize(320, 200));
    // The whole screen from its top-left corner (less any window frame).
    const QRect screen = p.screen()->availableGeometry();
    EXPECT_LE(p.frameGeometry().left(), screen.left() + 8);
    EXPECT_LE(p.frameGeometry().top(), screen.top() + 8);
    EXPECT_GE(p.width(), screen.width() - 16);
    EXPECT_GE(p.height(), screen.height() - 40);
    EXPECT_EQ(p.Mode(), TPreviewMode::Whole);
    EXPECT_TRUE(p.CellPzWhole->isChecked());
    EXPECT_FALSE(p.CellPzXFull->isChecked());
    EXPECT_FALSE(p.CellPzTobai->isChecked());
    EXPECT_EQ(p.CurrentPage(), 1);
    ASSERT_NE(p.CurrentImage(), nullptr);
    // Fitted into the area less 2 pixels on every side.
    const QSize v = View(p);
    const QSize s = p.ShownSize();
    EXPECT_LE(s.width(), v.width() - 4);
    EXPECT_LE(s.height(), v.height() - 4);
    EXPECT_TRUE(s.width() == v.width() - 4 || s.height() == v.height() - 4);
    EXPECT_NEAR(static_cast<double>(s.width()) / s.height(), 4958.0 / 7017.0, 0.01);
    // Title bar and status bar.
    EXPECT_EQ(p.PageTitlePreview->Caption, QString::fromUtf8("印刷プレビュー"));
    EXPECT_EQ(p.PageTitlePreview->Color, QColor(0xD0, 0x28, 0x5F));
    EXPECT_EQ(p.StatusBar->text(), QString::fromUtf8(kPreviewKeyHelp));
    EXPECT_EQ(p.CellZoomIn->toolTip(), QString::fromUtf8("拡大表示 (ショートカットキー「+」)"));
    EXPECT_EQ(p.CellNextPage->toolTip(),
              QString::fromUtf8("次ページを表示 (ショートカットキー「PageDown」)"));
    EXPECT_EQ(p.CellPrint->toolTip(), QString::fromUtf8("印刷 (ショートカットキー「P」)"));
  });
}

TEST_F(PreviewTest, ShrinksToItsMinimumSize) {
  WithPreview([&](TVelReportPreview& p) {
    p.setWindowState(Qt::WindowNoState);
    p.resize(320, 200);
    QApplication::processEvents();
    EXPECT_EQ(p.size(), QSize(320, 200));
    // Whole page still fits the smaller area.
    EXPECT_LE(p.ShownSize().height(), View(p).height() - 4);
  });
}

TEST_F(PreviewTest, PageKeysMoveOverTheStoredPagesAndTheCellsFollow) {
  WithPreview([&](TVelReportPreview& p) {
    EXPECT_FALSE(p.CellFirstPage->isEnabled());
    EXPECT_FALSE(p.CellPrevPage->isEnabled());
    EXPECT_TRUE(p.CellNextPage->isEnabled());
    EXPECT_TRUE(p.CellLastPage->isEnabled());
    Key(p, Qt::Key_PageDown);
    EXPECT_EQ(p.CurrentPage(), 2);
    EXPECT_TRUE(p.CellPrevPage->isEnabled());
    EXPECT_FALSE(p.CellNextPage->isEnabled());
    Key(p, Qt::Key_PageDown);  // no page 3
    EXPECT_EQ(p.CurrentPage(), 2);
    Key(p, Qt::Key_PageUp);
    EXPECT_EQ(p.CurrentPage(), 1);
    Key(p, Qt::Key_End);
    EXPECT_EQ(p.CurrentPage(), 2);
    Key(p, Qt::Key_Home);
    EXPECT_EQ(p.CurrentPage(), 1);
    p.CellLastPage->click();
    EXPECT_EQ(p.CurrentPage(), 2);
    p.CellFirstPage->click();
    EXPECT_EQ(p.CurrentPage(), 1);
  });
  EXPECT_EQ(dialogCalls, 0);
}

TEST_F(PreviewTest, PagesShowWhatTheirDrawerDrew) {
  WithPreview([&](TVelReportPreview& p) {
    // Each recorded page frames its page rectangle; page images are the
    // physical page in printer pixels.
    ASSERT_NE(p.CurrentImage(), nullptr);
    EXPECT_EQ(p.CurrentImage()->Width(), report->RepDraw.Geometry.PhysicalWidth);
    const QImage one = p.Rendering().copy();
    Key(p, Qt::Key_PageDown);
    const QImage two = p.Rendering().copy();
    EXPECT_EQ(one.size(), two.size());
    EXPECT_NE(one, two);  // "1" and "2" differ
  });
}

TEST_F(PreviewTest, DigitKeysSwitchTheDisplayMode) {
  WithPreview([&](TVelReportPreview& p) {
    Key(p, Qt::Key_2);
    EXPECT_EQ(p.Mode(), TPreviewMode::FullWidth);
    EXPECT_TRUE(p.CellPzXFull->isChecked());
    EXPECT_FALSE(p.CellPzWhole->isChecked());
    EXPECT_EQ(p.ScrollBox->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // Full width of the area (less the vertical scroll bar it needs).
    EXPECT_EQ(p.ShownSize().width(), View(p).width() - 4);
    EXPECT_GT(p.ShownSize().height(), View(p).height());

    Key(p, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(p.Mode(), TPreviewMode::RealSize);
    EXPECT_TRUE(p.CellPzTobai->isChecked());
    EXPECT_EQ(p.ShownSize(), RealPaperSize(210, 297, p.logicalDpiX(), p.logicalDpiY()));
    EXPECT_EQ(p.FitMode(), TPreviewMode::FullWidth);

    Key(p, Qt::Key_1);
    EXPECT_EQ(p.Mode(), TPreviewMode::Whole);
    EXPECT_EQ(p.FitMode(), TPreviewMode::RealSize);
    p.CellPzXFull->click();
    EXPECT_EQ(p.Mode(), TPreviewMode::FullWidth);
    p.CellPzXFull->click();  // clicking the active mode keeps it active
    EXPECT_TRUE(p.CellPzXFull->isChecked());
  });
}

TEST_F(PreviewTest, ZoomKeepsTheCentreAndStopsAtTheLimits) {
  WithPreview([&](TVelReportPreview& p) {
    Key(p, Qt::Key_3);
    // Scroll somewhere into the page.
    p.SetScrollPosition(QPoint(30, 200));
    auto centreFraction = [&] {
      const QPoint o = p.ShownOrigin();
      const QPoint s = Scroll(p);
      const QSize v = View(p);
      return QPointF((s.x() + v.width() / 2.0 - o.x()) / p.ShownSize().width(),
                     (s.y() + v.height() / 2.0 - o.y()) / p.ShownSize().height());
    };
    const QPointF before = centreFraction();
    const QSize was = p.ShownSize();
    Key(p, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(p.Mode(), TPreviewMode::Free);
    EXPECT_FALSE(p.CellPzWhole->isChecked() || p.CellPzXFull->isChecked() ||
                 p.CellPzTobai->isChecked());
    EXPECT_NEAR(p.ShownSize().width(), was.width() * 1.2, 1);
    const QPointF after = centreFraction();
    EXPECT_NEAR(after.x(), before.x(), 0.003);
    EXPECT_NEAR(after.y(), before.y(), 0.003);

    for (int i = 0; i < 20; ++i) Key(p, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(std::max(p.ShownSize().width(), p.ShownSize().height()), 2560);
    for (int i = 0; i < 40; ++i) Key(p, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(std::min(p.ShownSize().width(), p.ShownSize().height()), 128);
    p.CellZoomIn->click();
    EXPECT_GT(p.ShownSize().width(), 128);

    // Another page comes back in the fit mode left last (near real size).
    Key(p, Qt::Key_PageDown);
    EXPECT_EQ(p.CurrentPage(), 2);
    EXPECT_EQ(p.Mode(), TPreviewMode::RealSize);
    EXPECT_EQ(Scroll(p), QPoint(0, 0));
  });
}

TEST_F(PreviewTest, ScrollKeys) {
  WithPreview([&](TVelReportPreview& p) {
    for (int i = 0; i < 10; ++i) Key(p, Qt::Key_Plus);
    QScrollBar* h = p.ScrollBox->horizontalScrollBar();
    QScrollBar* v = p.ScrollBox->verticalScrollBar();
    ASSERT_GT(h->maximum(), 0);
    ASSERT_GT(v->maximum(), 0);
    Key(p, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Scroll(p), QPoint(0, 0));
    Key(p, Qt::Key_Down);
    EXPECT_EQ(v->value(), v->singleStep());
    Key(p, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(v->value(), 6 * v->singleStep());
    Key(p, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(h->value(), std::min(h->maximum(), 5 * h->singleStep()));
    Key(p, Qt::Key_Left);
    EXPECT_EQ(h->value(), std::min(h->maximum(), 5 * h->singleStep()) - h->singleStep());
    Key(p, Qt::Key_Up);
    EXPECT_EQ(v->value(), 5 * v->singleStep());
    Key(p, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(v->value(), std::min(v->maximum(), 5 * v->singleStep() + View(p).height()));
    EXPECT_EQ(p.CurrentPage(), 1);  // Ctrl: scrolls, no page change
    Key(p, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(v->value(), 5 * v->singleStep());
    Key(p, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Scroll(p), QPoint(h->maximum(), v->maximum()));
    EXPECT_EQ(p.CurrentPage(), 1);
  });
}

TEST_F(PreviewTest, DraggingScrollsAndDoubleClickCentres) {
  WithPreview([&](TVelReportPreview& p) {
    for (int i = 0; i < 4; ++i) Key(p, Qt::Key_Plus);
    QWidget* view = p.ScrollBox->widget();
    p.SetScrollPosition(QPoint(100, 100));
    const QPoint start = Scroll(p);
    const QPoint at = start + QPoint(200, 200);  // content coordinates
    EXPECT_EQ(view->cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(view, Qt::LeftButton, {}, at);
    EXPECT_EQ(view->cursor().shape(), Qt::ClosedHandCursor);
    QMouseEvent move(QEvent::MouseMove, QPointF(at - QPoint(50, 40)),
                     QPointF(view->mapToGlobal(at - QPoint(50, 40))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    EXPECT_EQ(Scroll(p), start + QPoint(50, 40));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at - QPoint(50, 40));
    EXPECT_EQ(view->cursor().shape(), Qt::OpenHandCursor);

    // A point 100 px right of and 80 px below the centre comes to the
    // centre.
    const QSize vs = View(p);
    const QPoint before = Scroll(p);
    const QPoint target = before + QPoint(vs.width() / 2 + 100, vs.height() / 2 + 80);
    QTest::mouseDClick(view, Qt::LeftButton, {}, target);
    EXPECT_EQ(Scroll(p), before + QPoint(100, 80));
  });
}

TEST_F(PreviewTest, EscapeAndF12CloseWithoutPrinting) {
  for (int key : {int(Qt::Key_Escape), int(Qt::Key_F12)}) {
    bool closed = false, requested = true;
    WithPreview([&](TVelReportPreview& p) {
      Key(p, key);
      closed = !p.isVisible();
      requested = p.PrintRequested();
    });
    EXPECT_TRUE(closed) << key;
    EXPECT_FALSE(requested) << key;
  }
  EXPECT_EQ(dialogCalls, 0);
  EXPECT_TRUE(busyTexts.empty());
  EXPECT_EQ(Sheets(), (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(PreviewTest, CloseCellClosesWithoutPrintingAndPPrints) {
  WithPreview([&](TVelReportPreview& p) { p.CellClose->click(); });
  EXPECT_EQ(dialogCalls, 0);
  WithPreview([&](TVelReportPreview& p) { Key(p, Qt::Key_P); });
  EXPECT_EQ(dialogCalls, 1);
  EXPECT_EQ(busyTexts.size(), 1u);
}

TEST_F(PreviewTest, EnterActivatesTheFocusedCell) {
  WithPreview([&](TVelReportPreview& p) {
    p.activateWindow();
    p.CellPzXFull->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != p.CellPzXFull) GTEST_SKIP() << "no focus on this platform";
    Key(p, Qt::Key_Return);
    EXPECT_EQ(p.Mode(), TPreviewMode::FullWidth);
    p.CellNextPage->setFocus();
    Key(p, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(p.CurrentPage(), 2);
  });
}

TEST_F(PreviewTest, PageOneIsShownWhilePageTwoIsBeingDrawn) {
  waitForProduction = false;
  bool shownOne = false, nextEnabled = true;
  QString status;
  report->Drawers.XChart = [&](TCanvas& c, const TRect& r) {
    Record(2, c, r);
    TVelReportPreview* p = report->Rep.PreviewWindow();
    ASSERT_NE(p, nullptr);
    shownOne = p->CurrentPage() == 1 && p->CurrentImage() != nullptr;
    nextEnabled = p->CellNextPage->isEnabled();
    status = p->StatusBar->text();
  };
  previewBody = [&](TVelReportPreview& p) {
    p.show();
    EXPECT_TRUE(WaitUntil([&] { return report->RepDraw.Finished(); }));
    EXPECT_TRUE(p.CellNextPage->isEnabled());
    EXPECT_EQ(p.StatusBar->text(), QString::fromUtf8(kPreviewKeyHelp));
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_TRUE(shownOne);
  EXPECT_FALSE(nextEnabled);
  EXPECT_EQ(status, QString::fromUtf8("準備中... [Page : 2]"));
}

}  // namespace
}  // namespace kestrin::test
