#include "stats/records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <forward_list>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stats/ranking.h"
#include "test_util.h"

namespace {

void Hit(Statistics* stats, std::string_view address, std::string_view path,
         std::string_view date, std::string_view time, std::int32_t bytes = 100) {
  RecordLine(stats, address, path, bytes, date, time);
}

TimeStamp At(int hour, int minute, int second) {
  return static_cast<TimeStamp>(UtcSeconds(2001, 3, 20, hour, minute, second));
}

TEST(RecordsTest, SessionSpan) {
  struct Case {
    std::vector<std::string_view> times;
    Count sessions;
    TimeStamp current_start;
  };
  const Case cases[] = {
      {{"10:00:00"}, 1, At(10, 0, 0)},
      {{"10:00:00", "10:15:00"}, 1, At(10, 0, 0)},
      {{"10:00:00", "10:15:01"}, 2, At(10, 15, 1)},
      // The window is fixed at the session's first hit.
      {{"10:00:00", "10:10:00", "10:20:00"}, 2, At(10, 20, 0)},
      // Earlier hits join the current session and do not move its start.
      {{"10:20:00", "10:00:00"}, 1, At(10, 20, 0)},
      {{"10:20:00", "09:00:00", "10:35:00", "10:35:01"}, 2, At(10, 35, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.times.size() << " hits from "
                                    << c.times.back());
    Statistics stats;
    for (std::string_view time : c.times) {
      Hit(&stats, "10.0.0.1", "/a.htm", "03/20/01", time);
    }
    const UserRecord& user = UserNamed(&stats, "10.0.0.1");
    EXPECT_EQ(c.sessions, user.Sessions);
    EXPECT_EQ(c.current_start, user.SessionStart);
    EXPECT_EQ(c.sessions, stats.totals.TotalSessions);
    EXPECT_EQ(static_cast<Count>(c.times.size()), user.Hits);
  }
}

TEST(RecordsTest, PagesIgnoreAsciiCaseAndKeepTheFirstSpelling) {
  Statistics stats;
  for (std::string_view path :
       {"/Index.htm", "/index.htm", "/INDEX.HTM", "/\xC5", "/\xE5", "/a[",
        "/a{", "/index.htm "}) {
    Hit(&stats, "10.0.0.1", path, "03/20/01", "10:00:00");
  }
  EXPECT_EQ((ListRows{{"/index.htm ", 1},
                      {"/a{", 1},
                      {"/a[", 1},
                      {"/\xE5", 1},
                      {"/\xC5", 1},
                      {"/Index.htm", 3}}),
            PageRows(stats));
}

TEST(RecordsTest, UsersByExactText) {
  Statistics stats;
  for (std::string_view address :
       {"10.0.0.1", "010.0.0.1", "Host", "host", "10.0.0.1", "10.0.0.1 "}) {
    Hit(&stats, address, "/a.htm", "03/20/01", "10:00:00");
  }
  EXPECT_EQ((ListRows{{"10.0.0.1 ", 1},
                      {"host", 1},
                      {"Host", 1},
                      {"010.0.0.1", 1},
                      {"10.0.0.1", 2}}),
            UserRows(stats));
  EXPECT_EQ(5, stats.totals.UserCount);
}

TEST(RecordsTest, UsersOfEveryAddressLengthAreFoundAgain) {
  // Up to 15 bytes an address is kept in its record, from 16 in the texts.
  const std::string_view addresses[] = {"",
                                        "255.255.255.255",
                                        "2001:db8:0:0::1a",
                                        "2001:db8:0:0::1b",
                                        "2001:0db8:0000:0000:0000:ff00:0042:8329"};
  Statistics stats;
  for (int round = 0; round < 2; ++round) {
    for (std::string_view address : addresses) {
      Hit(&stats, address, "/a.htm", "03/20/01", "10:00:00");
    }
  }
  for (std::string_view address : addresses) {
    const UserRecord& user = UserNamed(&stats, address);
    EXPECT_EQ(2, user.Hits) << address;
    EXPECT_EQ(address, std::string_view(user.Address(), user.AddressSize));
    EXPECT_EQ('\0', user.Address()[user.AddressSize]) << address;
  }
  EXPECT_EQ(5, stats.totals.UserCount);
}

// The (user, day) pairs against std::set: days in order, as a log has them,
// then a day back (a second file of older hits), then pairs of a state.
TEST(RecordsTest, DayPairsAreASetWhateverTheOrder) {
  for (const bool saved_first : {false, true}) {
    ShardDays days;
    std::set<std::pair<RecordIndex, std::int32_t>> model;
    std::vector<std::int32_t> last(40, kNoDay);
    auto add = [&](RecordIndex user, std::int32_t day) {
      if (last[user] == day) return;  // as the counting spares it
      const bool fresh = days.AddUserDay(7, user, day, last[user]);
      last[user] = day;
      ASSERT_EQ(model.insert({user, day}).second, fresh) << user << " " << day;
    };
    if (saved_first) {
      EXPECT_TRUE(days.AddSavedPair(7, 3, 100));
      EXPECT_FALSE(days.AddSavedPair(7, 3, 100));
      model.insert({3, 100});
    }
    std::mt19937 random(5);
    for (std::int32_t day = 100; day < 130; ++day) {
      for (int i = 0; i < 30; ++i) add(random() % 40, day);
    }
    for (int i = 0; i < 400; ++i) add(random() % 40, 100 + static_cast<std::int32_t>(random() % 35));
    EXPECT_EQ(model.size(), days.pair_count());
    std::set<std::pair<RecordIndex, std::int32_t>> seen;
    days.ForEachPair([&](RecordIndex user, std::int32_t day) { seen.insert({user, day}); });
    EXPECT_EQ(model, seen);
  }
}

TEST(RecordsTest, PeriodInProcessingOrder) {
  struct Case {
    std::vector<std::pair<std::string_view, std::string_view>> hits;
    TimeStamp start, end;
  };
  const Case cases[] = {
      {{}, 0, 0},
      {{{"03/20/01", "12:00:00"}, {"03/20/01", "10:00:00"},
        {"03/20/01", "11:00:00"}},
       At(12, 0, 0), At(11, 0, 0)},
      // A year the time stamp cannot hold is counted at -1, and -1 can
      // bound the period.
      {{{"03/20/79", "12:00:00"}, {"03/20/01", "10:00:00"}},
       -1, At(10, 0, 0)},
      {{{"03/20/01", "10:00:00"}, {"03/20/79", "12:00:00"}},
       At(10, 0, 0), -1},
  };
  for (const Case& c : cases) {
    Statistics stats;
    for (const auto& [date, time] : c.hits) {
      Hit(&stats, "10.0.0.1", "/a.htm", date, time, 10);
    }
    EXPECT_EQ(c.start, stats.totals.PeriodStart);
    EXPECT_EQ(c.end, stats.totals.PeriodEnd);
    EXPECT_EQ(static_cast<Count>(c.hits.size()), stats.totals.TotalHits);
    EXPECT_EQ(static_cast<Count>(c.hits.size() * 10), stats.totals.TotalBytes);
  }
}

TEST(RecordsTest, ReleaseRecordsEmptiesBothLists) {
  Statistics stats;
  ReleaseRecords(&stats);
  EXPECT_EQ(kNoRecord, stats.UserList);
  EXPECT_EQ(kNoRecord, stats.PageList);
  Hit(&stats, "10.0.0.1", "/a.htm", "03/20/01", "10:00:00");
  Hit(&stats, "10.0.0.2", "/b.htm", "03/20/01", "10:00:00");
  RankByHits(&stats);
  ReleaseRecords(&stats);
  EXPECT_EQ(kNoRecord, stats.UserList);
  EXPECT_EQ(kNoRecord, stats.PageList);
  EXPECT_EQ(0u, stats.users.size() + stats.pages.size());
  // Records made after the release are found again, not the released ones.
  Hit(&stats, "10.0.0.2", "/b.htm", "03/20/01", "10:00:00");
  EXPECT_EQ((ListRows{{"10.0.0.2", 1}}), UserRows(stats));
  EXPECT_EQ((ListRows{{"/b.htm", 1}}), PageRows(stats));
}

TEST(RecordsTest, ManyUsersAndPagesAreFoundAgain) {
  // Enough records to make any lookup table grow more than once.
  Statistics stats;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 5000; ++i) {
      std::string n = std::to_string(i);
      Hit(&stats, "10.1." + n, (round ? "/page" : "/PAGE") + n, "03/20/01",
          "10:00:00");
    }
  }
  EXPECT_EQ(5000, stats.totals.UserCount);
  ListRows pages = PageRows(stats);
  ASSERT_EQ(5000u, pages.size());
  EXPECT_EQ((std::pair<std::string, Count>{"/PAGE4999", 2}), pages.front());
  for (const auto& [address, hits] : UserRows(stats)) EXPECT_EQ(2, hits) << address;
  for (const auto& [path, hits] : pages) EXPECT_EQ(2, hits) << path;
}

