#include "pipeline/Commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "design/LengthEstimate.h"
#include "design/Shelf.h"
#include "display/Response.h"
#include "numerics/Convolution.h"
#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "numerics/ParallelWork.h"
#include "numerics/TextConvert.h"

namespace {

// A negative count is the array layer's range error, and so is a count above the tap limit,
// refused before any memory is asked for.
void CheckTapCount(int32_t count) {
  if (count < 0 || count > MaxTapCount) throw UserError(Messages::RangeCheck);
}

void SizeTapArray(RealArray& array, int32_t count) {
  CheckTapCount(count);
  array.resize(static_cast<size_t>(count));
}

// ShelfLength + taps - 1 in 64 bits, refused when it leaves the 32-bit range of the lengths.
int32_t CascadeLengthOf(int32_t shelfLength, int32_t totalTaps) {
  const int64_t length = int64_t{shelfLength} + totalTaps - 1;
  if (length < 0 || length > std::numeric_limits<int32_t>::max()) throw UserError(Messages::RangeCheck);
  return static_cast<int32_t>(length);
}

// "%5.6f" without the process locale: fixed notation, six decimals, '.' as the point. The width of
// five never pads, since the shortest such text, "0.000000", is already longer.
std::string FormatCMax(double value) {
  char buffer[400];  // the largest double has 309 integer digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) RaiseOverflow();
  return std::string(buffer, result.ptr);
}

// The share of a Calc done, for the progress reports, weighed by the measured relative costs of the
// stages in multiply-adds of the convolution: a band tap (a window weight, two 30-term Bessel series in
// extended precision, and a sine), a convolution by its expected cost (ConvolutionCost), and a unit of one
// response (ResponseWork: an addition of the folding or of the FFT). A stage whose work runs on the
// worker threads reports while it runs, every few tens of milliseconds; every stage reports when it ends.
class CalcProgress {
 public:
  static constexpr double WindowWeightCost = BandTapWork;
  static constexpr double ConvolutionTermCost = 1;
  static constexpr double ResponseTermCost = 1;

  CalcProgress(FieldAccess& fields, int32_t bandTapSum, int32_t totalTaps, int32_t cascadeLength, bool cascade)
      : fields_(fields) {
    const double responseCount = cascade ? cascadeLength : totalTaps;
    shelfCost_ = ShelfLength * WindowWeightCost;
    bandsCost_ = bandTapSum * WindowWeightCost;
    convolutionCost_ = cascade ? ConvolutionCost(totalTaps, ShelfLength) * ConvolutionTermCost : 0.0;
    responseCost_ = ResponseWork(responseCount, SampleRate) * ResponseTermCost;
    total_ = shelfCost_ + bandsCost_ + 3 * convolutionCost_ + 4 * responseCost_;
  }
  // Each stage runs through Run with the units its parallel work reports in: none for the shelf,
  // the window weights of the bands, one per multiply-add of a convolution, one per term of a response.
  template <typename Stage>
  void Shelf(Stage&& stage) { Run(shelfCost_, 0.0, stage); }
  template <typename Stage>
  void Bands(Stage&& stage) { Run(bandsCost_, bandsCost_, stage); }
  template <typename Stage>
  void Convolution(int32_t totalTaps, Stage&& stage) {
    Run(convolutionCost_, static_cast<double>(totalTaps) * ShelfLength, stage);
  }
  // The four responses in one stage, summed side by side; each curve is done when it is stored, which
  // the stage signals by calling the function it is given.
  template <typename Stage>
  void Responses(int32_t count, Stage&& stage) {
    const double start = done_;
    const double cost = 4 * responseCost_;
    const ProgressScope scope([this, start, cost](double share) { Report(start + share * cost); },
                              4 * ResponseWork(count, SampleRate));
    stage([this] {
      done_ += responseCost_;
      Report(done_);
    });
  }
  void Finished() { fields_.ReportProgress(1.0); }

