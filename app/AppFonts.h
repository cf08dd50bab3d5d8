// The fonts of the main window, by the face names the program uses. The
// Japanese Windows face names resolve to the IPA fonts through the
// substitutions registered at start-up (RegisterFontSubstitutions in
// platform/Fonts.h).
#pragma once

#include <QFont>

namespace kestrin {

// A font of the given face with its em height in pixels.
QFont FaceFont(const char* faceUtf8, int pixels, bool bold = false);

QFont LabelFont();  // "ＭＳ Ｐゴシック" 15 px: label cells
QFont ValueFont();  // "ＭＳ ゴシック" 15 px: values
QFont UnitFont();   // "ＭＳ ゴシック" 13 px: unit labels
QFont BaseFont();   // "ＭＳ Ｐゴシック" 12 px: menus, the window's base font

}  // namespace kestrin
