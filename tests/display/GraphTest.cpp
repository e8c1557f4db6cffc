#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "display/Graph.h"
#include "numerics/Errors.h"
#include "tests/display/RecordingCanvas.h"

namespace {

ResponseCurve Filled(double value) {
  ResponseCurve curve;
  curve.fill(value);
  curve[0] = 0;
  return curve;
}

class GraphTest : public ::testing::Test {
 protected:
  void Redraw() { RedrawGraph(image, window, curves, host); }

  // The log reduced to one token per operation, runs counted: the draw order at a glance.
  std::string Signature() const {
    const std::map<Colour, std::string> colours = {{Black, "black"}, {Red, "red"}, {Blue, "blue"}};
    std::string result, previous;
    int run = 0;
    const auto flush = [&] {
      if (run > 0) result += previous + (run > 1 ? "*" + std::to_string(run) : "") + " ";
    };
    for (const Record& r : log) {
      std::string token;
      switch (r.kind) {
        case Record::Kind::Rectangle: token = "rect"; break;
        case Record::Kind::Line:
          token = (r.style == PenStyle::Dot ? "dot-" : "solid-") + colours.at(r.pen);
          break;
        case Record::Kind::Text: token = "text"; break;
        case Record::Kind::Busy: token = "busy"; break;
        case Record::Kind::Idle: token = "idle"; break;
        case Record::Kind::Events: token = "events"; break;
      }
      token = std::string(1, r.surface) + ":" + token;
      if (token != previous) flush(), previous = token, run = 0;
      ++run;
    }
    flush();
    return result;
  }

  std::vector<Record> Of(Record::Kind kind, PenStyle style = PenStyle::Solid) const {
    std::vector<Record> result;
    for (const Record& r : log)
      if (r.kind == kind && (kind != Record::Kind::Line || r.style == style)) result.push_back(r);
    return result;
  }

  RecordLog log;
  RecordingCanvas image{log, 'i'};
  RecordingCanvas window{log, 'w'};
  FakeHost host{log};
  ResponseCurve lowMag = Filled(0.1), midMag = Filled(0.3), highMag = Filled(0.5), sumMag = Filled(0.7);
  ResponseCurve lowDb = Filled(0.2), midDb = Filled(0.4), highDb = Filled(0.6), sumDb = Filled(0.8);
  GraphCurves curves{lowMag, midMag, highMag, sumMag, lowDb, midDb, highDb, sumDb};
};

TEST_F(GraphTest, DrawsInLayersBetweenBusyAndDefaultCursor) {
  Redraw();
  EXPECT_EQ(Signature(),
            "h:busy i:rect i:dot-black*31 i:solid-red i:solid-blue w:text*7 i:solid-black*2850 i:solid-blue*950 "
            "h:events h:idle ");
  const Record frame = Of(Record::Kind::Rectangle).at(0);
  EXPECT_EQ(std::vector<int>({frame.x0, frame.y0, frame.x1, frame.y1}), std::vector<int>({0, 0, 681, 337}));
  EXPECT_EQ(frame.brush, White);
  EXPECT_EQ(frame.pen, Black);
  EXPECT_EQ(frame.style, PenStyle::Solid);
}

TEST_F(GraphTest, GridRowsAndColumnsOfBothFrequencyAxes) {
  const struct { bool log; std::vector<int> columns; } rows[] = {
      {false, {68, 136, 204, 272, 340, 408, 476, 544, 612}},
      {true, {68, 108, 136, 158, 176, 191, 205, 216, -1, 295, 335, 363, 385, 403, 418, 432, 443, -1, 522, 562, 590,
              612, 630, 645, 659, 670}},
  };
  for (const auto& row : rows) {
    log.clear();
    host.frequencyLog = row.log;
    Redraw();
    const std::vector<Record> dotted = Of(Record::Kind::Line, PenStyle::Dot);
    ASSERT_EQ(dotted.size(), 5 + row.columns.size());
    const int gridRows[] = {281, 225, 169, 113, 57};
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(std::vector<int>({dotted[i].x0, dotted[i].y0, dotted[i].x1, dotted[i].y1}),
                std::vector<int>({0, gridRows[i], 681, gridRows[i]}));
    }
    for (size_t i = 0; i < row.columns.size(); ++i) {
      const Record& line = dotted[5 + i];
      EXPECT_EQ(line.x0, line.x1);
      EXPECT_EQ(std::vector<int>({line.y0, line.y1}), std::vector<int>({0, 337}));
      // 100 Hz and 1000 Hz fall exactly on a third of the width: either neighbouring column will do.
      if (row.columns[i] >= 0) {
        EXPECT_EQ(line.x0, row.columns[i]) << i;
      } else {
        EXPECT_TRUE(line.x0 == (i == 8 ? 227 : 454) || line.x0 == (i == 8 ? 226 : 453)) << line.x0;
      }
    }
  }
}

