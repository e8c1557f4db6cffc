#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "numerics/Errors.h"
#include "numerics/ParallelWork.h"

namespace {

// Enough work units that the tasks go to the worker threads, and long enough tasks to be reported on.
constexpr double cUnitsPerTask = 1e6;

void Sleep() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

TEST(ParallelWorkTest, RunsEveryTaskOnceAndReportsOnTheCallingThread) {
  std::vector<std::atomic<int>> runs(120);
  std::vector<double> reports;
  std::vector<std::thread::id> reporters;
  {
    const ProgressScope scope(
        [&](double share) {
          reports.push_back(share);
          reporters.push_back(std::this_thread::get_id());
        },
        2 * 120 * cUnitsPerTask);
    for (int call = 0; call < 2; ++call) {
      RunParallel(120, cUnitsPerTask, [&](int64_t task) {
        ++runs[task];
        Sleep();
      });
    }
  }
  for (const auto& count : runs) EXPECT_EQ(count, 2);
  ASSERT_FALSE(reports.empty());
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  EXPECT_GE(reports.front(), 0.0);
  EXPECT_LE(reports.back(), 1.0);
  for (const auto& id : reporters) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(ParallelWorkTest, ACancellingReportStopsAndJoinsTheWorkers) {
  std::atomic<int> started{0}, running{0};
  const ProgressScope scope([](double) { throw CommandCancelled(); }, 1000 * cUnitsPerTask);
  EXPECT_THROW(RunParallel(1000, cUnitsPerTask,
                           [&](int64_t) {
                             ++started;
                             ++running;
                             Sleep();
                             --running;
                           }),
               CommandCancelled);
  EXPECT_EQ(running, 0);  // every worker has ended its task and been joined
  const int startedAtReturn = started;
  EXPECT_LT(startedAtReturn, 1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(started, startedAtReturn);
}

// The first failing task in order decides the error, as if the tasks had run one after another.
TEST(ParallelWorkTest, TheLowestFailingTaskRaises) {
  for (const int threads : {1, 2, 4}) {
    SetWorkerThreadCount(threads);
    try {
      RunParallel(64, cUnitsPerTask, [](int64_t task) {
        if (task == 40) throw UserError("forty");
        if (task == 9) {
          Sleep();
          throw UserError("nine");
        }
      });
      ADD_FAILURE() << "no error";
    } catch (const UserError& error) {
      EXPECT_STREQ(error.what(), "nine") << threads;
    }
  }
  SetWorkerThreadCount(0);
}

// The work runs while the caller goes on: it waits for something the caller does after starting it.
// Finish hands over its error once; leaving the scope waits for work still running.
TEST(ParallelWorkTest, BesideRunsAlongsideAndRethrowsOnFinish) {
  std::atomic<bool> callerWent{false};
  std::atomic<bool> sawCaller{false};
  {
    Beside beside([&] {
      for (int i = 0; i < 5000 && !callerWent; ++i) Sleep();
      sawCaller = callerWent.load();
      throw UserError("beside");
    });
    callerWent = true;
    try {
      beside.Finish();
      ADD_FAILURE() << "no error";
    } catch (const UserError& error) {
      EXPECT_STREQ(error.what(), "beside");
    }
    EXPECT_NO_THROW(beside.Finish());
  }
  EXPECT_TRUE(sawCaller);

  std::atomic<bool> done{false};
  {
    const Beside beside([&] {
      Sleep();
      done = true;
    });
  }
  EXPECT_TRUE(done);
}

}  // namespace
