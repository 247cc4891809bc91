// Reverse lookup of the top users' host names. Sets HostName, nothing else.
#pragma once

#include <cstdio>

struct Options;
struct Statistics;
class Resolver;

/// Looks up the first NumUsersToShow users of the ranked list, one resolver
/// call each, with progress on `diag` when Verbose is on.
void ResolveTopUsers(const Options& options, Statistics* stats,
                     Resolver* resolver, std::FILE* diag);
