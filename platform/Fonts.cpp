#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace kestrin {

TLogFont TFont::DefaultLogFont() {
  // The main window's font: "ＭＳ Ｐゴシック" with characters 12 pixels high.
  TLogFont lf;
  lf.Height = -12;
  lf.Weight = FW_NORMAL;
  lf.CharSet = SHIFTJIS_CHARSET;
  lf.FaceName = QString::fromUtf8(kFacePGothicUtf8);
  return lf;
}

QString FaceNameOfKind(int faceKind) {
  switch (faceKind) {
    case 0: return QString::fromUtf8(kFaceMinchoUtf8);
    case 1: return QString::fromUtf8(kFacePMinchoUtf8);
    case 2: return QString::fromUtf8(kFaceGothicUtf8);
    case 3: return QString::fromUtf8(kFacePGothicUtf8);
    default: return QString::fromUtf8(kFaceTimesUtf8);
  }
}

void RegisterFontSubstitutions() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Family names as fontconfig lists them for the IPA packages; the
    // second name of each pair is the family's localised name.
    QFont::insertSubstitutions(QString::fromUtf8(kFaceMinchoUtf8),
                               {QStringLiteral("IPAMincho"), QString::fromUtf8("IPA明朝")});
    QFont::insertSubstitutions(QString::fromUtf8(kFacePMinchoUtf8),
                               {QStringLiteral("IPAPMincho"), QString::fromUtf8("IPA P明朝")});
    QFont::insertSubstitutions(QString::fromUtf8(kFaceGothicUtf8),
                               {QStringLiteral("IPAGothic"), QString::fromUtf8("IPAゴシック")});
    QFont::insertSubstitutions(QString::fromUtf8(kFacePGothicUtf8),
                               {QStringLiteral("IPAPGothic"), QString::fromUtf8("IPA Pゴシック")});
  });
}

namespace {

std::mutex g_ratioMutex;
QHash<QString, double> g_ratios;

QString RatioKey(const QFont& f) {
  return f.family() + QLatin1Char('|') + QString::number(f.weight()) +
         QLatin1Char('|') + QString::number(f.italic() ? 1 : 0);
}

QFont BaseFont(const TLogFont& lf) {
  QFont f(lf.FaceName.isEmpty() ? QString::fromUtf8(kFacePGothicUtf8) : lf.FaceName);
  const int weight = lf.Weight <= 0 ? FW_NORMAL : std::clamp(lf.Weight, 1, 1000);
  f.setWeight(static_cast<QFont::Weight>(weight));
  f.setItalic(lf.Italic);
  f.setUnderline(lf.Underline);
  f.setStrikeOut(lf.StrikeOut);
  f.setKerning(false);
  // Full hinting gives whole-pixel advances, as the old canvas measured
  // text: the width of a text is the sum of the widths of its pieces.
  f.setHintingPreference(QFont::PreferFullHinting);
  switch (lf.PitchAndFamily & 0xF0) {
    case FF_ROMAN: f.setStyleHint(QFont::Serif); break;
    case FF_SWISS: f.setStyleHint(QFont::SansSerif); break;
    case FF_MODERN: f.setStyleHint(QFont::TypeWriter); break;
    case FF_SCRIPT: f.setStyleHint(QFont::Cursive); break;
    case FF_DECORATIVE: f.setStyleHint(QFont::Decorative); break;
    default: break;
  }
  if ((lf.PitchAndFamily & 0x03) == FIXED_PITCH) f.setFixedPitch(true);
  return f;
}

}  // namespace

double CellRatio(const QFont& font) {
  const QString key = RatioKey(font);
  {
    std::lock_guard<std::mutex> lock(g_ratioMutex);
    auto it = g_ratios.constFind(key);
    if (it != g_ratios.constEnd()) return *it;
  }
  QFont probe(font);
  probe.setPixelSize(1000);
  QFontMetricsF fm(probe);
  const double cell = fm.ascent() + fm.descent();
  const double ratio = cell > 0 ? 1000.0 / cell : 1.0;
  std::lock_guard<std::mutex> lock(g_ratioMutex);
  g_ratios.insert(key, ratio);
  return ratio;
}

QFont MakeQFont(const TLogFont& lf) {
  QFont f = BaseFont(lf);
  int em;
  if (lf.Height > 0) {
    em = static_cast<int>(std::lround(lf.Height * CellRatio(f)));
  } else if (lf.Height < 0) {
    em = -static_cast<long long>(lf.Height) > 100000 ? 100000 : -lf.Height;
  } else {
    em = 12;
  }
  f.setPixelSize(std::clamp(em, 1, 100000));
  if (lf.Width > 0) {
    // A non-zero width asks for that average character width: stretch.
    QFontMetricsF fm(f);
    const double avg = fm.averageCharWidth();
    if (avg > 0) {
      f.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * lf.Width / avg)), 1, 4000));
    }
  }
  return f;
}

TTextMetrics MeasureText(const QFont& font, const QString& text, const QPaintDevice* device) {
  QFontMetricsF fm = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
  TTextMetrics m;
  m.Width = text.isEmpty() ? 0.0 : fm.horizontalAdvance(text);
  m.Ascent = fm.ascent();
  m.Descent = fm.descent();
  return m;
}

}  // namespace kestrin
