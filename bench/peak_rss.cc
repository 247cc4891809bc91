// vantrix_peak_rss: runs a command and writes its wall time in seconds, its
// peak resident memory in KiB and its user and system CPU seconds,
// "%e %M %U %S" as GNU time prints them, to a file. The benchmark script
// uses it where GNU time is not installed.
//
//   vantrix_peak_rss OUT COMMAND [ARG...]
#include <cstdio>
#include <ctime>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: vantrix_peak_rss OUT COMMAND [ARG...]\n", stderr);
    return 2;
  }
  timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t child = fork();
  if (child < 0) {
    std::perror("vantrix_peak_rss: fork");
    return 2;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror("vantrix_peak_rss: exec");
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) {
    std::perror("vantrix_peak_rss: wait");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  double wall = static_cast<double>(end.tv_sec - start.tv_sec) +
                static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  std::fprintf(out, "%.3f %ld %.2f %.2f\n", wall, usage.ru_maxrss, seconds(usage.ru_utime),
               seconds(usage.ru_stime));
  std::fclose(out);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}
