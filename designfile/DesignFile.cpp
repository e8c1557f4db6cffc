#include "designfile/DesignFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "designfile/DriversJson.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

using Json = nlohmann::ordered_json;

struct FieldKey {
  Field field;
  std::string_view key;
};

// The order in which the fields are written: the three bands' tap counts, their frequencies, the
// shelving corners, then the length estimate's fields.
constexpr FieldKey FieldKeys[FieldCount] = {
    {Field::Edit1, "lowTaps"},       {Field::Edit9, "midTaps"},       {Field::Edit10, "highTaps"},
    {Field::Edit2, "lowCutHz"},      {Field::Edit5, "midLowHz"},      {Field::Edit4, "midHighHz"},
    {Field::Edit3, "highCutHz"},     {Field::EditShelbL, "shelfF1Hz"}, {Field::EditShelbH, "shelfF2Hz"},
    {Field::Edit8, "attenuationDb"}, {Field::Edit6, "passHz"},        {Field::Edit7, "stopHz"},
};

constexpr int MaxShelfCutDb = 6;

// A reason a document is not a design this build can use; turned into the message naming the file.
struct BadDesign {
  std::string reason;
};

std::string Quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

constexpr char HexDigits[] = "0123456789abcdef";

std::string ToHex(std::string_view bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    hex += HexDigits[byte >> 4];
    hex += HexDigits[byte & 0x0F];
  }
  return hex;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// A whole number within [low, high], whichever way JSON spelt it (48000, 4.8e4, 48000.0).
std::optional<int64_t> WholeNumber(const Json& value, int64_t low, int64_t high) {
  int64_t number = 0;
  if (value.is_number_unsigned()) {
    const uint64_t unsignedNumber = value.get<uint64_t>();
    if (unsignedNumber > static_cast<uint64_t>(high)) return std::nullopt;
    number = static_cast<int64_t>(unsignedNumber);
  } else if (value.is_number_integer()) {
    number = value.get<int64_t>();
  } else if (value.is_number_float()) {
    const double real = value.get<double>();
    if (!(real >= static_cast<double>(low) && real <= static_cast<double>(high)) || std::trunc(real) != real) {
      return std::nullopt;
    }
    number = static_cast<int64_t>(real);
  } else {
    return std::nullopt;
  }
  if (number < low || number > high) return std::nullopt;
  return number;
}

// The shortest decimal text that reads back to a JSON number.
std::string NumberText(const Json& number) {
  if (number.is_number_unsigned()) return std::to_string(number.get<uint64_t>());
  if (number.is_number_integer()) return std::to_string(number.get<int64_t>());
  return FormatShortest(number.get<double>());
}

// The text of one field: a JSON string as it stands, a number as its shortest decimal text, or the
// {"hex": ...} form of a text that is not UTF-8.
std::string FieldText(const Json& value, std::string_view key) {
  const std::string where = Quoted("fields") + "." + Quoted(key);
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number()) return NumberText(value);
  if (value.is_object() && value.size() == 1 && value.contains("hex") && value["hex"].is_string()) {
    if (std::optional<std::string> bytes = FromHex(value["hex"].get<std::string>())) return *bytes;
    throw BadDesign{where + " has a \"hex\" text that is not pairs of hex digits"};
  }
  throw BadDesign{where + " must be a text or a number"};
}

bool Boolean(const Json& document, std::string_view key, bool absent) {
  const auto found = document.find(key);
  if (found == document.end()) return absent;
  if (!found->is_boolean()) throw BadDesign{Quoted(key) + " must be true or false"};
  return found->get<bool>();
}

// The first byte that cannot stand in JSON text: a NUL or another control character (binary data),
// or a byte outside well-formed UTF-8.
void CheckText(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
      throw BadDesign{"it holds binary data, not JSON text (byte " + std::to_string(byte) + " at offset " +
                      std::to_string(i) + ")"};
    }
    const size_t length = Utf8SequenceLength(bytes, i);
    if (length == 0) {
      throw BadDesign{"it is not UTF-8 text (byte " + std::to_string(byte) + " at offset " + std::to_string(i) +
                      ")"};
    }
    i += length;
  }
}

