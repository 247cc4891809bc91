// The state's section of who is behind the requests: agents, referrers and
// sites with their users' keys, in a fixed order so that a state taken and
// saved again is the same bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "run/run.h"
#include "run/state_sections.h"

namespace {

// The value of a table's row: a pair, or a text and its counts.
template <typename Row>
const auto& ValueOf(const Row& row) {
  const auto& [text, value] = row;
  return value;
}

template <typename Map>
auto Sorted(const Map& map) {
  using Value = std::remove_cvref_t<decltype(ValueOf(*map.begin()))>;
  std::vector<std::pair<std::string_view, const Value*>> rows;
  rows.reserve(map.size());
  for (const auto& [text, value] : map) rows.emplace_back(text, &value);
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  return rows;
}

void WriteReferrers(const TextTable<ReferrerRequests>& map, StateWriter* out) {
  out->Unsigned(map.size());
  for (const auto& [text, n] : Sorted(map)) {
    out->Text(text);
    out->Signed(n->requests);
    out->Signed(n->page_hits);
  }
}

bool ReadReferrers(StateReader* in, std::size_t most_bytes, TextTable<ReferrerRequests>* map) {
  const std::uint64_t count = in->Count(3);
  for (std::uint64_t i = 0; i < count && in->ok(); ++i) {
    const std::string_view text = in->Text();
    const std::int64_t requests = in->Signed();
    const std::int64_t page_hits = in->Signed();
    if (text.size() > most_bytes || requests <= 0 || !IsCount(requests) || page_hits < 0 ||
        page_hits > requests || !map->Add(text, ReferrerRequests{requests, page_hits})) {
      return false;
    }
  }
  return in->ok();
}

}  // namespace

void WriteAudience(const Run& run, StateWriter* out) {
  const Audience& a = run.stats.requests.audience;
  out->Unsigned(a.has_agents ? 1 : 0);
  out->Unsigned(a.has_referrers ? 1 : 0);
  out->Unsigned(a.agents.size());
  for (const auto& [text, n] : Sorted(a.agents)) {
    out->Text(text);
    out->Signed(n->requests);
    out->Signed(n->page_hits);
    out->Signed(n->bytes);
    out->Unsigned(n->asked_robots_txt ? 1 : 0);
  }
  WriteReferrers(a.referrer_hosts, out);
  WriteReferrers(a.referrer_pages, out);
  out->Unsigned(a.sites.size());
  for (const auto& [name, n] : Sorted(a.sites)) {
    out->Text(name);
    out->Signed(n->requests);
    out->Signed(n->page_hits);
    out->Signed(n->bytes);
    out->Signed(n->errors);
    std::vector<std::uint64_t> users;
    users.reserve(n->users.size());
    n->users.ForEach([&](std::uint64_t key) { users.push_back(key); });
    std::sort(users.begin(), users.end());
    out->Unsigned(users.size());
    for (const std::uint64_t key : users) out->Fixed64(key);
  }
}

bool ReadAudience(Run* run, StateReader* in) {
  Audience& a = run->stats.requests.audience;
  a.has_agents = in->Bool();
  a.has_referrers = in->Bool();
  const std::uint64_t agents = in->Count(5);
  for (std::uint64_t i = 0; i < agents && in->ok(); ++i) {
    const std::string_view text = in->Text();
    AgentRequests n;
    n.requests = in->Signed();
    n.page_hits = in->Signed();
    n.bytes = in->Signed();
    n.asked_robots_txt = in->Bool();
    if (text.size() > kMaxAgentTextBytes || n.requests <= 0 || !IsCount(n.requests) ||
        n.page_hits < 0 || n.page_hits > n.requests || !IsCount(n.bytes) ||
        !a.agents.Add(text, n)) {
      return false;
    }
  }
  if (!ReadReferrers(in, kMaxReferrerBytes, &a.referrer_hosts) ||
      !ReadReferrers(in, kMaxReferrerBytes, &a.referrer_pages)) {
    return false;
  }
  const std::uint64_t sites = in->Count(6);
  for (std::uint64_t i = 0; i < sites && in->ok(); ++i) {
    auto [site, made] = a.sites.try_emplace(std::string(in->Text()));
    if (!made) return false;  // a site twice
    SiteRequests& n = site->second;
    n.users = KeySet(a.seed);
    n.requests = in->Signed();
    n.page_hits = in->Signed();
    n.bytes = in->Signed();
    n.errors = in->Signed();
    const std::uint64_t users = in->Count(8);
    if (n.requests <= 0 || !IsCount(n.requests) || n.page_hits < 0 || n.page_hits > n.requests ||
        !IsCount(n.bytes) || n.errors < 0 || n.errors > n.requests ||
        users > static_cast<std::uint64_t>(n.page_hits)) {
      return false;
    }
    n.users.Reserve(users);
    for (std::uint64_t u = 0; u < users && in->ok(); ++u) {
      if (!n.users.Insert(in->Fixed64())) return false;
    }
  }
  return in->ok();
}