TEST_F(GraphTest, MarkersFollowTheFrequencyAxisAndClampFarOffValues) {
  const struct { bool log; std::string low, high; int lowX, highX; } rows[] = {
      {false, "300", "2000", 20, 136},
      {true, "300", "2000", 335, 522},
      {false, "1e300", "-1e300", std::numeric_limits<int>::max(), std::numeric_limits<int>::min()},
      {false, "10000", " 5000.5 ", 681, 340},
      {true, "9.95", "9.8", 0, -1},
  };
  for (const auto& row : rows) {
    log.clear();
    host.frequencyLog = row.log, host.lowMarker = row.low, host.highMarker = row.high;
    Redraw();
    const Record red = Of(Record::Kind::Line).at(0), blue = Of(Record::Kind::Line).at(1);
    EXPECT_EQ(std::vector<int>({static_cast<int>(red.pen), red.x0, red.y0, red.x1, red.y1}),
              std::vector<int>({static_cast<int>(Red), row.lowX, 0, row.lowX, 337})) << row.low;
    EXPECT_EQ(std::vector<int>({static_cast<int>(blue.pen), blue.x0, blue.y0, blue.x1, blue.y1}),
              std::vector<int>({static_cast<int>(Blue), row.highX, 0, row.highX, 337})) << row.high;
  }
}

TEST_F(GraphTest, AxisLabelsTextsAndPositionsInEveryMode) {
  using Labels = std::vector<std::tuple<int, int, std::string>>;
  const Labels logFrequency = {{717, 537, "10000Hz"}, {376, 537, "                         1000Hz"},
                               {263, 537, "   100Hz"}, {46, 537, "10Hz"}};
  const Labels linearFrequency = {{717, 537, "10000Hz"}, {386, 537, "5000Hz                                      "},
                                  {273, 537, "                 "}, {46, 537, "0Hz "}};
  const Labels dbAmplitude = {{31, 251, "0dB "}, {21, 365, "-40dB"}, {21, 477, "-80dB"}};
  const Labels linearAmplitude = {{31, 251, " 1.0 "}, {18, 365, "    0.6 "}, {18, 477, "    0.2 "}};
  for (const bool frequencyLog : {true, false}) {
    for (const bool amplitudeLog : {true, false}) {
      log.clear();
      host.frequencyLog = frequencyLog, host.amplitudeLog = amplitudeLog;
      Redraw();
      Labels expected = frequencyLog ? logFrequency : linearFrequency;
      for (const auto& label : amplitudeLog ? dbAmplitude : linearAmplitude) expected.push_back(label);
      Labels drawn;
      for (const Record& r : Of(Record::Kind::Text)) drawn.emplace_back(r.x0, r.y0, r.text);
      EXPECT_EQ(drawn, expected) << frequencyLog << amplitudeLog;
    }
  }
}

