#include "cli/DescriptorOutput.h"

#include <unistd.h>

#include <cerrno>

namespace {

constexpr size_t cBufferBytes = 1 << 16;

}  // namespace

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
  if (error_ != 0) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return Drain() ? traits_type::not_eof(c) : traits_type::eof();
  buffer_.push_back(traits_type::to_char_type(c));
  if (buffer_.size() >= cBufferBytes && !Drain()) return traits_type::eof();
  return c;
}

std::streamsize DescriptorOutput::xsputn(const char* data, std::streamsize count) {
  if (error_ != 0) return 0;
  buffer_.append(data, static_cast<size_t>(count));
  if (buffer_.size() >= cBufferBytes && !Drain()) return 0;
  return count;
}

bool DescriptorOutput::Drain() {
  size_t done = 0;
  while (error_ == 0 && done < buffer_.size()) {
    const ssize_t written = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (written < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    done += static_cast<size_t>(written);
  }
  buffer_.clear();
  return error_ == 0;
}
