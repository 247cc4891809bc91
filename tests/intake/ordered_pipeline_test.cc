#include "intake/ordered_pipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Items 0, 1, 2, ... taken in order, worked on for a while that varies, and
// committed step by step: each step into its own list, the last step into
// `committed`. Throws in the step and at the item named.
struct Log {
  int items = 0;
  int next = 0;
  int steps = 1;
  std::vector<int> by_step[3];
  std::vector<int> committed;
  std::vector<int> settled;
  bool settling = false;  // the workers settle their items
  int throw_at = -1;
  char throw_in = ' ';  // 't'ake, 's'ettle, 'w'ork or 'c'ommit (the last step)
};

class CountingWorker {
 public:
  explicit CountingWorker(Log* log) : log_(log) {}
  int item() const { return item_; }
  bool Take() {
    if (log_->next == log_->items) return false;
    item_ = log_->next++;
    Fail('t');
    return true;
  }
  void Work() {
    Fail('w');
    std::this_thread::sleep_for(std::chrono::microseconds((item_ * 7919) % 300));
  }
  void Commit(int step) {
    log_->by_step[step].push_back(item_);
    if (step + 1 < log_->steps) return;
    Fail('c');
    log_->committed.push_back(item_);
  }

 private:
  void Fail(char step) {
    if (item_ == log_->throw_at && step == log_->throw_in) throw std::runtime_error("item");
  }
  Log* log_;
  int item_ = -1;
};

// The same, handing each item on in Settle(), between a Prepare() and a
// Work() that take a while that varies.
class SettlingWorker : public CountingWorker {
 public:
  explicit SettlingWorker(Log* log) : CountingWorker(log), log_(log) {}
  void Prepare() { std::this_thread::sleep_for(std::chrono::microseconds(item() * 31 % 200)); }
  void Settle() {
    if (item() == log_->throw_at && log_->throw_in == 's') throw std::runtime_error("item");
    log_->settled.push_back(item());
  }

 private:
  Log* log_;
};

void RunLog(Log* log, int threads) {
  if (log->settling) {
    OrderedPipeline(log->steps).Run(threads,
                                    [&] { return std::make_unique<SettlingWorker>(log); });
  } else {
    OrderedPipeline(log->steps).Run(threads,
                                    [&] { return std::make_unique<CountingWorker>(log); });
  }
}

TEST(OrderedPipelineTest, CommitsInTakeOrderOnAnyThreadCount) {
  for (int steps : {1, 3}) {
    for (int threads : {1, 2, 3, 8}) {
      Log log;
      log.items = 200;
      log.steps = steps;
      log.settling = steps == 3;
      RunLog(&log, threads);
      for (int step = 0; step < steps; ++step) {
        ASSERT_EQ(200u, log.by_step[step].size()) << steps << threads;
        for (int i = 0; i < 200; ++i) EXPECT_EQ(i, log.by_step[step][i]) << steps << threads;
      }
      if (!log.settling) continue;
      ASSERT_EQ(200u, log.settled.size()) << threads;
      for (int i = 0; i < 200; ++i) EXPECT_EQ(i, log.settled[i]) << threads;
    }
  }
}

// An exception in any step reaches the caller, after every thread ended,
// and nothing from the failed item on is committed.
TEST(OrderedPipelineTest, FailureStopsEveryWorkerAndIsRethrown) {
  for (char step : {'t', 's', 'w', 'c'}) {
    for (int threads : {1, 2, 4}) {
      Log log;
      log.items = 100;
      log.steps = threads == 4 ? 3 : 1;
      log.settling = step == 's' || threads == 2;
      log.throw_at = 40;
      log.throw_in = step;
      EXPECT_THROW(RunLog(&log, threads), std::runtime_error) << step << threads;
      ASSERT_LE(log.committed.size(), 40u) << step << threads;
      for (std::size_t i = 0; i < log.committed.size(); ++i) {
        EXPECT_EQ(static_cast<int>(i), log.committed[i]);
      }
    }
  }
}

// Whatever stops a thread from starting, the ones started and the calling
// one do all the work, in order, and every thread is joined.
TEST(OrderedPipelineTest, NoThreadToBeHad) {
  struct Case {
    const char* what;
    int started;  // before the refusal
    std::function<void()> refuse;
  };
  const Case cases[] = {
      {"thread limit", 0,
       [] {
         throw std::system_error(
             std::make_error_code(std::errc::resource_unavailable_try_again));
       }},
      {"no memory", 0, [] { throw std::bad_alloc(); }},
      {"no memory for the third", 2, [] { throw std::bad_alloc(); }},
      {"anything else", 1, [] { throw 42; }},
  };
  for (const Case& c : cases) {
    Log log;
    log.items = 50;
    int tries = 0;
    OrderedPipeline().Run(
        6, [&] { return std::make_unique<CountingWorker>(&log); },
        [&](auto body) -> std::thread {
          if (++tries > c.started) c.refuse();
          return std::thread(body);
        });
    EXPECT_EQ(c.started + 1, tries) << c.what;  // the first refusal ends the tries
    ASSERT_EQ(50u, log.committed.size()) << c.what;
    for (int i = 0; i < 50; ++i) EXPECT_EQ(i, log.committed[i]) << c.what;
  }
}

}  // namespace
