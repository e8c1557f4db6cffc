#include "tests/fuzz/DesignFileFuzz.h"

#include <string_view>

#include "designfile/DesignFile.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

constexpr const char* FuzzFileName = "fuzz.firxover.json";

}  // namespace

std::string RunDesignFileInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DesignSettings settings;
  try {
    settings = ParseDesignFile(bytes, FuzzFileName);
  } catch (const UserError& error) {
    const std::string prefix = CannotOpenDesignMessage(FuzzFileName, "");
    if (error.Text().rfind(prefix, 0) != 0 || error.Text().size() == prefix.size()) {
      return "refusal without the file's name or a reason: " + error.Text();
    }
    if (!IsValidUtf8(error.Text())) return "refusal that is not UTF-8";
    return "";
  }
  if (settings.shelfCutDb < 0 || settings.shelfCutDb > 6) return "cut out of range";
  if (!IsSampleRate(settings.rateHz)) return "rate out of range";
  if (settings.drivers) {
    for (const DriverSetup& setup : *settings.drivers)
      if (!IsDriverDelay(setup.DelayMs) || !IsDriverTrim(setup.TrimDb)) return "driver settings beyond their limits";
  }
  const std::string document = FormatDesignFile(settings);
  if (!IsValidUtf8(document)) return "a written document that is not UTF-8";
  try {
    const DesignSettings again = ParseDesignFile(document, FuzzFileName);
    if (!(again == settings)) return "settings that do not read back to themselves";
    if (FormatDesignFile(again) != document) return "a document that is not written the same way twice";
  } catch (const UserError& error) {
    return "a written document that reads as bad: " + error.Text();
  }
  return "";
}
