#include "tests/fuzz/FuzzDriver.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "design/Shelf.h"
#include "display/Graph.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"
#include "pipeline/Commands.h"
#include "tests/pipeline/RecordingFields.h"
#include "pipeline/WindowHandlers.h"
#include "tests/pipeline/RunCalc.h"

namespace {

// Long inputs only repeat what shorter ones reach; they are cut off after this many events, and
// Calc presses after the first few are skipped, since each cascaded design costs a large share of a second.
constexpr int MaxEvents = 64;
constexpr int MaxCalcs = 3;

constexpr int32_t IntMax = 2147483647;

class SilentCanvas : public Canvas {
 public:
  void SetPenColor(Colour) override {}
  void SetPenStyle(PenStyle) override {}
  void SetBrushColor(Colour) override {}
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
  void Rectangle(int, int, int, int) override {}
  void TextOut(int, int, const std::string&) override {}
};

// The window's fields in memory, with the graph redrawn as the window redraws it: the renderer runs
// on the curves and reads the axis check boxes and the two marker fields.
class FuzzFields : public RecordingFields, private GraphHost {
 public:
  explicit FuzzFields(const DesignState& state) : state_(state) {}

  bool FrequencyLog = true;  // CheckBox1
  bool AmplitudeLog = true;  // CheckBox2

  void Redraw() override {
    RecordingFields::Redraw();
    SilentCanvas image;
    SilentCanvas window;
    RedrawGraph(image, window, CurvesOf(state_), *this);
  }

 private:
  bool FrequencyAxisLog() const override { return FrequencyLog; }
  bool AmplitudeAxisLog() const override { return AmplitudeLog; }
  std::string LowMarkerText() const override { return Text(Field::Edit5); }
  std::string HighMarkerText() const override { return Text(Field::Edit4); }
  ImageGeometry Image1() const override { return {56, 200, 681, 337}; }
  void SetBusyCursor(bool busy) override { RecordingFields::SetBusyCursor(busy); }
  void ProcessPendingEvents() override {}

  const DesignState& state_;
};

// Everything an event can change, taken before and after it.
struct Observed {
  std::array<std::string, FieldCount> texts;
  std::array<bool, FieldCount> locked;
  std::array<std::string, CaptionCount> captions;
  DesignState state;
  size_t messageCount;
  int redrawCount;
  bool busy;

