// The canvas drawn with a QPainter: on a widget, a QImage, a QPrinter or a
// QPdfWriter. Coordinates are device pixels of the painter's device.
#pragma once

#include <QFont>
#include <QPainter>

#include <memory>

#include "platform/Canvas.h"

class QPaintDevice;

namespace kestrin {

class TQtCanvas : public TCanvas {
 public:
  // Draws through a painter that is already active on its device (a
  // widget's paint event, a print run). The painter is not owned.
  explicit TQtCanvas(QPainter* painter);
  // Opens its own painter on the device and ends it when destroyed.
  explicit TQtCanvas(QPaintDevice* device);
  ~TQtCanvas() override;

  QPainter* Painter() const { return m_painter; }
  // Ends an own painter early (e.g. before saving the image); a borrowed
  // painter only gets its clip back. The canvas must not be drawn on
  // afterwards.
  void End();

  int PixelsPerInchX() const override;
  int PixelsPerInchY() const override;

 protected:
  void DoLine(int x1, int y1, int x2, int y2) override;
  void DoRectangle(const TRect& r) override;
  void DoFillRect(const TRect& r) override;
  void DoFrameRect(const TRect& r) override;
  void DoPolygon(const std::vector<TPoint>& points) override;
  void DoEllipse(const TRect& r) override;
  int DoTextOut(int x, int y, const QString& text) override;
  TSize DoTextExtent(const QString& text) override;
  void DoSetClipRect(const TRect* r) override;

 private:
  void Init();
  // Sets the painter's pen from Pen; false when the pen draws nothing.
  bool ApplyPen();
  // Sets the painter's brush from Brush (Qt::NoBrush for a clear brush).
  void ApplyBrush();
  // Offset of a stroke's centre line from the pixel's top-left corner:
  // odd widths run through pixel centres, even widths on pixel edges.
  double StrokeOffset() const;
  const QFont& CurrentQFont();

  std::unique_ptr<QPainter> m_ownPainter;
  // The painter state was saved when the clip was set and is restored when
  // it is lifted, so the device's own clip comes back unchanged.
  bool m_painterSaved = false;
  QPainter* m_painter = nullptr;
  bool m_haveFont = false;
  TLogFont m_fontFor;
  QFont m_qfont;
};

}  // namespace kestrin
