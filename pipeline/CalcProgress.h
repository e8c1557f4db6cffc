#pragma once

#include <cstdint>

#include "design/BandFilters.h"
#include "design/Shelf.h"
#include "numerics/ParallelWork.h"
#include "pipeline/Fields.h"

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

  // bandTapSum: the taps of the three band designs; totalTaps: the length of the bare bands;
  // cascadeLength: that of the cascades, used when `cascade`; rateHz: the rate of the responses.
  CalcProgress(FieldAccess& fields, int32_t bandTapSum, int32_t totalTaps, int32_t cascadeLength, bool cascade,
               int rateHz);

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
                              4 * ResponseUnits(count));
    stage([this] {
      done_ += responseCost_;
      Report(done_);
    });
  }
  void Finished();

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
  double ResponseUnits(int32_t count) const;
  // Never reports 1 before the end: that report closes the window's progress dialog. Never goes
  // back either, when a curve is stored after its sums were reported done.
  void Report(double done);

  FieldAccess& fields_;
  int rateHz_;
  double shelfCost_ = 0;
  double bandsCost_ = 0;
  double convolutionCost_ = 0;
  double responseCost_ = 0;
  double total_ = 1;
  double done_ = 0;
  double reported_ = 0;
};
