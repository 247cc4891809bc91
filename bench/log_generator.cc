// The log generator. A line is drawn in this order: the clock moves on, then
// the kind of line (web, FTP, malformed, over-long), then its fields. Every
// random choice comes from one splitmix64 stream and integer arithmetic, so
// that no library's floating point or distribution code can change a byte.
#include "log_generator.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kClientCount = 50000;
constexpr std::uint32_t kPageCount = 14000;
constexpr std::uint32_t kImageCount = 6000;  // 20,000 paths in all
constexpr std::uint64_t kLinesPerDefaultDay = 100000;

// Shares of lines, per million.
constexpr std::uint32_t kFtpShare = 5000;
constexpr std::uint32_t kMalformedShare = 1000;
constexpr std::uint32_t kOverLongShare = 100;
constexpr std::uint32_t kImageShare = 300000;
constexpr std::uint32_t kCaseVariantShare = 10000;
constexpr std::uint32_t kRecentClientShare = 500000;

// Traffic by local hour, a quiet night and a busy afternoon.
constexpr std::uint32_t kHourWeight[24] = {30, 20, 14, 10, 9,  12, 22, 40,
                                           65, 85, 95, 100, 92, 95, 100, 98,
                                           90, 78, 66, 62, 60, 55, 48, 38};

// The most requested names, most popular first; the rest are made up.
const char* const kFamousPages[] = {
    "/",
    "/index.htm",
    "/default.asp",
    "/products/index.htm",
    "/news/index.htm",
    "/support/index.htm",
    "/search.asp",
    "/style.css",
    "/about/company.htm",
    "/contact.asp",
    "/downloads/index.htm",
    "/news/archive.asp",
    "/support/faq.htm",
    "/scripts/menu.js",
    "/products/catalog.asp",
    "/shop/basket.asp",
    "/robots.txt",
    "/about/jobs.htm",
};
const char* const kFamousImages[] = {
    "/images/logo.gif",     "/images/spacer.gif",       "/images/bullet.gif",
    "/images/nav_home.gif", "/images/nav_products.gif", "/images/banner.jpg",
    "/images/header.jpg",   "/images/arrow.gif",        "/images/line.gif",
};
const char* const kWords[] = {
    "products", "news",     "support",  "about",    "company", "downloads",
    "catalog",  "press",    "help",     "library",  "events",  "docs",
    "archive",  "services", "partners", "careers",  "software", "hardware",
    "drivers",  "manuals",  "reviews",  "gallery",  "sports",  "travel",
    "weather",  "music",    "books",    "community", "training", "investors",
    "solutions", "shop",
};
const char* const kPageStems[] = {
    "item",   "article", "story", "detail", "report", "release",
    "guide",  "note",    "list",  "review", "page",   "info",
    "bulletin", "product", "sheet", "howto",
};
const char* const kImageStems[] = {"pic", "photo", "btn_", "icon_", "thumb",
                                   "shot", "banner", "map"};
const char* const kUserNames[] = {"CORP\\jsmith", "CORP\\akhan",
                                  "CORP\\mlarsen", "CORP\\pwhite"};
// First octets of the client addresses.
const std::uint8_t kFirstOctets[] = {24,  62,  63,  64,  66,  80,  128, 129,
                                     130, 141, 151, 193, 194, 195, 203, 204,
                                     205, 206, 207, 208, 209, 212, 213, 216};

template <typename T, std::size_t n>
constexpr std::size_t Count(const T (&)[n]) {
  return n;
}

// splitmix64's output function: a well-mixed 64-bit hash of `x`.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// A bijection of the 24-bit numbers, so that distinct clients get distinct
// addresses whatever the first octet.
std::uint32_t Permute24(std::uint32_t x, std::uint32_t key) {
  constexpr std::uint32_t kMask = 0xFFFFFF;
  for (int round = 0; round < 3; ++round) {
    x = (x * 0x2F5A1Bu) & kMask;  // odd multiplier
    x ^= x >> 11;
    x = (x + key) & kMask;
  }
  return x;
}