// The statistics kept the slow, plain way: singly linked lists with new
// records at the head, found by walking from the head, and every hit kept
// in its session, so that a user's figures can be counted from its hits.
struct Model {
  struct Page {
    std::string path;
    Count hits = 0;
  };
  struct Hit {
    TimeStamp time;
    std::int32_t bytes;
    const Page* page;
  };
  struct Session {
    TimeStamp start;
    std::forward_list<Hit> hits;
  };
  struct User {
    std::string address;
    std::forward_list<Session> session_list{};
    Count hits = 0;  // the ranking's key, kept as the program keeps it
  };

  static bool SamePath(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return fold(x) == fold(y); });
  }

  void Record(const std::string& address, const std::string& path,
              std::int32_t bytes, TimeStamp t) {
    if (t == 0) return;
    if (users.empty()) totals.PeriodStart = t;
    totals.PeriodEnd = t;
    auto user = std::find_if(users.begin(), users.end(),
                             [&](const User& u) { return u.address == address; });
    if (user == users.end()) {
      user = users.insert_after(users.before_begin(), User{address});
      ++totals.UserCount;
    }
    if (user->session_list.empty() ||
        std::int64_t{t} - 900 > user->session_list.front().start) {
      user->session_list.push_front(Session{t, {}});
      ++totals.TotalSessions;
    }
    auto page = std::find_if(pages.begin(), pages.end(),
                             [&](const Page& p) { return SamePath(p.path, path); });
    if (page == pages.end()) page = pages.insert_after(pages.before_begin(), Page{path});
    ++page->hits;
    user->session_list.front().hits.push_front(Hit{t, bytes, &*page});
    ++user->hits;
    totals.TotalBytes += bytes;
    ++totals.TotalHits;
  }

  // Each record in turn goes after the last record of the result whose
  // hits are at least its own.
  template <typename Record>
  static void RankByInsertion(std::forward_list<Record>* list) {
    std::forward_list<Record> result;
    while (!list->empty()) {
      auto after = result.before_begin();
      for (auto it = result.begin();
           it != result.end() && it->hits >= list->front().hits; ++it) {
        after = it;
      }
      result.splice_after(after, *list, list->before_begin());
    }
    list->swap(result);
  }

  std::forward_list<User> users;
  std::forward_list<Page> pages;
  RunTotals totals;
};

