#include "export/Export.h"

#include <sndfile.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "analysis/Report.h"
#include "analysis/ReportInputs.h"
#include "analysis/ReportText.h"
#include "export/StagedFiles.h"
#include "numerics/Errors.h"
#include "numerics/FloatingPoint.h"
#include "numerics/SampleRate.h"
#include "numerics/TextConvert.h"
#include "pipeline/Commands.h"

namespace {

constexpr long double cPi = 3.141592653589793238462643383279502884L;
constexpr size_t cWavChunk = 65536;

struct FormatInfo {
  FilterFormat format;
  const char* name;
  const char* extension;
  const char* description;
};

constexpr FormatInfo Formats[] = {
    {FilterFormat::Wav32, "wav", ".wav", "WAV, mono, {rate} Hz, 32-bit IEEE float"},
    {FilterFormat::Wav64, "wav64", ".wav", "WAV, mono, {rate} Hz, 64-bit IEEE float"},
    {FilterFormat::Text, "txt", ".txt", "text, one coefficient a line (%.17g, '.' as the point), no header"},
    {FilterFormat::Float32, "f32", ".f32", "raw little-endian 32-bit IEEE float, no header"},
    {FilterFormat::Float64, "dbl", ".dbl", "raw little-endian 64-bit IEEE float, no header"},
    {FilterFormat::Csv, "csv", ".csv", "CSV, one row a tap (%.17g, '.' as the point)"},
};

const FormatInfo& InfoOf(FilterFormat format) {
  for (const FormatInfo& info : Formats)
    if (info.format == format) return info;
  return Formats[0];
}

bool SinglePrecision(FilterFormat format) { return format == FilterFormat::Wav32 || format == FilterFormat::Float32; }

// The value a file of this format holds for x: float32 rounds to nearest, the text forms read back
// exactly. A coefficient beyond the float range would become infinite, which is an overflow.
double Rounded(double x, FilterFormat format) {
  if (!SinglePrecision(format)) return x;
  const float single = static_cast<float>(x);
  if (std::isinf(single)) RaiseOverflow();
  return single;
}

const char* RoleOf(Field field) {
  for (const DesignFieldRole& entry : DesignFieldRoles())
    if (entry.field == field) return entry.role;
  return "";
}

std::string Fixed(double value, int decimals) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// Little-endian bytes of the value, whatever the host's order.
template <typename Real>
void AppendLittleEndian(std::string& bytes, Real value) {
  using Bits = std::conditional_t<sizeof(Real) == 4, uint32_t, uint64_t>;
  Bits bits = std::bit_cast<Bits>(value);
  for (size_t i = 0; i < sizeof(Real); ++i) {
    bytes.push_back(static_cast<char>(bits & 0xFF));
    bits >>= 8;
  }
}

void WriteRaw(StagedOutput& output, std::span<const double> taps, FilterFormat format) {
  std::string bytes;
  for (const double tap : taps) {
    if (SinglePrecision(format)) {
      AppendLittleEndian(bytes, static_cast<float>(Rounded(tap, format)));
    } else {
      AppendLittleEndian(bytes, tap);
    }
    if (bytes.size() >= cWavChunk) {
      output.Write(bytes);
      bytes.clear();
    }
  }
  output.Write(bytes);
}

void WriteText(StagedOutput& output, std::span<const double> taps) {
  for (const double tap : taps) {
    output.Write(FormatExact(tap));
    output.Write("\n");
  }
}

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

void WriteWav(StagedOutput& output, std::span<const double> taps, FilterFormat format, int rateHz) {
  SF_INFO info{};
  info.samplerate = rateHz;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | (SinglePrecision(format) ? SF_FORMAT_FLOAT : SF_FORMAT_DOUBLE);
  // The descriptor stays ours, so that the caller can flush it to disk before it is closed.
  std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_fd(output.Descriptor(), SFM_WRITE, &info, SF_FALSE));
  if (!file) output.Fail(sf_strerror(nullptr));
  std::vector<float> singles;
  for (size_t start = 0; start < taps.size(); start += cWavChunk) {
    const size_t count = std::min(cWavChunk, taps.size() - start);
    sf_count_t written = 0;
    if (SinglePrecision(format)) {
      singles.resize(count);
      for (size_t i = 0; i < count; ++i) singles[i] = static_cast<float>(Rounded(taps[start + i], format));
      written = sf_write_float(file.get(), singles.data(), static_cast<sf_count_t>(count));
    } else {
      written = sf_write_double(file.get(), taps.data() + start, static_cast<sf_count_t>(count));
    }
    if (written != static_cast<sf_count_t>(count)) output.Fail(sf_strerror(file.get()));
    output.Tick();
  }
  // Closing writes the header's final lengths; its failure is a failed file.
  if (const int error = sf_close(file.release()); error != 0) output.Fail(sf_error_number(error));
}