  const std::string& TextOf(Field field) const { return texts[static_cast<int>(field)]; }
  const std::string& CaptionOf(Caption caption) const { return captions[static_cast<int>(caption)]; }
};

Observed Observe(const FuzzFields& fields, const DesignState& state) {
  Observed seen{{}, {}, {}, state, fields.Messages().size(), fields.RedrawCount(), fields.BusyCursor()};
  for (int i = 0; i < FieldCount; ++i) {
    seen.texts[i] = fields.Text(static_cast<Field>(i));
    seen.locked[i] = fields.Locked(static_cast<Field>(i));
  }
  for (int i = 0; i < CaptionCount; ++i) seen.captions[i] = fields.CaptionText(static_cast<Caption>(i));
  return seen;
}

std::optional<int32_t> TryInteger(const std::string& text) {
  try {
    return ParseInteger(text);
  } catch (const UserError&) {
    return std::nullopt;
  }
}

std::optional<double> TryReal(const std::string& text) {
  try {
    return ParseReal(text);
  } catch (const UserError&) {
    return std::nullopt;
  }
}

int32_t Normalized(int32_t typed) { return (typed / 2) * 2 + 1; }

bool AllFinite(const RealArray& values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

bool AllFinite(const ResponseCurve& curve) {
  for (double v : curve) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

std::array<const RealArray*, 9> Arrays(const DesignState& s) {
  return {&s.LowCoeffs,  &s.MidCoeffs,  &s.HighCoeffs,  &s.SumCoeffs, &s.ShelfCoeffs,
          &s.LowCascade, &s.MidCascade, &s.HighCascade, &s.SumCascade};
}

std::array<const ResponseCurve*, 8> Curves(const DesignState& s) {
  return {&s.LowMag, &s.MidMag, &s.HighMag, &s.SumMag, &s.LowDb, &s.MidDb, &s.HighDb, &s.SumDb};
}

bool SameCurves(const DesignState& a, const DesignState& b) {
  const auto ca = Curves(a);
  const auto cb = Curves(b);
  for (size_t i = 0; i < ca.size(); ++i) {
    if (*ca[i] != *cb[i]) return false;
  }
  return true;
}

bool SameState(const DesignState& a, const DesignState& b) {
  const auto aa = Arrays(a);
  const auto ab = Arrays(b);
  for (size_t i = 0; i < aa.size(); ++i) {
    if (*aa[i] != *ab[i]) return false;
  }
  return a.TotalTaps == b.TotalTaps && a.ShelfLength == b.ShelfLength && a.CascadeLength == b.CascadeLength &&
         a.ShelfCutDb == b.ShelfCutDb && SameCurves(a, b);
}

// The array as a resize to count leaves it: the old prefix, zeros after it.
RealArray Resized(RealArray values, int32_t count) {
  values.resize(static_cast<size_t>(count));
  return values;
}

std::string CMaxCaption(const DesignState& state) {
  char digits[400];
  std::snprintf(digits, sizeof digits, "%5.6f", ComputeCMax(state));
  return std::string("振幅係数の最大値：CMax = ") + digits;
}

// The checks of one event. Each failing check records its description; the first one is reported.
class EventCheck {
 public:
  EventCheck(const Observed& before, const Observed& after, const std::vector<std::string>& messages)
      : before_(before), after_(after) {
    for (size_t i = before.messageCount; i < messages.size(); ++i) shown_.push_back(messages[i]);
  }

  void Require(bool condition, const std::string& what) {
    if (!condition && failure_.empty()) failure_ = what;
  }
  const std::string& Failure() const { return failure_; }

  const Observed& Before() const { return before_; }
  const Observed& After() const { return after_; }
  const DesignState& Old() const { return before_.state; }
  const DesignState& New() const { return after_.state; }

  // Exactly this message, or none when message is empty; a field text holding a NUL byte is quoted
  // whole.
  void Message(const std::string& message) {
    if (message.empty()) {
      Require(shown_.empty(), "unexpected message '" + Shown() + "'");
    } else {
      Require(shown_.size() == 1 && shown_[0] == message, "expected message '" + message + "', got '" + Shown() + "'");
    }
  }
  // One message out of these, or none when allowNone.
  void MessageAmong(const std::vector<std::string>& allowed, bool allowNone) {
    if (shown_.empty()) {
      Require(allowNone, "expected one of the floating-point or range messages, got none");
      return;
    }
    bool known = false;
    for (const std::string& message : allowed) known = known || shown_[0] == message;
    Require(shown_.size() == 1 && known, "unexpected message '" + Shown() + "'");
  }
  bool AnyMessage() const { return !shown_.empty(); }

  // Every field keeps its text, except those given with their new text.
  void Texts(const std::vector<std::pair<Field, std::string>>& changed = {}) {
    for (int i = 0; i < FieldCount; ++i) {
      const auto field = static_cast<Field>(i);
      std::string expected = before_.texts[i];
      for (const auto& [f, text] : changed) {
        if (f == field) expected = text;
      }
      Require(after_.texts[i] == expected,
              std::string(FieldName(field)) + " holds '" + after_.texts[i] + "', expected '" + expected + "'");
    }
  }
  void LocksKept() { Require(after_.locked == before_.locked, "a field's read-only state changed"); }

  // Every caption keeps its text, except those given with their new text.
  void Captions(const std::vector<std::pair<Caption, std::string>>& changed = {}) {
    for (int i = 0; i < CaptionCount; ++i) {
      const auto caption = static_cast<Caption>(i);
      std::string expected = before_.captions[i];
      for (const auto& [c, text] : changed) {
        if (c == caption) expected = text;
      }
      Require(after_.captions[i] == expected,
              std::string(CaptionName(caption)) + " reads '" + after_.captions[i] + "', expected '" + expected + "'");
    }
  }
  void Redraws(int count) {
    Require(after_.redrawCount == before_.redrawCount + count, "redraw count " + std::to_string(after_.redrawCount) +
                                                                   ", expected " +
                                                                   std::to_string(before_.redrawCount + count));
  }
  void StateIs(const DesignState& expected, const char* what) { Require(SameState(New(), expected), what); }

 private:
  std::string Shown() const {
    std::string text;
    for (const std::string& message : shown_) text += (text.empty() ? "" : "' + '") + message;
    return text;
  }

  const Observed& before_;
  const Observed& after_;
  std::vector<std::string> shown_;
  std::string failure_;
};

const std::vector<std::string> StageErrors = {Messages::ZeroDivide, Messages::InvalidOperation, Messages::Overflow,
                                              Messages::RangeCheck, Messages::FftLength};

// The message of a marker the redraw cannot place, or "" when both can be drawn.
std::string MarkerError(const Observed& seen, bool frequencyLog) {
  for (Field field : {Field::Edit5, Field::Edit4}) {
    const std::optional<double> hz = TryReal(seen.TextOf(field));
    if (!hz) return Messages::NotReal(seen.TextOf(field));
    if (frequencyLog && *hz == 0) return Messages::ZeroDivide;
    if (frequencyLog && *hz < 0) return Messages::InvalidOperation;
  }
  return "";
}

// Calc: what each failing read leaves behind, and what a Calc that runs to its end writes.
void CheckCalc(EventCheck& check, bool frequencyLog, bool adjusted, int sliderPosition) {
  const Observed& before = check.Before();
  const DesignState& old = check.Old();
  const DesignState& now = check.New();
  const auto unchangedExceptTexts = [&](const std::vector<std::pair<Field, std::string>>& texts) {
    check.Texts(texts);
    check.Captions();
    check.Redraws(0);
    check.StateIs(old, "a Calc that stopped before the tap counts changed the design state");
  };

  const std::string& f1Text = before.TextOf(Field::EditShelbL);
  const std::optional<double> f1 = TryReal(f1Text);
  if (!f1) return check.Message(Messages::NotReal(f1Text)), unchangedExceptTexts({});
  if (*f1 < 40) return check.Message(Messages::ShelfF1TooLow), unchangedExceptTexts({{Field::EditShelbL, "40"}});
  const std::string& f2Text = before.TextOf(Field::EditShelbH);
  const std::optional<double> f2 = TryReal(f2Text);
  if (!f2) return check.Message(Messages::NotReal(f2Text)), unchangedExceptTexts({});
  if (!std::isfinite(2 * *f1)) return check.Message(Messages::Overflow), unchangedExceptTexts({});
  if (2 * *f1 > *f2) {
    return check.Message(Messages::ShelfF2TooLow), unchangedExceptTexts({{Field::EditShelbH, FormatGeneral(2 * *f1)}});
  }

  // The tap fields, each rewritten before the next is read.
  std::vector<std::pair<Field, std::string>> texts;
  std::array<int32_t, 3> counts{};
  const Field tapFields[] = {Field::Edit1, Field::Edit9, Field::Edit10};
  for (int i = 0; i < 3; ++i) {
    const std::string& text = before.TextOf(tapFields[i]);
    const std::optional<int32_t> typed = TryInteger(text);
    if (!typed) return check.Message(Messages::NotInteger(text)), unchangedExceptTexts(texts);
    counts[i] = Normalized(*typed);
    texts.emplace_back(tapFields[i], std::to_string(counts[i]));
  }
  check.Texts(texts);
  const int32_t totalTaps = MaxOfThree(counts[0], counts[1], counts[2]);
  DesignState expected = old;
  expected.TotalTaps = totalTaps;
  const auto stoppedWith = [&](const std::string& message, const char* what) {
    check.Message(message);
    check.Captions();
    check.Redraws(0);
    check.StateIs(expected, what);
  };

  for (Field field : {Field::Edit2, Field::Edit5, Field::Edit4, Field::Edit3}) {
    const std::string& text = before.TextOf(field);
    if (!TryInteger(text)) return stoppedWith(Messages::NotInteger(text), "a failing crossover read changed more than TotalTaps");
  }

  if (totalTaps < 0 || totalTaps > MaxTapCount) {
    return stoppedWith(Messages::RangeCheck, "a refused total length changed more than TotalTaps");
  }
  expected.LowCoeffs = Resized(old.LowCoeffs, totalTaps);
  expected.MidCoeffs = Resized(old.MidCoeffs, totalTaps);
  expected.HighCoeffs = Resized(old.HighCoeffs, totalTaps);
  for (int32_t count : counts) {
    if (count < 0) return stoppedWith(Messages::RangeCheck, "a refused band length left more than the resized bands");
  }

  expected.ShelfLength = ShelfLength;
  expected.ShelfCutDb = 6 - sliderPosition;
  check.Require(now.ShelfCoeffs.size() == static_cast<size_t>(ShelfLength), "ShelfCoeffs not sized to 1205");
  expected.ShelfCoeffs = now.ShelfCoeffs;  // designed by the shelving filter, checked finite below
  const std::string& attenuationText = before.TextOf(Field::Edit8);
  if (!TryReal(attenuationText)) {
    return stoppedWith(Messages::NotReal(attenuationText), "a failing attenuation read left more than the shelf");
  }

  // From here the stages write the bands, the cascades and the curves; an error in one of them keeps
  // whatever was written, so only the lengths, the labels and the redraw are fixed.
  const int32_t cascadeLength = ShelfLength + totalTaps - 1;
  check.Require(now.TotalTaps == totalTaps && now.ShelfLength == ShelfLength && now.ShelfCutDb == expected.ShelfCutDb,
                "the lengths or the cut after the design stages are wrong");
  for (const RealArray* band : {&now.LowCoeffs, &now.MidCoeffs, &now.HighCoeffs}) {
    check.Require(band->size() == static_cast<size_t>(totalTaps), "a band is not TotalTaps long");
  }
  const bool singleTap = counts[0] == 1 || counts[1] == 1 || counts[2] == 1;
  if (check.After().redrawCount == before.redrawCount) {
    // A stage raised a floating-point or range error: no label, no redraw.
    check.MessageAmong(StageErrors, false);
    check.Captions();
    check.Redraws(0);
    check.Require(now.CascadeLength == old.CascadeLength || now.CascadeLength == cascadeLength,
                  "CascadeLength neither kept nor ShelfLength + TotalTaps - 1");
    return;
  }
  check.Require(!singleTap, "a single-tap band was designed without an error");
  // Ran to its end: every array at its length, both labels, one redraw (which may fail on a marker).
  check.Message(MarkerError(before, frequencyLog));
  check.Require(now.CascadeLength == cascadeLength, "CascadeLength is not ShelfLength + TotalTaps - 1");
  check.Require(now.SumCoeffs.size() == static_cast<size_t>(totalTaps), "SumCoeffs is not TotalTaps long");
  for (const RealArray* cascade : {&now.LowCascade, &now.MidCascade, &now.HighCascade, &now.SumCascade}) {
    check.Require(cascade->size() == static_cast<size_t>(cascadeLength), "a cascade is not CascadeLength long");
  }
  const int32_t shownLength = expected.ShelfCutDb > 0 ? cascadeLength : totalTaps;
  check.Captions({{Caption::Label21, CMaxCaption(now)}, {Caption::Label28, "Total Ntap = " + std::to_string(shownLength)}});
  check.Redraws(1);
  if (adjusted && expected.ShelfCutDb == 0) {
    // The adjusted bands add up to a pure delay of TotalTaps / 2 samples.
    double scale = 1.0;
    for (const RealArray* band : {&now.LowCoeffs, &now.MidCoeffs, &now.HighCoeffs}) {
      for (double v : *band) scale = std::max(scale, std::fabs(v));
    }
    for (int32_t n = 0; n < totalTaps; ++n) {
      const double impulse = n == totalTaps / 2 ? 1.0 : 0.0;
      check.Require(std::fabs(now.SumCoeffs[n] - impulse) <= 1e-9 * scale, "adjusted bands do not sum to the impulse");
    }
  }
}

// The slider: the cut and its label, then the total length by the tap fields as typed.
void CheckSlider(EventCheck& check, int position) {
  const Observed& before = check.Before();
  DesignState expected = check.Old();
  expected.ShelfCutDb = 6 - position;
  std::vector<std::pair<Caption, std::string>> captions = {
      {Caption::LabelShelbDb, "+" + std::to_string(expected.ShelfCutDb) + "dB"}};
  check.Texts();
  check.Redraws(0);
  std::array<int32_t, 3> typed{};
  const Field order[] = {Field::Edit10, Field::Edit9, Field::Edit1};
  for (int i = 0; i < 3; ++i) {
    const std::optional<int32_t> value = TryInteger(before.TextOf(order[i]));
    if (!value) {
      check.Message(Messages::NotInteger(before.TextOf(order[i])));
      check.Captions(captions);
      return check.StateIs(expected, "a failing slider read changed more than the cut");
    }
    typed[i] = *value;
  }
  expected.TotalTaps = MaxOfThree(typed[2], typed[1], typed[0]);
  expected.ShelfLength = ShelfLength;
  std::string message;
  if (expected.ShelfCutDb > 0) {
    const int64_t cascade = int64_t{ShelfLength} + expected.TotalTaps - 1;
    if (cascade > IntMax) {
      message = Messages::RangeCheck;
    } else {
      expected.CascadeLength = static_cast<int32_t>(cascade);
      captions.emplace_back(Caption::Label28, "Total Ntap = " + std::to_string(cascade));
    }
  } else {
    captions.emplace_back(Caption::Label28, "Total Ntap = " + std::to_string(expected.TotalTaps));
  }
  check.Message(message);
  check.Captions(captions);
  check.StateIs(expected, "the slider changed an array or a curve, or a wrong length");
}

// Whether text is prefix, a decimal integer and suffix.
bool IsIntegerCaption(const std::string& text, std::string_view prefix, std::string_view suffix, int64_t* value) {
  if (text.size() <= prefix.size() + suffix.size() || text.compare(0, prefix.size(), prefix) != 0 ||
      text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return false;
  }
  const std::string digits = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
  size_t used = 0;
  try {
    *value = std::stoll(digits, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == digits.size() && std::to_string(*value) == digits;
}

// The length estimate: the two labels only, the cutoff first; the design state is not touched.
void CheckEstimate(EventCheck& check) {
  const Observed& before = check.Before();
  const Observed& after = check.After();
  check.Texts();
  check.Redraws(0);
  check.StateIs(check.Old(), "the length estimate changed the design state");
  for (Field field : {Field::Edit6, Field::Edit7, Field::Edit8}) {
    if (!TryReal(before.TextOf(field))) return check.Message(Messages::NotReal(before.TextOf(field))), check.Captions();
  }
  const double passHz = *TryReal(before.TextOf(Field::Edit6));
  const double stopHz = *TryReal(before.TextOf(Field::Edit7));
  const long double cutoff = std::trunc((static_cast<long double>(passHz) + stopHz) / 2);
  if (!(cutoff >= -0x1p63L && cutoff < 0x1p63L)) return check.Message(Messages::InvalidOperation), check.Captions();
  const std::string cutoffCaption = "CutOff     ：" + std::to_string(static_cast<int64_t>(cutoff)) + "Hz";
  if (check.AnyMessage()) {
    check.MessageAmong(StageErrors, false);
    check.Captions({{Caption::Label18, cutoffCaption}});
    return;
  }
  check.Require(passHz != stopHz, "equal band edges gave an estimate");
  int64_t taps = 0;
  check.Require(IsIntegerCaption(after.CaptionOf(Caption::Label20), "Ideal Taps： ", "", &taps) && taps % 2 != 0,
                "Label20 is not an odd tap count: '" + after.CaptionOf(Caption::Label20) + "'");
  check.Captions({{Caption::Label18, cutoffCaption}, {Caption::Label20, after.CaptionOf(Caption::Label20)}});
}

// An axis check box: a redraw of the unchanged curves; only a marker that cannot be placed fails.
void CheckAxisClick(EventCheck& check, bool frequencyLog) {
  check.Texts();
  check.Captions();
  check.Redraws(1);
  check.Message(MarkerError(check.Before(), frequencyLog));
  check.StateIs(check.Old(), "a redraw changed the design state");
}

// "adjust coefficient": coupling copies the mid band's edges and locks both fields.
void CheckCoupling(EventCheck& check, bool adjusted) {
  const Observed& before = check.Before();
  const Observed& after = check.After();
  if (adjusted) {
    check.Texts({{Field::Edit2, before.TextOf(Field::Edit5)}, {Field::Edit3, before.TextOf(Field::Edit4)}});
  } else {
    check.Texts();
  }
  const bool locked = after.locked[static_cast<int>(Field::Edit2)] && after.locked[static_cast<int>(Field::Edit3)];
  const bool unlocked = !after.locked[static_cast<int>(Field::Edit2)] && !after.locked[static_cast<int>(Field::Edit3)];
  check.Require(adjusted ? locked : unlocked, "Edit2 and Edit3 not locked as the check box says");
  check.Captions();
  check.Redraws(0);
  check.Message("");
  check.StateIs(check.Old(), "coupling changed the design state");
}

// After every event: the cursor is back, no stored value is NaN or infinite, every message is
// one of the system's texts.
void CheckAlways(EventCheck& check) {
  const Observed& after = check.After();
  check.Require(!after.busy, "the busy cursor stayed");
  for (const ResponseCurve* curve : Curves(after.state)) check.Require(AllFinite(*curve), "a curve holds NaN or infinity");
  for (const RealArray* array : Arrays(after.state)) check.Require(AllFinite(*array), "an array holds NaN or infinity");
}

// A tap text the fuzzer typed, with a slow count replaced by its remainder.
std::string TypedText(Field field, std::string text) {
  if (field != Field::Edit1 && field != Field::Edit9 && field != Field::Edit10) return text;
  const std::optional<int32_t> count = TryInteger(text);
  if (count && *count > FuzzTapCap && *count <= MaxTapCount) return std::to_string(*count % (FuzzTapCap + 1));
  return text;
}

// The text with every byte outside printable ASCII written as \xNN, so that a report stays readable.
std::string Escaped(std::string_view text) {
  std::string name;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      name += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      name += hex;
    }
  }
  return name;
}

}  // namespace

std::string RunFuzzInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  DesignState state;
  FuzzFields fields(state);
  int sliderPosition = fields.SliderPosition();
  int calcs = 0;

  size_t start = 0;
  for (int event = 0; event < MaxEvents && start < input.size(); ++event) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;

    static constexpr std::string_view Events = "TCESAFG";
    const size_t known = Events.find(line[0]);
    const char kind = Events[known != std::string_view::npos ? known : static_cast<unsigned char>(line[0]) % 7];
    if (kind == 'C' && ++calcs > MaxCalcs) continue;
    const unsigned char argument = line.size() > 1 ? static_cast<unsigned char>(line[1]) : 0;

    const Observed before = Observe(fields, state);
    bool sliderMoved = false;
    switch (kind) {
      case 'T': {
        const auto field = static_cast<Field>((argument + 12 * 22 - 'a') % 12);
        fields.SetText(field, TypedText(field, std::string(line.substr(std::min<size_t>(2, line.size())))));
        break;
      }
      case 'C':
        RunCalc(fields, state);
        break;
      case 'E':
        RunReported(fields, [&] { LengthEstimateCommand(fields); });
        break;
      case 'S': {
        const int position = (argument + 7 * 37 - '0') % 7;
        // The slider's change event fires only when its position really changes.
        if (position != sliderPosition) {
          sliderPosition = position;
          fields.SetSliderPosition(position);
          sliderMoved = true;
          RunReported(fields, [&] { ApplyShelfSlider(fields, state); });
        }
        break;
      }
      case 'A':
        fields.SetAdjustChecked(!fields.AdjustChecked());
        ApplyCoupling(fields);
        break;
      case 'F':
        fields.FrequencyLog = !fields.FrequencyLog;
        RunReported(fields, [&] { fields.Redraw(); });
        break;
      case 'G':
        fields.AmplitudeLog = !fields.AmplitudeLog;
        RunReported(fields, [&] { fields.Redraw(); });
        break;
    }
    const Observed after = Observe(fields, state);

    EventCheck check(before, after, fields.Messages());
    CheckAlways(check);
    switch (kind) {
      case 'T':
        break;  // typing changes one text; nothing runs
      case 'C':
        CheckCalc(check, fields.FrequencyLog, fields.AdjustChecked(), sliderPosition);
        break;
      case 'E':
        CheckEstimate(check);
        break;
      case 'S':
        if (sliderMoved) {
          CheckSlider(check, sliderPosition);
        } else {
          check.StateIs(check.Old(), "an unmoved slider changed the design state");
        }
        break;
      case 'A':
        CheckCoupling(check, fields.AdjustChecked());
        break;
      case 'F':
      case 'G':
        CheckAxisClick(check, fields.FrequencyLog);
        break;
    }
    if (!check.Failure().empty()) {
      return Escaped("event " + std::to_string(event) + " '" + std::string(line.substr(0, 40)) + "': " + check.Failure());
    }
  }
  return "";
}
