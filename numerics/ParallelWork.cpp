#include "numerics/ParallelWork.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {

thread_local ProgressScope* currentScope = nullptr;
std::atomic<int> configuredWorkers{0};

// Work below this many units (multiply-adds: about half a millisecond on one core) is not worth
// waking threads for, least of all on a busy machine.
constexpr double cInlineWork = 3e6;
// How long the calling thread waits between two progress reports.
constexpr std::chrono::milliseconds cReportInterval{25};

// The shared state of one RunParallel call.
struct Crew {
  Crew(int64_t count, const std::function<void(int64_t)>& work) : taskCount(count), task(work) {}

  int64_t taskCount;
  const std::function<void(int64_t)>& task;

  std::atomic<int64_t> nextTask{0};
  std::atomic<int64_t> tasksDone{0};
  std::atomic<bool> stop{false};

  std::mutex mutex;
  std::condition_variable finished;
  int runningWorkers = 0;
  int64_t failedTask = -1;
  std::exception_ptr failure;

  void Work() {
    while (!stop.load(std::memory_order_relaxed)) {
      const int64_t index = nextTask.fetch_add(1, std::memory_order_relaxed);
      if (index >= taskCount) break;
      try {
        task(index);
      } catch (...) {
        const std::lock_guard lock(mutex);
        if (failedTask < 0 || index < failedTask) {
          failedTask = index;
          failure = std::current_exception();
        }
        stop = true;
      }
      tasksDone.fetch_add(1, std::memory_order_relaxed);
    }
    const std::lock_guard lock(mutex);
    --runningWorkers;
    finished.notify_all();
  }
};

// Joins every worker on every way out, a cancel included: they stop after their current task.
class Workers {
 public:
  explicit Workers(Crew& crew) : crew_(crew) {}
  ~Workers() {
    crew_.stop = true;
    for (std::thread& thread : threads_) thread.join();
  }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  bool Start(int count) {
    for (int i = 0; i < count; ++i) {
      try {
        {
          const std::lock_guard lock(crew_.mutex);
          ++crew_.runningWorkers;
        }
        threads_.emplace_back([this] { crew_.Work(); });
      } catch (const std::system_error&) {
        const std::lock_guard lock(crew_.mutex);
        --crew_.runningWorkers;
        break;
      }
    }
    return !threads_.empty();
  }

 private:
  Crew& crew_;
  std::vector<std::thread> threads_;
};

}  // namespace

ProgressScope::ProgressScope(std::function<void(double)> report, double totalWork)
    : report_(std::move(report)), totalWork_(totalWork), outer_(currentScope) {
  currentScope = this;
}

ProgressScope::~ProgressScope() { currentScope = outer_; }

void ProgressScope::Report(double workDone) const {
  if (!report_ || !(totalWork_ > 0)) return;
  report_(std::clamp((finishedWork_ + workDone) / totalWork_, 0.0, 1.0));
}

ProgressScope* ProgressScope::Current() { return currentScope; }

void SetWorkerThreadCount(int count) { configuredWorkers = std::max(count, 0); }

int WorkerThreadCount() {
  const int configured = configuredWorkers.load();
  if (configured > 0) return configured;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void RunParallel(int64_t taskCount, double workPerTask, const std::function<void(int64_t)>& task) {
  if (taskCount <= 0) return;
  ProgressScope* const scope = ProgressScope::Current();
  const double work = static_cast<double>(taskCount) * workPerTask;
  const int workerCount = static_cast<int>(std::min<int64_t>(WorkerThreadCount(), taskCount));

  Crew crew{taskCount, task};
  bool threaded = false;
  {
    Workers workers(crew);
    // One task is one thread's work anyway; it runs here, and its stage reports when it ends.
    if (taskCount > 1 && work >= cInlineWork && (workerCount > 1 || scope != nullptr)) {
      threaded = workers.Start(workerCount);
    }
    if (!threaded) {
      crew.runningWorkers = 1;
      crew.Work();
    } else {
      std::unique_lock lock(crew.mutex);
      while (!crew.finished.wait_for(lock, cReportInterval, [&crew] { return crew.runningWorkers == 0; })) {
        if (scope == nullptr) continue;
        lock.unlock();
        // A throwing report leaves through the workers' destructor, which stops and joins them.
        scope->Report(static_cast<double>(crew.tasksDone.load(std::memory_order_relaxed)) * workPerTask);
        lock.lock();
      }
    }
  }
  if (crew.failure) std::rethrow_exception(crew.failure);
  if (scope != nullptr) scope->Advance(work);
}

Beside::Beside(std::function<void()> work) : work_(std::move(work)) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    Run();
  }
}

Beside::~Beside() {
  if (thread_.joinable()) thread_.join();
}

void Beside::Run() noexcept {
  try {
    work_();
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void Beside::Finish() {
  if (thread_.joinable()) thread_.join();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}
