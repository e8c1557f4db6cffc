#include "pipeline/Commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "design/BandFilters.h"
#include "design/Kaiser.h"
#include "design/LengthEstimate.h"
#include "design/Shelf.h"
#include "display/Response.h"
#include "numerics/Convolution.h"
#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "numerics/ParallelWork.h"
#include "numerics/SampleRate.h"
#include "numerics/TextConvert.h"
#include "pipeline/CalcProgress.h"
#include "pipeline/WindowHandlers.h"

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

// "%5.6f" without the process locale: fixed notation, six decimals, '.' as the point. The width of
// five never pads, since the shortest such text, "0.000000", is already longer.
std::string FormatCMax(double value) {
  char buffer[400];  // the largest double has 309 integer digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) RaiseOverflow();
  return std::string(buffer, result.ptr);
}

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
  // Refused before any field is touched, like a corner out of range.
  const int rateHz = RequireSampleRate(fields.RateHz());
  state.RateHz = rateHz;

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
  state.ShelfCutDb = ShelfCutOfPosition(fields.SliderPosition());
  // The counts are checked above, so the costs cannot overflow.
  CalcProgress progress(fields, low.count + mid.count + high.count, totalTaps, totalTaps + ShelfLength - 1,
                        CascadesWithShelf(state.ShelfCutDb), rateHz);
  // The transform of the responses is planned beside the designs, on a second core where there is one.
  const Beside responsePlan([rateHz] { PrepareResponses(rateHz); });
  // The shelf does not depend on the bands: it is designed beside them. Designed on every press, also
  // when the cut is 0 dB and the shelf is not used. Its error comes first, as if it had been designed
  // first, and the bands reach the state only after it has succeeded.
  Beside shelfDesign([&] { DesignShelf(f1, f2, state.ShelfCutDb, rateHz, state.ShelfCoeffs); });
  RealArray lowCentred, midCentred, highCentred;
  try {
    progress.Bands([&] {
      const double beta = KaiserBeta(ParseReal(fields.Text(Field::Edit8)));
      // The bands' own arrays live only until they are centred. Each design splits its taps over the
      // worker threads; when several fail, the error is the one the first failing design raises.
      const RealArray lowBand = DesignLowPass(low.count, lowCutHz, beta, rateHz);
      const RealArray midBand = DesignBandPass(mid.count, midLowHz, midHighHz, beta, rateHz);
      const RealArray highBand = DesignHighPass(high.count, highCutHz, beta, rateHz);
      lowCentred = CentreBand(lowBand, totalTaps);
      midCentred = CentreBand(midBand, totalTaps);
      highCentred = CentreBand(highBand, totalTaps);
    });
  } catch (...) {
    shelfDesign.Finish();
    throw;
  }
  progress.Shelf([&] { shelfDesign.Finish(); });
  state.LowCoeffs = std::move(lowCentred);
  state.MidCoeffs = std::move(midCentred);
  state.HighCoeffs = std::move(highCentred);
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
    progress.Responses(count, [&](const auto& stored) { EvaluateResponses(targets, count, rateHz, stored); });
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
  ShowTotalLength(fields, state);

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

  // A cutoff no 64-bit integer holds is refused before either label changes.
  fields.SetCaption(Caption::Label18, "CutOff     ：" + std::to_string(KaiserCutoffHz(passHz, stopHz)) + "Hz");

  const int32_t ideal = KaiserIdealTaps(passHz, stopHz, attenuationDb, fields.RateHz());
  fields.SetCaption(Caption::Label20, "Ideal Taps： " + std::to_string(ideal));
}
