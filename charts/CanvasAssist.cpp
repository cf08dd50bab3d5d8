#include "charts/CanvasAssist.h"

#include <QList>

#include <algorithm>
#include <cmath>

#include "core/Numbers.h"

namespace kestrin {

namespace {

// The face-name field of the logical-font record holds 31 bytes of
// Shift-JIS text and a terminator.
constexpr int kFaceNameBytes = 31;

int Cp932Bytes(char32_t c) {
  if (c < 0x80) return 1;
  if (c >= 0xFF61 && c <= 0xFF9F) return 1;  // half-width katakana
  return 2;
}

QString CutFaceName(const QString& name) {
  QString out;
  int bytes = 0;
  for (char32_t c : name.toUcs4()) {
    const int n = Cp932Bytes(c);
    if (bytes + n > kFaceNameBytes) break;
    bytes += n;
    out += QString::fromUcs4(&c, 1);
  }
  return out;
}

}  // namespace

std::vector<TTextSegment> SplitMarkup(const QString& text) {
  std::vector<TTextSegment> segments;
  const QList<uint> chars = text.toUcs4();
  QString normal;
  auto flush = [&] {
    if (!normal.isEmpty()) {
      segments.push_back(TTextSegment{TTextSegment::Normal, normal});
      normal.clear();
    }
  };
  const qsizetype n = chars.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char32_t c = chars[i];
    if (c == U'^' && i + 1 < n) {
      flush();
      const char32_t next = chars[i + 1];
      if ((next == U'L' || next == U'l') && i + 2 < n) {
        const char32_t marked = chars[i + 2];
        segments.push_back(TTextSegment{TTextSegment::Lowered, QString::fromUcs4(&marked, 1)});
        i += 2;
      } else {
        segments.push_back(TTextSegment{TTextSegment::Raised, QString::fromUcs4(&next, 1)});
        i += 1;
      }
      continue;
    }
    normal += QString::fromUcs4(&c, 1);
  }
  flush();
  return segments;
}

QString PlainText(const std::vector<TTextSegment>& segments) {
  QString s;
  for (const TTextSegment& seg : segments) s += seg.Text;
  return s;
}

int TCanvasAssist::WeightPixels(int weight) const {
  if (weight < 0 || weight >= kWeightCount) return 0;
  return Weights[weight];
}

void TCanvasAssist::HorzLine(int x1, int x2, int y, int weight) {
  const int w = WeightPixels(weight);
  for (int r = y + (w / 2) - w; r <= y + (w / 2); ++r) {
    Canvas->MoveTo(x1, r);
    Canvas->LineTo(x2, r);
  }
}

void TCanvasAssist::VertLine(int x, int y1, int y2, int weight) {
  const int w = WeightPixels(weight);
  for (int q = x + (w / 2) - w; q <= x + (w / 2); ++q) {
    Canvas->MoveTo(q, y1);
    Canvas->LineTo(q, y2);
  }
}

void TCanvasAssist::Line(int x1, int y1, int x2, int y2, int weight) {
  if (y1 == y2) {
    HorzLine(x1, x2, y1, weight);
    return;
  }
  if (x1 == x2) {
    VertLine(x1, y1, y2, weight);
    return;
  }
  const int w = WeightPixels(weight);
  const int h = w / 2;
  const int s = h - w;
  int dx = x2 - x1;
  int dy = y2 - y1;
  if (dx < 0) {
    dx = -dx;
    dy = -dy;
  }
  auto copy = [&](int ox, int oy) {
    Canvas->MoveTo(x1 + ox, y1 + oy);
    Canvas->LineTo(x2 + ox, y2 + oy);
  };
  const int ady = std::abs(dy);
  if (dx > 2 * ady) {
    for (int oy = s; oy <= s + w; ++oy) copy(0, oy);
  } else if (ady > 2 * dx) {
    for (int ox = s; ox <= s + w; ++ox) copy(ox, 0);
  } else {
    // Near 45 degrees: the copies step alternately sideways and vertically.
    int ox = s / 2;
    int oy = dy < 0 ? ox : -ox;
    if (s % 2 != 0) ox -= 1;
    for (int t = s; t <= h; ++t) {
      copy(ox, oy);
      if (t % 2 != 0) {
        ox += 1;
      } else {
        oy += dy < 0 ? 1 : -1;
      }
    }
  }
}

void TCanvasAssist::MoveTo(int x, int y) {
  PenX = x;
  PenY = y;
}

void TCanvasAssist::LineTo(int x, int y, int weight) {
  Line(PenX, PenY, x, y, weight);
  MoveTo(x, y);
}

void TCanvasAssist::FrameBox(int x1, int y1, int x2, int y2, int weight) {
  MoveTo(x1, y1);
  LineTo(x2, y1, weight);
  LineTo(x2, y2, weight);
  LineTo(x1, y2, weight);
  LineTo(x1, y1, weight);
}

void TCanvasAssist::Polyline(const std::vector<TPoint>& points, int weight) {
  if (points.empty()) return;
  MoveTo(points[0].X, points[0].Y);
  for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y, weight);
}

TRect TCanvasAssist::InsetByWeight(const TRect& r, int weight) const {
  const int w = WeightPixels(weight);
  return TRect{r.Left + w, r.Top + w, r.Right - w, r.Bottom - w};
}

void TCanvasAssist::FrameRectWeight(const TRect& r, int weight) {
  const int w = WeightPixels(weight);
  for (int i = 0; i <= w; ++i) {
    Canvas->FrameRect(TRect{r.Left + i, r.Top + i, r.Right - i, r.Bottom - i});
  }
}

