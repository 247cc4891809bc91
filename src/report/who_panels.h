// The panels of who is behind the requests that the JSON report and the web
// page show: robots by kind and by name, browsers and systems, the sites
// and pages that refer visitors, and the sites of the logs. Read from the
// run's Requests; each agent is classified once, here, however many lines
// it had.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Requests;

/// Rows of each list of names.
inline constexpr std::size_t kWhoRows = 10;

/// Requests and bytes of one name: a robot, a kind of robot, a browser, a
/// system, a referring site or page.
struct NamedTraffic {
  std::string name;  // as the log wrote it, or as the classifier names it
  std::string kind;  // a robot's kind ("search_engine"); empty otherwise
  std::int64_t requests = 0;
  std::int64_t page_hits = 0;
  std::int64_t bytes = 0;
};

/// One site of the logs (s-sitename, or the W3SVCn folder of its file).
struct SiteRow {
  std::string name;
  std::int64_t requests = 0;
  std::int64_t page_hits = 0;
  std::int64_t users = 0;  // distinct client addresses of its page hits
  std::int64_t bytes = 0;
  std::int64_t errors = 0;
};

struct WhoPanels {
  // What the logs carry: a panel whose field no log named is absent (null
  // in JSON, "not in these logs" on the page), not empty.
  bool has_agents = false;
  bool has_referrers = false;
  bool has_sites = false;

  // Requests with a user agent, split into people's and robots'.
  std::int64_t human_requests = 0;
  std::int64_t human_bytes = 0;
  std::int64_t robot_requests = 0;
  std::int64_t robot_bytes = 0;
  std::vector<NamedTraffic> robot_kinds;  // every kind met, most requests first
  std::vector<NamedTraffic> robots;       // the first kWhoRows by requests
  std::vector<NamedTraffic> browsers;     // "Chrome 120", people's requests only
  std::vector<NamedTraffic> systems;      // "Windows 10"
  /// Requests of agents past the bound of distinct agents kept: counted
  /// in the totals above as people's, named nowhere.
  std::int64_t agents_unnamed_requests = 0;

  // Requests referred from elsewhere: the site's own host names left out,
  // search engines grouped under one name each.
  std::int64_t referred_requests = 0;
  std::vector<NamedTraffic> referrer_sites;  // the first kWhoRows
  std::vector<NamedTraffic> referrer_pages;  // likewise

  std::vector<SiteRow> sites;  // every site, most requests first
};

/// Classifies each distinct agent once and ranks every list.
WhoPanels BuildWhoPanels(const Requests& requests);
