// The program's entry: the real file system, the system resolver and the
// process's time zone, handed to one run.
#include <cstdio>
#include <new>

#include "platform/directory_search.h"
#include "platform/file_replace.h"
#include "platform/local_time.h"
#include "platform/resolver.h"
#include "platform/terminal.h"
#include "run/run.h"
#include "texts.h"

int main(int argc, char** argv) {
  // A console shows the report's characters, and is left as it was.
  const ConsoleCharset console;
  // A report cut short by the limit on file sizes is a failure to tell.
  FailWritesPastSizeLimit();
  SystemDirectorySearch directories;
  SystemResolver resolver;
  Run run(&directories, &resolver, StandardSecondsWest());
  // What is only for a person goes only to a terminal.
  const bool terminal = IsTerminal(stderr);
  run.utf8_locale = LocaleIsUtf8();
  // Texts from logs, names and options are escaped there as its character
  // set reads them.
  run.options.message_escape = !terminal          ? TextEscape::kNone
                               : run.utf8_locale ? TextEscape::kUtf8Terminal
                                                 : TextEscape::kTerminal;
  run.progress = Progress(stderr, terminal, SteadySeconds, [] { return TerminalColumns(stderr); },
                          run.options.message_escape);
  run.tell_terminal = terminal;
  try {
    return RunMain(&run, argc, argv);
  } catch (const std::bad_alloc&) {
    // Nothing may go on with a record missing.
    run.progress.Erase();
    std::fprintf(stderr, texts::kOutOfMemory, run.options.ProgramName);
    return kExitFailure;
  }
}
