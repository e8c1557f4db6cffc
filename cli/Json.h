#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "pipeline/DesignState.h"
#include "pipeline/MemoryFields.h"

// The bytes as valid UTF-8: every byte that does not belong to a well-formed sequence becomes
// U+FFFD, so that a field text typed in another encoding cannot corrupt the output.
std::string ToValidUtf8(std::string_view bytes);

// One object: "fields" (every field's text by control name), "labels" (the five result captions),
// "state" (the lengths, CMax, the sampling rate "Rate" in Hz, the nine arrays and the eight curves at points 1 .. 950) and "freq"
// (the 950 grid frequencies in Hz). Each top-level member, and each member of "state", starts a line;
// numbers are the shortest decimals that read back to the same doubles, null where not finite.
void WriteJson(std::ostream& out, const MemoryFields& fields, const DesignState& state);
