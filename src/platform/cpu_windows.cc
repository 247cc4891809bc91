#include "platform/cpu.h"

#include <bit>
#include <thread>

#include <windows.h>

int UsableCpuCount() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) != 0 && process != 0) {
    return std::popcount(static_cast<unsigned long long>(process));
  }
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}
