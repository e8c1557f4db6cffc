#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads the bytes as a design file and checks what must hold for any input: either a refusal with
// one message naming the file, or settings that are written and read back to themselves. Returns
// the first violated invariant, or an empty text.
std::string RunDesignFileInput(const uint8_t* data, size_t size);
