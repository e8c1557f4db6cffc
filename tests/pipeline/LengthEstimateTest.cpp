#include <gtest/gtest.h>

#include <string>

#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "pipeline/MemoryFields.h"

namespace {

struct EstimateCase {
  const char* pass;
  const char* stop;
  const char* attenuation;
  const char* cutoffCaption;
  const char* tapsCaption;
};

class EstimateResults : public testing::TestWithParam<EstimateCase> {};

TEST_P(EstimateResults, WriteBothLabels) {
  const EstimateCase& row = GetParam();
  MemoryFields fields;
  fields.SetText(Field::Edit6, row.pass);
  fields.SetText(Field::Edit7, row.stop);
  fields.SetText(Field::Edit8, row.attenuation);
  LengthEstimateCommand(fields);
  EXPECT_EQ(fields.CaptionText(Caption::Label18), row.cutoffCaption);
  EXPECT_EQ(fields.CaptionText(Caption::Label20), row.tapsCaption);
  EXPECT_TRUE(fields.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Edges, EstimateResults,
    testing::Values(EstimateCase{"300", "900", "144", "CutOff     ：600Hz", "Ideal Taps： 699"},     // N odd
                    EstimateCase{"1000", "1100", "144", "CutOff     ：1050Hz", "Ideal Taps： 4179"},  // N even
                    EstimateCase{"300", "301", "144", "CutOff     ：300Hz", "Ideal Taps： 417747"},
                    EstimateCase{"0", "22050", "144", "CutOff     ：11025Hz", "Ideal Taps： 21"},
                    EstimateCase{"900", "300", "144", "CutOff     ：600Hz", "Ideal Taps： 699"},
                    EstimateCase{"-301", "0", "144", "CutOff     ：-150Hz", "Ideal Taps： 1389"},
                    // Below 8 dB the estimate is negative; a negative odd N still takes + 2.
                    EstimateCase{"300", "900", "0", "CutOff     ：600Hz", "Ideal Taps： -37"}));

struct EstimateFailure {
  const char* pass;
  const char* stop;
  const char* attenuation;
  std::string message;
  const char* cutoffCaption;  // Label18 afterwards; Label20 always keeps its text
};

class EstimateFailures : public testing::TestWithParam<EstimateFailure> {};

TEST_P(EstimateFailures, LeaveWhatWasWritten) {
  const EstimateFailure& row = GetParam();
  MemoryFields fields;
  fields.SetText(Field::Edit6, row.pass);
  fields.SetText(Field::Edit7, row.stop);
  fields.SetText(Field::Edit8, row.attenuation);
  fields.SetCaption(Caption::Label20, "Ideal Taps： 699");
  try {
    LengthEstimateCommand(fields);
    ADD_FAILURE() << "no error";
  } catch (const UserError& error) {
    EXPECT_EQ(error.what(), row.message);
  }
  EXPECT_EQ(fields.CaptionText(Caption::Label18), row.cutoffCaption);
  EXPECT_EQ(fields.CaptionText(Caption::Label20), "Ideal Taps： 699");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EstimateFailures,
    testing::Values(
        EstimateFailure{"abc", "900", "144", Messages::NotReal("abc"), "CutOff Hz"},
        EstimateFailure{"300", "9,5", "144", Messages::NotReal("9,5"), "CutOff Hz"},
        EstimateFailure{"300", "900", "inf", Messages::NotReal("inf"), "CutOff Hz"},
        EstimateFailure{"300", "300", "144", Messages::ZeroDivide, "CutOff     ：300Hz"},
        EstimateFailure{"300", "300", "8", Messages::InvalidOperation, "CutOff     ：300Hz"},
        // A cutoff that no 64-bit integer holds fails before either label changes.
        EstimateFailure{"1e30", "1e30", "144", Messages::InvalidOperation, "CutOff Hz"},
        EstimateFailure{"1.7e308", "1.7e308", "144", Messages::InvalidOperation, "CutOff Hz"},
        // Recommended counts beyond the 32-bit range of a tap count, and beyond any integer.
        EstimateFailure{"300", "300.0000001", "144", Messages::RangeCheck, "CutOff     ：300Hz"},
        EstimateFailure{"0", "1e-300", "144", Messages::InvalidOperation, "CutOff     ：0Hz"},
        EstimateFailure{"0", "1e-310", "144", Messages::Overflow, "CutOff     ：0Hz"}));

}  // namespace
