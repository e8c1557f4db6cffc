#pragma once

#include <QString>
#include <vector>

#include "export/Export.h"
#include "numerics/SampleRate.h"

class TForm1;

// The "Sampling rate" menu and the several-rates export offer CommonSampleRates.

// The heading Label6 for filters at rateHz, the rate in kHz with no trailing zeros: at 44100
// "カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が44.1KHzの場合）".
QString HeadingText(int rateHz);
// The window's title for a design at rateHz: "... (Kaiser window, 44.1 kHz)" at 44100.
QString WindowTitleFor(int rateHz);

// Adds "Sampling rate" to the form's "Design" menu (made here, right of "File", when missing): a
// radio item per rate of CommonSampleRates and "Other…", which asks for a whole number of Hz. The choice
// changes no field; the next Calc and estimate use it.
void BuildDesignMenu(TForm1& form);

// What "Other…" does with the text typed: the rate it names becomes the form's, or the form's
// message box says why it cannot and nothing changes. Returns whether the rate was taken.
bool ApplyRateText(TForm1& form, const QString& text);

// The file name prefix of the set for rateHz among several: "{rate}" replaced by the rate, or, when
// the prefix has none, "-<rate>" appended ("xo" at 48000 gives "xo-48000").
std::string PrefixForRate(const std::string& prefix, int rateHz);

// Exports one complete set per rate, each from its own Calc of the window's fields at that rate
// (the window's own design and fields stay as they are), named by PrefixForRate, each set written
// whole or not at all. Stops at the first rate whose Calc or export fails, or at Cancel, with the
// reason in the form's message box; the sets written before it stay. Returns whether all were written.
bool ExportFiltersForRates(TForm1& form, const QString& directory, const QString& prefix, FilterFormat format,
                           const std::vector<int>& rates);

// The rates to export, ticked in a dialog ("RatesDialog") that offers CommonSampleRates and the design's
// own rate, that one ticked at first; empty when the user cancels or ticks none.
std::vector<int> AskRates(TForm1& form);
