// Helpers for tests that draw into a QImage and read the pixels back.
#pragma once

#include <QImage>

#include <string>

#include "platform/Color.h"
#include "platform/Geometry.h"

namespace kestrin::test {

inline QImage WhiteImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

inline TColor PixelAt(const QImage& img, int x, int y) {
  const QRgb p = img.pixel(x, y);
  return Rgb(qRed(p), qGreen(p), qBlue(p));
}

inline bool IsWhite(const QImage& img, int x, int y) { return PixelAt(img, x, y) == clWhite; }

// "#" for every pixel of the colour, "." otherwise, along a row or a column.
inline std::string RowPattern(const QImage& img, int y, int x0, int x1, TColor c = clBlack) {
  std::string s;
  for (int x = x0; x <= x1; ++x) s += PixelAt(img, x, y) == c ? '#' : '.';
  return s;
}
inline std::string ColPattern(const QImage& img, int x, int y0, int y1, TColor c = clBlack) {
  std::string s;
  for (int y = y0; y <= y1; ++y) s += PixelAt(img, x, y) == c ? '#' : '.';
  return s;
}

// The bounding box (right and bottom exclusive) of the pixels that are not
// white, or of the pixels darker than `threshold` on average.
inline TRect InkBox(const QImage& img, int threshold = 255) {
  TRect box{img.width(), img.height(), 0, 0};
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      const int grey = (qRed(p) + qGreen(p) + qBlue(p)) / 3;
      const bool ink = threshold >= 255 ? p != qRgb(255, 255, 255) : grey < threshold;
      if (!ink) continue;
      if (x < box.Left) box.Left = x;
      if (y < box.Top) box.Top = y;
      if (x + 1 > box.Right) box.Right = x + 1;
      if (y + 1 > box.Bottom) box.Bottom = y + 1;
    }
  }
  return box;
}

// The rows (or columns) in [from, to) where a column (row) has ink.
inline std::string InkRows(const QImage& img, int x, int from, int to) {
  std::string s;
  for (int y = from; y < to; ++y) s += IsWhite(img, x, y) ? '.' : '#';
  return s;
}

}  // namespace kestrin::test
