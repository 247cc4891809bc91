#include "platform/terminal.h"

#include <cstdlib>

#include <io.h>
#include <windows.h>

namespace {

constexpr int kDefaultColumns = 80;
constexpr UINT kWindows1252 = 1252;

HANDLE HandleOf(std::FILE* stream) {
  const int fd = _fileno(stream);
  return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// The console's code page before the run, put back at its end and on
// Ctrl+C; 0 while the run has not changed it. The handler runs on a thread
// of its own, so this is the one value it can reach.
UINT saved_code_page = 0;

BOOL WINAPI RestoreOnBreak(DWORD) {
  if (saved_code_page != 0) SetConsoleOutputCP(saved_code_page);
  return FALSE;  // and the run ends as it would have
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  // A console answers GetConsoleMode; a file, a pipe or NUL does not.
  DWORD mode = 0;
  const HANDLE handle = HandleOf(stream);
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

int TerminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  const HANDLE handle = HandleOf(stream);
  if (handle != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(handle, &info) != 0) {
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) return columns;
  }
  if (const char* columns = std::getenv("COLUMNS")) {
    const long n = std::strtol(columns, nullptr, 10);
    if (n > 0 && n < 10000) return static_cast<int>(n);
  }
  return kDefaultColumns;
}

// The console shows the report's own bytes (ConsoleCharset): never UTF-8.
bool LocaleIsUtf8() { return false; }

ConsoleCharset::ConsoleCharset() {
  if (!IsTerminal(stdout) && !IsTerminal(stderr)) return;
  const UINT current = GetConsoleOutputCP();
  if (current == 0 || current == kWindows1252) return;
  if (SetConsoleOutputCP(kWindows1252) == 0) return;
  saved_code_page = current;
  SetConsoleCtrlHandler(RestoreOnBreak, TRUE);
}

ConsoleCharset::~ConsoleCharset() {
  if (saved_code_page == 0) return;
  std::fflush(stdout);
  std::fflush(stderr);
  SetConsoleOutputCP(saved_code_page);
  SetConsoleCtrlHandler(RestoreOnBreak, FALSE);
  saved_code_page = 0;
}