void AppendUint(std::string* out, std::uint64_t value) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) out->push_back(digits[--n]);
}

void AppendTwoDigits(std::string* out, unsigned value) {
  out->push_back(static_cast<char>('0' + value / 10 % 10));
  out->push_back(static_cast<char>('0' + value % 10));
}

void AppendField(std::string* out, const char* text) {
  out->append(text);
  out->append(", ");
}

void AppendNumberField(std::string* out, std::uint64_t value) {
  AppendUint(out, value);
  out->append(", ");
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

// The text of a path: the famous names first, then made-up ones that hold
// the number `id`, so that distinct ids give distinct paths.
void AppendPath(std::string* out, bool image, std::uint64_t id,
                std::uint64_t salt) {
  if (!image && id < Count(kFamousPages)) {
    out->append(kFamousPages[id]);
    return;
  }
  if (image && id < Count(kFamousImages)) {
    out->append(kFamousImages[id]);
    return;
  }
  std::uint64_t h = Mix(id * 2 + image + salt);
  if (image) {
    if (h % 3 == 0) {
      out->append("/images/");
    } else {
      out->push_back('/');
      out->append(kWords[(h >> 8) % Count(kWords)]);
      out->append("/images/");
    }
    out->append(kImageStems[(h >> 16) % Count(kImageStems)]);
    AppendUint(out, id);
    out->append((h >> 24) % 5 < 3 ? ".gif" : ".jpg");
    return;
  }
  int depth = 1 + static_cast<int>(h % 3);
  for (int i = 0; i < depth; ++i) {
    out->push_back('/');
    out->append(kWords[(h >> (8 + 6 * i)) % Count(kWords)]);
  }
  out->push_back('/');
  out->append(kPageStems[(h >> 32) % Count(kPageStems)]);
  AppendUint(out, id);
  static const char* const kExtensions[] = {
      ".htm", ".htm", ".htm", ".htm", ".htm", ".asp", ".asp", ".asp",
      ".html", ".pdf", ".txt", ".htm", ".asp", ".html", ".htm", ".doc"};
  out->append(kExtensions[(h >> 40) % Count(kExtensions)]);
}

// Rewrites the path at `out` from `start` in another spelling: every
// segment capitalised, or the whole path in capitals.
void Respell(std::string* out, std::size_t start, bool all_capitals) {
  bool segment_start = true;
  for (std::size_t i = start; i < out->size(); ++i) {
    char& c = (*out)[i];
    if (c >= 'a' && c <= 'z' && (all_capitals || segment_start)) {
      c = static_cast<char>(c - 'a' + 'A');
    }
    segment_start = c == '/';
  }
}

}  // namespace

bool ParseStartDate(const char* text, LogGeneratorOptions* options) {
  unsigned m = 0, d = 0, y = 0;
  if (std::strlen(text) != 8 || text[2] != '/' || text[5] != '/') return false;
  for (int i : {0, 1, 3, 4, 6, 7}) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  m = static_cast<unsigned>((text[0] - '0') * 10 + (text[1] - '0'));
  d = static_cast<unsigned>((text[3] - '0') * 10 + (text[4] - '0'));
  y = static_cast<unsigned>((text[6] - '0') * 10 + (text[7] - '0'));
  if (m < 1 || m > 12 || d < 1 || d > 31 || y > 37) return false;
  options->start_month = static_cast<int>(m);
  options->start_day = static_cast<int>(d);
  options->start_year = static_cast<int>(y);
  return true;
}

ZipfTable::ZipfTable(std::uint32_t n, std::uint32_t offset) {
  cumulative_.resize(n);
  std::uint64_t total = 0;
  for (std::uint32_t k = 0; k < n; ++k) {
    total += (std::uint64_t{1} << 40) / (k + 1 + offset);
    cumulative_[k] = total;
  }
}

std::uint32_t ZipfTable::Draw(std::uint64_t random) const {
  std::uint64_t x = random % cumulative_.back();
  return static_cast<std::uint32_t>(
      std::upper_bound(cumulative_.begin(), cumulative_.end(), x) -
      cumulative_.begin());
}

