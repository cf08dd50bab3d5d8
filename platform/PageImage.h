// Page images: a page recorded as a list of canvas operations in device
// pixels, replayed onto any canvas with a scale (preview, printer, PNG).
//
// This is the program's metafile. Text is recorded with its font and
// replayed laid out at the recorded size and stretched by the scale, so a
// page recorded at 600 dpi shows every text and line at the same relative
// place at 96 dpi or at 1200 dpi. Lines and frames stay one device pixel
// thin at every scale, as they did with the old metafiles.
#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

#include "platform/Canvas.h"

namespace kestrin {

namespace pageop {
struct SetPen { TPen Pen; };
struct SetBrush { TBrush Brush; };
struct SetFont { TFont Font; };
struct Line { int X1, Y1, X2, Y2; };
struct Rectangle { TRect R; };
struct FillRect { TRect R; };
struct FrameRect { TRect R; };
struct Ellipse { TRect R; };
struct Polygon { std::vector<TPoint> Points; };
struct Text {
  int X, Y;
  QString Str;
  double ScaleX, ScaleY;
};
// Drawing limited to R from here on (On), or no longer limited (!On).
struct Clip {
  bool On;
  TRect R;
};
}  // namespace pageop

using TPageOp = std::variant<pageop::SetPen, pageop::SetBrush, pageop::SetFont, pageop::Line,
                             pageop::Rectangle, pageop::FillRect, pageop::FrameRect,
                             pageop::Ellipse, pageop::Polygon, pageop::Text, pageop::Clip>;

class TPageImage {
 public:
  TPageImage() = default;
  // A page of width x height device pixels at the given resolution.
  TPageImage(int width, int height, int dpiX, int dpiY);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int DpiX() const { return m_dpiX; }
  int DpiY() const { return m_dpiY; }

  const std::vector<TPageOp>& Ops() const { return m_ops; }
  void Append(TPageOp op) { m_ops.push_back(std::move(op)); }
  void Clear() { m_ops.clear(); }

  // Replays the page: a recorded point (x, y) lands on
  // (offsetX + round(x * scaleX), offsetY + round(y * scaleY)). The target's
  // state (pen, brush, font, pen position, text scale, clip rectangle) is
  // restored after.
  void Play(TCanvas& target, double scaleX, double scaleY, int offsetX = 0,
            int offsetY = 0) const;
  // Stretches the whole page onto the destination rectangle.
  void Play(TCanvas& target, const TRect& dest) const;

  // The page drawn on a white image of the given pixel size, with the
  // image's resolution set to match the stretch.
  QImage ToImage(int width, int height) const;

  // A simple binary file form, for page images kept in temporary files
  // during a report run. Loading refuses a damaged or foreign file.
  bool SaveToFile(const QString& fileName) const;
  bool LoadFromFile(const QString& fileName);

 private:
  int m_width = 0;
  int m_height = 0;
  int m_dpiX = 96;
  int m_dpiY = 96;
  std::vector<TPageOp> m_ops;
};

// A canvas that records into a page image. Text extents are measured with
// the fonts at the page's resolution, so that the drawing code lays out the
// page exactly as a canvas on the target device would.
class TRecordingCanvas : public TCanvas {
 public:
  explicit TRecordingCanvas(TPageImage* page);

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
  TSize Measure(const QString& text);
  void SyncPen();
  void SyncBrush();
  void SyncFont();
  const QFont& CurrentQFont();

  TPageImage* m_page;
  QImage m_reference;  // metrics device at the page's resolution
  bool m_penSent = false;
  bool m_brushSent = false;
  bool m_fontSent = false;
  TPen m_pen;
  TBrush m_brush;
  TFont m_font;
  bool m_haveQFont = false;
  TLogFont m_qfontFor;
  QFont m_qfont;
};

}  // namespace kestrin
