// Reverse lookup of the top users' host names. Fills host_names, nothing else.
#pragma once

#include <cstddef>
#include <cstdio>

struct Options;
struct Statistics;
class Resolver;

/// Hears how the lookups get on, for a note on the terminal while they are
/// outstanding. Called only on the thread that called ResolveTopUsers.
class LookupObserver {
 public:
  virtual ~LookupObserver() = default;
  virtual void LookupsStarted(std::size_t total) = 0;
  /// `answered` of the lookups are in; called while waiting for one, as
  /// answers come in and a few times a second.
  virtual void LookupsAnswered(std::size_t answered) = 0;
  virtual void LookupsFinished() = 0;
};

/// Lookups in flight at once, at most.
inline constexpr int kMaxLookupsInFlight = 32;

/// Looks up the first NumUsersToShow users of the ranked list, one resolver
/// call each, up to `max_in_flight` of them at once. The messages on `diag`
/// (when Verbose is on) come in list order, each when its turn comes.
void ResolveTopUsers(const Options& options, Statistics* stats, Resolver* resolver,
                     std::FILE* diag, LookupObserver* observer = nullptr,
                     int max_in_flight = kMaxLookupsInFlight);
