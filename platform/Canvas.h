// The drawing canvas: the old platform's canvas state and operations.
//
// The state (pen, brush, font, pen position) lives in the canvas object and
// is public, as the drawing code sets and reads it directly and later steps
// rely on what earlier steps left behind. The operations are virtual so that
// the same drawing code runs on a QPainter (TQtCanvas: widget, image,
// printer, PDF) or records a page image (TRecordingCanvas).
//
// Pixel rules of the old canvas, kept by every implementation:
// - Lines paint from the start pixel up to, but not including, the end
//   pixel, in either direction.
// - Rectangle(l, t, r, b) outlines with the pen and fills with the brush the
//   pixels l..r-1 x t..b-1 (with a clear pen the fill stops one pixel short
//   on the right and bottom). Ellipse uses the same bounding box.
// - FillRect covers l..r-1 x t..b-1 with the brush, without outline.
// - FrameRect draws a one-pixel border on l..r-1 x t..b-1 in the brush
//   colour.
// - A clear brush fills nothing and writes text without background; a solid
//   brush paints the text cell in the brush colour.
// - TextOut(x, y) puts the top of the text cell at y and moves the pen
//   position to (x + text width, y).
// - Shapes and lines are not antialiased.
// - A clip rectangle (SetClipRect) limits every later operation to the
//   pixels l..r-1 x t..b-1 until ResetClip; the device's own limits (a
//   widget's paint region) still apply.
#pragma once

#include <QString>

#include <vector>

#include "platform/Color.h"
#include "platform/Fonts.h"
#include "platform/Geometry.h"

namespace kestrin {

enum class TPenStyle : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear };

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::Solid;
  friend bool operator==(const TPen&, const TPen&) = default;
};

enum class TBrushStyle : uint8_t { Solid, Clear };

// The brush. As with the old canvas, giving a clear brush a colour makes
// it solid again (SetColor), so "brush colour := X" always fills; a clear
// brush is asked for explicitly with SetStyle(TBrushStyle::Clear).
class TBrush {
 public:
  TBrush() = default;
  TBrush(TColor color, TBrushStyle style) : m_color(color), m_style(style) {}

  TColor Color() const { return m_color; }
  TBrushStyle Style() const { return m_style; }
  bool IsClear() const { return m_style == TBrushStyle::Clear; }

  void SetColor(TColor color) {
    m_color = color;
    if (m_style == TBrushStyle::Clear) m_style = TBrushStyle::Solid;
  }
  void SetStyle(TBrushStyle style) { m_style = style; }

  friend bool operator==(const TBrush&, const TBrush&) = default;

 private:
  TColor m_color = clWhite;
  TBrushStyle m_style = TBrushStyle::Solid;
};

class TCanvas {
 public:
  TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas() = default;

  // State.
  TPen Pen;
  TBrush Brush;
  TFont Font;
  TPoint PenPos;
  // Scale applied to text output and text measurement: the text is laid
  // out in the font's own size and then stretched by this factor. 1 for
  // normal drawing; a recorded page replayed at another resolution sets it
  // so that every text covers exactly the scaled place it had.
  double TextScaleX = 1.0;
  double TextScaleY = 1.0;

  // Lines.
  void MoveTo(int x, int y) { PenPos = TPoint{x, y}; }
  void LineTo(int x, int y);
  // Connected lines through the points; the last point is not painted.
  // Leaves the pen position unchanged.
  void Polyline(const std::vector<TPoint>& points);

  // Shapes.
  void Rectangle(int left, int top, int right, int bottom) {
    DoRectangle(TRect{left, top, right, bottom});
  }
  void Rectangle(const TRect& r) { DoRectangle(r); }
  void FillRect(const TRect& r) { DoFillRect(r); }
  void FrameRect(const TRect& r) { DoFrameRect(r); }
  void Polygon(const std::vector<TPoint>& points) { DoPolygon(points); }
  void Ellipse(int left, int top, int right, int bottom) {
    DoEllipse(TRect{left, top, right, bottom});
  }
  void Ellipse(const TRect& r) { DoEllipse(r); }

  // Text.
  void TextOut(int x, int y, const QString& text);
  TSize TextExtent(const QString& text) { return DoTextExtent(text); }
  int TextWidth(const QString& text) { return DoTextExtent(text).cx; }
  int TextHeight(const QString& text) { return DoTextExtent(text).cy; }

  // Clipping. SetClipRect replaces an earlier clip rectangle of this
  // canvas; ResetClip removes it. The clip is not part of the drawing state
  // above: code that sets one resets it when done.
  void SetClipRect(const TRect& r) {
    m_clip = r;
    m_clipped = true;
    DoSetClipRect(&r);
  }
  void ResetClip() {
    if (!m_clipped) return;
    m_clipped = false;
    DoSetClipRect(nullptr);
  }
  bool HasClip() const { return m_clipped; }
  const TRect& ClipRect() const { return m_clip; }

  // Resolution of the device, for information (pixels per inch).
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;

 protected:
  // One-pixel-rule line from (x1, y1) towards (x2, y2), end excluded.
  virtual void DoLine(int x1, int y1, int x2, int y2) = 0;
  virtual void DoRectangle(const TRect& r) = 0;
  virtual void DoFillRect(const TRect& r) = 0;
  virtual void DoFrameRect(const TRect& r) = 0;
  virtual void DoPolygon(const std::vector<TPoint>& points) = 0;
  virtual void DoEllipse(const TRect& r) = 0;
  // Writes the text with its cell's top-left at (x, y); returns the width
  // the pen position advances by (the text extent's cx).
  virtual int DoTextOut(int x, int y, const QString& text) = 0;
  virtual TSize DoTextExtent(const QString& text) = 0;
  // Limits drawing to `r`, or lifts the limit (nullptr).
  virtual void DoSetClipRect(const TRect* r) = 0;

 private:
  TRect m_clip;
  bool m_clipped = false;
};

}  // namespace kestrin
