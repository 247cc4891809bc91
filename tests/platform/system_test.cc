// The platform calls that have no fake: files, pages, the random source and
// the CPU count, on the real system.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fakes.h"
#include "platform/cpu.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "platform/random.h"

namespace {

TEST(PlatformFileTest, FactsAndIdentityComeFromTheOpenFile) {
  ScratchDir dir;
  const std::string a = dir.Write("a.log", "0123456789");
  const std::string b = dir.Write("b.log", "");
  int error = 0;
  const int fd = OpenForReading(a.c_str(), &error);
  ASSERT_GE(fd, 0);
  FileFacts facts;
  ASSERT_TRUE(FactsOf(fd, &facts));
  EXPECT_TRUE(facts.regular);
  EXPECT_EQ(facts.size, 10);

  // A read at an offset leaves the next read where it was.
  char buffer[16];
  EXPECT_EQ(ReadAt(fd, buffer, 2, 8), 2);
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(ReadSome(fd, buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(ReadSome(fd, buffer, sizeof(buffer)), 6);
  EXPECT_EQ(ReadSome(fd, buffer, sizeof(buffer)), 0);
  CloseFile(fd);

  // The same file by name and by descriptor; another file is another.
  FileIdentity by_name;
  FileIdentity other;
  ASSERT_TRUE(IdentityOf(a.c_str(), &by_name));
  ASSERT_TRUE(IdentityOf(b.c_str(), &other));
  EXPECT_EQ(by_name, facts.identity);
  EXPECT_NE(other, facts.identity);

  EXPECT_LT(OpenForReading((dir.path() + "/missing.log").c_str(), &error), 0);
  EXPECT_NE(error, 0);
  EXPECT_FALSE(IdentityOf((dir.path() + "/missing.log").c_str(), &other));
}

TEST(PlatformFileTest, WritingKeepsTheContentUntilEmptied) {
  ScratchDir dir;
  const std::string path = dir.Write("out.txt", "yesterday");
  const int fd = OpenForWriting(path.c_str());
  ASSERT_GE(fd, 0);
  FileFacts facts;
  ASSERT_TRUE(FactsOf(fd, &facts));
  EXPECT_EQ(facts.size, 9);
  std::FILE* out = WritingStream(fd);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(DescriptorOf(out), fd);
  EXPECT_TRUE(EmptyFile(fd));
  std::fputs("today", out);
  std::fclose(out);
  FileIdentity identity;
  ASSERT_TRUE(IdentityOf(path.c_str(), &identity));
  EXPECT_EQ(identity, facts.identity);
  int error = 0;
  const int again = OpenForReading(path.c_str(), &error);
  ASSERT_TRUE(FactsOf(again, &facts));
  EXPECT_EQ(facts.size, 5);
  CloseFile(again);
}

TEST(PlatformMemoryTest, ReservedPagesAreZeroedAndWritable) {
  constexpr std::size_t kBytes = std::size_t{64} << 20;
  auto* pages = static_cast<std::uint64_t*>(ReserveZeroedPages(kBytes));
  ASSERT_NE(pages, nullptr);
  const std::size_t last = kBytes / sizeof(std::uint64_t) - 1;
  EXPECT_EQ(pages[0], 0u);
  EXPECT_EQ(pages[last], 0u);
  pages[last] = 7;
  EXPECT_EQ(pages[last], 7u);
  ReleasePages(pages, kBytes);
}

TEST(PlatformSystemTest, SeedsDifferAndSomeCpuIsUsable) {
  EXPECT_NE(RandomSeed(), RandomSeed());
  EXPECT_GE(UsableCpuCount(), 1);
}

}  // namespace