// rateHz goes into the header of the formats that have one.
void WriteFilter(StagedOutput& output, std::span<const double> taps, FilterFormat format, int rateHz) {
  switch (format) {
    case FilterFormat::Wav32:
    case FilterFormat::Wav64: WriteWav(output, taps, format, rateHz); return;
    case FilterFormat::Text: WriteText(output, taps); return;
    case FilterFormat::Float32:
    case FilterFormat::Float64: WriteRaw(output, taps, format); return;
    case FilterFormat::Csv: break;
  }
}

void WriteBandsCsv(StagedOutput& output, const ExportedFilters& filters) {
  output.Write("tap,low,mid,high,sum\n");
  for (size_t n = 0; n < filters.Sum.size(); ++n) {
    output.Write(std::to_string(n) + "," + FormatExact(filters.Low[n]) + "," + FormatExact(filters.Mid[n]) + "," +
                 FormatExact(filters.High[n]) + "," + FormatExact(filters.Sum[n]) + "\n");
  }
}

void WriteShelfCsv(StagedOutput& output, std::span<const double> shelf) {
  output.Write("tap,shelf\n");
  for (size_t n = 0; n < shelf.size(); ++n) output.Write(std::to_string(n) + "," + FormatExact(shelf[n]) + "\n");
}

// (length - 1) / 2 samples, the centre of a linear-phase filter; a half sample for an even length.
std::string LatencySamples(size_t length) {
  if (length % 2 == 1) return std::to_string((length - 1) / 2);
  return Fixed((static_cast<double>(length) - 1) / 2, 1);
}

std::string LatencyColumns(size_t length, int rateHz) {
  const double milliseconds = (static_cast<double>(length) - 1) / 2 / rateHz * 1000;
  return Padded(LatencySamples(length) + " samples", 16) + Fixed(milliseconds, 3) + " ms";
}

std::string Decibels(double linear) {
  if (linear == 0) return "exact (no deviation)";
  return Fixed(20 * CheckedLog10(linear), 1) + " dB";
}

}  // namespace

std::optional<FilterFormat> FilterFormatFromName(std::string_view name) {
  for (const FormatInfo& info : Formats)
    if (name == info.name) return info.format;
  return std::nullopt;
}

const char* FilterFormatName(FilterFormat format) { return InfoOf(format).name; }

const char* FilterFormatExtension(FilterFormat format) { return InfoOf(format).extension; }

std::string FilterFormatDescription(FilterFormat format, int rateHz) { return WithRate(InfoOf(format).description, rateHz); }

std::string PrefixProblem(const std::string& prefix) {
  if (prefix.empty()) return "The file name prefix is empty.";
  if (prefix == "." || prefix == "..") return "The file name prefix '" + prefix + "' is not a file name.";
  if (prefix.find('/') != std::string::npos || prefix.find('\0') != std::string::npos) {
    return "The file name prefix '" + prefix + "' must not contain '/'.";
  }
  return "";
}

std::vector<std::filesystem::path> ExportFileNames(const std::filesystem::path& directory, const std::string& prefix,
                                                   FilterFormat format) {
  std::vector<std::filesystem::path> files;
  const std::string extension = FilterFormatExtension(format);
  if (format == FilterFormat::Csv) {
    files.push_back(directory / (prefix + "-bands.csv"));
    files.push_back(directory / (prefix + "-shelf.csv"));
  } else {
    for (const char* part : {"-low", "-mid", "-high", "-sum", "-shelf"}) files.push_back(directory / (prefix + part + extension));
  }
  files.push_back(directory / (prefix + "-summary.txt"));
  return files;
}

