#include "designfile/DriversJson.h"

#include <cmath>
#include <system_error>

#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* cFileKey = "file";
constexpr const char* cDelayKey = "delayMs";
constexpr const char* cInvertedKey = "inverted";
constexpr const char* cTrimKey = "trimDb";

std::string KeyPath(Way way, const char* key) {
  std::string path = std::string("\"drivers\".\"") + WayName(way) + "\"";
  if (key != nullptr) path += std::string(".\"") + key + "\"";
  return path;
}

// A number of the way's object within +-limit, or `absent` when the key is missing.
double Number(const Json& way, Way name, const char* key, const char* unit, double limit, double absent) {
  const auto found = way.find(key);
  if (found == way.end()) return absent;
  if (!found->is_number() || !(std::fabs(found->get<double>()) <= limit)) {
    throw UserError(KeyPath(name, key) + " must be a number of " + unit + " from -" + FormatGeneral(limit) + " to " +
                    FormatGeneral(limit));
  }
  return found->get<double>();
}

// The absolute, normalised form of a path; the path itself when the current directory is unknown.
std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? path : absolute).lexically_normal();
}

}  // namespace

std::string StoredDriverPath(const std::string& file, const std::filesystem::path& directory) {
  // Without a directory, a path is already relative to the current one.
  if (directory.empty()) return std::filesystem::path(file).lexically_normal().generic_string();
  const std::filesystem::path target = Absolute(file);
  const std::filesystem::path base = Absolute(directory);
  if (target.root_name() != base.root_name() || !target.is_absolute() || !base.is_absolute())
    return target.generic_string();
  const std::filesystem::path relative = target.lexically_relative(base);
  return relative.empty() ? target.generic_string() : relative.generic_string();
}

std::string ResolvedDriverPath(const std::string& stored, const std::filesystem::path& directory) {
  const std::filesystem::path path(stored);
  if (path.is_absolute()) return path.lexically_normal().string();
  return (directory / path).lexically_normal().string();
}

nlohmann::ordered_json DriversToJson(const DriverSetups& setups, const std::filesystem::path& directory) {
  Json drivers = Json::object();
  for (Way way : AllWays) {
    const DriverSetup& setup = setups[static_cast<int>(way)];
    Json entry = Json::object();
    if (!setup.File.empty()) {
      const std::string stored = StoredDriverPath(setup.File, directory);
      if (!IsValidUtf8(stored)) {
        throw UserError(std::string("The ") + WayName(way) + " driver's file name is not UTF-8 text");
      }
      entry[cFileKey] = stored;
    }
    entry[cDelayKey] = setup.DelayMs;
    entry[cInvertedKey] = setup.Sign == Polarity::Inverted;
    entry[cTrimKey] = setup.TrimDb;
    drivers[WayName(way)] = std::move(entry);
  }
  return drivers;
}

DriverSetups DriversFromJson(const nlohmann::ordered_json& drivers, const std::filesystem::path& directory) {
  if (!drivers.is_object()) throw UserError("\"drivers\" must be an object");
  DriverSetups setups;
  for (Way way : AllWays) {
    const auto found = drivers.find(WayName(way));
    if (found == drivers.end()) continue;
    if (!found->is_object()) throw UserError(KeyPath(way, nullptr) + " must be an object");
    DriverSetup& setup = setups[static_cast<int>(way)];
    if (const auto file = found->find(cFileKey); file != found->end()) {
      if (!file->is_string() || file->get<std::string>().empty())
        throw UserError(KeyPath(way, cFileKey) + " must be a file name");
      setup.File = ResolvedDriverPath(file->get<std::string>(), directory);
    }
    setup.DelayMs = Number(*found, way, cDelayKey, "ms", MaxDriverDelayMs, setup.DelayMs);
    setup.TrimDb = Number(*found, way, cTrimKey, "dB", MaxDriverTrimDb, setup.TrimDb);
    if (const auto inverted = found->find(cInvertedKey); inverted != found->end()) {
      if (!inverted->is_boolean()) throw UserError(KeyPath(way, cInvertedKey) + " must be true or false");
      setup.Sign = inverted->get<bool>() ? Polarity::Inverted : Polarity::Normal;
    }
  }
  return setups;
}