// One row per user, the same for the model and the program: its counts and
// the start of its current session.
std::string UserRow(std::string_view address, Count hits, Count sessions, Count bytes,
                    TimeStamp session_start) {
  return std::string(address) + " hits " + std::to_string(hits) + " sessions " +
         std::to_string(sessions) + " bytes " + std::to_string(bytes) + " current " +
         std::to_string(session_start);
}

// The model's figures are counted from the hits of each session.
std::vector<std::string> ModelUserRows(const Model& model) {
  std::vector<std::string> rows;
  for (const Model::User& user : model.users) {
    Count hits = 0, sessions = 0, bytes = 0;
    for (const Model::Session& session : user.session_list) {
      ++sessions;
      for (const Model::Hit& hit : session.hits) {
        ++hits;
        bytes += hit.bytes;
        EXPECT_LE(std::int64_t{hit.time} - 900, session.start) << user.address;
      }
    }
    EXPECT_EQ(user.hits, hits);
    rows.push_back(UserRow(user.address, hits, sessions, bytes,
                           user.session_list.front().start));
  }
  return rows;
}

std::vector<std::string> ProgramUserRows(const Statistics& stats) {
  std::vector<std::string> rows;
  for (RecordIndex u : ListOrder(stats.users, stats.UserList)) {
    const UserRecord& user = stats.users[u];
    rows.push_back(UserRow(std::string_view(user.Address(), user.AddressSize), user.Hits,
                           user.Sessions, user.Bytes, user.SessionStart));
  }
  return rows;
}