LogGenerator::LogGenerator(const LogGeneratorOptions& options)
    : options_(options),
      state_(Mix(options.seed)),
      salt_(Mix(options.seed ^ 0x5A17)),
      clients_(kClientCount, 3),
      pages_(kPageCount, 0),
      images_(kImageCount, 0) {
  std::uint64_t days = options_.days;
  if (days == 0) {
    days = (options_.lines + kLinesPerDefaultDay - 1) / kLinesPerDefaultDay;
  }
  days = std::max<std::uint64_t>(days, 1);

  // Weekdays are busier than weekends; day d gets its weight's share.
  std::int64_t first = DaysFromCivil(2000 + options_.start_year,
                                     static_cast<unsigned>(options_.start_month),
                                     static_cast<unsigned>(options_.start_day));
  std::vector<std::uint64_t> weight(days);
  std::uint64_t total_weight = 0;
  for (std::uint64_t i = 0; i < days; ++i) {
    std::int64_t z = first + static_cast<std::int64_t>(i);
    int weekday = static_cast<int>((z % 7 + 7 + 4) % 7);  // 0 is Sunday
    weight[i] = weekday == 0 || weekday == 6 ? 60 : 100;
    total_weight += weight[i];

    std::int64_t y;
    unsigned m, d;
    CivilFromDays(z, &y, &m, &d);
    std::string text;
    AppendTwoDigits(&text, m);
    text.push_back('/');
    AppendTwoDigits(&text, d);
    text.push_back('/');
    AppendTwoDigits(&text, static_cast<unsigned>(y % 100));
    day_texts_.push_back(text);
  }
  std::uint64_t cumulative = 0;
  for (std::uint64_t i = 0; i < days; ++i) {
    cumulative += weight[i];
    day_line_end_.push_back(options_.lines / total_weight * cumulative +
                            options_.lines % total_weight * cumulative /
                                total_weight);
  }
  for (std::uint64_t& client : recent_clients_) {
    client = clients_.Draw(Next());
  }
}

std::uint64_t LogGenerator::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t LogGenerator::Below(std::uint64_t n) { return Next() % n; }

bool LogGenerator::Chance(std::uint32_t per_million) {
  return Below(1000000) < per_million;
}

// Line k of the n lines of a day is placed at the k-th n-quantile (plus a
// random part of the next) of the day's traffic, so that times never go
// backwards and follow the hours' weights.
void LogGenerator::AdvanceClock() {
  while (day_ + 1 < day_line_end_.size() && line_ >= day_line_end_[day_]) {
    ++day_;
  }
  std::uint64_t day_start = day_ == 0 ? 0 : day_line_end_[day_ - 1];
  std::uint64_t n = day_line_end_[day_] - day_start;
  std::uint64_t k = line_ - day_start;
  if (n == 0 || k >= n) {  // only past the planned lines
    second_ = 86399;
    return;
  }
  // A position in [0, 2^32) of the day's traffic.
  std::uint64_t position = ((k << 32) + (Next() >> 32)) / n;
  std::uint64_t total = 0;
  for (std::uint32_t w : kHourWeight) total += w;
  std::uint64_t before = 0;
  for (unsigned hour = 0; hour < 24; ++hour) {
    std::uint64_t low = (before << 32) / total;
    std::uint64_t high = ((before + kHourWeight[hour]) << 32) / total;
    if (position < high || hour == 23) {
      std::uint64_t into = (std::min(position, high - 1) - low) * 3600;
      second_ = hour * 3600 + static_cast<std::uint32_t>(into / (high - low));
      return;
    }
    before += kHourWeight[hour];
  }
}

void LogGenerator::AppendDateTime(std::string* out) const {
  out->append(day_texts_[day_]);
  out->append(", ");
  AppendUint(out, second_ / 3600);
  out->push_back(':');
  AppendTwoDigits(out, second_ / 60 % 60);
  out->push_back(':');
  AppendTwoDigits(out, second_ % 60);
  out->append(", ");
}

