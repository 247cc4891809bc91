#include "platform/memory.h"

#include <windows.h>

void* ReserveZeroedPages(std::size_t bytes) {
  // Committed pages are zero-filled on first touch and take no memory
  // before.
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void ReleasePages(void* pages, std::size_t) { VirtualFree(pages, 0, MEM_RELEASE); }
