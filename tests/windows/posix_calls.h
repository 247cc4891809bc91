// The few POSIX calls of the unit tests in their Windows forms, included
// before every test file of the Windows build. What Windows has no form
// for (symbolic links, FIFOs) fails, and the tests that need it are left
// out under Wine (skipped-tests beside this file).
#pragma once

#include <cstdlib>
#include <ctime>

#include <direct.h>
#include <io.h>

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
inline void tzset() { _tzset(); }
inline char* mkdtemp(char* pattern) {
  return _mktemp(pattern) != nullptr && _mkdir(pattern) == 0 ? pattern : nullptr;
}
inline int mkdir(const char* path, int) { return _mkdir(path); }
inline int symlink(const char*, const char*) { return -1; }
inline int mkfifo(const char*, int) { return -1; }
