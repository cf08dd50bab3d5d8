#include "sheets/report/ReportPipeline.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <cmath>

#include "core/Numbers.h"

namespace kestrin {

// --------------------------------------------------------------- TThreadDraw

TThreadDraw::TThreadDraw(TVelRepDraw* draw) : m_draw(draw) {}

void TThreadDraw::run() {
  TVelRepDraw* draw = m_draw;
  while (!m_terminated) {
    QMetaObject::invokeMethod(draw, [draw] { draw->DrawPage(); }, Qt::BlockingQueuedConnection);
  }
  QMetaObject::invokeMethod(draw, [draw] { draw->SetFinished(); }, Qt::BlockingQueuedConnection);
}

// --------------------------------------------------------------- TVelRepDraw

TVelRepDraw::TVelRepDraw(QObject* parent) : QObject(parent) {
  PrintFont.Log = TFont::DefaultLogFont();
}

TVelRepDraw::~TVelRepDraw() {
  if (m_running) EndReport();
}

bool TVelRepDraw::LoadPage(int pageNo, TPageImage& page) const {
  if (!IsStored(pageNo)) return false;
  return m_store.Load(pageNo, page);
}

int TVelRepDraw::MmToPixels(long double length, bool horizontal) const {
  return kestrin::MmToPixels(length, horizontal ? Geometry.ResX : Geometry.ResY, Units);
}

void TVelRepDraw::ResetDrawingPosition() {
  CurrentY = Geometry.MarginTop;
  RemainHeight = Geometry.DrawHeight;
}

void TVelRepDraw::ShowStatus(const QString& text) {
  if (ShowProgress) emit Progress(text);
}

bool TVelRepDraw::StartReport() {
  m_running = true;
  m_abort = false;
  m_noData = true;
  m_firstStored = 0;
  m_lastStored = 0;
  PageNo = 0;
  PageRect = Geometry.PageRect;
  if (BeforeReport) BeforeReport(*this);
  if (m_abort) {
    // Nothing was started: the run is over (a later run must not find it
    // still in progress).
    m_running = false;
    return false;
  }
  ResetDrawingPosition();
  m_store.Open(Title);
  ShowStatus(QStringLiteral("PrintStart"));
  m_finished = false;
  m_thread = std::make_unique<TThreadDraw>(this);
  m_thread->start();
  return true;
}

void TVelRepDraw::BeginPage() {
  if (m_canvas) return;
  ++PageNo;
  ShowStatus(QStringLiteral("準備中... [Page : %1]").arg(PageNo));
  const int w = std::max(1, Geometry.PhysicalWidth);
  const int h = std::max(1, Geometry.PhysicalHeight);
  m_page = std::make_unique<TPageImage>(w, h, std::max(1, Geometry.ResX),
                                        std::max(1, Geometry.ResY));
  m_canvas = std::make_unique<TRecordingCanvas>(m_page.get());
  Canvas = m_canvas.get();
  PageRect = Geometry.PageRect;
  if (OnPageFormat) {
    OnPageFormat(*this);
    ResetDrawingPosition();
  }
}

void TVelRepDraw::PrintPage() {
  // The canvas font: the point size from FixSize, else from the logical
  // height at 120 pixels per 72 points, at the device's vertical resolution.
  const int points = PrintFont.FixSize > 0
                         ? PrintFont.FixSize
                         : std::abs(RoundOff(static_cast<long double>(PrintFont.Log.Height) * 72 / 120));
  TFont font;
  font.Log = PrintFont.Log;
  font.Log.Height = -RoundOff(static_cast<long double>(points) * std::max(1, Geometry.ResY) / 72);
  font.Color = PrintFont.Color;
  Canvas->Font = font;
  if (OnPrint) {
    m_noData = false;
    OnPrint(*this);
  }
}

void TVelRepDraw::EndPage() {
  if (!m_canvas) return;
  m_canvas.reset();
  Canvas = nullptr;
  if (PageNo >= FromPage) {
    m_store.Store(PageNo, *m_page);
    if (m_firstStored == 0) m_firstStored = PageNo;
    m_lastStored = PageNo;
  }
  m_page.reset();
  if (PreviewMode && m_noData) {
    if (ShowMessage) ShowMessage(QString::fromUtf8(kMsgNoData));
    m_abort = true;
  }
  emit PageStored(PageNo);
}

void TVelRepDraw::DrawPage() {
  // A call queued just before the run was told to stop does nothing.
  if (!m_running || !m_thread || m_thread->Terminated()) return;
  BeginPage();
  LastPage = ToPage == kNoPageLimit;
  PrintPage();
  if (AfterPrint) AfterPrint(*this);
  EndPage();
  if (m_abort || LastPage || PageNo >= ToPage) {
    StopProduction();
  } else if (BeforeNextPage) {
    BeforeNextPage(*this);
  }
}

void TVelRepDraw::StopProduction() {
  if (m_thread) m_thread->Terminate();
  if (ShowProgress) emit ProgressEnded();
}

void TVelRepDraw::SetFinished() {
  m_finished = true;
  emit ProductionFinished();
}

void TVelRepDraw::EndReport() {
  if (m_thread) {
    m_thread->Terminate();
    // The thread may be blocked in a call into this thread: deliver those
    // calls while waiting (a page call returns at once, the last one marks
    // production finished).
    while (!m_thread->wait(QDeadlineTimer(5))) {
      QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_thread.reset();
    m_canvas.reset();
    Canvas = nullptr;
    m_page.reset();
    m_store.Clear();
  }
  if (AfterReport) AfterReport(*this);
  ShowProgress = false;
  m_running = false;
}

}  // namespace kestrin
