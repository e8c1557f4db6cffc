#include "acoustic/Measurement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <optional>
#include <system_error>

#include "acoustic/MinimumPhase.h"
#include "numerics/Errors.h"
#include "numerics/TextConvert.h"

namespace {

// A field quoted in a message is cut after this many bytes.
constexpr size_t cQuotedBytes = 40;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSeparator(char c) { return c == ',' || c == ';'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The field as a message quotes it: control bytes shown as '?', a long field cut at a character
// boundary and ended with "...".
std::string Quoted(std::string_view field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(field[i]);
    if (text.size() >= cQuotedBytes && (c & 0xC0) != 0x80) {
      text += "...";
      break;
    }
    text += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
  }
  return "'" + text + "'";
}

// The fields of one line. emptyField: two separators with nothing between them, or one leading the line.
struct SplitLine {
  std::vector<std::string_view> fields;
  bool emptyField = false;
};

SplitLine Split(std::string_view line) {
  SplitLine split;
  size_t pos = 0;
  const auto skipBlanks = [&] {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
  };
  skipBlanks();
  while (pos < line.size()) {
    const size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos]) && !IsSeparator(line[pos])) ++pos;
    if (pos == start) split.emptyField = true;
    split.fields.push_back(line.substr(start, pos - start));
    skipBlanks();
    if (pos < line.size() && IsSeparator(line[pos])) {
      ++pos;
      skipBlanks();  // a separator ending the line is allowed
    }
  }
  return split;
}

// A ',' between two digits on a line that separates its fields by ';' or tabs is a decimal comma.
bool HasDecimalComma(std::string_view line) {
  if (line.find(';') == std::string_view::npos && line.find('\t') == std::string_view::npos) return false;
  for (size_t i = 1; i + 1 < line.size(); ++i)
    if (line[i] == ',' && IsDigit(line[i - 1]) && IsDigit(line[i + 1])) return true;
  return false;
}

// Lines of the text with their numbers (from 1); LF, CR LF and CR all end a line.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
  }
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
      line = text_.substr(pos_);
      pos_ = text_.size();
    } else {
      line = text_.substr(pos_, end - pos_);
      pos_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    }
    ++number_;
    return true;
  }
  size_t Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t number_ = 0;
};

// Phases of neighbouring points brought within 180 degrees of each other by whole turns.
void Unwrap(std::vector<double>& phaseDeg) {
  for (size_t i = 1; i < phaseDeg.size(); ++i)
    phaseDeg[i] = phaseDeg[i - 1] + std::remainder(phaseDeg[i] - phaseDeg[i - 1], 360.0);
}

}  // namespace