 private:
  // While the stage runs, its parallel work reports how many of its units are done; the stage is
  // over when it returns.
  template <typename Stage>
  void Run(double cost, double units, Stage& stage) {
    {
      const ProgressScope scope([this, cost](double share) { Report(done_ + share * cost); }, units);
      stage();
    }
    done_ += cost;
    Report(done_);
  }
  // Never reports 1 before the end: that report closes the window's progress dialog. Never goes
  // back either, when a curve is stored after its sums were reported done.
  void Report(double done) {
    reported_ = std::max(reported_, std::min(done / total_, 0.999));
    fields_.ReportProgress(reported_);
  }

  FieldAccess& fields_;
  double shelfCost_ = 0;
  double bandsCost_ = 0;
  double convolutionCost_ = 0;
  double responseCost_ = 0;
  double total_ = 1;
  double done_ = 0;
  double reported_ = 0;
};

// A crossover field: an integer text, used as a frequency in Hz.
double ReadFrequency(const FieldAccess& fields, Field field) {
  return static_cast<double>(ParseInteger(fields.Text(field)));
}

}  // namespace

NormalizedTaps NormalizeTapCount(FieldAccess& fields, Field field) {
  const int32_t typed = ParseInteger(fields.Text(field));
  // Truncating division keeps the result inside 32 bits for every typed value.
  const int32_t count = (typed / 2) * 2 + 1;
  fields.SetText(field, std::to_string(count));
  return {count, count / 2};
}

double ComputeCMax(const DesignState& state) {
  double cMax = 0.0;
  for (int i = 1; i <= GridPointCount; ++i) {
    if (state.LowMag[i] > cMax) cMax = state.LowMag[i];
    if (state.MidMag[i] > cMax) cMax = state.MidMag[i];
    if (state.HighMag[i] > cMax) cMax = state.HighMag[i];
  }
  return cMax;
}

