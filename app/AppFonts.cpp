#include "AppFonts.h"

namespace kestrin {

QFont FaceFont(const char* faceUtf8, int pixels, bool bold) {
  QFont f(QString::fromUtf8(faceUtf8));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

QFont LabelFont() { return FaceFont("ＭＳ Ｐゴシック", 15); }
QFont ValueFont() { return FaceFont("ＭＳ ゴシック", 15); }
QFont UnitFont() { return FaceFont("ＭＳ ゴシック", 13); }
QFont BaseFont() { return FaceFont("ＭＳ Ｐゴシック", 12); }

}  // namespace kestrin
