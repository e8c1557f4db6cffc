#pragma once

#include <cstdint>

// Kaiser's empirical length formula N - 1 = (A - KaiserExcessDb) / (KaiserWidthFactor * dw), dw the
// transition width in radians per sample.
inline constexpr long double KaiserExcessDb = 8;
inline constexpr long double KaiserWidthFactor = 2.285L;

// The cutoff the estimate reports for the band edges passHz and stopHz: their mean, truncated toward
// zero (the mean taken in extended precision cannot overflow). Raises UserError
// Messages::InvalidOperation when no 64-bit integer holds it.
int64_t KaiserCutoffHz(double passHz, double stopHz);

// Kaiser's estimate of the tap count a window design needs: passHz and stopHz are the band edges
// in Hz at the sampling rate rateHz (either order), attenuationDb the stop-band attenuation A.
// N = (A - 8) / (2.285 * transition width in radians per sample) + 1, truncated toward zero; the
// result is the smallest odd integer above N (negative below 8 dB). Throws UserError: a rate
// outside MinSampleRate .. MaxSampleRate (SampleRateMessage); equal edges Messages::ZeroDivide, or
// Messages::InvalidOperation when A is 8 dB as well; an estimate beyond the double range
// Messages::Overflow, beyond the 64-bit range Messages::InvalidOperation; an odd count outside the
// 32-bit range of a tap count Messages::RangeCheck.
int32_t KaiserIdealTaps(double passHz, double stopHz, double attenuationDb, int rateHz);

// The transition width in Hz that Kaiser's formula gives tapCount taps at attenuationDb and rateHz:
// rate (A - 8) / (2 pi 2.285 (N - 1)). 0 when A <= 8 dB (the formula has no width there) or tapCount < 2.
double KaiserTransitionWidthHz(double attenuationDb, int64_t tapCount, int rateHz);
