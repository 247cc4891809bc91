#include "run/file_selection.h"

#include "intake/log_file.h"
#include "platform/directory_search.h"
#include "run/run.h"
#include "texts.h"

int SelectLogFiles(Run* run, const char* pattern) {
  const Options& options = run->options;
  const bool tell = options.Verbose || options.DebugLevel > 0;
  run->progress.SetQuiet(tell);

  const std::vector<FoundFile> matches = run->directories->Find(pattern);
  if (matches.empty()) {
    if (tell) std::fprintf(run->err, texts::kNoFilesMatch, options.ProgramName, pattern);
    run->summary.empty_patterns.emplace_back(pattern);
    return 0;
  }

  int read = 0;
  for (const FoundFile& match : matches) {
    // Directories, devices, pipes and dangling links are no log files.
    if (!match.regular) {
      run->summary.problem_files.push_back({match.path, FileProblem::kNotRegular});
      if (tell) {
        std::fprintf(run->err, texts::kSuspectAttributes, options.ProgramName,
                     match.path.c_str());
      }
      continue;
    }
    read += ReadLogFile(options, &run->stats, run->err, match.path.c_str(), &run->progress,
                        &run->summary);
  }
  return read;
}
