#include "platform/Canvas.h"

namespace kestrin {

void TCanvas::LineTo(int x, int y) {
  DoLine(PenPos.X, PenPos.Y, x, y);
  PenPos = TPoint{x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  for (std::size_t i = 1; i < points.size(); ++i) {
    DoLine(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
  }
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  const int advance = DoTextOut(x, y, text);
  PenPos = TPoint{x + advance, y};
}

}  // namespace kestrin
