#include "platform/file_replace.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"

namespace {

// The file a replacement replaces: links followed one by one, each relative
// to its own folder, so that the link stays and its target is replaced.
TEST(FileReplaceTest, FollowLinks) {
  ScratchDir dir;
  const std::string base = dir.path() + "/";
  ASSERT_EQ(0, ::mkdir((base + "sub").c_str(), 0700));
  dir.Write("sub/real.txt", "x");
  ASSERT_EQ(0, ::symlink("real.txt", (base + "sub/near").c_str()));
  ASSERT_EQ(0, ::symlink("sub/near", (base + "far").c_str()));
  ASSERT_EQ(0, ::symlink("missing.txt", (base + "dangling").c_str()));
  ASSERT_EQ(0, ::symlink("loop", (base + "loop").c_str()));
  const struct {
    std::string name;
    std::string target;
  } cases[] = {
      {base + "sub/real.txt", base + "sub/real.txt"},
      {base + "sub/near", base + "sub/real.txt"},
      {base + "far", base + "sub/real.txt"},
      {base + "dangling", base + "missing.txt"},  // created there
      {base + "loop", base + "loop"},             // opening it fails
      {base + "none", base + "none"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.target, FollowLinks(c.name.c_str())) << c.name;
}

}  // namespace
