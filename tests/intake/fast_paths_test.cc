#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "intake/log_line.h"
#include "intake/name_pattern.h"
#include "intake/w3c_format.h"

namespace {

// Every vector tokenizer must cut every line exactly as the byte-by-byte
// one: lines of commas, blanks, dashes, NULs and line feeds at every length
// and alignment around its steps, all slots filled or some.
TEST(TokenizerDifferentialTest, SameSlotsAsPortable) {
  std::mt19937 random(7);
  const char alphabet[] = {',', ',', ',', ' ', '-', 'a', 'b', '\n', '\t', '\0', '\r', 'x'};
  for (int round = 0; round < 20000; ++round) {
    std::string line(random() % 160, ' ');
    for (char& c : line) c = alphabet[random() % sizeof(alphabet)];
    // Lines of the real shape too.
    if (round % 5 == 0) line = "10.0.0.1, -, 03/20/01, 7:00:00, W3SVC1, W, 10.0.0.2, 1, 2, 3," + line;
    const std::size_t skip = random() % 3;  // vary the alignment
    std::string padded = std::string(skip, '#') + line;
    LogFields portable;
    TokenizeLinePortable(line, &portable);
    const std::uint32_t wanted = random() & kEveryField;
    std::vector<CommaSplit> splits = CommaVectorSplits();
    splits.push_back(TokenizeLinePortable);  // for its slots of `wanted`
    for (CommaSplit split : splits) {
      LogFields fast;
      split(std::string_view(padded).substr(skip), &fast, kEveryField);
      ASSERT_EQ(portable.ToString(), fast.ToString()) << round;
      ASSERT_EQ(portable.complete, fast.complete) << round;
      // Some slots only: those read alike, the others absent, the count kept.
      LogFields some;
      split(line, &some, wanted);
      ASSERT_EQ(portable.count, some.count) << round;
      ASSERT_EQ(portable.complete, some.complete) << round;
      for (int i = 0; i < kFieldCount; ++i) {
        ASSERT_EQ((wanted >> i & 1) != 0 ? portable.slot[i] : std::string_view(), some.slot[i])
            << round << " " << i;
        ASSERT_EQ((wanted >> i & 1) != 0 && portable.Present(i), some.Present(i)) << round;
      }
    }
  }
}

// The same for every vector W3C splitter (thirty-two and sixty-four bytes a
// step), under layouts short and long, and none.
TEST(TokenizerDifferentialTest, W3cSameSlotsAsPortable) {
  std::mt19937 random(5);
  W3cLayout layouts[6];
  ParseW3cFields("#Fields: date time c-ip cs-method cs-uri-stem sc-bytes s-ip s-sitename\n",
                 &layouts[0]);
  ParseW3cFields("#Fields: x cs-uri-stem c-ip\n", &layouts[1]);
  ParseW3cFields("#Fields: date time s-sitename s-ip cs-method cs-uri-stem cs-uri-query s-port "
                 "cs-username c-ip cs(User-Agent) cs(Referer) cs-host sc-status sc-substatus "
                 "sc-win32-status sc-bytes time-taken\n",
                 &layouts[3]);
  // A wanted field past several steps of fields.
  std::string far = "#Fields:";
  for (int i = 0; i < 63; ++i) far += " x";
  ParseW3cFields(far + " c-ip\n", &layouts[4]);
  ParseW3cFields(far + " x cs-uri-stem x c-ip\n", &layouts[5]);
  const char alphabet[] = {' ', ' ', '\t', '-', 'a', 'b', '\n', '\r', '\0', '+', 'x', '-'};
  for (int round = 0; round < 20000; ++round) {
    std::string line(random() % 260, ' ');
    // A wanted field that runs to the end of a text of whole steps.
    if (round < 12) line = "a b " + std::string(32 * (round / 2 + 1) - 4, 'c');
    for (char& c : line) c = alphabet[random() % sizeof(alphabet)];
    const std::size_t skip = random() % 3;
    std::string padded = std::string(skip, '#') + line;
    const W3cLayout& layout = layouts[round % 6];
    LogFields portable;
    TokenizeW3cLinePortable(line, layout, &portable);
    for (W3cSplit split : W3cVectorSplits()) {
      LogFields fast;
      split(std::string_view(padded).substr(skip), layout, &fast);
      ASSERT_EQ(portable.ToString(), fast.ToString()) << round;
      ASSERT_EQ(portable.complete, fast.complete) << round;
    }
  }
}

// A split list takes shortcuts for patterns that begin with "*" (the tail
// of a name of eight bytes and more read as one word); they must agree with
// the one-pattern matcher on every name.
TEST(NamePatternDifferentialTest, ListAgreesWithEachPattern) {
  std::mt19937 random(11);
  const char alphabet[] = {'*', '?', '.', 'g', 'G', 'i', 'f', '/', 'a', '\xE9', '\xC9'};
  auto text = [&](std::size_t max) {
    std::string s(random() % max, ' ');
    for (char& c : s) c = alphabet[random() % sizeof(alphabet)];
    return s;
  };
  for (int round = 0; round < 50000; ++round) {
    std::string pattern = text(7);
    if (round % 2 == 0) pattern = "*" + pattern;
    const std::string name = text(14);
    const NamePatternList list = SplitNamePatterns(pattern);
    const bool expected = !pattern.empty() && MatchNamePattern(name, pattern) == 1;
    ASSERT_EQ(expected, MatchNamePatterns(name, list) == 1) << pattern << " ~ " << name;
  }
}

}  // namespace
