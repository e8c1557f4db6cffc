#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <limits>
#include <memory>
#include <string>

#include "render/QtCanvas.h"

namespace {

constexpr int cIntMin = std::numeric_limits<int>::min();
constexpr int cIntMax = std::numeric_limits<int>::max();

// Texts need a GUI application; the text tests make their own when none runs yet, and end it before
// the program's static objects go.
class QtImageCanvasText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QGuiApplication::instance() == nullptr) application_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  static void TearDownTestSuite() { application_.reset(); }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "canvas_tests";
  static inline char* argv_[] = {name_, nullptr};
  static inline std::unique_ptr<QGuiApplication> application_;
};

QImage WhiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// The image as rows of characters: '.' white, 'k' black, 'r' red, 'b' blue, '?' anything else.
std::string Picture(const QImage& image) {
  std::string rows;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
      rows += pixel == 0xFFFFFF ? '.' : pixel == 0 ? 'k' : pixel == 0xFF0000 ? 'r' : pixel == 0x0000FF ? 'b' : '?';
    }
    rows += '\n';
  }
  return rows;
}

TEST(QtImageCanvas, ColoursAreDecodedFromBlueGreenRed) {
  const struct { Colour colour; int red, green, blue; } rows[] = {
      {Black, 0, 0, 0}, {White, 255, 255, 255}, {Red, 255, 0, 0}, {Blue, 0, 0, 255}, {0x00336699, 0x99, 0x66, 0x33}};
  for (const auto& row : rows) {
    EXPECT_EQ(ToQColor(row.colour), QColor(row.red, row.green, row.blue)) << row.colour;
    EXPECT_EQ(FromQColor(ToQColor(row.colour)), row.colour);
  }
}

TEST(QtImageCanvas, LinesExcludeTheirEndPointAndDotsAlternate) {
  QImage image = WhiteImage(8, 5);
  QtImageCanvas canvas(image, QFont());
  canvas.MoveTo(1, 0);
  canvas.LineTo(6, 0);                   // black, the pen's start colour
  canvas.SetPenColor(Red);
  canvas.LineTo(6, 4);                   // vertical, from the current position
  canvas.SetPenColor(Blue);
  canvas.MoveTo(0, 1);
  canvas.LineTo(6, 3);                   // shallow slope, rounded to the nearest row
  canvas.SetPenStyle(PenStyle::Dot);
  canvas.SetPenColor(Black);
  canvas.MoveTo(0, 4);
  canvas.LineTo(6, 4);
  canvas.MoveTo(3, 3);
  canvas.LineTo(3, 3);                   // no length, nothing drawn
  EXPECT_EQ(Picture(image),
            ".kkkkkr.\n"
            "bb....r.\n"
            "..bbb.r.\n"
            ".....br.\n"
            "k.k.k...\n");
}

TEST(QtImageCanvas, RectangleFillsItsAreaAndOutlinesItsBorder) {
  QImage image = WhiteImage(9, 6);
  QtImageCanvas canvas(image, QFont());
  canvas.SetPenColor(Red);
  canvas.SetBrushColor(Blue);
  canvas.Rectangle(1, 1, 5, 5);
  canvas.SetPenStyle(PenStyle::Dot);
  canvas.SetPenColor(Black);
  canvas.Rectangle(5, 0, 9, 4);
  canvas.Rectangle(7, 5, 7, 9);          // empty: nothing drawn
  EXPECT_EQ(Picture(image),
            ".....kbkb\n"
            ".rrrrbbbk\n"
            ".rbbrkbbb\n"
            ".rbbrbkbk\n"
            ".rrrr....\n"
            ".........\n");
}

TEST(QtImageCanvas, HugeCoordinatesAreClippedLikeTheSameLineOnALargerImage) {
  QImage image = WhiteImage(6, 4);
  QtImageCanvas canvas(image, QFont());
  canvas.SetBrushColor(Blue);
  canvas.Rectangle(cIntMin, cIntMin, cIntMax, cIntMax);  // its outline lies far outside
  canvas.MoveTo(cIntMin, 2);
  canvas.LineTo(cIntMax, 2);
  canvas.MoveTo(cIntMax, cIntMax);
  canvas.LineTo(cIntMin + 1, cIntMin + 1);  // the main diagonal through the picture
  EXPECT_EQ(Picture(image),
            "kbbbbb\n"
            "bkbbbb\n"
            "kkkkkk\n"
            "bbbkbb\n");

  // Steep and shallow lines entering and leaving the picture at every side, compared pixel for pixel
  // with the whole line drawn 100 pixels further in on a picture large enough to hold it.
  const int lines[][4] = {{-30, -7, 40, 25}, {13, -50, -4, 61}, {-9, 8, 17, -3}, {2, 30, 4, -30}, {-1, -1, 9, 7}};
  for (const auto& line : lines) {
    QImage clipped = WhiteImage(10, 8), whole = WhiteImage(220, 220);
    for (auto [target, offset] : {std::pair{&clipped, 0}, std::pair{&whole, 100}}) {
      QtImageCanvas lineCanvas(*target, QFont());
      lineCanvas.SetPenStyle(PenStyle::Dot);
      lineCanvas.MoveTo(line[0] + offset, line[1] + offset);
      lineCanvas.LineTo(line[2] + offset, line[3] + offset);
    }
    EXPECT_NE(Picture(clipped).find('k'), std::string::npos);
    EXPECT_EQ(Picture(clipped), Picture(whole.copy(100, 100, 10, 8))) << line[0] << "," << line[1];
  }
}

TEST_F(QtImageCanvasText, CellIsOpaqueInTheBrushColourAtItsTopLeft) {
  QImage image = WhiteImage(60, 30);
  QFont font;
  font.setPixelSize(12);
  QtImageCanvas canvas(image, font);
  canvas.SetBrushColor(Blue);
  canvas.TextOut(5, 4, "   ");
  canvas.TextOut(cIntMin, cIntMin, "0dB ");
  canvas.TextOut(cIntMax, 0, "0dB ");
  canvas.TextOut(-1000000, 20, "10Hz");
  const int width = QFontMetrics(font, &image).horizontalAdvance("   ");
  const int height = QFontMetrics(font, &image).height();
  ASSERT_GT(width, 2);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool inCell = x >= 5 && x < 5 + width && y >= 4 && y < 4 + height;
      EXPECT_EQ(image.pixel(x, y) & 0xFFFFFF, inCell ? 0x0000FFu : 0xFFFFFFu) << x << "," << y;
    }
  }

  // The glyphs themselves are drawn dark on the cell.
  canvas.TextOut(0, 0, "0dB");
  int darkPixels = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 30; ++x) darkPixels += qGray(image.pixel(x, y)) < 64;
  EXPECT_GT(darkPixels, 10);
}

}  // namespace