Measurement ParseMeasurement(std::string_view text, const std::string& name) {
  Measurement measurement;
  measurement.Name = name;
  LineReader reader(text);
  std::string_view line;
  size_t columns = 0;  // values per point, set by the first point
  size_t firstLine = 0;
  size_t previousLine = 0;
  std::string_view previousFrequency;
  const auto fail = [&](const std::string& reason) -> UserError {
    return UserError("'" + name + "' line " + std::to_string(reader.Number()) + ": " + reason);
  };
  while (reader.Next(line)) {
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size() || line[first] == '*') continue;
    const SplitLine split = Split(line);
    std::vector<std::optional<double>> values;
    for (std::string_view field : split.fields) values.push_back(ParseDecimal(field));
    // Before the first point, a line that does not start with a number is a header.
    if (columns == 0 && !values.front()) continue;

    if (HasDecimalComma(line)) throw fail("',' between digits: the decimal point must be '.'");
    if (split.emptyField) throw fail("empty field");
    for (size_t i = 0; i < values.size(); ++i)
      if (!values[i]) throw fail(Quoted(split.fields[i]) + " is not a number");
    if (values.size() < 2 || values.size() > 3)
      throw fail(std::to_string(values.size()) + (values.size() == 1 ? " value" : " values") +
                 "; a point is frequency (Hz), level (dB) and optionally phase (degrees)");
    if (columns == 0) {
      columns = values.size();
      firstLine = reader.Number();
    } else if (values.size() != columns) {
      throw fail(std::to_string(values.size()) + " values where line " + std::to_string(firstLine) + " has " +
                 std::to_string(columns));
    }
    for (size_t i = 0; i < values.size(); ++i)
      if (!std::isfinite(*values[i])) throw fail(Quoted(split.fields[i]) + " is not a finite number");

    const double frequencyHz = *values[0];
    const double levelDb = *values[1];
    if (frequencyHz <= 0) throw fail("frequency " + std::string(split.fields[0]) + " Hz is not above 0");
    if (!measurement.FrequencyHz.empty() && frequencyHz <= measurement.FrequencyHz.back())
      throw fail("frequency " + std::string(split.fields[0]) + " Hz is not above " + std::string(previousFrequency) +
                 " Hz of line " + std::to_string(previousLine));
    if (std::fabs(levelDb) > MaxMeasuredLevelDb)
      throw fail("level " + std::string(split.fields[1]) + " dB is outside -" + FormatGeneral(MaxMeasuredLevelDb) +
                 " .. " + FormatGeneral(MaxMeasuredLevelDb) + " dB");
    measurement.FrequencyHz.push_back(frequencyHz);
    measurement.LevelDb.push_back(levelDb);
    if (columns == 3) measurement.PhaseDeg.push_back(*values[2]);
    previousLine = reader.Number();
    previousFrequency = split.fields[0];
  }
  if (measurement.FrequencyHz.size() < 2) {
    const size_t points = measurement.FrequencyHz.size();
    throw UserError("'" + name + "' line " + std::to_string(std::max<size_t>(reader.Number(), 1)) +
                    ": end of file after " + (points == 0 ? "no point" : "1 point") +
                    "; a measurement needs at least 2 lines of frequency (Hz), level (dB) and optionally phase "
                    "(degrees)");
  }
  if (columns == 3) {
    Unwrap(measurement.PhaseDeg);
    measurement.Phase = PhaseSource::Measured;
  } else {
    measurement.PhaseDeg = MinimumPhaseDeg(measurement.FrequencyHz, measurement.LevelDb);
    measurement.Phase = PhaseSource::MinimumPhase;
  }
  return measurement;
}

namespace {

// Closes the descriptor on every way out.
class ReadDescriptor {
 public:
  explicit ReadDescriptor(int fd) : fd_(fd) {}
  ReadDescriptor(const ReadDescriptor&) = delete;
  ReadDescriptor& operator=(const ReadDescriptor&) = delete;
  ~ReadDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

Measurement ReadMeasurement(const std::filesystem::path& file) {
  const std::string name = file.string();
  const auto cannotRead = [&](const std::string& reason) {
    return UserError("Cannot read '" + name + "': " + reason);
  };
  // Non-blocking, so that a FIFO given by mistake is refused instead of waited on.
  const ReadDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.Get() < 0) throw cannotRead(std::generic_category().message(errno));
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0) throw cannotRead(std::generic_category().message(errno));
  if (!S_ISREG(status.st_mode)) throw cannotRead("not a regular file");
  const std::string tooLarge =
      "larger than " + std::to_string(MaxMeasurementFileBytes >> 20) + " MiB, too large for a measurement file";
  if (static_cast<uint64_t>(status.st_size) > MaxMeasurementFileBytes) throw cannotRead(tooLarge);

  std::string text(static_cast<size_t>(status.st_size), '\0');
  size_t filled = 0;
  for (;;) {
    // One byte more than the limit tells a file that grew while it was read.
    if (filled == text.size()) text.resize(std::min(MaxMeasurementFileBytes + 1, text.size() + 65536));
    if (filled == text.size()) throw cannotRead(tooLarge);
    const ssize_t got = ::read(fd.Get(), text.data() + filled, text.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw cannotRead(std::generic_category().message(errno));
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  text.resize(filled);
  return ParseMeasurement(text, name);
}
