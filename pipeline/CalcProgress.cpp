#include "pipeline/CalcProgress.h"

#include <algorithm>

#include "display/Response.h"
#include "numerics/Convolution.h"

CalcProgress::CalcProgress(FieldAccess& fields, int32_t bandTapSum, int32_t totalTaps, int32_t cascadeLength,
                           bool cascade, int rateHz)
    : fields_(fields), rateHz_(rateHz) {
  const double responseCount = cascade ? cascadeLength : totalTaps;
  shelfCost_ = ShelfLength * WindowWeightCost;
  bandsCost_ = bandTapSum * WindowWeightCost;
  convolutionCost_ = cascade ? ConvolutionCost(totalTaps, ShelfLength) * ConvolutionTermCost : 0.0;
  responseCost_ = ResponseWork(responseCount, rateHz_) * ResponseTermCost;
  total_ = shelfCost_ + bandsCost_ + 3 * convolutionCost_ + 4 * responseCost_;
}

void CalcProgress::Finished() { fields_.ReportProgress(1.0); }

double CalcProgress::ResponseUnits(int32_t count) const { return ResponseWork(count, rateHz_); }

void CalcProgress::Report(double done) {
  reported_ = std::max(reported_, std::min(done / total_, 0.999));
  fields_.ReportProgress(reported_);
}
