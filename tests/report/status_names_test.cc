#include "report/status_names.h"

#include <gtest/gtest.h>

namespace {

// The sub-status meaning before the reason, the Windows meaning after it,
// and nothing made up for codes the table does not know.
TEST(StatusNamesTest, Names) {
  const struct {
    std::int64_t status, substatus, win32;
    const char* name;
  } cases[] = {
      {200, 0, 0, "OK"},
      {404, 0, 2, "Not Found; The system cannot find the file specified"},
      {401, 2, 5, "Logon failed due to server configuration; Access is denied"},
      {404, 99, -1, "Not Found"},
      {200, -1, 64, "OK; The specified network name is no longer available"},
      {799, -1, -1, ""},
      {-1, -1, 1236, "The network connection was aborted by the local system"},
      {-1, -1, 4242, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.name, HttpStatusName(c.status, c.substatus, c.win32)) << c.status << "." << c.substatus;
  }
}

}  // namespace
