// Host-name lookups answered side by side: a few threads take the addresses
// in list order and ask the resolver at once, while the caller takes the
// answers in list order, waiting where one is not in yet. Owns its threads;
// the addresses and the answers belong to the caller's job list.
//
// What keeps it correct:
// - a worker touches only the resolver and, under the mutex, the job list;
//   the caller reads a job's answer only after seeing it done under the
//   mutex, so every answer is complete before it is read;
// - the destructor stops the handing out and joins every worker, so no
//   worker outlives the job list, even when the caller leaves by an
//   exception;
// - with no thread to be had the caller answers each job itself when its
//   turn comes: the same answers, one after another.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class Resolver;

/// One address to look up and, once done, its host name or nothing.
struct LookupJob {
  const char* address = nullptr;
  std::optional<std::string> name;
  bool done = false;
};

class LookupPool {
 public:
  /// Starts up to `max_threads` threads over `jobs` (none for fewer than
  /// two jobs or a limit below two). Resolver lookups must be safe to call
  /// from several threads at once.
  LookupPool(Resolver* resolver, std::vector<LookupJob>* jobs, int max_threads);
  ~LookupPool();
  LookupPool(const LookupPool&) = delete;
  LookupPool& operator=(const LookupPool&) = delete;

  /// Returns once job `i` is done. While it waits, calls `waiting` with the
  /// number of jobs done so far, as answers come in and a few times a
  /// second, on the calling thread.
  void Await(std::size_t i, const std::function<void(std::size_t)>& waiting);

  /// Threads started; 0 when the caller answers every job itself.
  std::size_t threads() const { return workers_.size(); }

 private:
  void Work();

  Resolver* resolver_;
  std::vector<LookupJob>& jobs_;
  std::vector<std::thread> workers_;

  std::mutex mutex_;
  std::condition_variable answered_;
  std::size_t next_ = 0;  // the next job to hand out
  std::size_t done_ = 0;  // jobs done
  bool stop_ = false;
};

/// The host name of a user's address text: four dotted numbers by their
/// low bytes, a valid IPv6 text as that address, anything else not at all.
std::optional<std::string> LookUpAddress(Resolver* resolver, const char* address);