DelayDeviation MeasureDelayDeviation(std::span<const double> sum, FilterFormat format, const ExportProgress& progress,
                                     int rateHz) {
  DelayDeviation deviation;
  const size_t length = sum.size();
  if (length == 0) return deviation;
  std::vector<double> rounded(length);
  for (size_t n = 0; n < length; ++n) rounded[n] = Rounded(sum[n], format);

  // The centre D = (length - 1) / 2 may be a half sample, so phases are counted in half samples:
  // the angle of tap n at f Hz is 2 pi f (2n - (length - 1)) / (2 rate), whose numerator is an exact
  // integer that can be reduced modulo twice the rate before any rounding.
  const int64_t period = 2 * int64_t{RequireSampleRate(rateHz)};
  const int64_t twiceCentre = static_cast<int64_t>(length) - 1;
  for (size_t n = 0; n < length; ++n) {
    const double impulse = 2 * static_cast<int64_t>(n) == twiceCentre ? 1.0 : 0.0;
    deviation.LargestTapError = std::max(deviation.LargestTapError, std::fabs(rounded[n] - impulse));
  }
  std::vector<long double> cosines(period), sines(period);
  for (int64_t k = 0; k < period; ++k) {
    const long double angle = 2 * cPi * static_cast<long double>(k) / period;
    cosines[k] = std::cos(angle);
    sines[k] = std::sin(angle);
  }
  for (int i = 1; i <= GridPointCount; ++i) {
    if (progress) progress(static_cast<double>(i - 1) / GridPointCount);
    const int64_t hz = GridFrequency(i);
    long double re = 0, im = 0;
    for (size_t n = 0; n < length; ++n) {
      int64_t k = (hz * (2 * static_cast<int64_t>(n) - twiceCentre)) % period;
      if (k < 0) k += period;
      re += rounded[n] * cosines[k];
      im -= rounded[n] * sines[k];
    }
    const double error = static_cast<double>(std::sqrt((re - 1) * (re - 1) + im * im));
    deviation.LargestResponseError = std::max(deviation.LargestResponseError, error);
    const double magnitude = static_cast<double>(std::sqrt(re * re + im * im));
    if (magnitude == 0) {
      if (!deviation.VanishesOnGrid) deviation.VanishingHz = static_cast<int>(hz);
      deviation.VanishesOnGrid = true;
      continue;
    }
    deviation.LargestMagnitudeDb = std::max(deviation.LargestMagnitudeDb, std::fabs(20 * CheckedLog10(magnitude)));
  }
  return deviation;
}

std::string SummaryText(const CalcRecord& record, const ExportedFilters& filters,
                        const std::vector<std::filesystem::path>& files, FilterFormat format,
                        const ExportProgress& progress) {
  std::string text = "firxover filter export\n\n";
  text += "Sample rate: " + std::to_string(record.RateHz) + " Hz, mono\n";
  text += "Format: " + FilterFormatDescription(format, record.RateHz) + "\n";
  if (filters.Cascaded) {
    text += "Bands: low, mid, high and their sum, each cascaded with the shelving filter (cut " +
            std::to_string(record.ShelfCutDb) + " dB), as the graph shows them\n";
  } else {
    text += "Bands: low, mid, high and their sum, without shelving (cut 0 dB), as the graph shows them\n";
  }
  text += "Shelving filter: on its own, " + std::to_string(filters.Shelf.size()) + " taps" +
          (filters.Cascaded ? " (already contained in the bands above)\n" : " (not applied to the bands above)\n");

  text += "\nDesign fields\n";
  for (const auto& [field, value] : record.FieldTexts) {
    text += "  " + Padded(FieldName(field), 20) + Padded(RoleOf(field), 28) + value + "\n";
  }
  text += "  " + Padded("CheckBox3", 20) + Padded("adjust coefficient", 28) +
          (record.AdjustChecked ? "ticked" : "not ticked") + "\n";
  text += "  " + Padded("TrackBarShelbGain", 20) + Padded("shelving cut", 28) + "+" + std::to_string(record.ShelfCutDb) +
          "dB (position " + std::to_string(record.SliderPosition) + ")\n";
  text += "  " + Padded("Label21", 20) + Padded("largest band magnitude", 28) + Fixed(record.CMax, 6) + "\n";

  text += "\nFiles\n  " + Padded("file", 32) + Padded("taps", 10) + "latency" + "\n";
  const int rateHz = record.RateHz;
  auto fileRow = [&text, rateHz](const std::string& name, size_t taps) {
    text += "  " + Padded(name, 32) + Padded(std::to_string(taps), 10) + LatencyColumns(taps, rateHz) + "\n";
  };
  if (format == FilterFormat::Csv) {
    fileRow(files[0].filename().string() + " (low,mid,high,sum)", filters.Sum.size());
    fileRow(files[1].filename().string(), filters.Shelf.size());
  } else {
    const std::span<const double> all[] = {filters.Low, filters.Mid, filters.High, filters.Sum, filters.Shelf};
    for (size_t k = 0; k < std::size(all); ++k) fileRow(files[k].filename().string(), all[k].size());
  }

  const size_t length = filters.Sum.size();
  const DelayDeviation deviation = MeasureDelayDeviation(filters.Sum, format, progress, record.RateHz);
  text += "\nSum against a pure delay of " + LatencySamples(length) + " samples, as the file holds it (" +
          std::string(SinglePrecision(format) ? "rounded to 32-bit float" : "64-bit float; text reads back exactly") +
          ")\n";
  text += "  largest tap error against a unit impulse at the centre:  " + Decibels(deviation.LargestTapError) + "\n";
  text += "  largest response error |H(f) - delay|, 2 Hz .. 10000 Hz: " + Decibels(deviation.LargestResponseError) + "\n";
  if (deviation.VanishesOnGrid) {
    text += "  magnitude: the sum vanishes at " + std::to_string(deviation.VanishingHz) + " Hz\n";
  } else {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, deviation.LargestMagnitudeDb, std::chars_format::general, 3);
    text += "  largest magnitude deviation from 0 dB, same range:       " + std::string(buffer, result.ptr) + " dB\n";
  }
  if (filters.Cascaded) {
    text += "  (the sum contains the shelving filter, so it departs from a pure delay by design)\n";
  }
  return text;
}