// Refuses deep nesting before the parser builds it: the document's arrays and objects are written
// back (the driver settings) and freed recursively.
void CheckDepth(std::string_view bytes) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > MaxDesignFileDepth) {
        throw BadDesign{"its JSON is nested deeper than " + std::to_string(MaxDesignFileDepth) + " levels"};
      }
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
}

// Line and column (both from 1) of a byte offset, for the JSON syntax message.
std::string Position(std::string_view bytes, size_t offset) {
  offset = std::min(offset, bytes.size());
  size_t line = 1;
  size_t lineStart = 0;
  for (size_t i = 0; i < offset; ++i) {
    if (bytes[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1);
}

Json ParseJson(std::string_view bytes) {
  try {
    return Json::parse(bytes.begin(), bytes.end());
  } catch (const nlohmann::json::parse_error& error) {
    // The parser's own description, without its prefix and without the bytes it last read.
    std::string detail = error.what();
    if (const size_t colon = detail.find(": "); colon != std::string::npos) detail.erase(0, colon + 2);
    if (const size_t lastRead = detail.find("; last read"); lastRead != std::string::npos) detail.erase(lastRead);
    // Positions count from 1; the parser's offset is that of the last byte it read.
    throw BadDesign{"it is not JSON (" + Position(bytes, error.byte == 0 ? 0 : error.byte - 1) + ": " + detail + ")"};
  } catch (const nlohmann::json::exception&) {
    throw BadDesign{"it is not JSON (a number too large for a double)"};
  }
}

DesignSettings FromDocument(const Json& document, const std::filesystem::path& directory) {
  if (!document.is_object()) throw BadDesign{"it is not a firxover design (not a JSON object)"};
  const auto format = document.find("format");
  if (format == document.end() || !format->is_string() || format->get<std::string>() != DesignFormatName) {
    throw BadDesign{"it is not a firxover design (no \"format\": \"" + std::string(DesignFormatName) + "\")"};
  }
  const auto version = document.find("version");
  if (version == document.end()) throw BadDesign{"it has no \"version\""};
  if (version->is_number() && version->get<double>() > DesignFormatVersion) {
    throw BadDesign{"it was written by a newer firxover (design file version " + NumberText(*version) +
                    "; this one reads up to version " + std::to_string(DesignFormatVersion) + ")"};
  }
  if (!WholeNumber(*version, 1, DesignFormatVersion)) throw BadDesign{"\"version\" must be a whole number from 1"};

  DesignSettings settings;
  if (const auto rate = document.find("rate"); rate != document.end()) {
    const std::optional<int64_t> rateHz = WholeNumber(*rate, MinSampleRate, MaxSampleRate);
    if (!rateHz) {
      throw BadDesign{"\"rate\" must be a whole number of Hz from " + std::to_string(MinSampleRate) + " to " +
                      std::to_string(MaxSampleRate)};
    }
    settings.rateHz = static_cast<int>(*rateHz);
  }
  if (const auto fields = document.find("fields"); fields != document.end()) {
    if (!fields->is_object()) throw BadDesign{"\"fields\" must be an object"};
    for (const FieldKey& entry : FieldKeys) {
      const auto value = fields->find(entry.key);
      if (value != fields->end()) settings.Text(entry.field) = FieldText(*value, entry.key);
    }
  }
  settings.adjustChecked = Boolean(document, "adjust", settings.adjustChecked);
  if (const auto cut = document.find("shelfCutDb"); cut != document.end()) {
    const std::optional<int64_t> cutDb = WholeNumber(*cut, 0, MaxShelfCutDb);
    if (!cutDb) throw BadDesign{"\"shelfCutDb\" must be a whole number of dB from 0 to 6"};
    settings.shelfCutDb = static_cast<int>(*cutDb);
  }
  settings.logFrequency = Boolean(document, "logFrequency", settings.logFrequency);
  settings.logLevel = Boolean(document, "logLevel", settings.logLevel);
  if (const auto drivers = document.find("drivers"); drivers != document.end()) {
    try {
      settings.drivers = DriversFromJson(*drivers, directory);
    } catch (const UserError& error) {
      throw BadDesign{error.Text()};
    }
  }
  return settings;
}

// Closes the descriptor on every way out of ReadDesignFile.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

std::string SystemReason(int error) { return std::generic_category().message(error); }

}  // namespace

DesignSettings::DesignSettings() {
  for (int i = 0; i < FieldCount; ++i) texts[static_cast<size_t>(i)] = DefaultText(static_cast<Field>(i));
}

std::string_view DesignFileKey(Field field) {
  for (const FieldKey& entry : FieldKeys)
    if (entry.field == field) return entry.key;
  return "";
}

std::string CannotOpenDesignMessage(const std::string& fileName, const std::string& reason) {
  return "Cannot open design file '" + fileName + "': " + reason;
}

std::string FormatDesignFile(const DesignSettings& settings, const std::filesystem::path& directory) {
  Json fields = Json::object();
  for (const FieldKey& entry : FieldKeys) {
    const std::string& text = settings.Text(entry.field);
    fields[std::string(entry.key)] = IsValidUtf8(text) ? Json(text) : Json{{"hex", ToHex(text)}};
  }
  Json document = Json::object();
  document["format"] = DesignFormatName;
  document["version"] = DesignFormatVersion;
  document["rate"] = settings.rateHz;
  document["fields"] = std::move(fields);
  document["adjust"] = settings.adjustChecked;
  document["shelfCutDb"] = settings.shelfCutDb;
  document["logFrequency"] = settings.logFrequency;
  document["logLevel"] = settings.logLevel;
  if (settings.drivers) document["drivers"] = DriversToJson(*settings.drivers, directory);
  return document.dump(2) + "\n";
}

DesignSettings ParseDesignFile(std::string_view bytes, const std::string& fileName) {
  try {
    if (bytes.empty()) throw BadDesign{"the file is empty"};
    CheckText(bytes);
    CheckDepth(bytes);
    return FromDocument(ParseJson(bytes), std::filesystem::path(fileName).parent_path());
  } catch (const BadDesign& bad) {
    throw UserError(CannotOpenDesignMessage(fileName, bad.reason));
  }
}

DesignSettings ReadDesignFile(const std::filesystem::path& path) {
  const std::string name = path.string();
  // Non-blocking, so that opening a FIFO returns at once; it is refused below as not a regular file.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) throw UserError(CannotOpenDesignMessage(name, SystemReason(errno)));
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) throw UserError(CannotOpenDesignMessage(name, SystemReason(errno)));
  if (S_ISDIR(status.st_mode)) throw UserError(CannotOpenDesignMessage(name, SystemReason(EISDIR)));
  if (!S_ISREG(status.st_mode)) throw UserError(CannotOpenDesignMessage(name, "it is not a regular file"));
  const std::string tooLarge = "it is larger than 1 MB (" + std::to_string(MaxDesignFileBytes) +
                               " bytes), too large for a design file";
  if (static_cast<uint64_t>(status.st_size) > MaxDesignFileBytes) {
    throw UserError(CannotOpenDesignMessage(name, tooLarge));
  }
  // The file may grow after fstat: read one byte past the limit to tell.
  std::string bytes(MaxDesignFileBytes + 1, '\0');
  size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(file.Get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw UserError(CannotOpenDesignMessage(name, SystemReason(errno)));
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  if (filled > MaxDesignFileBytes) throw UserError(CannotOpenDesignMessage(name, tooLarge));
  bytes.resize(filled);
  return ParseDesignFile(bytes, name);
}
