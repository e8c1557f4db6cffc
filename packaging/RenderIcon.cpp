// Renders the application icon's SVG into a square PNG of the given size, for icon themes and
// desktops that do not scale SVG icons. Run at build time.
//
// Usage: firxover-render-icon ICON.svg SIZE OUT.png
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: firxover-render-icon ICON.svg SIZE OUT.png\n");
    return 2;
  }
  const int sizePixels = std::atoi(argv[2]);
  if (sizePixels < 16 || sizePixels > 1024) {
    std::fprintf(stderr, "firxover-render-icon: size must be 16 .. 1024 pixels, not '%s'\n", argv[2]);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "firxover-render-icon: cannot read the SVG '%s'\n", argv[1]);
    return 1;
  }
  QImage image(sizePixels, sizePixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "firxover-render-icon: cannot write '%s'\n", argv[3]);
    return 1;
  }
  return 0;
}
