#include "export/Sndfile.h"

#include <dlfcn.h>

#include <optional>
#include <string>

namespace {

// Filled once; a failure is kept too, so every later WAV file reports the same reason.
struct Loaded {
  SndfileApi api{};
  std::optional<std::string> failure;
};

template <typename Function>
void Find(void* library, const char* name, Function& function, std::optional<std::string>& failure) {
  if (failure) return;
  void* const symbol = ::dlsym(library, name);
  if (symbol == nullptr) {
    const char* reason = ::dlerror();
    failure = reason != nullptr ? reason : std::string(name) + " is missing";
    return;
  }
  function = reinterpret_cast<Function>(symbol);
}

Loaded Load() {
  Loaded loaded;
  // Kept loaded until the process ends.
  void* const library = ::dlopen(SndfileLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = ::dlerror();
    loaded.failure = reason != nullptr ? reason : "not found";
    return loaded;
  }
  SndfileApi& api = loaded.api;
  Find(library, "sf_open_fd", api.OpenFd, loaded.failure);
  Find(library, "sf_write_float", api.WriteFloat, loaded.failure);
  Find(library, "sf_write_double", api.WriteDouble, loaded.failure);
  Find(library, "sf_close", api.Close, loaded.failure);
  Find(library, "sf_strerror", api.StrError, loaded.failure);
  Find(library, "sf_error_number", api.ErrorNumber, loaded.failure);
  return loaded;
}

}  // namespace

const SndfileApi* Sndfile(std::string& reason) {
  static const Loaded loaded = Load();
  if (!loaded.failure) return &loaded.api;
  reason = "cannot load " + std::string(SndfileLibrary) + ": " + *loaded.failure;
  return nullptr;
}
