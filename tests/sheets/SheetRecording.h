// Sheets recorded as page images at A4 600 dpi, and queries over the
// recorded operations (texts with their fonts, one-pixel lines, filled
// shapes with their brush).
#pragma once

#include <QString>

#include <functional>
#include <variant>
#include <vector>

#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/PageImage.h"
#include "sheets/PageGeometry.h"

namespace kestrin::test {

struct TRecordedText {
  int X = 0;
  int Y = 0;
  QString Str;
  TLogFont Font;
  TBrush Brush;  // the brush the text was written with
};

struct TRecordedShape {
  enum Kind { Rectangle, FillRect } Type = Rectangle;
  TRect R;
  TBrush Brush;
};

struct TRecordedSheet {
  TPageImage Page;
  TRect PageRect;
  std::vector<TRecordedText> Texts;
  std::vector<pageop::Line> Lines;
  std::vector<TRecordedShape> Shapes;

  // Texts equal to `s`.
  std::vector<TRecordedText> TextsEqual(const QString& s) const {
    std::vector<TRecordedText> out;
    for (const auto& t : Texts)
      if (t.Str == s) out.push_back(t);
    return out;
  }
  // Texts whose left edge lies in [x0, x1) and top in [y0, y1).
  std::vector<TRecordedText> TextsIn(int x0, int x1, int y0, int y1) const {
    std::vector<TRecordedText> out;
    for (const auto& t : Texts)
      if (t.X >= x0 && t.X < x1 && t.Y >= y0 && t.Y < y1) out.push_back(t);
    return out;
  }
  bool HasText(const QString& s) const { return !TextsEqual(s).empty(); }
  // Vertical one-pixel lines at x spanning at least y0..y1.
  int VerticalLinesAt(int x, int y0, int y1) const {
    int n = 0;
    for (const auto& l : Lines)
      if (l.X1 == x && l.X2 == x && std::min(l.Y1, l.Y2) <= y0 && std::max(l.Y1, l.Y2) >= y1) ++n;
    return n;
  }
  // Horizontal one-pixel lines at y covering at least x0..x1.
  int HorizontalLinesAt(int y, int x0, int x1) const {
    int n = 0;
    for (const auto& l : Lines)
      if (l.Y1 == y && l.Y2 == y && std::min(l.X1, l.X2) <= x0 && std::max(l.X1, l.X2) >= x1) ++n;
    return n;
  }
};

// Records the sheet drawn by `draw` on an A4 portrait page at `dpi` with
// the sheets' page setup.
inline TRecordedSheet RecordSheet(
    const std::function<void(TCanvas&, const TRect&)>& draw, int dpi = 600) {
  TRecordedSheet sheet;
  const TReportSetup setup = SheetReportSetup();
  const TDeviceInfo device = PictureDevice(setup, dpi);
  sheet.PageRect = ComputePageGeometry(device, setup).PageRect;
  sheet.Page = TPageImage(device.PhysicalWidth, device.PhysicalHeight, dpi, dpi);
  {
    TRecordingCanvas canvas(&sheet.Page);
    draw(canvas, sheet.PageRect);
  }
  TFont font;
  TBrush brush;  // the recording canvas's initial brush
  for (const TPageOp& op : sheet.Page.Ops()) {
    if (const auto* f = std::get_if<pageop::SetFont>(&op)) font = f->Font;
    else if (const auto* b = std::get_if<pageop::SetBrush>(&op)) brush = b->Brush;
    else if (const auto* t = std::get_if<pageop::Text>(&op))
      sheet.Texts.push_back({t->X, t->Y, t->Str, font.Log, brush});
    else if (const auto* l = std::get_if<pageop::Line>(&op)) sheet.Lines.push_back(*l);
    else if (const auto* r = std::get_if<pageop::Rectangle>(&op))
      sheet.Shapes.push_back({TRecordedShape::Rectangle, r->R, brush});
    else if (const auto* fr = std::get_if<pageop::FillRect>(&op))
      sheet.Shapes.push_back({TRecordedShape::FillRect, fr->R, brush});
  }
  return sheet;
}

// A June 2025 month, target 18.0 +- 2.5 cm, class width 0.5 cm, with the
// given (day, AM, PM) values in cm x100 (0 = blank), recomputed.
struct TDayValues {
  int Day;
  int Am;
  int Pm;
};
inline TMainData MakeMonth(const std::vector<TDayValues>& days, int year = 2025, int month = 6) {
  TMainData data;
  data.BasicInfo.Getsudo = PackDate(year, month, 1);
  data.BasicInfo.KariAveX = 1800;
  data.BasicInfo.Kyoyo = 250;
  data.BasicInfo.ClassWidth = 0.5L;
  data.BasicInfo.Kyodo = 24;
  data.BasicInfo.Kotsuzai = 20;
  data.MakeSlumpList();
  data.MakeHistogramList();
  for (const TDayValues& d : days) {
    TSlump& slump = data.SlumpList.Items(d.Day - 1);
    slump.SokuteiList.Items(0).Value = d.Am;
    slump.SokuteiList.Items(1).Value = d.Pm;
  }
  data.Calculate();
  return data;
}

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace kestrin::test
