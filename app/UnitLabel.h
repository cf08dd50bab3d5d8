// The unit label with a raised exponent ("N/mm2" drawn as N/mm with a small
// raised 2).
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include "widgets/Cell.h"

class QPainter;

namespace kestrin {

struct TRaisedCaption {
  QString Base;      // "N/mm"
  QString Exponent;  // "2"
  QString Rest;      // ""
};

// "n/mm2" in any case becomes "N/mm^2", split at the first "^" into the
// base, the run of digits after it and the rest; any other caption is the
// base alone.
TRaisedCaption SplitRaisedCaption(const QString& caption);

struct TRaisedCaptionLayout {
  int X = 0;  // left of the base
  int Y = 0;  // top of the text
  int Gap = 0;
  int BaseWidth = 0;
  int ExponentWidth = 0;
  int RestWidth = 0;
  int TotalWidth = 0;
  QFont BaseFont;
  QFont ExponentFont;  // the cell font made 4 px smaller
};

// Places the pieces in the cell: gap 2 px for a font taller than 16 px,
// else 1 px; vertically centred on the height of the whole text (rounded
// toward zero); horizontally by the cell's alignment.
TRaisedCaptionLayout LayoutRaisedCaption(const QRect& cell, const TRaisedCaption& caption,
                                         const QFont& font, TCellAlign align, int margin);

// Fills the cell with the background and draws the caption (the frame is
// drawn by the cell afterwards).
void DrawRaisedCaption(QPainter& p, const QRect& cell, const QString& caption, const QFont& font,
                       TCellAlign align, int margin, const TCellColors& colors);

}  // namespace kestrin
