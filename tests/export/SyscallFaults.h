#pragma once

#include <functional>

// Faults injected into rename(2) and link(2) as the export library calls them: the test executable
// is linked with -Wl,--wrap=rename,--wrap=link, so the library's calls come here first. A hook
// returns 0 to let the call through, or an errno value to fail it with.
namespace SyscallFaults {
inline std::function<int(const char* from, const char* to)> OnRename;
inline std::function<int(const char* from, const char* to)> OnLink;
inline void Clear() {
  OnRename = nullptr;
  OnLink = nullptr;
}
}  // namespace SyscallFaults
