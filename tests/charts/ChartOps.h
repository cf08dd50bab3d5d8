// Helpers for the chart tests: months built value by value, and a recorded
// page flattened into drawing operations, each with the pen, brush and font
// that were current when it was drawn.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "core/MainData.h"
#include "platform/PageImage.h"

namespace kestrin::test {

// A month of record with every value blank, tolerance and target as given.
inline TMainData MakeMonth(int year, int month, int32_t target = 1800, int32_t tolerance = 200) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(year, month, 1);
  d.BasicInfo.KariAveX = target;
  d.BasicInfo.Kyoyo = tolerance;
  d.MakeSlumpList();
  d.MakeHistogramList();
  d.Calculate();
  return d;
}

// Sets the value (cm x100) of day `day` (1-based), half 0 AM / 1 PM.
inline void SetValue(TMainData& d, int day, int half, int32_t value) {
  d.SlumpList.Items(day - 1).SokuteiList.Items(half).Value = value;
}

// Fills `count` slots, AM then PM, day after day from `firstDay`, with the
// value.
inline int FillSlots(TMainData& d, int firstDay, int count, int32_t value) {
  int day = firstDay;
  int half = 0;
  for (int n = 0; n < count; ++n) {
    SetValue(d, day, half, value);
    if (++half == 2) {
      half = 0;
      ++day;
    }
  }
  return day;
}

struct DrawOp {
  enum Kind { Line, Rectangle, FillRect, FrameRect, Ellipse, Polygon, Text };
  Kind kind = Line;
  TRect r;                  // a line's (X1, Y1, X2, Y2) or the rectangle
  std::vector<TPoint> pts;  // polygon
  QString text;             // text
  TPen pen;
  TBrush brush;
  TFont font;
};

inline std::vector<DrawOp> Flatten(const TPageImage& page) {
  std::vector<DrawOp> out;
  TPen pen;
  TBrush brush;
  TFont font;
  for (const TPageOp& op : page.Ops()) {
    DrawOp d;
    bool draw = true;
    if (auto* p = std::get_if<pageop::SetPen>(&op)) {
      pen = p->Pen;
      draw = false;
    } else if (auto* b = std::get_if<pageop::SetBrush>(&op)) {
      brush = b->Brush;
      draw = false;
    } else if (auto* f = std::get_if<pageop::SetFont>(&op)) {
      font = f->Font;
      draw = false;
    } else if (auto* l = std::get_if<pageop::Line>(&op)) {
      d.kind = DrawOp::Line;
      d.r = TRect{l->X1, l->Y1, l->X2, l->Y2};
    } else if (auto* r = std::get_if<pageop::Rectangle>(&op)) {
      d.kind = DrawOp::Rectangle;
      d.r = r->R;
    } else if (auto* fr = std::get_if<pageop::FillRect>(&op)) {
      d.kind = DrawOp::FillRect;
      d.r = fr->R;
    } else if (auto* fm = std::get_if<pageop::FrameRect>(&op)) {
      d.kind = DrawOp::FrameRect;
      d.r = fm->R;
    } else if (auto* e = std::get_if<pageop::Ellipse>(&op)) {
      d.kind = DrawOp::Ellipse;
      d.r = e->R;
    } else if (auto* pg = std::get_if<pageop::Polygon>(&op)) {
      d.kind = DrawOp::Polygon;
      d.pts = pg->Points;
    } else if (auto* t = std::get_if<pageop::Text>(&op)) {
      d.kind = DrawOp::Text;
      d.r = TRect{t->X, t->Y, t->X, t->Y};
      d.text = t->Str;
    }
    if (!draw) continue;
    d.pen = pen;
    d.brush = brush;
    d.font = font;
    out.push_back(std::move(d));
  }
  return out;
}

inline std::vector<DrawOp> Select(const std::vector<DrawOp>& ops,
                                  const std::function<bool(const DrawOp&)>& pred) {
  std::vector<DrawOp> out;
  for (const DrawOp& op : ops)
    if (pred(op)) out.push_back(op);
  return out;
}

// Index of the first operation matching, or -1.
inline int IndexOf(const std::vector<DrawOp>& ops, const std::function<bool(const DrawOp&)>& pred) {
  for (std::size_t i = 0; i < ops.size(); ++i)
    if (pred(ops[i])) return static_cast<int>(i);
  return -1;
}

}  // namespace kestrin::test
