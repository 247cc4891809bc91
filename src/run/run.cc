#include "run/run.h"

#include <cstring>
#include <string>

#include "bytes/field_text.h"
#include "platform/file.h"
#include "platform/local_time.h"
#include "platform/terminal.h"
#include "report/formats.h"
#include "report/reverse_lookup.h"
#include "run/command_line.h"
#include "run/file_selection.h"
#include "run/state_file.h"
#include "stats/ranking.h"
#include "texts.h"

const char* ProgramNameOf(const char* argv0) {
  if (argv0 == nullptr) return texts::kProductName;
  const char* backslash = std::strrchr(argv0, '\\');
  return backslash != nullptr ? backslash + 1 : argv0;
}

namespace {

// Prints the usage text, naming `offending` when there is one.
int UsageExit(Run* run, const char* offending) {
  run->progress.Erase();
  std::fprintf(run->err, texts::kBanner, texts::kProductName, texts::kVersion);
  if (offending != nullptr) std::fprintf(run->err, texts::kUnknownParameter, offending);
  std::fprintf(run->err, texts::kUsageLine, run->options.ProgramName);
  std::fputs(texts::kUsageOptions, run->err);
  return kExitFailure;
}

// --help: the banner, the usage line and one list of the options, each
// with what it does. On standard output, whatever -o said: the -o file is
// for a report, and keeps what it holds.
int HelpExit(Run* run) {
  run->progress.Erase();
  std::fprintf(run->standard_out, texts::kBanner, texts::kProductName, texts::kVersion);
  std::fprintf(run->standard_out, texts::kUsageLine, run->options.ProgramName);
  std::fputs(texts::kHelpOptions, run->standard_out);
  return kExitSuccess;
}

// What was read and what was probably meant, for a person at a terminal.
void TellTerminal(Run* run) {
  if (!run->tell_terminal || run->options.DebugLevel != 0) return;
  // The period runs from the first hit read to the last one read.
  const RunTotals& totals = run->stats.totals;
  run->summary.read_out_of_time_order =
      totals.PeriodStart > 0 && totals.PeriodEnd > 0 && totals.PeriodEnd < totals.PeriodStart;
  WriteRunSummary(run->err, run->options.ProgramName, run->summary, run->notes,
                  StyleFor(run->options.Norwegian, run->options.message_escape,
                           run->utf8_locale));
}

}  // namespace

int RunMain(Run* run, int argc, char** argv) {
  Options& options = run->options;
  options.ProgramName = ProgramNameOf(argc > 0 ? argv[0] : nullptr);
  options.gather_traffic = AnyFormatBeyondText(argc, argv) || AnyStateOption(argc, argv);

  // Arguments in order: a file pattern is read at once, so an option only
  // affects the patterns after it.
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    // "-" alone is standard input, read as a log file is.
    const bool standard_input = std::strcmp(arg, "-") == 0;
    if (arg[0] != '-' || standard_input) {
      // The state is taken before the first log is read, under the filters
      // then in effect, and they may not change after.
      if (run->state.path != nullptr &&
          (run->state.taken ? StateFiltersChanged(run) : !LoadState(run))) {
        return kExitFailure;
      }
      const std::size_t unmatched = run->summary.empty_patterns.size();
      const int read = standard_input ? ReadStandardInput(run) : SelectLogFiles(run, arg);
      if (read == kLogIsOutputFile) return kExitFailure;
      run->stats.totals.FilesProcessed += read;
      NotePattern(&run->notes, arg, run->summary.empty_patterns.size() > unmatched);
      continue;
    }
    if (std::strcmp(arg, "--help") == 0) return HelpExit(run);
    if (std::strcmp(arg, "--version") == 0) {
      std::fprintf(run->standard_out, texts::kVersionLine, texts::kVersion);
      return kExitSuccess;
    }
    NoteOption(&run->notes, arg);
    switch (ReadOption(run, arg)) {
      case OptionRead::kDone:
        break;
      case OptionRead::kUnknown:
        return UsageExit(run, arg);
      case OptionRead::kFailed:
        // "-o report.txt": the name was meant for it.
        if (std::strcmp(arg, "-o") == 0 && run->tell_terminal) {
          const std::string next = i + 1 < argc ? ShellWord(argv[i + 1]) : "report.txt";
          const SummaryStyle style =
              StyleFor(options.Norwegian, options.message_escape, run->utf8_locale);
          std::fprintf(run->err, ShownText(style, style.texts->output_glued).c_str(),
                       options.ProgramName, FieldText(next, options.message_escape).text);
        }
        return kExitFailure;
    }
  }

  if (options.CustomerName == nullptr) {
    options.CustomerName = options.Norwegian ? texts::kDefaultCustomerNorwegian
                                             : texts::kDefaultCustomerEnglish;
  }
  if (run->state.path != nullptr && !run->state.taken && !LoadState(run)) return kExitFailure;
  if (run->stats.totals.FilesProcessed == 0) {
    const int status = UsageExit(run, nullptr);
    TellTerminal(run);
    return status;
  }

  run->progress.Erase();

  // The state goes to its file before the report: a run that cannot keep
  // it ends without a report, so the report and the state agree.
  if (run->state.path != nullptr && !SaveState(run)) return kExitFailure;

  // Most hits first: the report shows the heads of both lists, and only
  // they are put in order.
  RankByHits(&run->stats, options.NumPagesToShow, options.NumUsersToShow);

  // Names for the users the report will show, and only for them; a note
  // on the terminal while they are outstanding, unless -v or -d speak there.
  run->progress.SetQuiet(options.Verbose || options.DebugLevel > 0);
  ResolveTopUsers(options, &run->stats, run->resolver, run->err, &run->progress);

  // The -o file keeps its old content up to here, so a run that ends
  // without a report leaves the last report as it was.
  const bool emptied = !run->output_opened || StartReport(&run->output);
  if (run->output_opened) run->out = run->output.stream;

  // Norwegian as a UTF-8 terminal shows it; files and pipes get the
  // report's own bytes.
  const bool utf8 = run->utf8_locale && IsTerminal(run->out);
  if (emptied) {
    // The designed text, or the same numbers and more as JSON or a web page;
    // those two are the same bytes on every system, line feeds and all.
    if (options.Format != ReportFormat::kText) KeepLineFeeds(run->out);
    WriteChosenReport(options, run->stats, run->summary, run->out,
                      utf8 ? ReportCharset::kUtf8 : ReportCharset::kWindows1252, ReportTime());
  }

  // A report that did not reach its file is a failure, not a success.
  bool write_failed = !emptied || std::ferror(run->out) != 0 || std::fflush(run->out) != 0;
  if (run->output_opened) {
    // Whole or not at all: a new -o file takes the old one's place only now.
    if (write_failed) {
      AbandonOutputFile(&run->output);
    } else {
      write_failed = !FinishOutputFile(&run->output);
    }
    run->output_opened = false;
    run->out = run->standard_out;
  }
  TellTerminal(run);

  ReleaseRecords(&run->stats);

  if (write_failed) {
    std::fprintf(run->err, texts::kFailedToWriteReport, options.ProgramName);
    return kExitFailure;
  }
  return kExitSuccess;
}
