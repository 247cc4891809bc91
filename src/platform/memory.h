// Large tables straight from the system: pages that take memory only once
// they are written.
#pragma once

#include <cstddef>

/// `bytes` of zeroed memory whose pages cost nothing until first written;
/// nullptr when the system has no room for them.
void* ReserveZeroedPages(std::size_t bytes);

/// Gives back what ReserveZeroedPages handed out, with the same size.
void ReleasePages(void* pages, std::size_t bytes);
