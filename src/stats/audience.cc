#include "stats/audience.h"

#include <algorithm>
#include <climits>

#include "bytes/hash.h"

namespace {

// The counts of `text` (its first `limit` bytes), made if there are none.
template <typename Counts>
Counts& CountsOf(TextTable<Counts>* table, std::string_view text, std::size_t limit) {
  return table->Of(text.substr(0, limit));
}

void AddReferrer(ReferrerRequests* row, const ReferrerRequests& n) {
  row->requests += n.requests;
  row->page_hits += n.page_hits;
}

}  // namespace

// A fixed key: the keys of one run must match the next run's.
std::uint64_t UserKey(std::string_view address) { return HashBytes(address, 0x76616e7472697875); }

void AddAudience(Audience* audience, const AudienceInput& in, AudienceCursor* cursor) {
  const std::int64_t bytes = std::max<std::int64_t>(in.bytes, 0);
  if (in.agent_field) {
    audience->has_agents = true;
    const std::string_view text = in.agent.substr(0, kMaxAgentTextBytes);
    AudienceCursor::Agent& seen = cursor->agents[AudienceCursor::Place(text)];
    if (!in.agent_remembered && (seen.entry == kNoRecord || seen.text != text)) {
      AgentTable& agents = audience->agents;
      seen.entry = agents.Index(text, in.agent_hash != 0 ? in.agent_hash : agents.Hash(text));
      seen.text = agents[seen.entry].text;
    }
    AgentRequests& agent = audience->agents[seen.entry].counts;
    ++agent.requests;
    if (in.page_hit) ++agent.page_hits;
    AddSaturating(&agent.bytes, bytes);
    if (in.robots_txt) agent.asked_robots_txt = true;
  }
  if (in.referrer_field) audience->has_referrers = true;
  if (!in.referrer_host.empty()) {
    const ReferrerRequests one{1, in.page_hit ? 1 : 0};
    AddReferrer(&CountsOf(&audience->referrer_hosts, in.referrer_host, kMaxReferrerBytes), one);
    AddReferrer(&CountsOf(&audience->referrer_pages, in.referrer, kMaxReferrerBytes), one);
  }
  if (cursor->site == nullptr || cursor->site_text != in.site) {
    auto site = audience->sites.find(in.site);
    if (site == audience->sites.end()) {
      site = audience->sites.emplace(std::string(in.site), SiteRequests{}).first;
      site->second.users = KeySet(audience->seed);
    }
    cursor->site_text = site->first;
    cursor->site = &site->second;
  }
  SiteRequests& row = *cursor->site;
  ++row.requests;
  AddSaturating(&row.bytes, bytes);
  if (in.error) ++row.errors;
  if (in.page_hit) {
    ++row.page_hits;
    row.users.Insert(in.user_key != 0 ? in.user_key : UserKey(in.client));
  }
}

void MergeAudience(Audience* into, Audience&& from) {
  into->has_agents = into->has_agents || from.has_agents;
  into->has_referrers = into->has_referrers || from.has_referrers;
  if (into->agents.empty()) {
    into->agents = std::move(from.agents);
  } else {
    for (const auto& [text, n] : from.agents) {
      AgentRequests& agent = into->agents.Of(text);
      agent.requests += n.requests;
      agent.page_hits += n.page_hits;
      AddSaturating(&agent.bytes, n.bytes);
      agent.asked_robots_txt = agent.asked_robots_txt || n.asked_robots_txt;
    }
  }
  for (const auto& [text, n] : from.referrer_hosts) AddReferrer(&into->referrer_hosts.Of(text), n);
  for (const auto& [text, n] : from.referrer_pages) AddReferrer(&into->referrer_pages.Of(text), n);
  for (auto& [name, n] : from.sites) {
    auto [site, made] = into->sites.try_emplace(name);
    // The set is placed by the run's key, whichever worker made it.
    if (made) site->second.users = KeySet(into->seed);
    SiteRequests& row = site->second;
    row.requests += n.requests;
    row.page_hits += n.page_hits;
    AddSaturating(&row.bytes, n.bytes);
    row.errors += n.errors;
    row.users.Reserve(row.users.size() + n.users.size());
    n.users.ForEach([&](std::uint64_t key) { row.users.Insert(key); });
  }
}
