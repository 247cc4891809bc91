#include "report/reverse_lookup.h"

#include <string>
#include <vector>

#include "bytes/field_text.h"
#include "options.h"
#include "platform/resolver.h"
#include "report/lookup_pool.h"
#include "stats/ranking.h"
#include "stats/records.h"
#include "texts.h"

namespace {

// The name service version asked for: 1.1, major version in the low byte.
constexpr std::uint16_t kRequestedVersion = 0x0101;

}  // namespace

void ResolveTopUsers(const Options& options, Statistics* stats, Resolver* resolver,
                     std::FILE* diag, LookupObserver* observer, int max_in_flight) {
  std::uint16_t granted = 0;
  if (resolver->StartUp(kRequestedVersion, &granted) != 0) {
    if (options.Verbose) std::fprintf(diag, texts::kResolverUnavailable, options.ProgramName);
    return;
  }
  const int major = granted & 0xFF;
  const int minor = granted >> 8;
  if (major != 1 || minor != major) {
    if (options.Verbose) std::fprintf(diag, texts::kResolverUnavailable, options.ProgramName);
    resolver->CleanUp();
    return;
  }

  if (options.Verbose) std::fprintf(diag, texts::kLookupStart, options.NumUsersToShow);
  // Addresses come from the logs, names from the name service.
  const TextEscape escape = options.message_escape;
  const std::vector<RecordIndex> users = TopUsers(*stats, options.NumUsersToShow);
  std::vector<LookupJob> jobs;
  jobs.reserve(users.size());
  for (RecordIndex i : users) jobs.push_back({stats->users[i].Address(), std::nullopt, false});

  if (observer != nullptr) observer->LookupsStarted(jobs.size());
  {
    // The lookups run ahead; the messages and the names follow in list
    // order, each user's once its own answer is in.
    LookupPool pool(resolver, &jobs, max_in_flight);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      if (options.Verbose) {
        std::fprintf(diag, texts::kLookingUp, FieldText(jobs[i].address, escape).text);
      }
      pool.Await(i, [observer](std::size_t answered) {
        if (observer != nullptr) observer->LookupsAnswered(answered);
      });
      const char* host = nullptr;
      if (jobs[i].name) {
        host = stats->texts.Copy(*jobs[i].name);
        stats->host_names[users[i]] = host;
      }
      if (options.Verbose) {
        std::fputs(host != nullptr ? FieldText(host, escape).text : texts::kUnresolved, diag);
        std::fputc('\n', diag);
      }
    }
  }
  if (observer != nullptr) observer->LookupsFinished();
  resolver->CleanUp();
}
