#include "platform/random.h"

#include <chrono>

#include <windows.h>
#include <bcrypt.h>

std::uint64_t RandomSeed() {
  std::uint64_t seed = 0;
  if (BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&seed), sizeof(seed),
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    seed = static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
  }
  return seed;
}