std::vector<std::filesystem::path> ExportFilters(const DesignState& state, const CalcRecord& record,
                                                 const std::filesystem::path& directory, const std::string& prefix,
                                                 FilterFormat format, const ExportProgress& progress) {
  if (const std::string problem = PrefixProblem(prefix); !problem.empty()) throw UserError(problem);
  const ExportedFilters filters = SelectFilters(state, record);
  const std::vector<std::filesystem::path> files = ExportFileNames(directory, prefix, format);
  // The filters take a small share of the time; the summary's measure of the sum at every grid
  // frequency takes the rest.
  constexpr double cWritingShare = 0.1;
  size_t written = 0;
  auto report = [&](double fraction) {
    if (progress) progress(fraction);
  };
  auto reportWriting = [&] { report(cWritingShare * static_cast<double>(written) / static_cast<double>(files.size() - 1)); };
  StagedFiles staged;
  staged.SetTick(reportWriting);
  auto stage = [&](const std::filesystem::path& file, const std::function<void(StagedOutput&)>& write) {
    reportWriting();
    staged.Stage(file, write);
    ++written;
  };
  if (format == FilterFormat::Csv) {
    stage(files[0], [&](StagedOutput& output) { WriteBandsCsv(output, filters); });
    stage(files[1], [&](StagedOutput& output) { WriteShelfCsv(output, filters.Shelf); });
  } else {
    const std::span<const double> all[] = {filters.Low, filters.Mid, filters.High, filters.Sum, filters.Shelf};
    for (size_t k = 0; k < std::size(all); ++k) {
      stage(files[k], [&](StagedOutput& output) { WriteFilter(output, all[k], format, record.RateHz); });
    }
  }
  // The summary ends with the design report of the same filters.
  const std::string summary = SummaryText(record, filters, files, format,
                                          [&](double fraction) {
                                            report(cWritingShare + (1 - cWritingShare) * fraction);
                                          }) +
                              "\n" + ReportText(ComputeReport(ReportInputFor(state, record)));
  staged.Stage(files.back(), [&](StagedOutput& output) { output.Write(summary); });
  staged.Commit();
  report(1.0);
  return files;
}

std::string CurvesCsv(const DesignState& state) {
  const ResponseCurve* const magnitudes[] = {&state.LowMag, &state.MidMag, &state.HighMag, &state.SumMag};
  std::string text = "freq_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db\n";
  for (int i = 1; i <= GridPointCount; ++i) {
    text += std::to_string(GridFrequency(i));
    for (const ResponseCurve* curve : magnitudes) text += "," + FormatExact((*curve)[i]);
    // Real decibels, not the graph's normalised level; a magnitude of 0 has none and is an error.
    for (const ResponseCurve* curve : magnitudes) text += "," + FormatExact(20 * CheckedLog10((*curve)[i]));
    text += "\n";
  }
  return text;
}

void ExportCurves(const DesignState& state, const std::filesystem::path& file) {
  const std::string text = CurvesCsv(state);
  StagedFiles staged;
  staged.Stage(file, [&](StagedOutput& output) { output.Write(text); });
  staged.Commit();
}