// Half the requests come from a visitor seen a moment ago (a visit is many
// requests), the rest from the heavy-tailed population.
std::uint64_t LogGenerator::PickClient() {
  if (options_.shape == LogShape::kUsers) return line_ % options_.distinct;
  std::uint64_t slot = Below(Count(recent_clients_));
  if (Chance(kRecentClientShare)) return recent_clients_[slot];
  std::uint64_t client = clients_.Draw(Next());
  recent_clients_[slot] = client;
  return client;
}

namespace {

void AppendAddress(std::string* out, std::uint64_t client,
                   std::uint64_t salt) {
  std::uint32_t low = Permute24(static_cast<std::uint32_t>(client),
                                static_cast<std::uint32_t>(salt));
  AppendUint(out, kFirstOctets[Mix(client ^ salt) % Count(kFirstOctets)]);
  out->push_back('.');
  AppendUint(out, low >> 16);
  out->push_back('.');
  AppendUint(out, (low >> 8) & 0xFF);
  out->push_back('.');
  AppendUint(out, low & 0xFF);
  out->append(", ");
}

}  // namespace

// `long_field`: 0 for a usual line, 1 for a query string and 2 for a target
// that take the line past 2047 bytes.
void LogGenerator::AppendWebLine(std::string* out, int long_field) {
  AppendAddress(out, PickClient(), salt_);
  AppendField(out, Chance(10000) ? kUserNames[Below(Count(kUserNames))] : "-");
  AppendDateTime(out);
  bool second_site = Chance(30000);
  out->append(second_site ? "W3SVC2, WEBSRV01, 192.168.0.2, "
                          : "W3SVC1, WEBSRV01, 192.168.0.1, ");

  // What is requested decides the rest of the line.
  bool image;
  std::uint64_t path;
  if (options_.shape == LogShape::kPaths) {
    path = line_ % options_.distinct;
    image = Mix(path ^ salt_) % 1000000 < kImageShare;
  } else {
    image = Chance(kImageShare);
    path = image ? images_.Draw(Next()) : pages_.Draw(Next());
  }
  std::uint64_t roll = Below(1000);
  const char* method = roll < 50 ? "POST" : roll < 80 ? "HEAD" : "GET";
  roll = Below(1000);
  unsigned status = roll < 830   ? 200
                    : roll < 940 ? 304
                    : roll < 980 ? 404
                    : roll < 995 ? 302
                                 : 500;
  std::uint64_t size = Mix(path * 2 + image + ~salt_);
  std::uint64_t bytes = status == 200   ? (image ? 80 + size % 25000
                                                 : 1500 + size % 40000)
                        : status == 304 ? 136 + Below(40)
                        : status == 404 ? 3243
                                        : 300 + Below(200);

  roll = Below(100);
  AppendNumberField(out, roll < 40   ? 0
                         : roll < 80 ? 10 + Below(90)
                         : roll < 95 ? 100 + Below(900)
                                     : 1000 + Below(9000));  // time taken
  AppendNumberField(out, 150 + Below(500));                  // client bytes
  AppendNumberField(out, bytes);
  AppendNumberField(out, status);
  AppendNumberField(out, status == 404 ? 2 : status == 500 ? 5 : 0);
  AppendField(out, method);

  std::size_t path_start = out->size();
  if (long_field == 2) {
    out->append("/scripts/");
    std::uint64_t repeats = 300 + Below(150);
    for (std::uint64_t i = 0; i < repeats; ++i) out->append("..%255c");
    out->append("winnt/system32/cmd.exe");
  } else {
    AppendPath(out, image, path, salt_);
    if (Chance(kCaseVariantShare) && out->size() - path_start > 1) {
      Respell(out, path_start, Chance(300000));
    }
  }
  out->append(", ");

  // The query string.
  if (long_field == 1) {
    out->append("q=");
    std::uint64_t length = 2100 + Below(2000);
    for (std::uint64_t i = 0; i < length; ++i) {
      out->push_back(static_cast<char>('A' + Below(26)));
    }
  } else if (!image && out->compare(out->size() - 6, 4, ".asp") == 0 &&
             Chance(500000)) {
    out->append("id=");
    AppendUint(out, Below(100000));
    out->append("&lang=en");
  } else {
    out->push_back('-');
  }
  out->append(",\r\n");
}

