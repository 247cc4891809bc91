#include "run/command_line.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>

#include "bytes/decimal.h"
#include "bytes/field_text.h"
#include "intake/client_address.h"
#include "platform/local_time.h"
#include "run/run.h"
#include "stats/hit_time.h"
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
  // An earlier -o file keeps its content: no report goes there now.
  if (run->output_opened) AbandonOutputFile(&run->output);
  run->output_opened = false;
  run->out = run->standard_out;
  int error = 0;
  if (!OpenOutputFile(value, &run->output, &error)) {
    run->progress.Erase();
    const FieldText name(value, run->options.message_escape);
    std::fprintf(run->err, texts::kFailedToOpenOutput, name.text);
    // Why, for a person; a name glued to nothing is told of by the run.
    if (run->tell_terminal && *value != '\0') {
      const SummaryStyle style =
          StyleFor(run->options.Norwegian, run->options.message_escape, run->utf8_locale);
      // Options are read before any thread starts.
      const char* reason = std::strerror(error);  // NOLINT(concurrency-mt-unsafe)
      std::fprintf(run->err, ShownText(style, style.texts->output_error).c_str(),
                   run->options.ProgramName, name.text, reason);
    }
    return OptionRead::kFailed;
  }
  run->out = run->output.stream;
  run->output_opened = true;
  const auto log = std::find_if(run->logs_read.begin(), run->logs_read.end(),
                                [&](const ReadLog& read) {
                                  return IsOutputFile(run->output, read.identity);
                                });
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

// One bound of --from or --to: the local and the standard time stamp of
// the value, and its text as given.
OptionRead SetRangeBound(const char* value, long seconds_west, std::int64_t* local,
                         std::int64_t* standard, const char** text) {
  RangeTime t;
  if (!ReadRangeTime(value, seconds_west, &t)) return OptionRead::kUnknown;
  *local = t.local;
  *standard = t.standard;
  *text = value;
  return OptionRead::kDone;
}

OptionRead SetRangeFrom(Run* run, const char* value) {
  Options& o = run->options;
  return SetRangeBound(value, o.seconds_west, &o.range_from, &o.comma_range_from,
                       &o.range_from_text);
}

OptionRead SetRangeTo(Run* run, const char* value) {
  Options& o = run->options;
  return SetRangeBound(value, o.seconds_west, &o.range_to, &o.comma_range_to,
                       &o.range_to_text);
}

// --client=FIELD: the W3C field that names the client behind proxies.
OptionRead SetClientField(Run* run, const char* value) {
  if (*value == '\0') return OptionRead::kUnknown;
  run->options.client_field = value;
  return OptionRead::kDone;
}

// --trusted-proxy=MASK[,MASK]: refused whole when any mask is bad, since a
// proxy left out would be taken for the client.
OptionRead SetTrustedProxies(Run* run, const char* value) {
  TrustedProxies proxies;
  if (!ParseTrustedProxies(value, &proxies)) return OptionRead::kUnknown;
  run->options.trusted_proxies = value;
  return OptionRead::kDone;
}

// --site=NAME[,NAME]: a list that names no site would count nothing.
OptionRead SetSites(Run* run, const char* value) {
  if (std::strspn(value, ",") == std::strlen(value)) return OptionRead::kUnknown;
  run->options.sites = value;
  run->summary.sites_chosen = true;
  return OptionRead::kDone;
}

// --own-host=NAME[,NAME]
OptionRead SetOwnHosts(Run* run, const char* value) {
  if (std::strspn(value, ",") == std::strlen(value)) return OptionRead::kUnknown;
  run->options.own_hosts = value;
  return OptionRead::kDone;
}

// --robots=exclude: robots' lines count nowhere. The list is compiled once.
OptionRead SetRobots(Run* run, const char* value) {
  if (std::strcmp(value, "exclude") != 0) return OptionRead::kUnknown;
  if (!run->stats.robots) run->stats.robots = std::make_unique<RobotClassifier>();
  run->summary.robots_excluded = true;
  run->options.exclude_robots = true;
  return OptionRead::kDone;
}

