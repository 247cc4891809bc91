// vantrix_count_modes: reads one log as the program does (-n10 -u10, no
// lookups) on THREADS threads, counting each chunk either shard by shard
// on any thread, or whole on one thread at a time. Prints the hit total;
// the benchmark script times it.
//
//   vantrix_count_modes sharded|whole THREADS LOG
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "intake/log_file.h"
#include "options.h"
#include "stats/ranking.h"
#include "stats/records.h"

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[1], "sharded") != 0 && std::strcmp(argv[1], "whole") != 0)) {
    std::fputs("usage: vantrix_count_modes sharded|whole THREADS LOG\n", stderr);
    return 2;
  }
  const int fd = ::open(argv[3], O_RDONLY);
  struct stat info;
  if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size == 0) {
    std::perror(argv[3]);
    return 2;
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (bytes == MAP_FAILED) {
    std::perror("mmap");
    return 2;
  }

  Options options;
  ReadTuning tuning;
  tuning.threads = std::atoi(argv[2]);
  tuning.count_by_shard = std::strcmp(argv[1], "sharded") == 0;
  Statistics stats;
  std::FILE* diag = std::fopen("/dev/null", "w");
  ReadLogText(options, &stats, diag, std::string_view(static_cast<const char*>(bytes), size),
              tuning);
  RankByHits(&stats);
  std::printf("%lld\n", static_cast<long long>(stats.totals.TotalHits));
  return 0;
}
