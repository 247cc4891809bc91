// What the program asks of the terminal it may be writing to: whether a
// stream is one, how wide it is, and whether the user's locale writes UTF-8.
#pragma once

#include <cstdio>

/// True when `stream` is a terminal.
bool IsTerminal(std::FILE* stream);

/// The width in columns of the terminal `stream` is on: the terminal's own
/// size, else COLUMNS from the environment, else 80.
int TerminalColumns(std::FILE* stream);

/// True when the user's locale (LC_ALL, LC_CTYPE or LANG) has the UTF-8
/// character set. The program's own locale stays as it was.
bool LocaleIsUtf8();

/// While it lives, a console the program writes to shows the report's
/// character set, Windows-1252 (the Norwegian "ø" as the byte 0xF8), and
/// afterwards what it showed before. Nothing on a POSIX terminal, whose
/// character set the locale tells (LocaleIsUtf8).
class ConsoleCharset {
 public:
  ConsoleCharset();
  // NOLINTNEXTLINE(performance-trivially-destructible): on Windows it puts the console back
  ~ConsoleCharset();
  ConsoleCharset(const ConsoleCharset&) = delete;
  ConsoleCharset& operator=(const ConsoleCharset&) = delete;
};
