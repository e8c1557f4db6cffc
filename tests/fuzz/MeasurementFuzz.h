#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Parses the bytes as a driver measurement file and checks what must hold for any input: either a
// refusal with one message naming the file and a line within the text, or a measurement of at least
// two points with positive, finite, strictly increasing frequencies, finite levels and phases, and a
// finite response at every output frequency. Returns the first violated invariant, or an empty text.
std::string RunMeasurementInput(const uint8_t* data, size_t size);
