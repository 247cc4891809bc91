#include "platform/random.h"

#include <chrono>

#include <sys/random.h>

std::uint64_t RandomSeed() {
  std::uint64_t seed = 0;
  if (::getrandom(&seed, sizeof(seed), 0) != static_cast<ssize_t>(sizeof(seed))) {
    seed = static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
  }
  return seed;
}
