#include "report/lookup_pool.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>

#include "bytes/ip_address.h"
#include "platform/resolver.h"

namespace {

// How often a waiting caller hears how far the lookups are.
constexpr std::chrono::milliseconds kWaitingTick{100};

// A lookup that fails in any way, running out of memory included, leaves
// its user unresolved.
std::optional<std::string> Answer(Resolver* resolver, const char* address) {
  try {
    return LookUpAddress(resolver, address);
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> LookUpAddress(Resolver* resolver, const char* address) {
  IpAddress numbers;
  if (ScanIpAddress(address, &numbers) == 4) {
    std::array<std::uint8_t, 4> bytes;
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(numbers[i] & 0xFF);
    return resolver->NameOfIPv4(bytes);
  }
  Ipv6Bytes bytes6;
  if (ParseIpv6Address(address, &bytes6)) {
    return resolver->NameOfIPv6(bytes6);
  }
  return std::nullopt;
}

LookupPool::LookupPool(Resolver* resolver, std::vector<LookupJob>* jobs, int max_threads)
    : resolver_(resolver), jobs_(*jobs) {
  const std::size_t wanted =
      max_threads < 2 ? 0 : std::min(jobs_.size(), static_cast<std::size_t>(max_threads));
  if (wanted < 2) return;
  try {
    workers_.reserve(wanted);
    // The room is reserved: only the start of a thread can fail.
    for (std::size_t i = 0; i < wanted; ++i) workers_.emplace_back([this] { Work(); });
  } catch (...) {
    // No more threads to be had (a tight limit, no memory): the ones
    // started do the work, or the caller alone if there are none.
  }
}

LookupPool::~LookupPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  for (std::thread& worker : workers_) worker.join();
}

void LookupPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_ && next_ < jobs_.size()) {
    const std::size_t i = next_++;
    const char* address = jobs_[i].address;
    lock.unlock();
    std::optional<std::string> name = Answer(resolver_, address);
    lock.lock();
    jobs_[i].name = std::move(name);
    jobs_[i].done = true;
    ++done_;
    answered_.notify_all();
  }
}

void LookupPool::Await(std::size_t i, const std::function<void(std::size_t)>& waiting) {
  if (workers_.empty()) {
    LookupJob& job = jobs_[i];
    if (!job.done) {
      job.name = Answer(resolver_, job.address);
      job.done = true;
      ++done_;
    }
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  while (!jobs_[i].done) {
    answered_.wait_for(lock, kWaitingTick);
    const std::size_t done = done_;
    lock.unlock();
    waiting(done);
    lock.lock();
  }
}
