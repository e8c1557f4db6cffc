#include "cli/PictureModule.h"

#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "numerics/Errors.h"
#include "render/PictureModule.h"

namespace {

FirxoverRenderPictures loadedEntry = nullptr;

std::filesystem::path ModulePath() {
  if (const char* named = std::getenv("FIRXOVER_RENDER_MODULE"); named != nullptr && *named != '\0') return named;
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return program.parent_path() / FIRXOVER_RENDER_MODULE_RELATIVE;
}

std::string LoaderMessage() {
  const char* text = dlerror();
  return text != nullptr ? text : "no reason given";
}

int TakePicture(void* context, int labelled, const char* png, size_t size) {
  auto& pictures = *static_cast<EncodedPictures*>(context);
  try {
    (labelled != 0 ? pictures.Labelled : pictures.Image1).assign(png, size);
    return 0;
  } catch (const std::bad_alloc&) {
    return 1;
  }
}

}  // namespace

void LoadPictureModule() {
  if (loadedEntry != nullptr) return;
  const std::filesystem::path path = ModulePath();
  // The module stays loaded for the process's life: Qt does not expect to be unloaded.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) throw UserError("Cannot draw the graph: the picture module cannot be loaded: " + LoaderMessage());
  void* entry = dlsym(module, FIRXOVER_PICTURE_ENTRY);
  if (entry == nullptr) {
    throw UserError("Cannot draw the graph: '" + path.string() + "' is not a firxover picture module: " + LoaderMessage());
  }
  loadedEntry = reinterpret_cast<FirxoverRenderPictures>(entry);
}

EncodedPictures DrawPictures(const GraphCurves& curves, const GraphView& view, bool image1, bool labelled) {
  LoadPictureModule();
  FirxoverPictureRequest request{};
  request.abi = FIRXOVER_PICTURE_ABI;
  const ResponseCurve* const all[] = {&curves.LowMag, &curves.MidMag, &curves.HighMag, &curves.SumMag,
                                      &curves.LowDb,  &curves.MidDb,  &curves.HighDb,  &curves.SumDb};
  for (size_t k = 0; k < std::size(all); ++k) request.curves[k] = all[k]->data();
  request.curveLength = static_cast<int>(ResponseCurve().size());
  request.frequencyAxisLog = view.FrequencyAxisLog;
  request.amplitudeAxisLog = view.AmplitudeAxisLog;
  request.lowMarkerText = view.LowMarkerText.c_str();
  request.highMarkerText = view.HighMarkerText.c_str();
  request.wantImage1 = image1;
  request.wantLabelled = labelled;
  EncodedPictures pictures;
  std::array<char, 1024> message{};
  switch (loadedEntry(&request, TakePicture, &pictures, message.data(), message.size())) {
    case 0: return pictures;
    case 2: throw std::bad_alloc();
    default: throw UserError(message.data());
  }
}