void LogGenerator::AppendFtpLine(std::string* out) {
  AppendAddress(out, PickClient(), salt_);
  AppendField(out, "anonymous");
  AppendDateTime(out);
  out->append("MSFTPSVC1, WEBSRV01, 192.168.0.1, ");
  static const char* const kCommands[] = {"USER", "PASS", "CWD", "RETR",
                                          "RETR", "QUIT"};
  std::uint64_t command = Below(Count(kCommands));
  AppendNumberField(out, Below(300));
  AppendNumberField(out, 0);
  AppendNumberField(out, command == 3 || command == 4 ? 2000 + Below(900000)
                                                      : 0);
  static const unsigned kReplies[] = {331, 230, 250, 226, 226, 221};
  AppendNumberField(out, kReplies[command]);
  AppendNumberField(out, 0);
  out->push_back('[');
  AppendUint(out, 1 + Below(400));
  out->push_back(']');
  out->append(kCommands[command]);
  out->append(", ");
  static const char* const kTargets[] = {"anonymous", "-",
                                         "/pub",      "/pub/update.zip",
                                         "/pub/readme.txt", "-"};
  out->append(kTargets[command]);
  out->append(", -,\r\n");
}

// What a log really holds now and then: lines cut short by a crash, empty
// lines, a field written as nothing, missing values, dates in another form,
// a service name in lower case, text of another format.
void LogGenerator::AppendMalformedLine(std::string* out) {
  std::size_t start = out->size();
  switch (Below(8)) {
    case 0: {  // cut short
      AppendWebLine(out, 0);
      std::size_t length = out->size() - start - 2;
      out->resize(start + 1 + Below(length - 1));
      out->append("\r\n");
      return;
    }
    case 1:
      out->append("\r\n");
      return;
    case 2: {  // no user name field at all: later fields move
      AppendWebLine(out, 0);
      std::size_t comma = out->find(", -, ", start);
      if (comma != std::string::npos) out->erase(comma + 1, 2);
      return;
    }
    case 3: {  // no server bytes
      AppendWebLine(out, 0);
      std::size_t field = start;
      for (int i = 0; i < 9; ++i) field = out->find(", ", field) + 2;
      std::size_t end = out->find(',', field);
      out->erase(field + 1, end - field - 1);
      (*out)[field] = '-';
      return;
    }
    case 4:  // no client address
      AppendWebLine(out, 0);
      out->erase(start + 1, out->find(',', start) - start - 1);
      (*out)[start] = '-';
      return;
    case 5: {  // a date in another form
      AppendWebLine(out, 0);
      std::size_t date = out->find(", ", out->find(", ", start) + 2) + 2;
      const std::string& day = day_texts_[day_];
      std::string other = "20" + day.substr(6, 2) + "-" + day.substr(0, 2) +
                          "-" + day.substr(3, 2);
      out->replace(date, 8, other);
      return;
    }
    case 6: {  // service in lower case
      AppendWebLine(out, 0);
      std::size_t service = out->find("W3SVC", start);
      for (std::size_t i = service; i < service + 5; ++i) {
        (*out)[i] = static_cast<char>((*out)[i] - 'A' + 'a');
      }
      return;
    }
    default:
      out->append("GET /index.htm HTTP/1.0\r\n");
      return;
  }
}

bool LogGenerator::NextLine(std::string* out) {
  if (line_ >= options_.lines) return false;
  AdvanceClock();
  std::uint64_t roll = Below(1000000);
  if (roll < kFtpShare) {
    AppendFtpLine(out);
  } else if (roll < kFtpShare + kMalformedShare) {
    AppendMalformedLine(out);
  } else if (roll < kFtpShare + kMalformedShare + kOverLongShare) {
    AppendWebLine(out, Chance(800000) ? 1 : 2);
  } else {
    AppendWebLine(out, 0);
  }
  ++line_;
  return true;
}