ListRows ModelPageRows(const Model& model) {
  ListRows rows;
  for (const Model::Page& page : model.pages) rows.emplace_back(page.path, page.hits);
  return rows;
}

// Compares row by row, so that a failure shows the first differing row and
// not two lists of thousands.
template <typename Row>
void ExpectSameRows(const std::vector<Row>& want, const std::vector<Row>& got,
                    const char* what) {
  EXPECT_EQ(want.size(), got.size()) << what;
  auto [w, g] = std::mismatch(want.begin(), want.end(), got.begin(), got.end());
  if (w != want.end() && g != got.end()) {
    ADD_FAILURE() << what << " differ at row " << (w - want.begin())
                  << "\n want: " << testing::PrintToString(*w)
                  << "\n  got: " << testing::PrintToString(*g);
  }
}

// "MM/DD/YY" or "DD.MM.YY", and "H:MM:SS", of a UTC time.
std::pair<std::string, std::string> Texts(std::int64_t t, bool dotted) {
  using namespace std::chrono;
  const sys_days day = floor<days>(sys_seconds{seconds{t}});
  const year_month_day ymd{day};
  const int in_day = static_cast<int>(t - day.time_since_epoch().count() * 86400);
  const int y = static_cast<int>(ymd.year()) % 100;
  const unsigned m = static_cast<unsigned>(ymd.month());
  const unsigned d = static_cast<unsigned>(ymd.day());
  char date[48], time[48];
  if (dotted) {
    std::snprintf(date, sizeof date, "%02u.%02u.%02d", d, m, y);
  } else {
    std::snprintf(date, sizeof date, "%02u/%02u/%02d", m, d, y);
  }
  std::snprintf(time, sizeof time, "%d:%02d:%02d", in_day / 3600, in_day / 60 % 60,
                in_day % 60);
  return {date, time};
}

// A line of the random stream, as its texts.
struct StreamLine {
  std::string address, path, date, time;
  std::int32_t bytes;
};

// Counts `lines` in batches of `size` hits, shard by shard, with the steps
// of successive batches interleaved as the threaded reader's may run: in
// round r, batch r counts shard 0, batch r - 1 shard 1, and so on, and
// batch r - 16 is finished.
void CountSharded(Statistics* stats, const std::vector<StreamLine>& lines, std::size_t size) {
  HitTimeCache times(DateForm::kComma, 0);
  std::vector<std::unique_ptr<HitBatch>> batches;
  for (std::size_t first = 0; first < lines.size(); first += size) {
    auto& batch = batches.emplace_back(std::make_unique<HitBatch>(stats->hash_seed));
    NumberBatch(stats, batch.get());
    for (std::size_t i = first; i < std::min(first + size, lines.size()); ++i) {
      const StreamLine& line = lines[i];
      const TimeStamp t = times.ParseHitTime(line.date, line.time);
      if (t != kRejectedDate) batch->Add(line.address, line.path, line.bytes, t);
    }
    batch->SortIntoShards();
  }
  constexpr std::size_t kSteps = kShardCount + 1;
  for (std::size_t round = 0; round < batches.size() + kSteps - 1; ++round) {
    for (std::size_t step = 0; step < kSteps && step <= round; ++step) {
      if (round - step >= batches.size()) continue;
      HitBatch* batch = batches[round - step].get();
      if (step < kShardCount) {
        CountShard(stats, static_cast<int>(step), batch);
      } else {
        FinishBatch(stats, batch);
      }
    }
  }
}

