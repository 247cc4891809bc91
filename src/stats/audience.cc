#include "stats/audience.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "bytes/hash.h"
#include "bytes/same_bytes.h"

namespace {

// The entry of `text` (its first `limit` bytes), made empty if there is none.
template <typename Value>
Value& Entry(TextMap<Value>* map, std::string_view text, std::size_t limit) {
  text = text.substr(0, limit);
  auto found = map->find(text);
  if (found == map->end()) found = map->emplace(std::string(text), Value{}).first;
  return found->second;
}

void AddReferrer(ReferrerRequests* row, const ReferrerRequests& n) {
  row->requests += n.requests;
  row->page_hits += n.page_hits;
}

}  // namespace

RecordIndex AgentTable::Lookup(std::string_view text, std::uint64_t hash) const {
  return index_.Find(hash, [&](RecordIndex i) { return SameText(entries_[i].text, text); });
}

RecordIndex AgentTable::Index(std::string_view text, std::uint64_t hash) {
  RecordIndex index = Lookup(text, hash);
  if (index != kNoRecord) return index;
  index = static_cast<RecordIndex>(entries_.size());
  entries_.push_back({{texts_.Copy(text), text.size()}, {}});
  index_.Insert(hash, index);
  return index;
}

bool AgentTable::Add(std::string_view text, const AgentRequests& counts) {
  const std::uint64_t hash = Hash(text);
  if (Lookup(text, hash) != kNoRecord) return false;
  entries_[Index(text, hash)].counts = counts;
  return true;
}

const AgentRequests& AgentTable::at(std::string_view text) const {
  const RecordIndex index = Lookup(text, Hash(text));
  if (index == kNoRecord) throw std::out_of_range("no such agent");
  return entries_[index].counts;
}

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
    AddReferrer(&Entry(&audience->referrer_hosts, in.referrer_host, kMaxReferrerBytes), one);
    AddReferrer(&Entry(&audience->referrer_pages, in.referrer, kMaxReferrerBytes), one);
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
      AgentRequests& agent = into->agents[into->agents.Index(text, into->agents.Hash(text))].counts;
      agent.requests += n.requests;
      agent.page_hits += n.page_hits;
      AddSaturating(&agent.bytes, n.bytes);
      agent.asked_robots_txt = agent.asked_robots_txt || n.asked_robots_txt;
    }
  }
  for (const auto& [text, n] : from.referrer_hosts) AddReferrer(&into->referrer_hosts[text], n);
  for (const auto& [text, n] : from.referrer_pages) AddReferrer(&into->referrer_pages[text], n);
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
