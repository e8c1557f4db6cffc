#include <gtest/gtest.h>

#include <string>

#include "numerics/SampleRate.h"
#include "tests/numerics/ErrorText.h"

namespace {

TEST(SampleRateTest, ParsesWholeHertzInRange) {
  EXPECT_EQ(ParseSampleRate("48000"), 48000);
  EXPECT_EQ(ParseSampleRate(" 96000\t"), 96000);
  EXPECT_EQ(ParseSampleRate("8000"), MinSampleRate);
  EXPECT_EQ(ParseSampleRate("768000"), MaxSampleRate);
  EXPECT_EQ(ParseSampleRate("0044100"), 44100);
}

TEST(SampleRateTest, RefusesEverythingElseNamingTheRange) {
  for (const std::string& text : std::initializer_list<std::string>{"0", "7999", "768001", "48000.5", "abc", "", " ", "-48000", "+48000", "48e3",
                                 "48 000", "99999999999999999999999"}) {
    EXPECT_EQ(ErrorText([&] { ParseSampleRate(text); }),
              "'" + text + "' is not a sampling rate: give a whole number of Hz from 8000 to 768000.")
        << text;
  }
  // A NUL byte typed into the text is quoted whole.
  const std::string withNul("480\0" "00", 6);
  try {
    ParseSampleRate(withNul);
    ADD_FAILURE() << "no error";
  } catch (const UserError& error) {
    EXPECT_EQ(error.Text(), "'" + withNul + "' is not a sampling rate: give a whole number of Hz from 8000 to 768000.");
  }
  EXPECT_EQ(RequireSampleRate(192000), 192000);
  EXPECT_EQ(ErrorText([] { RequireSampleRate(7999); }),
            "'7999' is not a sampling rate: give a whole number of Hz from 8000 to 768000.");
  EXPECT_EQ(ErrorText([] { RequireSampleRate(-44100); }),
            "'-44100' is not a sampling rate: give a whole number of Hz from 8000 to 768000.");
}

TEST(SampleRateTest, KilohertzWithoutTrailingZeros) {
  const std::pair<int, const char*> rows[] = {{44100, "44.1"},  {48000, "48"},   {88200, "88.2"},
                                              {96000, "96"},    {176400, "176.4"}, {192000, "192"},
                                              {22050, "22.05"}, {8000, "8"},     {44101, "44.101"},
                                              {768000, "768"},  {11025, "11.025"}, {8001, "8.001"}};
  for (const auto& [rate, text] : rows) EXPECT_EQ(KilohertzText(rate), text) << rate;
}

}  // namespace
