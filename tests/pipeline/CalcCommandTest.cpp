#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "display/Response.h"
#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "tests/pipeline/RecordingFields.h"
#include "pipeline/WindowHandlers.h"
#include "tests/numerics/ErrorText.h"
#include "tests/pipeline/RunCalc.h"

namespace {

// The message of the error a Calc failed with; empty when it did not fail.
std::string CalcError(RecordingFields& fields, DesignState& state) {
  const CalcOutcome outcome = CalcCommand(fields, state);
  EXPECT_EQ(outcome.Record.has_value(), outcome.Status == CalcStatus::Completed);
  return outcome.Status == CalcStatus::Failed ? outcome.Message : "";
}

// Results of an earlier Calc, recognisable wherever a failing Calc must leave them alone.
DesignState EarlierResults() {
  DesignState state;
  state.LowCoeffs = state.MidCoeffs = state.HighCoeffs = RealArray(5, 0.5);
  state.SumCoeffs = RealArray(5, 1.5);
  state.ShelfCoeffs = RealArray(3, 0.75);
  state.TotalTaps = 5;
  state.ShelfLength = 7;
  state.CascadeLength = 9;
  state.ShelfCutDb = 3;
  for (ResponseCurve* curve : {&state.LowMag, &state.MidMag, &state.HighMag, &state.SumMag, &state.LowDb,
                               &state.MidDb, &state.HighDb, &state.SumDb}) {
    curve->fill(0.25);
  }
  return state;
}

// An earlier band resized to 901 taps and not recomputed: its prefix, then zeros.
RealArray EarlierBandResized() {
  RealArray resized(901, 0.0);
  std::fill_n(resized.begin(), 5, 0.5);
  return resized;
}

void ExpectCurvesAndLabelsKept(const RecordingFields& fields, const DesignState& state) {
  for (const ResponseCurve* curve : {&state.LowMag, &state.MidMag, &state.HighMag, &state.SumMag, &state.LowDb,
                                     &state.MidDb, &state.HighDb, &state.SumDb}) {
    EXPECT_TRUE(std::all_of(curve->begin(), curve->end(), [](double v) { return v == 0.25; }));
  }
  EXPECT_EQ(fields.CaptionText(Caption::Label21), DefaultCaption(Caption::Label21));
  EXPECT_EQ(fields.CaptionText(Caption::Label28), DefaultCaption(Caption::Label28));
  EXPECT_EQ(fields.RedrawCount(), 0);
  EXPECT_EQ(state.SumCoeffs, RealArray(5, 1.5));
  EXPECT_EQ(state.CascadeLength, 9);
}

TEST(NormalizeTapCount, ForcesOddAndWritesBack) {
  struct Row {
    const char* text;
    int32_t count;
    int32_t centre;
  };
  const Row rows[] = {{"900", 901, 450},  {"901", 901, 450},     {"2", 3, 1},   {"3", 3, 1},
                      {"0", 1, 0},        {"1", 1, 0},           {"-1", 1, 0},  {"-2", -1, 0},
                      {"-3", -1, 0},      {"-4", -3, -1},        {" +8 ", 9, 4}, {"2147483647", 2147483647, 1073741823},
                      {"-2147483648", -2147483647, -1073741823}};
  for (const Row& row : rows) {
    RecordingFields fields;
    fields.SetText(Field::Edit9, row.text);
    const NormalizedTaps taps = NormalizeTapCount(fields, Field::Edit9);
    EXPECT_EQ(taps.count, row.count) << row.text;
    EXPECT_EQ(taps.centre, row.centre) << row.text;
    EXPECT_EQ(fields.Text(Field::Edit9), std::to_string(row.count)) << row.text;
  }
}

TEST(CalcShelfCorners, RefusedCornerShowsMessageCorrectsFieldAndStops) {
  struct Row {
    const char* f1;
    const char* f2;
    const char* message;
    Field corrected;
    const char* correctedText;
  };
  const Row rows[] = {{"39.99", "800", Messages::ShelfF1TooLow, Field::EditShelbL, "40"},
                      {"-5", "10", Messages::ShelfF1TooLow, Field::EditShelbL, "40"},
                      {"200", "399.9", Messages::ShelfF2TooLow, Field::EditShelbH, "400"},
                      {"0.1e3", "150", Messages::ShelfF2TooLow, Field::EditShelbH, "200"},
                      {"123.456", "200", Messages::ShelfF2TooLow, Field::EditShelbH, "246.912"}};
  for (const Row& row : rows) {
    RecordingFields fields;
    fields.SetText(Field::EditShelbL, row.f1);
    fields.SetText(Field::EditShelbH, row.f2);
    DesignState state = EarlierResults();
    EXPECT_EQ(CalcError(fields, state), "") << row.f1 << " " << row.f2;
    EXPECT_EQ(fields.Messages(), std::vector<std::string>{row.message});
    EXPECT_EQ(fields.Text(row.corrected), row.correctedText);
    const Field other = row.corrected == Field::EditShelbL ? Field::EditShelbH : Field::EditShelbL;
    EXPECT_EQ(fields.Text(other), row.corrected == Field::EditShelbL ? row.f2 : row.f1);
    EXPECT_FALSE(fields.BusyCursorShown());
    EXPECT_EQ(state.TotalTaps, 5);
    EXPECT_EQ(fields.Text(Field::Edit1), "901");
    ExpectCurvesAndLabelsKept(fields, state);
  }
}

TEST(CalcShelfCorners, BoundaryCornersPass) {
  // A tap field that is not a number ends the Calc just after validation, which shows it passed.
  const std::pair<const char*, const char*> rows[] = {{"40", "800"}, {"200", "400"}, {"40", "80"}};
  for (const auto& [f1, f2] : rows) {
    RecordingFields fields;
    fields.SetText(Field::EditShelbL, f1);
    fields.SetText(Field::EditShelbH, f2);
    fields.SetText(Field::Edit1, "q");
    DesignState state;
    EXPECT_EQ(CalcError(fields, state), Messages::NotInteger("q")) << f1 << " " << f2;
    EXPECT_TRUE(fields.Messages().empty());
    EXPECT_TRUE(fields.BusyCursorShown());
  }
}

TEST(CalcShelfCorners, DoubledCornerBeyondTheDoubleRangeIsAnOverflow) {
  RecordingFields fields;
  fields.SetText(Field::EditShelbL, "1e308");
  fields.SetText(Field::EditShelbH, "1.5e308");
  DesignState state = EarlierResults();
  EXPECT_EQ(CalcError(fields, state), Messages::Overflow);
  EXPECT_EQ(fields.Text(Field::EditShelbH), "1.5e308");
  EXPECT_TRUE(fields.Messages().empty());
  EXPECT_FALSE(fields.BusyCursorShown());
}

// How far a Calc got before the failing field: each stage includes the ones before it.
enum class Reached { Nothing, BusyCursor, Edit1Normalized, Edit9Normalized, TotalTaps, ShelfDesigned };

struct FieldFailure {
  Field field;
  const char* text;
  std::string message;
  Reached reached;
};

class CalcFieldFailures : public testing::TestWithParam<FieldFailure> {};

TEST_P(CalcFieldFailures, LeaveExactlyWhatWasWritten) {
  const FieldFailure& row = GetParam();
  RecordingFields fields;
  fields.SetText(Field::Edit1, "900");
  fields.SetText(Field::Edit9, "700");
  fields.SetText(Field::Edit10, "300");
  fields.SetText(row.field, row.text);
  DesignState state = EarlierResults();
  EXPECT_EQ(CalcError(fields, state), row.message);

  const auto tapText = [&](Field field, const char* typed, const char* normalized, Reached written) {
    if (field == row.field) return std::string(row.text);
    return std::string(row.reached >= written ? normalized : typed);
  };
  EXPECT_EQ(fields.BusyCursorShown(), row.reached >= Reached::BusyCursor);
  EXPECT_EQ(fields.Text(Field::Edit1), tapText(Field::Edit1, "900", "901", Reached::Edit1Normalized));
  EXPECT_EQ(fields.Text(Field::Edit9), tapText(Field::Edit9, "700", "701", Reached::Edit9Normalized));
  EXPECT_EQ(fields.Text(Field::Edit10), tapText(Field::Edit10, "300", "301", Reached::TotalTaps));
  EXPECT_EQ(state.TotalTaps, row.reached >= Reached::TotalTaps ? 901 : 5);
  if (row.reached == Reached::ShelfDesigned) {
    EXPECT_EQ(state.LowCoeffs, EarlierBandResized());
    EXPECT_EQ(state.MidCoeffs, EarlierBandResized());
    EXPECT_EQ(state.HighCoeffs, EarlierBandResized());
    EXPECT_EQ(state.ShelfLength, 1205);
    EXPECT_EQ(state.ShelfCutDb, 0);
    ASSERT_EQ(state.ShelfCoeffs.size(), 1205u);
    EXPECT_NEAR(state.ShelfCoeffs[602], 0.9999988, 1e-6);  // a 0 dB shelf: the window weight alone
  } else {
    EXPECT_EQ(state.LowCoeffs, RealArray(5, 0.5));
    EXPECT_EQ(state.ShelfLength, 7);
    EXPECT_EQ(state.ShelfCutDb, 3);
    EXPECT_EQ(state.ShelfCoeffs, RealArray(3, 0.75));
  }
  EXPECT_TRUE(fields.Messages().empty());
  ExpectCurvesAndLabelsKept(fields, state);
}

INSTANTIATE_TEST_SUITE_P(
    FailingReads, CalcFieldFailures,
    testing::Values(FieldFailure{Field::EditShelbL, "abc", Messages::NotReal("abc"), Reached::Nothing},
                    FieldFailure{Field::EditShelbH, "1,5", Messages::NotReal("1,5"), Reached::Nothing},
                    FieldFailure{Field::EditShelbH, "nan", Messages::NotReal("nan"), Reached::Nothing},
                    FieldFailure{Field::Edit1, "9.5", Messages::NotInteger("9.5"), Reached::BusyCursor},
                    FieldFailure{Field::Edit1, "2147483648", Messages::NotInteger("2147483648"), Reached::BusyCursor},
                    FieldFailure{Field::Edit9, "seven", Messages::NotInteger("seven"), Reached::Edit1Normalized},
                    FieldFailure{Field::Edit10, "", Messages::NotInteger(""), Reached::Edit9Normalized},
                    // Coupled, Edit2's value is not used, yet its text is still read.
                    FieldFailure{Field::Edit2, "abc", Messages::NotInteger("abc"), Reached::TotalTaps},
                    FieldFailure{Field::Edit5, "300.5", Messages::NotInteger("300.5"), Reached::TotalTaps},
                    FieldFailure{Field::Edit4, "2e3", Messages::NotInteger("2e3"), Reached::TotalTaps},
                    FieldFailure{Field::Edit3, " ", Messages::NotInteger(" "), Reached::TotalTaps},
                    FieldFailure{Field::Edit8, "inf", Messages::NotReal("inf"), Reached::ShelfDesigned}));

struct TapFailure {
  const char* low;
  const char* mid;
  const char* high;
  std::string message;
  int32_t totalTaps;
  bool bandArraysResized;  // LowCoeffs, MidCoeffs and HighCoeffs sized to TotalTaps
  bool shelfDesigned;
};

class CalcTapFailures : public testing::TestWithParam<TapFailure> {};

TEST_P(CalcTapFailures, FailBeforeAnyCurve) {
  const TapFailure& row = GetParam();
  RecordingFields fields;
  fields.SetText(Field::Edit1, row.low);
  fields.SetText(Field::Edit9, row.mid);
  fields.SetText(Field::Edit10, row.high);
  DesignState state = EarlierResults();
  EXPECT_EQ(CalcError(fields, state), row.message);
  EXPECT_EQ(state.TotalTaps, row.totalTaps);
  EXPECT_EQ(state.LowCoeffs.size(), row.bandArraysResized ? static_cast<size_t>(row.totalTaps) : 5u);
  EXPECT_EQ(state.HighCoeffs.size(), row.bandArraysResized ? static_cast<size_t>(row.totalTaps) : 5u);
  EXPECT_EQ(state.ShelfLength, row.shelfDesigned ? 1205 : 7);
  EXPECT_EQ(state.ShelfCoeffs.size(), row.shelfDesigned ? 1205u : 3u);
  ExpectCurvesAndLabelsKept(fields, state);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CalcTapFailures,
    testing::Values(
        // A negative count fails where its array is sized; all three negative already at LowCoeffs.
        TapFailure{"-5", "701", "301", Messages::RangeCheck, 701, true, false},
        TapFailure{"1", "-3", "301", Messages::RangeCheck, 301, true, false},
        TapFailure{"-2", "-4", "-6", Messages::RangeCheck, -1, false, false},
        // Counts above the tap limit are refused the same way, before any memory is asked for.
        TapFailure{"16777216", "701", "301", Messages::RangeCheck, 16777217, false, false},
        TapFailure{"901", "701", "2147483647", Messages::RangeCheck, 2147483647, false, false},
        // A single tap is a Kaiser window of span 0, which fails in the band design.
        TapFailure{"0", "701", "301", Messages::InvalidOperation, 701, true, true},
        TapFailure{"901", "701", "-1", Messages::InvalidOperation, 901, true, true}));

TEST(CalcCommand, ErrorThroughTheHandlerRunnerRestoresTheCursor) {
  RecordingFields fields;
  fields.SetText(Field::Edit4, "x");
  DesignState state;
  EXPECT_FALSE(RunCalc(fields, state));
  EXPECT_EQ(fields.Messages(), std::vector<std::string>{Messages::NotInteger("x")});
  EXPECT_TRUE(fields.BusyCursorShown());
  EXPECT_FALSE(fields.BusyCursor());
}

TEST(CalcCommand, CancelEndsQuietlyAndKeepsWhatWasWritten) {
  RecordingFields fields;
  fields.CancelAtReport(1);  // the first report comes after the shelf design
  DesignState state = EarlierResults();
  const CalcOutcome outcome = CalcCommand(fields, state);
  EXPECT_EQ(outcome.Status, CalcStatus::Cancelled);
  EXPECT_EQ(outcome.Message, "");
  EXPECT_FALSE(outcome.Record);
  ShowCalcOutcome(fields, outcome);
  EXPECT_TRUE(fields.Messages().empty());
  EXPECT_FALSE(fields.BusyCursor());
  EXPECT_EQ(state.ShelfCoeffs.size(), 1205u);
  EXPECT_EQ(state.LowCoeffs, EarlierBandResized());
  ExpectCurvesAndLabelsKept(fields, state);
}

TEST(CalcOutcome, CompletedCarriesTheRecordOfWhatWasComputed) {
  RecordingFields fields;
  fields.SetText(Field::Edit1, "600");  // normalised to 601 before it is recorded
  fields.SetSliderPosition(3);
  DesignState state;
  state.Generation = 41;
  const CalcOutcome outcome = CalcCommand(fields, state);
  ASSERT_EQ(outcome.Status, CalcStatus::Completed);
  EXPECT_EQ(outcome.Message, "");
  ASSERT_TRUE(outcome.Record);
  const CalcRecord& record = *outcome.Record;
  EXPECT_EQ(record.Generation, 42u);
  EXPECT_EQ(state.Generation, 42u);
  EXPECT_TRUE(record.Cascaded);
  EXPECT_EQ(record.ShelfCutDb, 3);
  EXPECT_EQ(record.TotalTaps, 701);
  EXPECT_EQ(record.ShelfLength, 1205);
  EXPECT_EQ(record.CascadeLength, 1905);
  EXPECT_TRUE(record.AdjustChecked);
  EXPECT_EQ(record.SliderPosition, 3);
  EXPECT_EQ(record.CMax, ComputeCMax(state));
  ASSERT_EQ(record.FieldTexts.size(), 10u);
  EXPECT_EQ(record.FieldTexts[0], std::make_pair(Field::EditShelbL, std::string("200")));
  EXPECT_EQ(record.FieldTexts[2], std::make_pair(Field::Edit1, std::string("601")));

  const ExportedFilters filters = SelectFilters(state, record);
  EXPECT_TRUE(filters.Cascaded);
  EXPECT_EQ(filters.Sum.data(), state.SumCascade.data());
  EXPECT_EQ(filters.Sum.size(), 1905u);
  EXPECT_EQ(filters.Shelf.size(), 1205u);
}

TEST(CalcOutcome, RefusedLeavesTheStateAndItsGenerationAlone) {
  RecordingFields fields;
  fields.SetText(Field::EditShelbH, "300");
  DesignState state = EarlierResults();
  state.Generation = 7;
  const CalcOutcome outcome = CalcCommand(fields, state);
  EXPECT_EQ(outcome.Status, CalcStatus::Refused);
  EXPECT_EQ(outcome.Message, Messages::ShelfF2TooLow);
  EXPECT_FALSE(outcome.Record);
  EXPECT_EQ(state.Generation, 7u);
  // The refusal showed its message when it corrected the field; showing the outcome adds none.
  ShowCalcOutcome(fields, outcome);
  EXPECT_EQ(fields.Messages(), std::vector<std::string>{Messages::ShelfF2TooLow});
  EXPECT_EQ(fields.Text(Field::EditShelbH), "400");
}

TEST(CalcOutcome, FailedCarriesTheErrorTextAndOutdatesEarlierRecords) {
  RecordingFields fields;
  DesignState state;
  const CalcOutcome first = CalcCommand(fields, state);
  ASSERT_EQ(first.Status, CalcStatus::Completed);
  fields.SetText(Field::Edit9, "-4");  // the mid band's design fails on a negative count
  const CalcOutcome second = CalcCommand(fields, state);
  EXPECT_EQ(second.Status, CalcStatus::Failed);
  EXPECT_EQ(second.Message, Messages::RangeCheck);
  EXPECT_FALSE(second.Record);
  EXPECT_TRUE(fields.Messages().empty());  // not shown until the caller shows the outcome
  EXPECT_EQ(ErrorText([&] { SelectFilters(state, *first.Record); }), ExportMessages::StateChanged);
  ShowCalcOutcome(fields, second);
  EXPECT_EQ(fields.Messages(), std::vector<std::string>{Messages::RangeCheck});
  EXPECT_FALSE(fields.BusyCursor());
}

// The default design, run once and shared by the tests that read it.
struct DefaultRun {
  RecordingFields fields;
  DesignState state = EarlierResults();
  std::string error;
  DefaultRun() { error = CalcError(fields, state); }
};

const DefaultRun& Defaults() {
  static DefaultRun run;
  return run;
}

TEST(DefaultCalc, LabelsLengthsAndRedraw) {
  const auto& [fields, state, error] = Defaults();
  ASSERT_EQ(error, "");
  EXPECT_EQ(fields.CaptionText(Caption::Label21), "振幅係数の最大値：CMax = 1.000000");
  EXPECT_EQ(fields.CaptionText(Caption::Label28), "Total Ntap = 901");
  EXPECT_EQ(state.TotalTaps, 901);
  EXPECT_EQ(state.ShelfCutDb, 0);
  EXPECT_EQ(state.ShelfLength, 1205);
  EXPECT_EQ(state.CascadeLength, 2105);
  EXPECT_EQ(state.LowCascade.size(), 2105u);  // sized on every Calc, filled only when cascading
  EXPECT_GT(ComputeCMax(state), 1.0);
  EXPECT_LT(ComputeCMax(state), 1.0000005);
  EXPECT_EQ(fields.RedrawCount(), 1);
  EXPECT_TRUE(fields.BusyCursorShown());
  EXPECT_FALSE(fields.BusyCursor());
  EXPECT_TRUE(fields.Messages().empty());
  for (Field field : {Field::Edit1, Field::Edit9, Field::Edit10, Field::EditShelbL, Field::EditShelbH}) {
    EXPECT_EQ(fields.Text(field), DefaultText(field));
  }
  // Shelf, bands, four responses, then the end; a stage that runs long reports while it runs too.
  const std::vector<double>& reports = fields.ProgressReports();
  ASSERT_GE(reports.size(), 7u);
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  EXPECT_GT(reports.front(), 0.0);
  EXPECT_LT(reports[reports.size() - 2], 1.0);
  EXPECT_EQ(reports.back(), 1.0);
}

TEST(DefaultCalc, AdjustedBandsSumToTheCentreImpulse) {
  const auto& [fields, state, error] = Defaults();
  ASSERT_EQ(error, "");
  ASSERT_EQ(state.SumCoeffs.size(), 901u);
  EXPECT_DOUBLE_EQ(state.LowCoeffs[450], 600.0 / 44100);
  for (int n = 0; n < 901; ++n) {
    EXPECT_NEAR(state.SumCoeffs[n], n == 450 ? 1.0 : 0.0, 1e-15) << n;
  }
  for (int i = 1; i <= GridPointCount; ++i) EXPECT_NEAR(state.SumMag[i], 1.0, 1e-12) << i;
  EXPECT_EQ(state.SumMag[0], 0.25);  // element 0 is never written
}

TEST(CalcCommand, CascadeWithTheShelfAtSixDb) {
  RecordingFields fields;
  fields.SetSliderPosition(0);
  DesignState state;
  ASSERT_EQ(CalcError(fields, state), "");
  EXPECT_EQ(state.ShelfCutDb, 6);
  EXPECT_EQ(state.CascadeLength, 2105);
  EXPECT_EQ(fields.CaptionText(Caption::Label28), "Total Ntap = 2105");
  ASSERT_EQ(state.SumCascade.size(), 2105u);
  // Adjusted bands sum to a delay, so the cascaded sum is the shelf alone.
  const double stopGain = std::pow(10.0, -6.0 / 20);
  for (int i = 1; i <= GridPointCount; ++i) {
    const int hz = GridFrequency(i);
    if (hz <= 100) {
      EXPECT_NEAR(state.SumMag[i], 1.0, 2e-4) << hz;
    } else if (hz >= 2000) {
      EXPECT_NEAR(state.SumMag[i], stopGain, 5e-4) << hz;
    }
  }
}

TEST(CalcCommand, ShorterBandsAreCentredInTheLongest) {
  RecordingFields fields;
  fields.SetText(Field::Edit9, "1000");
  DesignState state;
  ASSERT_EQ(CalcError(fields, state), "");
  EXPECT_EQ(fields.Text(Field::Edit9), "1001");
  EXPECT_EQ(state.TotalTaps, 1001);
  EXPECT_EQ(fields.CaptionText(Caption::Label28), "Total Ntap = 1001");
  const auto zerosBefore = [](const RealArray& band) {
    return std::find_if(band.begin(), band.end(), [](double v) { return v != 0.0; }) - band.begin();
  };
  const auto zerosAfter = [](const RealArray& band) {
    return std::find_if(band.rbegin(), band.rend(), [](double v) { return v != 0.0; }) - band.rbegin();
  };
  EXPECT_EQ(zerosBefore(state.LowCoeffs), 50);
  EXPECT_EQ(zerosAfter(state.LowCoeffs), 50);
  EXPECT_EQ(zerosBefore(state.HighCoeffs), 350);
  EXPECT_EQ(zerosAfter(state.HighCoeffs), 350);
  EXPECT_DOUBLE_EQ(state.HighCoeffs[500], 1 - 4000.0 / 44100);
}

// Small bands keep these Calcs quick; what they show does not depend on the length.
RecordingFields SmallDesign() {
  RecordingFields fields;
  for (Field field : {Field::Edit1, Field::Edit9, Field::Edit10}) fields.SetText(field, "61");
  return fields;
}

TEST(CalcCommand, CoupledCutoffsComeFromTheMidBand) {
  RecordingFields typed = SmallDesign();
  typed.SetText(Field::Edit2, "999");
  typed.SetText(Field::Edit3, "5");
  RecordingFields coupled = SmallDesign();
  DesignState typedState;
  DesignState coupledState;
  ASSERT_EQ(CalcError(typed, typedState), "");
  ASSERT_EQ(CalcError(coupled, coupledState), "");
  EXPECT_EQ(typedState.LowCoeffs, coupledState.LowCoeffs);
  EXPECT_EQ(typedState.HighCoeffs, coupledState.HighCoeffs);
  EXPECT_EQ(typedState.SumMag, coupledState.SumMag);
}

TEST(CalcCommand, CMaxIsThePeakOfASingleBandNotOfTheSum) {
  // Uncoupled, overlapping bands: low up to 2000 Hz and high from 300 Hz add up to well above 2.
  RecordingFields fields = SmallDesign();
  fields.SetAdjustChecked(false);
  fields.SetText(Field::Edit2, "2000");
  fields.SetText(Field::Edit3, "300");
  DesignState state;
  ASSERT_EQ(CalcError(fields, state), "");
  double bandPeak = 0.0;
  double sumPeak = 0.0;
  for (int i = 1; i <= GridPointCount; ++i) {
    bandPeak = std::max({bandPeak, state.LowMag[i], state.MidMag[i], state.HighMag[i]});
    sumPeak = std::max(sumPeak, state.SumMag[i]);
  }
  EXPECT_GT(sumPeak, 2.0);
  EXPECT_EQ(ComputeCMax(state), bandPeak);
  char expected[64];
  std::snprintf(expected, sizeof expected, "%5.6f", bandPeak);
  EXPECT_EQ(fields.CaptionText(Caption::Label21), std::string("振幅係数の最大値：CMax = ") + expected);
}

// The CMax label of a Calc is the one the literal per-term evaluation of the same cascades gives.
TEST(CalcCommand, CMaxLabelAsTheLiteralEvaluationGivesIt) {
  const struct {
    int slider;
    const char* lowTaps;
    bool adjust;
  } rows[] = {{6, "901", true}, {0, "301", false}};
  for (const auto& row : rows) {
    RecordingFields fields;
    fields.SetSliderPosition(row.slider);
    fields.SetText(Field::Edit1, row.lowTaps);
    fields.SetAdjustChecked(row.adjust);
    DesignState state;
    ASSERT_EQ(CalcError(fields, state), "");
    const bool cascade = state.ShelfCutDb > 0;
    double peak = 0.0;
    for (const RealArray* band : cascade ? std::vector{&state.LowCascade, &state.MidCascade, &state.HighCascade}
                                         : std::vector{&state.LowCoeffs, &state.MidCoeffs, &state.HighCoeffs}) {
      ResponseCurve magnitude, level;
      EvaluateResponseReference(*band, magnitude, level, cascade ? state.CascadeLength : state.TotalTaps, SampleRate);
      peak = std::max(peak, *std::max_element(magnitude.begin() + 1, magnitude.end()));
    }
    char expected[64];
    std::snprintf(expected, sizeof expected, "%5.6f", peak);
    EXPECT_EQ(fields.CaptionText(Caption::Label21), std::string("振幅係数の最大値：CMax = ") + expected)
        << row.slider << " " << row.lowTaps;
  }
}

}  // namespace