TEST(RecordsTest, RandomStreamMatchesThePlainModel) {
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> step(-20, 50);
  std::uniform_int_distribution<int> bytes_pick(-1000, 100000);
  std::uniform_int_distribution<int> per_mille(0, 999);
  // Most hits come from a few users and pages, the rest from many.
  auto pick = [&](int common, int rare) {
    return per_mille(rng) < 700 ? per_mille(rng) % common
                                : common + per_mille(rng) * rare / 1000;
  };

  Statistics stats;
  Model model;
  std::vector<StreamLine> lines;
  std::int64_t clock = UtcSeconds(2001, 3, 20, 8, 0, 0);
  for (int i = 0; i < 20000; ++i) {
    clock += step(rng);
    const int event = per_mille(rng);
    if (event == 0) clock -= 4000;  // a log file read out of time order

    const int u = pick(40, 200);
    std::string address = u % 10 == 9 ? (u % 20 < 10 ? "Host" : "host") +
                                            std::to_string(u / 20)
                                      : "10.0." + std::to_string(u % 7) + "." +
                                            std::to_string(u);
    const int p = pick(60, 300);
    std::string path = "/Dir" + std::to_string(p % 9) + "/Page" +
                       std::to_string(p) + (p % 5 ? ".HTM" : ".HTM\xC5");
    for (char& c : path) {  // some hits spell the path in another case
      if (per_mille(rng) < 300 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (per_mille(rng) < 100 && c == '\xC5') c = '\xE5';  // another page
    }
    const std::int32_t bytes = per_mille(rng) < 5
                                   ? std::numeric_limits<std::int32_t>::max()
                                   : bytes_pick(rng);

    auto [date, time] = Texts(clock, i % 3 == 0);
    TimeStamp t = static_cast<TimeStamp>(clock);
    if (event >= 990) {  // a rejected date
      date = "13/20/01";
      t = 0;
    } else if (event >= 980) {  // a year the stamp cannot hold: counted at -1
      date = "03/20/79";
      t = -1;
    }
    RecordLine(&stats, address, path, bytes, date, time);
    model.Record(address, path, bytes, t);
    // Every hit either opens a session in both or in neither.
    ASSERT_EQ(model.totals.TotalSessions, stats.totals.TotalSessions) << "hit " << i;
    lines.push_back({std::move(address), std::move(path), std::move(date), std::move(time), bytes});
  }
  // The same lines counted the threaded reader's way.
  Statistics sharded;
  CountSharded(&sharded, lines, 300);

  const std::vector<std::string> model_users = ModelUserRows(model);
  const ListRows model_pages = ModelPageRows(model);
  // Ranking relinks the same records into the order of the insertion.
  Model::RankByInsertion(&model.pages);
  Model::RankByInsertion(&model.users);
  for (Statistics* counted : {&stats, &sharded}) {
    SCOPED_TRACE(counted == &stats ? "one hit at a time" : "batches shard by shard");
    ExpectSameRows(model_users, ProgramUserRows(*counted), "users");
    ExpectSameRows(model_pages, PageRows(*counted), "pages");
    const RunTotals& totals = counted->totals;
    EXPECT_EQ(model.totals.PeriodStart, totals.PeriodStart);
    EXPECT_EQ(model.totals.PeriodEnd, totals.PeriodEnd);
    EXPECT_EQ(model.totals.TotalHits, totals.TotalHits);
    EXPECT_EQ(model.totals.TotalBytes, totals.TotalBytes);
    EXPECT_EQ(model.totals.TotalSessions, totals.TotalSessions);
    EXPECT_EQ(model.totals.UserCount, totals.UserCount);

    RankByHits(counted);
    ExpectSameRows(ModelPageRows(model), PageRows(*counted), "ranked pages");
    ExpectSameRows(ModelUserRows(model), ProgramUserRows(*counted), "ranked users");
  }
}

// The hash the indexes once used: unkeyed, and invertible, so that a log
// could be built against it. A model of the attack, not of the program.
std::uint64_t OldMix(std::uint64_t h, std::uint64_t v) {
  h = (h ^ v) * 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 31);
}

