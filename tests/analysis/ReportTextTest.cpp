#include <gtest/gtest.h>

#include <string>

#include "analysis/ReportText.h"

namespace {

// A report written by hand, so that every number's text is known.
DesignReport HandMadeReport() {
  DesignReport report;
  report.RateHz = 48000;
  report.AttenuationAskedDb = 60;
  report.Filters[0] = {901, 450, 9.375, 0.0000004, 120, 286, 5.958333333};
  report.Filters[1] = {901, 450, 9.375, 0.52, 1311, 263, 5.479166667};
  report.Filters[2] = {901, 450, 9.375, -0.000001, 22050, 63, 1.3125};
  report.Filters[3] = {901, 450, 9.375, 1.5e-7, 7, 0, 0};
  EdgeReport lowEdge{300, Band::Low, 901, 108.36, 289.514, 299.6712};
  report.Bands[0].UpperEdge = lowEdge;
  report.Bands[0].PassBand = FrequencyRange{0, 245.82};
  report.Bands[0].StopBands = {{354.18, 24000}};
  report.Bands[0].PassBandRippleDb = 1.234e-6;
  report.Bands[0].StopBandAttenuationDb = 61.004;
  report.Bands[0].AttenuationAskedDb = 60;
  report.Bands[1].LowerEdge = EdgeReport{300.5, Band::Low, 901, 108.36, std::nullopt, 301.25};
  report.Bands[1].UpperEdge = EdgeReport{2000, Band::High, 301, 327.3, 2050.125, 2010};
  report.Bands[1].StopBands = {{0, 246.32}, {2163.65, 24000}};
  report.Bands[1].StopBandAttenuationDb = 59.5;
  report.Bands[1].AttenuationAskedDb = 60;
  report.Bands[2].LowerEdge = EdgeReport{2000, Band::High, 301, 327.3, 1950, 1990};
  report.Bands[2].PassBand = FrequencyRange{2163.65, 24000};
  report.Bands[2].AttenuationAskedDb = 60;
  report.LowMid = {300.25, 300.125, -6.0206};
  report.MidHigh = {2000, std::nullopt, std::nullopt};
  report.Sum = {true, 450, 2.5e-13, 3.1416e-6, 1.1e-16};
  return report;
}

TEST(DesignReportText, EveryLine) {
  EXPECT_EQ(ReportText(HandMadeReport()),
            R"(Design report at 48000 Hz: levels in dB (20 log10 |H|) at every whole Hz from 0 to 24000 Hz

Filters as exported, each cascaded with the shelving filter
  filter     taps  latency                   peak gain                pre-ringing (60 dB)
  low         901  450 samples     9.375 ms     0.000 dB at   120 Hz   5.958 ms (286 samples)
  mid         901  450 samples     9.375 ms     0.520 dB at  1311 Hz   5.479 ms (263 samples)
  high        901  450 samples     9.375 ms     0.000 dB at 22050 Hz   1.312 ms (63 samples)
  sum         901  450 samples     9.375 ms     0.000 dB at     7 Hz   0.000 ms (0 samples)

Bands before the shelving filter (pass band and stop band half a transition width either side of each cutoff)
  low   upper edge 300 Hz: -3 dB at 289.51 Hz, -6 dB at 299.67 Hz
          transition width 108.36 Hz (low band, 901 taps)
        pass band 0.00 .. 245.82 Hz: ripple 1.23e-06 dB
        stop band 354.18 .. 24000.00 Hz: attenuation 61.00 dB (asked 60 dB)
  mid   lower edge 300.50 Hz: -3 dB not reached, -6 dB at 301.25 Hz
          transition width 108.36 Hz (low band, 901 taps)
        upper edge 2000 Hz: -3 dB at 2050.12 Hz, -6 dB at 2010.00 Hz
          transition width 327.30 Hz (high band, 301 taps)
        pass band empty (the transition bands meet)
        stop bands 0.00 .. 246.32 Hz, 2163.65 .. 24000.00 Hz: attenuation 59.50 dB (asked 60 dB)
  high  lower edge 2000 Hz: -3 dB at 1950.00 Hz, -6 dB at 1990.00 Hz
          transition width 327.30 Hz (high band, 301 taps)
        pass band 2163.65 .. 24000.00 Hz: ripple not measured
        stop band empty

Crossovers: equal levels of the bands before the shelving filter, nearest where they are meant to cross
  low/mid      300.12 Hz at -6.02 dB (meant near 300.25 Hz)
  mid/high  the bands do not cross (meant near 2000.00 Hz)

Sum against the shelving filter delayed by 450 samples
  largest magnitude deviation: 2.5e-13 dB in double, 3.14e-06 dB with each band rounded to 32-bit float
  largest tap difference:      1.1e-16
)");
}

TEST(DesignReportText, PureDelayAndHalfSamples) {
  DesignReport report = HandMadeReport();
  report.Sum.ShelfTarget = false;
  report.Filters[3].LatencySamples = 1052.5;
  report.Filters[3].PeakGainDb = -0.0004;
  const std::string text = ReportText(report);
  EXPECT_NE(text.find("\nFilters as exported\n"), std::string::npos);
  EXPECT_NE(text.find("\nBands (pass band"), std::string::npos);
  EXPECT_NE(text.find("  sum         901  1052.5 samples  9.375 ms     0.000 dB at     7 Hz"), std::string::npos);
  EXPECT_NE(text.find("\nSum against a pure delay of 450 samples\n"), std::string::npos);
}

}  // namespace
