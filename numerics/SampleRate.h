#pragma once

#include <string>
#include <string_view>

#include "numerics/CoreTypes.h"

// The sampling rate as the user gives it and as the tool shows it. The range itself lives in
// CoreTypes.h beside the default rate.

// The message for a rate outside MinSampleRate .. MaxSampleRate or a text that is not a whole
// number of Hz; text is what was given, quoted as it stands.
std::string SampleRateMessage(const std::string& text);

// Returns rateHz when IsSampleRate(rateHz); throws UserError(SampleRateMessage) otherwise.
int RequireSampleRate(long long rateHz);

// A rate typed as text: optional blanks, decimal digits, optional blanks ("48000"). A sign, a
// point, an exponent, an empty text or a value outside the range throws UserError(SampleRateMessage).
int ParseSampleRate(const std::string& text);

// The text with every "{rate}" replaced by the rate in Hz ("xo-{rate}" at 48000 gives "xo-48000"),
// so that one command line or one name writes one set of files per rate.
inline constexpr std::string_view RatePlaceholder = "{rate}";
std::string WithRate(std::string_view text, int rateHz);

// The rate (>= 0 Hz) in kHz with as many decimals as it needs: 44100 gives "44.1", 48000 "48", 22050 "22.05".
std::string KilohertzText(int rateHz);

// The rates convolution engines and audio devices commonly run at, in Hz: those the window's
// "Sampling rate" menu offers, and those whose transforms the FFTW plans are prepared for.
inline constexpr int CommonSampleRates[] = {44100, 48000, 88200, 96000, 176400, 192000};
