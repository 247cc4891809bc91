#include "platform/directory_search.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "fakes.h"

namespace {

TEST(DirectorySearchTest, Wildcards) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  };
  const Case cases[] = {
      {"a.log", "*.log", true},      {"a.log", "*", true},
      {"", "*", true},               {"a.log", "?.log", true},
      {"ab.log", "?.log", false},    {"a.LOG", "*.log", false},  // bytes exactly
      {".hidden", "*", true},        {"ex100101.log", "ex*01.log", true},
      {"ex100102.log", "ex*01.log", false}, {"aXbXc", "a*b*c", true},
      {"abcbd", "a*bd", true},       {"a[1]", "a[1]", true},
      {"a1", "a[1]", false},         {"a\\b", "a\\b", true},
      {"abc", "abc*", true},         {"ab", "abc*", false},
      {"x", "**?", true},            {"", "?", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.match, MatchWildcard(c.name, c.pattern)) << c.name << " ~ " << c.pattern;
  }
}

TEST(DirectorySearchTest, MatchesInByteOrderWithDirectoryJoined) {
  ScratchDir dir;
  dir.Write("b.log", "");
  dir.Write("a.log", "");
  dir.Write("B.log", "");
  dir.Write("notes.txt", "");
  ASSERT_EQ(0, mkdir((dir.path() + "/c.log").c_str(), 0755));
  ASSERT_EQ(0, symlink("nowhere", (dir.path() + "/d.log").c_str()));
  ASSERT_EQ(0, symlink("a.log", (dir.path() + "/e.log").c_str()));

  SystemDirectorySearch search;
  std::vector<FoundFile> found = search.Find(dir.path() + "/*.log");
  std::vector<std::pair<std::string, bool>> got;
  for (const FoundFile& f : found) got.emplace_back(f.path.substr(dir.path().size()), f.regular);
  EXPECT_EQ((std::vector<std::pair<std::string, bool>>{{"/B.log", true},
                                                       {"/a.log", true},
                                                       {"/b.log", true},
                                                       {"/c.log", false},
                                                       {"/d.log", false},
                                                       {"/e.log", true}}),
            got);
}

TEST(DirectorySearchTest, PlainNamesAndMissingFolders) {
  ScratchDir dir;
  dir.Write("a.log", "");
  ASSERT_EQ(0, symlink("nowhere", (dir.path() + "/dangling").c_str()));
  SystemDirectorySearch search;

  std::vector<FoundFile> found = search.Find(dir.path() + "/a.log");
  ASSERT_EQ(1u, found.size());
  EXPECT_TRUE(found[0].regular);

  found = search.Find(dir.path() + "/dangling");  // exists, but is no file
  ASSERT_EQ(1u, found.size());
  EXPECT_FALSE(found[0].regular);

  found = search.Find(dir.path());
  ASSERT_EQ(1u, found.size());
  EXPECT_FALSE(found[0].regular);

  EXPECT_TRUE(search.Find(dir.path() + "/missing.log").empty());
  EXPECT_TRUE(search.Find(dir.path() + "/nothere/*.log").empty());
  EXPECT_TRUE(search.Find(dir.path() + "/*.txt").empty());
}

// Wildcards in folder parts: each matching folder (a file of that name is
// none), the matches of all of them in the byte order of the whole paths,
// not folder by folder in the order the folders were found.
TEST(DirectorySearchTest, WildcardsInFolderParts) {
  ScratchDir dir;
  for (const char* folder : {"W3SVC1", "W3SVC10", "W3SVC2", "W3SVC2/old", "other"}) {
    ASSERT_EQ(0, mkdir((dir.path() + "/" + folder).c_str(), 0755));
  }
  dir.Write("W3SVC3", "");  // no folder
  dir.Write("W3SVC1/u_ex2.log", "");
  dir.Write("W3SVC1/u_ex1.log", "");
  dir.Write("W3SVC10/u_ex1.log", "");
  dir.Write("W3SVC2/u_ex1.log", "");
  dir.Write("W3SVC2/old/u_ex0.log", "");
  dir.Write("other/u_ex1.log", "");
  ASSERT_EQ(0, mkdir((dir.path() + "/W3SVC2/u_ex9.log").c_str(), 0755));

  struct Case {
    std::string pattern;
    std::vector<std::string> paths;  // below the folder, with "+" for a regular file
  };
  const Case cases[] = {
      {"/W3SVC*/u_ex*.log",
       {"/W3SVC1/u_ex1.log+", "/W3SVC1/u_ex2.log+", "/W3SVC10/u_ex1.log+",
        "/W3SVC2/u_ex1.log+", "/W3SVC2/u_ex9.log"}},
      {"/W3SVC?/u_ex1.log", {"/W3SVC1/u_ex1.log+", "/W3SVC2/u_ex1.log+"}},
      {"/*/*/u_ex0.log", {"/W3SVC2/old/u_ex0.log+"}},
      {"/W3SVC2/*/*.log", {"/W3SVC2/old/u_ex0.log+"}},
      {"/W3SVC*//u_ex2.log", {"/W3SVC1//u_ex2.log+"}},
      {"/nothing*/*.log", {}},
  };
  SystemDirectorySearch search;
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (const FoundFile& f : search.Find(dir.path() + c.pattern)) {
      got.push_back(f.path.substr(dir.path().size()) + (f.regular ? "+" : ""));
    }
    EXPECT_EQ(c.paths, got) << c.pattern;
  }
}

}  // namespace
