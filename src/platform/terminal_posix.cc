#include "platform/terminal.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <clocale>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kDefaultColumns = 80;

// True when the name of a locale names the UTF-8 character set, as in
// "nb_NO.UTF-8" or "C.utf8".
bool NamesUtf8(const char* name) {
  if (name == nullptr) return false;
  const std::string text(name);
  std::string folded;
  for (char c : text) {
    if (c == '-') continue;
    folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return folded.find(".utf8") != std::string::npos;
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  const int fd = fileno(stream);
  return fd >= 0 && isatty(fd) != 0;
}

int TerminalColumns(std::FILE* stream) {
  const int fd = fileno(stream);
  winsize size{};
  if (fd >= 0 && ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  // A terminal that does not know its size (a pseudo-terminal nobody has
  // sized, say): the shell's idea of it.
  if (const char* columns = std::getenv("COLUMNS")) {
    const long n = std::strtol(columns, nullptr, 10);
    if (n > 0 && n < 10000) return static_cast<int>(n);
  }
  return kDefaultColumns;
}

bool LocaleIsUtf8() {
  // The run keeps the "C" locale: the user's is taken only to read its
  // character set, and put back at once. This runs before any thread starts.
  // NOLINTNEXTLINE(concurrency-mt-unsafe): one thread yet
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {  // NOLINT(concurrency-mt-unsafe): one thread yet
    utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  } else {
    // The locale is not installed here, but its name still tells what the
    // terminal writes.
    const char* name = std::getenv("LC_ALL");
    if (name == nullptr || *name == '\0') name = std::getenv("LC_CTYPE");
    if (name == nullptr || *name == '\0') name = std::getenv("LANG");
    utf8 = NamesUtf8(name);
  }
  std::setlocale(LC_CTYPE, saved.c_str());  // NOLINT(concurrency-mt-unsafe): one thread yet
  return utf8;
}

ConsoleCharset::ConsoleCharset() = default;
ConsoleCharset::~ConsoleCharset() = default;
