// Every fixed text the program writes: usage, diagnostics and both report
// languages (the summary and hints of a terminal in summary_texts.h). Bytes
// are Windows-1252; the Norwegian letter is written "\xF8".
#pragma once

// Counts are 64-bit and printed with PRId64, their conversion on every
// platform, spliced into the texts as "%" PRId64.
#include <cinttypes>

// The summary and hints a terminal shows after the report.
#include "summary_texts.h"  // IWYU pragma: export

// The version is the one of project() in CMakeLists.txt; the build hands
// it down, as it does to the Debian package.
#ifndef VANTRIX_VERSION
#error "VANTRIX_VERSION is set by the build, from project() in CMakeLists.txt"
#endif

namespace texts {

// Usage.
inline constexpr char kBanner[] =
    "%s %s - hit statistics for IIS web server logs, comma-separated or W3C extended\n"
    "Counts pages, users and sessions of the GET requests that pass the filters below.\n";
inline constexpr char kProductName[] = "Vantrix";
inline constexpr char kVersion[] = VANTRIX_VERSION;
inline constexpr char kUnknownParameter[] = "%s: Unknown parameter\n";
inline constexpr char kUsageLine[] =
    "Usage: %s [-debug] [-verbose] [options] file or patterns\n";
inline constexpr char kUsageOptions[] =
    "Options are:\n"
    "  -rRootPath\n"
    "  -eExcludeIP[,ExcludeIP] where ExcludeIP is a mask (n.n-n.*)\n"
    "  -oOutputFile (default is the console)\n"
    "  -sServerIP[,ServerIP] where ServerIP is a mask (n.n-n.*)\n"
    "  -pExcludePattern[,ExcludePattern] (default is: *.gif,*.jpg)\n"
    "  -nNumPagesToShow (# on top)\n"
    "  -cCustomerName\n"
    "  -uNumUsersToShow\n"
    "  -Norwegian\n";
// --help: the banner, the usage line, then these lines; --version.
inline constexpr char kHelpOptions[] =
    "\n"
    "Each value is glued to its option letter, with no blank between: -n25,\n"
    "-r/shop/, -c'My Shop'. An option acts on the file patterns after it.\n"
    "  -rRootPath       count only paths that begin with RootPath (case counts)\n"
    "  -eMask[,Mask]    leave out clients whose address matches a mask\n"
    "  -oOutputFile     write the report into OutputFile\n"
    "  -sMask[,Mask]    count only requests to a server address that matches a mask\n"
    "  -pPattern[,...]  leave out paths that match a pattern; replaces *.gif,*.jpg\n"
    "  -nNumber         the pages to show (default 10); 0 leaves the table out\n"
    "  -cName           the customer name in the title\n"
    "  -uNumber         the users to show (default 10); 0 leaves the table out\n"
    "  -N               the report in Norwegian\n"
    "  -fFormat         text (the default), json or html: the report for a script\n"
    "                   or a browser, with hits by day, hour and status\n"
    "  -d[Level]        say why each left-out line was left out; 6 and up: echo lines\n"
    "  -v               say which files are read and which names are looked up\n"
    "  --from=WHEN      count only hits at or after WHEN: 2024-01-31, 2024-01-31T08:00\n"
    "                   or 2024-01-31T08:00:00, local time as the report's dates\n"
    "  --to=WHEN        count only hits before WHEN (WHEN itself not included)\n"
    "  --client=FIELD   a W3C line's client from FIELD (X-Forwarded-For): its\n"
    "                   right-most address that no trusted proxy covers\n"
    "  --trusted-proxy=Mask[,Mask]  the proxies --client passes over: IPv4\n"
    "                   masks, IPv6 addresses with an optional /bits\n"
    "  --site=Name[,Name]  count only these sites (W3SVC1): s-sitename, or the\n"
    "                   W3SVCn folder of the log\n"
    "  --robots=exclude leave out the lines of robots, by their user agent\n"
    "  --own-host=Name[,Name]  the site's own host names, whose referrers are\n"
    "                   no other site's (each line's cs-host is one)\n"
    "  -                read standard input as a log file, once\n"
    "  --state=FILE     start from the counts FILE holds and leave this run's there;\n"
    "                   files counted before are skipped, grown ones read on\n"
    "  --help           this text\n"
    "  --version        the version\n"
    "A mask is four parts joined by dots, each n, n-m or *, as in 10.1-3.*.*\n";
inline constexpr char kVersionLine[] = "vantrix %s\n";

inline constexpr char kFailedToOpenOutput[] = "Failed to open '%s' for write.\n";
inline constexpr char kFailedToWriteReport[] = "%s: Failed to write the report\n";
inline constexpr char kOutOfMemory[] = "%s: Out of memory\n";

// Defaults.
inline constexpr char kDefaultExcludePattern[] = "*.gif,*.jpg";
inline constexpr char kDefaultCustomerEnglish[] =
    "\"use the -c switch to place your company name here\"";
inline constexpr char kDefaultCustomerNorwegian[] = "Brennholm Konsult";

// File selection and reading.
inline constexpr char kNoFilesMatch[] = "%s: No files match pattern: %s\n";
inline constexpr char kSuspectAttributes[] =
    "%s: Skipping %s due to suspect file attributes...\n";
inline constexpr char kProcessingFile[] = "%s: Processing file %s\n";
inline constexpr char kUnableToOpen[] = "%s: Unable to open file %s for read\n";
inline constexpr char kLogLine[] = "Log line: %s\n";
inline constexpr char kCompressedFileDamaged[] =
    "%s: Compressed file %s is damaged; read up to the damage\n";
inline constexpr char kFieldsCountNothing[] =
    "%s: The #Fields line of %s names no %s; none of its lines can count\n";
inline constexpr char kReadError[] = "%s: Read error in %s; read up to the error\n";
inline constexpr char kStandardInputName[] = "-";
inline constexpr char kStandardInputAgain[] =
    "%s: Standard input was read already; a second - reads nothing\n";
inline constexpr char kLogIsOutput[] = "%s: '%s' is both a log file and the output file\n";

// The state that --state keeps between runs.
inline constexpr char kStateUnreadable[] = "%s: Unable to read the state file '%s'\n";
inline constexpr char kStateDamaged[] = "%s: The state file '%s' is damaged (%s)\n";
inline constexpr char kStateOtherVersion[] =
    "%s: The state file '%s' is of state version %u; this version reads version %u\n";
inline constexpr char kStateOtherFilters[] =
    "%s: The state file '%s' was made with %s '%s'; this run has %s '%s'\n";
inline constexpr char kStateNotSaved[] =
    "%s: Failed to save the state file '%s'; it keeps what it held\n";
inline constexpr char kAlreadyCounted[] = "%s: %s was counted to its end before; not read again\n";
inline constexpr char kStateAfterLog[] = "%s: --state must come before the first log file\n";
// Why a state file is damaged, for kStateDamaged.
inline constexpr char kStateNotAState[] = "not a state file";
inline constexpr char kStateCutShort[] = "cut short";
inline constexpr char kStateChecksum[] = "its checksum does not match";
inline constexpr char kStateBadSection[] = "in its section of %s";
inline constexpr char kStateExtraBytes[] = "bytes after its last section";

// Line rejections, in filter order.
inline constexpr char kRejectIncomplete[] =
    "  Skipping line due to incomplete data (%d tokens)\n";
inline constexpr char kRejectTooManyFields[] =
    "  Skipping line. It has more fields than its #Fields line names\n";
inline constexpr char kRejectService[] =
    "  Skipping line due to wrong service (!W3SVC)\n";
inline constexpr char kRejectMethod[] =
    "  Skipping line due to wrong mode of operation (!GET)\n";
inline constexpr char kRejectServerIp[] =
    "  Skipping line due to wrong server IP number\n";
inline constexpr char kRejectRootPath[] =
    "  Skipping line due to wrong root path (%s)\n";
inline constexpr char kRejectClientIp[] =
    "  Skipping line. User IP is on exclude list(%s)\n";
inline constexpr char kUndefinedIp[] = "*undefined IP*";
inline constexpr char kRejectPattern[] =
    "  Skipping line. File is on exclude list (%s)\n";
inline constexpr char kRejectMissing[] =
    "  Skipping line due to missing parameter\n";

// Lines refused before or after the chain.
inline constexpr char kRejectContinuation[] =
    "  Skipping line. It continues a line longer than 2047 bytes\n";
inline constexpr char kRejectTooLong[] = "  Skipping line longer than 65536 bytes\n";

// Statistics.
inline constexpr char kBadDate[] = "Bad date (%s). Skipping line...\n";
inline constexpr char kRejectSite[] = "  Skipping line. Site %s is not one of --site\n";
inline constexpr char kRejectRobot[] = "  Skipping line. Agent %s is a robot\n";
inline constexpr char kRejectOutOfRange[] = "  Skipping line. Date %s %s is outside the range\n";

// Reverse lookup.
inline constexpr char kResolverUnavailable[] =
    "%s: Failed to load Winsock. Can't do DNS lookup...\n";
inline constexpr char kLookupStart[] =
    "Performing reverse DNS lookup on %d on top users...\n";
inline constexpr char kLookingUp[] = "  Looking up %s... ";
inline constexpr char kUnresolved[] = "[unresolved]";

// Report.
inline constexpr char kBadDateText[] = "[feil i datoformat]";
inline constexpr char kRow[] = "%3d %-40s %7" PRId64 "\n";

struct ReportTexts {
  const char* title;
  const char* hits_total;
  const char* sessions_total;
  const char* pages_heading;
  const char* pages_header;
  const char* users_heading;
  const char* users_header;
};

inline constexpr ReportTexts kEnglish = {
    "Web page hit statistics for %s from %s to %s\n",
    "\n\nTotal number of hits: %" PRId64 "\n",
    "Total number of user sessions: %" PRId64 "\n",
    "\nThe %d most visited pages:\n\n",
    "  # Page                                     Hits\n",
    "\nThe %d most active users:\n\n",
    "  # User                                     Hits\n",
};

// The Norwegian texts once more, with the letter written as UTF-8, for a
// report shown on a terminal that reads UTF-8.
inline constexpr ReportTexts kNorwegianUtf8 = {
    "Bes\xC3\xB8ksstatistikk for %s i perioden %s til %s\n",
    "\n\nTotalt antall oppslag i perioden: %" PRId64 "\n",
    "Totalt antall brukersesjoner i perioden: %" PRId64 "\n",
    "\nDe %d mest bes\xC3\xB8kte sidene i perioden:\n\n",
    "  # Side                                     Oppslag\n",
    "\nDe %d mest aktive brukerne i perioden:\n\n",
    "  # Bruker                                   Oppslag\n",
};

inline constexpr ReportTexts kNorwegian = {
    "Bes\xF8ksstatistikk for %s i perioden %s til %s\n",
    "\n\nTotalt antall oppslag i perioden: %" PRId64 "\n",
    "Totalt antall brukersesjoner i perioden: %" PRId64 "\n",
    "\nDe %d mest bes\xF8kte sidene i perioden:\n\n",
    "  # Side                                     Oppslag\n",
    "\nDe %d mest aktive brukerne i perioden:\n\n",
    "  # Bruker                                   Oppslag\n",
};

}  // namespace texts
