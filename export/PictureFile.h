#pragma once

#include <filesystem>
#include <string_view>

// Writes an encoded PNG to the file, whole or not at all, as every export is written. Empty bytes
// stand for a picture the encoder could not make. Raises UserError "Cannot write '<file>': <reason>".
void SavePngBytes(const std::filesystem::path& file, std::string_view png);
