// Work on several threads whose results are committed in the order the work
// was taken, so that the outcome is the one of a single thread.
//
// Each thread owns a worker, made by `make_worker` on that thread, and runs
// it through three steps until Take() says there is nothing left:
//   Take()    under the take lock: claims the next item (say, the next chunk
//             of a file) and returns false when there is none.
//   Work()    with no lock, beside the other threads.
//   Commit()  under the commit lock, when every item taken before this one
//             has been committed.
//
// The invariants the callers rely on:
// 1. Take() runs on one thread at a time, in take order: whatever it calls
//    (the line reader, the progress observer, the file's format state) needs
//    no lock of its own.
// 2. Commit() runs on one thread at a time, in take order. It alone may
//    touch what all threads share (the statistics) and write output (the
//    diagnostics), so both see what a single thread would have made.
// 3. Everything a worker's item points into (the reader's chunk buffer
//    among it) stays valid until that worker's next Take(), and no longer.
// 4. An exception in any step stops every worker before its next step; Run
//    rethrows the first one once every thread has ended.
// 5. A thread that cannot be started (a tight memory limit) leaves the work
//    to those that were; with the calling thread alone the outcome is the
//    same.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

class OrderedPipeline {
 public:
  /// Runs the workers on `threads` threads, the calling one included.
  template <class MakeWorker>
  void Run(int threads, MakeWorker make_worker) {
    Run(threads, make_worker, [](auto body) { return std::thread(body); });
  }

  /// The same, with the threads started by `start_thread(body)`, which
  /// returns a std::thread or throws std::system_error as its constructor
  /// does.
  template <class MakeWorker, class StartThread>
  void Run(int threads, MakeWorker make_worker, StartThread start_thread) {
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i) {
      try {
        helpers.push_back(start_thread([&] { Drive(make_worker); }));
      } catch (const std::system_error&) {
        break;  // no thread to be had: the others do its share
      }
    }
    Drive(make_worker);
    for (std::thread& helper : helpers) helper.join();
    if (error_) std::rethrow_exception(error_);
  }

 private:
  template <class MakeWorker>
  void Drive(MakeWorker& make_worker) {
    try {
      auto worker = make_worker();
      for (;;) {
        std::uint64_t turn;
        {
          std::lock_guard<std::mutex> lock(take_mutex_);
          if (Failed() || !worker->Take()) return;
          turn = next_turn_++;
        }
        worker->Work();
        std::unique_lock<std::mutex> lock(commit_mutex_);
        committed_.wait(lock, [&] { return failed_ || commit_turn_ == turn; });
        if (failed_) return;
        worker->Commit();
        ++commit_turn_;
        committed_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(commit_mutex_);
      if (!error_) error_ = std::current_exception();
      failed_ = true;
      committed_.notify_all();
    }
  }

  bool Failed() {
    std::lock_guard<std::mutex> lock(commit_mutex_);
    return failed_;
  }

  std::mutex take_mutex_;
  std::uint64_t next_turn_ = 0;  // guarded by take_mutex_

  std::mutex commit_mutex_;
  std::condition_variable committed_;
  std::uint64_t commit_turn_ = 0;  // guarded by commit_mutex_
  bool failed_ = false;            // guarded by commit_mutex_
  std::exception_ptr error_;       // guarded by commit_mutex_
};
