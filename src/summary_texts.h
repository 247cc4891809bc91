// The fixed texts of the summary and the hints that a terminal shows after
// the report, in English and in Norwegian; with the rest of the program's
// texts in texts.h, which includes this file.
#pragma once

#include <cinttypes>

namespace texts {

// The run summary on a terminal: each line begins with the program's name.
inline constexpr char kSummaryNoFileRead[] = "%s: no file read\n";
inline constexpr char kSummaryFilesRead[] = "%s: %" PRId64 " %s read: ";
inline constexpr char kSummaryCommaFiles[] = "%" PRId64 " comma-separated";
inline constexpr char kSummaryW3cFiles[] = "%" PRId64 " W3C extended";
inline constexpr char kSummaryCompressed[] = " (%" PRId64 " compressed)";
inline constexpr char kSummaryProblemFiles[] = "%s: %" PRId64 " %s %s: ";
inline constexpr char kSummaryMoreNames[] = " and %" PRId64 " more";
// One per way a file may be skipped or cut short, in FileProblem order.
inline constexpr const char* kSummaryProblems[] = {
    "skipped as missing",
    "skipped as unreadable",
    "skipped as not a regular file",
    "damaged, read up to the damage",
    "cut short by a read error",
};
inline constexpr char kSummaryAlreadyCounted[] = "already counted (in the state), not read again";
inline constexpr char kSummaryEmptyPattern[] = "%s: '%s' matched no file\n";
inline constexpr char kSummaryLines[] = "%s: %" PRId64 " %s read";
inline constexpr char kSummaryDirectives[] = " (%" PRId64 " W3C directives)";
inline constexpr char kSummaryCountedLeftOut[] = ", %" PRId64 " counted, %" PRId64 " left out";
// The lines left out, one reason a line under the count, the counts aligned.
inline constexpr char kSummaryReason[] = "  %*" PRId64 " %s\n";
// One per rejection message, in filter order, then the bad date's.
inline constexpr const char* kSummaryRejections[] = {
    "",  // accepted
    "incomplete data",
    "more fields than its #Fields line names",
    "wrong service (not W3SVC)",
    "wrong mode of operation (not GET)",
    "wrong server IP number",
    "wrong root path",
    "user IP on the exclude list",
    "file on the exclude list",
    "missing parameter",
    "continuing a line longer than 2047 bytes",
    "longer than 65536 bytes",
};
inline constexpr char kSummaryOtherSite[] = "of a site --site does not name";
inline constexpr char kSummaryBadDates[] = "bad date";
inline constexpr char kSummaryOutOfRange[] = "outside the date range";
inline constexpr char kSummaryContinuations[] =
    "%s: %" PRId64 " %s past the first 2047 bytes of a line (continuation), never counted\n";

// Hints for the common mistakes, after the summary.
inline constexpr char kHintGluedValue[] =
    "%s: '%s' matched no file: values are glued to their option, as in %s%s\n";
inline constexpr char kHintAfterLastPattern[] =
    "%s: %s comes after the last log pattern, so it applied to no file\n";
inline constexpr char kHintRefusedMask[] =
    "%s: mask '%s' was not understood: write each of the four parts as n, n-m or *\n";
inline constexpr char kHintOutputGlued[] =
    "%s: -o was given no file name: values are glued to their option, as in -o%s\n";
inline constexpr char kHintOutputError[] = "%s: '%s' cannot be written: %s\n";
inline constexpr char kHintClientInComma[] =
    "%s: --client reads a W3C field; comma-separated logs have none, so their "
    "lines keep the address they have\n";
inline constexpr char kHintNotIis[] = "%s: no line had the IIS fields: is this an IIS log?\n";
inline constexpr char kHintOutOfTimeOrder[] =
    "%s: the period ends before it starts: the files were read out of time order; "
    "name them oldest first\n";
inline constexpr char kHintRangeMissed[] =
    "%s: no line fell in the date range; the lines read run from %s to %s\n";

// The summary and the hints as a whole, in the report's language: the
// English ones above, and the Norwegian ones (in Windows-1252, as the
// report; a UTF-8 terminal gets them in UTF-8).
struct SummaryTexts {
  const char* files_read;
  const char* file;
  const char* files;
  const char* comma_files;
  const char* w3c_files;
  const char* compressed;
  const char* problem_files;
  const char* more_names;
  const char* const* problems;  // in FileProblem order
  const char* empty_pattern;
  const char* lines_read;
  const char* line;
  const char* lines;
  const char* directives;
  const char* counted_left_out;
  const char* const* rejections;  // by line verdict
  const char* other_site;
  const char* robots;
  const char* bad_dates;
  const char* out_of_range;
  const char* continuations;
  const char* piece;
  const char* pieces;
  const char* glued_value;
  const char* after_last_pattern;
  const char* refused_mask;
  const char* client_in_comma;
  const char* not_iis;
  const char* out_of_time_order;
  const char* range_missed;
  const char* output_glued;
  const char* output_error;
  const char* already_counted;  // for problem_files, as a reason
};

inline constexpr SummaryTexts kSummaryEnglish = {
    kSummaryFilesRead, "file", "files", kSummaryCommaFiles, kSummaryW3cFiles,
    kSummaryCompressed, kSummaryProblemFiles, kSummaryMoreNames, kSummaryProblems,
    kSummaryEmptyPattern, kSummaryLines, "line", "lines", kSummaryDirectives,
    kSummaryCountedLeftOut, kSummaryRejections, kSummaryOtherSite, "robot", kSummaryBadDates, kSummaryOutOfRange,
    kSummaryContinuations, "piece", "pieces", kHintGluedValue, kHintAfterLastPattern,
    kHintRefusedMask, kHintClientInComma, kHintNotIis, kHintOutOfTimeOrder, kHintRangeMissed, kHintOutputGlued,
    kHintOutputError, kSummaryAlreadyCounted,
};

inline constexpr const char* kSummaryProblemsNorwegian[] = {
    "hoppet over: finnes ikke",
    "hoppet over: kan ikke leses",
    "hoppet over: ikke en vanlig fil",
    "skadet, lest fram til skaden",
    "avbrutt av en lesefeil",
};
inline constexpr const char* kSummaryRejectionsNorwegian[] = {
    "",
    "ufullstendige data",
    "flere felt enn #Fields-linjen navngir",
    "feil tjeneste (ikke W3SVC)",
    "feil metode (ikke GET)",
    "feil server-IP",
    "feil rotsti",
    "bruker-IP p\xE5 ekskluderingslisten",
    "fil p\xE5 ekskluderingslisten",
    "manglende parameter",
    "fortsetter en linje lengre enn 2047 byte",
    "lengre enn 65536 byte",
};

inline constexpr SummaryTexts kSummaryNorwegian = {
    "%s: %" PRId64 " %s lest: ",
    "fil",
    "filer",
    "%" PRId64 " kommaseparerte",
    "%" PRId64 " W3C extended",
    " (%" PRId64 " komprimerte)",
    "%s: %" PRId64 " %s %s: ",
    " og %" PRId64 " til",
    kSummaryProblemsNorwegian,
    "%s: '%s' ga ingen treff\n",
    "%s: %" PRId64 " %s lest",
    "linje",
    "linjer",
    " (%" PRId64 " W3C-direktiver)",
    ", %" PRId64 " talt, %" PRId64 " utelatt",
    kSummaryRejectionsNorwegian,
    "fra et nettsted --site ikke nevner",
    "robot",
    "ugyldig dato",
    "utenfor datoperioden",
    "%s: %" PRId64 " %s etter de f\xF8rste 2047 byte av en linje (fortsettelse), aldri talt\n",
    "bit",
    "biter",
    "%s: '%s' ga ingen treff: verdier skrives inntil valget sitt, som i %s%s\n",
    "%s: %s kommer etter det siste loggm\xF8nsteret, og gjaldt derfor ingen fil\n",
    "%s: masken '%s' ble ikke forst\xE5tt: skriv hver av de fire delene som n, n-m eller *\n",
    "%s: --client leser et W3C-felt; kommaseparerte logger har det ikke, s\xE5 "
    "linjene deres beholder adressen de har\n",
    "%s: ingen linje hadde IIS-feltene: er dette en IIS-logg?\n",
    "%s: perioden slutter f\xF8r den begynner: filene ble lest i feil tidsrekkef\xF8lge; "
    "oppgi de eldste f\xF8rst\n",
    "%s: ingen linje falt i datoperioden; linjene som ble lest, g\xE5r fra %s til %s\n",
    "%s: -o fikk ikke noe filnavn: verdier skrives inntil valget sitt, som i -o%s\n",
    "%s: '%s' kan ikke skrives: %s\n",
    "allerede talt (i tilstanden), ikke lest p\xE5 nytt",
};

}  // namespace texts
