#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "pipeline/DesignState.h"
#include "pipeline/MemoryFields.h"

// The bytes as valid UTF-8: every byte that does not belong to a well-formed sequence becomes
// U+FFFD, so that a field text typed in another encoding cannot corrupt the output.
std::string ToValidUtf8(std::string_view bytes);

// A double as the shortest decimal that reads back to the same value; null for a value that is not
// finite, which JSON cannot hold.
std::string JsonNumber(double value);

// A JSON string literal of the (UTF-8 repaired) text.
std::string JsonString(std::string_view text);

// One object: "fields" (every field's text by control name), "labels" (the five result captions),
// "state" (the lengths, CMax, the nine arrays and the eight curves at points 1 .. 950) and "freq"
// (the 950 grid frequencies in Hz).
void WriteJson(std::ostream& out, const MemoryFields& fields, const DesignState& state);
