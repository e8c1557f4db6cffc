// The graph's pictures drawn headless: the pixels the renderer fixes, the labelled composition, the
// PNG encoding read back, and a marker text the renderer refuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "export/PictureFile.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"
#include "render/GraphPicture.h"
#include "render/WindowFont.h"
#include "tests/numerics/ErrorText.h"

namespace fs = std::filesystem;

namespace {

class GraphPictureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "render_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  static void TearDownTestSuite() { application_.reset(); }
  static inline std::unique_ptr<QGuiApplication> application_;

  // The curves of a completed Calc on the window's defaults, the slider at 0 (+6 dB).
  static GraphCurves Curves(DesignState& state) {
    MemoryFields fields;
    fields.SetSliderPosition(0);
    const CalcOutcome outcome = CalcCommand(fields, state);
    EXPECT_EQ(outcome.Status, CalcStatus::Completed) << outcome.Message;
    return GraphCurves{state.LowMag, state.MidMag, state.HighMag, state.SumMag,
                       state.LowDb,  state.MidDb,  state.HighDb,  state.SumDb};
  }
};

// The pixels the renderer fixes: grid rows, marker columns, the white field; the labelled picture
// carries Image1 at (56, 200) on the background with the labels around it.
TEST_F(GraphPictureTest, PicturesOfTheGraph) {
  DesignState state;
  const GraphCurves curves = Curves(state);
  const QColor background(0xEF, 0xEF, 0xEF);
  const GraphPictures pictures = RenderGraphPictures(curves, GraphView{}, GraphLabelFont(), background);
  const QImage& image = pictures.Image1;
  ASSERT_EQ(image.size(), QSize(681, 337));
  ASSERT_EQ(pictures.Labelled.size(), QSize(788, 599));
  EXPECT_EQ(image.pixelColor(335, 10), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(522, 10), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
  EXPECT_EQ(image.pixelColor(600, 20), QColor(Qt::white));
  for (int row : {281, 225, 169, 113}) {
    int black = 0;
    for (int x = 340; x < 440; ++x) black += image.pixelColor(x, row) == QColor(Qt::black);
    EXPECT_TRUE(black >= 45 && black <= 55) << row;  // dotted
  }
  for (int x = 0; x < 681; ++x) EXPECT_EQ(pictures.Labelled.pixelColor(56 + x, 200 + 10), image.pixelColor(x, 10));
  EXPECT_EQ(pictures.Labelled.pixelColor(5, 5), background);
  int inked = 0;  // "10000Hz" below the right end
  for (int y = 537; y < 549; ++y)
    for (int x = 717; x < 757; ++x) inked += qGray(pictures.Labelled.pixel(x, y)) < 100;
  EXPECT_GT(inked, 10);

  GraphView badMarker;
  badMarker.LowMarkerText = "abc";
  EXPECT_EQ(ErrorText([&] { RenderGraphPictures(curves, badMarker, GraphLabelFont(), background); }),
            Messages::NotReal("abc"));
}

// The encoded picture decodes to the same pixels and is written whole under its name; a picture the
// encoder cannot make is refused with the file's name and leaves nothing behind.
TEST_F(GraphPictureTest, PngRoundTripAndRefusal) {
  DesignState state;
  const GraphPictures pictures =
      RenderGraphPictures(Curves(state), GraphView{}, GraphLabelFont(), QColor(0x30, 0x30, 0x30));
  const std::string png = EncodePng(pictures.Labelled);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()))
                .convertToFormat(QImage::Format_RGB32),
            pictures.Labelled);

  std::string name = (fs::temp_directory_path() / "firxover-render-XXXXXX").string();
  const fs::path dir = ::mkdtemp(name.data());
  SavePngBytes(dir / "graph.png", png);
  std::ifstream in(dir / "graph.png", std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), png);

  EXPECT_EQ(EncodePng(QImage()), "");
  EXPECT_EQ(ErrorText([&] { SavePngBytes(dir / "null.png", EncodePng(QImage())); }),
            "Cannot write '" + (dir / "null.png").string() + "': the picture cannot be encoded as PNG");
  EXPECT_FALSE(fs::exists(dir / "null.png"));
  fs::remove_all(dir);
}

// One face for the controls and the graph: the designed one where installed, else the substitute,
// at the size asked for in pixels.
TEST_F(GraphPictureTest, TheWindowsFace) {
  const QString family = WindowFontFamily();
  EXPECT_TRUE(family == QString::fromUtf8("ＭＳ Ｐゴシック") || family == QStringLiteral("IPAPGothic"));
  EXPECT_EQ(GraphLabelFont().family(), family);
  EXPECT_EQ(GraphLabelFont().pixelSize(), 12);
  EXPECT_EQ(WindowFont(16).pixelSize(), 16);
  EXPECT_EQ(WindowFont(16).family(), family);
}

}  // namespace
