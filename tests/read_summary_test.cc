#include "read_summary.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// Only a file that is not there is missing; any other refusal to open it
// makes it unreadable.
TEST(ReadSummaryTest, UnopenedFiles) {
  const std::pair<int, FileProblem> cases[] = {
      {ENOENT, FileProblem::kMissing},     {ENOTDIR, FileProblem::kMissing},
      {EACCES, FileProblem::kUnreadable},  {ELOOP, FileProblem::kUnreadable},
      {EMFILE, FileProblem::kUnreadable},
  };
  for (const auto& [error, problem] : cases) {
    ReadSummary summary;
    NoteUnopenedFile(&summary, "a.log", error);
    ASSERT_EQ(1u, summary.problem_files.size());
    EXPECT_EQ(problem, summary.problem_files[0].problem) << error;
    EXPECT_EQ(0, summary.FilesRead());
  }
}

// A read error says more than the damage it leaves in a compressed file.
TEST(ReadSummaryTest, FilesRead) {
  ReadSummary summary;
  LineCounts w3c;
  w3c.read = 3;
  w3c.directives = 1;
  NoteFileRead(&summary, "a.log", false, LineCounts(), false, false);
  NoteFileRead(&summary, "b.log.gz", true, w3c, true, true);
  NoteFileRead(&summary, "c.log.gz", true, LineCounts(), false, true);
  EXPECT_EQ(1, summary.files_read[0][0]);
  EXPECT_EQ(1, summary.files_read[0][1]);
  EXPECT_EQ(1, summary.files_read[1][1]);
  EXPECT_EQ(3, summary.lines.read);
  ASSERT_EQ(2u, summary.problem_files.size());
  EXPECT_EQ(FileProblem::kReadError, summary.problem_files[0].problem);
  EXPECT_EQ(FileProblem::kDamaged, summary.problem_files[1].problem);
}

}  // namespace
