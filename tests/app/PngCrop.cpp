// Cuts a rectangle out of a PNG and enlarges it without smoothing, to look
// at single pixels:  png_crop IN OUT X Y W H SCALE
// or prints the colours of single pixels:  png_crop IN X,Y [X,Y ...]
#include <QGuiApplication>
#include <QColor>
#include <QImage>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QImage in(QString::fromLocal8Bit(argv[1]));
  if (in.isNull()) return 1;
  if (QString::fromLocal8Bit(argv[2]).contains(QLatin1Char(','))) {
    for (int i = 2; i < argc; ++i) {
      const QStringList xy = QString::fromLocal8Bit(argv[i]).split(QLatin1Char(','));
      const QColor c = in.pixelColor(xy.value(0).toInt(), xy.value(1).toInt());
      printf("%s %s\n", argv[i], c.name().toUpper().toLatin1().constData());
    }
    return 0;
  }
  if (argc != 8) return 2;
  const QRect r(atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
  const int s = atoi(argv[7]);
  QImage part = in.copy(r);
  part.scaled(part.width() * s, part.height() * s, Qt::IgnoreAspectRatio, Qt::FastTransformation)
      .save(QString::fromLocal8Bit(argv[2]));
  return 0;
}
