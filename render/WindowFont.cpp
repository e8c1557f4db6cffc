#include "render/WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

QString WindowFontFamily() {
  // The designed face, as its own family name says it.
  const QString designed = QString::fromUtf8("ＭＳ Ｐゴシック");
  return QFontDatabase::families().contains(designed) ? designed : QStringLiteral("IPAPGothic");
}

QFont WindowFont(int pixels) {
  QFont font(WindowFontFamily());
  font.setPixelSize(pixels);
  return font;
}

QFont GraphLabelFont() { return WindowFont(WindowFontPixels); }
