#include "numerics/FftwPlans.h"

#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace {

#ifdef FIRXOVER_FFTW_WISDOM
constexpr const char* BuiltInWisdom =
#include "FftwWisdom.inc"
    ;
#else
constexpr const char* BuiltInWisdom = "";  // the tool that records it
#endif

enum class PlanKind { RealForward, RealInverse };

class PlanCache {
 public:
  ~PlanCache() {
    for (auto& entry : plans_) fftw_destroy_plan(entry.second);
  }

  fftw_plan Get(PlanKind kind, int n) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto key = std::make_pair(kind, n);
    if (const auto found = plans_.find(key); found != plans_.end()) return found->second;
    if (!wisdomImported_) {
      wisdomImported_ = true;
      // Only hints: a text FFTW cannot read leaves it planning as without.
      if (*BuiltInFftwWisdom() != '\0') fftw_import_wisdom_from_string(BuiltInFftwWisdom());
    }
    // The plan is made on scratch buffers of the same alignment as the ones it will run on.
    FftwRealBuffer real = AllocateFftwReal(static_cast<size_t>(n));
    FftwComplexBuffer spectrum = AllocateFftwComplex(static_cast<size_t>(n) / 2 + 1);
    const fftw_plan plan = kind == PlanKind::RealForward
                               ? fftw_plan_dft_r2c_1d(n, real.get(), spectrum.get(), FFTW_ESTIMATE)
                               : fftw_plan_dft_c2r_1d(n, spectrum.get(), real.get(), FFTW_ESTIMATE);
    if (plan == nullptr) throw std::bad_alloc();
    plans_.emplace(key, plan);
    return plan;
  }

 private:
  std::mutex mutex_;
  bool wisdomImported_ = false;
  std::map<std::pair<PlanKind, int>, fftw_plan> plans_;
};

PlanCache& Plans() {
  static PlanCache cache;
  return cache;
}

}  // namespace

const char* BuiltInFftwWisdom() { return BuiltInWisdom; }

FftwRealBuffer AllocateFftwReal(size_t count) {
  void* memory = fftw_malloc(sizeof(double) * count);
  if (memory == nullptr) throw std::bad_alloc();
  return FftwRealBuffer(static_cast<double*>(memory));
}

FftwComplexBuffer AllocateFftwComplex(size_t count) {
  void* memory = fftw_malloc(sizeof(fftw_complex) * count);
  if (memory == nullptr) throw std::bad_alloc();
  return FftwComplexBuffer(static_cast<fftw_complex*>(memory));
}

fftw_plan RealForwardPlan(int n) { return Plans().Get(PlanKind::RealForward, n); }

fftw_plan RealInversePlan(int n) { return Plans().Get(PlanKind::RealInverse, n); }