std::uint64_t OldHash(std::string_view text, bool fold) {
  std::uint64_t h = 0x243F6A8885A308D3ULL ^ text.size();
  for (std::size_t i = 0; i < text.size(); i += 8) {
    std::uint64_t v = 0;
    std::memcpy(&v, text.data() + i, std::min<std::size_t>(8, text.size() - i));
    h = OldMix(h, fold ? v | 0x2020202020202020ULL : v);
  }
  h = (h ^ (h >> 33)) * 0x94D049BB133111EBULL;
  return h ^ (h >> 29);
}

// Sixteen bytes whose old hash is one value for every `i`: the first word
// counts up, the second undoes it.
std::string CollidingAddress(std::uint64_t i) {
  constexpr std::uint64_t kMultiplier = 0xBF58476D1CE4E5B9ULL;
  std::uint64_t inverse = kMultiplier;
  for (int k = 0; k < 6; ++k) inverse *= 2 - kMultiplier * inverse;
  constexpr std::uint64_t kState = 0x0123456789ABCDEFULL;
  const std::uint64_t product = kState ^ (kState >> 31) ^ (kState >> 62);
  const std::uint64_t first = 0x2E30312E30312E31ULL + i;
  const std::uint64_t second = (product * inverse) ^ OldMix(0x243F6A8885A308D3ULL ^ 16, first);
  std::string text(16, '\0');
  std::memcpy(text.data(), &first, 8);
  std::memcpy(text.data() + 8, &second, 8);
  return text;
}

// A path of "@" and "`", which the old case-blind hash could not tell apart.
std::string CollidingPath(int i) {
  std::string path = "/";
  for (int bit = 0; bit < 18; ++bit) path += (i >> bit) & 1 ? '@' : '`';
  return path;
}

// Texts built to collide cost the index no more slot probes than ordinary
// ones: counting stays linear whatever the log holds. Probes, not time, so
// that the test does not depend on the machine.
TEST(RecordsTest, CollidingTextsCostWhatOrdinaryOnesCost) {
  ASSERT_EQ(OldHash(CollidingAddress(1), false), OldHash(CollidingAddress(2), false));
  ASSERT_EQ(OldHash(CollidingPath(1), true), OldHash(CollidingPath(2), true));

  static constexpr int kTexts = 160000;
  static constexpr std::uint64_t kSeed = 0x5EED;
  auto user_probes = [](const std::function<std::string(int)>& address) {
    Statistics stats;
    stats.hash_seed = kSeed;
    for (int i = 0; i < kTexts; ++i) Hit(&stats, address(i), "/a.htm", "03/20/01", "10:00:00");
    EXPECT_EQ(kTexts, stats.totals.UserCount);
    std::uint64_t probes = 0;
    for (const RecordShard& shard : stats.shards) probes += shard.user_index.probes();
    return probes;
  };
  auto page_probes = [](const std::function<std::string(int)>& path) {
    Statistics stats;
    stats.hash_seed = kSeed;
    for (int i = 0; i < kTexts; ++i) {
      const std::string text = path(i);
      CountPagePart(&stats, text, HashFoldedBytes(text, stats.hash_seed), FirstSeen(i));
    }
    EXPECT_EQ(std::size_t{kTexts}, stats.pages.size());
    std::uint64_t probes = 0;
    for (const RecordShard& shard : stats.shards) probes += shard.page_index.probes();
    return probes;
  };

  const std::uint64_t ordinary_users = user_probes([](int i) {
    return "10." + std::to_string(i >> 16) + "." + std::to_string(i >> 8 & 255) + "." +
           std::to_string(i & 255);
  });
  const std::uint64_t crafted_users = user_probes(CollidingAddress);
  EXPECT_LE(crafted_users, 2 * ordinary_users);

  const std::uint64_t ordinary_pages =
      page_probes([](int i) { return "/page" + std::to_string(i) + ".htm"; });
  const std::uint64_t crafted_pages = page_probes(CollidingPath);
  EXPECT_LE(crafted_pages, 2 * ordinary_pages);
}

}  // namespace
