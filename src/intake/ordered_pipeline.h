// Work on several threads whose results are committed in the order the work
// was taken, so that the outcome is the one of a single thread.
//
// Each thread owns a worker, made by `make_worker` on that thread, and runs
// it through these steps until Take() says there is nothing left:
//   Take()       under the take lock: claims the next item (say, the next
//                chunk of a file) and returns false when there is none.
//   Work()       with no lock, beside the other threads.
//   Commit(0), Commit(1), ... Commit(steps - 1)
//                each step under a lock of its own, when that step of every
//                item taken before this one is done.
// The commit steps make a pipeline: while one thread commits the second
// step of an item, another may commit the first step of the next.
//
// A worker may also hand something from each item to the next before the
// items are worked on (say, the format state a chunk of a file leaves to
// the chunk after it). Then its Work() is preceded by
//   Prepare()    with no lock, beside the other threads;
//   Settle()     one at a time, in take order, each after the Settle() of
//                the item taken before.
//
// The invariants the callers rely on:
// 1. Take() runs on one thread at a time, in take order: whatever it calls
//    (the line reader, the progress observer) needs no lock of its own.
//    So does Settle() (for the file's format state), and after Prepare().
// 2. Each commit step runs on one thread at a time, in take order, and
//    after the item's earlier steps. What all threads share (the
//    statistics, the output) is touched only by commit steps, each part by
//    one step alone, so each part sees what a single thread would have made.
//    (A caller may also number its items in Take(), under invariant 1.)
// 3. Everything a worker's item points into (the reader's chunk buffer
//    among it) stays valid until that worker's next Take(), and no longer.
// 4. An exception in any step stops every worker before its next step; Run
//    rethrows the first one once every thread has ended.
// 5. A thread that cannot be started, whatever the reason (a thread limit,
//    no memory for its stack or for its place in the list), leaves the work
//    to those that were; with the calling thread alone the outcome is the
//    same. Every thread started is joined before Run returns or throws.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class OrderedPipeline {
 public:
  /// Workers whose items are committed in `steps` steps.
  explicit OrderedPipeline(int steps = 1) : steps_(steps), turns_(new StepTurn[steps]) {}

  /// Runs the workers on `threads` threads, the calling one included.
  template <class MakeWorker>
  void Run(int threads, MakeWorker make_worker) {
    Run(threads, make_worker, [](auto body) { return std::thread(body); });
  }

  /// The same, with the threads started by `start_thread(body)`, which
  /// returns a std::thread or throws, as its constructor does.
  template <class MakeWorker, class StartThread>
  void Run(int threads, MakeWorker make_worker, StartThread start_thread) {
    Helpers helpers;
    try {
      helpers.threads.reserve(threads > 1 ? threads - 1 : 0);
      for (int i = 1; i < threads; ++i) {
        // The room is reserved: only the start itself can fail.
        helpers.threads.push_back(start_thread([&] { Drive(make_worker); }));
      }
    } catch (...) {
      // No more threads to be had: the ones started do their share.
    }
    Drive(make_worker);
    helpers.JoinAll();
    if (error_) std::rethrow_exception(error_);
  }

 private:
  // The threads started besides the calling one; all joined, come what may.
  struct Helpers {
    std::vector<std::thread> threads;
    void JoinAll() {
      for (std::thread& thread : threads) {
        if (thread.joinable()) thread.join();
      }
    }
    ~Helpers() { JoinAll(); }
  };

  // Whose turn it is at one commit step.
  struct StepTurn {
    std::mutex mutex;
    std::condition_variable done;
    std::uint64_t turn = 0;  // guarded by mutex
  };

  template <class MakeWorker>
  void Drive(MakeWorker& make_worker) {
    try {
      auto worker = make_worker();
      for (;;) {
        std::uint64_t turn;
        {
          std::lock_guard<std::mutex> lock(take_mutex_);
          if (failed_) return;
          bool took = false;
          try {
            took = worker->Take();
          } catch (...) {
            // Known before the lock is let go: the next Take() must not
            // have the failed item's turn.
            failed_ = true;
            throw;
          }
          if (!took) return;
          turn = next_turn_++;
        }
        if constexpr (requires { worker->Settle(); }) {
          worker->Prepare();
          std::unique_lock<std::mutex> lock(settle_.mutex);
          settle_.done.wait(lock, [&] { return failed_ || settle_.turn == turn; });
          if (failed_) return;
          worker->Settle();
          ++settle_.turn;
          settle_.done.notify_all();
        }
        worker->Work();
        for (int step = 0; step < steps_; ++step) {
          StepTurn& at = turns_[step];
          std::unique_lock<std::mutex> lock(at.mutex);
          at.done.wait(lock, [&] { return failed_ || at.turn == turn; });
          if (failed_) return;
          worker->Commit(step);
          ++at.turn;
          at.done.notify_all();
        }
      }
    } catch (...) {
      {
        std::lock_guard<std::mutex> lock(error_mutex_);
        if (!error_) error_ = std::current_exception();
      }
      failed_ = true;
      // Under each step's lock, so that no waiter misses the news.
      for (int step = 0; step < steps_; ++step) {
        std::lock_guard<std::mutex> lock(turns_[step].mutex);
        turns_[step].done.notify_all();
      }
      std::lock_guard<std::mutex> lock(settle_.mutex);
      settle_.done.notify_all();
    }
  }

  const int steps_;
  std::unique_ptr<StepTurn[]> turns_;
  StepTurn settle_;  // for workers that settle their items

  std::mutex take_mutex_;
  std::uint64_t next_turn_ = 0;  // guarded by take_mutex_

  std::atomic<bool> failed_{false};
  std::mutex error_mutex_;
  std::exception_ptr error_;  // guarded by error_mutex_; read once all have ended
};
