#include "platform/memory.h"

#include <sys/mman.h>

void* ReserveZeroedPages(std::size_t bytes) {
  // The system hands out zeroed pages on first touch; MAP_NORESERVE keeps
  // a large table that is mostly unused from counting against the limit.
  void* pages = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return pages == MAP_FAILED ? nullptr : pages;
}

void ReleasePages(void* pages, std::size_t bytes) { ::munmap(pages, bytes); }
