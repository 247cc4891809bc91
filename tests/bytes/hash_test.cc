#include "bytes/hash.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

constexpr std::uint64_t kSeed = 0x5EED;

TEST(TextHashTest, FoldedHashIgnoresLetterCaseOnly) {
  const std::string upper(1000, 'Q');  // longer than one folding block
  const std::string lower(1000, 'q');
  const std::pair<std::string, std::string> same[] = {
      {"/Index.HTM", "/index.htm"}, {"", ""}, {upper, lower}, {upper + "A", lower + "a"}};
  for (const auto& [a, b] : same) {
    EXPECT_TRUE(EqualFolded(a, b)) << a;
    EXPECT_EQ(HashFoldedBytes(a, kSeed), HashFoldedBytes(b, kSeed)) << a;
    // Folding is lower-casing: the hash of the lower-case bytes.
    EXPECT_EQ(HashBytes(b, kSeed), HashFoldedBytes(a, kSeed)) << a;
  }
  // Bytes that differ in the case bit, but are no letters, stay apart.
  const std::pair<std::string, std::string> apart[] = {
      {"@", "`"}, {"[", "{"}, {"/a@b", "/a`b"}, {"\xC5", "\xE5"}, {upper + "@", upper + "`"}};
  for (const auto& [a, b] : apart) {
    EXPECT_FALSE(EqualFolded(a, b)) << a;
    EXPECT_NE(HashFoldedBytes(a, kSeed), HashFoldedBytes(b, kSeed)) << a;
  }
}

TEST(TextHashTest, SeedKeysTheHash) {
  EXPECT_NE(HashBytes("10.0.0.1", 1), HashBytes("10.0.0.1", 2));
  EXPECT_NE(HashFoldedBytes("/a.htm", 1), HashFoldedBytes("/a.htm", 2));
  EXPECT_EQ(HashBytes("10.0.0.1", 1), HashBytes("10.0.0.1", 1));
}

// Every size a word road takes, and past it, with each byte changed in turn.
TEST(TextHashTest, SameBytesAtEverySize) {
  for (std::size_t size = 0; size <= 40; ++size) {
    const std::string a(size, 'x');
    EXPECT_TRUE(SameBytes(a.data(), std::string(a).data(), size)) << size;
    for (std::size_t at = 0; at < size; ++at) {
      std::string b = a;
      b[at] = 'y';
      EXPECT_FALSE(SameBytes(a.data(), b.data(), size)) << size << " " << at;
    }
  }
}

}  // namespace
