// Who is behind the requests: the user agents, the referrers from other
// sites and the sites of the logs, counted per distinct text. An agent is
// classified (robot, browser, system) once per distinct text when the
// report is made, never per line. Gathered with the health panels, only for
// the JSON report and the web page.
//
// Memory: one entry per distinct agent (at most kMaxAgentBytes of it kept,
// about 100 bytes with its node beside the text), per distinct referring
// host and page (at most kMaxReferrerBytes kept), and per site, with 8
// bytes for each distinct client of its page hits.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bytes/hash.h"
#include "stats/key_set.h"
#include "stats/storage.h"
#include "stats/text_table.h"

/// The longest agent and referrer texts kept; past it, texts that begin
/// alike are counted as one.
inline constexpr std::size_t kMaxAgentTextBytes = 1024;
inline constexpr std::size_t kMaxReferrerBytes = 1024;

/// What a line says of who asked, views into the line.
struct AudienceInput {
  std::string_view agent;     // cs(User-Agent); empty when absent or "-"
  std::string_view referrer;  // the referring page, another site's only
  std::string_view referrer_host;
  std::string_view site;
  std::string_view client;
  bool agent_field = false;     // the log names cs(User-Agent)
  bool referrer_field = false;  // the log names cs(Referer)
  bool robots_txt = false;      // the request asked for /robots.txt
  bool page_hit = false;
  bool error = false;
  std::int64_t bytes = -1;
  std::uint64_t user_key = 0;  // UserKey(client) of a page hit, or 0: not found yet
  std::uint64_t agent_hash = 0;  // the agent table's hash of the agent, or 0: not found yet
  /// The batch's cursor remembers the agent, as a pass over the batch
  /// before foresaw: not compared again.
  bool agent_remembered = false;
};

struct AgentRequests {
  std::int64_t requests = 0;
  std::int64_t page_hits = 0;
  std::int64_t bytes = 0;
  bool asked_robots_txt = false;  // any of its requests asked for /robots.txt
};

struct ReferrerRequests {
  std::int64_t requests = 0;
  std::int64_t page_hits = 0;
};

/// The hash of a client address that a site's set of users keeps: the same
/// in every run, so that sets saved by one run add up in the next.
std::uint64_t UserKey(std::string_view address);

struct SiteRequests {
  std::int64_t requests = 0;
  std::int64_t page_hits = 0;
  std::int64_t bytes = 0;
  std::int64_t errors = 0;
  KeySet users;
};

/// Texts from the logs hashed with a key of the run where the table has
/// one, so that texts chosen to collide do not.
struct TextHash {
  using is_transparent = void;
  std::uint64_t seed = 0;
  std::size_t operator()(std::string_view text) const {
    return static_cast<std::size_t>(HashBytes(text, seed));
  }
};
template <typename Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

/// The requests of each distinct agent.
using AgentTable = TextTable<AgentRequests>;

struct Audience {
  explicit Audience(std::uint64_t key_seed = 0)
      : seed(key_seed),
        agents(key_seed),
        referrer_hosts(key_seed),
        referrer_pages(key_seed),
        sites(0, TextHash{key_seed}) {}
  std::uint64_t seed;
  bool has_agents = false;
  bool has_referrers = false;
  AgentTable agents;  // "" for requests without an agent
  TextTable<ReferrerRequests> referrer_hosts;
  TextTable<ReferrerRequests> referrer_pages;
  TextMap<SiteRequests> sites;  // "" for requests of no site
};

/// The entries the requests of a batch went to lately: most requests share
/// their site with the one before, and their agent with one of a few seen
/// just before. An agent is remembered in the place its length and two of
/// its bytes pick; a text that looks up another's place finds it there
/// unequal and goes to the table.
struct AudienceCursor {
  struct Agent {
    std::string_view text;
    RecordIndex entry = kNoRecord;  // in the agent table
  };
  static constexpr std::size_t kAgents = 16;
  std::array<Agent, kAgents> agents;

  /// The place of an agent among those remembered: agents that differ
  /// mostly differ in length, or in a version near their middle or end.
  static std::size_t Place(std::string_view text) {
    if (text.empty()) return 0;
    const auto byte = [&](std::size_t i) -> std::size_t {
      return static_cast<unsigned char>(text[i]);
    };
    const std::size_t mix =
        text.size() * 0x9E3779B1u + byte(text.size() / 2) * 31u + byte(text.size() - 1);
    return (mix ^ mix >> 7) % kAgents;
  }
  std::string_view site_text;
  SiteRequests* site = nullptr;
};

/// Adds `n` (not negative) to `*sum`, stopping at the largest count rather
/// than wrapping: sums of logged values.
inline void AddSaturating(std::int64_t* sum, std::int64_t n) {
  *sum = *sum > INT64_MAX - n ? INT64_MAX : *sum + n;
}

void AddAudience(Audience* audience, const AudienceInput& in, AudienceCursor* cursor);
void MergeAudience(Audience* into, Audience&& from);
