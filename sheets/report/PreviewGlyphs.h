// Glyphs of the preview window's cells.
#pragma once

#include <QIcon>

namespace kestrin {

enum class TPreviewGlyph {
  Whole,      // PRVWWHOLE
  FullWidth,  // PRVWXFULL
  RealSize,   // PRVWTSIZE
  ZoomIn,     // PRVWZMIN
  ZoomOut,    // PRVWZMOUT
  First,      // PRVWFIRST
  Prev,       // PRVWPREV
  Next,       // PRVWNEXT
  Last,       // PRVWLAST
  Print,
};

QIcon PreviewGlyph(TPreviewGlyph glyph);

}  // namespace kestrin
