#pragma once

#include <string>
#include <string_view>

struct CliRequest;

// The driver options of design and report, for each way W of low, mid and high:
//   --W-driver FILE, --W-delay-ms X, --W-trim-db X, --W-invert, --W-no-invert,
// and --acoustic-csv FILE.

// Whether `name` is one of the flags (--W-invert, --W-no-invert), or one of the options with a value.
bool IsDriverFlag(std::string_view name);
bool IsDriverValueOption(std::string_view name);

// Stores a flag, or an option with its value, in request.drivers or request.acousticCsvFile; returns
// the usage error for a value that cannot be taken ("option --mid-delay-ms takes a number of ms from
// -1000 to 1000, not 'x'"), or an empty text.
void SetDriverFlag(CliRequest& request, std::string_view name);
std::string SetDriverOption(CliRequest& request, std::string_view name, const std::string& value);

// The help's lines for these options, in the layout of the others.
std::string DriverOptionLines();