void TCanvasAssist::SelectLogFont(const TLogFont& lf) { Canvas->Font.Log = lf; }

void TCanvasAssist::CreateFont(int height, int width, int escapement, int faceKind,
                               const QString& faceName, TFontStyles style) {
  TLogFont lf;
  lf.Height = height;
  lf.Width = width;
  lf.Escapement = escapement;
  lf.Orientation = 0;
  lf.Weight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.Italic = (style & fsItalic) != 0;
  lf.Underline = (style & fsUnderline) != 0;
  lf.StrikeOut = (style & fsStrikeOut) != 0;
  lf.CharSet = faceKind >= 0 && faceKind < 4 ? SHIFTJIS_CHARSET : ANSI_CHARSET;
  lf.FaceName = faceName.isEmpty() ? FaceNameOfKind(faceKind) : CutFaceName(faceName);
  LogFont = lf;
  SelectLogFont(LogFont);
}

int TCanvasAssist::PutTextEx(const TRect& r, int align, double marginRate, bool measureOnly,
                             int fontHeight, const QString& text) {
  const std::vector<TTextSegment> segments = SplitMarkup(text);
  const QString plain = PlainText(segments);
  const int W = r.Width();
  const int H = r.Height();

  TSize ext = Canvas->TextExtent(plain);
  int cx = ext.cx;
  int cy = ext.cy;

  int m;
  if (marginRate < 0) {
    m = HMargin;
  } else if (marginRate == 0) {
    m = 0;
  } else {
    m = RoundOff(static_cast<long double>(W) * marginRate);
  }
  if (align == kAlignCenter) m *= 2;
  const int available = W - m;

  bool changed = false;
  TLogFont saved;
  if (fontHeight >= 0 && fontHeight != LogFont.Height) {
    saved = LogFont;
    changed = true;
    LogFont.Height = fontHeight;
    SelectLogFont(LogFont);
    ext = Canvas->TextExtent(plain);
    cx = ext.cx;
    cy = ext.cy;
  } else if (fontHeight < 0 && cx > available && cx > 0) {
    saved = LogFont;
    changed = true;
    // A proportional first guess, then at most three single-unit steps.
    // The height never goes below one pixel (or above -1 for em heights).
    const long double guess = static_cast<long double>(LogFont.Height) * available / cx;
    int height = static_cast<int>(std::trunc(std::clamp<long double>(guess, -1e6L, 1e6L)));
    auto clampHeight = [&](int hgt) {
      if (saved.Height >= 0) return std::max(1, hgt);
      return std::min(-1, hgt);
    };
    LogFont.Height = clampHeight(height);
    for (int attempt = 0; attempt < 3; ++attempt) {
      SelectLogFont(LogFont);
      ext = Canvas->TextExtent(plain);
      cx = ext.cx;
      cy = ext.cy;
      if (cx <= available || cy <= 1) break;
      // One unit smaller: towards zero for either sign of height.
      LogFont.Height = LogFont.Height > 0 ? LogFont.Height - 1 : LogFont.Height + 1;
    }
  }
  const int result = LogFont.Height;

  int x;
  switch (align) {
    case kAlignRight: x = r.Right - m - cx; break;
    case kAlignCenter: x = r.Left + (W - cx) / 2; break;
    default: x = r.Left + m; break;
  }
  int y;
  switch (VAlign) {
    case kVAlignTop: y = r.Top + VMargin; break;
    case kVAlignBottom: y = r.Bottom - VMargin - cy; break;
    default: y = r.Bottom - (H - cy) / 2 - cy; break;
  }
  TextRect = TRect{x, y, x + cx, y + cy};

  if (!measureOnly) WriteSegments(x, y, segments);

  if (changed) {
    LogFont = saved;
    SelectLogFont(LogFont);
  }
  return result;
}

void TCanvasAssist::WriteSegments(int x, int y, const std::vector<TTextSegment>& segments) {
  if (segments.size() == 1 && segments[0].Type == TTextSegment::Normal) {
    Canvas->TextOut(x, y, segments[0].Text);
    return;
  }
  // The full-size font is LogFont, which carries a fitted or forced height
  // while PutTextEx runs.
  const TLogFont full = LogFont;
  for (const TTextSegment& seg : segments) {
    if (seg.Type == TTextSegment::Normal) {
      Canvas->TextOut(x, y, seg.Text);
    } else {
      TLogFont half = full;
      half.Height = full.Height / 2;
      SelectLogFont(half);
      const int cy = seg.Type == TTextSegment::Raised
                         ? y
                         : y + RoundOff(static_cast<long double>(full.Height) * 0.92L) - full.Height / 2;
      Canvas->TextOut(x, cy, seg.Text);
      SelectLogFont(full);
      Canvas->TextOut(x, y, QStringLiteral(" "));
    }
    x = Canvas->PenPos.X;
    y = Canvas->PenPos.Y;
  }
}

int TCanvasAssist::MeasureFitHeight(const TRect& r, int align, double marginRate,
                                    const QString& text) {
  return PutTextEx(r, align, marginRate, true, -1, text);
}

int TCanvasAssist::PutTextHeight(const TRect& r, int align, double marginRate, int fontHeight,
                                 const QString& text) {
  return PutTextEx(r, align, marginRate, false, fontHeight, text);
}

int TCanvasAssist::PutTextFit(const TRect& r, int align, double marginRate,
                              const QString& text) {
  return PutTextEx(r, align, marginRate, false, -1, text);
}

int TCanvasAssist::PutText(const TRect& r, int align, const QString& text) {
  return PutTextEx(r, align, -1, false, -1, text);
}

}  // namespace kestrin
