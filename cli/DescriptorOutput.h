#pragma once

#include <streambuf>
#include <string>

// A stream buffer over a file descriptor that remembers why a write failed, so that the command can
// say it ("No space left on device") instead of passing a cut output for success. Writes are
// buffered and sent whole with write(2), retried on EINTR; after the first failure nothing more is
// written.
class DescriptorOutput : public std::streambuf {
 public:
  explicit DescriptorOutput(int fd) : fd_(fd) {}
  ~DescriptorOutput() override { Drain(); }

  // errno of the first failed write, 0 while every write succeeded.
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain();

  int fd_;
  int error_ = 0;
  std::string buffer_;
};
