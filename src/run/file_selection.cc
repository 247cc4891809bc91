#include "run/file_selection.h"

#include "bytes/field_text.h"
#include "intake/log_file.h"
#include "platform/directory_search.h"
#include "platform/file.h"
#include "run/run.h"
#include "texts.h"

int SelectLogFiles(Run* run, const char* pattern) {
  const Options& options = run->options;
  const bool tell = options.Verbose || options.DebugLevel > 0;
  const TextEscape escape = options.message_escape;
  run->progress.SetQuiet(tell);

  const std::vector<FoundFile> matches = run->directories->Find(pattern);
  if (matches.empty()) {
    if (tell) {
      std::fprintf(run->err, texts::kNoFilesMatch, options.ProgramName,
                   FieldText(pattern, escape).text);
    }
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
                     FieldText(match.path, escape).text);
      }
      continue;
    }
    // The state is no log, whatever a pattern matches.
    FileIdentity identity;
    if (run->state.exists && IdentityOf(match.path.c_str(), &identity) &&
        identity == run->state.identity) {
      continue;
    }
    // The report would overwrite a log that is the -o file.
    const int opened = ReadLogFile(options, &run->stats, run->err, match.path.c_str(),
                                   &run->progress, &run->summary,
                                   run->output_opened ? &run->output.identities : nullptr,
                                   &identity, run->tuning,
                                   run->state.path != nullptr ? &run->state.book : nullptr);
    if (opened == kRefusedLogFile) {
      run->progress.Erase();
      std::fprintf(run->err, texts::kLogIsOutput, options.ProgramName,
                   FieldText(match.path, escape).text);
      return kLogIsOutputFile;
    }
    if (opened != 0) run->logs_read.push_back({identity, match.path});
    // A file counted before, whole or in part, is no new file of the run.
    if (opened == kCountedLogFile) {
      run->summary.already_counted.push_back(match.path);
      if (options.Verbose) {
        std::fprintf(run->err, texts::kAlreadyCounted, options.ProgramName,
                     FieldText(match.path, escape).text);
      }
    }
    if (opened == 1) ++read;
  }
  return read;
}

int ReadStandardInput(Run* run) {
  const Options& options = run->options;
  const bool tell = options.Verbose || options.DebugLevel > 0;
  run->progress.SetQuiet(tell);
  // A stream is there to be read once: a second "-" finds it at its end.
  if (run->standard_input_read) {
    if (tell) std::fprintf(run->err, texts::kStandardInputAgain, options.ProgramName);
    return 0;
  }
  run->standard_input_read = true;
  FileIdentity identity;
  const int read = ReadLogStream(options, &run->stats, run->err, StandardInputForReading(),
                                 texts::kStandardInputName, &run->progress, &run->summary,
                                 run->output_opened ? &run->output.identities : nullptr,
                                 &identity);
  if (read == kRefusedLogFile) {
    run->progress.Erase();
    std::fprintf(run->err, texts::kLogIsOutput, options.ProgramName, texts::kStandardInputName);
    return kLogIsOutputFile;
  }
  // A file redirected to standard input is no -o file later on either.
  if (identity != FileIdentity{}) run->logs_read.push_back({identity, texts::kStandardInputName});
  return read;
}
