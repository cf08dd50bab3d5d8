// The small pictures on the function-key buttons, drawn in code.
#pragma once

#include <QIcon>

namespace kestrin {

enum class TKeyGlyph { Load, Save, Excel, Preview, Print, Setup, Quit, Clear };

QIcon KeyGlyph(TKeyGlyph glyph);

}  // namespace kestrin
