// Tap counts far beyond any useful design, through the handlers as the window runs them: each is
// refused with a message, the failing Calc leaves exactly what it had written, and nothing waits
// for an allocation the machine cannot give.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "numerics/Errors.h"
#include "pipeline/Commands.h"
#include "tests/pipeline/RecordingFields.h"
#include "pipeline/WindowHandlers.h"
#include "tests/pipeline/RunCalc.h"

namespace {

// A state a previous Calc might have left, recognisable wherever a failing Calc must keep it.
DesignState Earlier() {
  DesignState state;
  state.LowCoeffs = state.MidCoeffs = state.HighCoeffs = state.SumCoeffs = RealArray(7, 0.5);
  state.TotalTaps = 7;
  state.ShelfLength = 1205;
  state.CascadeLength = 1211;
  state.ShelfCutDb = 2;
  state.LowMag.fill(0.75);
  state.SumDb.fill(0.25);
  return state;
}

void ExpectResultsKept(const RecordingFields& fields, const DesignState& state) {
  EXPECT_EQ(state.LowMag[500], 0.75);
  EXPECT_EQ(state.SumDb[950], 0.25);
  EXPECT_EQ(state.SumCoeffs.size(), 7u);
  EXPECT_EQ(state.CascadeLength, 1211);
  EXPECT_EQ(fields.CaptionText(Caption::Label21), DefaultCaption(Caption::Label21));
  EXPECT_EQ(fields.CaptionText(Caption::Label28), DefaultCaption(Caption::Label28));
  EXPECT_EQ(fields.RedrawCount(), 0);
  EXPECT_FALSE(fields.BusyCursor());
}

struct HugeCalc {
  const char* low;
  const char* mid;
  const char* high;
  std::string message;
  int32_t totalTaps;        // written before the refusal
  size_t bandArraySize;     // LowCoeffs afterwards: 7 when not resized
};

// The row as its test name shows it.
void PrintTo(const HugeCalc& row, std::ostream* out) { *out << row.low << "," << row.mid << "," << row.high; }

class HugeCalcs : public testing::TestWithParam<HugeCalc> {};

TEST_P(HugeCalcs, AreRefusedWithTheRangeMessage) {
  const HugeCalc& row = GetParam();
  RecordingFields fields;
  fields.SetText(Field::Edit1, row.low);
  fields.SetText(Field::Edit9, row.mid);
  fields.SetText(Field::Edit10, row.high);
  DesignState state = Earlier();
  EXPECT_FALSE(RunCalc(fields, state));
  EXPECT_EQ(fields.Messages(), std::vector<std::string>{row.message});
  EXPECT_EQ(state.TotalTaps, row.totalTaps);
  EXPECT_EQ(state.LowCoeffs.size(), row.bandArraySize);
  EXPECT_EQ(state.HighCoeffs.size(), row.bandArraySize);
  EXPECT_EQ(state.ShelfCutDb, 2);  // refused before the shelf
  ExpectResultsKept(fields, state);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, HugeCalcs,
    testing::Values(HugeCalc{"2147483647", "701", "301", Messages::RangeCheck, 2147483647, 7},
                    HugeCalc{"901", "1073741824", "301", Messages::RangeCheck, 1073741825, 7},
                    HugeCalc{"901", "701", "100000000", Messages::RangeCheck, 100000001, 7},
                    HugeCalc{"100000000", "1073741824", "2147483647", Messages::RangeCheck, 2147483647, 7},
                    // One band negative: the three band arrays are already sized to the longest.
                    HugeCalc{"-2147483648", "701", "301", Messages::RangeCheck, 701, 701},
                    HugeCalc{"901", "-100000000", "-1073741824", Messages::RangeCheck, 901, 901},
                    HugeCalc{"-2147483648", "-1073741824", "-100000000", Messages::RangeCheck, -99999999, 7},
                    // Beyond 32 bits the text is not an integer at all; nothing was normalised yet.
                    HugeCalc{"2147483648", "701", "301", Messages::NotInteger("2147483648"), 7, 7}));

TEST(HugeCalcs, TapFieldsAreNormalisedBeforeTheRefusal) {
  RecordingFields fields;
  fields.SetText(Field::Edit1, "1073741824");
  fields.SetText(Field::Edit9, "-100000000");
  DesignState state = Earlier();
  RunCalc(fields, state);
  EXPECT_EQ(fields.Text(Field::Edit1), "1073741825");
  EXPECT_EQ(fields.Text(Field::Edit9), "-99999999");
  EXPECT_EQ(fields.Text(Field::Edit10), "301");
}

struct HugeSlider {
  const char* low;
  int position;
  std::vector<std::string> messages;
  int32_t totalTaps;
  int32_t cascadeLength;
  const char* totalCaption;
};

void PrintTo(const HugeSlider& row, std::ostream* out) { *out << row.low << " at " << row.position; }

class HugeSliders : public testing::TestWithParam<HugeSlider> {};

// The slider takes the tap fields as typed; only a cascade length beyond 32 bits is refused.
TEST_P(HugeSliders, KeepTheLengthsInTheirIntegers) {
  const HugeSlider& row = GetParam();
  RecordingFields fields;
  fields.SetText(Field::Edit1, row.low);
  fields.SetSliderPosition(row.position);
  DesignState state = Earlier();
  RunReported(fields, [&] { ApplyShelfSlider(fields, state); });
  EXPECT_EQ(fields.Messages(), row.messages);
  EXPECT_EQ(fields.CaptionText(Caption::LabelShelbDb), "+" + std::to_string(6 - row.position) + "dB");
  EXPECT_EQ(state.ShelfCutDb, 6 - row.position);
  EXPECT_EQ(state.TotalTaps, row.totalTaps);
  EXPECT_EQ(state.CascadeLength, row.cascadeLength);
  EXPECT_EQ(fields.CaptionText(Caption::Label28), row.totalCaption);
  EXPECT_EQ(state.LowCoeffs, RealArray(7, 0.5));
  EXPECT_EQ(state.LowMag[1], 0.75);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, HugeSliders,
    testing::Values(
        HugeSlider{"2147483647", 5, {Messages::RangeCheck}, 2147483647, 1211, "Total N Tap = 901"},
        HugeSlider{"2147483647", 6, {}, 2147483647, 1211, "Total Ntap = 2147483647"},
        HugeSlider{"1073741824", 0, {}, 1073741824, 1073743028, "Total Ntap = 1073743028"},
        HugeSlider{"100000000", 3, {}, 100000000, 100001204, "Total Ntap = 100001204"},
        HugeSlider{"-2147483648", 4, {}, 701, 1905, "Total Ntap = 1905"}));

// A count inside the tap limit whose arrays do not fit under the process's memory limit: the
// allocation fails and becomes the range message instead of ending the process. Only meaningful
// under a limit (the memory-limit test runs this binary under ulimit -v); without one the design
// would simply be computed.
TEST(HugeCalcs, BeyondTheMemoryLimitIsRefusedNotKilled) {
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  if (limit.rlim_cur == RLIM_INFINITY) GTEST_SKIP() << "no address-space limit set";
  // About ten arrays of the largest count are alive at the peak of a cascaded Calc.
  const rlim_t needed = static_cast<rlim_t>(MaxTapCount) * sizeof(double) * 10;
  if (limit.rlim_cur > needed) GTEST_SKIP() << "the limit leaves room for the largest design";

  RecordingFields fields;
  fields.SetText(Field::Edit1, std::to_string(MaxTapCount));
  DesignState state = Earlier();
  EXPECT_FALSE(RunCalc(fields, state));
  EXPECT_EQ(fields.Messages(), std::vector<std::string>{Messages::RangeCheck});
  EXPECT_EQ(state.TotalTaps, MaxTapCount);
  ExpectResultsKept(fields, state);

  // The process is still whole: a small design right after it succeeds.
  RecordingFields small;
  for (Field field : {Field::Edit1, Field::Edit9, Field::Edit10}) small.SetText(field, "31");
  DesignState fresh;
  EXPECT_TRUE(RunCalc(small, fresh));
  EXPECT_EQ(small.CaptionText(Caption::Label28), "Total Ntap = 31");
}

}  // namespace