namespace {

// The shelving corners: the ramp needs f1 >= 40 Hz and at least an octave up to f2. A corner out of
// range is refused: its message is shown, then the field is set to the lowest value it may hold.
// Returns the message, or nothing when both corners are acceptable.
std::optional<std::string> RefuseShelfCorners(FieldAccess& fields) {
  const double f1 = ParseReal(fields.Text(Field::EditShelbL));
  if (f1 < 40) {
    fields.ShowMessage(Messages::ShelfF1TooLow);
    fields.SetText(Field::EditShelbL, "40");
    return Messages::ShelfF1TooLow;
  }
  const double f2 = ParseReal(fields.Text(Field::EditShelbH));
  // An f1 beyond half the double range has no doubled value to propose; that is an overflow.
  const double lowestF2 = CheckFinite(2.0 * f1);
  if (lowestF2 > f2) {
    fields.ShowMessage(Messages::ShelfF2TooLow);
    fields.SetText(Field::EditShelbH, FormatGeneral(lowestF2));
    return Messages::ShelfF2TooLow;
  }
  return std::nullopt;
}

// The Calc once its corners are accepted: designs, cascades, evaluates, writes the labels and
// redraws. Returns the record of what it computed; raises UserError, CommandCancelled or an
// allocation failure, leaving whatever it wrote before.
CalcRecord DesignAndShow(FieldAccess& fields, DesignState& state) {
  // From here on the state is rewritten: an export of an earlier Calc is no longer possible.
  ++state.Generation;
  fields.SetBusyCursor(true);

  const NormalizedTaps low = NormalizeTapCount(fields, Field::Edit1);
  const NormalizedTaps mid = NormalizeTapCount(fields, Field::Edit9);
  const NormalizedTaps high = NormalizeTapCount(fields, Field::Edit10);
  state.TotalTaps = MaxOfThree(low.count, mid.count, high.count);
  const int32_t totalTaps = state.TotalTaps;

  // All four crossover texts are parsed, even those that coupling then overrides.
  double lowCutHz = ReadFrequency(fields, Field::Edit2);
  const double midLowHz = ReadFrequency(fields, Field::Edit5);
  const double midHighHz = ReadFrequency(fields, Field::Edit4);
  double highCutHz = ReadFrequency(fields, Field::Edit3);
  if (fields.AdjustChecked()) {
    lowCutHz = midLowHz;
    highCutHz = midHighHz;
  }

  SizeTapArray(state.LowCoeffs, totalTaps);
  SizeTapArray(state.MidCoeffs, totalTaps);
  SizeTapArray(state.HighCoeffs, totalTaps);
  // The bands' own arrays are made by their designs; their counts are refused here already.
  CheckTapCount(low.count);
  CheckTapCount(mid.count);
  CheckTapCount(high.count);

  state.ShelfLength = ShelfLength;
  state.ShelfCoeffs.resize(ShelfLength);
  const double f1 = ParseReal(fields.Text(Field::EditShelbL));
  const double f2 = ParseReal(fields.Text(Field::EditShelbH));
  state.ShelfCutDb = 6 - fields.SliderPosition();
  // The counts are checked above, so the costs cannot overflow.
  CalcProgress progress(fields, low.count + mid.count + high.count, totalTaps, totalTaps + ShelfLength - 1,
                        CascadesWithShelf(state.ShelfCutDb));
  // Designed on every press, also when the cut is 0 dB and the shelf is not used.
  progress.Shelf([&] { DesignShelf(f1, f2, state.ShelfCutDb, SampleRate, state.ShelfCoeffs); });

  const double beta = KaiserBeta(ParseReal(fields.Text(Field::Edit8)));
  progress.Bands([&] {
    // The bands' own arrays live only until they are centred. Each design splits its taps over the
    // worker threads; when several fail, the error is the one the first failing design raises.
    const RealArray lowBand = DesignLowPass(low.count, lowCutHz, beta, SampleRate);
    const RealArray midBand = DesignBandPass(mid.count, midLowHz, midHighHz, beta, SampleRate);
    const RealArray highBand = DesignHighPass(high.count, highCutHz, beta, SampleRate);
    state.LowCoeffs = CentreBand(lowBand, totalTaps);
    state.MidCoeffs = CentreBand(midBand, totalTaps);
    state.HighCoeffs = CentreBand(highBand, totalTaps);
  });
  {
    const RealArray bandSum = SumBands(state.LowCoeffs, state.MidCoeffs, state.HighCoeffs, totalTaps);
    if (fields.AdjustChecked()) AdjustMidBand(state.LowCoeffs, state.MidCoeffs, state.HighCoeffs, bandSum, totalTaps);
  }

  state.SumCoeffs.resize(static_cast<size_t>(totalTaps));
  state.CascadeLength = CascadeLengthOf(state.ShelfLength, totalTaps);
  const int32_t cascadeLength = state.CascadeLength;
  // Bounded by the tap limit checked above, so these stay within what a Calc may ask for.
  state.LowCascade.resize(static_cast<size_t>(cascadeLength));
  state.MidCascade.resize(static_cast<size_t>(cascadeLength));
  state.HighCascade.resize(static_cast<size_t>(cascadeLength));
  state.SumCascade.resize(static_cast<size_t>(cascadeLength));

  // One stage per convolution, and one for the four responses, each reporting its progress.
  const auto convolve = [&](const RealArray& band, RealArray& cascade) {
    progress.Convolution(totalTaps, [&] {
      ConvolveReal(band.data(), totalTaps, state.ShelfCoeffs.data(), state.ShelfLength, cascade.data(),
                   cascadeLength);
    });
  };
  // The four curves in the order low, mid, high, sum.
  const auto evaluate = [&](const RealArray& low, const RealArray& mid, const RealArray& high, const RealArray& sum,
                            int32_t count) {
    const ResponseTarget targets[] = {{low, state.LowMag, state.LowDb},
                                      {mid, state.MidMag, state.MidDb},
                                      {high, state.HighMag, state.HighDb},
                                      {sum, state.SumMag, state.SumDb}};
    progress.Responses(count, [&](const auto& stored) { EvaluateResponses(targets, count, SampleRate, stored); });
  };
  if (!CascadesWithShelf(state.ShelfCutDb)) {
    state.SumCoeffs = SumBands(state.LowCoeffs, state.MidCoeffs, state.HighCoeffs, totalTaps);
    evaluate(state.LowCoeffs, state.MidCoeffs, state.HighCoeffs, state.SumCoeffs, totalTaps);
  } else {
    convolve(state.LowCoeffs, state.LowCascade);
    convolve(state.MidCoeffs, state.MidCascade);
    convolve(state.HighCoeffs, state.HighCascade);
    state.SumCascade = SumBands(state.LowCascade, state.MidCascade, state.HighCascade, cascadeLength);
    evaluate(state.LowCascade, state.MidCascade, state.HighCascade, state.SumCascade, cascadeLength);
  }

  fields.SetCaption(Caption::Label21, "振幅係数の最大値：CMax = " + FormatCMax(ComputeCMax(state)));

  // The total length by the slider's rule, from the tap fields as they now stand.
  const int32_t highTyped = ParseInteger(fields.Text(Field::Edit10));
  const int32_t midTyped = ParseInteger(fields.Text(Field::Edit9));
  const int32_t lowTyped = ParseInteger(fields.Text(Field::Edit1));
  state.TotalTaps = MaxOfThree(lowTyped, midTyped, highTyped);
  state.ShelfLength = ShelfLength;
  if (CascadesWithShelf(state.ShelfCutDb)) {
    state.CascadeLength = CascadeLengthOf(state.ShelfLength, state.TotalTaps);
    fields.SetCaption(Caption::Label28, "Total Ntap = " + std::to_string(state.CascadeLength));
  } else {
    fields.SetCaption(Caption::Label28, "Total Ntap = " + std::to_string(state.TotalTaps));
  }

  const CalcRecord record = RecordCalc(fields, state);
  progress.Finished();
  fields.Redraw();
  return record;
}

}  // namespace

