#include "platform/PageImage.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>

#include <algorithm>
#include <cmath>

#include "platform/QtCanvas.h"
#include "platform/SafeSave.h"

namespace kestrin {

namespace {

constexpr quint32 kMagic = 0x4B504731;  // "KPG1"
// Version 2 added the clip operation; version 1 files still load.
constexpr quint16 kVersion = 2;
constexpr quint32 kMaxOps = 20'000'000;
constexpr quint32 kMaxPoints = 1'000'000;
constexpr quint32 kMaxTextBytes = 1'000'000;

int DotsPerMeter(int dpi) { return static_cast<int>(std::lround(dpi / 0.0254)); }

// Serialisation helpers. Everything is written little-endian through
// QDataStream with a fixed version.
void WriteRect(QDataStream& s, const TRect& r) {
  s << qint32(r.Left) << qint32(r.Top) << qint32(r.Right) << qint32(r.Bottom);
}
bool ReadRect(QDataStream& s, TRect& r) {
  qint32 l, t, rr, b;
  s >> l >> t >> rr >> b;
  r = TRect{l, t, rr, b};
  return s.status() == QDataStream::Ok;
}
void WriteString(QDataStream& s, const QString& str) {
  const QByteArray utf8 = str.toUtf8();
  s << quint32(utf8.size());
  s.writeRawData(utf8.constData(), static_cast<int>(utf8.size()));
}
bool ReadString(QDataStream& s, QString& str) {
  quint32 n = 0;
  s >> n;
  if (s.status() != QDataStream::Ok || n > kMaxTextBytes) return false;
  QByteArray bytes(static_cast<qsizetype>(n), Qt::Uninitialized);
  if (n > 0 && s.readRawData(bytes.data(), static_cast<int>(n)) != static_cast<int>(n)) return false;
  str = QString::fromUtf8(bytes);
  return true;
}

struct Writer {
  QDataStream& s;
  void operator()(const pageop::SetPen& op) {
    s << quint8(0) << qint32(op.Pen.Color) << qint32(op.Pen.Width) << quint8(op.Pen.Style);
  }
  void operator()(const pageop::SetBrush& op) {
    s << quint8(1) << qint32(op.Brush.Color()) << quint8(op.Brush.Style());
  }
  void operator()(const pageop::SetFont& op) {
    const TLogFont& lf = op.Font.Log;
    s << quint8(2) << qint32(op.Font.Color) << qint32(lf.Height) << qint32(lf.Width)
      << qint32(lf.Escapement) << qint32(lf.Orientation) << qint32(lf.Weight)
      << quint8(lf.Italic) << quint8(lf.Underline) << quint8(lf.StrikeOut) << quint8(lf.CharSet)
      << quint8(lf.OutPrecision) << quint8(lf.ClipPrecision) << quint8(lf.Quality)
      << quint8(lf.PitchAndFamily);
    WriteString(s, lf.FaceName);
  }
  void operator()(const pageop::Line& op) {
    s << quint8(3) << qint32(op.X1) << qint32(op.Y1) << qint32(op.X2) << qint32(op.Y2);
  }
  void operator()(const pageop::Rectangle& op) { s << quint8(4); WriteRect(s, op.R); }
  void operator()(const pageop::FillRect& op) { s << quint8(5); WriteRect(s, op.R); }
  void operator()(const pageop::FrameRect& op) { s << quint8(6); WriteRect(s, op.R); }
  void operator()(const pageop::Ellipse& op) { s << quint8(7); WriteRect(s, op.R); }
  void operator()(const pageop::Polygon& op) {
    s << quint8(8) << quint32(op.Points.size());
    for (const TPoint& p : op.Points) s << qint32(p.X) << qint32(p.Y);
  }
  void operator()(const pageop::Text& op) {
    s << quint8(9) << qint32(op.X) << qint32(op.Y) << op.ScaleX << op.ScaleY;
    WriteString(s, op.Str);
  }
  void operator()(const pageop::Clip& op) {
    s << quint8(10) << quint8(op.On ? 1 : 0);
    WriteRect(s, op.R);
  }
};

bool ReadOp(QDataStream& s, TPageOp& out) {
  quint8 kind = 0;
  s >> kind;
  if (s.status() != QDataStream::Ok) return false;
  switch (kind) {
    case 0: {
      qint32 color, width;
      quint8 style;
      s >> color >> width >> style;
      if (style > static_cast<quint8>(TPenStyle::Clear)) return false;
      out = pageop::SetPen{TPen{color, width, static_cast<TPenStyle>(style)}};
      break;
    }
    case 1: {
      qint32 color;
      quint8 style;
      s >> color >> style;
      if (style > static_cast<quint8>(TBrushStyle::Clear)) return false;
      out = pageop::SetBrush{TBrush{color, static_cast<TBrushStyle>(style)}};
      break;
    }
    case 2: {
      TFont font;
      TLogFont& lf = font.Log;
      qint32 color, h, w, esc, ori, weight;
      quint8 it, ul, so, cs, op, cp, q, pf;
      s >> color >> h >> w >> esc >> ori >> weight >> it >> ul >> so >> cs >> op >> cp >> q >> pf;
      font.Color = color;
      lf.Height = h;
      lf.Width = w;
      lf.Escapement = esc;
      lf.Orientation = ori;
      lf.Weight = weight;
      lf.Italic = it != 0;
      lf.Underline = ul != 0;
      lf.StrikeOut = so != 0;
      lf.CharSet = cs;
      lf.OutPrecision = op;
      lf.ClipPrecision = cp;
      lf.Quality = q;
      lf.PitchAndFamily = pf;
      if (!ReadString(s, lf.FaceName)) return false;
      out = pageop::SetFont{font};
      break;
    }
    case 3: {
      qint32 x1, y1, x2, y2;
      s >> x1 >> y1 >> x2 >> y2;
      out = pageop::Line{x1, y1, x2, y2};
      break;
    }
    case 4: case 5: case 6: case 7: {
      TRect r;
      if (!ReadRect(s, r)) return false;
      if (kind == 4) out = pageop::Rectangle{r};
      else if (kind == 5) out = pageop::FillRect{r};
      else if (kind == 6) out = pageop::FrameRect{r};
      else out = pageop::Ellipse{r};
      break;
    }
    case 8: {
      quint32 n = 0;
      s >> n;
      if (s.status() != QDataStream::Ok || n > kMaxPoints) return false;
      pageop::Polygon poly;
      poly.Points.reserve(std::min<quint32>(n, 4096));
      for (quint32 i = 0; i < n; ++i) {
        qint32 x, y;
        s >> x >> y;
        if (s.status() != QDataStream::Ok) return false;
        poly.Points.push_back(TPoint{x, y});
      }
      out = std::move(poly);
      break;
    }
    case 9: {
      pageop::Text text{};
      qint32 x, y;
      s >> x >> y >> text.ScaleX >> text.ScaleY;
      if (s.status() != QDataStream::Ok) return false;
      if (!std::isfinite(text.ScaleX) || !std::isfinite(text.ScaleY)) return false;
      text.X = x;
      text.Y = y;
      if (!ReadString(s, text.Str)) return false;
      out = std::move(text);
      break;
    }
    case 10: {
      quint8 on = 0;
      TRect r;
      s >> on;
      if (on > 1 || !ReadRect(s, r)) return false;
      out = pageop::Clip{on == 1, r};
      break;
    }
    default:
      return false;
  }
  return s.status() == QDataStream::Ok;
}

}  // namespace

TPageImage::TPageImage(int width, int height, int dpiX, int dpiY)
    : m_width(width), m_height(height), m_dpiX(dpiX > 0 ? dpiX : 96), m_dpiY(dpiY > 0 ? dpiY : 96) {}

void TPageImage::Play(TCanvas& target, double scaleX, double scaleY, int offsetX,
                      int offsetY) const {
  const TPen savedPen = target.Pen;
  const TBrush savedBrush = target.Brush;
  const TFont savedFont = target.Font;
  const TPoint savedPos = target.PenPos;
  const double savedSx = target.TextScaleX;
  const double savedSy = target.TextScaleY;
  const bool savedClipped = target.HasClip();
  const TRect savedClip = target.ClipRect();

  auto X = [&](int x) { return offsetX + static_cast<int>(std::floor(x * scaleX + 0.5)); };
  auto Y = [&](int y) { return offsetY + static_cast<int>(std::floor(y * scaleY + 0.5)); };
  auto R = [&](const TRect& r) { return TRect{X(r.Left), Y(r.Top), X(r.Right), Y(r.Bottom)}; };
  const double penScale = (std::abs(scaleX) + std::abs(scaleY)) / 2;

  for (const TPageOp& op : m_ops) {
    std::visit(
        [&](const auto& o) {
          using T = std::decay_t<decltype(o)>;
          if constexpr (std::is_same_v<T, pageop::SetPen>) {
            TPen pen = o.Pen;
            if (pen.Width > 1) pen.Width = std::max(1, static_cast<int>(std::lround(pen.Width * penScale)));
            target.Pen = pen;
          } else if constexpr (std::is_same_v<T, pageop::SetBrush>) {
            target.Brush = o.Brush;
          } else if constexpr (std::is_same_v<T, pageop::SetFont>) {
            target.Font = o.Font;
          } else if constexpr (std::is_same_v<T, pageop::Line>) {
            target.MoveTo(X(o.X1), Y(o.Y1));
            target.LineTo(X(o.X2), Y(o.Y2));
          } else if constexpr (std::is_same_v<T, pageop::Rectangle>) {
            target.Rectangle(R(o.R));
          } else if constexpr (std::is_same_v<T, pageop::FillRect>) {
            target.FillRect(R(o.R));
          } else if constexpr (std::is_same_v<T, pageop::FrameRect>) {
            target.FrameRect(R(o.R));
          } else if constexpr (std::is_same_v<T, pageop::Ellipse>) {
            target.Ellipse(R(o.R));
          } else if constexpr (std::is_same_v<T, pageop::Polygon>) {
            std::vector<TPoint> pts;
            pts.reserve(o.Points.size());
            for (const TPoint& p : o.Points) pts.push_back(TPoint{X(p.X), Y(p.Y)});
            target.Polygon(pts);
          } else if constexpr (std::is_same_v<T, pageop::Text>) {
            target.TextScaleX = o.ScaleX * scaleX;
            target.TextScaleY = o.ScaleY * scaleY;
            target.TextOut(X(o.X), Y(o.Y), o.Str);
          } else if constexpr (std::is_same_v<T, pageop::Clip>) {
            if (o.On) {
              // Within a clip the target already had.
              TRect r = R(o.R);
              if (savedClipped) {
                r = TRect{std::max(r.Left, savedClip.Left), std::max(r.Top, savedClip.Top),
                          std::min(r.Right, savedClip.Right), std::min(r.Bottom, savedClip.Bottom)};
              }
              target.SetClipRect(r);
            } else if (savedClipped) target.SetClipRect(savedClip);
            else target.ResetClip();
          }
        },
        op);
  }

  if (savedClipped) target.SetClipRect(savedClip);
  else target.ResetClip();

  target.Pen = savedPen;
  target.Brush = savedBrush;
  target.Font = savedFont;
  target.PenPos = savedPos;
  target.TextScaleX = savedSx;
  target.TextScaleY = savedSy;
}

void TPageImage::Play(TCanvas& target, const TRect& dest) const {
  if (m_width <= 0 || m_height <= 0) return;
  Play(target, static_cast<double>(dest.Width()) / m_width,
       static_cast<double>(dest.Height()) / m_height, dest.Left, dest.Top);
}

QImage TPageImage::ToImage(int width, int height) const {
  QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
  image.fill(Qt::white);
  if (m_width > 0 && m_height > 0) {
    image.setDotsPerMeterX(DotsPerMeter(std::max(1, static_cast<int>(std::lround(
        static_cast<double>(m_dpiX) * width / m_width)))));
    image.setDotsPerMeterY(DotsPerMeter(std::max(1, static_cast<int>(std::lround(
        static_cast<double>(m_dpiY) * height / m_height)))));
  }
  TQtCanvas canvas(&image);
  Play(canvas, TRect{0, 0, width, height});
  canvas.End();
  return image;
}

bool TPageImage::SaveToFile(const QString& fileName) const {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return false;
  QDataStream s(&buffer);
  s.setVersion(QDataStream::Qt_6_0);
  s.setByteOrder(QDataStream::LittleEndian);
  s << kMagic << kVersion << qint32(m_width) << qint32(m_height) << qint32(m_dpiX)
    << qint32(m_dpiY) << quint32(m_ops.size());
  Writer w{s};
  for (const TPageOp& op : m_ops) std::visit(w, op);
  if (s.status() != QDataStream::Ok) return false;
  buffer.close();
  return static_cast<bool>(SaveBytes(fileName, bytes));
}

bool TPageImage::LoadFromFile(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QDataStream s(&file);
  s.setVersion(QDataStream::Qt_6_0);
  s.setByteOrder(QDataStream::LittleEndian);
  quint32 magic = 0, count = 0;
  quint16 version = 0;
  qint32 width = 0, height = 0, dpiX = 0, dpiY = 0;
  s >> magic >> version >> width >> height >> dpiX >> dpiY >> count;
  if (s.status() != QDataStream::Ok || magic != kMagic || version < 1 || version > kVersion ||
      count > kMaxOps || width < 0 || height < 0 || dpiX <= 0 || dpiY <= 0) {
    return false;
  }
  std::vector<TPageOp> ops;
  ops.reserve(std::min<quint32>(count, 65536));
  for (quint32 i = 0; i < count; ++i) {
    TPageOp op;
    if (!ReadOp(s, op)) return false;
    ops.push_back(std::move(op));
  }
  if (!s.atEnd()) return false;
  m_width = width;
  m_height = height;
  m_dpiX = dpiX;
  m_dpiY = dpiY;
  m_ops = std::move(ops);
  return true;
}

// ---------------------------------------------------------------------------

TRecordingCanvas::TRecordingCanvas(TPageImage* page)
    : m_page(page), m_reference(1, 1, QImage::Format_RGB32) {
  m_reference.setDotsPerMeterX(DotsPerMeter(page->DpiX()));
  m_reference.setDotsPerMeterY(DotsPerMeter(page->DpiY()));
}

int TRecordingCanvas::PixelsPerInchX() const { return m_page->DpiX(); }
int TRecordingCanvas::PixelsPerInchY() const { return m_page->DpiY(); }

void TRecordingCanvas::SyncPen() {
  if (!m_penSent || !(m_pen == Pen)) {
    m_page->Append(pageop::SetPen{Pen});
    m_pen = Pen;
    m_penSent = true;
  }
}

void TRecordingCanvas::SyncBrush() {
  if (!m_brushSent || !(m_brush == Brush)) {
    m_page->Append(pageop::SetBrush{Brush});
    m_brush = Brush;
    m_brushSent = true;
  }
}

void TRecordingCanvas::SyncFont() {
  if (!m_fontSent || !(m_font == Font)) {
    m_page->Append(pageop::SetFont{Font});
    m_font = Font;
    m_fontSent = true;
  }
}

const QFont& TRecordingCanvas::CurrentQFont() {
  if (!m_haveQFont || !(m_qfontFor == Font.Log)) {
    m_qfont = MakeQFont(Font.Log);
    m_qfontFor = Font.Log;
    m_haveQFont = true;
  }
  return m_qfont;
}

void TRecordingCanvas::DoLine(int x1, int y1, int x2, int y2) {
  if (x1 == x2 && y1 == y2) return;
  if (Pen.Style == TPenStyle::Clear) return;
  SyncPen();
  m_page->Append(pageop::Line{x1, y1, x2, y2});
}

void TRecordingCanvas::DoRectangle(const TRect& r) {
  if (r.IsEmpty()) return;
  SyncPen();
  SyncBrush();
  m_page->Append(pageop::Rectangle{r});
}

void TRecordingCanvas::DoFillRect(const TRect& r) {
  if (r.IsEmpty() || Brush.IsClear()) return;
  SyncBrush();
  m_page->Append(pageop::FillRect{r});
}

void TRecordingCanvas::DoFrameRect(const TRect& r) {
  if (r.IsEmpty() || Brush.IsClear()) return;
  SyncBrush();
  m_page->Append(pageop::FrameRect{r});
}

void TRecordingCanvas::DoPolygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  SyncPen();
  SyncBrush();
  m_page->Append(pageop::Polygon{points});
}

void TRecordingCanvas::DoEllipse(const TRect& r) {
  if (r.IsEmpty()) return;
  SyncPen();
  SyncBrush();
  m_page->Append(pageop::Ellipse{r});
}

TSize TRecordingCanvas::Measure(const QString& text) {
  const TTextMetrics m = MeasureText(CurrentQFont(), text, &m_reference);
  return TSize{static_cast<int>(std::lround(m.Width * TextScaleX)),
               static_cast<int>(std::lround(m.CellHeight() * TextScaleY))};
}

TSize TRecordingCanvas::DoTextExtent(const QString& text) { return Measure(text); }

int TRecordingCanvas::DoTextOut(int x, int y, const QString& text) {
  const int advance = Measure(text).cx;
  if (text.isEmpty()) return 0;
  SyncFont();
  SyncBrush();
  m_page->Append(pageop::Text{x, y, text, TextScaleX, TextScaleY});
  return advance;
}

void TRecordingCanvas::DoSetClipRect(const TRect* r) {
  m_page->Append(r ? pageop::Clip{true, *r} : pageop::Clip{false, TRect{}});
}

}  // namespace kestrin
