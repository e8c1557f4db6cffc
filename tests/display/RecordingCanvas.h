#pragma once

#include <string>
#include <vector>

#include "display/Canvas.h"
#include "display/Graph.h"

// One drawing operation or platform call, with the pen and brush in force when it was made.
struct Record {
  enum class Kind { Rectangle, Line, Text, Busy, Idle, Events } kind;
  char surface;  // 'i' image, 'w' window, 'h' host
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  Colour pen = Black;
  PenStyle style = PenStyle::Solid;
  Colour brush = White;
  std::string text;
};
using RecordLog = std::vector<Record>;

// A Canvas that draws nothing and logs every drawing operation into a log shared with the host.
class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas(RecordLog& log, char surface) : log_(log), surface_(surface) {}
  void SetPenColor(Colour colour) override { pen_ = colour; }
  void SetPenStyle(PenStyle style) override { style_ = style; }
  void SetBrushColor(Colour colour) override { brush_ = colour; }
  void MoveTo(int x, int y) override { x_ = x, y_ = y; }
  void LineTo(int x, int y) override {
    Add(Record::Kind::Line, x_, y_, x, y, "");
    MoveTo(x, y);
  }
  void Rectangle(int x1, int y1, int x2, int y2) override { Add(Record::Kind::Rectangle, x1, y1, x2, y2, ""); }
  void TextOut(int x, int y, const std::string& text) override { Add(Record::Kind::Text, x, y, 0, 0, text); }

 private:
  void Add(Record::Kind kind, int x0, int y0, int x1, int y1, const std::string& text) {
    log_.push_back({kind, surface_, x0, y0, x1, y1, pen_, style_, brush_, text});
  }
  RecordLog& log_;
  char surface_;
  Colour pen_ = Black;
  PenStyle style_ = PenStyle::Solid;
  Colour brush_ = White;
  int x_ = 0, y_ = 0;
};

// The window as the renderer sees it, with the layout's Image1 and the default marker texts.
class FakeHost : public GraphHost {
 public:
  explicit FakeHost(RecordLog& log) : log_(log) {}
  bool FrequencyAxisLog() const override { return frequencyLog; }
  bool AmplitudeAxisLog() const override { return amplitudeLog; }
  std::string LowMarkerText() const override { return lowMarker; }
  std::string HighMarkerText() const override { return highMarker; }
  ImageGeometry Image1() const override { return {56, 200, 681, 337}; }
  void SetBusyCursor(bool busy) override { log_.push_back({busy ? Record::Kind::Busy : Record::Kind::Idle, 'h', 0, 0, 0, 0, Black, PenStyle::Solid, White, ""}); }
  void ProcessPendingEvents() override { log_.push_back({Record::Kind::Events, 'h', 0, 0, 0, 0, Black, PenStyle::Solid, White, ""}); }

  bool frequencyLog = true;
  bool amplitudeLog = true;
  std::string lowMarker = "300";
  std::string highMarker = "2000";

 private:
  RecordLog& log_;
};
