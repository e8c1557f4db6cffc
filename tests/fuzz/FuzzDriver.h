#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One fuzz input is a sequence of window events, one per line; the first byte of a line picks the
// event (a byte that is none of these letters picks one by its value modulo 7):
//   T<f><text>  type <text> into field <f>: 'a' Edit1, 'b' Edit2, ... 'j' Edit10, 'k' EditShelbL,
//               'l' EditShelbH (any byte, taken modulo 12 from 'a')
//   C           Button1 click, the Calc command
//   E           Button5 click, the length estimate
//   S<d>        TrackBarShelbGain moved to position <d> ('0' .. '6', any byte modulo 7); the change
//               event fires only when the position differs
//   A           CheckBox3 click ("adjust coefficient")
//   F, G        CheckBox1 / CheckBox2 click (logarithmic frequency / amplitude axis)
// The events run through the in-memory fields exactly as the window runs them, the graph redrawn
// onto a canvas that draws nothing. After every event the observable state is checked against what
// the event may write: the fields, the labels, the messages, the design state and its curves.

// Positive tap counts above this are typed as their remainder, since a long design only slows the
// fuzzer down without reaching other code; counts above the pipeline's tap limit and negative counts
// are typed as they stand, because they must be refused at once.
inline constexpr int32_t FuzzTapCap = 255;

// Runs one input. Returns an empty string when every invariant held after every event, otherwise a
// description of the first violation (event number, event, what was wrong).
std::string RunFuzzInput(const uint8_t* data, size_t size);
