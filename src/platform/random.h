// The system's random source.
#pragma once

#include <cstdint>

/// A fresh seed for the keyed hashes: random bytes from the system, or,
/// should it have none to give, the clock, which still differs from run to
/// run.
std::uint64_t RandomSeed();
