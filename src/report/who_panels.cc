#include "report/who_panels.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <iterator>
#include <locale>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>
#include <utility>

#include "platform/cpu.h"
#include "stats/requests.h"
#include "stats/robots.h"
#include "stats/user_agents.h"

namespace {

using Tally = std::map<std::string, NamedTraffic>;

void Add(Tally* tally, const std::string& name, const char* kind, std::int64_t requests,
         std::int64_t page_hits, std::int64_t bytes) {
  NamedTraffic& row = (*tally)[name];
  if (row.name.empty()) {
    row.name = name;
    row.kind = kind;
  }
  row.requests += requests;
  row.page_hits += page_hits;
  row.bytes += bytes;
}

// Most requests first, ties by name: the same order whatever order the
// counts were made in.
std::vector<NamedTraffic> Ranked(Tally&& tally, std::size_t rows) {
  std::vector<NamedTraffic> ranked;
  ranked.reserve(tally.size());
  for (auto& [name, row] : tally) ranked.push_back(std::move(row));
  std::stable_sort(ranked.begin(), ranked.end(), [](const NamedTraffic& a, const NamedTraffic& b) {
    return a.requests > b.requests;
  });
  if (ranked.size() > rows) ranked.resize(rows);
  return ranked;
}

std::string WithMajor(const std::string& family, const std::string& major) {
  return major.empty() ? family : family + " " + major;
}

// The first word of an agent ("MyCrawler" of "MyCrawler/1.0 (+http://...)").
std::string FirstWord(std::string_view agent) {
  const std::size_t end = agent.find_first_of("/ ;(");
  agent = agent.substr(0, end);
  return agent.empty() ? std::string("-") : std::string(agent);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

// The search engine a referring host belongs to ("Google" for
// "www.google.co.uk"), or nullptr: one of the host's labels but its last
// names the engine.
const char* SearchEngine(const std::string& host) {
  static constexpr std::array<std::pair<std::string_view, const char*>, 13> kEngines = {{
      {"google", "Google"},
      {"bing", "Bing"},
      {"yahoo", "Yahoo"},
      {"duckduckgo", "DuckDuckGo"},
      {"yandex", "Yandex"},
      {"baidu", "Baidu"},
      {"ecosia", "Ecosia"},
      {"startpage", "Startpage"},
      {"qwant", "Qwant"},
      {"naver", "Naver"},
      {"seznam", "Seznam"},
      {"kagi", "Kagi"},
      {"brave", "Brave Search"},
  }};
  std::string_view rest = host;
  const std::size_t last = rest.rfind('.');
  if (last == std::string_view::npos) return nullptr;
  rest = rest.substr(0, last);
  while (!rest.empty()) {
    const std::size_t dot = rest.find('.');
    const std::string_view label = rest.substr(0, dot);
    for (const auto& [key, name] : kEngines) {
      if (label == key) return name;
    }
    rest = dot == std::string_view::npos ? std::string_view() : rest.substr(dot + 1);
  }
  return nullptr;
}

// Whether an agent calls itself a robot: "bot", "spider" or "crawl" in it,
// ASCII case ignored.
bool NamesARobot(std::string_view agent) {
  const std::string lower = Lower(agent);
  return lower.find("bot") != std::string::npos || lower.find("spider") != std::string::npos ||
         lower.find("crawl") != std::string::npos;
}

// What the lists say of an agent.
struct AgentClass {
  RobotKind kind = RobotKind::kNone;
  int index = -1;  // of the robot list's pattern, or -1
  AgentFamily family;
};

// Agents a thread takes at a time, and fewest worth a thread of their own.
constexpr std::size_t kAgentsPerTake = 16;
constexpr std::size_t kAgentsPerThread = 500;

// The classes of `agents` (as AgentText gives them), on as many threads as
// the process may use when they are many: tens of microseconds each. The
// robot list serves every thread; a parser is for one.
std::vector<AgentClass> Classified(const RobotClassifier& robots,
                                   const std::vector<std::string>& agents) {
  std::vector<AgentClass> classes(agents.size());
  std::atomic<std::size_t> next{0};
  std::mutex failing;
  std::exception_ptr failure;
  auto classify = [&] {
    try {
      const AgentParser parser;
      for (std::size_t first; (first = next.fetch_add(kAgentsPerTake)) < agents.size();) {
        for (std::size_t i = first; i < std::min(first + kAgentsPerTake, agents.size()); ++i) {
          const auto [kind, index] = robots.Classify(agents[i]);
          classes[i] = {kind, index, parser.Parse(agents[i])};
        }
      }
    } catch (...) {
      // Out of memory, most likely: the others stop, and the caller hears
      // of it once they have.
      const std::lock_guard<std::mutex> lock(failing);
      if (!failure) failure = std::current_exception();
      next = agents.size();
    }
  };
  const std::size_t threads = std::clamp<std::size_t>(
      agents.size() / kAgentsPerThread, 1, static_cast<std::size_t>(UsableCpuCount()));
  if (threads > 1) {
    // The library's expressions read their bytes through the locale, which
    // keeps a table of them that it fills on first use: filled here, before
    // the threads share it.
    const auto& bytes = std::use_facet<std::ctype<char>>(std::locale());
    for (int c = 0; c < 256; ++c) bytes.narrow(static_cast<char>(c), '\0');
  }
  std::vector<std::thread> helpers;
  try {
    helpers.reserve(threads - 1);
    for (std::size_t i = 1; i < threads; ++i) helpers.emplace_back(classify);
  } catch (...) {
    // No more threads to be had: those started and this one do the work.
  }
  classify();
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
  return classes;
}

void Agents(const Audience& audience, WhoPanels* who) {
  const RobotClassifier robots;
  Tally kinds, names, browsers, systems;
  // Classifying an agent costs tens of microseconds: only the agents with
  // the most requests are, so that a log of a new agent on every line
  // cannot make the report take minutes. Ties by text.
  std::vector<std::pair<std::string_view, const AgentRequests*>> agents;
  agents.reserve(audience.agents.size());
  for (const auto& [logged, n] : audience.agents) agents.emplace_back(logged, &n);
  const auto by_requests = [](const auto& a, const auto& b) {
    return a.second->requests != b.second->requests ? a.second->requests > b.second->requests
                                                    : a.first < b.first;
  };
  if (agents.size() > kClassifiedAgents) {
    // The rest only add up: put in order only those classified.
    std::nth_element(agents.begin(), agents.begin() + kClassifiedAgents, agents.end(),
                     by_requests);
    for (std::size_t i = kClassifiedAgents; i < agents.size(); ++i) {
      who->human_requests += agents[i].second->requests;
      who->human_bytes += agents[i].second->bytes;
      who->agents_unnamed_requests += agents[i].second->requests;
    }
    agents.resize(kClassifiedAgents);
  }
  std::sort(agents.begin(), agents.end(), by_requests);
  std::vector<std::string> texts;
  texts.reserve(agents.size());
  std::transform(agents.begin(), agents.end(), std::back_inserter(texts),
                 [](const auto& agent) { return AgentText(agent.first); });
  const std::vector<AgentClass> classes = Classified(robots, texts);
  for (std::size_t i = 0; i < agents.size(); ++i) {
    const AgentRequests& n = *agents[i].second;
    const std::string& agent = texts[i];
    const AgentFamily& family = classes[i].family;
    RobotKind kind = classes[i].kind;
    // An agent no list knows that asked for /robots.txt is a robot of its
    // own, unless it is a browser's: a person may look at the file too.
    // The browser families name some robots by their own word ("Spider").
    if (kind == RobotKind::kNone && n.asked_robots_txt &&
        (family.browser == "Other" || NamesARobot(agent))) {
      kind = RobotKind::kOther;
    }
    if (kind != RobotKind::kNone) {
      const int index = classes[i].index;
      who->robot_requests += n.requests;
      who->robot_bytes += n.bytes;
      const char* key = RobotKindKey(kind);
      Add(&kinds, key, key, n.requests, n.page_hits, n.bytes);
      const std::string name = index >= 0 ? robots.Name(index, agent) : FirstWord(agent);
      Add(&names, name, key, n.requests, n.page_hits, n.bytes);
      continue;
    }
    who->human_requests += n.requests;
    who->human_bytes += n.bytes;
    Add(&browsers, WithMajor(family.browser, family.browser_major), "", n.requests, n.page_hits,
        n.bytes);
    Add(&systems, WithMajor(family.system, family.system_major), "", n.requests, n.page_hits,
        n.bytes);
  }
  who->robot_kinds = Ranked(std::move(kinds), SIZE_MAX);
  who->robots = Ranked(std::move(names), kWhoRows);
  who->browsers = Ranked(std::move(browsers), kWhoRows);
  who->systems = Ranked(std::move(systems), kWhoRows);
}

void Referrers(const Audience& audience, WhoPanels* who) {
  Tally sites, pages;
  for (const auto& [host, n] : audience.referrer_hosts) {
    who->referred_requests += n.requests;
    const std::string lower = Lower(host);
    const char* engine = SearchEngine(lower);
    Add(&sites, engine != nullptr ? engine : lower, engine != nullptr ? "search_engine" : "",
        n.requests, n.page_hits, 0);
  }
  for (const auto& [page, n] : audience.referrer_pages) {
    Add(&pages, std::string(page), "", n.requests, n.page_hits, 0);
  }
  who->referrer_sites = Ranked(std::move(sites), kWhoRows);
  who->referrer_pages = Ranked(std::move(pages), kWhoRows);
}

}  // namespace

WhoPanels BuildWhoPanels(const Requests& requests) {
  WhoPanels who;
  const Audience& audience = requests.audience;
  who.has_agents = audience.has_agents;
  who.has_referrers = audience.has_referrers;
  if (who.has_agents) Agents(audience, &who);
  if (who.has_referrers) Referrers(audience, &who);
  for (const auto& [name, n] : audience.sites) {
    if (name.empty()) continue;
    who.has_sites = true;
    SiteRow& row = who.sites.emplace_back();
    row.name = name;
    row.requests = n.requests;
    row.page_hits = n.page_hits;
    row.users = static_cast<std::int64_t>(n.users.size());
    row.bytes = n.bytes;
    row.errors = n.errors;
  }
  std::sort(who.sites.begin(), who.sites.end(), [](const SiteRow& a, const SiteRow& b) {
    return a.requests != b.requests ? a.requests > b.requests : a.name < b.name;
  });
  return who;
}
