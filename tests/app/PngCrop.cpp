// Cuts a rectangle out of a PNG and enlarges it without smoothing, to look
// at single pixels:  png_crop IN OUT X Y W H SCALE
#include <QGuiApplication>
#include <QImage>

int main(int argc, char** argv) {
  if (argc != 8) return 2;
  QImage in(QString::fromLocal8Bit(argv[1]));
  if (in.isNull()) return 1;
  const QRect r(atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
  const int s = atoi(argv[7]);
  QImage part = in.copy(r);
  part.scaled(part.width() * s, part.height() * s, Qt::IgnoreAspectRatio, Qt::FastTransformation)
      .save(QString::fromLocal8Bit(argv[2]));
  return 0;
}
