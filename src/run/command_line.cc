#include "run/command_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "bytes/decimal.h"
#include "bytes/field_text.h"
#include "run/run.h"
#include "texts.h"

namespace {

OptionRead SetNorwegian(Run* run, const char*) {
  run->options.Norwegian = true;
  return OptionRead::kDone;
}

OptionRead SetCustomerName(Run* run, const char* value) {
  run->options.CustomerName = value;
  return OptionRead::kDone;
}

// "-d" alone, or any level below 1, is level 1.
OptionRead SetDebugLevel(Run* run, const char* value) {
  const std::int32_t level = ReadDecimal(value);
  run->options.DebugLevel = level < 1 ? 1 : level;
  return OptionRead::kDone;
}

OptionRead SetExcludeIP(Run* run, const char* value) {
  run->options.ExcludeIP = value;
  return OptionRead::kDone;
}

OptionRead SetPagesToShow(Run* run, const char* value) {
  run->options.NumPagesToShow = ReadDecimal(value);
  return OptionRead::kDone;
}

// Any other name is an unknown parameter.
OptionRead SetFormat(Run* run, const char* value) {
  if (std::strcmp(value, "text") == 0) {
    run->options.Format = ReportFormat::kText;
  } else if (std::strcmp(value, "json") == 0) {
    run->options.Format = ReportFormat::kJson;
  } else if (std::strcmp(value, "html") == 0) {
    run->options.Format = ReportFormat::kHtml;
  } else {
    return OptionRead::kUnknown;
  }
  return OptionRead::kDone;
}

// The report goes into the file from here on; one that cannot be opened,
// or that is a log read before, ends the run.
OptionRead OpenOutput(Run* run, const char* value) {
  FileIdentity identity;
  std::FILE* out = OpenOutputFile(value, &identity);
  if (out == nullptr) {
    run->progress.Erase();
    std::fprintf(run->err, texts::kFailedToOpenOutput,
                 FieldText(value, run->options.message_escape).text);
    return OptionRead::kFailed;
  }
  // An earlier -o file keeps its content: no report goes there now.
  if (run->output_opened) std::fclose(run->out);
  run->out = out;
  run->output_opened = true;
  run->output = identity;
  const auto log = std::find_if(run->logs_read.begin(), run->logs_read.end(),
                                [&](const ReadLog& read) { return read.identity == identity; });
  if (log != run->logs_read.end()) {
    run->progress.Erase();
    std::fprintf(run->err, texts::kLogIsOutput, run->options.ProgramName,
                 FieldText(log->path, run->options.message_escape).text);
    return OptionRead::kFailed;
  }
  return OptionRead::kDone;
}

OptionRead SetExcludePattern(Run* run, const char* value) {
  run->options.ExcludePattern = value;
  return OptionRead::kDone;
}

OptionRead SetRootPath(Run* run, const char* value) {
  run->options.RootPath = value;
  return OptionRead::kDone;
}

OptionRead SetServerIP(Run* run, const char* value) {
  run->options.ServerIP = value;
  return OptionRead::kDone;
}

OptionRead SetUsersToShow(Run* run, const char* value) {
  run->options.NumUsersToShow = ReadDecimal(value);
  return OptionRead::kDone;
}

OptionRead SetVerbose(Run* run, const char*) {
  run->options.Verbose = true;
  return OptionRead::kDone;
}

struct OptionReader {
  char letter;
  // cppcheck-suppress unusedStructMember ; called through the table below
  OptionRead (*read)(Run* run, const char* value);
};

constexpr OptionReader kOptions[] = {
    {'N', SetNorwegian},   {'c', SetCustomerName},   {'d', SetDebugLevel},
    {'e', SetExcludeIP},   {'f', SetFormat},
    {'n', SetPagesToShow}, {'o', OpenOutput},
    {'p', SetExcludePattern}, {'r', SetRootPath},    {'s', SetServerIP},
    {'u', SetUsersToShow}, {'v', SetVerbose},
};

}  // namespace

OptionRead ReadOption(Run* run, const char* arg) {
  const auto* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionReader& o) { return o.letter == arg[1]; });
  if (option == std::end(kOptions)) return OptionRead::kUnknown;
  return option->read(run, arg + 2);
}

bool AnyFormatBeyondText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "-f", 2) == 0 && std::strcmp(argv[i] + 2, "text") != 0) return true;
  }
  return false;
}
