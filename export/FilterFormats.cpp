#include "export/FilterFormats.h"

#include <bit>
#include <cmath>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "export/Sndfile.h"
#include "numerics/FloatingPoint.h"
#include "numerics/SampleRate.h"
#include "numerics/TextConvert.h"

namespace {

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
      AppendLittleEndian(bytes, static_cast<float>(StoredValue(tap, format)));
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

void WriteWav(StagedOutput& output, std::span<const double> taps, FilterFormat format, int rateHz) {
  std::string reason;
  const SndfileApi* const library = Sndfile(reason);
  if (library == nullptr) output.Fail(reason);
  const SndfileApi& sndfile = *library;
  SF_INFO info{};
  info.samplerate = rateHz;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | (SinglePrecision(format) ? SF_FORMAT_FLOAT : SF_FORMAT_DOUBLE);
  // The descriptor stays ours, so that the caller can flush it to disk before it is closed.
  const auto close = [&sndfile](SNDFILE* file) { sndfile.Close(file); };
  std::unique_ptr<SNDFILE, decltype(close)> file(sndfile.OpenFd(output.Descriptor(), SFM_WRITE, &info, SF_FALSE),
                                                 close);
  if (!file) output.Fail(sndfile.StrError(nullptr));
  std::vector<float> singles;
  for (size_t start = 0; start < taps.size(); start += cWavChunk) {
    const size_t count = std::min(cWavChunk, taps.size() - start);
    sf_count_t written = 0;
    if (SinglePrecision(format)) {
      singles.resize(count);
      for (size_t i = 0; i < count; ++i) singles[i] = static_cast<float>(StoredValue(taps[start + i], format));
      written = sndfile.WriteFloat(file.get(), singles.data(), static_cast<sf_count_t>(count));
    } else {
      written = sndfile.WriteDouble(file.get(), taps.data() + start, static_cast<sf_count_t>(count));
    }
    if (written != static_cast<sf_count_t>(count)) output.Fail(sndfile.StrError(file.get()));
    output.Tick();
  }
  // Closing writes the header's final lengths; its failure is a failed file.
  if (const int error = sndfile.Close(file.release()); error != 0) output.Fail(sndfile.ErrorNumber(error));
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

bool SinglePrecision(FilterFormat format) { return format == FilterFormat::Wav32 || format == FilterFormat::Float32; }

double StoredValue(double x, FilterFormat format) {
  if (!SinglePrecision(format)) return x;
  const float single = static_cast<float>(x);
  if (std::isinf(single)) RaiseOverflow();
  return single;
}

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

