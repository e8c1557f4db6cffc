#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

// The long stages of a command run on worker threads while the calling thread only waits and
// reports progress, so that a window stays able to show a progress dialog and to take a Cancel.
// Which thread computes which task never changes a result: every task writes its own outputs.

// Collects the progress of the RunParallel calls made on this thread while it lives and hands it to
// report as the share done, 0 .. 1, of totalWork units (the sum of the calls' taskCount ×
// workPerTask). report runs on this thread only, every few tens of milliseconds; it may throw (a
// cancel), which stops the running call. Scopes nest; the innermost one receives the progress.
class ProgressScope {
 public:
  ProgressScope(std::function<void(double)> report, double totalWork);
  ~ProgressScope();
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

  // Hands report the share of the work done by the finished calls plus workDone units of a running one.
  void Report(double workDone) const;
  // A call of work units has finished.
  void Advance(double work) { finishedWork_ += work; }

  // The innermost scope of this thread, or nullptr.
  static ProgressScope* Current();

 private:
  std::function<void(double)> report_;
  double totalWork_;
  double finishedWork_ = 0.0;
  ProgressScope* outer_;
};

// Runs task(0) .. task(taskCount - 1), each worth workPerTask progress units, on the worker threads
// and returns when all have run. Tasks are taken in ascending order; when tasks throw, the lowest
// failing task's exception is rethrown once the others in flight have ended and no new task starts.
// When the progress report throws, the workers stop after their current task, are joined, and the
// report's exception propagates. Small work (below a few million units, counted as multiply-adds)
// and a single task run on the calling thread.
void RunParallel(int64_t taskCount, double workPerTask, const std::function<void(int64_t)>& task);

// The number of worker threads RunParallel uses; 0 (the default) means one per core.
void SetWorkerThreadCount(int count);
int WorkerThreadCount();

// Runs one piece of work on a thread of its own beside the caller's, from construction until Finish:
// two stages that do not depend on each other then take two cores. Where no thread can be started,
// the work runs at once on the calling thread. Finish waits for it and rethrows what it threw; the
// destructor only waits, so that every way out of the caller's scope joins the thread.
class Beside {
 public:
  explicit Beside(std::function<void()> work);
  ~Beside();
  Beside(const Beside&) = delete;
  Beside& operator=(const Beside&) = delete;

  void Finish();

 private:
  void Run() noexcept;

  std::function<void()> work_;
  std::exception_ptr failure_;
  std::thread thread_;
};