CalcOutcome CalcCommand(FieldAccess& fields, DesignState& state) {
  CalcOutcome outcome;
  try {
    if (std::optional<std::string> refusal = RefuseShelfCorners(fields)) {
      outcome.Status = CalcStatus::Refused;
      outcome.Message = std::move(*refusal);
      return outcome;
    }
    outcome.Record = DesignAndShow(fields, state);
    outcome.Status = CalcStatus::Completed;
  } catch (const CommandCancelled&) {
    outcome.Status = CalcStatus::Cancelled;
  } catch (const UserError& error) {
    outcome.Status = CalcStatus::Failed;
    outcome.Message = error.Text();
  } catch (const std::bad_alloc&) {
    // An allocation the system cannot grant is reported like an array beyond its range.
    outcome.Status = CalcStatus::Failed;
    outcome.Message = Messages::RangeCheck;
  } catch (const std::length_error&) {
    outcome.Status = CalcStatus::Failed;
    outcome.Message = Messages::RangeCheck;
  }
  return outcome;
}

void LengthEstimateCommand(FieldAccess& fields) {
  const double passHz = ParseReal(fields.Text(Field::Edit6));
  const double stopHz = ParseReal(fields.Text(Field::Edit7));
  const double attenuationDb = ParseReal(fields.Text(Field::Edit8));

  // The mean in extended precision cannot overflow; one that no 64-bit integer holds cannot be
  // truncated, an invalid operation raised before either label changes.
  const long double cutoffHz = std::trunc((static_cast<long double>(passHz) + stopHz) / 2);
  if (!(cutoffHz >= -0x1p63L && cutoffHz < 0x1p63L)) RaiseInvalidOperation();
  fields.SetCaption(Caption::Label18, "CutOff     ：" + std::to_string(static_cast<int64_t>(cutoffHz)) + "Hz");

  const int32_t ideal = KaiserIdealTaps(passHz, stopHz, attenuationDb, SampleRate);
  fields.SetCaption(Caption::Label20, "Ideal Taps： " + std::to_string(ideal));
}
