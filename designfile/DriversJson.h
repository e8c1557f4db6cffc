#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "acoustic/DriverSetup.h"

// The "drivers" object of a design file, the one shape the window and the CLI read and write:
//   {"low": {"file": "woofer.frd", "delayMs": 0.0, "inverted": false, "trimDb": 0.0},
//    "mid": {...}, "high": {...}}
// Each way, and each key of a way, may be missing (an ideal driver, no delay, normal polarity, no
// trim); unknown keys are ignored. "file" is kept relative to `directory`, the design file's
// directory, with '/' between its parts; a file on another root (another drive) is kept absolute.
// An empty `directory` keeps paths as they stand (relative ones are relative to the current directory).

// The object for `setups`: every way, its "file" only when it names one. Raises UserError
// "The <way> driver's file name is not UTF-8 text" for a name JSON cannot hold.
nlohmann::ordered_json DriversToJson(const DriverSetups& setups, const std::filesystem::path& directory);

// The settings an object holds, "file" resolved against `directory`. Raises UserError with the first
// problem, as a design file's reason (for example "\"drivers\".\"low\".\"delayMs\" must be a number
// of ms from -1000 to 1000").
DriverSetups DriversFromJson(const nlohmann::ordered_json& drivers, const std::filesystem::path& directory);

// `file` as kept in a design file in `directory`, and back.
std::string StoredDriverPath(const std::string& file, const std::filesystem::path& directory);
std::string ResolvedDriverPath(const std::string& stored, const std::filesystem::path& directory);
