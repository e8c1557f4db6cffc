#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "acoustic/DriverSetup.h"
#include "numerics/CoreTypes.h"
#include "pipeline/Fields.h"

// A design file keeps what the user set in the window, so that a crossover can be reopened, compared
// and scripted: one UTF-8 JSON document, extension .firxover.json,
//   {"format": "firxover-design", "version": 1, "rate": 44100,
//    "fields": {"lowTaps": "901", ...}, "adjust": true, "shelfCutDb": 0,
//    "logFrequency": true, "logLevel": true}
// Field texts are kept byte for byte, not as the numbers they may stand for: a field holding "abc"
// or " 901" comes back exactly so.

inline constexpr std::string_view DesignFormatName = "firxover-design";
// The newest version this build reads, and the one it writes.
inline constexpr int DesignFormatVersion = 1;
inline constexpr std::string_view DesignFileExtension = ".firxover.json";
// Reading stops beyond this size: a design is a few hundred bytes, so anything larger is not one.
inline constexpr size_t MaxDesignFileBytes = size_t{1} << 20;
// Arrays and objects nested deeper than this are refused before parsing; a design needs three levels.
inline constexpr int MaxDesignFileDepth = 64;

// What a design file holds. A fresh value is the window's start state.
struct DesignSettings {
  DesignSettings();

  std::array<std::string, FieldCount> texts;  // indexed by Field; each text as it stands
  bool adjustChecked = true;                  // CheckBox3, "adjust coefficient"
  int shelfCutDb = 0;                         // 0 .. 6 dB; the slider stands at position 6 - cut
  bool logFrequency = true;                   // CheckBox1, logarithmic frequency axis
  bool logLevel = true;                       // CheckBox2, logarithmic (dB) amplitude axis
  int rateHz = SampleRate;                    // MinSampleRate .. MaxSampleRate
  // The drivers behind the three ways (designfile/DriversJson.h), their files as paths the process
  // can open; absent when the file has none.
  std::optional<DriverSetups> drivers;

  std::string& Text(Field field) { return texts[static_cast<size_t>(field)]; }
  const std::string& Text(Field field) const { return texts[static_cast<size_t>(field)]; }

  bool operator==(const DesignSettings&) const = default;
};

// The key of a field inside "fields" ("lowTaps" for Edit1, "shelfF1Hz" for EditShelbL, ...).
std::string_view DesignFileKey(Field field);

// The document for `settings` saved in `directory` (driver files are kept relative to it; empty: as they
// stand): UTF-8 JSON, two-space indented, keys in a fixed order, ending with a newline. A text that is not well-formed UTF-8 cannot be a JSON string; it is written as
// {"hex": "<its bytes as pairs of lowercase hex digits>"} so that every byte comes back.
std::string FormatDesignFile(const DesignSettings& settings, const std::filesystem::path& directory = {});

// Reads a document; driver files are resolved against the directory of `fileName`. Unknown keys are ignored and missing keys keep the start state's values; a
// number in place of a field's text reads as its shortest decimal text (0.1 -> "0.1", 1e3 ->
// "1000"). Anything else raises UserError "Cannot open design file '<fileName>': <reason>" with
// the first problem found (binary data, not UTF-8, not JSON, not a design, a newer version, a key
// of the wrong type or out of range).
DesignSettings ParseDesignFile(std::string_view bytes, const std::string& fileName);

// Opens and reads the file at `path` and parses it. Besides the reasons of ParseDesignFile, raises
// UserError naming the path when the file is missing, unreadable, not a regular file (never opened
// for reading, so a FIFO cannot block) or larger than MaxDesignFileBytes.
DesignSettings ReadDesignFile(const std::filesystem::path& path);

// "Cannot open design file '<fileName>': <reason>", the text of every reading failure.
std::string CannotOpenDesignMessage(const std::string& fileName, const std::string& reason);
