#include "tests/export/SyscallFaults.h"

#include <cerrno>

extern "C" {
int __real_rename(const char* from, const char* to);
int __real_link(const char* from, const char* to);

int __wrap_rename(const char* from, const char* to) {
  if (SyscallFaults::OnRename) {
    if (const int error = SyscallFaults::OnRename(from, to); error != 0) {
      errno = error;
      return -1;
    }
  }
  return __real_rename(from, to);
}

int __wrap_link(const char* from, const char* to) {
  if (SyscallFaults::OnLink) {
    if (const int error = SyscallFaults::OnLink(from, to); error != 0) {
      errno = error;
      return -1;
    }
  }
  return __real_link(from, to);
}
}
