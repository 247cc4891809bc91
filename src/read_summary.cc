#include "read_summary.h"

#include <cerrno>

void NoteUnopenedFile(ReadSummary* summary, const char* path, int error) {
  const bool missing = error == ENOENT || error == ENOTDIR;
  summary->problem_files.push_back(
      {path, missing ? FileProblem::kMissing : FileProblem::kUnreadable});
}

void NoteFileRead(ReadSummary* summary, const char* path, bool compressed,
                  const LineCounts& lines, bool read_failed, bool damaged) {
  const LogFormat format = lines.directives > 0 ? LogFormat::kW3c : LogFormat::kComma;
  const LogPacking packing = compressed ? LogPacking::kCompressed : LogPacking::kPlain;
  ++summary->files_read[static_cast<int>(format)][static_cast<int>(packing)];
  summary->lines.Add(lines);
  if (read_failed) {
    summary->problem_files.push_back({path, FileProblem::kReadError});
  } else if (damaged) {
    summary->problem_files.push_back({path, FileProblem::kDamaged});
  }
}

void NoteFileReadOn(ReadSummary* summary, const char* path, bool counted_as_w3c,
                    bool compressed, const LineCounts& lines, bool read_failed, bool damaged) {
  const int packing = static_cast<int>(compressed ? LogPacking::kCompressed : LogPacking::kPlain);
  if (!counted_as_w3c && lines.directives > 0) {
    std::int64_t& comma = summary->files_read[static_cast<int>(LogFormat::kComma)][packing];
    if (comma > 0) {
      --comma;
      ++summary->files_read[static_cast<int>(LogFormat::kW3c)][packing];
    }
  }
  summary->lines.Add(lines);
  if (read_failed) {
    summary->problem_files.push_back({path, FileProblem::kReadError});
  } else if (damaged) {
    summary->problem_files.push_back({path, FileProblem::kDamaged});
  }
}