TEST_F(GraphTest, CheckBoxesChooseTheCurvesAndEachIsA950SegmentPolyline) {
  const struct { bool frequencyLog, amplitudeLog; std::vector<int> curveRows; int firstX; } rows[] = {
      {false, true, {281, 225, 169, 113}, 0},
      {true, true, {281, 225, 169, 113}, -158},
      {true, false, {309, 253, 197, 141}, -158},
      {false, false, {309, 253, 197, 141}, 0},
  };
  for (const auto& row : rows) {
    log.clear();
    host.frequencyLog = row.frequencyLog, host.amplitudeLog = row.amplitudeLog;
    Redraw();
    const std::vector<Record> solid = Of(Record::Kind::Line);
    ASSERT_EQ(solid.size(), 2u + 4 * 950);
    for (int c = 0; c < 4; ++c) {
      const Record& first = solid[2 + 950 * c];
      const Record& last = solid[2 + 950 * c + 949];
      const int y = row.curveRows[c];
      EXPECT_EQ(std::vector<int>({first.x0, first.y0, first.x1, first.y1}), std::vector<int>({0, 56, row.firstX, y}));
      EXPECT_EQ(std::vector<int>({last.x1, last.y1}), std::vector<int>({681, y}));
      EXPECT_EQ(last.pen, c == 3 ? Blue : Black);
      for (int s = 1; s < 950; ++s) EXPECT_EQ(solid[2 + 950 * c + s].x0, solid[2 + 950 * c + s - 1].x1);
    }
  }
}

TEST_F(GraphTest, UnityValuesLieOnTheZeroDbRowAndZerosBelowThePicture) {
  const ResponseCurve unity = Filled(1.0), zero = Filled(0.0);
  PlotCurveLinear(image, 681, 337, unity, false);
  PlotCurveLog(image, 681, 337, zero, true);
  ASSERT_EQ(log.size(), 1900u);
  EXPECT_EQ(std::vector<int>({log[0].x1, log[0].y1, log[500].x0, log[500].y1}), std::vector<int>({0, 57, 68, 57}));
  EXPECT_EQ(std::vector<int>({log[950].x1, log[950].y1, log[1899].x1}), std::vector<int>({-158, 337, 681}));
}

TEST_F(GraphTest, FailingMarkerStopsTheRedrawRestoresTheCursorAndLeavesTheNextFrameBlack) {
  const struct { bool log; std::string low, high, message; size_t markersDrawn; } rows[] = {
      {false, "abc", "2000", "'abc' は浮動小数点数ではありません", 0},
      {false, "300", "1,5", "'1,5' は浮動小数点数ではありません", 1},
      {true, "0", "2000", "0 による浮動小数点数除算", 0},
      {true, "300", "-5", "不正な浮動小数点数演算命令", 1},
  };
  for (const auto& row : rows) {
    log.clear();
    host.frequencyLog = row.log, host.lowMarker = row.low, host.highMarker = row.high;
    try {
      Redraw();
      ADD_FAILURE() << "no error for " << row.low << " / " << row.high;
    } catch (const UserError& error) {
      EXPECT_EQ(error.what(), row.message);
    }
    EXPECT_EQ(Of(Record::Kind::Line).size(), row.markersDrawn);
    EXPECT_TRUE(Of(Record::Kind::Text).empty());
    EXPECT_EQ(log.back().kind, Record::Kind::Idle);
    EXPECT_TRUE(Of(Record::Kind::Events).empty());

    log.clear();
    host.lowMarker = "300", host.highMarker = "2000";
    Redraw();
    const Record frame = Of(Record::Kind::Rectangle).at(0);
    EXPECT_EQ(frame.pen, Black);
    EXPECT_EQ(frame.style, PenStyle::Solid);
    for (const Record& grid : Of(Record::Kind::Line, PenStyle::Dot)) EXPECT_EQ(grid.pen, Black);
  }
}

}  // namespace
