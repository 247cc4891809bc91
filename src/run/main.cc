// The program's entry: the real file system, the system resolver and the
// process's time zone, handed to one run.
#include <cstdio>
#include <new>

#include "platform/directory_search.h"
#include "platform/local_time.h"
#include "platform/resolver.h"
#include "platform/terminal.h"
#include "run/run.h"
#include "texts.h"

int main(int argc, char** argv) {
  // A console shows the report's characters, and is left as it was.
  const ConsoleCharset console;
  SystemDirectorySearch directories;
  SystemResolver resolver;
  Run run(&directories, &resolver, StandardSecondsWest());
  // What is only for a person goes only to a terminal.
  const bool terminal = IsTerminal(stderr);
  run.progress = Progress(stderr, terminal, SteadySeconds, [] { return TerminalColumns(stderr); });
  run.tell_terminal = terminal;
  run.utf8_locale = LocaleIsUtf8();
  try {
    return RunMain(&run, argc, argv);
  } catch (const std::bad_alloc&) {
    // Nothing may go on with a record missing.
    run.progress.Erase();
    std::fprintf(stderr, texts::kOutOfMemory, run.options.ProgramName);
    return kExitFailure;
  }
}
