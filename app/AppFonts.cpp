#include "AppFonts.h"

namespace kestrin {

void RegisterJapaneseFontNames() {
  struct TPair {
    const char* Face;
    const char* Ipa;
  };
  static const TPair pairs[] = {
      {"ＭＳ 明朝", "IPAMincho"},
      {"ＭＳ Ｐ明朝", "IPAPMincho"},
      {"ＭＳ ゴシック", "IPAGothic"},
      {"ＭＳ Ｐゴシック", "IPAPGothic"},
  };
  for (const TPair& p : pairs) {
    const QString face = QString::fromUtf8(p.Face);
    if (!QFont::substitutes(face).contains(QString::fromUtf8(p.Ipa)))
      QFont::insertSubstitution(face, QString::fromUtf8(p.Ipa));
  }
}

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
