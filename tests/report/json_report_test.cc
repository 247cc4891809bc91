// The JSON report when memory runs out part way through writing it.
#include "report/json_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "report/report_model.h"

namespace {

// Allocations left before the next one fails; -1 lets every one through.
// Only the thread that armed it sees the countdown.
thread_local long allocations_left = -1;

}  // namespace

// The unit binary's allocator: malloc, unless a test armed a failure.
void* operator new(std::size_t size) {
  if (allocations_left == 0) throw std::bad_alloc();
  if (allocations_left > 0) --allocations_left;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
// Every other unaligned form too, so that what one form allocates any
// other may free (the sanitizers check that they match).
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// Running out at any allocation while the report is written ends in
// std::bad_alloc, which the program turns into its message and status;
// nothing left behind may need memory to be cleaned up (a JSON tree's
// destructor does, and ended the program with an abort).
TEST(JsonReportTest, OutOfMemoryAnywhereIsBadAlloc) {
  ReportModel model;
  model.customer = "Acme \xE6";
  model.pages = {{"/a.htm", 3}, {"/caf\xE9.htm", 2}, {"/b\x01.htm", 1}};
  model.users = {{"10.0.0.1", "one.example", 3}, {"10.0.0.2", std::nullopt, 2}};
  StatusHits other;
  other.kind = StatusHits::Kind::kOther;
  other.hits = 4;
  other.named = {{"2xx", 3}, {"<b>", 1}};
  model.statuses = {{StatusHits::Kind::kCode, "200", 5, {}}, other};
  model.traffic.days = {{2001, 3, 20, 9}};
  model.summary.problem_files.push_back({"gone.log", FileProblem::kMissing});
  model.summary.empty_patterns.emplace_back("x*.log");

  std::FILE* out = std::fopen("/dev/null", "w");
  ASSERT_NE(nullptr, out);
  int failures = 0;
  for (long allowed = 0;; ++allowed) {
    allocations_left = allowed;
    bool finished = false;
    try {
      WriteJsonReport(model, out);
      finished = true;
    } catch (const std::bad_alloc&) {
      ++failures;
    }
    allocations_left = -1;
    if (finished) break;
  }
  std::fclose(out);
  EXPECT_GT(failures, 20);  // every value's allocations were tried
}

}  // namespace