// The state to start from and to leave: named before any log is read,
// since it decides how each log is read.
OptionRead SetStatePath(Run* run, const char* value) {
  if (*value == '\0') return OptionRead::kUnknown;
  if (run->notes.pattern_seen) {
    run->progress.Erase();
    std::fprintf(run->err, texts::kStateAfterLog, run->options.ProgramName);
    return OptionRead::kFailed;
  }
  run->state.path = value;
  return OptionRead::kDone;
}

// Options with a name: "--name=value".
struct LongOptionReader {
  const char* name;  // with its "="
  // cppcheck-suppress unusedStructMember ; called through the table below
  OptionRead (*read)(Run* run, const char* value);
};

constexpr LongOptionReader kLongOptions[] = {
    {"from=", SetRangeFrom},
    {"to=", SetRangeTo},
    {"client=", SetClientField},
    {"trusted-proxy=", SetTrustedProxies},
    {"site=", SetSites},
    {"robots=", SetRobots},
    {"own-host=", SetOwnHosts},
    {"state=", SetStatePath},
};

OptionRead ReadLongOption(Run* run, const char* arg) {
  for (const LongOptionReader& option : kLongOptions) {
    const std::size_t length = std::strlen(option.name);
    if (std::strncmp(arg, option.name, length) == 0) return option.read(run, arg + length);
  }
  return OptionRead::kUnknown;
}

OptionRead ReadNamedOption(Run* run, const char* value) { return ReadLongOption(run, value); }

// Exactly `count` digits from `text`, as a number.
bool ReadDigits(const char*& text, int count, int* value) {
  *value = 0;
  for (int i = 0; i < count; ++i, ++text) {
    if (*text < '0' || *text > '9') return false;
    *value = *value * 10 + (*text - '0');
  }
  return true;
}

bool ReadSeparator(const char*& text, char separator) {
  if (*text != separator) return false;
  ++text;
  return true;
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
    {'-', ReadNamedOption},
};

}  // namespace

bool ReadRangeTime(const char* text, long seconds_west, RangeTime* t) {
  const char* const date = text;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!ReadDigits(text, 4, &year) || !ReadSeparator(text, '-') ||
      !ReadDigits(text, 2, &month) || !ReadSeparator(text, '-') ||
      !ReadDigits(text, 2, &day)) {
    return false;
  }
  if (*text != '\0') {
    if (!ReadSeparator(text, 'T') || !ReadDigits(text, 2, &hour) ||
        !ReadSeparator(text, ':') || !ReadDigits(text, 2, &minute)) {
      return false;
    }
    if (*text != '\0' && (!ReadSeparator(text, ':') || !ReadDigits(text, 2, &second))) {
      return false;
    }
    if (*text != '\0') return false;
  }
  // The date by the logs' own calendar rules, which refuse what no calendar has.
  const HitDate calendar = ParseW3cDate(std::string_view(date, 10));
  if (!calendar.valid || year == 0 || hour > 23 || minute > 59 || second > 59) return false;
  const std::int64_t clock = hour * 3600 + minute * 60 + second;
  t->standard = calendar.day_seconds + clock + seconds_west;
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  return FromLocalTime(local, &t->local);
}

OptionRead ReadOption(Run* run, const char* arg) {
  const auto* option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionReader& o) { return o.letter == arg[1]; });
  if (option == std::end(kOptions)) return OptionRead::kUnknown;
  return option->read(run, arg + 2);
}

bool AnyStateOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--state=", 8) == 0) return true;
  }
  return false;
}

bool AnyFormatBeyondText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "-f", 2) == 0 && std::strcmp(argv[i] + 2, "text") != 0) return true;
  }
  return false;
}
